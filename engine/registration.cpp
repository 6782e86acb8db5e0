// The last phase of the install command. The file log goes to disk first, so a registry that
// refuses every write still leaves the uninstaller a list of what was installed.
#include "engine/registration.h"


#include "base/error.h"
#include "base/number_text.h"
#include "engine/shortcuts.h"

namespace stow {

std::string installedPackagesKeyPath(const std::string& vendor) {
    return "Software\\" + vendor + "\\Installed Packages";
}

std::string uninstallKeyPath(const std::string& vendor) {
    return "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + vendor +
           " Data Acquisition";
}

std::string uninstallerPath(const InstallLocations& locations, const std::string& vendor) {
    return locations.windowsPath + vendor + "Uninstall.exe";
}

std::string installDate(const LocalTime& t) {
    return decimalText(t.year, 4) + decimalText(t.month, 2) + decimalText(t.day, 2);
}

std::string completionReport(const FailedCopies& failed, const std::string& current_directory) {
    std::string report = "Installation complete!\r\nSamples and docs are linked from the Start menu.";
    if (!failed.empty()) {
        report += "\r\nThese files failed to copy, and were placed in " + current_directory + ":";
        for (const std::string& path : failed) report += "\r\n" + path;
    }
    return report;
}

std::string runRegistration(InstallJob& job) {
    Platform& platform = job.platform;
    const std::string& vendor = job.package.vendorName;
    const std::string& package = job.package.packageName;

    job.fileLog.set("START", vendor + " File Log - " + package,
                    job.locations.programsPath + vendor + " " + package + "\\");
    job.fileLog.save(platform.files, job.targetDirectory + "FileLog.ini");

    // One reading names the installed-packages value and dates the uninstall entry.
    const LocalTime stamp = platform.system.localTime();
    Registry& registry = platform.registry;
    registry.deleteTree(uninstallKeyPath(vendor));  // a stale or missing entry is no error

    InstallReport* report = job.report;
    const std::string packages_key = installedPackagesKeyPath(vendor);
    if (auto key = registry.openOrCreate(packages_key, kKeyAllAccess)) {
        const std::string name = platform.system.formatDateTime(stamp);
        const std::string data = package + "," + job.targetDirectory;
        const bool written = key->setString(name, data);
        reportRegistryValue(report, packages_key, name, data, written);
        if (!written) throw ERegistryException("Failed to set data for '" + name + "'");
    }

    const std::string uninstaller = uninstallerPath(job.locations, vendor);
    const std::string uninstall_key = uninstallKeyPath(vendor);
    if (auto key = registry.openOrCreate(uninstall_key, kKeyAllAccess)) {
        auto set = [&](const std::string& name, const std::string& data) {
            const bool written = key->setString(name, data);
            reportRegistryValue(report, uninstall_key, name, data, written);
            return written;
        };
        // The first refused write ends the entry; what is missing the uninstaller tolerates.
        set("DisplayName", vendor + " Software") && set("UninstallString", uninstaller) &&
            set("InstallDate", installDate(stamp));
    } else {
        createLinkInGroup(job, uninstaller, "Uninstall " + vendor + " Software");
    }

    return completionReport(job.failedCopies, platform.files.currentDirectory());
}

}  // namespace stow
