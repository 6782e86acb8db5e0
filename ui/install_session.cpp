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
        const std::string now = platform.system.formatDateTime(platform.system.localTime());
        log_->line({"Started ", now, ": ", command_line});
    }
}

void InstallSession::loaded(const LoadedPackage& package, const std::string& target,
                            const std::string& drivers) {
    if (!log_) return;
    log_->line({"Loaded: ", package.vendorName, " ", package.packageName, ", ",
                decimalText(package.recordCount), " records"});
    log_->line({"Target directory: ", target});
    log_->line({"Drivers directory: ", drivers});
}

void InstallSession::loadFailed(const LoadError& error) {
    if (log_) log_->line({error.caption(), ": ", error.text()});
    finish(RunEnd::LoadError);
}

void InstallSession::refused() {
    if (log_) log_->line({"Command line refused: ", switches_.error});
    finish(RunEnd::CommandLineRefused);
}

void InstallSession::ended(RunEnd end, const std::string& report) {
    if (log_) log_->line({report});
    finish(end);
}

void InstallSession::finish(RunEnd end) {
    end_ = end;
    if (log_) log_->line({"Exit code: ", decimalText(exitCode())});
}

int InstallSession::exitCode() const { return exitCodeFor(end_, !log_ || log_->ok()); }

}  // namespace stow
