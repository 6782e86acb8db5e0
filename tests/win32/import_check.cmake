# Checks that an executable imports IsOS from SHLWAPI.dll by ordinal 437 and never by name:
# Shlwapi.dll before Vista exports it by ordinal only, so a by-name import would keep the
# installer from starting there.
# Usage: cmake -DEXE=<exe> -DOBJDUMP=<objdump> -P import_check.cmake

execute_process(COMMAND "${OBJDUMP}" -p "${EXE}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "import check: objdump failed on ${EXE}")
endif()
if(dump MATCHES "[ \t]IsOS[\r\n]")
    message(FATAL_ERROR "import check: ${EXE} imports IsOS by name")
endif()
# The SHLWAPI.dll block: its header line, the column titles, then one line per import. objdump
# prints the ordinal in decimal for a 32-bit image and in hex (1b5) for a 64-bit one.
set(entry "[ \t]*[0-9a-f]+[ \t]+[0-9a-f]+[ \t]+[^\r\n]*[\r\n]+")
if(NOT dump MATCHES "DLL Name: SHLWAPI.dll[\r\n]+[^\r\n]*[\r\n]+(${entry})*[ \t]*[0-9a-f]+[ \t]+(437|0*1b5)[ \t]+<none>")
    message(FATAL_ERROR "import check: ${EXE} has no SHLWAPI.dll import by ordinal 437")
endif()
message(STATUS "import check: IsOS bound by ordinal 437")
