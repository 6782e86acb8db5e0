# Scans a built stub for the package locator: "zxcv", four data bytes, "vbnm" must occur exactly
# once, in one piece, or the packaging step cannot patch it. An unpacked build holds "XXXX".
# Usage: cmake -DEXE=<stowaway.exe> [-DEXPECT_DATA=58585858] -P locator_scan.cmake

if(NOT EXE OR NOT EXISTS "${EXE}")
    message(FATAL_ERROR "locator scan: no executable at '${EXE}'")
endif()
if(NOT DEFINED EXPECT_DATA)
    set(EXPECT_DATA 58585858)  # "XXXX"
endif()

file(READ "${EXE}" hex HEX)
# One byte per "xx " group keeps every match on a byte boundary.
string(REGEX REPLACE "(..)" "\\1 " bytes "${hex}")
string(REGEX MATCHALL "7a 78 63 76 (.. .. .. .. )76 62 6e 6d " found "${bytes}")
list(LENGTH found count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "locator scan: ${count} locators in ${EXE}, expected exactly 1")
endif()

string(REGEX REPLACE "7a 78 63 76 (.. .. .. .. )76 62 6e 6d " "\\1" data "${found}")
string(REPLACE " " "" data "${data}")
if(EXPECT_DATA AND NOT data STREQUAL EXPECT_DATA)
    message(FATAL_ERROR "locator scan: data bytes ${data}, expected ${EXPECT_DATA}")
endif()
message(STATUS "locator scan: one locator, data bytes ${data}")
