// Builds package bytes for tests: records with a placement byte, content, source path and time
// stamp, the header in front, and a stream over them positioned as the loader leaves it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/install_state.h"

namespace stow::test {

struct PackageRecord {
    std::string first;  // placement byte + relative path
    std::string content;
    std::string source;
    int32_t stamp = 0;
};

PackageRecord record(unsigned char placement, const std::string& path, const std::string& content,
                     const std::string& source, int32_t stamp = 0);

std::string le32(int32_t value);
std::string lengthPrefixed(const std::string& bytes);
std::string recordBytes(const PackageRecord& r);

// Vendor, package, record count and the records: the body behind the length field. count
// replaces the number of records when given.
std::string packageBody(const std::string& vendor, const std::string& package,
                        const std::vector<PackageRecord>& records,
                        std::optional<int32_t> count = std::nullopt);

// The appended package: length field + body, padded with zeros to the 4096-byte minimum length.
std::string appendedPackage(const std::string& vendor, const std::string& package,
                            const std::vector<PackageRecord>& records);

// The package as the loader leaves it, reading from memory.
LoadedPackage loadedPackage(const std::string& vendor, const std::string& package,
                            const std::vector<PackageRecord>& records,
                            std::optional<int32_t> count = std::nullopt);
// The same over any body bytes (for damaged packages).
LoadedPackage loadedPackageFromBody(const std::string& body);

}  // namespace stow::test
