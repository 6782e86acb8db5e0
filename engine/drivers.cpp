// The driver phase. A rejected INF is no error; a record that cannot be written is, because the
// uninstaller relies on it to remove the copy the system made.
#include "engine/drivers.h"

#include "base/error.h"
#include "engine/find_files.h"
#include "engine/inf_thread.h"
#include "base/paths.h"

namespace stow {

std::string infKeyPath(const std::string& vendor) { return "Software\\" + vendor + "\\INF"; }

void preinstallInf(Platform& platform, SetupService& service, MessagePump& pump,
                   const std::string& vendor, const std::string& inf_path) {
    std::string destination;
    {
        TINFThread thread(platform.threads, service, inf_path);
        thread.resume();
        pump.processMessages();
        while (!thread.finished()) {
            platform.threads.sleep(1);
            pump.processMessages();
        }
        if (!thread.success()) return;
        destination = thread.destinationInfName();
    }

    auto key = platform.registry.openOrCreate(infKeyPath(vendor), kKeyAllAccess);
    if (!key || !key->setString(inf_path, fileNamePart(destination))) {
        throw ERegistryException("Failed to set data for '" + inf_path + "'");
    }
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
                      infs[i]);
        progress.setPosition(static_cast<int>(i + 1));
        progress.paint();
    }
}

}  // namespace stow
