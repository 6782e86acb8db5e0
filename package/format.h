// The appended package's layout, written once for the installer, the packer, the tests and the
// benchmarks: the locator's bytes, the sizes the installer accepts, the driver-copy flag and the
// little-endian int32 every number and length is stored as.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

namespace stow {

// The 12-byte locator in the installer image: head, four data bytes, tail. The packer writes
// the package's file offset into the data bytes; until then they hold kLocatorUnpatched.
constexpr char kLocatorHead[] = "zxcv";
constexpr char kLocatorUnpatched[] = "XXXX";
constexpr char kLocatorTail[] = "vbnm";
constexpr int64_t kLocatorSize = 12;
constexpr int64_t kLocatorDataOffset = 4;  // of the data bytes within the locator
constexpr int64_t kLocatorTailOffset = 8;

// The whole unpatched locator, "zxcvXXXXvbnm", for the packer and the tests (never the stub:
// the image must hold these bytes exactly once).
inline std::string unpatchedLocator() {
    return std::string(kLocatorHead) + kLocatorUnpatched + kLocatorTail;
}

// The package starts at P >= 4092 (so P + 4 reaches the end of a minimal image) and its length
// L counts its own 4-byte field; both stay below 1 GiB, and L is at least 4096.
constexpr int64_t kMinimumPackageOffset = 4092;
constexpr int64_t kMaximumPackageOffset = 0x3FFFFFFF;
constexpr int64_t kMinimumPackageLength = 4096;
constexpr int64_t kMaximumPackageLength = 0x3FFFFFFF;

// L as written: a short package is padded with zero bytes behind its last record.
constexpr int64_t paddedPackageLength(int64_t unpadded) {
    return std::max(unpadded, kMinimumPackageLength);
}

// Set in a placement byte: the file is also copied to the drivers directory.
constexpr unsigned kDriverCopyFlag = 0x20;

inline int32_t decodeInt32(const unsigned char bytes[4]) {
    const uint32_t u = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                       static_cast<uint32_t>(bytes[2]) << 16 |
                       static_cast<uint32_t>(bytes[3]) << 24;
    return static_cast<int32_t>(u);
}

inline void appendInt32(std::string& out, int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((u >> shift) & 0xFF);
}

}  // namespace stow
