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
# GoogleTest keeps the C runtime's allocation functions: only the project's code and the libraries
# a plugin carries are renamed (platform/c_allocation_routing.h).
if(MOX_C_ALLOCATION_ROUTING)
  foreach(target gtest gtest_main gmock gmock_main)
    get_target_property(options ${target} COMPILE_OPTIONS)
    list(REMOVE_ITEM options "${MOX_C_ALLOCATION_ROUTING}")
    set_target_properties(${target} PROPERTIES COMPILE_OPTIONS "${options}")
  endforeach()
endif()

# mox_add_test(NAME SOURCES... LIBS ...): one test executable, its cases registered with CTest.
function(mox_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  if(MOX_C_ALLOCATION_ROUTING)
    # The test's own sources are renamed; the platform library has the functions they call.
    target_link_libraries(${name} PRIVATE mox_platform)
  endif()
  target_compile_definitions(${name} PRIVATE MOX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  # Under an emulator (cmake/TestEmulator.cmake) death tests fork instead of starting the program again.
  set(environment "")
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    set(environment ENVIRONMENT MOX_TEST_EMULATED=1)
  endif()
  # Windows programs list their cases under Wine when the tests run, so building them needs no Wine.
  set(mode "")
  if(WIN32)
    set(mode DISCOVERY_MODE PRE_TEST)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 120 ${mode} PROPERTIES TIMEOUT 300 ${environment})
endfunction()
