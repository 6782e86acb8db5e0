// Package bytes for tests, written by the package writer.
#include "support/package_builder.h"

#include <memory>

#include "package/format.h"
#include "package/package_records.h"
#include "support/memory_file.h"

namespace stow::test {

PackageRecord record(unsigned char placement, const std::string& path, const std::string& content,
                     const std::string& source, int32_t stamp) {
    return PackageRecord{std::string(1, static_cast<char>(placement)) + path, content, source,
                         stamp};
}

std::string le32(int32_t value) {
    std::string bytes;
    appendInt32(bytes, value);
    return bytes;
}

std::string appendedPackage(const std::string& vendor, const std::string& package,
                            const std::vector<PackageRecord>& records) {
    return packageBytes(vendor, package, records);
}

LoadedPackage loadedPackageFromBody(const std::string& body) {
    LoadedPackage p;
    p.stream = std::make_unique<PackageStream>(std::make_unique<MemoryFile>(body), 0,
                                               static_cast<int64_t>(body.size()));
    PackageHeader header = readPackageHeader(*p.stream);
    p.vendorName = header.vendorName;
    p.packageName = header.packageName;
    p.recordCount = header.recordCount;
    p.startMenuGroup = p.vendorName + " " + p.packageName;
    return p;
}

LoadedPackage loadedPackage(const std::string& vendor, const std::string& package,
                            const std::vector<PackageRecord>& records,
                            std::optional<int32_t> count) {
    std::string body;
    PackageWriter writer([&body](const char* p, size_t n) { body.append(p, n); });
    writer.header(vendor, package, count.value_or(static_cast<int32_t>(records.size())));
    for (const PackageRecord& r : records) {
        writer.record(r.placement, r.content, r.sourceKey, r.timeStamp);
    }
    return loadedPackageFromBody(body);
}

}  // namespace stow::test
