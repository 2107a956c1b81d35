# vro_add_platform_package(NAME TITLE SIZE RUN_FOLDER PROGRAM...): the
# release archive of production NAME for Windows, NAME-win64.zip in the
# build folder (target NAME_package; scripts/build-windows builds it). It
# holds the programs, what the platform puts beside them (the DLL), the run
# folder's data, readme.txt and licences/ with the licence of everything in
# it: VRO_PLATFORM_LICENCES and VRO_ENGINE_DATA_LICENCES, entries
# "NAME=FILE-OR-FOLDER", each becoming licences/NAME/.
function(vro_add_platform_package name title size run)
  list(GET size 0 WIDTH)
  list(GET size 1 HEIGHT)
  set(NAME ${name})
  set(TITLE "${title}")
  string(LENGTH "${TITLE} for Windows" length)
  string(REPEAT "=" ${length} UNDERLINE)
  set(version_file ${KELVANDRIX_WINDOWS_LIBS}/mpg123/version)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${version_file})
  file(STRINGS ${version_file} MPG123_VERSION LIMIT_COUNT 1)
  string(REGEX REPLACE "^([0-9]+:)?([^-]+)-.*$" "\\2" MPG123_UPSTREAM "${MPG123_VERSION}")
  set(readme ${CMAKE_CURRENT_BINARY_DIR}/readme.txt)
  configure_file(${VRO_PROGRAMS_DIR}/windows/readme.txt ${readme} @ONLY NEWLINE_STYLE CRLF)

  set(files)
  foreach(program ${ARGN})
    list(APPEND files ${run}/${program}.exe)
  endforeach()
  foreach(file ${VRO_PLATFORM_RUN_FILES})
    get_filename_component(file_name ${file} NAME)
    list(APPEND files ${run}/${file_name})
  endforeach()
  list(APPEND files ${readme})
  # Lists reach the packing script joined by "|": a ";" would split its
  # argument.
  string(JOIN "|" files ${files})
  string(JOIN "|" licences ${VRO_PLATFORM_LICENCES} ${VRO_ENGINE_DATA_LICENCES})
  add_custom_target(${name}_package
    COMMAND ${CMAKE_COMMAND} -DRUN=${run} -DFILES=${files} -DLICENCES=${licences}
      -DZIP=${CMAKE_BINARY_DIR}/${name}-win64.zip -P ${VRO_CMAKE_DIR}/packWindowsZip.cmake
    COMMENT "Packing ${name}-win64.zip"
    VERBATIM)
  add_dependencies(${name}_package ${ARGN} ${name}_data)
endfunction()
