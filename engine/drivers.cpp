// The driver phase. A rejected INF is no error; a record that cannot be written is, because the
// uninstaller relies on it to remove the copy the system made.
#include "engine/drivers.h"

#include <memory>
#include <vector>

#include "engine/error.h"
#include "engine/find_files.h"
#include "engine/inf_thread.h"
#include "engine/paths.h"

namespace stow {

std::string infKeyPath(const std::string& vendor) { return "Software\\" + vendor + "\\INF"; }

namespace {

// A worker whose service call never returned can be neither joined nor safely killed; it stays
// here, reachable and untouched, until the process ends.
void keepUntilExit(std::unique_ptr<TINFThread> worker) {
    static std::vector<std::unique_ptr<TINFThread>>* abandoned =
        new std::vector<std::unique_ptr<TINFThread>>();
    abandoned->push_back(std::move(worker));
}

}  // namespace

void preinstallInf(Platform& platform, SetupService& service, MessagePump& pump,
                   const std::string& vendor, const std::string& inf_path,
                   InstallReport& report, uint32_t wait_limit_ms) {
    std::string destination;
    {
        auto thread = std::make_unique<TINFThread>(platform.threads, service, inf_path);
        const uint32_t start = platform.threads.tickCount();
        thread->resume();
        pump.processMessages();
        while (!thread->finished()) {
            if (wait_limit_ms != 0 && platform.threads.tickCount() - start >= wait_limit_ms) {
                keepUntilExit(std::move(thread));
                report.inf(inf_path, InfOutcome::TimedOut, {});
                return;
            }
            platform.threads.sleep(1);
            pump.processMessages();
        }
        if (!thread->success()) {
            report.inf(inf_path, InfOutcome::Rejected, {});
            return;
        }
        destination = thread->destinationInfName();
    }

    const std::string name = fileNamePart(destination);
    report.inf(inf_path, InfOutcome::Accepted, name);
    auto key = platform.registry.openOrCreate(infKeyPath(vendor), kKeyAllAccess);
    const bool written = key && key->setString(inf_path, name);
    report.registryValue(infKeyPath(vendor), inf_path, name, written);
    if (!written) throw ERegistryException("Failed to set data for '" + inf_path + "'");
}

void runDriverPhase(InstallJob& job, Progress& progress, MessagePump& pump) {
    if (!job.facts.driverPreinstallPossible || job.facts.setupService == nullptr) return;
    const std::vector<std::string> infs =
        listDirectory(job.platform.files, job.driversDirectory + "*.inf");
    progress.setPosition(0);
    progress.setMax(static_cast<int>(infs.size()));
    progress.paint();
    for (size_t i = 0; i < infs.size(); ++i) {
        preinstallInf(job.platform, *job.facts.setupService, pump, job.package.vendorName,
                      infs[i], *job.report, job.infWaitLimitMs);
        progress.setPosition(static_cast<int>(i + 1));
        progress.paint();
    }
}

}  // namespace stow
