// Texts from a package shown on a terminal: control characters are escaped either way, so a
// name cannot rearrange the terminal, and bytes that did not convert are shown as \xNN.
#include <cstdio>

#include "stowpack/text_encoding.h"

namespace stow::pack {

std::string escapedForDisplay(const std::string& text, bool utf8) {
    std::string out;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 0x20 && u < 0x7F) || (utf8 && u >= 0x80)) {
            out += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", u);
            out += escaped;
        }
    }
    return out;
}

}  // namespace stow::pack
