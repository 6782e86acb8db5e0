# Windows build: the real backend and the one self-contained, size-optimised stub.

# IsOS must be imported from Shlwapi.dll by ordinal 437: Shlwapi.dll exports it by name only
# from Vista on, and MinGW's libshlwapi.a imports it by name. A one-entry import library made
# from a .def file binds it by ordinal; it comes before shlwapi on the link line.
find_program(STOW_DLLTOOL NAMES ${CMAKE_DLLTOOL} i686-w64-mingw32-dlltool dlltool REQUIRED)
set(STOW_SHLWAPI_DEF ${CMAKE_CURRENT_BINARY_DIR}/shlwapi_ordinals.def)
set(STOW_SHLWAPI_LIB ${CMAKE_CURRENT_BINARY_DIR}/libshlwapi_ordinals.a)
file(CONFIGURE OUTPUT ${STOW_SHLWAPI_DEF}
     CONTENT "LIBRARY SHLWAPI.dll\nEXPORTS\nIsOS@4 @437 NONAME\n")
add_custom_command(OUTPUT ${STOW_SHLWAPI_LIB}
                   COMMAND ${STOW_DLLTOOL} -d ${STOW_SHLWAPI_DEF} -l ${STOW_SHLWAPI_LIB}
                   DEPENDS ${STOW_SHLWAPI_DEF}
                   COMMENT "Import library binding IsOS by ordinal")
add_custom_target(stow_shlwapi_ordinals_build DEPENDS ${STOW_SHLWAPI_LIB})
add_library(stow_shlwapi_ordinals STATIC IMPORTED)
set_target_properties(stow_shlwapi_ordinals PROPERTIES IMPORTED_LOCATION ${STOW_SHLWAPI_LIB})
add_dependencies(stow_shlwapi_ordinals stow_shlwapi_ordinals_build)

file(GLOB STOW_WIN32_SOURCES CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/platform/win32/*.cpp
     ${PROJECT_SOURCE_DIR}/platform/win32/gui/*.cpp)
stow_library(stow_win32 ${STOW_WIN32_SOURCES})
stow_link(stow_win32 stow_ui stow_shlwapi_ordinals shlwapi ole32 uuid comctl32 shell32 gdi32
          user32 advapi32 kernel32)

set(STOW_STATIC_LINK -static -static-libgcc -static-libstdc++ -s)
find_program(STOW_OBJDUMP NAMES ${CMAKE_OBJDUMP} i686-w64-mingw32-objdump objdump REQUIRED)

# The stub proper, once its start-up exists (app/ also holds pieces such as the locator).
file(GLOB STOW_APP_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/app/*.cpp)
if(EXISTS ${PROJECT_SOURCE_DIR}/app/main.cpp)
    add_executable(stowaway WIN32 ${STOW_APP_SOURCES})
    target_link_libraries(stowaway PRIVATE stow_win32)
    target_link_options(stowaway PRIVATE ${STOW_STATIC_LINK})

    # The packaging step patches the locator in place, so it must be in the image exactly once.
    add_test(NAME win32_package_locator_once
             COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:stowaway>
                     -P ${PROJECT_SOURCE_DIR}/tests/win32/locator_scan.cmake)
    add_test(NAME win32_stub_isos_by_ordinal
             COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:stowaway> -DOBJDUMP=${STOW_OBJDUMP}
                     -P ${PROJECT_SOURCE_DIR}/tests/win32/import_check.cmake)
endif()

# A console program that runs every backend operation against the real API (under Wine or on
# Windows) and reports each check; tests/win32/run_backend_probe.sh drives it.
if(EXISTS ${PROJECT_SOURCE_DIR}/tests/win32/backend_probe.cpp)
    add_executable(backend_probe ${PROJECT_SOURCE_DIR}/tests/win32/backend_probe.cpp)
    target_link_libraries(backend_probe PRIVATE stow_win32)
    target_link_options(backend_probe PRIVATE ${STOW_STATIC_LINK})
    add_test(NAME win32_probe_isos_by_ordinal
             COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:backend_probe> -DOBJDUMP=${STOW_OBJDUMP}
                     -P ${PROJECT_SOURCE_DIR}/tests/win32/import_check.cmake)

    # Under Wine, in a 32-bit, a 64-bit (WOW64) and a Windows 98 prefix of the build's own,
    # made once by a fixture (tens of seconds each); a run then takes a few seconds.
    find_program(STOW_WINE wine)
    if(STOW_WINE)
        set(probe_dir ${PROJECT_SOURCE_DIR}/tests/win32)
        set(prefix_root ${CMAKE_CURRENT_BINARY_DIR}/wine-probe)
        foreach(probe win32:32:2 win64:64:2 win98:32:1)
            string(REPLACE ":" ";" probe ${probe})
            list(GET probe 0 arch)
            list(GET probe 1 bits)
            list(GET probe 2 platform_id)
            add_test(NAME win32_probe_prefix_${arch}
                     COMMAND sh ${probe_dir}/make_wine_prefix.sh ${prefix_root}/${arch} ${arch})
            set_tests_properties(win32_probe_prefix_${arch} PROPERTIES
                                 FIXTURES_SETUP probe_prefix_${arch} TIMEOUT 600)
            add_test(NAME win32_backend_probe_${arch}
                     COMMAND sh ${probe_dir}/run_backend_probe.sh $<TARGET_FILE:backend_probe>
                             ${prefix_root}/${arch} ${bits} ${platform_id})
            set_tests_properties(win32_backend_probe_${arch} PROPERTIES
                                 FIXTURES_REQUIRED probe_prefix_${arch} TIMEOUT 120)
        endforeach()
    endif()
endif()

# The Wine end-to-end tests drive the stub through a small Win32 test driver.
if(EXISTS ${PROJECT_SOURCE_DIR}/tests/wine/CMakeLists.txt)
    add_subdirectory(tests/wine)
endif()
