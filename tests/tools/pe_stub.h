// A minimal but well-formed 32-bit PE image holding the unpatched locator, for tests that need
// a stub real signing tools accept. One section, no imports; it is never run.
#pragma once

#include <cstdint>
#include <string>

#include "package/format.h"

namespace stow::test {

constexpr size_t kPeHeaderAt = 0x80;
constexpr size_t kPeOptionalAt = kPeHeaderAt + 4 + 20;
constexpr size_t kPeChecksumAt = kPeOptionalAt + 64;
constexpr size_t kPeSecurityDirectoryAt = kPeOptionalAt + 96 + 4 * 8;
constexpr size_t kPeLocatorAt = 0x400;

inline void putLe(std::string& b, size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// size: a multiple of 512, at least 4096.
inline std::string peStub(size_t size = 8192) {
    std::string b(size, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    putLe(b, 0x3C, kPeHeaderAt, 4);
    b.replace(kPeHeaderAt, 4, std::string("PE\0\0", 4));
    const size_t coff = kPeHeaderAt + 4;
    putLe(b, coff + 0, 0x14C, 2);   // i386
    putLe(b, coff + 2, 1, 2);       // one section
    putLe(b, coff + 16, 0xE0, 2);   // optional header size
    putLe(b, coff + 18, 0x0102, 2); // executable, 32-bit
    const size_t o = kPeOptionalAt;
    const uint32_t raw = static_cast<uint32_t>(size - 0x200);
    const uint32_t virtual_size = (raw + 0xFFF) & ~0xFFFu;
    putLe(b, o + 0, 0x10B, 2);       // PE32
    putLe(b, o + 4, raw, 4);         // size of code
    putLe(b, o + 16, 0x1000, 4);     // entry point
    putLe(b, o + 20, 0x1000, 4);     // base of code
    putLe(b, o + 24, 0x1000, 4);     // base of data
    putLe(b, o + 28, 0x400000, 4);   // image base
    putLe(b, o + 32, 0x1000, 4);     // section alignment
    putLe(b, o + 36, 0x200, 4);      // file alignment
    putLe(b, o + 40, 4, 2);          // OS version 4.0
    putLe(b, o + 48, 4, 2);          // subsystem version 4.0
    putLe(b, o + 56, 0x1000 + virtual_size, 4);  // size of image
    putLe(b, o + 60, 0x200, 4);      // size of headers
    putLe(b, o + 68, 2, 2);          // GUI subsystem
    putLe(b, o + 72, 0x100000, 4);   // stack reserve
    putLe(b, o + 76, 0x1000, 4);     // stack commit
    putLe(b, o + 80, 0x100000, 4);   // heap reserve
    putLe(b, o + 84, 0x1000, 4);     // heap commit
    putLe(b, o + 92, 16, 4);         // data directories
    const size_t section = o + 0xE0;
    b.replace(section, 5, ".text");
    putLe(b, section + 8, raw, 4);       // virtual size
    putLe(b, section + 12, 0x1000, 4);   // virtual address
    putLe(b, section + 16, raw, 4);      // raw size
    putLe(b, section + 20, 0x200, 4);    // raw offset
    putLe(b, section + 36, 0x60000020, 4);
    b[0x200] = '\xC3';  // ret
    b.replace(kPeLocatorAt, kLocatorSize, unpatchedLocator());
    return b;
}

}  // namespace stow::test
