# The sync tracks of the production, compiled from their text form: every
# *.tracks file in data/tracks/, the set the development player plays.
file(GLOB tracks_texts LIST_DIRECTORIES false CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tracks/*.tracks)
# Hidden files are editors' own (Emacs locks a file being edited with a
# dangling link ".#NAME"), not texts.
list(FILTER tracks_texts EXCLUDE REGEX "/\\.[^/]*$")
if(NOT tracks_texts)
  message(FATAL_ERROR "tracks: no track text (*.tracks) in \"${CMAKE_CURRENT_SOURCE_DIR}/tracks\"")
endif()
list(SORT tracks_texts)
set(tracks_stamp ${CMAKE_CURRENT_BINARY_DIR}/tracks.stamp)
add_custom_command(OUTPUT ${tracks_stamp}
  COMMAND synctrack build ${tracks_texts} --base kelvandrix_sync --out ${KELVANDRIX_RUN_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${tracks_stamp}
  DEPENDS synctrack ${tracks_texts}
  VERBATIM)
add_custom_target(kelvandrix_tracks DEPENDS ${tracks_stamp})
add_dependencies(kelvandrix_data kelvandrix_tracks)
