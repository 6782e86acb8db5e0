// The destination dialog as a plain top-level window with its own modal loop: the other windows
// of the thread are disabled while it is shown, IsDialogMessage gives Tab, Enter (OK) and Esc
// (Cancel), and the dialog's message boxes are owned by the dialog itself.
#include "views/change_dest_window.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "views/directory_list_box.h"
#include "views/drive_combo_box.h"
#include "views/gui_common.h"
#include "views/window_class.h"
#include "base/error.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_message_boxes.h"
#include "ui/change_dest_form.h"
#include "ui/change_dest_view.h"

namespace stow {

namespace {

using win32::Font;
using win32::OwnedWindow;

constexpr char kClassName[] = "StowawayChangeDestForm";
constexpr char kTitle[] = "Change Destination Directory";

// As designed, in pixels at 96 dots per inch.
constexpr int kLeft = 192;
constexpr int kTop = 114;
constexpr int kWidth = 493;
constexpr int kHeight = 334;
constexpr int kPanel1Height = 29;
constexpr int kDrivePanelHeight = 22;
constexpr int kPathPanelHeight = 37;

enum ControlId : int {
    kLabel1Id = 101,
    kDirectoryListId,
    kDriveComboId,
    kLabel2Id,
    kPathEditId,
};

// A drive without a medium must answer "not ready" instead of asking the user to insert one.
class QuietDriveErrors {
public:
    QuietDriveErrors() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
    ~QuietDriveErrors() { SetErrorMode(previous_); }
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

private:
    UINT previous_;
};

// The thread's visible, enabled top-level windows other than the dialog.
struct OtherWindows {
    HWND self;
    std::vector<HWND> windows;
};

BOOL CALLBACK collectOtherWindow(HWND window, LPARAM param) {
    auto* found = reinterpret_cast<OtherWindows*>(param);
    if (window != found->self && IsWindowVisible(window) && IsWindowEnabled(window)) {
        found->windows.push_back(window);
    }
    return TRUE;
}

HMENU idOf(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

}  // namespace

class ChangeDestWindow::Impl : public ChangeDestView {
public:
    Impl(Platform& platform, const std::string& fallback_directory) {
        registerClass();
        font_ = win32::createUiFont();
        // WM_NCCREATE hands the window to window_, before the first message needs it.
        CreateWindowExA(0, kClassName, kTitle, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN,
                        kLeft, kTop, kWidth, kHeight, nullptr, nullptr, win32::moduleInstance(), this);
        if (!window_) throw EOutOfResources("Failed to create the destination dialog.");
        boxes_.setOwner(window_.get());
        createControls();
        layout();
        QuietDriveErrors quiet;
        form_ = std::make_unique<TChangeDestForm>(platform, *this, boxes_, drives_,
                                                  fallback_directory);
    }

    ~Impl() override {
        form_.reset();
        if (window_) win32::detachWindow(window_.get());
    }

    bool pick(const std::string& start, std::string& chosen) {
        QuietDriveErrors quiet;
        return form_->pickDirectory(start, chosen);
    }
    void setFallbackDirectory(const std::string& directory) { form_->setFallbackDirectory(directory); }
    HWND handle() const { return window_.get(); }

    // --- ChangeDestView ---
    void showDrives(const std::vector<DriveEntry>& drives, int selected) override {
        drive_combo_box_.show(drives, selected);
    }
    void showDirectories(const std::vector<DirectoryItem>& items, int current) override {
        directory_list_box_.show(items, current);
    }
    void setPathText(const std::string& text) override { SetWindowTextA(path_edit_, text.c_str()); }
    std::string pathText() override { return win32::windowText(path_edit_); }
    int showModal() override;
    void endModal(int modal_result) override { modal_result_ = modal_result; }

private:
    static void registerClass();
    LRESULT onMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void onCommand(int id, int code);
    void createControls();
    void layout();
    SIZE textExtent(HWND control) const;
    HWND child(const char* cls, const char* text, DWORD style, DWORD ex_style, int id);

    Win32MessageBoxes boxes_;  // owned by the dialog, not by the main window it disables
    win32::Win32DriveSource drives_;
    Font font_;
    OwnedWindow window_;
    win32::DirectoryListBox directory_list_box_;
    win32::DriveComboBox drive_combo_box_;
    HWND label1_ = nullptr;  // the controls are destroyed with the window
    HWND label2_ = nullptr;
    HWND path_edit_ = nullptr;
    HWND cancel_button_ = nullptr;
    HWND ok_button_ = nullptr;
    std::unique_ptr<TChangeDestForm> form_;
    int modal_result_ = kModalNone;
    bool modal_ = false;
};

void ChangeDestWindow::Impl::registerClass() {
    win32::registerWindowClass(kClassName, &win32::routeMessages<Impl, &Impl::onMessage>,
                               win32::buttonFaceBrush());
}

HWND ChangeDestWindow::Impl::child(const char* cls, const char* text, DWORD style, DWORD ex_style,
                                   int id) {
    HWND control = CreateWindowExA(ex_style, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10,
                                   window_.get(), idOf(id), win32::moduleInstance(), nullptr);
    win32::setUiFont(control, font_.get());
    return control;
}

void ChangeDestWindow::Impl::createControls() {
    // Creation order is the tab order: list, drives, path, Cancel, OK.
    label1_ = child("STATIC", "Select the new destination directory and click OK.", SS_LEFT, 0,
                    kLabel1Id);
    directory_list_box_.create(window_.get(), kDirectoryListId, font_.get());
    drive_combo_box_.create(window_.get(), kDriveComboId, font_.get(), 0, kPanel1Height + 1, 288);
    label2_ = child("STATIC", "Path:", SS_LEFT | SS_NOPREFIX, 0, kLabel2Id);
    path_edit_ = child("EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kPathEditId);
    cancel_button_ = child("BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, 0, IDCANCEL);
    ok_button_ = child("BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, IDOK);
}

void ChangeDestWindow::Impl::layout() {
    RECT client{};
    GetClientRect(window_.get(), &client);
    int width = client.right;
    int height = client.bottom;

    // Label2 sizes itself to its text, as a label does. Label1 keeps its designed width unless
    // the font on this system is wider than the one it was designed with: then it widens,
    // rather than wrap into a second line that its panel has no room for.
    SIZE path_extent = textExtent(label2_);
    SIZE hint_extent = textExtent(label1_);
    int hint_width = std::max(235, std::min<int>(hint_extent.cx + 1, width - 16));

    int path_top = height - kPathPanelHeight;
    HDWP moves = BeginDeferWindowPos(7);
    // No copied bits: Wine copies stale pixels when the window grows, and the moved controls
    // stay blank until something else repaints them.
    auto place = [&moves](HWND w, int x, int y, int cx, int cy) {
        if (moves) {
            moves = DeferWindowPos(moves, w, nullptr, x, y, cx, cy,
                                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
        }
    };
    place(label1_, 8, 8, hint_width, 13);
    place(drive_combo_box_.handle(), 0, kPanel1Height + 1, 288, 13 * win32::DriveComboBox::kItemHeight);
    int list_top = kPanel1Height + kDrivePanelHeight;
    int list_height = path_top - list_top;
    place(directory_list_box_.handle(), 0, list_top, width, list_height > 0 ? list_height : 0);
    place(label2_, 8, path_top + 11, path_extent.cx, std::max<int>(13, path_extent.cy));
    place(path_edit_, 37, path_top + 8, 243, 21);
    place(cancel_button_, 303, path_top + 8, 75, 21);
    place(ok_button_, 398, path_top + 8, 75, 21);
    if (moves) EndDeferWindowPos(moves);
}

SIZE ChangeDestWindow::Impl::textExtent(HWND control) const {
    SIZE extent{0, 13};
    std::string text = win32::windowText(control);
    if (win32::WindowDc dc(control); dc) {
        win32::SelectedObject use_font(dc.get(), font_.get());
        GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    }
    return extent;
}

int ChangeDestWindow::Impl::showModal() {
    HWND self = window_.get();
    HWND owner = GetActiveWindow();
    if (owner == self) owner = nullptr;
    // Owned by the window that opened it: stays above it and has no task-bar button of its own.
    SetWindowLongPtrA(self, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));

    // Modal: every other window of the thread that takes input now is disabled until the end.
    OtherWindows others{self, {}};
    EnumThreadWindows(GetCurrentThreadId(), &collectOtherWindow, reinterpret_cast<LPARAM>(&others));
    for (HWND w : others.windows) EnableWindow(w, FALSE);

    modal_result_ = kModalNone;
    modal_ = true;
    ShowWindow(self, SW_SHOW);
    SetForegroundWindow(self);
    SetFocus(directory_list_box_.handle());

    MSG msg;
    while (modal_result_ == kModalNone) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The program is ending: leave the quit for the main loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            modal_result_ = kModalCancel;
            break;
        }
        if (got == -1) {
            modal_result_ = kModalCancel;
            break;
        }
        if (!IsDialogMessageA(self, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    modal_ = false;

    // Enable the others before hiding, so that activation goes back to the owner.
    for (HWND w : others.windows) EnableWindow(w, TRUE);
    ShowWindow(self, SW_HIDE);
    if (owner) SetActiveWindow(owner);
    return modal_result_;
}

LRESULT ChangeDestWindow::Impl::onMessage(HWND window, UINT message, WPARAM wparam,
                                          LPARAM lparam) {
    switch (message) {
        case WM_NCCREATE:
            // The controls are created while CreateWindowEx has not returned yet.
            window_ = OwnedWindow(window);
            return DefWindowProcA(window, message, wparam, lparam);
        case WM_MEASUREITEM: {
            auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
            if (item->CtlID == kDriveComboId && item->itemID == static_cast<UINT>(-1)) {
                item->itemHeight = win32::DriveComboBox::kFieldHeight;
            } else {
                item->itemHeight = win32::DirectoryListBox::kItemHeight;
            }
            return TRUE;
        }
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lparam);
            if (item->CtlID == kDirectoryListId) directory_list_box_.draw(*item);
            if (item->CtlID == kDriveComboId) drive_combo_box_.draw(*item);
            return TRUE;
        }
        case WM_COMMAND:
            onCommand(LOWORD(wparam), HIWORD(wparam));
            return 0;
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wparam);
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(win32::buttonFaceBrush());
        }
        case WM_SIZE:
            if (directory_list_box_.handle()) layout();
            return 0;
        case DM_GETDEFID:
            return MAKELRESULT(IDOK, DC_HASDEFID);
        case WM_CLOSE:
            // The close box cancels; the window itself lives until the program ends.
            if (modal_) endModal(kModalCancel);
            return 0;
        default:
            return DefWindowProcA(window, message, wparam, lparam);
    }
}

void ChangeDestWindow::Impl::onCommand(int id, int code) {
    if (!form_) return;
    QuietDriveErrors quiet;
    switch (id) {
        case IDOK:
            if (code == BN_CLICKED) form_->OkButtonClick();
            break;
        case IDCANCEL:
            if (code == BN_CLICKED) endModal(kModalCancel);
            break;
        case kDirectoryListId:
            if (code == LBN_DBLCLK) form_->DirectoryListBoxDblClick(directory_list_box_.selectedIndex());
            break;
        case kDriveComboId:
            // Arrow keys in the closed box choose at once; in the open list only the final
            // choice counts, so moving through it does not visit every drive.
            if ((code == CBN_SELCHANGE && !drive_combo_box_.droppedDown()) || code == CBN_CLOSEUP) {
                form_->DriveComboBoxChange(drive_combo_box_.selectedIndex());
            }
            break;
        default:
            break;
    }
}

ChangeDestWindow::ChangeDestWindow(Platform& platform, const std::string& fallback_directory)
    : impl_(std::make_unique<Impl>(platform, fallback_directory)) {}

ChangeDestWindow::~ChangeDestWindow() = default;

bool ChangeDestWindow::pickDirectory(const std::string& start, std::string& chosen) {
    return impl_->pick(start, chosen);
}

void ChangeDestWindow::setFallbackDirectory(const std::string& directory) {
    impl_->setFallbackDirectory(directory);
}

void* ChangeDestWindow::handle() const { return impl_->handle(); }

}  // namespace stow
