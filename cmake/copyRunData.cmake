# The data files of a native build's run folder copied into the Windows
# build's (cmake -DFROM=FOLDER -DTO=FOLDER -P copyRunData.cmake), which then
# has the same data: the data is made by the project's own tools, which run
# only on the build machine. A file the native build no longer makes (a
# track taken out of the texts) goes from the Windows one too.
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/runDataFiles.cmake)
vro_run_data_files(files "${FROM}")
if(NOT files)
  message(FATAL_ERROR "no run folder with data at ${FROM}: build the native release first")
endif()
set(names)
foreach(file ${files})
  get_filename_component(name "${file}" NAME)
  list(APPEND names "${name}")
endforeach()
vro_run_data_files(copied "${TO}")
foreach(file ${copied})
  get_filename_component(name "${file}" NAME)
  if(NOT name IN_LIST names)
    file(REMOVE "${file}")
  endif()
endforeach()
file(COPY ${files} DESTINATION "${TO}")
