# cmake --install: headers, library, command, CMake package and pkg-config file.
include(CMakePackageConfigHelpers)

install(TARGETS vornel EXPORT vornelTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY include/vornel DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

set(VORNEL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/vornel)
install(EXPORT vornelTargets NAMESPACE vornel:: DESTINATION ${VORNEL_CMAKE_DIR})
configure_package_config_file(cmake/vornelConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/vornelConfig.cmake INSTALL_DESTINATION ${VORNEL_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/vornelConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vornelConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/vornelConfigVersion.cmake
        DESTINATION ${VORNEL_CMAKE_DIR})

# The pkg-config file finds the prefix from where it lies, LIBDIR/pkgconfig,
# so an installed tree may move: one step up for each folder of LIBDIR
# ("lib/x86_64-linux-gnu" is two) and one for pkgconfig. Folders given as
# absolute paths are written as they are.
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(VORNEL_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
else()
  set(VORNEL_PC_PREFIX "\${pcfiledir}/..")
  string(REGEX MATCHALL "[^/]+" _vornel_libdir_parts "${CMAKE_INSTALL_LIBDIR}")
  foreach(_part IN LISTS _vornel_libdir_parts)
    string(APPEND VORNEL_PC_PREFIX "/..")
  endforeach()
endif()
foreach(_dir LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${_dir}}")
    set(VORNEL_PC_${_dir} "${CMAKE_INSTALL_${_dir}}")
  else()
    set(VORNEL_PC_${_dir} "\${prefix}/${CMAKE_INSTALL_${_dir}}")
  endif()
endforeach()
configure_file(cmake/vornel.pc.in ${CMAKE_CURRENT_BINARY_DIR}/vornel.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vornel.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
