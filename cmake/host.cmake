# Host build: the simulated Windows, the unit tests, the packer and the benchmarks.

file(GLOB STOW_SIM_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/platform/sim/*.cpp)
stow_library(stow_sim ${STOW_SIM_SOURCES})
find_package(Threads REQUIRED)
stow_link(stow_sim stow_engine Threads::Threads)

find_package(GTest REQUIRED)
include(GoogleTest)

# Test helpers shared by the test programs.
file(GLOB STOW_TEST_SUPPORT CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/support/*.cpp)
stow_library(stow_test_support ${STOW_TEST_SUPPORT})
stow_include(stow_test_support ${PROJECT_SOURCE_DIR}/tests)
stow_link(stow_test_support stow_ui stow_uninstall stow_sim stow_pack GTest::gtest GTest::gmock)
stow_define(stow_test_support STOW_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

add_subdirectory(tools)

# One test program per test file, so a module's tests link only what that module needs.
file(GLOB_RECURSE STOW_TEST_SOURCES CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/tests/engine/*_test.cpp
     ${PROJECT_SOURCE_DIR}/tests/ui/*_test.cpp
     ${PROJECT_SOURCE_DIR}/tests/platform/*_test.cpp
     ${PROJECT_SOURCE_DIR}/tests/tools/*_test.cpp
     ${PROJECT_SOURCE_DIR}/tests/uninstall/*_test.cpp)
foreach(test_source ${STOW_TEST_SOURCES})
    get_filename_component(test_name ${test_source} NAME_WE)
    add_executable(${test_name} ${test_source})
    target_link_libraries(${test_name} PRIVATE stow_test_support GTest::gtest_main)
    gtest_discover_tests(${test_name} DISCOVERY_TIMEOUT 60)
endforeach()

option(STOW_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
if(STOW_FUZZ)
    add_subdirectory(tests/fuzz)
endif()
