// One way for the program's windows to reach their objects: a class registered once per process,
// and a window procedure that hands every message, from WM_NCCREATE on, to the object that
// CreateWindowEx was given as its creation parameter.
#pragma once

#include <windows.h>

#include "platform/win32/handles.h"

namespace stow::win32 {

// Registers the class unless this process already has it: arrow cursor, the given background
// (none: the window paints every pixel) and icon.
void registerWindowClass(const char* name, WNDPROC procedure, HBRUSH background,
                         HICON icon = nullptr);

// Stops a window's messages from reaching its object, for an object that goes before its window.
void detachWindow(HWND window);

// A program's main window and its own lifetime, alike for every program: owner takes the handle
// at WM_NCCREATE (before CreateWindowEx returns, so the controls can be made in the constructor),
// gives it up at WM_NCDESTROY (the close box destroyed it), and the window's end ends the message
// loop. True for WM_DESTROY, which then needs nothing more (its result is 0); the other two go on
// to the default handling as usual.
bool trackMainWindow(OwnedWindow& owner, HWND window, UINT message);

// The procedure for a class whose windows are created with a Target* as their parameter:
// (target->*Handle)(window, message, wp, lp). Messages before WM_NCCREATE, and after
// WM_NCDESTROY or detachWindow, get the default handling.
template <typename Target, LRESULT (Target::*Handle)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK routeMessages(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lp);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* target = reinterpret_cast<Target*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!target) return DefWindowProcA(window, message, wp, lp);
    if (message == WM_NCDESTROY) detachWindow(window);
    return (target->*Handle)(window, message, wp, lp);
}

}  // namespace stow::win32
