// Program start: the platform, then either the silent install (/S) or the main window with its
// controller (whose creation loads the package), the destination dialog and the message loop
// until the main window closes or loading asked the program to end. The exit code tells how the
// run ended.
#include <windows.h>

#include "app/package_locator.h"
#include "engine/command_switches.h"
#include "views/change_dest_window.h"
#include "views/gui_common.h"
#include "views/main_window.h"
#include "platform/win32/win32_message_boxes.h"
#include "platform/win32/win32_platform.h"
#include "ui/install_phases.h"
#include "ui/main_unit.h"
#include "ui/silent_view.h"

namespace {

int runWithWindow(stow::Win32Platform& application, stow::InstallPhases& phases,
                  stow::win32::Win32SystemLook& look) {
    stow::MainWindow window(look);
    application.setOwnerWindow(window.handle());
    stow::Win32MessageBoxes boxes(window.handle());
    stow::TMainForm form(application.platform(), window, boxes, phases, look,
                         packageLocatorData());
    form.FormCreate();

    stow::ChangeDestWindow dialog(application.platform(), form.fallbackDirectory());
    form.setDirectoryPicker(&dialog);

    // After a load error the loop ends at its first turn: the quit message is waiting.
    window.show();
    window.runMessageLoop();
    return form.exitCode();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    bool silent = false;
    try {
        stow::Win32Platform application;
        stow::EnginePhases phases;
        stow::win32::Win32SystemLook look;
        silent = stow::parseCommandSwitches(application.platform().system.commandLine()).silent;
        if (silent) {
            stow::SilentView view;
            stow::Win32MessageBoxes no_window;  // a silent run shows none
            stow::TMainForm form(application.platform(), view, no_window, phases, look,
                                 packageLocatorData());
            return form.runSilent();
        }
        return runWithWindow(application, phases, look);
    } catch (...) {
        if (!silent) {
            MessageBoxA(nullptr, "The installer could not start.", "Error", MB_OK | MB_ICONHAND);
        }
        return stow::kExitErrorReport;
    }
}
