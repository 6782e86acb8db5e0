// Path text rules shared by every phase.
#include "base/paths.h"

namespace stow {

namespace {

// True when the byte at index is the trail byte of a double-byte character: walk from the
// start, because a trail byte can look like a lead byte.
bool isTrailByte(const std::string& text, size_t index, const LeadBytePredicate& is_lead_byte) {
    size_t i = 0;
    while (i < index) {
        i += is_lead_byte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    }
    return i > index;
}

size_t lastSeparator(const std::string& path) { return path.find_last_of("\\:"); }

}  // namespace

std::string addTrailingSeparator(const std::string& text, const LeadBytePredicate& is_lead_byte) {
    if (!text.empty() && text.back() == '\\' &&
        !isTrailByte(text, text.size() - 1, is_lead_byte)) {
        return text;
    }
    return text + '\\';
}

std::string directoryPart(const std::string& path) {
    size_t at = lastSeparator(path);
    return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

std::string fileNamePart(const std::string& path) {
    size_t at = lastSeparator(path);
    return at == std::string::npos ? path : path.substr(at + 1);
}

std::string upperAscii(std::string text) {
    for (char& c : text) c = upperAscii(c);
    return text;
}

}  // namespace stow
