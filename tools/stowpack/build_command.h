// `stowpack build`: manifest + stub -> installer with its package appended.
#pragma once

#include <filesystem>
#include <ostream>

#include "stowpack/manifest.h"
#include "stowpack/package_writer.h"

namespace stow::pack {

struct BuildOptions {
    std::filesystem::path manifest;
    std::filesystem::path output;
    std::filesystem::path stub;
    std::filesystem::path uninstaller;  // empty: stowuninstall.exe beside the stub
};

// Turns the manifest into records: checks every source file, takes its size and (unless the
// manifest gives one) its modification time, and converts the texts to the target code page.
// Warnings that do not stop the build go to warnings.
PackageContents contentsFromManifest(const Manifest& manifest, std::ostream& warnings);

// The whole build; a one-line summary goes to out, warnings to warnings. Throws PackError; the
// output file is then untouched.
BuildSummary runBuild(const BuildOptions& options, std::ostream& out, std::ostream& warnings);

// The stub used without --stub: $STOWAWAY_STUB when set, else stowaway.exe beside the program.
std::filesystem::path defaultStubPath(const std::filesystem::path& program);

}  // namespace stow::pack
