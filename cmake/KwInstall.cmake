# Installation: the shared libraries, their headers and a CMake package
# configuration, so that an application finds the library with
# find_package(KwCorvane).
include(CMakePackageConfigHelpers)

set(kw_installed CorvanePlatform CorvaneVcl KwCorvane)
if(KW_BUILD_PREVIOUS_GENERATION)
  list(APPEND kw_installed KwCorvaneD5)
endif()

install(TARGETS ${kw_installed} EXPORT KwCorvaneTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/corvane)

foreach(dir platform foundation shell dialogs)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${dir}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/corvane
          FILES_MATCHING PATTERN "*.h" PATTERN "*_p.h" EXCLUDE)
endforeach()

install(EXPORT KwCorvaneTargets NAMESPACE KwCorvane:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/KwCorvane)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/KwCorvaneConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/KwCorvaneConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/KwCorvane)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/KwCorvaneConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/KwCorvaneConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/KwCorvaneConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/KwCorvane)
