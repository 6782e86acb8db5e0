// The inspector's reader: the engine's loader decides whether the installer would load the
// package, and the package module's stream reads the records and every other field shown, so
// both see the bytes alike.
#include "stowpack/package_file.h"

#include <algorithm>

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

// n bytes at offset, through the package module's stream; "cannot read " + what when the file
// is shorter or unreadable.
std::string readBytes(const fs::path& file, int64_t offset, int64_t n, const std::string& what) {
    try {
        if (std::unique_ptr<File> in = openHostFile(file.string())) {
            return PackageStream(std::move(in), offset, offset + n).readContent({offset, n});
        }
    } catch (const EReadError&) {
    }
    throw PackError("cannot read " + what);
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

    const std::string head =
        readBytes(file, 0, std::min<int64_t>(result.fileSize, kPeHeadBytes), file.string());
    const PeSignatureInfo pe = readPeSignatureInfo(head);
    result.peImage = pe.isPe;
    result.isSigned = pe.signedImage();
    result.signatureOffset = pe.tableOffset;
    result.signatureSize = pe.tableSize;

    const std::vector<int64_t> hits = findLocatorsInFile(file);
    result.locatorCount = static_cast<int>(hits.size());
    if (hits.empty()) return result;
    result.locatorOffset = hits[0];
    const std::string data = readBytes(file, hits[0] + kLocatorDataOffset, 4, file.string());
    std::copy(data.begin(), data.end(), result.locatorData.begin());

    const bool unpatched = std::equal(result.locatorData.begin(), result.locatorData.end(),
                                      kLocatorUnpatched);
    if (!unpatched) {
        result.hasOffset = true;
        result.packageOffset = decodeInt32(result.locatorData.data());
        if (result.packageOffset >= 0 && result.packageOffset + 4 <= result.fileSize) {
            const std::string length = readBytes(file, result.packageOffset, 4, file.string());
            result.hasLength = true;
            result.packageLength = decodeInt32(reinterpret_cast<const unsigned char*>(length.data()));
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
    return readBytes(package.file, record.contentOffset, record.contentSize,
                     "record #" + std::to_string(record.number) + " of " + package.file.string());
}

}  // namespace stow::pack
