// A stand-in application for checking the Wine test driver itself: a message box like the
// installer's load errors, or a small window with a label, buttons, key handling and a locked
// height like the installer's main window.
#include <windows.h>

#include <cstring>
#include <string>

namespace {

constexpr int kLabelId = 100;
constexpr int kPressId = 101;
constexpr int kHiddenId = 102;
constexpr int kLockedHeight = 200;

HWND g_label = nullptr;

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wparam) == kPressId && HIWORD(wparam) == BN_CLICKED)
            SetWindowTextA(g_label, "pressed");
        return 0;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
        info->ptMinTrackSize.y = kLockedHeight;
        info->ptMaxTrackSize.y = kLockedHeight;
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

// Keys are seen before the focused control gets them, as a form with key preview does.
void noteKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return;
    if (msg.wParam != VK_F1) return;
    std::string text = "F1";
    if (GetKeyState(VK_MENU) < 0) text = "Alt+" + text;
    if (GetKeyState(VK_CONTROL) < 0) text = "Ctrl+" + text;
    if (GetKeyState(VK_SHIFT) < 0) text = "Shift+" + text;
    SetWindowTextA(g_label, text.c_str());
}

int runWindow(const char* title) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "HarnessTarget";
    RegisterClassA(&wc);

    HWND hwnd = CreateWindowA("HarnessTarget", title, WS_OVERLAPPEDWINDOW, 100, 100, 400,
                              kLockedHeight, nullptr, nullptr, instance, nullptr);
    g_label = CreateWindowA("STATIC", "ready\r\nsecond line", WS_CHILD | WS_VISIBLE | SS_CENTER,
                            10, 10, 370, 40, hwnd, reinterpret_cast<HMENU>(kLabelId), instance,
                            nullptr);
    CreateWindowA("BUTTON", "&Press", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 150,
                  100, 100, 25, hwnd, reinterpret_cast<HMENU>(kPressId), instance, nullptr);
    CreateWindowA("BUTTON", "Hidden", WS_CHILD | BS_PUSHBUTTON, 260, 100, 100, 25, hwnd,
                  reinterpret_cast<HMENU>(kHiddenId), instance, nullptr);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        noteKey(msg);
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "msgbox") == 0) {
        MessageBoxA(nullptr, argv[3], argv[2], MB_OK | MB_ICONEXCLAMATION);
        return 3;
    }
    if (argc == 3 && std::strcmp(argv[1], "window") == 0) return runWindow(argv[2]);
    return 2;
}
