// `stowpack inspect`: what a built installer carries and whether it would load.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>

#include "stowpack/package_file.h"
#include "stowpack/text_encoding.h"

namespace stow::pack {

struct InspectOptions {
    std::filesystem::path file;
    std::string encoding = kDefaultEncoding;  // code page the package's texts are shown from
    bool json = false;
};

// Prints locator, header, every record and the installer's verdict. Returns 0 when the
// installer would load the package and every record reads, 1 otherwise.
int runInspect(const InspectOptions& options, std::ostream& out);

// The report for an already read file (runInspect = readPackageFile + this).
int printPackageReport(const PackageFile& package, const std::string& encoding, std::ostream& out);
// The same facts as JSON, with the keys docs/vendor-guide.md lists.
int printPackageJson(const PackageFile& package, const std::string& encoding, std::ostream& out);

}  // namespace stow::pack
