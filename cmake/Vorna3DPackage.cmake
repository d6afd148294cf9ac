# The engine as a package: `cmake --install BUILD --prefix P` puts the static
# libraries in P/lib, the headers below P/include/Vorna3D/<layer>/, the CMake
# package (targets Vorna3D::core, ::HAL, ::slmath, ::render, ::framework and
# ::Vorna3D for all of them) in P/lib/cmake/Vorna3D and vorna3d.pc for
# pkg-config.

include(CMakePackageConfigHelpers)

add_library(Vorna3D INTERFACE)
target_link_libraries(Vorna3D INTERFACE framework render slmath HAL core)
add_library(Vorna3D::Vorna3D ALIAS Vorna3D)
install(TARGETS Vorna3D EXPORT Vorna3DTargets)

set(package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Vorna3D)
install(EXPORT Vorna3DTargets NAMESPACE Vorna3D:: DESTINATION ${package_dir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/Vorna3DConfig.cmake.in
  ${PROJECT_BINARY_DIR}/Vorna3DConfig.cmake INSTALL_DESTINATION ${package_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/Vorna3DConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/Vorna3DConfig.cmake ${PROJECT_BINARY_DIR}/Vorna3DConfigVersion.cmake
  DESTINATION ${package_dir})

if(VORNA3D_WINDOWS)
  return() # pkg-config's file names the Linux libraries
endif()
# The .pc file finds the prefix from its own folder, so the package can be
# installed anywhere (--prefix at install time) and moved.
file(RELATIVE_PATH PC_PREFIX_FROM_PCFILEDIR /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/vorna3d.pc.in ${PROJECT_BINARY_DIR}/vorna3d.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vorna3d.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
