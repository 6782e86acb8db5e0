// Package encoding and the all-or-nothing output file.
#include "stowpack/package_writer.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "stowpack/format.h"
#include "stowpack/output_file.h"
#include "stowpack/stub.h"

namespace stow::pack {

namespace {

namespace fs = std::filesystem;

void putInt32(std::ostream& out, int32_t value) {
    std::string bytes;
    appendInt32(bytes, value);
    out.write(bytes.data(), 4);
}

void putString(std::ostream& out, const std::string& s) {
    putInt32(out, static_cast<int32_t>(s.size()));
    out.write(s.data(), static_cast<std::streamsize>(s.size()));
}

void putFileContent(std::ostream& out, const PackRecord& record) {
    const std::string name = record.contentFile.string();
    std::ifstream in(record.contentFile, std::ios::binary);
    if (!in) throw PackError("cannot read source file " + name + ": " + std::strerror(errno));
    putInt32(out, static_cast<int32_t>(record.contentSize));
    std::string buffer(1 << 20, '\0');
    int64_t done = 0;
    while (done < record.contentSize) {
        const auto want = static_cast<std::streamsize>(
            std::min<int64_t>(static_cast<int64_t>(buffer.size()), record.contentSize - done));
        in.read(&buffer[0], want);
        if (in.gcount() != want) {
            throw PackError("source file " + name + " changed (became shorter) while packing");
        }
        out.write(buffer.data(), want);
        done += want;
    }
    if (in.peek() != std::char_traits<char>::eof()) {
        throw PackError("source file " + name + " changed (became longer) while packing");
    }
}

}  // namespace

int64_t unpaddedLength(const PackageContents& contents) {
    // Each step adds at most a few GiB to a total that is checked on the way, so int64 holds it.
    int64_t total = 4 + 4 + static_cast<int64_t>(contents.vendor.size()) + 4 +
                    static_cast<int64_t>(contents.package.size()) + 4;
    for (const PackRecord& r : contents.records) {
        if (r.contentSize < 0) throw PackError("negative content size");
        total += 4 + 1 + static_cast<int64_t>(r.path.size()) + 4 + r.contentSize + 4 +
                 static_cast<int64_t>(r.key.size()) + 4;
        if (total > kMaximumPackageLength) {
            throw PackError("the package would be larger than " +
                            std::to_string(kMaximumPackageLength) +
                            " bytes, the most the installer accepts");
        }
    }
    return total;
}

int64_t packageLength(const PackageContents& contents) {
    return std::max(unpaddedLength(contents), kMinimumPackageLength);
}

void writePackage(std::ostream& out, const PackageContents& contents) {
    const int64_t unpadded = unpaddedLength(contents);
    const int64_t length = std::max(unpadded, kMinimumPackageLength);
    if (static_cast<int64_t>(contents.records.size()) > INT32_MAX) {
        throw PackError("too many records");
    }
    putInt32(out, static_cast<int32_t>(length));
    putString(out, contents.vendor);
    putString(out, contents.package);
    putInt32(out, static_cast<int32_t>(contents.records.size()));
    for (const PackRecord& r : contents.records) {
        putString(out, std::string(1, static_cast<char>(r.placementByte)) + r.path);
        if (r.contentFile.empty()) {
            if (static_cast<int64_t>(r.content.size()) != r.contentSize) {
                throw PackError("record content size does not match its bytes");
            }
            putString(out, r.content);
        } else {
            putFileContent(out, r);
        }
        putString(out, r.key);
        putInt32(out, r.timeStamp);
    }
    const std::string padding(static_cast<size_t>(length - unpadded), '\0');
    out.write(padding.data(), static_cast<std::streamsize>(padding.size()));
    if (!out) throw PackError("cannot write the package (disk full?)");
}

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
