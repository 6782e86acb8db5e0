// Damaged installers: a thousand seeded bit flips through the header and the first records (the
// loader's own test cuts the file at every byte). Each must end in its numbered load error, or
// load and then either install or stop with one of the phase's own errors: never a crash, a
// hang or an unbounded allocation.
#include <gtest/gtest.h>

#include <random>

#include "base/error.h"
#include "engine/install_job.h"
#include "engine/loader.h"
#include "engine/locations.h"
#include "platform/sim/sim_windows.h"
#include "support/memory_file.h"
#include "support/no_progress.h"
#include "support/package_builder.h"
#include "support/temp_dir.h"

namespace stow {
namespace {

using test::NoProgress;

constexpr int32_t kStubSize = 8192;

std::string installerBytes() {
    std::vector<test::PackageRecord> records = {
        test::record(16, "Manual.pdf", std::string(300, 'p'), "C:\\pkg\\Manual.pdf", 0x5A3B1C20),
        test::record(0x25, "zylor.inf", "[Version]\r\nCatalogFile=z.cat\r\n", "C:\\pkg\\drv\\zylor.inf"),
        test::record(1, "zylor.ini", "x=1", "C:\\pkg\\zylor.ini"),
        test::record(17, "Zylor\\lib.dat", std::string(100, 'd'), "C:\\pkg\\lib.dat"),
    };
    return std::string(kStubSize, 'S') + test::appendedPackage("ZYLOR", "DAQ Suite", records);
}

// The bytes that matter: the length field, the header and the records (not the padding).
size_t interestingEnd() { return kStubSize + 4 + 4 + 5 + 4 + 9 + 4 + 4 * 80 + 300 + 100; }

enum class Outcome { LoadError, Installed, PhaseError };

class MalformedSweep : public ::testing::Test {
protected:
    // Loads bytes as the installer file and, when it loads, installs it.
    Outcome run(const std::string& bytes, int* load_code = nullptr) {
        ++case_;
        LoadedPackage package;
        try {
            package = loadPackage(std::make_unique<test::MemoryFile>(bytes), kStubSize);
        } catch (const LoadError& e) {
            if (load_code) *load_code = e.code();
            return Outcome::LoadError;
        }
        InstallJob job = makeInstallJob(sim_.platform(), package, computed_.locations,
                                        computed_.facts, "C:\\T" + std::to_string(case_),
                                        "C:\\D" + std::to_string(case_));
        NoProgress progress;
        try {
            runPlacement(job, progress);
        } catch (const EReadError&) {
            return Outcome::PhaseError;
        } catch (const PackageError&) {
            return Outcome::PhaseError;
        } catch (const EFCreateError&) {
            return Outcome::PhaseError;
        }
        return Outcome::Installed;
    }

    test::TempDir dir_;
    sim::SimWindows sim_{sim::Profile::Nt32, dir_.path() / "machine"};
    ComputedLocations computed_ = computeInstallLocations(sim_.platform().system, "ZYLOR", "DAQ Suite");
    int case_ = 0;
};

TEST_F(MalformedSweep, TheIntactInstallerInstalls) { EXPECT_EQ(run(installerBytes()), Outcome::Installed); }

TEST_F(MalformedSweep, BitFlipsEndInAnExpectedOutcome) {
    const std::string full = installerBytes();
    std::mt19937 random(20261208);
    std::uniform_int_distribution<size_t> where(kStubSize, interestingEnd() - 1);
    std::uniform_int_distribution<int> bit(0, 7);
    int counts[3] = {};
    for (int i = 0; i < 1000; ++i) {
        std::string damaged = full;
        size_t at = where(random);
        damaged[at] = static_cast<char>(damaged[at] ^ (1 << bit(random)));
        int code = -1;
        Outcome outcome = run(damaged, &code);
        ++counts[static_cast<int>(outcome)];
        if (outcome == Outcome::LoadError) {
            EXPECT_TRUE(code == 0x03 || code == 0x04 || code == 0xFF) << "flip at " << at;
        }
    }
    // A sweep that only ever took one road would test little.
    EXPECT_GT(counts[static_cast<int>(Outcome::LoadError)], 0);
    EXPECT_GT(counts[static_cast<int>(Outcome::Installed)], 0);
    EXPECT_GT(counts[static_cast<int>(Outcome::PhaseError)], 0);
}

}  // namespace
}  // namespace stow
