// The record that carries the uninstaller: placement code 1, so it lands at WindowsPath +
// vendor + "Uninstall.exe", where every installation's uninstall entry points. Added to
// every package unless the manifest says `uninstaller = false`.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "stowpack/build_command.h"
#include "stowpack/installer_writer.h"

namespace stow::pack {

// The uninstaller's file name on the target: vendor (code-page bytes) + "Uninstall.exe".
std::string uninstallerFileName(const std::string& vendor);
// True for a record that is the uninstaller of vendor (placement code 1, that name).
bool isUninstallerRecord(const std::string& vendor, unsigned placement_byte,
                         const std::string& path);

// The uninstaller build used without --uninstaller: stowuninstall.exe beside the stub.
std::filesystem::path defaultUninstallerPath(const std::filesystem::path& stub);

// The record for exe; throws PackError when exe is missing or not a file. The time stamp is the
// manifest's when it gives one, else the file's modification time as for the manifest's files.
PackRecord uninstallerRecord(const std::string& vendor, const std::filesystem::path& exe,
                             std::optional<int32_t> time_stamp, const BuildClock& clock);

}  // namespace stow::pack
