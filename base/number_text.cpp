// Digits are produced backwards into a small buffer, then padded.
#include "base/number_text.h"

namespace stow {

namespace {

std::string padded(const char* digits_end, int count, int min_digits) {
    std::string text;
    if (min_digits > count) text.assign(static_cast<size_t>(min_digits - count), '0');
    text.append(digits_end - count, static_cast<size_t>(count));
    return text;
}

}  // namespace

std::string decimalText(int64_t value, int min_digits) {
    // The magnitude as unsigned, so the most negative value has one too.
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    char buffer[24];
    char* end = buffer + sizeof buffer;
    int count = 0;
    do {
        *(end - 1 - count) = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
        ++count;
    } while (magnitude != 0);
    std::string digits = padded(end, count, min_digits);
    return value < 0 ? "-" + digits : digits;
}

std::string hexText(uint64_t value, int min_digits, bool upper) {
    const char* alphabet = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char buffer[20];
    char* end = buffer + sizeof buffer;
    int count = 0;
    do {
        *(end - 1 - count) = alphabet[value & 0xF];
        value >>= 4;
        ++count;
    } while (value != 0);
    return padded(end, count, min_digits);
}

}  // namespace stow
