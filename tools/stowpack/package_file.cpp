// The inspector's reader: the engine's loader decides whether the installer would load the
// package, and the engine's stream reads the records, so both see the bytes alike.
#include "stowpack/package_file.h"

#include <algorithm>
#include <fstream>

#include "base/error.h"
#include "engine/loader.h"
#include "package/package_records.h"
#include "stowpack/format.h"
#include "stowpack/host_file.h"
#include "stowpack/pe_image.h"
#include "stowpack/stub.h"

namespace stow::pack {

namespace {

namespace fs = std::filesystem;

// Reads n bytes at offset; false when the file is shorter.
bool readAt(const fs::path& file, int64_t offset, char* out, size_t n) {
    std::ifstream in(file, std::ios::binary);
    if (!in.seekg(offset)) return false;
    in.read(out, static_cast<std::streamsize>(n));
    return in.gcount() == static_cast<std::streamsize>(n);
}

void readRecords(PackageFile& result, PackageStream& stream) {
    try {
        for (int32_t k = 1; k <= result.recordCount; ++k) {
            const stow::PackageRecord read = readPackageRecord(stream);
            PackageRecord record;
            record.number = k;
            record.hasPlacementByte = !read.placement.empty();
            if (record.hasPlacementByte) {
                record.placementByte = static_cast<uint8_t>(read.placement[0]);
                record.path = read.placement.substr(1);
            }
            record.contentOffset = read.content.offset;
            record.contentSize = read.content.length;
            record.key = read.sourceKey;
            record.timeStamp = read.timeStamp;
            result.records.push_back(std::move(record));
        }
    } catch (const Error& e) {
        result.recordError = e.describe();
    }
    result.recordsEnd = stream.position();
    result.unreadInside = stream.remaining();
}

}  // namespace

PackageFile readPackageFile(const fs::path& file) {
    PackageFile result;
    result.file = file;
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) throw PackError(file.string() + " is not a file");
    result.fileSize = static_cast<int64_t>(fs::file_size(file, ec));
    if (ec) throw PackError("cannot read " + file.string());

    std::string head(static_cast<size_t>(std::min<int64_t>(result.fileSize, kPeHeadBytes)), '\0');
    if (!head.empty() && !readAt(file, 0, &head[0], head.size())) {
        throw PackError("cannot read " + file.string());
    }
    const PeSignatureInfo pe = readPeSignatureInfo(head);
    result.peImage = pe.isPe;
    result.isSigned = pe.signedImage();
    result.signatureOffset = pe.tableOffset;
    result.signatureSize = pe.tableSize;

    const std::vector<int64_t> hits = findLocatorsInFile(file);
    result.locatorCount = static_cast<int>(hits.size());
    if (hits.empty()) return result;
    result.locatorOffset = hits[0];
    if (!readAt(file, hits[0] + kLocatorDataOffset,
                reinterpret_cast<char*>(result.locatorData.data()), 4)) {
        throw PackError("cannot read " + file.string());
    }

    const bool unpatched = std::equal(result.locatorData.begin(), result.locatorData.end(),
                                      kLocatorUnpatched);
    if (!unpatched) {
        result.hasOffset = true;
        result.packageOffset = decodeInt32(result.locatorData.data());
        unsigned char length[4];
        if (result.packageOffset >= 0 && result.packageOffset + 4 <= result.fileSize &&
            readAt(file, result.packageOffset, reinterpret_cast<char*>(length), 4)) {
            result.hasLength = true;
            result.packageLength = decodeInt32(length);
        }
    }

    try {
        const int64_t offset = packageOffset(result.locatorData.data());
        std::unique_ptr<File> own = openHostFile(file.string());
        if (!own) throw PackError("cannot read " + file.string());
        LoadedPackage package = loadPackage(std::move(own), offset);
        result.vendorName = package.vendorName;
        result.packageName = package.packageName;
        result.recordCount = package.recordCount;
        result.startMenuGroup = package.startMenuGroup;
        readRecords(result, *package.stream);
        result.bytesBehind = result.fileSize - (result.packageOffset + result.packageLength);
    } catch (const LoadError& e) {
        result.loadErrorCode = e.code();
        result.loadErrorCaption = e.caption();
        result.loadErrorText = e.text();
    }
    return result;
}

std::string readRecordContent(const PackageFile& package, const PackageRecord& record) {
    std::string bytes(static_cast<size_t>(record.contentSize), '\0');
    if (record.contentSize > 0 &&
        !readAt(package.file, record.contentOffset, &bytes[0], bytes.size())) {
        throw PackError("cannot read record #" + std::to_string(record.number) + " of " +
                        package.file.string());
    }
    return bytes;
}

}  // namespace stow::pack
