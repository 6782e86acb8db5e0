// What the stowpack tests share: a stand-in stub, package contents written by hand, the refusal
// a call ends in, inspect's report, and a built file read back through the installer's loader.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/loader.h"
#include "package/package_records.h"
#include "stowpack/format.h"
#include "stowpack/host_file.h"
#include "stowpack/inspect_command.h"
#include "stowpack/installer_writer.h"
#include "support/package_builder.h"

namespace stow::test {

// A stand-in for the installer stub, which does not exist on the host: filler bytes that look
// like an image, with the unpatched locator literal once.
inline std::string fakeStub(size_t size = 8192, size_t locator_at = 1024) {
    std::string stub(size, '\0');
    for (size_t i = 0; i < size; ++i) stub[i] = static_cast<char>("MZ\x90\x01stub"[i % 8]);
    return stub.replace(locator_at, kLocatorSize, unpatchedLocator());
}

inline void writeBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(bytes.data(),
                                                 static_cast<std::streamsize>(bytes.size()));
}

inline std::string readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A record with its content in memory and the key "C:\<path>".
inline pack::PackRecord packRecord(uint8_t placement, const std::string& path,
                                   const std::string& content, int32_t stamp = 0) {
    pack::PackRecord r;
    r.placementByte = placement;
    r.path = path;
    r.key = "C:\\" + path;
    r.timeStamp = stamp;
    r.content = content;
    r.contentSize = static_cast<int64_t>(content.size());
    return r;
}

inline pack::PackageContents packContents(std::vector<pack::PackRecord> records) {
    return {"ZYLOR", "DAQ Suite", std::move(records)};
}

// The message of the PackError f throws, or "" when it returns.
inline std::string packRefusal(const std::function<void()>& f) {
    try {
        f();
    } catch (const pack::PackError& e) {
        return e.what();
    }
    return "";
}

// The bytes with the int32 at `at` replaced, stored as the package stores it.
inline std::string withInt32At(std::string bytes, size_t at, int32_t value) {
    return bytes.replace(at, 4, le32(value));
}

inline std::string inspectReport(const std::filesystem::path& file, int* code) {
    std::ostringstream out;
    *code = pack::runInspect(pack::InspectOptions{file}, out);
    return out.str();
}

// The sizes of the temporary files a build of dir/out.exe writes before it renames one.
inline std::vector<uintmax_t> temporaryOutputs(const std::filesystem::path& dir) {
    std::vector<uintmax_t> sizes;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        if (e.path().filename().string().find(".out.exe.") != std::string::npos) {
            sizes.push_back(e.file_size());
        }
    }
    return sizes;
}

// Reads file as the installer does, with the locator data the file holds at locator_at, and
// expects contents record by record; remaining gets what the stream has left behind them.
inline void expectLoaderReads(const std::filesystem::path& file, size_t locator_at,
                              const pack::PackageContents& contents, int64_t* remaining = nullptr) {
    const std::string locator = readBytes(file).substr(locator_at + kLocatorDataOffset, 4);
    LoadedPackage loaded = loadPackage(pack::openHostFile(file.string()),
                                       reinterpret_cast<const unsigned char*>(locator.data()));
    ASSERT_EQ(loaded.vendorName, contents.vendor);
    ASSERT_EQ(loaded.packageName, contents.package);
    ASSERT_EQ(loaded.recordCount, static_cast<int32_t>(contents.records.size()));
    PackageStream& s = *loaded.stream;
    for (const pack::PackRecord& r : contents.records) {
        const stow::PackageRecord read = readPackageRecord(s);
        ASSERT_EQ(read.placement, std::string(1, static_cast<char>(r.placementByte)) + r.path);
        ASSERT_EQ(s.readContent(read.content), r.content);
        ASSERT_EQ(read.sourceKey, r.key);
        ASSERT_EQ(read.timeStamp, r.timeStamp);
    }
    if (remaining) *remaining = s.remaining();
}

}  // namespace stow::test
