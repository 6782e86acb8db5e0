// Ties the Win32 backends together into the Platform the engine and the UI are given.

#include "platform/win32/win32_platform.h"

namespace stow {

Win32Platform::Win32Platform()
    : platform_{files_, registry_, system_, shell_, threads_} {}

}  // namespace stow
