// The session's log entries frame the engine's: how the run was started, what was loaded, and
// how it ended with which exit code.
#include "ui/install_session.h"

#include "engine/loader.h"
#include "engine/number_text.h"

namespace stow {

int exitCodeFor(RunEnd end, bool log_written) {
    switch (end) {
        case RunEnd::Complete:
            return log_written ? kExitComplete : kExitLogNotWritten;
        case RunEnd::CompleteWithFailedCopies:
            return kExitFailedCopies;
        case RunEnd::ErrorReport:
        case RunEnd::CommandLineRefused:
            return kExitErrorReport;
        case RunEnd::LoadError:
            return kExitLoadError;
        case RunEnd::NotInstalled:
            break;
    }
    return kExitNotInstalled;
}

InstallSession::InstallSession(Platform& platform) {
    const std::string command_line = platform.system.commandLine();
    switches_ = parseCommandSwitches(command_line);
    if (switches_.logPath) {
        log_ = std::make_unique<InstallLog>(platform.files, *switches_.logPath);
        const LocalTime now = platform.system.localTime();
        log_->line("Started " + platform.system.formatDateTime(now) + ": " + command_line);
    }
}

void InstallSession::note(const std::string& line) {
    if (log_) log_->line(line);
}

void InstallSession::loaded(const LoadedPackage& package, const std::string& target,
                            const std::string& drivers) {
    note("Loaded: " + package.vendorName + " " + package.packageName + ", " +
         decimalText(package.recordCount) + " records");
    note("Target directory: " + target);
    note("Drivers directory: " + drivers);
}

void InstallSession::loadFailed(const LoadError& error) {
    end_ = RunEnd::LoadError;
    note(error.caption() + ": " + error.text());
    noteExitCode();
}

void InstallSession::refused() {
    end_ = RunEnd::CommandLineRefused;
    note("Command line refused: " + switches_.error);
    noteExitCode();
}

void InstallSession::ended(RunEnd end, const std::string& report) {
    end_ = end;
    note(report);
    noteExitCode();
}

void InstallSession::noteExitCode() { note("Exit code: " + decimalText(exitCode())); }

int InstallSession::exitCode() const { return exitCodeFor(end_, !log_ || log_->ok()); }

}  // namespace stow
