// The session's log entries frame the engine's: how the run was started, what was loaded, and
// how it ended with which exit code.
#include "ui/install_session.h"

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
    if (!switches_.logPath.empty()) {
        log_.open(platform.files, switches_.logPath);
        log_.line({"Started: ", command_line});
    }
}

void InstallSession::loaded(const LoadedPackage& package, const std::string& target) {
    log_.line({"Loaded: ", package.startMenuGroup, ", ", decimalText(package.recordCount),
               " records; target directory ", target});
}

void InstallSession::ended(RunEnd end, std::initializer_list<std::string_view> what) {
    end_ = end;
    log_.line(what);
    log_.line({"Exit code: ", decimalText(exitCode())});
}

int InstallSession::exitCode() const {
    return exitCodeFor(end_, switches_.logPath.empty() || log_.ok());
}

}  // namespace stow
