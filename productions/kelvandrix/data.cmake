# The run folder's data of kelvandrix's own beside what every production has.

# Its display face, from Debian's font packages (scripts/install-deps), under
# the name the production opens: Bebas Neue stands in for "steelfish rg.ttf",
# and its licence goes along.
vro_copy_into_run(kelvandrix_fonts ${VRO_RUN_DIR}
  "/usr/share/fonts/opentype/bebas-neue/BebasNeue-Regular.otf|steelfish rg.ttf"
  "/usr/share/doc/fonts-bebas-neue/copyright|LICENSE-steelfish-rg.txt")
add_dependencies(kelvandrix_data kelvandrix_fonts)

# The closing picture "ende.png", rendered by the production's own tool.
add_subdirectory(tools/endepicture)
set(KELVANDRIX_ENDE_PICTURE ${VRO_RUN_DIR}/ende.png)
add_custom_command(OUTPUT ${KELVANDRIX_ENDE_PICTURE}
  COMMAND endepicture ${KELVANDRIX_ENDE_PICTURE}
  DEPENDS endepicture
  COMMENT "Rendering the closing picture ende.png"
  VERBATIM)
add_custom_target(kelvandrix_picture DEPENDS ${KELVANDRIX_ENDE_PICTURE})
add_dependencies(kelvandrix_data kelvandrix_picture)
