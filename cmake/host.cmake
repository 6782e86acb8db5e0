# Host build: the simulated Windows, the unit tests, the packer and the benchmarks.

find_package(Threads REQUIRED)
stow_layer(stow_sim platform/sim LINK stow_profiles Threads::Threads EXCLUDE profiles.cpp)

find_package(GTest REQUIRED)
include(GoogleTest)

# Test helpers shared by the test programs.
stow_layer(stow_test_support tests/support
           LINK stow_ui stow_uninstall stow_pixel_canvas stow_sim stow_pack GTest::gtest GTest::gmock)
target_include_directories(stow_test_support PUBLIC ${PROJECT_SOURCE_DIR}/tests)
target_compile_definitions(stow_test_support PUBLIC STOW_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

add_subdirectory(tools)

# One test program per test file (each links the shared test support), so one module's tests
# can be built and run alone.
file(GLOB_RECURSE STOW_TEST_SOURCES CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/tests/base/*_test.cpp
     ${PROJECT_SOURCE_DIR}/tests/engine/*_test.cpp
     ${PROJECT_SOURCE_DIR}/tests/package/*_test.cpp
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

# Every #include looks down the layers; the check's own test plants upward ones.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME layering COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/check_layers.py
                               ${PROJECT_SOURCE_DIR})
add_test(NAME layering_check_test
         COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/scripts/check_layers_test.py)
