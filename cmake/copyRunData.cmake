# The data files of a native build's run folder copied into the Windows
# build's (cmake -DFROM=FOLDER -DTO=FOLDER -P copyRunData.cmake): the data is
# made by the project's own tools, which run only on the build machine. The
# native programs (ELF files) stay behind.
file(GLOB files LIST_DIRECTORIES false "${FROM}/*")
if(NOT files)
  message(FATAL_ERROR "no run folder with data at ${FROM}: build the native release first")
endif()
foreach(file ${files})
  file(READ "${file}" magic LIMIT 4 HEX)
  if(NOT magic STREQUAL "7f454c46")
    file(COPY "${file}" DESTINATION "${TO}")
  endif()
endforeach()
