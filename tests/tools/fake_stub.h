// A stand-in for the installer stub in host tests: filler bytes that look like an image, with
// the unpatched locator literal once. The real win32 stub does not exist on the host.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "package/format.h"

namespace stow::test {

inline std::string fakeStub(size_t size = 8192, size_t locator_at = 1024) {
    std::string stub(size, '\0');
    for (size_t i = 0; i < size; ++i) stub[i] = static_cast<char>("MZ\x90\x01stub"[i % 8]);
    stub.replace(locator_at, kLocatorSize, unpatchedLocator());
    return stub;
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

}  // namespace stow::test
