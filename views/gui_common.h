// What the installer's windows share: the designed font ("MS Sans Serif", 8 point), the button
// face background, system colours and metrics for custom painting, centring on the screen, and
// the modal loop that keeps a window's owner disabled while it is shown.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/handles.h"
#include "ui/canvas.h"

namespace stow::win32 {

// "MS Sans Serif", height -11, default character set; Windows substitutes where it is missing.
Font createUiFont();
// The system's clBtnFace brush; owned by the system, never deleted.
HBRUSH buttonFaceBrush();

// GetSysColor and GetSystemMetrics.
class Win32SystemLook : public SystemLook {
public:
    Color sysColor(int index) override;
    int systemMetric(int index) override;
};

// A colour value (possibly naming a system colour) as a COLORREF.
COLORREF toColorRef(Color color);

HINSTANCE moduleInstance();
std::string windowText(HWND window);
void setUiFont(HWND window, HFONT font);
// Moves window so that its outer rectangle is centred on the primary screen.
void centerOnScreen(HWND window);

// Shows window and runs a message loop until it is destroyed, with owner disabled meanwhile.
// A WM_QUIT that arrives is put back for the outer loop, and the window is destroyed.
void runModal(HWND window, HWND owner);

}  // namespace stow::win32
