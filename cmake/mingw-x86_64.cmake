# Cross toolchain: MinGW-w64 for 64-bit Windows (the Wine tests only; the product is the i686 stub).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
