// The stub's version information (its VERSIONINFO resource) as the packer sees it: the fixed
// version numbers and one fixed-width slot per text. The packer writes the vendor's texts into
// the slots of its copy of the stub, so no section moves and signing afterwards still works.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace stow::pack {

struct Manifest;

struct VersionSlot {
    std::string key;          // "CompanyName", ...
    size_t valueOffset = 0;   // of the UTF-16 text, in the image
    size_t lengthOffset = 0;  // of the String's value length (in characters, NUL included)
    size_t capacity = 0;      // characters the slot holds, without the terminating NUL
    std::string value;        // UTF-8, as it stands
};

struct VersionInfo {
    size_t fixedOffset = 0;   // of VS_FIXEDFILEINFO
    std::array<uint16_t, 4> fileVersion{};
    std::vector<VersionSlot> slots;
};

using VersionNumbers = std::array<uint16_t, 4>;

// Finds the version information in image (the stub, without any package behind it). Returns
// false when there is none; throws PackError when there is one that cannot be read.
bool findVersionInfo(const std::string& image, VersionInfo& info);

// "2", "2.1", "2.1.0" or "2.1.0.7": each part 0-65535. Throws PackError saying what is allowed.
VersionNumbers parseVersion(const std::string& text);

// Checks the manifest's version and copyright; throws PackError starting with where.
void checkVersionKeys(const Manifest& manifest, const std::string& where);

// The texts the manifest gives the installer: CompanyName, FileDescription, FileVersion,
// LegalCopyright, ProductName, ProductVersion (UTF-8).
std::vector<std::pair<std::string, std::string>> versionTexts(const Manifest& manifest);

// Writes texts and numbers into image's slots. Throws PackError when a text is longer than its
// slot or the stub has no slot for it. A stub without version information is left unchanged;
// the result says whether anything was written.
bool patchVersionInfo(std::string& image,
                      const std::vector<std::pair<std::string, std::string>>& texts,
                      const VersionNumbers& version);

// The inspect lines for an installer file: its version texts and numbers, or that it has none.
void printVersionInfo(const std::filesystem::path& file, int64_t stub_size, std::ostream& out);

}  // namespace stow::pack
