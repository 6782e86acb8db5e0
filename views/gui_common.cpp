// Shared Win32 GUI helpers. The modal loop mirrors what a modal form does: the owner is disabled
// so that it receives no input, and re-enabled before the modal window goes away, so that
// activation returns to it rather than to another application.
#include "views/gui_common.h"

#include <vector>

namespace stow::win32 {

Font createUiFont() {
    return Font(CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif"));
}

HBRUSH buttonFaceBrush() { return GetSysColorBrush(COLOR_BTNFACE); }

Color Win32SystemLook::sysColor(int index) { return GetSysColor(index) & 0xFFFFFF; }

int Win32SystemLook::systemMetric(int index) { return GetSystemMetrics(index); }

COLORREF toColorRef(Color color) {
    return isSystemColor(color) ? GetSysColor(static_cast<int>(color & 0xFF)) & 0xFFFFFF
                                : static_cast<COLORREF>(color & 0xFFFFFF);
}

HINSTANCE moduleInstance() { return GetModuleHandleA(nullptr); }

std::string windowText(HWND window) {
    int length = GetWindowTextLengthA(window);
    if (length <= 0) return {};
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    int got = GetWindowTextA(window, buffer.data(), length + 1);
    return std::string(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void setUiFont(HWND window, HFONT font) {
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void centerOnScreen(HWND window) {
    RECT r;
    if (!GetWindowRect(window, &r)) return;
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void runModal(HWND window, HWND owner) {
    bool owner_was_enabled = owner && IsWindowEnabled(owner);
    if (owner) EnableWindow(owner, FALSE);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);

    MSG msg;
    bool quit = false;
    WPARAM quit_code = 0;
    while (IsWindow(window)) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            quit = got == 0;
            quit_code = msg.wParam;
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    if (owner && owner_was_enabled) EnableWindow(owner, TRUE);
    if (IsWindow(window)) DestroyWindow(window);
    if (owner && IsWindow(owner)) SetActiveWindow(owner);
    if (quit) PostQuitMessage(static_cast<int>(quit_code));
}

}  // namespace stow::win32
