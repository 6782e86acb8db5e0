// The sample install for host tests: the packer's own reading of the manifest, then the four
// phases with no window. The uninstaller record comes from the packer's rule as well.
#include "support/sample_install.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "base/error.h"
#include "engine/install_job.h"
#include "engine/locations.h"
#include "stowpack/build_command.h"
#include "stowpack/manifest.h"
#include "stowpack/uninstaller_record.h"
#include "support/no_progress.h"
#include "support/package_builder.h"

namespace stow::test {

namespace {

std::string bytesOf(const pack::PackRecord& r) {
    if (r.contentFile.empty()) return r.content;
    std::ifstream in(r.contentFile, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

void prepareSampleMachine(sim::SimWindows& win) {
    if (win.profile() == sim::Profile::Win9x) win.makeDirectories("C:\\WINDOWS\\INF\\Other");
    // Every Windows has the uninstall list's key.
    win.platform().registry.openOrCreate("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                                         kKeyAllAccess);
}

std::string installSample(sim::SimWindows& win, const std::string& target,
                          const std::string& uninstaller_content) {
    const pack::Manifest manifest =
        pack::loadManifest(std::string(STOW_SOURCE_DIR) + "/examples/sample/manifest.toml");
    pack::PackageContents contents = pack::contentsFromManifest(manifest, pack::BuildClock{});
    std::vector<PackageRecord> records;
    for (const pack::PackRecord& r : contents.records) {
        records.push_back(record(r.placementByte, r.path, bytesOf(r), r.key, r.timeStamp));
    }
    const std::string exe = pack::uninstallerFileName(contents.vendor);
    records.push_back(record(1, exe, uninstaller_content, "C:\\" + exe, 0));

    LoadedPackage package = loadedPackage(contents.vendor, contents.package, records);
    Platform& platform = win.platform();
    const ComputedLocations at =
        computeInstallLocations(platform.system, package.vendorName, package.packageName);
    InstallJob job = makeInstallJob(platform, package, at.locations, at.facts,
                                    target.empty() ? at.directories.target : target,
                                    at.directories.drivers);
    NoProgress progress;
    NoPump pump;
    try {
        runPlacement(job, progress);
        runDriverPhase(job, progress, pump);
        runLinkPhase(job);
        return runRegistration(job);
    } catch (const Error& e) {
        return errorReport(e.describe());
    }
}

}  // namespace stow::test
