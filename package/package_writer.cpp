// The one package writer: every package, the packer's and the tests', is laid out here.
#include "package/package_writer.h"

#include "package/format.h"

namespace stow {

void PackageWriter::put(const char* bytes, size_t n) {
    if (n == 0) return;
    sink_(bytes, n);
    written_ += static_cast<int64_t>(n);
}

void PackageWriter::putInt32(int32_t value) {
    std::string bytes;
    appendInt32(bytes, value);
    put(bytes.data(), bytes.size());
}

void PackageWriter::putString(const std::string& s) {
    putInt32(static_cast<int32_t>(s.size()));
    put(s.data(), s.size());
}

void PackageWriter::lengthField(int64_t length) { putInt32(static_cast<int32_t>(length)); }

void PackageWriter::header(const std::string& vendor, const std::string& package, int32_t count) {
    putString(vendor);
    putString(package);
    putInt32(count);
}

void PackageWriter::record(const std::string& placement, const std::string& content,
                           const std::string& source_key, int32_t time_stamp) {
    putString(placement);
    putString(content);
    putString(source_key);
    putInt32(time_stamp);
}

void PackageWriter::record(const std::string& placement, int64_t content_size,
                           const ContentSource& content, const std::string& source_key,
                           int32_t time_stamp) {
    putString(placement);
    putInt32(static_cast<int32_t>(content_size));
    content([this](const char* bytes, size_t n) { put(bytes, n); });
    putString(source_key);
    putInt32(time_stamp);
}

void PackageWriter::padding(int64_t n) {
    const std::string zeros(static_cast<size_t>(std::min<int64_t>(n, 64 * 1024)), '\0');
    for (int64_t done = 0; done < n;) {
        const auto step = static_cast<size_t>(std::min<int64_t>(n - done, zeros.size()));
        put(zeros.data(), step);
        done += static_cast<int64_t>(step);
    }
}

int64_t headerSize(const std::string& vendor, const std::string& package) {
    return 4 + 4 + static_cast<int64_t>(vendor.size()) + 4 +
           static_cast<int64_t>(package.size()) + 4;
}

int64_t recordSize(size_t placement, int64_t content, size_t source_key) {
    return 4 + static_cast<int64_t>(placement) + 4 + content + 4 +
           static_cast<int64_t>(source_key) + 4;
}

std::string packageBytes(const std::string& vendor, const std::string& package,
                         const std::vector<PackageEntry>& entries) {
    int64_t unpadded = headerSize(vendor, package);
    for (const PackageEntry& e : entries) {
        unpadded += recordSize(e.placement.size(), static_cast<int64_t>(e.content.size()),
                               e.sourceKey.size());
    }
    const int64_t length = paddedPackageLength(unpadded);
    std::string bytes;
    PackageWriter writer([&bytes](const char* p, size_t n) { bytes.append(p, n); });
    writer.lengthField(length);
    writer.header(vendor, package, static_cast<int32_t>(entries.size()));
    for (const PackageEntry& e : entries) {
        writer.record(e.placement, e.content, e.sourceKey, e.timeStamp);
    }
    writer.padding(length - unpadded);
    return bytes;
}

}  // namespace stow
