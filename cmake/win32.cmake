# Windows build: the real backend and the one self-contained, size-optimised stub.

# IsOS must be imported from Shlwapi.dll by ordinal 437: Shlwapi.dll exports it by name only
# from Vista on, and MinGW's libshlwapi.a imports it by name. A one-entry import library made
# from a .def file binds it by ordinal; it comes before shlwapi on the link line. The x86_64
# build (for the tests under 64-bit Wine) needs the same, without the stdcall decoration.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(STOW_WIN64 ON)
    set(STOW_ISOS_EXPORT "IsOS")
else()
    set(STOW_WIN64 OFF)
    set(STOW_ISOS_EXPORT "IsOS@4")
endif()
find_program(STOW_DLLTOOL NAMES ${CMAKE_DLLTOOL} ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-dlltool
             dlltool REQUIRED)
set(STOW_SHLWAPI_DEF ${CMAKE_CURRENT_BINARY_DIR}/shlwapi_ordinals.def)
set(STOW_SHLWAPI_LIB ${CMAKE_CURRENT_BINARY_DIR}/libshlwapi_ordinals.a)
file(CONFIGURE OUTPUT ${STOW_SHLWAPI_DEF}
     CONTENT "LIBRARY SHLWAPI.dll\nEXPORTS\n${STOW_ISOS_EXPORT} @437 NONAME\n")
add_custom_command(OUTPUT ${STOW_SHLWAPI_LIB}
                   COMMAND ${STOW_DLLTOOL} -d ${STOW_SHLWAPI_DEF} -l ${STOW_SHLWAPI_LIB}
                   DEPENDS ${STOW_SHLWAPI_DEF}
                   COMMENT "Import library binding IsOS by ordinal")
add_custom_target(stow_shlwapi_ordinals_build DEPENDS ${STOW_SHLWAPI_LIB})
add_library(stow_shlwapi_ordinals STATIC IMPORTED)
set_target_properties(stow_shlwapi_ordinals PROPERTIES IMPORTED_LOCATION ${STOW_SHLWAPI_LIB})
add_dependencies(stow_shlwapi_ordinals stow_shlwapi_ordinals_build)

# The real backend of the platform seam, and the Win32 views over the UI controllers.
stow_layer(stow_win32 platform/win32 LINK stow_base stow_shlwapi_ordinals shlwapi ole32 uuid
           shell32 advapi32 kernel32)
stow_layer(stow_views views LINK stow_ui stow_win32 comctl32 gdi32 user32)

set(STOW_STATIC_LINK -static -static-libgcc -static-libstdc++ -s)

# Size of the Windows programs. Link-time optimisation over the engine, the UI and the backend
# (one partition: GCC 12 for MinGW stops with an internal error when it splits this program),
# and std::string members instantiated where they are used instead of the library's whole
# std::string object (cmake/local_instantiation.h). --gc-sections alone removes little here:
# the unwind tables refer to every function of every object that is linked.
set(STOW_SIZE_TARGETS stow_base stow_package stow_engine stow_ui stow_win32 stow_views stow_uninstall)
set(STOW_SIZE_COMPILE -include ${PROJECT_SOURCE_DIR}/cmake/local_instantiation.h)
set(STOW_SIZE_LINK -flto-partition=one -Os)
function(stow_optimise_size target)
    set_property(TARGET ${target} PROPERTY INTERPROCEDURAL_OPTIMIZATION ON)
    target_compile_options(${target} PRIVATE ${STOW_SIZE_COMPILE})
endfunction()
foreach(target ${STOW_SIZE_TARGETS})
    stow_optimise_size(${target})
endforeach()
find_program(STOW_OBJDUMP NAMES ${CMAKE_OBJDUMP} ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-objdump objdump
             REQUIRED)

# The stub: the start-up composes the views, the controllers and the backend.
file(GLOB STOW_APP_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/app/*.cpp)
include(${PROJECT_SOURCE_DIR}/cmake/stub_resources.cmake)
# The silent run's view is empty bodies that cannot throw: no unwind tables for them.
set_source_files_properties(${PROJECT_SOURCE_DIR}/ui/silent_view.cpp PROPERTIES
                            COMPILE_OPTIONS "-fno-exceptions;-fno-asynchronous-unwind-tables")
add_executable(stowaway WIN32 ${STOW_APP_SOURCES} ${STOW_STUB_RC})
target_link_libraries(stowaway PRIVATE stow_views)
target_link_options(stowaway PRIVATE ${STOW_STATIC_LINK} ${STOW_SIZE_LINK}
                    -Wl,-Map=${CMAKE_CURRENT_BINARY_DIR}/stowaway.map)
stow_optimise_size(stowaway)

# The packaging step patches the locator in place, so it must be in the image exactly once.
add_test(NAME win32_package_locator_once
         COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:stowaway>
                 -P ${PROJECT_SOURCE_DIR}/tests/win32/locator_scan.cmake)
add_test(NAME win32_stub_isos_by_ordinal
         COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:stowaway> -DOBJDUMP=${STOW_OBJDUMP}
                 -P ${PROJECT_SOURCE_DIR}/tests/win32/import_check.cmake)

# The uninstaller: a second GUI program from the same sources, packed by stowpack into every
# installer as <vendor>Uninstall.exe. stowpack finds it beside the stub.
file(GLOB STOW_UNINSTALL_APP_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/uninstall_app/*.cpp)
add_executable(stowuninstall WIN32 ${STOW_UNINSTALL_APP_SOURCES})
target_link_libraries(stowuninstall PRIVATE stow_uninstall stow_views)
target_link_options(stowuninstall PRIVATE ${STOW_STATIC_LINK} ${STOW_SIZE_LINK})
stow_optimise_size(stowuninstall)
add_test(NAME win32_uninstaller_isos_by_ordinal
         COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:stowuninstall> -DOBJDUMP=${STOW_OBJDUMP}
                 -P ${PROJECT_SOURCE_DIR}/tests/win32/import_check.cmake)

# Which Wine runs this tree's programs, decided once at configure time. The x86_64 tree is
# for the tests under 64-bit Wine (profile x64). The i686 tree's Wine is itself a 32-bit Linux
# program: where the kernel cannot run those, its Wine tests are replaced by one skipped test
# that says why.
set(STOW_WINE_PROFILES "")
set(STOW_WINE_SKIP_REASON "")
if(STOW_WIN64)
    # Debian's wine script tries the 32-bit loader first, so the 64-bit one is named directly.
    find_program(STOW_WINE64 NAMES wine64 PATHS /usr/lib/wine)
    if(STOW_WINE64)
        set(STOW_WINE_PROFILES x64)
    else()
        set(STOW_WINE_SKIP_REASON "no 64-bit Wine (wine64) found")
    endif()
else()
    find_program(STOW_WINE32 NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
    find_program(STOW_WINE32 NAMES wine)
    if(STOW_WINE32)
        execute_process(COMMAND ${STOW_WINE32} --version RESULT_VARIABLE wine_rc
                        OUTPUT_QUIET ERROR_QUIET)
        if(wine_rc EQUAL 0)
            set(STOW_WINE_PROFILES win32 win64 win98)
        else()
            set(STOW_WINE_SKIP_REASON
                "this machine cannot run 32-bit programs (${STOW_WINE32} --version failed); the win64 tree runs them under 64-bit Wine (profile x64)")
        endif()
    else()
        set(STOW_WINE_SKIP_REASON "no Wine found")
    endif()
endif()
if(STOW_WINE_SKIP_REASON)
    message(STATUS "Wine tests: skipped: ${STOW_WINE_SKIP_REASON}")
else()
    message(STATUS "Wine tests: profiles ${STOW_WINE_PROFILES}")
endif()

# A console program that runs every backend operation against the real API (under Wine or on
# Windows) and reports each check; tests/win32/run_backend_probe.sh drives it. Its checks expect
# a 32-bit process, so only the i686 tree runs it.
if(NOT STOW_WIN64)
    add_executable(backend_probe ${PROJECT_SOURCE_DIR}/tests/win32/backend_probe.cpp)
    target_link_libraries(backend_probe PRIVATE stow_win32)
    target_link_options(backend_probe PRIVATE ${STOW_STATIC_LINK} ${STOW_SIZE_LINK})
    stow_optimise_size(backend_probe)
    add_test(NAME win32_probe_isos_by_ordinal
             COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:backend_probe> -DOBJDUMP=${STOW_OBJDUMP}
                     -P ${PROJECT_SOURCE_DIR}/tests/win32/import_check.cmake)

    # Under Wine, in a 32-bit, a 64-bit (WOW64) and a Windows 98 prefix of the build's own,
    # made once by a fixture (tens of seconds each); a run then takes a few seconds.
    if(STOW_WINE_PROFILES)
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
    elseif(STOW_WINE_SKIP_REASON)
        add_test(NAME win32_backend_probe_unavailable
                 COMMAND sh -c "echo \"$1\"; exit 77" sh "backend probe not run: ${STOW_WINE_SKIP_REASON}")
        set_tests_properties(win32_backend_probe_unavailable PROPERTIES SKIP_RETURN_CODE 77)
    endif()
endif()

# stowpack for vendors who build and sign on Windows: the x86_64 tree builds it statically and
# checks under Wine that it gives the Linux build's bytes and output.
if(STOW_WIN64)
    add_subdirectory(tools)
endif()

# The Wine end-to-end tests drive the stub through a small Win32 test driver.
add_subdirectory(tests/wine)
