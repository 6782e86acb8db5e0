// The uninstaller's window in raw Win32, in the installer's look: the heading, the vendor's
// installed packages with their target directories (all selected), and the bottom panel with
// the Remove button, the tint bar while removing, then the report and the Finish button.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/win32/handles.h"
#include "ui/bar_progress.h"
#include "ui/tint_progress.h"
#include "uninstall/uninstall_session.h"

namespace stow {

class UninstallWindow : public ControlHost {
public:
    UninstallWindow(UninstallSession& session, SystemLook& look, std::string log_path);
    ~UninstallWindow() override;
    UninstallWindow(const UninstallWindow&) = delete;
    UninstallWindow& operator=(const UninstallWindow&) = delete;

    HWND handle() const { return window_.get(); }
    // Shows the window and runs until it closes; returns the program's exit code.
    int run();

    // --- ControlHost (the bar's panel) ---
    void invalidate(int left, int top, int right, int bottom) override;
    Color color() override { return kClBlack; }
    std::unique_ptr<Canvas> canvasAt(int left, int top, int width, int height) override;

private:
    LRESULT handle(HWND window, UINT message, WPARAM wp, LPARAM lp);
    LRESULT handlePanel(HWND panel, UINT message, WPARAM wp, LPARAM lp);
    void layout();
    void removeClick();
    void showReport(const UninstallReport& report);

    UninstallSession& session_;
    std::string log_path_;
    TTintProgress bar_;
    BarProgress progress_{bar_};  // the removal's steps
    win32::Font font_;
    win32::OwnedWindow window_;
    HWND head_ = nullptr;
    HWND list_ = nullptr;
    HWND report_ = nullptr;
    HWND panel_ = nullptr;
    HWND remove_ = nullptr;
    HWND finish_ = nullptr;
    bool removing_ = false;
    bool show_bar_ = false;
    int exit_code_ = kExitNothingDone;  // closed before anything was removed
};

}  // namespace stow
