# vro_add_production(NAME
#   TITLE text  SIZE width height
#   TUNE file BPM beats-per-minute
#   PARTS value name [value name ...]
#   SOURCES code.cpp ...
#   [FILES file ...]
#   [DATA rules.cmake])
#
# Builds a production from its folder (the folder of the CMakeLists.txt that
# calls this) with the engine's programs, and assembles its run folder:
#   NAME, NAME-dev, NAME-capture     the player, the development player, the
#                                    capture (on the page: NAME.js, NAME.wasm)
#   NAME_production                  SOURCES and the declaration, a library
#   NAME_package                     where the platform has a release archive
#                                    (Windows: NAME-win64.zip in the build
#                                    folder, cmake/windowsPackage.cmake)
#   NAME_data                        the run folder's data (NAME_files the
#                                    copied ones, NAME_tracks, NAME_music), from the folder's
#                                    shaders/ (every file but *.md), tracks/
#                                    (*.tracks compiled to NAME_sync_*.track)
#                                    and music/ (the score named after TUNE,
#                                    rendered by synth and encoded by lame),
#                                    FILES, and the engine's own data
#   DATA                             CMake rules for more of the run folder's
#                                    data, included where the run folder is
#                                    made (not for the page, which takes its
#                                    data from a desktop build), with
#                                    VRO_RUN_DIR naming it; what they make is
#                                    added to NAME_data
# The declaration (TITLE, SIZE, TUNE, BPM, PARTS: values of the "part" track
# and the names of the parts they pick) reaches the programs as
# vroProductionDeclaration(); SOURCES define vroCreateProduction().
# The run folder is run/ in the build folder for VRO_DEFAULT_PRODUCTION (or
# the first production added), run-NAME/ for every other; the caller's
# NAME_RUN_DIR names it.

set(VRO_CMAKE_DIR ${CMAKE_CURRENT_LIST_DIR})
set(VRO_ENGINE_DIR ${CMAKE_CURRENT_LIST_DIR}/../vro)
set(VRO_PROGRAMS_DIR ${CMAKE_CURRENT_LIST_DIR}/../programs)
# The engine's own data every run folder has: the read-out's program and the
# default font (from Debian's fonts-dejavu-core). A production's file of the
# same name takes its place.
set(VRO_ENGINE_DATA
  "${VRO_ENGINE_DIR}/data/debugtext.fs|debugtext.fs"
  "${VRO_ENGINE_DIR}/data/noTransform_flipY.vs|noTransform_flipY.vs"
  "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf|default.ttf")
# Their licences, for a release that ships them ("NAME=FILE").
set(VRO_ENGINE_DATA_LICENCES "fonts-dejavu-core=/usr/share/doc/fonts-dejavu-core/copyright")

function(vro_add_production name)
  cmake_parse_arguments(P "" "TITLE;TUNE;BPM;DATA" "SIZE;PARTS;SOURCES;FILES" ${ARGN})
  vro_check_declaration(${name})
  if(NOT VRO_DEFAULT_PRODUCTION)
    set(VRO_DEFAULT_PRODUCTION ${name} CACHE STRING "The production whose run folder is run/" FORCE)
  endif()
  if(name STREQUAL VRO_DEFAULT_PRODUCTION)
    set(leaf run)
  else()
    set(leaf run-${name})
  endif()
  set(run ${CMAKE_BINARY_DIR}/${leaf})
  set(${name}_RUN_DIR ${run} PARENT_SCOPE)
  file(MAKE_DIRECTORY ${run})

  vro_write_declaration(${name} ${CMAKE_CURRENT_BINARY_DIR}/${name}Declaration.cpp)
  add_library(${name}_production STATIC ${P_SOURCES} ${CMAKE_CURRENT_BINARY_DIR}/${name}Declaration.cpp)
  target_include_directories(${name}_production PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name}_production PUBLIC vro)

  if(EMSCRIPTEN)
    vro_add_page(${name})
    return()
  endif()

  add_custom_target(${name}_data ALL)
  if(CMAKE_CROSSCOMPILING)
    # The project's tools run only on the build machine: a cross build
    # takes the data from the production's run folder in a native build.
    add_custom_target(${name}_native_data
      COMMAND ${CMAKE_COMMAND} -DFROM=${VRO_NATIVE_BUILD}/${leaf} -DTO=${run} -P ${VRO_CMAKE_DIR}/copyRunData.cmake
      VERBATIM)
    add_dependencies(${name}_data ${name}_native_data)
  else()
    file(GLOB shaders LIST_DIRECTORIES false CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/shaders/*)
    list(FILTER shaders EXCLUDE REGEX "(/\\.[^/]*|\\.md)$")
    set(entries)
    set(names)
    foreach(file ${shaders} ${P_FILES})
      get_filename_component(file ${file} ABSOLUTE)
      get_filename_component(file_name ${file} NAME)
      list(APPEND entries "${file}|${file_name}")
      list(APPEND names ${file_name})
    endforeach()
    foreach(entry ${VRO_ENGINE_DATA})
      string(REGEX REPLACE "^.*\\|" "" file_name "${entry}")
      if(NOT file_name IN_LIST names)
        list(APPEND entries "${entry}")
      endif()
    endforeach()
    vro_copy_into_run(${name}_files ${run} ${entries})
    add_dependencies(${name}_data ${name}_files)
    vro_add_tracks(${name} ${run})
    vro_add_music(${name} ${run} ${P_TUNE})
    if(P_DATA)
      set(VRO_RUN_DIR ${run})
      include(${CMAKE_CURRENT_SOURCE_DIR}/${P_DATA})
    endif()
  endif()
  # What the platform's programs need beside them (a DLL, say).
  if(VRO_PLATFORM_RUN_FILES)
    set(entries)
    foreach(file ${VRO_PLATFORM_RUN_FILES})
      get_filename_component(file_name ${file} NAME)
      list(APPEND entries "${file}|${file_name}")
    endforeach()
    vro_copy_into_run(${name}_platform_files ${run} ${entries})
    add_dependencies(${name}_data ${name}_platform_files)
  endif()

  # The player has no console where the system gives programs one without
  # asking (Windows): its messages go to a log beside it.
  add_executable(${name} ${VRO_PROGRAMS_DIR}/player/main.cpp)
  set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE ON)
  target_link_libraries(${name} PRIVATE ${name}_production program_option_text)
  add_executable(${name}-capture ${VRO_PROGRAMS_DIR}/capture/main.cpp)
  target_link_libraries(${name}-capture PRIVATE program_capture ${name}_production)
  set(programs ${name} ${name}-capture)
  # The development player where the platform has its libraries.
  if(TARGET program_dev)
    add_executable(${name}-dev ${VRO_PROGRAMS_DIR}/dev/main.cpp)
    target_link_libraries(${name}-dev PRIVATE program_dev ${name}_production)
    list(APPEND programs ${name}-dev)
  endif()
  foreach(program ${programs})
    target_sources(${program} PRIVATE ${VRO_PLATFORM_PROGRAM_SOURCES})
    set_target_properties(${program} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${run})
    add_dependencies(${program} ${name}_data)
  endforeach()
  # The platform's release archive, where it has one (Windows: a zip).
  if(COMMAND vro_add_platform_package)
    vro_add_platform_package(${name} "${P_TITLE}" "${P_SIZE}" ${run} ${name} ${name}-capture)
  endif()
endfunction()

# A name that makes programs, targets and C++ names, and every part of the
# declaration, or the configuration stops naming what is wrong.
macro(vro_check_declaration name)
  if(NOT "${name}" MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
    message(FATAL_ERROR "production: \"${name}\" is not a name (letters, digits and _, not first a digit)")
  endif()
  if(TARGET ${name})
    message(FATAL_ERROR "production: the name \"${name}\" is taken by another target of the build; choose another")
  endif()
  foreach(field TITLE TUNE BPM SOURCES)
    if(NOT P_${field})
      message(FATAL_ERROR "production ${name}: ${field} is missing from its declaration")
    endif()
  endforeach()
  list(LENGTH P_SIZE size_count)
  if(NOT size_count EQUAL 2 OR NOT "${P_SIZE}" MATCHES "^[1-9][0-9]*;[1-9][0-9]*$")
    message(FATAL_ERROR "production ${name}: SIZE needs a width and a height in pixels, not \"${P_SIZE}\"")
  endif()
  if(NOT P_BPM MATCHES "^[0-9]+(\\.[0-9]+)?$" OR P_BPM EQUAL 0)
    message(FATAL_ERROR "production ${name}: BPM needs a positive number, not \"${P_BPM}\"")
  endif()
  list(LENGTH P_PARTS parts_count)
  math(EXPR odd "${parts_count} % 2")
  if(odd)
    message(FATAL_ERROR "production ${name}: PARTS needs a value and a name for each part")
  endif()
endmacro()

# A C++ string literal of `text`.
function(vro_cpp_string out text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

function(vro_write_declaration name file)
  set(parts "")
  set(remaining ${P_PARTS})
  while(remaining)
    list(POP_FRONT remaining value part)
    if(NOT value MATCHES "^-?[0-9]+$")
      message(FATAL_ERROR "production ${name}: the part value \"${value}\" is not a whole number")
    endif()
    vro_cpp_string(part "${part}")
    string(APPEND parts "{${value}, ${part}}, ")
  endwhile()
  list(GET P_SIZE 0 width)
  list(GET P_SIZE 1 height)
  vro_cpp_string(title "${P_TITLE}")
  vro_cpp_string(tune "${P_TUNE}")
  vro_cpp_string(folder "${CMAKE_CURRENT_SOURCE_DIR}")
  file(CONFIGURE OUTPUT ${file} CONTENT [[
// Written by the build from the declaration in the production's CMakeLists.txt.
#include "vroDeclaration.h"
#include "vroProduction.h"

const vroDeclaration& vroProductionDeclaration()
{
    static const vroDeclaration declaration{"@name@", @title@, @width@, @height@, @tune@, @P_BPM@,
                                            {@parts@}, @folder@};
    return declaration;
}
]] @ONLY)
endfunction()

# Copies files into the run folder under their names there; each entry is
# "SOURCE|NAME".
function(vro_copy_into_run target run)
  set(outputs)
  foreach(entry ${ARGN})
    string(REPLACE "|" ";" fields "${entry}")
    list(GET fields 0 source)
    list(GET fields 1 file_name)
    if(NOT EXISTS "${source}")
      message(FATAL_ERROR "production: \"${source}\" is missing (scripts/install-deps installs the fonts)")
    endif()
    add_custom_command(OUTPUT "${run}/${file_name}"
      COMMAND ${CMAKE_COMMAND} -E copy "${source}" "${run}/${file_name}"
      DEPENDS "${source}"
      VERBATIM)
    list(APPEND outputs "${run}/${file_name}")
  endforeach()
  add_custom_target(${target} DEPENDS ${outputs})
endfunction()

# The track texts of tracks/ (every *.tracks file but hidden ones, which are
# editors' own: Emacs locks a file being edited with a dangling link
# ".#NAME") compiled into NAME_sync_*.track files; synctrack also removes the
# file of a track the texts no longer have.
function(vro_add_tracks name run)
  file(GLOB texts LIST_DIRECTORIES false CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tracks/*.tracks)
  list(FILTER texts EXCLUDE REGEX "/\\.[^/]*$")
  if(NOT texts)
    message(FATAL_ERROR "tracks: no track text (*.tracks) in \"${CMAKE_CURRENT_SOURCE_DIR}/tracks\"")
  endif()
  list(SORT texts)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/tracks.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND synctrack build ${texts} --base ${name}_sync --out ${run}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS synctrack ${texts}
    VERBATIM)
  add_custom_target(${name}_tracks DEPENDS ${stamp})
  add_dependencies(${name}_data ${name}_tracks)
endfunction()

# The tune: the synthesiser renders music/<TUNE's base name>.score to WAV and
# lame encodes it into the run folder. lame keeps its encoder delay and
# padding in the stream's info tag, so a gapless decoder gives back exactly
# the rendered length; without ReplayGain analysis or an ID3 tag the bytes
# depend only on the WAV. It writes beside the WAV, renamed into the run
# folder only once it succeeded: a failed encoding leaves the last good tune.
function(vro_add_music name run tune)
  find_program(LAME_EXECUTABLE lame REQUIRED)
  get_filename_component(base ${tune} NAME_WE)
  set(score ${CMAKE_CURRENT_SOURCE_DIR}/music/${base}.score)
  if(NOT EXISTS ${score})
    message(FATAL_ERROR "music: the score \"${score}\" for the tune ${tune} is missing")
  endif()
  set(wav ${CMAKE_CURRENT_BINARY_DIR}/${base}.wav)
  set(partial ${CMAKE_CURRENT_BINARY_DIR}/${tune}.partial)
  add_custom_command(OUTPUT ${wav}
    COMMAND synth ${score} ${wav}
    DEPENDS synth ${score}
    COMMENT "Rendering the tune from ${score}"
    VERBATIM)
  add_custom_command(OUTPUT ${run}/${tune}
    COMMAND ${LAME_EXECUTABLE} --silent --noreplaygain -V2 ${wav} ${partial}
    COMMAND ${CMAKE_COMMAND} -E rename ${partial} ${run}/${tune}
    DEPENDS ${wav}
    COMMENT "Encoding ${tune}"
    VERBATIM)
  add_custom_target(${name}_music DEPENDS ${run}/${tune})
  add_dependencies(${name}_data ${name}_music)
endfunction()

# The page: index.html with the production's title and name, page.js, and the
# program NAME.js and NAME.wasm, in pages/NAME/ of the build. Its data is
# packed apart (scripts/build-web), so that one build plays any run folder.
function(vro_add_page name)
  set(NAME ${name})
  string(REPLACE "&" "&amp;" TITLE "${P_TITLE}")
  string(REPLACE "<" "&lt;" TITLE "${TITLE}")
  configure_file(${VRO_PROGRAMS_DIR}/web/index.html ${CMAKE_BINARY_DIR}/pages/${name}/index.html @ONLY)
  configure_file(${VRO_PROGRAMS_DIR}/web/page.js ${CMAKE_BINARY_DIR}/pages/${name}/page.js COPYONLY)
  add_executable(${name} ${VRO_PROGRAMS_DIR}/web/main.cpp ${VRO_PROGRAMS_DIR}/web/page.cpp)
  target_link_libraries(${name} PRIVATE ${name}_production program_page_options)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/pages/${name})
  # Asyncify lets the page's frames, the loading bar's among them, end in a
  # wait for the browser's next paint, so the engine's loading and frame
  # loop stay as they are. The data package fills the file system before
  # main.
  target_link_options(${name} PRIVATE
    -sASYNCIFY -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2 -sFORCE_FILESYSTEM=1
    -sALLOW_MEMORY_GROWTH=1 -sEXPORTED_FUNCTIONS=_main,_malloc,_free
    -sEXPORTED_RUNTIME_METHODS=lengthBytesUTF8,stringToUTF8,UTF8ToString)
endfunction()
