// The packer's records, written by the package writer behind a patched copy of the stub, put
// into place atomically. Contents of source files are streamed; only the stub is held in memory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace stow::pack {

// One record, its texts already in the target code page.
struct PackRecord {
    uint8_t placementByte = 0;
    std::string path;        // relative destination, "\" separators
    std::string key;         // source-path key with drive prefix
    int32_t timeStamp = 0;   // packed DOS date-time
    std::string content;                // the bytes, when contentFile is empty
    std::filesystem::path contentFile;  // else read from here while writing
    int64_t contentSize = 0;            // the size contentFile had when it was planned
};

struct PackageContents {
    std::string vendor;   // code-page bytes
    std::string package;  // code-page bytes
    std::vector<PackRecord> records;
};

// The package's length L without padding: the 4-byte length field, header and records.
// Throws PackError when it exceeds what the installer accepts.
int64_t unpaddedLength(const PackageContents& contents);
// L as written: at least the installer's minimum of 4096. Short packages are padded with zero
// bytes behind the last record, inside L; the installer reads exactly N records and never
// reaches them.
int64_t packageLength(const PackageContents& contents);

struct BuildSummary {
    int64_t packageOffset = 0;  // P, the stub's size
    int64_t packageLength = 0;  // L
    int64_t padding = 0;        // zero bytes inside L behind the last record
    int64_t fileSize = 0;
};

// Checks stub, patches a copy of its locator with P = stub size and writes stub + package to
// output through a temporary file in the same folder, renamed into place only when complete.
BuildSummary writeInstaller(const std::string& stub, const std::string& stub_name,
                            const PackageContents& contents,
                            const std::filesystem::path& output);

}  // namespace stow::pack
