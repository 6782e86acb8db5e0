// The record loop on arbitrary package bodies against one simulated NT machine per process. The
// body may name any path: the simulated drive must keep every write inside its host folder, and
// every input must end normally or with one of the phase's own errors.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "base/error.h"
#include "engine/install_job.h"
#include "engine/locations.h"
#include "platform/sim/sim_windows.h"
#include "support/no_progress.h"
#include "support/package_builder.h"

namespace {

std::filesystem::path freshBase() {
    auto base = std::filesystem::temp_directory_path() / ("stow-fuzz-" + std::to_string(::getpid()));
    std::filesystem::remove_all(base);
    return base;
}

// The machine's folder sits three levels below a base folder of its own, so a write that
// climbs out of it with ".." lands where the check below sees it.
struct Machine {
    std::filesystem::path base = freshBase();
    std::filesystem::path root = base / "a" / "b" / "machine";
    stow::sim::SimWindows sim{stow::sim::Profile::Nt32, root};
    stow::ComputedLocations computed =
        stow::computeInstallLocations(sim.platform().system, "V", "P");
    ~Machine() {
        std::error_code ec;
        std::filesystem::remove_all(base, ec);
    }

    // Every entry of the base folder outside the machine's own is a write that escaped.
    void expectNothingOutside() const {
        for (auto it = std::filesystem::recursive_directory_iterator(base);
             it != std::filesystem::recursive_directory_iterator(); ++it) {
            const auto& path = it->path();
            if (path == root) {
                it.disable_recursion_pending();
                continue;
            }
            if (path != base / "a" && path != base / "a" / "b") {
                std::fprintf(stderr, "a write escaped the simulated drive: %s\n", path.c_str());
                std::abort();
            }
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    stow::LoadedPackage package;
    try {
        package = stow::test::loadedPackageFromBody(
            std::string(reinterpret_cast<const char*>(data), size));
    } catch (const stow::EReadError&) {
        return 0;
    }
    if (package.recordCount > 64) return 0;  // keeps one run short; the loop is the same
    // A fresh machine per input: files left by earlier inputs (generated INF names above all)
    // would make every later run slower and its outcome depend on what ran before.
    Machine machine;
    stow::InstallJob job = stow::makeInstallJob(
        machine.sim.platform(), package, machine.computed.locations, machine.computed.facts,
        "C:\\Target", "C:\\Drivers");
    stow::test::NoProgress progress;
    try {
        stow::runPlacement(job, progress);
    } catch (const stow::EReadError&) {
    } catch (const stow::PackageError&) {
    } catch (const stow::EFCreateError&) {
    }
    machine.expectNothingOutside();
    return 0;
}
