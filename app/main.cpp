// Program start: the platform, the main window with its controller (whose creation loads the
// package), the destination dialog, then the message loop until the main window closes or
// loading asked the program to end.
#include <windows.h>

#include "app/package_locator.h"
#include "views/change_dest_window.h"
#include "views/gui_common.h"
#include "views/main_window.h"
#include "platform/win32/win32_platform.h"
#include "ui/install_phases.h"
#include "ui/main_unit.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        stow::Win32Platform application;
        stow::win32::Win32SystemLook look;
        stow::EnginePhases phases;

        stow::MainWindow window(look);
        application.setOwnerWindow(window.handle());
        stow::TMainForm form(application.platform(), window, phases, look, packageLocatorData());
        form.FormCreate();

        stow::ChangeDestWindow dialog(application.platform(), form.fallbackDirectory());
        form.setDirectoryPicker(&dialog);

        // After a load error the loop ends at its first turn: the quit message is waiting.
        window.show();
        return window.runMessageLoop();
    } catch (...) {
        MessageBoxA(nullptr, "The installer could not start.", "Error", MB_OK | MB_ICONHAND);
        return 1;
    }
}
