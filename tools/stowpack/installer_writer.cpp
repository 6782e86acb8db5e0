// The packer's records written by the package writer, and the all-or-nothing output file.
#include "stowpack/installer_writer.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "package/package_writer.h"
#include "stowpack/format.h"
#include "stowpack/output_file.h"
#include "stowpack/stub.h"

namespace stow::pack {

namespace {

namespace fs = std::filesystem;

// Streams a source file into the package, refusing one whose size changed since it was planned.
void putFileContent(const PackageWriter::Sink& sink, const PackRecord& record) {
    const std::string name = record.contentFile.string();
    std::ifstream in(record.contentFile, std::ios::binary);
    if (!in) throw PackError("cannot read source file " + name + ": " + std::strerror(errno));
    std::string buffer(1 << 20, '\0');
    int64_t done = 0;
    while (done < record.contentSize) {
        const auto want = static_cast<std::streamsize>(
            std::min<int64_t>(static_cast<int64_t>(buffer.size()), record.contentSize - done));
        in.read(&buffer[0], want);
        if (in.gcount() != want) {
            throw PackError("source file " + name + " changed (became shorter) while packing");
        }
        sink(buffer.data(), static_cast<size_t>(want));
        done += want;
    }
    if (in.peek() != std::char_traits<char>::eof()) {
        throw PackError("source file " + name + " changed (became longer) while packing");
    }
}

std::string placementOf(const PackRecord& r) {
    return std::string(1, static_cast<char>(r.placementByte)) + r.path;
}

}  // namespace

int64_t unpaddedLength(const PackageContents& contents) {
    // Each step adds at most a few GiB to a total that is checked on the way, so int64 holds it.
    int64_t total = headerSize(contents.vendor, contents.package);
    for (const PackRecord& r : contents.records) {
        if (r.contentSize < 0) throw PackError("negative content size");
        total += recordSize(1 + r.path.size(), r.contentSize, r.key.size());
        if (total > kMaximumPackageLength) {
            throw PackError("the package would be larger than " +
                            std::to_string(kMaximumPackageLength) +
                            " bytes, the most the installer accepts");
        }
    }
    return total;
}

int64_t packageLength(const PackageContents& contents) {
    return paddedPackageLength(unpaddedLength(contents));
}

namespace {

// Writes length field, header, records and padding. Throws PackError when a source file
// cannot be read or no longer has its planned size.
void writePackage(std::ostream& out, const PackageContents& contents) {
    const int64_t unpadded = unpaddedLength(contents);
    const int64_t length = paddedPackageLength(unpadded);
    if (static_cast<int64_t>(contents.records.size()) > INT32_MAX) {
        throw PackError("too many records");
    }
    PackageWriter writer([&out](const char* bytes, size_t n) {
        out.write(bytes, static_cast<std::streamsize>(n));
    });
    writer.lengthField(length);
    writer.header(contents.vendor, contents.package, static_cast<int32_t>(contents.records.size()));
    for (const PackRecord& r : contents.records) {
        if (r.contentFile.empty()) {
            if (static_cast<int64_t>(r.content.size()) != r.contentSize) {
                throw PackError("record content size does not match its bytes");
            }
            writer.record(placementOf(r), r.content, r.key, r.timeStamp);
        } else {
            writer.record(
                placementOf(r), r.contentSize,
                [&r](const PackageWriter::Sink& sink) { putFileContent(sink, r); }, r.key,
                r.timeStamp);
        }
    }
    writer.padding(length - unpadded);
    if (!out) throw PackError("cannot write the package (disk full?)");
}

}  // namespace

BuildSummary writeInstaller(const std::string& stub, const std::string& stub_name,
                            const PackageContents& contents, const fs::path& output) {
    const int64_t locator = checkStub(stub, stub_name);
    BuildSummary summary;
    summary.packageOffset = static_cast<int64_t>(stub.size());
    summary.packageLength = packageLength(contents);
    summary.padding = summary.packageLength - unpaddedLength(contents);
    summary.fileSize = summary.packageOffset + summary.packageLength;

    std::string image = stub;
    patchLocator(image, locator, static_cast<int32_t>(summary.packageOffset));

    OutputFile file(output);
    file.stream().write(image.data(), static_cast<std::streamsize>(image.size()));
    writePackage(file.stream(), contents);
    file.commit();
    return summary;
}

}  // namespace stow::pack
