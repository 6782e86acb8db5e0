// Line filter for INF files. One template serves 8-bit and UTF-16 text, because a UTF-16 file
// split at single CR or LF bytes would come out shifted by a byte and unreadable.
#include "engine/inf_filter.h"

#include <cstddef>

namespace stow {

namespace {

unsigned unitValue(char c) { return static_cast<unsigned char>(c); }
unsigned unitValue(char16_t c) { return c; }

// True when units [first, last) spell the ASCII word exactly.
template <class Text>
bool spells(const Text& text, size_t first, size_t last, const char* word) {
    size_t i = 0;
    for (; word[i] != '\0'; ++i) {
        if (first + i >= last || unitValue(text[first + i]) != static_cast<unsigned char>(word[i])) {
            return false;
        }
    }
    return first + i == last;
}

template <class Text>
bool isRemovedLine(const Text& text, size_t begin, size_t end) {
    size_t equals = begin;
    while (equals < end && unitValue(text[equals]) != '=') ++equals;
    if (equals == end) return false;
    size_t first = begin;
    size_t last = equals;
    while (first < last && unitValue(text[first]) <= 0x20) ++first;
    while (last > first && unitValue(text[last - 1]) <= 0x20) --last;
    return spells(text, first, last, "CopyFiles") || spells(text, first, last, "CatalogFile");
}

template <class Text>
Text filterText(const Text& text) {
    using Unit = typename Text::value_type;
    const Unit line_end[] = {Unit('\r'), Unit('\n')};
    Text out;
    out.reserve(text.size() + text.size() / 16 + 2);
    const size_t n = text.size();
    size_t begin = 0;
    while (begin < n) {
        size_t i = begin;
        while (i < n && unitValue(text[i]) != '\r' && unitValue(text[i]) != '\n') ++i;
        if (!isRemovedLine(text, begin, i)) {
            out.append(text, begin, i - begin);
            out.append(line_end, 2);
        }
        // CR LF is one break; LF CR is two.
        if (i + 1 < n && unitValue(text[i]) == '\r' && unitValue(text[i + 1]) == '\n') ++i;
        begin = i + 1;
    }
    return out;
}

std::string filterUtf16(const std::string& content, bool little_endian) {
    const size_t kMark = 2;  // the byte-order mark stays as it is
    const size_t whole = (content.size() - kMark) / 2 * 2;
    std::u16string units;
    units.reserve(whole / 2);
    for (size_t i = kMark; i < kMark + whole; i += 2) {
        char16_t a = static_cast<unsigned char>(content[i]);
        char16_t b = static_cast<unsigned char>(content[i + 1]);
        units.push_back(little_endian ? static_cast<char16_t>(a | b << 8)
                                      : static_cast<char16_t>(a << 8 | b));
    }
    std::u16string kept = filterText(units);
    std::string out = content.substr(0, kMark);
    out.reserve(kMark + kept.size() * 2 + 1);
    for (char16_t u : kept) {
        char lo = static_cast<char>(u & 0xFF);
        char hi = static_cast<char>(u >> 8);
        out.push_back(little_endian ? lo : hi);
        out.push_back(little_endian ? hi : lo);
    }
    // A stray odd byte at the end is not a whole unit; keep it rather than drop data.
    out.append(content, kMark + whole, std::string::npos);
    return out;
}

}  // namespace

std::string filterInf(const std::string& content) {
    if (content.size() >= 2) {
        unsigned b0 = static_cast<unsigned char>(content[0]);
        unsigned b1 = static_cast<unsigned char>(content[1]);
        if (b0 == 0xFF && b1 == 0xFE) return filterUtf16(content, true);
        if (b0 == 0xFE && b1 == 0xFF) return filterUtf16(content, false);
    }
    return filterText(content);
}

}  // namespace stow
