# The engine's layers: core <- HAL <- slmath <- render <- framework. Each is a
# static library whose headers are included by folder ("core/Object.h",
# "render/scene/Mesh.h"). A layer's usage requirements name only its own
# headers: the build stages each layer's folder alone in an include
# directory of its own (a link in the build tree), so a header of a layer the
# target does not link, a layer above it, is not found and fails to build.

include(GNUInstallDirs)

# vorna3d_layer(TARGET FOLDER): makes TARGET (a library defined already) the
# engine layer whose headers live in FOLDER (relative to the project) and
# are included as "<last part of FOLDER>/...". Installs its library and
# headers (below include/Vorna3D/) with the package's exported targets.
# EXCLUDE names sub-folders of platform code whose headers stay private.
function(vorna3d_layer target folder)
  cmake_parse_arguments(L "" "" "EXCLUDE" ${ARGN})
  get_filename_component(name ${folder} NAME)
  set(stage ${PROJECT_BINARY_DIR}/layers/${target})
  # Made at every configure: a build folder may outlive a move of the sources.
  file(MAKE_DIRECTORY ${stage})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${stage}/${name} SYMBOLIC)
  target_include_directories(${target} PUBLIC
    $<BUILD_INTERFACE:${stage}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/Vorna3D>  # the engine's own "core/..." includes
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)        # <Vorna3D/core/...> for programs
  target_compile_features(${target} PUBLIC cxx_std_20)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  set_target_properties(${target} PROPERTIES OUTPUT_NAME vorna3d_${target})
  add_library(Vorna3D::${target} ALIAS ${target})

  install(TARGETS ${target} EXPORT Vorna3DTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
  set(excludes)
  foreach(dir ${L_EXCLUDE})
    list(APPEND excludes PATTERN ${dir} EXCLUDE)
  endforeach()
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${folder}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/Vorna3D/${name}
          FILES_MATCHING PATTERN "*.h" ${excludes})
endfunction()
