# The closing picture "ende.png", rendered by the project's own tool.
set(KELVANDRIX_ENDE_PICTURE ${KELVANDRIX_RUN_DIR}/ende.png)
add_custom_command(
  OUTPUT ${KELVANDRIX_ENDE_PICTURE}
  COMMAND endepicture ${KELVANDRIX_ENDE_PICTURE}
  DEPENDS endepicture
  COMMENT "Rendering the closing picture ende.png"
  VERBATIM)
add_custom_target(kelvandrix_picture DEPENDS ${KELVANDRIX_ENDE_PICTURE})
add_dependencies(kelvandrix_data kelvandrix_picture)
