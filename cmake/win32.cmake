# Windows build: the real backend and the one self-contained, size-optimised stub.

file(GLOB STOW_WIN32_SOURCES CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/platform/win32/*.cpp
     ${PROJECT_SOURCE_DIR}/platform/win32/gui/*.cpp)
stow_library(stow_win32 ${STOW_WIN32_SOURCES})
stow_link(stow_win32 stow_ui shlwapi ole32 uuid comctl32 gdi32 user32 kernel32)

file(GLOB STOW_APP_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/app/*.cpp)
if(STOW_APP_SOURCES)
    add_executable(stowaway WIN32 ${STOW_APP_SOURCES})
    target_link_libraries(stowaway PRIVATE stow_win32)
    target_link_options(stowaway PRIVATE -static -static-libgcc -static-libstdc++ -s)
endif()

# The Wine end-to-end tests drive the stub through a small Win32 test driver.
if(EXISTS ${PROJECT_SOURCE_DIR}/tests/wine/CMakeLists.txt)
    add_subdirectory(tests/wine)
endif()
