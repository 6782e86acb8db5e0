// Opens the installer's own file, checks the appended package against it and reads the header.
// The body is not read into memory: the returned stream keeps the file open and reads records
// on demand, so a package costs no more memory than one buffer however large it is.
#include "engine/loader.h"

#include <cstring>

#include "base/error.h"
#include "base/number_text.h"

namespace stow {

namespace {

// Package offsets and lengths the installer accepts: the package starts no earlier than the
// end of a minimal image, and neither number reaches 1 GiB.
constexpr int64_t kMinimumPackageEnd = 4096;  // P + 4 must reach this
constexpr int64_t kMinimumLength = 4096;
constexpr int64_t kMaximumValue = 0x3FFFFFFF;

int64_t decodeInt32(const unsigned char bytes[4]) {
    uint32_t v = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                 static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    return static_cast<int32_t>(v);
}

bool readFully(File& file, unsigned char* out, size_t n) {
    size_t got = 0;
    while (got < n) {
        size_t r = file.read(out + got, n - got);
        if (r == 0) return false;
        got += r;
    }
    return true;
}

LoadedPackage openAndRead(FileSystem& files, const std::string& exe_path, int64_t offset) {
    std::unique_ptr<File> file = files.openRead(exe_path);
    if (!file) {
        throw EFOpenError("Cannot open file \"" + exe_path +
                          "\". The file could not be opened for reading.");
    }
    const int64_t size = file->size();
    if (size < 0) throw EReadError();
    if (size < offset + 4) throw LoadError(0x02);

    unsigned char length_bytes[4];
    if (!file->seek(offset) || !readFully(*file, length_bytes, 4)) throw EReadError();
    const int64_t length = decodeInt32(length_bytes);
    if (length < kMinimumLength || length > kMaximumValue) throw LoadError(0x03);
    if (size < offset + length) throw LoadError(0x04);

    LoadedPackage package;
    package.stream = std::make_unique<PackageStream>(std::move(file), offset + 4, offset + length);
    package.vendorName = package.stream->readString();
    package.packageName = package.stream->readString();
    package.recordCount = package.stream->readInt32();
    package.startMenuGroup = package.vendorName + " " + package.packageName;
    return package;
}

}  // namespace

std::string LoadError::caption() const {
    return "Load Error " + hexText(static_cast<unsigned>(code_) & 0xFFu, 2) + "h";
}

std::string LoadError::text() const {
    switch (code_) {
        case 0x00:
            return "No package is attached. Please contact the factory for assistance.";
        case 0x01:
            return "This file is corrupted. Please contact the factory for assistance.";
        case 0x02:
            return "This file is truncated. Try downloading it again, or contact the factory for "
                   "assistance.";
        case 0x03:
            return "The package is corrupted. Please contact the factory for assistance.";
        case 0x04:
            return "The package is truncated. Try downloading it again, or contact the factory "
                   "for assistance.";
        default:
            return "An exception occurred while loading. Please contact the factory for "
                   "assistance. Details are as follows:\r\n" +
                   detail_;
    }
}

LoadedPackage loadPackage(FileSystem& files, const std::string& exe_path,
                          const unsigned char locator_data[4]) {
    if (std::memcmp(locator_data, "XXXX", 4) == 0) throw LoadError(0x00);
    // 64-bit arithmetic: P + 4 must not wrap for P near the int32 limit.
    const int64_t offset = decodeInt32(locator_data);
    if (offset + 4 < kMinimumPackageEnd || offset > kMaximumValue) throw LoadError(0x01);
    try {
        return openAndRead(files, exe_path, offset);
    } catch (const LoadError&) {
        throw;
    } catch (...) {
        throw LoadError(0xFF, describeCurrentException());
    }
}

void showLoadError(System& system, const LoadError& error) {
    system.messageBox(error.text(), error.caption(), kMbOk | kMbIconExclamation);
}

}  // namespace stow
