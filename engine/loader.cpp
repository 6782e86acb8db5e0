// Checks the appended package against the installer's own file and reads the header. The body
// is not read into memory: the returned stream keeps the file open and reads records
// on demand, so a package costs no more memory than one buffer however large it is.
#include "engine/loader.h"

#include <cstring>

#include "base/error.h"
#include "package/format.h"
#include "package/package_records.h"

namespace stow {

namespace {

bool readFully(File& file, unsigned char* out, size_t n) {
    size_t got = 0;
    while (got < n) {
        size_t r = file.read(out + got, n - got);
        if (r == 0) return false;
        got += r;
    }
    return true;
}

LoadedPackage readPackage(std::unique_ptr<File> file, int64_t offset) {
    if (!file) throw EReadError();
    const int64_t size = file->size();
    if (size < 0) throw EReadError();
    if (size < offset + 4) throw LoadError(0x02);

    unsigned char length_bytes[4];
    if (!file->seek(offset) || !readFully(*file, length_bytes, 4)) throw EReadError();
    const int64_t length = decodeInt32(length_bytes);
    if (length < kMinimumPackageLength || length > kMaximumPackageLength) throw LoadError(0x03);
    if (size < offset + length) throw LoadError(0x04);

    LoadedPackage package;
    package.stream = std::make_unique<PackageStream>(std::move(file), offset + 4, offset + length);
    PackageHeader header = readPackageHeader(*package.stream);
    package.vendorName = std::move(header.vendorName);
    package.packageName = std::move(header.packageName);
    package.recordCount = header.recordCount;
    package.startMenuGroup = package.vendorName + " " + package.packageName;
    return package;
}

}  // namespace

int64_t packageOffset(const unsigned char locator_data[4]) {
    if (std::memcmp(locator_data, kLocatorUnpatched, 4) == 0) throw LoadError(0x00);
    // 64-bit: P near the int32 limits must not wrap anywhere behind this check.
    const int64_t offset = decodeInt32(locator_data);
    if (offset < kMinimumPackageOffset || offset > kMaximumPackageOffset) throw LoadError(0x01);
    return offset;
}

LoadedPackage loadPackage(std::unique_ptr<File> file, int64_t offset) {
    try {
        return readPackage(std::move(file), offset);
    } catch (const LoadError&) {
        throw;
    } catch (...) {
        throw LoadError(0xFF, describeCurrentException());
    }
}

LoadedPackage loadPackage(std::unique_ptr<File> file, const unsigned char locator_data[4]) {
    return loadPackage(std::move(file), packageOffset(locator_data));
}

}  // namespace stow
