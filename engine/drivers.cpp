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

// Workers whose service call never returned. They can be neither joined nor safely killed, and
// freeing one would wait for it, so they stay here, reachable and untouched, until the process
// ends. Only the GUI thread adds to it.
std::vector<TINFThread*>* abandoned_workers = nullptr;

void keepUntilExit(std::unique_ptr<TINFThread> worker) {
    if (!abandoned_workers) abandoned_workers = new std::vector<TINFThread*>();
    abandoned_workers->push_back(worker.release());
}

void tell(InstallReport* report, const std::string& inf_path, InfOutcome outcome,
          const std::string& name = {}) {
    if (report) report->inf(inf_path, outcome, name);
}

}  // namespace

bool preinstallInf(Platform& platform, SetupService& service, MessagePump& pump,
                   const std::string& vendor, const std::string& inf_path,
                   InstallReport* report, uint32_t wait_limit_ms) {
    std::string destination;
    {
        auto thread = std::make_unique<TINFThread>(platform.threads, service, inf_path);
        const uint32_t start = platform.threads.tickCount();
        thread->resume();
        pump.processMessages();
        while (!thread->finished()) {
            if (wait_limit_ms != 0 && platform.threads.tickCount() - start >= wait_limit_ms) {
                keepUntilExit(std::move(thread));
                tell(report, inf_path, InfOutcome::TimedOut);
                return false;
            }
            platform.threads.sleep(1);
            pump.processMessages();
        }
        if (!thread->success()) {
            tell(report, inf_path, InfOutcome::Rejected);
            return true;
        }
        destination = thread->destinationInfName();
    }

    const std::string name = fileNamePart(destination);
    tell(report, inf_path, InfOutcome::Accepted, name);
    auto key = platform.registry.openOrCreate(infKeyPath(vendor), kKeyAllAccess);
    const bool written = key && key->setString(inf_path, name);
    if (report) report->registryValue(infKeyPath(vendor), inf_path, name, written);
    if (!written) throw ERegistryException("Failed to set data for '" + inf_path + "'");
    return true;
}

void runDriverPhase(InstallJob& job, Progress& progress, MessagePump& pump) {
    if (!job.facts.driverPreinstallPossible || job.facts.setupService == nullptr) return;
    const std::vector<std::string> infs =
        listDirectory(job.platform.files, job.driversDirectory + "*.inf");
    progress.setPosition(0);
    progress.setMax(static_cast<int>(infs.size()));
    progress.paint();
    // A service that stopped answering most likely holds a lock the next call would wait on
    // too, so the later INFs are not handed to it.
    bool answering = true;
    for (size_t i = 0; i < infs.size(); ++i) {
        if (!answering) {
            tell(job.report, infs[i], InfOutcome::TimedOut);
        } else {
            answering = preinstallInf(job.platform, *job.facts.setupService, pump,
                                      job.package.vendorName, infs[i], job.report,
                                      job.infWaitLimitMs);
        }
        progress.setPosition(static_cast<int>(i + 1));
        progress.paint();
    }
}

}  // namespace stow
