// The main window's handlers. Every error inside FormCreate becomes a load error; every error
// inside the install command becomes the error report in the heading; neither escapes into the
// window's message handling.
#include "ui/main_unit.h"

#include <cstring>

#include "base/error.h"
#include "engine/install_job.h"
#include "engine/loader.h"
#include "engine/locations.h"
#include "ui/bar_progress.h"
#include "ui/tint_progress.h"

namespace stow {
namespace {

constexpr Color kInstallTint = 0xFF0000;
constexpr Color kInstallBackground = 0x000000;

class ViewPump : public MessagePump {
public:
    explicit ViewPump(MainView& view) : view_(view) {}
    void processMessages() override { view_.processMessages(); }

private:
    MainView& view_;
};

}  // namespace

TMainForm::TMainForm(Platform& platform, MainView& view, MessageBoxes& boxes,
                     InstallPhases& phases, SystemLook& look, const unsigned char* locator_data)
    : platform_(platform),
      view_(view),
      boxes_(boxes),
      phases_(phases),
      look_(look),
      session_(platform) {
    std::memcpy(locator_.data(), locator_data, locator_.size());
    view_.setEvents(this);
}

TMainForm::~TMainForm() { view_.setEvents(nullptr); }

void TMainForm::FormCreate() {
    if (!session_.switches().error.empty()) {
        refuseCommandLine();
        return;
    }
    try {
        package_ = loadOwnPackage();

        const std::string title = package_.packageName + " Installer";
        view_.setTitle(title);
        view_.setApplicationTitle(title);
        view_.setText(MainControl::HeadLabel, "This program will install the " +
                                                  package_.packageName +
                                                  " package\r\nto this directory:");

        ComputedLocations computed =
            computeInstallLocations(platform_.system, package_.vendorName, package_.packageName);
        view_.setText(MainControl::PathPanel, computed.directories.target);
        view_.setText(MainControl::DriverPathPanel, computed.directories.drivers);
        facts_ = computed.facts;

        // The height is whatever the visible stack needs; only the width is the user's.
        const int client = view_.height(MainControl::HeadLabel) +
                           view_.height(MainControl::PathPanel) + kEmptyStrip +
                           view_.height(MainControl::GoPanel) +
                           view_.height(MainControl::DriverLabel) +
                           view_.height(MainControl::DriverPathPanel);
        view_.setClientHeight(client);
        min_height_ = view_.outerHeight();
        view_.setHeightConstraints(min_height_, min_height_);
        view_.alignChangeButtonsRight();

        locations_ = computed.locations;
        fallback_ = computed.directories.fallback;
        session_.loaded(package_);
    } catch (const LoadError& error) {
        failLoading(error);
    } catch (...) {
        failLoading(LoadError(0xFF, describeCurrentException()));
    }
}

LoadedPackage TMainForm::loadOwnPackage() {
    const std::string path = platform_.system.executablePath();
    // The locator is checked first: an unpatched stub says so even when its file is unreadable.
    const int64_t offset = packageOffset(locator_.data());
    std::unique_ptr<File> file = platform_.files.openRead(path);
    if (!file) {
        throw EFOpenError("Cannot open file \"" + path +
                          "\". The file could not be opened for reading.");
    }
    return loadPackage(std::move(file), offset);
}

void TMainForm::failLoading(const LoadError& error) {
    failStart(RunEnd::LoadError, error.caption(), error.text());
}

void TMainForm::refuseCommandLine() {
    failStart(RunEnd::CommandLineRefused, "Command Line", session_.switches().error);
}

void TMainForm::failStart(RunEnd end, const std::string& caption, const std::string& text) {
    terminated_ = true;
    session_.ended(end, {caption, ": ", text});
    try {
        // The load error's box; silent runs only log it.
        if (!silent()) boxes_.show(text, caption, kMbOk | kMbIconExclamation);
    } catch (...) {
        // Nothing more can be told to the user; the program ends either way.
    }
    view_.terminateApplication();
}

int TMainForm::runSilent() {
    FormCreate();
    InstallButtonClick();
    return exitCode();
}

void TMainForm::ChDestButtonClick() { pickDirectoryFor(MainControl::PathPanel); }

void TMainForm::ChDriverButtonClick() { pickDirectoryFor(MainControl::DriverPathPanel); }

void TMainForm::pickDirectoryFor(MainControl panel) {
    if (!picker_ || installing_) return;
    std::string chosen;
    if (picker_->pickDirectory(view_.text(panel), chosen)) view_.setText(panel, chosen);
}

void TMainForm::InstallButtonClick() {
    if (terminated_ || !view_.enabled(MainControl::InstallButton)) return;
    view_.setEnabled(MainControl::InstallButton, false);
    installing_ = true;

    view_.setVisible(MainControl::PathPanel, false);
    view_.setVisible(MainControl::DriverLabel, false);
    view_.setVisible(MainControl::DriverPathPanel, false);
    view_.setVisible(MainControl::InstallButton, false);
    view_.setText(MainControl::HeadLabel,
                  "Installing " + package_.packageName + " package...");
    view_.repaintNow();

    runInstall();
    enterEndState();

    installing_ = false;
    if (close_pending_) view_.close();
}

void TMainForm::runInstall() {
    try {
        InstallJob job = makeInstallJob(platform_, package_, locations_, facts_,
                                        view_.text(MainControl::PathPanel),
                                        view_.text(MainControl::DriverPathPanel));
        job.report = session_.report();
        if (silent()) job.infWaitLimitMs = silent_inf_wait_limit_ms_;
        bar_ = std::make_unique<TTintProgress>(look_);
        view_.placeProgressBar(*bar_);
        bar_->setTint(kInstallTint);
        view_.setGoPanelColor(kInstallBackground);

        BarProgress progress(*bar_);
        phases_.placement(job, progress);

        view_.setText(MainControl::HeadLabel, "All files copied,\r\npreinstalling drivers...");
        if (facts_.driverPreinstallPossible) {
            ViewPump pump(view_);
            phases_.drivers(job, progress, pump);
        }

        view_.setText(MainControl::HeadLabel, "All files copied,\r\ncreating links...");
        phases_.links(job);

        const std::string report = phases_.registration(job);
        if (!job.failedCopies.empty()) view_.setHeightConstraints(min_height_, 0);
        view_.setText(MainControl::HeadLabel, report);
        session_.ended(job.failedCopies.empty() ? RunEnd::Complete
                                                 : RunEnd::CompleteWithFailedCopies,
                        {report});
    } catch (...) {
        const std::string report = errorReport(describeCurrentException());
        view_.setText(MainControl::HeadLabel, report);
        session_.ended(RunEnd::ErrorReport, {report});
    }
}

void TMainForm::enterEndState() {
    view_.setHeadLayout(HeadLayout::ClientTop);
    if (bar_) {
        view_.removeProgressBar();
        bar_.reset();
    }
    view_.useParentColorForGoPanel();
    view_.setVisible(MainControl::OKButton, true);
    package_.stream.reset();
}

void TMainForm::OKButtonClick() { view_.close(); }

void TMainForm::FormKeyDown(uint16_t key, ShiftState shift) {
    if (key != kVkF1 || (shift & (kShiftShift | kShiftAlt | kShiftCtrl)) != 0) return;
    view_.showDiagnostics({
        "WindowsPath = " + locations_.windowsPath,
        "SystemPath = " + locations_.systemPath,
        "ProgramsPath = " + locations_.programsPath,
        "DLLPath = " + locations_.dllPath,
        "DriverPath = " + locations_.driverPath,
    });
}

bool TMainForm::FormCloseQuery() {
    // The install command cannot be cut short safely; the window closes once it has ended.
    if (!installing_) {
        if (!terminated_ && session_.end() == RunEnd::NotInstalled) {
            session_.ended(RunEnd::NotInstalled, {"Closed without installing."});
        }
        return true;
    }
    close_pending_ = true;
    return false;
}

}  // namespace stow
