# Installation: the shared libraries, their headers and a CMake package
# configuration, so that an application finds the library with
# find_package(KwCorvane).
include(CMakePackageConfigHelpers)

set(kw_installed CorvanePlatform CorvaneVcl CorvaneDesignIde KwCorvane)
if(KW_BUILD_PREVIOUS_GENERATION)
  list(APPEND kw_installed KwCorvaneD5)
endif()

# The API. The test hooks (*Testing.h) are compiled into the libraries, so
# that tests drive them as an application would, but they are installed
# apart, under corvane/testing in a component of their own: an application
# reaches them only by asking for them (the KwCorvane::Testing target).
foreach(dir platform foundation controls shell dialogs design)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${dir}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/corvane
          COMPONENT Development
          FILES_MATCHING PATTERN "*.h" PATTERN "*_p.h" EXCLUDE PATTERN "*Testing.h" EXCLUDE)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${dir}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/corvane/testing
          COMPONENT Testing
          FILES_MATCHING PATTERN "*Testing.h")
endforeach()

add_library(KwCorvaneTesting INTERFACE)
set_target_properties(KwCorvaneTesting PROPERTIES EXPORT_NAME Testing)
target_include_directories(KwCorvaneTesting INTERFACE
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/corvane/testing>)
target_link_libraries(KwCorvaneTesting INTERFACE KwCorvane)
list(APPEND kw_installed KwCorvaneTesting)

install(TARGETS ${kw_installed} EXPORT KwCorvaneTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/corvane)

install(EXPORT KwCorvaneTargets NAMESPACE KwCorvane:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/KwCorvane)
# The Qt modules the libraries' interfaces name (package/CMakeLists.txt).
string(REPLACE ";" " " KW_PACKAGE_QT_COMPONENTS "${KW_PACKAGE_QT_COMPONENTS}")
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/KwCorvaneConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/KwCorvaneConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/KwCorvane)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/KwCorvaneConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/KwCorvaneConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/KwCorvaneConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/KwCorvane)
