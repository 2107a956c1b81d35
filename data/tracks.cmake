# The ten sync tracks of the production, compiled from their text form.
set(tracks_text ${CMAKE_CURRENT_SOURCE_DIR}/tracks/kelvandrix.tracks)
set(tracks_stamp ${CMAKE_CURRENT_BINARY_DIR}/tracks.stamp)
add_custom_command(OUTPUT ${tracks_stamp}
  COMMAND synctrack build ${tracks_text} --base kelvandrix_sync --out ${KELVANDRIX_RUN_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${tracks_stamp}
  DEPENDS synctrack ${tracks_text}
  VERBATIM)
add_custom_target(kelvandrix_tracks DEPENDS ${tracks_stamp})
add_dependencies(kelvandrix_data kelvandrix_tracks)
