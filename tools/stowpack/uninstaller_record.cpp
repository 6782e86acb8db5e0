// The uninstaller record. Its key is "C:\" + its file name, like a manifest file without a key.
#include "stowpack/uninstaller_record.h"

#include <sys/stat.h>

#include "base/paths.h"
#include "stowpack/build_command.h"
#include "stowpack/format.h"

namespace stow::pack {

std::string uninstallerFileName(const std::string& vendor) { return vendor + "Uninstall.exe"; }

bool isUninstallerRecord(const std::string& vendor, unsigned placement_byte,
                         const std::string& path) {
    return placement_byte == 1 && upperAscii(path) == upperAscii(uninstallerFileName(vendor));
}

std::filesystem::path defaultUninstallerPath(const std::filesystem::path& stub) {
    return stub.parent_path() / "stowuninstall.exe";
}

PackRecord uninstallerRecord(const std::string& vendor, const std::filesystem::path& exe,
                             std::optional<int32_t> time_stamp, const BuildClock& clock) {
    struct stat st {};
    if (::stat(exe.string().c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        throw PackError("uninstaller " + exe.string() +
                        " not found; pass --uninstaller, or set uninstaller = false in the "
                        "manifest when the package brings its own");
    }
    PackRecord record;
    record.placementByte = 1;
    record.path = uninstallerFileName(vendor);
    record.key = "C:\\" + record.path;
    // The same rule as the manifest's files: its modification time in UTC, at most the epoch.
    int64_t seconds = static_cast<int64_t>(st.st_mtime);
    if (clock.sourceDateEpoch && seconds > *clock.sourceDateEpoch) seconds = *clock.sourceDateEpoch;
    record.timeStamp = time_stamp ? *time_stamp : dosTimeFromUnix(seconds);
    record.contentFile = exe;
    record.contentSize = static_cast<int64_t>(st.st_size);
    return record;
}

}  // namespace stow::pack
