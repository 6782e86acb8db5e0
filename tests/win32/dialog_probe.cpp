// Shows the destination dialog on its own, for looking at it and driving it under Wine: one
// Pick directory per command-line argument (the start directory), each answer printed to stdout
// with the process's current directory. "--type TEXT" instead types into a running dialog's path.
#include <windows.h>

#include <cstdio>
#include <string>

#include "views/change_dest_window.h"
#include "platform/win32/win32_platform.h"

namespace {

LRESULT CALLBACK ownerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wparam, lparam);
}

// A stand-in for the main window: the dialog is owned by whatever window is active.
HWND createOwner() {
    WNDCLASSA cls{};
    cls.lpfnWndProc = &ownerProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    cls.lpszClassName = "DialogProbeOwner";
    RegisterClassA(&cls);
    HWND owner = CreateWindowExA(0, "DialogProbeOwner", "Dialog probe", WS_OVERLAPPEDWINDOW, 40, 40,
                                 409, 183, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(owner, SW_SHOW);
    SetForegroundWindow(owner);
    return owner;
}

std::string currentDirectory() {
    char buffer[MAX_PATH + 1] = {};
    DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
    return std::string(buffer, n <= MAX_PATH ? n : 0);
}

// Replaces the path text of the dialog another probe is showing, as typing would.
int typePath(const char* text) {
    HWND dialog = FindWindowA(nullptr, "Change Destination Directory");
    if (!dialog) return 1;
    HWND edit = FindWindowExA(dialog, nullptr, "Edit", nullptr);
    if (!edit) return 1;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, &ignored);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--type") return typePath(argv[2]);
    stow::Win32Platform backend;
    HWND owner = createOwner();
    backend.setOwnerWindow(owner);
    stow::ChangeDestWindow dialog(backend.platform(), "C:\\");
    std::printf("ready %p\n", dialog.handle());
    std::fflush(stdout);
    for (int i = 1; i < argc; ++i) {
        std::string chosen;
        bool yes = dialog.pickDirectory(argv[i], chosen);
        std::printf("%s|%s|%s\n", yes ? "yes" : "no", yes ? chosen.c_str() : "",
                    currentDirectory().c_str());
        std::fflush(stdout);
    }
    DestroyWindow(owner);
    return 0;
}
