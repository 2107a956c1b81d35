# Packs a Windows release archive (cmake/windowsPackage.cmake):
#   cmake -DRUN=FOLDER -DFILES=A|B -DLICENCES=NAME=PATH|... -DZIP=FILE -P packWindowsZip.cmake
# FILES (the programs, the DLL, the readme) and the data files of the run
# folder RUN at the top of the archive, each entry of LICENCES as
# licences/NAME/. Assembled in a folder beside the archive and written under
# a temporary name, renamed into place only when whole.
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/runDataFiles.cmake)

string(REPLACE "|" ";" files "${FILES}")
string(REPLACE "|" ";" licences "${LICENCES}")
vro_run_data_files(data "${RUN}")
get_filename_component(leaf "${ZIP}" NAME_WE)
get_filename_component(folder "${ZIP}" DIRECTORY)
set(stage "${folder}/.${leaf}")
file(REMOVE_RECURSE "${stage}")

foreach(file ${files} ${data})
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "package: \"${file}\" is missing")
  endif()
  file(COPY "${file}" DESTINATION "${stage}")
endforeach()
foreach(entry ${licences})
  string(REGEX MATCH "^[^=]+" name "${entry}")
  string(REGEX REPLACE "^[^=]+=" "" path "${entry}")
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "package: the licence \"${path}\" of ${name} is missing (scripts/build-windows-libs keeps the libraries')")
  endif()
  if(IS_DIRECTORY "${path}")
    file(GLOB texts "${path}/*")
  else()
    set(texts "${path}")
  endif()
  file(COPY ${texts} DESTINATION "${stage}/licences/${name}")
endforeach()

file(GLOB entries RELATIVE "${stage}" "${stage}/*")
list(SORT entries)
file(REMOVE "${ZIP}.partial")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf "${ZIP}.partial" --format=zip -- ${entries}
  WORKING_DIRECTORY "${stage}" RESULT_VARIABLE packed)
file(REMOVE_RECURSE "${stage}")
if(NOT packed EQUAL 0)
  file(REMOVE "${ZIP}.partial")
  message(FATAL_ERROR "package: cannot write \"${ZIP}.partial\"")
endif()
file(RENAME "${ZIP}.partial" "${ZIP}")
