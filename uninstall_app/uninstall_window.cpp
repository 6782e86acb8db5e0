// The uninstaller's window. The removal runs on the GUI thread, as the installer's placement
// does; the bar is drawn at once when a step moves its fill, so progress shows although the
// message loop waits.
#include "uninstall_app/uninstall_window.h"

#include <algorithm>

#include "views/gdi_canvas.h"
#include "views/gui_common.h"
#include "views/window_class.h"

namespace stow {
namespace {

constexpr char kWindowClass[] = "StowawayUninstallForm";
constexpr char kPanelClass[] = "StowawayUninstallPanel";
constexpr int kWidth = 409;
constexpr int kHeight = 300;
constexpr int kHeadHeight = 41;
constexpr int kPanelHeight = 25;
constexpr int kRemoveWidth = 225;
constexpr int kFinishWidth = 81;
constexpr int kMargin = 4;
enum : int { kRemoveId = 101, kFinishId = 102 };

HMENU idMenu(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

std::string installationText(const Installation& i) {
    if (!i.usable) return "(unreadable record) " + i.data;
    return i.packageName + "   " + i.targetDirectory;
}

}  // namespace

UninstallWindow::UninstallWindow(UninstallSession& session, SystemLook& look, std::string log_path)
    : session_(session), log_path_(std::move(log_path)), bar_(look), font_(win32::createUiFont()) {
    win32::registerWindowClass(kWindowClass,
                               &win32::routeMessages<UninstallWindow, &UninstallWindow::handle>,
                               win32::buttonFaceBrush(), LoadIcon(nullptr, IDI_APPLICATION));
    win32::registerWindowClass(
        kPanelClass, &win32::routeMessages<UninstallWindow, &UninstallWindow::handlePanel>,
        win32::buttonFaceBrush());
    const std::string title = session_.vendor() + " Uninstall";
    // WM_NCCREATE hands the window to window_.
    CreateWindowExA(WS_EX_CONTROLPARENT, kWindowClass, title.c_str(),
                    WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, kWidth,
                    kHeight, nullptr, nullptr, win32::moduleInstance(), this);
    HWND self = window_.get();
    const DWORD child = WS_CHILD | WS_VISIBLE;
    const std::string heading = "These " + session_.vendor() +
                                " packages are installed. The selected ones will be removed "
                                "with everything their installation wrote:";
    head_ = CreateWindowExA(0, "STATIC", heading.c_str(), child | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0,
                            self, nullptr, win32::moduleInstance(), nullptr);
    list_ = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                            child | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_EXTENDEDSEL |
                                LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                            0, 0, 0, 0, self, nullptr, win32::moduleInstance(), nullptr);
    report_ = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                              WS_CHILD | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                  ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                              0, 0, 0, 0, self, nullptr, win32::moduleInstance(), nullptr);
    panel_ = CreateWindowExA(WS_EX_CONTROLPARENT, kPanelClass, "", child | WS_CLIPCHILDREN, 0, 0, 0,
                             0, self, nullptr, win32::moduleInstance(), this);
    remove_ = CreateWindowExA(0, "BUTTON", "Remove", child | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0,
                              0, 0, panel_, idMenu(kRemoveId), win32::moduleInstance(), nullptr);
    finish_ = CreateWindowExA(0, "BUTTON", "Finish", WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON, 0, 0,
                              0, 0, panel_, idMenu(kFinishId), win32::moduleInstance(), nullptr);
    for (HWND w : {head_, list_, report_, remove_, finish_}) win32::setUiFont(w, font_.get());

    for (const Installation& i : session_.installations()) {
        SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(installationText(i).c_str()));
    }
    SendMessageA(list_, LB_SETSEL, TRUE, -1);  // all by default
    bar_.setTint(0xFF0000);
    layout();
}

UninstallWindow::~UninstallWindow() {
    bar_.setParent(nullptr);
    if (window_) {
        win32::detachWindow(window_.get());
        window_.reset();  // before the font its controls use
    }
}

int UninstallWindow::run() {
    win32::centerOnScreen(window_.get());
    ShowWindow(window_.get(), SW_SHOWNORMAL);
    UpdateWindow(window_.get());
    SetFocus(list_);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(window_.get(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return exit_code_;
}

void UninstallWindow::layout() {
    RECT client;
    GetClientRect(window_.get(), &client);
    const int width = client.right;
    const int height = client.bottom;
    MoveWindow(head_, kMargin, kMargin, width - 2 * kMargin, kHeadHeight - 2 * kMargin, TRUE);
    const int body = std::max(0, height - kHeadHeight - kPanelHeight - kMargin);
    MoveWindow(list_, kMargin, kHeadHeight, width - 2 * kMargin, body, TRUE);
    MoveWindow(report_, kMargin, kHeadHeight, width - 2 * kMargin, body, TRUE);
    MoveWindow(panel_, 0, height - kPanelHeight, width, kPanelHeight, TRUE);
    MoveWindow(remove_, (width - kRemoveWidth) / 2, 0, kRemoveWidth, kPanelHeight, TRUE);
    MoveWindow(finish_, width - kFinishWidth, 0, kFinishWidth, kPanelHeight, TRUE);
    if (show_bar_) bar_.setBounds(0, 0, width, kPanelHeight);
}

void UninstallWindow::invalidate(int left, int top, int right, int bottom) {
    RECT r{left, top, right, bottom};
    InvalidateRect(panel_, &r, TRUE);
}

std::unique_ptr<Canvas> UninstallWindow::canvasAt(int left, int top, int width, int height) {
    if (!IsWindow(panel_)) return nullptr;
    auto canvas = std::make_unique<win32::GdiCanvas>(panel_, left, top, width, height);
    if (!canvas->valid()) return nullptr;
    return canvas;
}

void UninstallWindow::removeClick() {
    if (removing_) return;
    std::vector<bool> selected(session_.installations().size(), false);
    bool any = false;
    for (size_t i = 0; i < selected.size(); ++i) {
        selected[i] = SendMessageA(list_, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0;
        any = any || selected[i];
    }
    if (!any) {
        MessageBoxA(window_.get(), "Select the packages to remove first.", "Uninstall",
                    MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const std::string question = "Remove the selected " + session_.vendor() +
                                 " software and all of its components?";
    if (MessageBoxA(window_.get(), question.c_str(), "Uninstall", MB_YESNO | MB_ICONQUESTION) !=
        IDYES) {
        return;
    }
    removing_ = true;
    EnableWindow(list_, FALSE);
    ShowWindow(remove_, SW_HIDE);
    SetWindowTextA(head_, "Removing...");
    show_bar_ = true;
    bar_.setParent(this);
    layout();
    UpdateWindow(window_.get());
    const UninstallReport report = session_.remove(selected, &progress_);
    if (!log_path_.empty()) {
        // Best effort: the window shows the report in any case.
        Platform& platform = session_.platform();
        appendToLogFile(platform.files, log_path_, report.text());
    }
    showReport(report);
}

void UninstallWindow::showReport(const UninstallReport& report) {
    exit_code_ = report.exitCode();
    show_bar_ = false;
    bar_.setParent(nullptr);
    InvalidateRect(panel_, nullptr, TRUE);
    SetWindowTextA(head_, report.complete()
                              ? "Uninstall complete. What was removed:"
                              : "Uninstall finished. Some items were kept or could not be "
                                "removed; each is listed with its reason:");
    SetWindowTextA(report_, report.text().c_str());
    ShowWindow(list_, SW_HIDE);
    ShowWindow(report_, SW_SHOW);
    ShowWindow(finish_, SW_SHOW);
    SetFocus(finish_);
    SendMessageA(finish_, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

LRESULT UninstallWindow::handle(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    if (win32::trackMainWindow(window_, window, message)) return 0;
    switch (message) {
        case WM_SIZE:
            layout();
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lp);
            info->ptMinTrackSize.x = 300;
            info->ptMinTrackSize.y = 200;
            return 0;
        }
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lp) == head_) {
                SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
                return reinterpret_cast<LRESULT>(win32::buttonFaceBrush());
            }
            break;
        case WM_CLOSE:
            if (removing_ && !IsWindowVisible(finish_)) return 0;  // not while removing
            DestroyWindow(window);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wp, lp);
}

LRESULT UninstallWindow::handlePanel(HWND panel, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wp) == kRemoveId && HIWORD(wp) == BN_CLICKED) removeClick();
            if (LOWORD(wp) == kFinishId && HIWORD(wp) == BN_CLICKED) DestroyWindow(window_.get());
            return 0;
        case WM_ERASEBKGND:
            if (show_bar_) return 1;  // the bar covers the whole panel
            break;
        case WM_PAINT: {
            win32::PaintDc dc(panel);
            if (show_bar_) {
                win32::GdiCanvas canvas(dc.get(), bar_.left(), bar_.top(), bar_.width(),
                                        bar_.height());
                bar_.paintTo(canvas);
            }
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcA(panel, message, wp, lp);
}

}  // namespace stow
