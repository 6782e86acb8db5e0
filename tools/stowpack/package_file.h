// Reads a built installer on the packaging machine: finds the locator, runs the installer's own
// loader checks, and reads header and records into plain structs. Contents stay in the file and
// are read on request. Used by `inspect` and by tools that show where records would go.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace stow::pack {

struct PackageRecord {
    int number = 0;              // 1-based, in package order
    bool hasPlacementByte = false;  // false when the first string is empty
    uint8_t placementByte = 0;
    std::string path;            // raw code-page bytes
    int64_t contentOffset = 0;   // file offset of the content bytes
    int64_t contentSize = 0;
    std::string key;             // source-path key, raw bytes
    int32_t timeStamp = 0;
};

struct PackageFile {
    std::filesystem::path file;
    int64_t fileSize = 0;

    int locatorCount = 0;        // literals found in the file (counting stops at a few)
    int64_t locatorOffset = -1;  // the first one, taken to be the installer's own; -1 none
    std::array<unsigned char, 4> locatorData{};
    bool hasOffset = false;      // locator patched: packageOffset is its value
    int64_t packageOffset = 0;   // P, as the locator holds it (may be out of range)
    bool hasLength = false;      // the length field lies inside the file
    int64_t packageLength = 0;   // L, as the file holds it (may be out of range)

    // The installer's verdict at start-up: -1 loads, else the numbered load error.
    int loadErrorCode = -1;
    std::string loadErrorCaption;
    std::string loadErrorText;

    // Filled when the package loads.
    std::string vendorName;
    std::string packageName;
    int32_t recordCount = 0;
    std::string startMenuGroup;
    std::vector<PackageRecord> records;
    // "ClassName: message" of the error that stopped reading records early, else empty. The
    // install command would stop at that record with the same error.
    std::string recordError;
    int64_t recordsEnd = 0;      // file offset behind the last record read
    int64_t unreadInside = 0;    // bytes inside the package behind the records (padding)
    int64_t bytesBehind = 0;     // bytes of the file behind the package (e.g. a signature)

    // Code signature, from the PE header at the start of the file (the stub's header).
    bool peImage = false;
    bool isSigned = false;         // data directory 4 names a certificate table
    int64_t signatureOffset = 0;   // the table's file offset and size as the header gives them
    int64_t signatureSize = 0;
};

// Throws PackError only when the file cannot be read at all; every fault of the installer
// itself is reported in the result.
PackageFile readPackageFile(const std::filesystem::path& file);

// A record's content bytes.
std::string readRecordContent(const PackageFile& package, const PackageRecord& record);

}  // namespace stow::pack
