// Message boxes, each kind owned by the window that asks: a box owned by a window that is
// disabled behind a modal one would leave the modal window open to clicks behind the question.
#pragma once

#include <cstdint>
#include <string>

namespace stow {

// Flags and answers, with the values Windows uses.
constexpr uint32_t kMbOk = 0x00;
constexpr uint32_t kMbYesNo = 0x04;
constexpr uint32_t kMbIconHand = 0x10;
constexpr uint32_t kMbIconExclamation = 0x30;
constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows a box and waits for it; returns the button pressed.
    virtual int show(const std::string& text, const std::string& caption, uint32_t flags) = 0;
};

}  // namespace stow
