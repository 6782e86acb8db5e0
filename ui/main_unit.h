// TMainForm: the installer's main window logic. It loads the package when the window is
// created, holds the two chosen directories in its panels, runs the install command through
// the phases with the tint bar, and opens the diagnostics window on F1.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/install_state.h"
#include "platform/message_boxes.h"
#include "platform/platform.h"
#include "ui/canvas.h"
#include "ui/directory_picker.h"
#include "ui/install_phases.h"
#include "ui/install_session.h"
#include "ui/main_view.h"

namespace stow {

class LoadError;

class TMainForm : public MainViewEvents {
public:
    // The empty strip between PathPanel and GoPanel that the height rule counts in; the
    // controls' own heights come from the view.
    static constexpr int kEmptyStrip = 8;

    // boxes: owned by the main window. locator_data: the four data bytes of the package locator
    // in the running image.
    TMainForm(Platform& platform, MainView& view, MessageBoxes& boxes, InstallPhases& phases,
              SystemLook& look, const unsigned char* locator_data);
    ~TMainForm() override;
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    // The destination dialog, created after the window; the Change buttons do nothing without it.
    void setDirectoryPicker(DirectoryPicker* picker) { picker_ = picker; }

    // Loads the package, sets the texts, directories and size limits. A failure shows the load
    // error and tells the application to terminate.
    void FormCreate();

    // /S: FormCreate and the install command, with no message box; the view shows nothing.
    // Returns the exit code.
    int runSilent();
    bool silent() const { return session_.switches().silent; }
    // How long a silent run waits for the setup service to take one INF.
    void setSilentInfWaitLimit(uint32_t milliseconds) { silent_inf_wait_limit_ms_ = milliseconds; }

    void ChDestButtonClick() override;
    void ChDriverButtonClick() override;
    void InstallButtonClick() override;
    void OKButtonClick() override;
    void FormKeyDown(uint16_t key, ShiftState shift) override;
    bool FormCloseQuery() override;

    bool terminated() const { return terminated_; }
    // The program's exit code for how the run has ended so far.
    int exitCode() const { return session_.exitCode(); }
    bool installing() const { return installing_; }
    // The destination dialog's fallback: the drive root of WindowsPath.
    const std::string& fallbackDirectory() const { return fallback_; }
    const LoadedPackage& package() const { return package_; }
    const InstallLocations& locations() const { return locations_; }
    const PlatformFacts& facts() const { return facts_; }

private:
    // Throws LoadError, or any error opening the installer's own file.
    LoadedPackage loadOwnPackage();
    void failLoading(const LoadError& error);
    void refuseCommandLine();
    // Ends the run before the ready state: logged, a box unless silent, then termination.
    void failStart(RunEnd end, const std::string& caption, const std::string& text);
    void pickDirectoryFor(MainControl panel);
    void runInstall();
    void enterEndState();

    Platform& platform_;
    MainView& view_;
    MessageBoxes& boxes_;
    InstallPhases& phases_;
    SystemLook& look_;
    std::array<unsigned char, 4> locator_{};
    DirectoryPicker* picker_ = nullptr;

    LoadedPackage package_;
    InstallLocations locations_;
    PlatformFacts facts_;
    std::string fallback_;
    int min_height_ = 0;

    bool terminated_ = false;
    bool installing_ = false;
    bool close_pending_ = false;
    std::unique_ptr<TTintProgress> bar_;
    InstallSession session_;  // reads the command line and opens the log at construction
    uint32_t silent_inf_wait_limit_ms_ = kSilentInfWaitLimitMs;
};

}  // namespace stow
