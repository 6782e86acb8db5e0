// The real Windows behind the platform seam: one object that owns every Win32 backend and
// hands them out together as a Platform. The application makes one and keeps it for the run.
#pragma once

#include "platform/platform.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell_links.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_threads.h"

namespace stow {

class Win32Platform {
public:
    Win32Platform();
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    Platform& platform() { return platform_; }
    // The application's window (an HWND): owner of message boxes and special-folder queries.
    void setOwnerWindow(void* hwnd) { system_.setOwnerWindow(hwnd); }

private:
    Win32FileSystem files_;
    Win32Registry registry_;
    Win32System system_;
    Win32ShellLinks shell_;
    Win32Threads threads_;
    Platform platform_;
};

}  // namespace stow
