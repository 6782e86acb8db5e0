// One run of the install command: its inputs, what it collects, and the phases in their order.
// Each phase raises an Error that the command's single handler turns into the error report.
#pragma once

#include <string>

#include "engine/file_log.h"
#include "engine/install_report.h"
#include "engine/install_state.h"
#include "platform/platform.h"

namespace stow {

struct InstallJob {
    Platform& platform;
    LoadedPackage& package;
    const InstallLocations& locations;
    const PlatformFacts& facts;
    std::string targetDirectory;   // PathPanel text with its trailing "\"
    std::string driversDirectory;  // DriverPathPanel text with its trailing "\"
    FileLog fileLog;
    FailedCopies failedCopies;
    InstallReport* report;      // nullptr: nobody listens
    uint32_t infWaitLimitMs;    // 0: wait for the setup service as long as it takes
};

// Both directories with the trailing separator rule applied.
InstallJob makeInstallJob(Platform& platform, LoadedPackage& package,
                          const InstallLocations& locations, const PlatformFacts& facts,
                          const std::string& target_panel, const std::string& drivers_panel);

// Creates both directories, places every record, logs it; progress per record, then at max.
void runPlacement(InstallJob& job, Progress& progress);
// Hands every top-level INF of the drivers directory to the setup service on a worker thread.
void runDriverPhase(InstallJob& job, Progress& progress, MessagePump& pump);
// Start-menu links for what lies at the top of the target directory.
void runLinkPhase(InstallJob& job);
// Writes the file log and the registry entries; returns the completion report.
std::string runRegistration(InstallJob& job);

// "An unexpected error occurred. Details are as follows:\r\n" + "ClassName: message".
std::string errorReport(const std::string& described_error);

}  // namespace stow
