// Reading the installed-packages key. Nothing here deletes; a value that cannot be split into
// a package and a usable target directory is marked unusable and kept.
#include "uninstall/installations.h"

#include "engine/file_log.h"
#include "engine/placement.h"
#include "engine/registration.h"
#include "uninstall/uninstall_paths.h"

namespace stow {

namespace {

Installation split(FileSystem& files, const std::string& vendor, const std::string& name,
                   const std::string& data) {
    Installation found{name, {}, {}, false, data};
    for (size_t comma = data.find(','); comma != std::string::npos;
         comma = data.find(',', comma + 1)) {
        const std::string package = data.substr(0, comma);
        const std::string target = asDirectory(data.substr(comma + 1));
        if (package.empty() || !isPlainAbsolutePath(target) || parentDirectory(target).empty()) {
            continue;
        }
        const FileLog log = FileLog::open(files, target + "FileLog.ini");
        const bool logged = log.hasSection(fileLogSection(vendor, package));
        if (!found.usable || logged) {
            found.packageName = package;
            found.targetDirectory = target;
            found.usable = true;
        }
        if (logged) break;
    }
    return found;
}

}  // namespace

std::optional<std::vector<Installation>> readInstallations(Registry& registry, FileSystem& files,
                                                           const std::string& vendor) {
    auto listing = registry.list(installedPackagesKeyPath(vendor));
    if (!listing) return std::nullopt;
    std::vector<Installation> out;
    for (const auto& [name, data] : listing->values) out.push_back(split(files, vendor, name, data));
    return out;
}

}  // namespace stow
