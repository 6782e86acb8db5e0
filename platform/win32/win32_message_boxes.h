// MessageBoxA with a fixed owner window (an HWND; none before the window exists).
#pragma once

#include "platform/message_boxes.h"

namespace stow {

class Win32MessageBoxes final : public MessageBoxes {
public:
    explicit Win32MessageBoxes(void* owner = nullptr) : owner_(owner) {}
    void setOwner(void* owner) { owner_ = owner; }
    int show(const std::string& text, const std::string& caption, uint32_t flags) override;

private:
    void* owner_;
};

}  // namespace stow
