// The system's own text for an error or HRESULT code, as FormatMessage gives it, with the
// trailing line break and blanks that the system appends taken off.
#pragma once

#include <cstdint>
#include <string>

namespace stow::win32 {

// "" when the system has no text for the code.
std::string systemMessage(uint32_t code);

}  // namespace stow::win32
