// The one place the setup service's answer buffer becomes text.
#include "platform/setup_service.h"

#include <gtest/gtest.h>

namespace stow {
namespace {

TEST(DestinationFromBuffer, NeverHoldsNulsWhateverSizeIsReported) {
    struct Case {
        const char* what;
        std::string buffer;
        uint32_t reported;
        std::string expected;
    };
    const std::string oem = "C:\\WINDOWS\\INF\\oem12.inf";
    const std::string padded = oem + std::string(kInfNameBufferSize - oem.size(), '\0');
    const Case cases[] = {
        {"size counts the NUL", padded, uint32_t(oem.size() + 1), oem},
        {"size zero leaves the name at its first NUL", padded, 0, oem},
        {"size beyond the name", padded, 200, oem},
        {"size beyond the buffer", padded, 5000, oem},
        {"size shorter than the name cuts it", padded, 4, "C:\\"},
        {"size one gives an empty name", padded, 1, ""},
        {"embedded NUL ends the name", std::string("oem1.inf\0junk", 13), 14, "oem1.inf"},
        {"a name filling the whole buffer", std::string(283, 'x'), 284, std::string(283, 'x')},
        {"the buffer's own size when none was written", std::string(283, 'x'), 283,
         std::string(282, 'x')},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(destinationFromBuffer(c.buffer, c.reported), c.expected) << c.what;
    }
}

}  // namespace
}  // namespace stow
