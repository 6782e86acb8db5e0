// A simulated machine with the installer at C:\stowaway.exe (the package "ZYLOR" appended behind
// 4,096 bytes of stub, the locator pointing at it) and the main window's controller on a fake
// view, for tests that start the install command as the program does.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_windows.h"
#include "support/fake_main_view.h"
#include "support/package_builder.h"
#include "support/recording_message_boxes.h"
#include "support/temp_dir.h"
#include "ui/install_phases.h"
#include "ui/main_unit.h"

namespace stow::test {

struct InstallerMachine {
    explicit InstallerMachine(sim::Profile profile, const std::vector<PackageRecord>& records = {},
                              const std::string& package_name = "DAQ Suite")
        : windows(profile, temp.path() / "machine") {
        windows.writeFile("C:\\stowaway.exe", std::string(4096, 'M') +
                                                  appendedPackage("ZYLOR", package_name, records));
    }
    InstallerMachine(const InstallerMachine&) = delete;
    InstallerMachine& operator=(const InstallerMachine&) = delete;

    // The controller on view, created as the program creates its window.
    TMainForm& create(InstallPhases& phases) {
        form = std::make_unique<TMainForm>(windows.platform(), view, boxes, phases, look,
                                           locator());
        form->FormCreate();
        return *form;
    }
    const unsigned char* locator() const {
        return reinterpret_cast<const unsigned char*>(locator_bytes.data());
    }
    std::string heading() { return view.texts[MainControl::HeadLabel]; }

    TempDir temp;
    sim::SimWindows windows;
    RecordingMessageBoxes boxes;
    FakeMainView view;
    TableSystemLook look;
    std::string locator_bytes = le32(4096);
    std::unique_ptr<TMainForm> form;
};

}  // namespace stow::test
