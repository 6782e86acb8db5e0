// The driver phase. A rejected INF is no error; a record that cannot be written is, because the
// uninstaller relies on it to remove the copy the system made.
#include "engine/drivers.h"

#include <string_view>
#include <vector>

#include "base/error.h"
#include "engine/find_files.h"
#include "engine/inf_thread.h"
#include "base/paths.h"

namespace stow {

std::string infKeyPath(const std::string& vendor) { return "Software\\" + vendor + "\\INF"; }

namespace {

// A worker whose service call never returned can be neither joined nor safely killed, and
// freeing it would wait for it, so it stays here, reachable and untouched, until the process
// ends. A run abandons at most one (the later INFs are not handed over), and only the GUI
// thread sets it.
TINFThread* abandoned_worker = nullptr;

constexpr char kNoAnswer[] = " (the setup service did not answer in time)";

void reportInf(InstallReport* report, const std::string& inf_path, const char* outcome,
               std::string_view arrow, std::string_view detail) {
    if (report) report->line({"INF ", outcome, ": ", inf_path, arrow, detail});
}

}  // namespace

bool preinstallInf(Platform& platform, SetupService& service, MessagePump& pump,
                   const std::string& vendor, const std::string& inf_path,
                   InstallReport* report, uint32_t wait_limit_ms) {
    // On the heap, as a worker that does not answer in time is left running.
    TINFThread* thread = new TINFThread(platform.threads, service, inf_path);
    const uint32_t start = platform.threads.tickCount();
    thread->resume();
    pump.processMessages();
    while (!thread->finished()) {
        if (wait_limit_ms != 0 && platform.threads.tickCount() - start >= wait_limit_ms) {
            abandoned_worker = thread;
            reportInf(report, inf_path, "rejected", kNoAnswer, {});
            return false;
        }
        platform.threads.sleep(1);
        pump.processMessages();
    }
    const bool success = thread->success();
    const std::string destination = thread->destinationInfName();
    delete thread;
    if (!success) {
        reportInf(report, inf_path, "rejected", {}, {});
        return true;
    }

    const std::string name = fileNamePart(destination);
    reportInf(report, inf_path, "preinstalled", " -> ", name);
    auto key = platform.registry.openOrCreate(infKeyPath(vendor), kKeyAllAccess);
    const bool written = key && key->setString(inf_path, name);
    reportRegistryValue(report, infKeyPath(vendor), inf_path, name, written);
    if (!written) throw ERegistryException("Failed to set data for '" + inf_path + "'");
    return true;
}

void runDriverPhase(InstallJob& job, Progress& progress, MessagePump& pump) {
    if (!job.facts.driverPreinstallPossible || job.facts.setupService == nullptr) return;
    const std::vector<std::string> infs =
        listDirectory(job.platform.files, job.driversDirectory + "*.inf");
    progress.setMax(static_cast<int>(infs.size()));
    progress.setPosition(0);
    // A service that stopped answering most likely holds a lock the next call would wait on
    // too, so the later INFs are not handed to it.
    bool answering = true;
    for (size_t i = 0; i < infs.size(); ++i) {
        if (!answering) {
            reportInf(job.report, infs[i], "rejected", kNoAnswer, {});
        } else {
            answering = preinstallInf(job.platform, *job.facts.setupService, pump,
                                      job.package.vendorName, infs[i], job.report,
                                      job.infWaitLimitMs);
        }
        progress.setPosition(static_cast<int>(i + 1));
    }
}

}  // namespace stow
