#include "platform/win32/win32_message_boxes.h"

#include <windows.h>

namespace stow {

int Win32MessageBoxes::show(const std::string& text, const std::string& caption, uint32_t flags) {
    return MessageBoxA(static_cast<HWND>(owner_), text.c_str(), caption.c_str(), flags);
}

}  // namespace stow
