// The diagnostics window: a plain top-level window owned by the main window, 320 x 240, centred,
// with an EDIT control kept the size of its client area.
#include "views/diagnostics_window.h"

#include "views/gui_common.h"
#include "views/window_class.h"

namespace stow {
namespace {

constexpr char kClassName[] = "StowawayDiagnostics";
constexpr int kMemoId = 100;

LRESULT CALLBACK diagnosticsProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
        case WM_SIZE: {
            HWND memo = GetDlgItem(window, kMemoId);
            if (memo) MoveWindow(memo, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
            return 0;
        }
        case WM_SETFOCUS: {
            HWND memo = GetDlgItem(window, kMemoId);
            if (memo) SetFocus(memo);
            return 0;
        }
        case WM_CLOSE: {
            // Give activation back to the owner before this window disappears.
            HWND owner = GetWindow(window, GW_OWNER);
            if (owner) EnableWindow(owner, TRUE);
            DestroyWindow(window);
            return 0;
        }
        default:
            return DefWindowProcA(window, message, wp, lp);
    }
}

}  // namespace

void showDiagnosticsWindow(HWND owner, HFONT font, const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) text += "\r\n";
        text += lines[i];
    }

    win32::registerWindowClass(kClassName, &diagnosticsProc, win32::buttonFaceBrush());
    HWND window = CreateWindowExA(0, kClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, kDiagnosticsWidth,
                                  kDiagnosticsHeight, owner, nullptr, win32::moduleInstance(),
                                  nullptr);
    if (!window) return;
    RECT client;
    GetClientRect(window, &client);
    HWND memo = CreateWindowExA(
        WS_EX_CLIENTEDGE, "EDIT", text.c_str(),
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
            ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN,
        0, 0, client.right, client.bottom, window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kMemoId)), win32::moduleInstance(), nullptr);
    if (memo && font) win32::setUiFont(memo, font);
    win32::centerOnScreen(window);
    if (memo) SetFocus(memo);
    win32::runModal(window, owner);
}

}  // namespace stow
