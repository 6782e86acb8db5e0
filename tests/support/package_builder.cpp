// Package bytes for tests, in the appended package's layout.
#include "support/package_builder.h"

#include <memory>

#include "support/memory_file.h"

namespace stow::test {

PackageRecord record(unsigned char placement, const std::string& path, const std::string& content,
                     const std::string& source, int32_t stamp) {
    return PackageRecord{std::string(1, static_cast<char>(placement)) + path, content, source,
                         stamp};
}

std::string le32(int32_t value) {
    auto u = static_cast<uint32_t>(value);
    return std::string{static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF),
                       static_cast<char>((u >> 16) & 0xFF), static_cast<char>((u >> 24) & 0xFF)};
}

std::string lengthPrefixed(const std::string& bytes) {
    return le32(static_cast<int32_t>(bytes.size())) + bytes;
}

std::string recordBytes(const PackageRecord& r) {
    return lengthPrefixed(r.first) + lengthPrefixed(r.content) + lengthPrefixed(r.source) +
           le32(r.stamp);
}

std::string packageBody(const std::string& vendor, const std::string& package,
                        const std::vector<PackageRecord>& records, std::optional<int32_t> count) {
    std::string body = lengthPrefixed(vendor) + lengthPrefixed(package) +
                       le32(count.value_or(static_cast<int32_t>(records.size())));
    for (const PackageRecord& r : records) body += recordBytes(r);
    return body;
}

std::string appendedPackage(const std::string& vendor, const std::string& package,
                            const std::vector<PackageRecord>& records) {
    std::string body = packageBody(vendor, package, records);
    if (body.size() + 4 < 4096) body.resize(4096 - 4, '\0');
    return le32(static_cast<int32_t>(body.size() + 4)) + body;
}

LoadedPackage loadedPackageFromBody(const std::string& body) {
    LoadedPackage p;
    p.stream = std::make_unique<PackageStream>(std::make_unique<MemoryFile>(body), 0,
                                               static_cast<int64_t>(body.size()));
    p.vendorName = p.stream->readString();
    p.packageName = p.stream->readString();
    p.recordCount = p.stream->readInt32();
    p.startMenuGroup = p.vendorName + " " + p.packageName;
    return p;
}

LoadedPackage loadedPackage(const std::string& vendor, const std::string& package,
                            const std::vector<PackageRecord>& records,
                            std::optional<int32_t> count) {
    return loadedPackageFromBody(packageBody(vendor, package, records, count));
}

}  // namespace stow::test
