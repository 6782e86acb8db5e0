// What would fail or go wrong at install time, found at build time by planning the package on
// every kind of Windows with the default directories: destinations that collide, paths too long
// for Windows, keys the file log would merge, records that are never written, and driver INFs
// that would not be preinstalled.
#pragma once

#include <vector>

#include "stowpack/format.h"
#include "stowpack/manifest.h"
#include "stowpack/installer_writer.h"

namespace stow::pack {

struct Findings {
    std::vector<Warning> errors;
    std::vector<Warning> warnings;
};

// contents.records[i] was made from manifest.files[i].
Findings checkInstallTime(const Manifest& manifest, const PackageContents& contents);

// The longest destination path Windows accepts (MAX_PATH less the terminating NUL) and the
// longest name of one folder or file.
constexpr size_t kMaxPathLength = 259;
constexpr size_t kMaxComponentLength = 255;

}  // namespace stow::pack
