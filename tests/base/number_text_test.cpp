// The digit helpers must give what printf gave in the messages and values they replaced.
#include "base/number_text.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <limits>

namespace stow {
namespace {

std::string printfText(const char* format, long long value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

TEST(NumberTextTest, DecimalMatchesPrintfPrecision) {
    const long long values[] = {0, 1, 7, 9, 10, 99, 100, 2024, 12345, -1, -5, -123,
                                std::numeric_limits<int32_t>::max(),
                                std::numeric_limits<int32_t>::min(),
                                std::numeric_limits<int64_t>::max(),
                                std::numeric_limits<int64_t>::min()};
    for (long long v : values) {
        for (int digits : {1, 2, 4, 8}) {
            const std::string format = "%." + std::to_string(digits) + "lld";
            EXPECT_EQ(decimalText(v, digits), printfText(format.c_str(), v)) << v << " " << digits;
        }
    }
    EXPECT_EQ(decimalText(5, 0), "5");
}

TEST(NumberTextTest, HexMatchesPrintfInBothCases) {
    const unsigned long long values[] = {0, 1, 0xA, 0xF, 0x10, 0x25, 0xFF, 0x100, 0x80004005,
                                         0xFFFFFFFF, 0x123456789ABCDEFull, ~0ull};
    for (unsigned long long v : values) {
        for (int digits : {1, 2, 8}) {
            const std::string upper = "%." + std::to_string(digits) + "llX";
            const std::string lower = "%." + std::to_string(digits) + "llx";
            EXPECT_EQ(hexText(v, digits), printfText(upper.c_str(), static_cast<long long>(v)));
            EXPECT_EQ(hexText(v, digits, false),
                      printfText(lower.c_str(), static_cast<long long>(v)));
        }
    }
}

}  // namespace
}  // namespace stow
