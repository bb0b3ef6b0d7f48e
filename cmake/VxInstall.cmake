# Installs the two shared libraries (with SONAME versions), the public headers,
# a CMake package (find_package(Vexalith)) and a pkg-config file.
include(CMakePackageConfigHelpers)

install(TARGETS vxplatform Vexpak200 EXPORT VexalithTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vexalith)

foreach(dir platform foundation objects store surface tools text rulers printing)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${dir} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vexalith
          FILES_MATCHING PATTERN "*.h" PATTERN "*_private.h" EXCLUDE)
endforeach()

install(EXPORT VexalithTargets NAMESPACE Vexalith::
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Vexalith)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/VexalithConfig.cmake.in
  ${CMAKE_BINARY_DIR}/VexalithConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Vexalith)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/VexalithConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/VexalithConfig.cmake ${CMAKE_BINARY_DIR}/VexalithConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Vexalith)

# The .pc file finds its prefix relative to itself, so an installed tree can move.
file(RELATIVE_PATH VX_PC_TO_PREFIX "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
configure_file(${PROJECT_SOURCE_DIR}/cmake/vexalith.pc.in ${CMAKE_BINARY_DIR}/vexalith.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/vexalith.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
