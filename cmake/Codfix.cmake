# Helpers shared by the folders' CMakeLists.txt.

# codfix_library(NAME SOURCES... [DEPS libs...])
# One static library per folder; the repository root is the include root, so
# headers are included as "platform/fs/file.h" or "lib/core/value.h".
function(codfix_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# codfix_test(NAME SOURCES... [DEPS libs...])
# A GoogleTest executable registered with CTest. Tests run with the test's own
# folder of data available as CODFIX_TESTDATA (tests/data at the root).
function(codfix_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  # Outside strict builds (the scripts and CI are strict), a test whose sources are
  # still being written is left out instead of breaking everyone's configure.
  if(NOT CODFIX_STRICT)
    foreach(src ${ARG_SOURCES})
      if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${src})
        message(WARNING "${name}: ${src} is missing; the test is left out")
        return()
      endif()
    endforeach()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    CODFIX_TESTDATA="${CMAKE_SOURCE_DIR}/tests/data"
    CODFIX_BINARY_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "CODFIX_BINARY_DIR=${CMAKE_BINARY_DIR}")
endfunction()
