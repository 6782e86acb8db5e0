// PE header fields for signing checks; every offset is bounds-checked against the bytes given.
#include "stowpack/pe_image.h"

namespace stow::pack {

namespace {

uint32_t u16(const std::string& b, size_t at) {
    return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}

uint32_t u32(const std::string& b, size_t at) {
    return u16(b, at) | u16(b, at + 2) << 16;
}

constexpr uint32_t kPe32Magic = 0x10B;
constexpr uint32_t kPe32PlusMagic = 0x20B;
constexpr uint32_t kSecurityDirectory = 4;

}  // namespace

PeSignatureInfo readPeSignatureInfo(const std::string& head) {
    PeSignatureInfo info;
    if (head.size() < 0x40 || head.compare(0, 2, "MZ") != 0) return info;
    const size_t pe = u32(head, 0x3C);
    const size_t optional = pe + 4 + 20;  // behind the signature and the COFF header
    if (pe > head.size() || optional + 2 > head.size() || head.compare(pe, 4, "PE\0\0", 4) != 0) {
        return info;
    }
    const uint32_t optional_size = u16(head, pe + 4 + 16);
    const uint32_t magic = u16(head, optional);
    // The data directories follow the fixed fields, which are longer in PE32+.
    size_t count_at = 0;
    if (magic == kPe32Magic) {
        count_at = optional + 92;
    } else if (magic == kPe32PlusMagic) {
        count_at = optional + 108;
    } else {
        return info;
    }
    const size_t checksum_at = optional + 64;
    if (count_at + 4 > head.size() || count_at + 4 > optional + optional_size) return info;
    info.isPe = true;
    info.checksumOffset = static_cast<int64_t>(checksum_at);
    info.checksum = u32(head, checksum_at);
    const uint32_t directories = u32(head, count_at);
    const size_t directory_at = count_at + 4 + 8 * kSecurityDirectory;
    if (directories > kSecurityDirectory && directory_at + 8 <= head.size() &&
        directory_at + 8 <= optional + optional_size) {
        info.hasDirectory = true;
        info.directoryOffset = static_cast<int64_t>(directory_at);
        info.tableOffset = u32(head, directory_at);
        info.tableSize = u32(head, directory_at + 4);
    }
    return info;
}

}  // namespace stow::pack
