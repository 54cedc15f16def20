# GoogleTest is built from Debian's source package so that every preset (32-bit and
# sanitized builds included) links a copy compiled with its own flags.
set(MOX_GOOGLETEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources")
if(NOT EXISTS "${MOX_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt")
  message(FATAL_ERROR "GoogleTest sources not found in ${MOX_GOOGLETEST_SOURCE_DIR}; run scripts/setup.sh")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory("${MOX_GOOGLETEST_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/_deps/googletest" EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)

# mox_add_test(NAME SOURCES... LIBS ...): one test executable, its cases registered with CTest.
function(mox_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE MOX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  # Under an emulator (cmake/TestEmulator.cmake) death tests fork instead of starting the program again.
  set(environment "")
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    set(environment ENVIRONMENT MOX_TEST_EMULATED=1)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300 ${environment})
endfunction()
