# The GLSL sources of the production's and the engine's programs, copied into
# the run folder under the names the programs are registered with.
set(KELVANDRIX_SHADER_NAMES
  noTransform.vs noTransform_flipY.vs
  textured.fs addtext.fs rm_cubescape.fs rm_pyramidgrid.fs post.fs debugtext.fs)
set(KELVANDRIX_SHADER_DIR ${CMAKE_CURRENT_SOURCE_DIR}/shaders)

set(shader_outputs)
foreach(name ${KELVANDRIX_SHADER_NAMES})
  if(NOT EXISTS ${KELVANDRIX_SHADER_DIR}/${name})
    message(FATAL_ERROR "shaders: \"${KELVANDRIX_SHADER_DIR}/${name}\" is missing")
  endif()
  add_custom_command(
    OUTPUT ${KELVANDRIX_RUN_DIR}/${name}
    COMMAND ${CMAKE_COMMAND} -E copy ${KELVANDRIX_SHADER_DIR}/${name} ${KELVANDRIX_RUN_DIR}/${name}
    DEPENDS ${KELVANDRIX_SHADER_DIR}/${name}
    VERBATIM)
  list(APPEND shader_outputs ${KELVANDRIX_RUN_DIR}/${name})
endforeach()
add_custom_target(kelvandrix_shaders DEPENDS ${shader_outputs})
add_dependencies(kelvandrix_data kelvandrix_shaders)
