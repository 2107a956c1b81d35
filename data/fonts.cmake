# The two fonts, taken from Debian's font packages (scripts/install-deps) and
# copied into the run folder under the names the production opens. Bebas Neue
# stands in for the display face "steelfish rg.ttf"; its licence goes along.
set(KELVANDRIX_FONT_FILES
  "/usr/share/fonts/opentype/bebas-neue/BebasNeue-Regular.otf|steelfish rg.ttf|fonts-bebas-neue"
  "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf|default.ttf|fonts-dejavu-core"
  "/usr/share/doc/fonts-bebas-neue/copyright|LICENSE-steelfish-rg.txt|fonts-bebas-neue")

set(font_outputs)
foreach(entry ${KELVANDRIX_FONT_FILES})
  string(REPLACE "|" ";" fields "${entry}")
  list(GET fields 0 source)
  list(GET fields 1 name)
  list(GET fields 2 package)
  if(NOT EXISTS "${source}")
    message(FATAL_ERROR "fonts: \"${source}\" is missing; install the Debian package ${package} (scripts/install-deps)")
  endif()
  add_custom_command(
    OUTPUT "${KELVANDRIX_RUN_DIR}/${name}"
    COMMAND ${CMAKE_COMMAND} -E copy "${source}" "${KELVANDRIX_RUN_DIR}/${name}"
    DEPENDS "${source}"
    VERBATIM)
  list(APPEND font_outputs "${KELVANDRIX_RUN_DIR}/${name}")
endforeach()
add_custom_target(kelvandrix_fonts DEPENDS ${font_outputs})
add_dependencies(kelvandrix_data kelvandrix_fonts)
