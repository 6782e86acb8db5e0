// Locator search and stub checks.
#include "stowpack/stub.h"

#include <cstring>
#include <fstream>

#include "stowpack/format.h"
#include "stowpack/pe_image.h"

namespace stow::pack {

namespace {

bool locatorAt(const char* p) {
    return std::memcmp(p, kLocatorHead, 4) == 0 &&
           std::memcmp(p + kLocatorTailOffset, kLocatorTail, 4) == 0;
}

}  // namespace

std::vector<int64_t> findLocators(const std::string& bytes) {
    std::vector<int64_t> hits;
    if (bytes.size() < static_cast<size_t>(kLocatorSize)) return hits;
    for (size_t i = 0; i + kLocatorSize <= bytes.size(); ++i) {
        if (bytes[i] == kLocatorHead[0] && locatorAt(bytes.data() + i)) hits.push_back(static_cast<int64_t>(i));
    }
    return hits;
}

std::vector<int64_t> findLocatorsInFile(const std::filesystem::path& file, size_t max_hits) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw PackError("cannot read " + file.string());
    constexpr size_t kChunk = 1 << 20;
    constexpr size_t kOverlap = kLocatorSize - 1;
    std::vector<int64_t> hits;
    std::string window;
    int64_t window_offset = 0;  // file offset of window[0]
    std::string chunk(kChunk, '\0');
    while (hits.size() < max_hits) {
        in.read(&chunk[0], static_cast<std::streamsize>(kChunk));
        const auto got = static_cast<size_t>(in.gcount());
        if (got == 0) break;
        window.append(chunk.data(), got);
        for (int64_t hit : findLocators(window)) {
            hits.push_back(window_offset + hit);
            if (hits.size() >= max_hits) break;
        }
        // Keep the tail that could begin a literal completed by the next chunk.
        if (window.size() > kOverlap) {
            const size_t drop = window.size() - kOverlap;
            window.erase(0, drop);
            window_offset += static_cast<int64_t>(drop);
        }
    }
    if (in.bad()) throw PackError("cannot read " + file.string());
    return hits;
}

int64_t checkStub(const std::string& stub, const std::string& name) {
    const std::vector<int64_t> hits = findLocators(stub);
    if (hits.empty()) {
        throw PackError("stub " + name + " holds no package locator (\"" + unpatchedLocator() +
                        "\"); it is not an installer stub");
    }
    if (hits.size() > 1) {
        throw PackError("stub " + name + " holds the package locator " +
                        std::to_string(hits.size()) + " times; the installer's own copy cannot " +
                        "be told apart");
    }
    if (stub.compare(static_cast<size_t>(hits[0] + kLocatorDataOffset), 4, kLocatorUnpatched) !=
        0) {
        throw PackError("stub " + name + " already carries a package (its locator is patched); " +
                        "use the bare stub");
    }
    const PeSignatureInfo pe = readPeSignatureInfo(stub.substr(0, kPeHeadBytes));
    if (pe.signedImage()) {
        // The package goes behind the image and the signature must cover it, so signing
        // comes last: a signature made before the package was appended no longer matches.
        throw PackError("stub " + name + " is already signed (certificate table at offset " +
                        std::to_string(pe.tableOffset) + ", " + std::to_string(pe.tableSize) +
                        " bytes); build from the unsigned stub and sign the built installer");
    }
    const auto size = static_cast<int64_t>(stub.size());
    if (size < kMinimumPackageOffset || size > kMaximumPackageOffset) {
        throw PackError("stub " + name + " is " + std::to_string(size) + " bytes; the package " +
                        "must start between offset " + std::to_string(kMinimumPackageOffset) +
                        " and " + std::to_string(kMaximumPackageOffset));
    }
    return hits[0];
}

void patchLocator(std::string& image, int64_t locator_offset, int32_t package_offset) {
    std::string data;
    appendInt32(data, package_offset);
    image.replace(static_cast<size_t>(locator_offset + kLocatorDataOffset), 4, data);
}

std::string readWholeFile(const std::filesystem::path& file, const std::string& what) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        throw PackError(what + " " + file.string() + " does not exist or is not a file");
    }
    const auto size = std::filesystem::file_size(file, ec);
    std::ifstream in(file, std::ios::binary);
    if (ec || !in) throw PackError("cannot read " + what + " " + file.string());
    std::string bytes(static_cast<size_t>(size), '\0');
    if (size > 0 && !in.read(&bytes[0], static_cast<std::streamsize>(size))) {
        throw PackError("cannot read " + what + " " + file.string());
    }
    return bytes;
}

}  // namespace stow::pack
