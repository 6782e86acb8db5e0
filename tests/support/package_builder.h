// Builds package bytes for tests with the package writer: records with a placement byte,
// content, source path and time stamp, the header in front, and a stream over them positioned
// as the loader leaves it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/install_state.h"
#include "package/format.h"
#include "package/package_writer.h"

namespace stow::test {

using PackageRecord = PackageEntry;

PackageRecord record(unsigned char placement, const std::string& path, const std::string& content,
                     const std::string& source, int32_t stamp = 0);

// The int32 as the package stores it.
std::string le32(int32_t value);

// The appended package: length field, header, records, padded to the minimum length.
std::string appendedPackage(const std::string& vendor, const std::string& package,
                            const std::vector<PackageRecord>& records);

// The package as the loader leaves it, reading from memory. count replaces the number of
// records when given.
LoadedPackage loadedPackage(const std::string& vendor, const std::string& package,
                            const std::vector<PackageRecord>& records,
                            std::optional<int32_t> count = std::nullopt);
// The same over any body bytes (for damaged packages).
LoadedPackage loadedPackageFromBody(const std::string& body);

}  // namespace stow::test
