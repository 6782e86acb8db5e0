// The diagnostics window that F1 opens: an owned, sizable window without title text whose
// whole client area is one editable multi-line edit box with both scroll bars. It is shown
// modally and destroyed when the user closes it; what is typed there changes nothing.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace stow {

constexpr int kDiagnosticsWidth = 320;
constexpr int kDiagnosticsHeight = 240;

// Lines are joined with CR LF. Returns once the window has been closed.
void showDiagnosticsWindow(HWND owner, HFONT font, const std::vector<std::string>& lines);

}  // namespace stow
