// The checks before anything is removed: they decide exit code 2 and touch nothing.
#include "uninstall/uninstall_session.h"

#include "engine/registration.h"
#include "uninstall/uninstall_command_line.h"

namespace stow {

UninstallSession::UninstallSession(Platform& platform) : platform_(platform) {
    const auto vendor = vendorFromProgramPath(platform.system.executablePath());
    if (!vendor) {
        problem_ = "This program must be named <vendor>Uninstall.exe to know whose software "
                   "to remove.";
        return;
    }
    vendor_ = *vendor;
    machine_ = std::make_unique<UninstallMachine>(describeMachine(platform, vendor_));
    auto found = readInstallations(platform.registry, platform.files, vendor_);
    if (!found || found->empty()) {
        problem_ = "No " + vendor_ + " software is installed.";
        return;
    }
    installations_ = std::move(*found);
    // Opening the key for writing is the cheapest proof that its values can be deleted.
    if (!platform.registry.openOrCreate(installedPackagesKeyPath(vendor_), kKeyAllAccess)) {
        problem_ = "The " + vendor_ + " software cannot be removed: the registry under "
                   "HKEY_LOCAL_MACHINE may not be changed by this user.";
    }
}

UninstallReport UninstallSession::remove(const std::vector<bool>& selected, Progress* progress) {
    if (!problem_.empty()) return UninstallReport();
    return removeInstallations(*machine_, installations_, selected, progress);
}

bool appendToLogFile(FileSystem& files, const std::string& path, const std::string& text) {
    std::string old;
    if (auto in = files.openRead(path)) {
        char buffer[4096];
        while (size_t n = in->read(buffer, sizeof buffer)) old.append(buffer, n);
    }
    // The file API here has no append mode: write the old text and the new one again.
    auto out = files.create(path);
    return out && out->write(old.data(), old.size()) && out->write(text.data(), text.size());
}

}  // namespace stow
