// FormatMessage with an allocated buffer, so that no text is cut at a fixed length.

#include "platform/win32/system_message.h"

#include "platform/win32/handles.h"

namespace stow::win32 {

std::string systemMessage(uint32_t code) {
    LocalMemory buffer;
    // With ALLOCATE_BUFFER the buffer argument is the address of the pointer to fill.
    DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(buffer.receive()), 0, nullptr);
    if (length == 0 || !buffer) return {};
    std::string text(static_cast<const char*>(buffer.get()), length);
    size_t end = text.find_last_not_of("\r\n ");
    text.erase(end == std::string::npos ? 0 : end + 1);
    return text;
}

}  // namespace stow::win32
