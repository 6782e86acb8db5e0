// What the main window's controller needs of a window: texts, visibility, layout switches,
// size constraints, the progress bar's host and a modal diagnostics window. The Win32 view is
// a thin implementation; host tests use a fake that records the calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/canvas.h"

namespace stow {

class TTintProgress;

enum class MainControl {
    HeadLabel,
    PathPanel,
    ChDestButton,
    DriverLabel,
    DriverPathPanel,
    ChDriverButton,
    GoPanel,
    InstallButton,
    OKButton,
};

// HeadLabel's two layouts: a top strip with its text centred vertically (ready and installing),
// or filling the client area above GoPanel with its text at the top (end state).
enum class HeadLayout { TopCentered, ClientTop };

// Modifier and mouse-button state with a key, as the window reports it.
enum ShiftFlag : unsigned {
    kShiftShift = 0x01,
    kShiftAlt = 0x02,
    kShiftCtrl = 0x04,
    kShiftLeftButton = 0x08,
    kShiftRightButton = 0x10,
    kShiftMiddleButton = 0x20,
};
using ShiftState = unsigned;

constexpr uint16_t kVkF1 = 112;

// The window's events, handled by the controller.
class MainViewEvents {
public:
    virtual ~MainViewEvents() = default;
    virtual void ChDestButtonClick() = 0;
    virtual void ChDriverButtonClick() = 0;
    virtual void InstallButtonClick() = 0;
    virtual void OKButtonClick() = 0;
    // Every key down in the window, before the focused control sees it; never consumed.
    virtual void FormKeyDown(uint16_t key, ShiftState shift) = 0;
    // The user asks to close the window; false keeps it open for now.
    virtual bool FormCloseQuery() = 0;
};

class MainView {
public:
    virtual ~MainView() = default;

    virtual void setEvents(MainViewEvents* events) = 0;

    virtual void setTitle(const std::string& text) = 0;
    // The text the task bar shows for the application.
    virtual void setApplicationTitle(const std::string& text) = 0;

    // Label and panel captions, button texts.
    virtual std::string text(MainControl control) = 0;
    virtual void setText(MainControl control, const std::string& text) = 0;
    virtual bool visible(MainControl control) = 0;
    virtual void setVisible(MainControl control, bool visible) = 0;
    virtual bool enabled(MainControl control) = 0;
    virtual void setEnabled(MainControl control, bool enabled) = 0;
    // The control's height as it stands now.
    virtual int height(MainControl control) = 0;

    virtual void setClientHeight(int height) = 0;
    virtual int outerHeight() = 0;
    // 0 means no limit.
    virtual void setHeightConstraints(int min_height, int max_height) = 0;
    // The Change buttons fill the right end of their panels at full panel height.
    virtual void alignChangeButtonsRight() = 0;
    virtual void setHeadLayout(HeadLayout layout) = 0;
    // GoPanel's own background colour, or the window's again (parent colour).
    virtual void setGoPanelColor(Color color) = 0;
    virtual void useParentColorForGoPanel() = 0;

    // Puts bar into GoPanel, filling its client area, until removeProgressBar.
    virtual void placeProgressBar(TTintProgress& bar) = 0;
    virtual void removeProgressBar() = 0;

    // Paints every invalid part of the window and its controls now, outside the message loop.
    virtual void repaintNow() = 0;
    // Handles all pending window messages once.
    virtual void processMessages() = 0;

    // The diagnostics window with these lines, shown modally until the user closes it.
    virtual void showDiagnostics(const std::vector<std::string>& lines) = 0;

    virtual void close() = 0;
    // The message loop ends at its next turn.
    virtual void terminateApplication() = 0;
};

}  // namespace stow
