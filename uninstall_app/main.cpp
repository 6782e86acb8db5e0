// The uninstaller's start: the platform, the command line, what is installed; then either the
// window or, with /S, the whole removal with no window at all. The exit code says how it went:
// 0 everything removed (some files perhaps at the next restart), 1 something failed or was
// kept, 2 nothing could be done (no installed package, a registry it may not write, a bad
// option, or the user said No).
#include <windows.h>

#include "views/gui_common.h"
#include "platform/win32/win32_platform.h"
#include "uninstall/uninstall_command_line.h"
#include "uninstall/uninstall_session.h"
#include "uninstall_app/uninstall_window.h"

namespace {

// Tells the user, or with /S only the log file.
int nothingDone(stow::Platform& platform, const stow::UninstallOptions& options,
                const std::string& text) {
    if (!options.logPath.empty()) stow::appendToLogFile(platform.files, options.logPath, text + "\r\n");
    if (!options.silent) MessageBoxA(nullptr, text.c_str(), "Uninstall", MB_OK | MB_ICONHAND);
    return stow::kExitNothingDone;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        stow::Win32Platform application;
        stow::Platform& platform = application.platform();
        const stow::UninstallOptions options =
            stow::parseUninstallCommandLine(platform.system.commandLine());
        if (!options.unknown.empty()) {
            return nothingDone(platform, options,
                               "Unknown option \"" + options.unknown +
                                   "\". Use /S to remove everything without a window and "
                                   "/LOG=file to append the report to a file.");
        }
        stow::UninstallSession session(platform);
        if (!session.problem().empty()) return nothingDone(platform, options, session.problem());

        if (options.silent) {
            const std::vector<bool> all(session.installations().size(), true);
            const stow::UninstallReport report = session.remove(all, nullptr);
            if (!options.logPath.empty()) {
                stow::appendToLogFile(platform.files, options.logPath, report.text());
            }
            return report.exitCode();
        }
        stow::win32::Win32SystemLook look;
        stow::UninstallWindow window(session, look, options.logPath);
        application.setOwnerWindow(window.handle());
        return window.run();
    } catch (...) {
        MessageBoxA(nullptr, "The uninstaller could not start.", "Error", MB_OK | MB_ICONHAND);
        return stow::kExitIncomplete;
    }
}
