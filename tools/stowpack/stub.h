// The installer stub as the packer sees it: an executable image holding the locator literal
// exactly once, still unpatched. The packer patches a copy; the stub file itself is never changed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace stow::pack {

// Offsets at which "zxcv" + four bytes + "vbnm" starts, in file order.
std::vector<int64_t> findLocators(const std::string& bytes);
// The same over a file of any size, read in chunks. Stops after max_hits hits.
std::vector<int64_t> findLocatorsInFile(const std::filesystem::path& file, size_t max_hits = 16);

// Checks that stub can carry a package: one locator, still "XXXX", no code signature, and a
// size the installer accepts as the package offset. Returns the locator's offset. name is used in messages.
int64_t checkStub(const std::string& stub, const std::string& name);

// Writes the package offset into the locator's data bytes, little-endian.
void patchLocator(std::string& image, int64_t locator_offset, int32_t package_offset);

// Reads a whole (small) file; throws PackError naming what on failure.
std::string readWholeFile(const std::filesystem::path& file, const std::string& what);

}  // namespace stow::pack
