# Build helpers shared by every layer.
#
# A layer is one object library made of every .cpp below its folder, so that
# adding a file never means editing a list. Layers are linked into the shared
# "run-time packages" (see package/) and, statically, into the demo.

function(kw_setup_compiler)
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    add_compile_options(-Wall -Wextra -Wpedantic -Wno-unused-parameter)
    if(KW_SANITIZE)
      add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                          -fno-sanitize-recover=undefined)
      add_link_options(-fsanitize=address,undefined)
    endif()
    if(KW_THREAD_SANITIZER)
      if(KW_SANITIZE)
        message(FATAL_ERROR "ThreadSanitizer does not combine with AddressSanitizer")
      endif()
      add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
      add_link_options(-fsanitize=thread)
    endif()
    if(KW_BUILD_FUZZ)
      if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "KW_BUILD_FUZZ needs clang")
      endif()
      # Coverage for every layer, so that the fuzzers see into the parsers.
      add_compile_options(-fsanitize=fuzzer-no-link)
    endif()
  endif()
endfunction()

# kw_add_layer(<target> DIR <dir> [INCLUDE <dir>...] [DEPS <target>...] [DEFINES ...])
function(kw_add_layer target)
  cmake_parse_arguments(ARG "" "DIR" "INCLUDE;DEPS;DEFINES" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${ARG_DIR}/*.cpp")
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS "${ARG_DIR}/*.h")
  if(NOT sources)
    # A layer that has no code yet still makes an (empty) object library.
    set(sources ${CMAKE_BINARY_DIR}/kw_empty_layer.cpp)
    file(WRITE ${sources} "")
  endif()
  add_library(${target} OBJECT ${sources} ${headers})
  # The libraries show only their interface: what a header marks with the
  # library's export macro (CorvanePlatformExport.h, CorvaneVclExport.h,
  # KwCorvaneExport.h); everything else, template instantiations included,
  # stays inside.
  set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  foreach(inc IN LISTS ARG_INCLUDE)
    target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${inc}>
                                                $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/corvane>)
  endforeach()
  if(ARG_DEPS)
    target_link_libraries(${target} PUBLIC ${ARG_DEPS})
  endif()
  if(ARG_DEFINES)
    target_compile_definitions(${target} PUBLIC ${ARG_DEFINES})
  endif()
endfunction()

# kw_add_test(<name> DIR <dir> LIBS <libs...>): one GoogleTest program made of
# every .cpp in <dir> (not recursive), run through CTest under the offscreen
# platform.
function(kw_add_test name)
  cmake_parse_arguments(ARG "" "DIR" "LIBS;SOURCES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${ARG_DIR}/*.cpp")
  add_executable(${name} ${sources} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE kw_test_support ${ARG_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KW_TEST_OUTPUT=${CMAKE_BINARY_DIR}/test-output"
    TIMEOUT 600)
endfunction()

# kw_add_fuzzer(<name> SOURCES <files> LIBS <libs>)
function(kw_add_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()
