# vro_run_data_files(OUT FOLDER): the data files of a run folder, what a
# production reads there: not its programs (ELF files, Windows programs and
# DLLs) nor what programs leave there (hidden temporaries, logs, captures and
# their statistics), so that a video captured in a native run folder does not
# travel into a Windows one or its release archive.
function(vro_run_data_files out folder)
  file(GLOB files LIST_DIRECTORIES false "${folder}/*")
  set(data)
  foreach(file ${files})
    get_filename_component(name "${file}" NAME)
    if(name MATCHES "^\\.|\\.(exe|dll|log|partial|mp4|csv)$")
      continue()
    endif()
    file(READ "${file}" magic LIMIT 4 HEX)
    if(NOT magic STREQUAL "7f454c46")
      list(APPEND data "${file}")
    endif()
  endforeach()
  set(${out} ${data} PARENT_SCOPE)
endfunction()
