# Scans a built stub for the package locator: head, four data bytes, tail must occur exactly
# once, in one piece, or the packaging step cannot patch it. An unpacked build holds the
# unpatched data bytes. Usage: cmake -DEXE=<stowaway.exe> [-DEXPECT_DATA=<hex>] -P locator_scan.cmake

if(NOT EXE OR NOT EXISTS "${EXE}")
    message(FATAL_ERROR "locator scan: no executable at '${EXE}'")
endif()
# The locator's parts as the package format defines them, each as "xx " byte groups.
file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/../../package/format.h" parts
     REGEX "^constexpr char kLocator(Head|Unpatched|Tail)\\[\\] = \"....\";")
foreach(part ${parts})
    string(REGEX REPLACE "^constexpr char kLocator([A-Za-z]+).*\"(....)\";$" "\\1;\\2" pair "${part}")
    list(GET pair 0 name)
    list(GET pair 1 text)
    string(HEX "${text}" hex_text)
    string(REGEX REPLACE "(..)" "\\1 " locator_${name} "${hex_text}")
    set(locator_hex_${name} ${hex_text})
endforeach()
if(NOT locator_Head OR NOT locator_Tail OR NOT locator_Unpatched)
    message(FATAL_ERROR "locator scan: the locator's parts were not found in package/format.h")
endif()
if(NOT DEFINED EXPECT_DATA)
    set(EXPECT_DATA ${locator_hex_Unpatched})
endif()

file(READ "${EXE}" hex HEX)
# One byte per "xx " group keeps every match on a byte boundary.
string(REGEX REPLACE "(..)" "\\1 " bytes "${hex}")
set(pattern "${locator_Head}(.. .. .. .. )${locator_Tail}")
string(REGEX MATCHALL "${pattern}" found "${bytes}")
list(LENGTH found count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "locator scan: ${count} locators in ${EXE}, expected exactly 1")
endif()

string(REGEX REPLACE "${pattern}" "\\1" data "${found}")
string(REPLACE " " "" data "${data}")
if(EXPECT_DATA AND NOT data STREQUAL EXPECT_DATA)
    message(FATAL_ERROR "locator scan: data bytes ${data}, expected ${EXPECT_DATA}")
endif()
message(STATUS "locator scan: one locator, data bytes ${data}")
