#include "views/window_class.h"

#include "views/gui_common.h"

namespace stow::win32 {

void registerWindowClass(const char* name, WNDPROC procedure, HBRUSH background, HICON icon) {
    WNDCLASSA existing{};
    if (GetClassInfoA(moduleInstance(), name, &existing)) return;
    WNDCLASSA cls{};
    cls.lpfnWndProc = procedure;
    cls.hInstance = moduleInstance();
    cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
    cls.hIcon = icon;
    cls.hbrBackground = background;
    cls.lpszClassName = name;
    RegisterClassA(&cls);
}

bool trackMainWindow(OwnedWindow& owner, HWND window, UINT message) {
    switch (message) {
        case WM_NCCREATE:
            owner = OwnedWindow(window);
            return false;
        case WM_NCDESTROY:
            owner.release();
            return false;
        case WM_DESTROY:
            PostQuitMessage(0);
            return true;
        default:
            return false;
    }
}

void detachWindow(HWND window) { SetWindowLongPtrA(window, GWLP_USERDATA, 0); }

}  // namespace stow::win32
