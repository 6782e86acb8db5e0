// The same phases, in the same order and with the same inputs, as the window's install
// command; only the bar, the headings and the message pump are left out.
#include "ui/silent_install.h"

#include "engine/error.h"
#include "engine/loader.h"
#include "engine/locations.h"

namespace stow {
namespace {

class NoProgress : public Progress {
public:
    void setMax(int) override {}
    void setPosition(int) override {}
    void paint() override {}
};

// No window of ours exists, so there is nothing to handle while a worker runs.
class NoPump : public MessagePump {
public:
    void processMessages() override {}
};

}  // namespace

int runSilentInstall(Platform& platform, InstallPhases& phases, InstallSession& session,
                     const unsigned char* locator_data, uint32_t inf_wait_limit_ms) {
    if (!session.switches().error.empty()) {
        session.refused();
        return session.exitCode();
    }

    LoadedPackage package;
    ComputedLocations computed;
    try {
        package = loadPackage(platform.files, platform.system.executablePath(), locator_data);
        computed = computeInstallLocations(platform.system, package.vendorName, package.packageName);
    } catch (const LoadError& error) {
        session.loadFailed(error);
        return session.exitCode();
    } catch (...) {
        session.loadFailed(LoadError(0xFF, describeCurrentException()));
        return session.exitCode();
    }
    session.loaded(package, computed.directories.target, computed.directories.drivers);

    try {
        InstallJob job = makeInstallJob(platform, package, computed.locations, computed.facts,
                                        computed.directories.target, computed.directories.drivers);
        job.report = &session.report();
        job.infWaitLimitMs = inf_wait_limit_ms;
        NoProgress progress;
        NoPump pump;
        phases.placement(job, progress);
        if (computed.facts.driverPreinstallPossible) phases.drivers(job, progress, pump);
        phases.links(job);
        const std::string report = phases.registration(job);
        session.ended(job.failedCopies.empty() ? RunEnd::Complete : RunEnd::CompleteWithFailedCopies,
                      report);
    } catch (...) {
        session.ended(RunEnd::ErrorReport, errorReport(describeCurrentException()));
    }
    return session.exitCode();
}

}  // namespace stow
