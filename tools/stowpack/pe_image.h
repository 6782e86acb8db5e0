// The few fields of a Windows PE image that matter for code signing. An Authenticode signature
// is a certificate table at the end of the file, found through data directory 4 of the optional
// header; signing also rewrites the header's checksum. Both live in the stub's header, never in
// the appended package, so signing a built installer moves nothing the loader reads.
#pragma once

#include <cstdint>
#include <string>

namespace stow::pack {

struct PeSignatureInfo {
    bool isPe = false;            // a DOS header leading to a "PE\0\0" header we understand
    int64_t checksumOffset = 0;   // file offset of the optional header's CheckSum field
    int64_t directoryOffset = 0;  // file offset of data directory 4 (certificate table)
    uint32_t checksum = 0;
    bool hasDirectory = false;    // the optional header has room for data directory 4
    int64_t tableOffset = 0;      // certificate table as directory 4 gives it: a file offset
    int64_t tableSize = 0;
    bool signedImage() const { return hasDirectory && (tableOffset != 0 || tableSize != 0); }
};

// Reads the header from the start of a file (the first few KiB are enough; a shorter or
// malformed header gives isPe = false). Never throws.
PeSignatureInfo readPeSignatureInfo(const std::string& head);

// How far into a file readPeSignatureInfo may look.
constexpr size_t kPeHeadBytes = 4096;

}  // namespace stow::pack
