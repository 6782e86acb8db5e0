// The session's log entries frame the engine's: how the run was started, what was loaded, and
// how it ended with which exit code.
#include "ui/install_session.h"

#include "base/number_text.h"

namespace stow {

int exitCodeFor(RunEnd end, bool log_written) {
    // In the order of RunEnd.
    static constexpr unsigned char kCodes[] = {kExitNotInstalled, kExitComplete, kExitFailedCopies,
                                               kExitErrorReport,  kExitLoadError, kExitErrorReport};
    const int code = kCodes[static_cast<int>(end)];
    return code == kExitComplete && !log_written ? kExitLogNotWritten : code;
}

InstallSession::InstallSession(Platform& platform)
    : switches_(parseCommandSwitches(platform.system.commandLine())) {
    if (!switches_.logPath.empty()) {
        log_.open(platform.files, switches_.logPath);
        log_.line({"Started: ", platform.system.commandLine()});
    }
}

void InstallSession::loaded(const LoadedPackage& package) {
    log_.line({"Loaded: ", package.startMenuGroup, ", ", decimalText(package.recordCount),
               " records"});
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
