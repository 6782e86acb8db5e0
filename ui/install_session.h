// What one run of the installer shares between the window and silent mode: the command-line
// switches, the install log when one was asked for, and the outcome that becomes the exit code.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/command_switches.h"
#include "engine/install_log.h"
#include "engine/install_state.h"
#include "platform/platform.h"

namespace stow {

// How a run ended, from the deployment tool's point of view.
enum class RunEnd {
    NotInstalled,              // the window was closed before the install command ran
    Complete,
    CompleteWithFailedCopies,
    ErrorReport,               // the install command stopped with an error
    LoadError,
    CommandLineRefused,        // nothing was loaded or installed
};

// The exit codes, also documented in the README.
constexpr int kExitComplete = 0;
constexpr int kExitFailedCopies = 1;
constexpr int kExitErrorReport = 2;
constexpr int kExitLoadError = 3;
constexpr int kExitNotInstalled = 4;
constexpr int kExitLogNotWritten = 5;  // complete, but the /LOG= file could not be written

// How long a silent run waits for the setup service to take one INF. A service that asks a
// question (about an unsigned driver, say) would otherwise wait for a user who is not there.
constexpr uint32_t kSilentInfWaitLimitMs = 120000;

// A run that went worse than complete keeps its own code; a lost log only turns 0 into 5.
int exitCodeFor(RunEnd end, bool log_written);

class InstallSession {
public:
    // Parses the command line and opens the log it names.
    explicit InstallSession(Platform& platform);

    const CommandSwitches& switches() const { return switches_; }
    // The log as the engine's listener; nullptr without /LOG=.
    InstallReport* report() { return switches_.logPath.empty() ? nullptr : &log_; }

    void loaded(const LoadedPackage& package);
    // what: the run's last report (the heading's text, the load error, the refusal).
    void ended(RunEnd end, std::initializer_list<std::string_view> what);

    RunEnd end() const { return end_; }
    int exitCode() const;

private:
    CommandSwitches switches_;
    InstallLog log_;
    RunEnd end_ = RunEnd::NotInstalled;
};

}  // namespace stow
