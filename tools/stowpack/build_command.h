// `stowpack build`: manifest + stub -> installer with its package appended.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>

#include "stowpack/manifest.h"
#include "stowpack/installer_writer.h"

namespace stow::pack {

struct BuildOptions {
    std::filesystem::path manifest;
    std::filesystem::path output;
    std::filesystem::path stub;
    bool werror = false;  // warnings stop the build as errors do
    std::filesystem::path uninstaller;  // empty: stowuninstall.exe beside the stub
};

// File times for records whose manifest gives none: the modification time in UTC, so that the
// same inputs give the same bytes in every time zone, and no later than sourceDateEpoch when
// that is set ($SOURCE_DATE_EPOCH, seconds since 1970).
struct BuildClock {
    std::optional<int64_t> sourceDateEpoch;
};
// $SOURCE_DATE_EPOCH; throws PackError when it is set but not a number of seconds.
BuildClock buildClockFromEnvironment();
// Seconds since 1970 (UTC) as a packed DOS date-time, clamped to 1980-2107.
int32_t dosTimeFromUnix(int64_t seconds);

// Turns the manifest into records: checks every source file, takes its size and (unless the
// manifest gives one) its time, and converts the texts to the target code page.
PackageContents contentsFromManifest(const Manifest& manifest, const BuildClock& clock);

// The whole build; a one-line summary goes to out, warnings and errors found in the manifest to
// diagnostics (as "file:line:column: warning: ..."). Throws PackError; the output file is then
// untouched.
BuildSummary runBuild(const BuildOptions& options, std::ostream& out, std::ostream& diagnostics);

// The stub used without --stub: $STOWAWAY_STUB when set, else stowaway.exe beside the program.
std::filesystem::path defaultStubPath(const std::filesystem::path& program);

}  // namespace stow::pack
