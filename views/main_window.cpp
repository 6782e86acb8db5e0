// Main window controls and layout. Labels are owner-drawn statics so that the heading can be
// centred vertically and word-wrapped; panels are a small window class that draws a lowered
// bevel and a left-justified caption, and GoPanel also paints the windowless tint bar. Buttons
// sit on the panels, which pass their clicks on to the window.
#include "views/main_window.h"

#include <algorithm>
#include <utility>

#include "base/error.h"
#include "views/diagnostics_window.h"
#include "views/gdi_canvas.h"
#include "views/gui_common.h"
#include "views/window_class.h"

namespace stow {
namespace {

constexpr char kWindowClass[] = "StowawayMainForm";
constexpr char kPanelClass[] = "StowawayPanel";

// Designed sizes at 96 dots per inch.
constexpr int kDesignedWidth = 409;
constexpr int kDesignedHeight = 183;
constexpr int kChangeButtonWidth = 81;
constexpr int kInstallButtonWidth = 225;
constexpr int kOkButtonWidth = 81;
constexpr int kBevel = 1;
constexpr int kCaptionIndent = 2;

// Control ids start above IDOK and IDCANCEL, which the dialog manager sends on its own.
constexpr int kFirstId = 100;

int idOf(MainControl control) { return kFirstId + static_cast<int>(control); }

HMENU menuId(MainControl control) {
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(idOf(control)));
}

}  // namespace

void MainWindow::registerClasses() {
    win32::registerWindowClass(kWindowClass, &win32::routeMessages<MainWindow, &MainWindow::handle>,
                               win32::buttonFaceBrush(), LoadIcon(nullptr, IDI_APPLICATION));
    // Panels paint every pixel themselves.
    win32::registerWindowClass(
        kPanelClass, &win32::routeMessages<MainWindow, &MainWindow::handlePanel>, nullptr);
}

MainWindow::MainWindow(SystemLook& look) : look_(look), font_(win32::createUiFont()) {
    heights_[index(MainControl::HeadLabel)] = 57;
    heights_[index(MainControl::PathPanel)] = 25;
    heights_[index(MainControl::ChDestButton)] = 25;
    heights_[index(MainControl::DriverLabel)] = 17;
    heights_[index(MainControl::DriverPathPanel)] = 25;
    heights_[index(MainControl::ChDriverButton)] = 25;
    heights_[index(MainControl::GoPanel)] = 25;
    heights_[index(MainControl::InstallButton)] = 25;
    heights_[index(MainControl::OKButton)] = 25;

    registerClasses();
    // WM_NCCREATE hands the window to window_, before the first message needs it.
    CreateWindowExA(WS_EX_CONTROLPARENT, kWindowClass, "MainForm",
                    WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                    kDesignedWidth, kDesignedHeight, nullptr, nullptr, win32::moduleInstance(),
                    this);
    if (!window_) throw EOSError("The main window could not be created.");
    createControls();
    layout();
}

MainWindow::~MainWindow() {
    if (bar_) bar_->setParent(nullptr);
    if (window_) {
        // Its last messages must not reach a window object that is going: no quit message.
        win32::detachWindow(window_.get());
        window_.reset();  // before the font its controls use
    }
}

void MainWindow::createControls() {
    HINSTANCE instance = win32::moduleInstance();
    auto make = [&](MainControl c, DWORD ex_style, const char* cls, const char* text, DWORD style,
                    HWND parent, MainWindow* target = nullptr) {
        HWND hwnd = CreateWindowExA(ex_style, cls, text, WS_CHILD | style, 0, 0, 10, 10, parent,
                                    menuId(c), instance, target);
        if (hwnd) win32::setUiFont(hwnd, font_.get());
        controls_[index(c)] = hwnd;
        return hwnd;
    };
    auto panel = [&](MainControl c) {
        return make(c, WS_EX_CONTROLPARENT, kPanelClass, "",
                    WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, window_.get(), this);
    };
    const DWORD button = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
    const DWORD label = WS_VISIBLE | SS_OWNERDRAW;

    // Creation order is tab order: PathPanel, GoPanel, DriverPathPanel.
    make(MainControl::HeadLabel, 0, "STATIC", "", label, window_.get());
    HWND path = panel(MainControl::PathPanel);
    make(MainControl::ChDestButton, 0, "BUTTON", "&Change...", button, path);
    HWND go = panel(MainControl::GoPanel);
    make(MainControl::InstallButton, 0, "BUTTON", "Install ZYLOR Software", button, go);
    make(MainControl::OKButton, 0, "BUTTON", "Finish", WS_TABSTOP | BS_PUSHBUTTON, go);
    make(MainControl::DriverLabel, 0, "STATIC", "And drivers to this directory:", label,
         window_.get());
    HWND drivers = panel(MainControl::DriverPathPanel);
    make(MainControl::ChDriverButton, 0, "BUTTON", "&Change...", button, drivers);
}

void MainWindow::show() {
    win32::centerOnScreen(window_.get());
    ShowWindow(window_.get(), SW_SHOWNORMAL);
    UpdateWindow(window_.get());
    HWND first = GetNextDlgTabItem(window_.get(), nullptr, FALSE);
    SetFocus(first ? first : window_.get());
}

int MainWindow::runMessageLoop() {
    MSG msg;
    for (;;) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got == -1) return 1;
        if (preTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void MainWindow::processMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The outer loop must still see it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (preTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool MainWindow::isMine(HWND hwnd) const {
    HWND self = window_.get();
    return hwnd && IsWindow(self) && (hwnd == self || IsChild(self, hwnd));
}

bool MainWindow::preTranslate(MSG& msg) {
    if (!isMine(msg.hwnd)) return false;
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        ShiftState shift = 0;
        if (GetKeyState(VK_SHIFT) < 0) shift |= kShiftShift;
        if (GetKeyState(VK_CONTROL) < 0) shift |= kShiftCtrl;
        // A system key with the context bit is typed with Alt held, even if the state lags.
        if (GetKeyState(VK_MENU) < 0 ||
            (msg.message == WM_SYSKEYDOWN && (msg.lParam & (1L << 29)) != 0))
            shift |= kShiftAlt;
        if (GetKeyState(VK_LBUTTON) < 0) shift |= kShiftLeftButton;
        if (GetKeyState(VK_RBUTTON) < 0) shift |= kShiftRightButton;
        if (GetKeyState(VK_MBUTTON) < 0) shift |= kShiftMiddleButton;
        const auto key = static_cast<uint16_t>(msg.wParam);
        fire([&] { events_->FormKeyDown(key, shift); });
        // The key is not consumed: the focused control still gets it.
        if (!IsWindow(msg.hwnd)) return true;
    }
    return IsDialogMessageA(window_.get(), &msg) != 0;
}

template <typename Handler>
void MainWindow::fire(Handler&& handler) {
    if (!events_) return;
    try {
        handler();
    } catch (...) {
        // No error may unwind through the system's window procedures.
        MessageBoxA(window_.get(), describeCurrentException().c_str(), application_title_.c_str(),
                    MB_OK | MB_ICONHAND);
    }
}

void MainWindow::onCommand(int id) {
    if (id == idOf(MainControl::ChDestButton))
        fire([&] { events_->ChDestButtonClick(); });
    else if (id == idOf(MainControl::ChDriverButton))
        fire([&] { events_->ChDriverButtonClick(); });
    else if (id == idOf(MainControl::InstallButton))
        fire([&] { events_->InstallButtonClick(); });
    else if (id == idOf(MainControl::OKButton))
        fire([&] { events_->OKButtonClick(); });
}

LRESULT MainWindow::handle(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    if (win32::trackMainWindow(window_, window, message)) return 0;
    switch (message) {
        case WM_SIZE:
            layout();
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lp);
            if (min_height_ > 0) info->ptMinTrackSize.y = min_height_;
            if (max_height_ > 0) {
                info->ptMaxTrackSize.y = max_height_;
                info->ptMaxSize.y = max_height_;
            }
            return 0;
        }
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK && lp == 0) {
                // Enter, as the dialog manager reports it: it presses the focused button.
                HWND focus = GetFocus();
                if (isMine(focus) && focus != window_.get() && IsWindowEnabled(focus))
                    onCommand(GetDlgCtrlID(focus));
                return 0;
            }
            if (HIWORD(wp) == BN_CLICKED) onCommand(LOWORD(wp));
            return 0;
        case WM_DRAWITEM:
            drawLabel(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
            return TRUE;
        case WM_ACTIVATE:
            // Keep the focused control across deactivation, as a dialog does.
            if (LOWORD(wp) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (isMine(focus) && focus != window_.get()) saved_focus_ = focus;
                return 0;
            }
            if (saved_focus_ && IsWindow(saved_focus_) && IsWindowVisible(saved_focus_) &&
                IsWindowEnabled(saved_focus_)) {
                SetFocus(saved_focus_);
                return 0;
            }
            break;
        case WM_CLOSE: {
            bool close_now = true;
            if (events_) {
                try {
                    close_now = events_->FormCloseQuery();
                } catch (...) {
                    close_now = true;
                }
            }
            if (close_now) DestroyWindow(window);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcA(window, message, wp, lp);
}

LRESULT MainWindow::handlePanel(HWND panel, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT covers every pixel
        case WM_PAINT:
            paintPanel(panel);
            return 0;
        case WM_SETTEXT: {
            LRESULT result = DefWindowProcA(panel, message, wp, lp);
            InvalidateRect(panel, nullptr, TRUE);
            return result;
        }
        case WM_COMMAND:
            // Buttons report to their panel; the window handles them.
            return SendMessageA(window_.get(), message, wp, lp);
        default:
            return DefWindowProcA(panel, message, wp, lp);
    }
}

void MainWindow::paintPanel(HWND panel) {
    win32::PaintDc dc(panel);
    RECT r;
    GetClientRect(panel, &r);
    const bool is_go_panel = panel == control(MainControl::GoPanel);
    if (is_go_panel) go_host_.painted();
    const Color background = is_go_panel ? go_host_.color() : kClBtnFace;
    {
        // The bar paints its own area whole; filling it first would flash the background.
        const int saved = SaveDC(dc.get());
        if (is_go_panel && bar_) {
            ExcludeClipRect(dc.get(), bar_->left(), bar_->top(), bar_->left() + bar_->width(),
                            bar_->top() + bar_->height());
        }
        win32::Brush brush(CreateSolidBrush(win32::toColorRef(background)));
        FillRect(dc.get(), &r, brush.get());
        RestoreDC(dc.get(), saved);
    }
    if (!is_go_panel) {  // the directory panels are lowered
        DrawEdge(dc.get(), &r, BDR_SUNKENOUTER, BF_RECT);
        InflateRect(&r, -kBevel, -kBevel);
    }
    const std::string caption = win32::windowText(panel);
    if (!caption.empty()) {
        RECT text = r;
        text.left += kCaptionIndent;
        win32::SelectedObject font(dc.get(), font_.get());
        SetBkMode(dc.get(), TRANSPARENT);
        SetTextColor(dc.get(), GetSysColor(COLOR_WINDOWTEXT));
        DrawTextA(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &text,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS);
    }
    if (is_go_panel && bar_) {
        win32::GdiCanvas canvas(dc.get(), bar_->left(), bar_->top(), bar_->width(),
                                bar_->height());
        bar_->paintTo(canvas);
    }
}

void MainWindow::drawLabel(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    FillRect(dc, &r, win32::buttonFaceBrush());
    const std::string text = win32::windowText(item.hwndItem);
    if (text.empty()) return;
    win32::SelectedObject font(dc, font_.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    // Only the heading wraps; the drivers label stays one line, centred, cut when too narrow.
    const bool head = item.hwndItem == control(MainControl::HeadLabel);
    const UINT flags = DT_CENTER | DT_NOPREFIX | DT_EXPANDTABS | (head ? DT_WORDBREAK : DT_SINGLELINE);
    const bool at_top = head && head_layout_ == HeadLayout::ClientTop;
    if (!at_top) {
        // Centre the wrapped block vertically: measure it at the label's width first.
        RECT measure = r;
        DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &measure, flags | DT_CALCRECT);
        int text_height = measure.bottom - measure.top;
        r.top += (r.bottom - r.top - text_height) / 2;
    }
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
}

void MainWindow::layout() {
    if (!window_ || !controls_[index(MainControl::GoPanel)]) return;
    RECT client;
    GetClientRect(window_.get(), &client);
    const int width = client.right;
    const int height = client.bottom;
    auto place = [&](MainControl c, int x, int y, int w, int h) {
        HWND hwnd = control(c);
        if (!hwnd) return;
        RECT before;
        GetWindowRect(hwnd, &before);
        MoveWindow(hwnd, x, y, w, h, TRUE);
        // The labels centre their text and the panels draw their bevel at the edges, so a new
        // size changes pixels all over them, not only in the strip the system uncovers.
        if (before.right - before.left != w || before.bottom - before.top != h)
            InvalidateRect(hwnd, nullptr, TRUE);
    };

    // Top-aligned controls stack from the top; GoPanel sits on the bottom edge; in the end
    // state HeadLabel takes what is left between them.
    int y = 0;
    const MainControl stack[] = {MainControl::HeadLabel, MainControl::PathPanel,
                                 MainControl::DriverLabel, MainControl::DriverPathPanel};
    for (MainControl c : stack) {
        if (c == MainControl::HeadLabel && head_layout_ == HeadLayout::ClientTop) continue;
        // The style bit, not IsWindowVisible: the window itself may not be shown yet.
        if (c != MainControl::HeadLabel && !visible(c)) continue;
        place(c, 0, y, width, heights_[index(c)]);
        y += heights_[index(c)];
    }
    const int go_height = heights_[index(MainControl::GoPanel)];
    const int go_top = height - go_height;
    place(MainControl::GoPanel, 0, go_top, width, go_height);
    if (head_layout_ == HeadLayout::ClientTop)
        place(MainControl::HeadLabel, 0, y, width, std::max(go_top - y, 0));

    // The Change buttons fill the right end of their panels inside the bevel.
    for (auto [panel, button] : {std::pair{MainControl::PathPanel, MainControl::ChDestButton},
                                 std::pair{MainControl::DriverPathPanel,
                                           MainControl::ChDriverButton}}) {
        RECT pr;
        GetClientRect(control(panel), &pr);
        int inner_height = std::max<int>(pr.bottom - 2 * kBevel, 0);
        place(button, pr.right - kBevel - kChangeButtonWidth, kBevel, kChangeButtonWidth,
              inner_height);
    }

    // The Install and Finish buttons keep their centres in the middle of GoPanel.
    place(MainControl::InstallButton, (width - kInstallButtonWidth) / 2, 0, kInstallButtonWidth,
          heights_[index(MainControl::InstallButton)]);
    place(MainControl::OKButton, (width - kOkButtonWidth) / 2, 0, kOkButtonWidth,
          heights_[index(MainControl::OKButton)]);
    if (bar_) bar_->setBounds(0, 0, width, go_height);
}

void MainWindow::setTitle(const std::string& text) { SetWindowTextA(window_.get(), text.c_str()); }

std::string MainWindow::text(MainControl c) { return win32::windowText(control(c)); }

void MainWindow::setText(MainControl c, const std::string& text) {
    HWND hwnd = control(c);
    if (!hwnd) return;
    SetWindowTextA(hwnd, text.c_str());
    InvalidateRect(hwnd, nullptr, TRUE);
    // Headings change while the install command keeps the thread busy: show them at once.
    if (c == MainControl::HeadLabel && IsWindowVisible(window_.get())) UpdateWindow(hwnd);
}

bool MainWindow::visible(MainControl c) {
    HWND hwnd = control(c);
    return hwnd && (GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

void MainWindow::setVisible(MainControl c, bool show) {
    HWND hwnd = control(c);
    if (!hwnd) return;
    if (!show) {
        // A hidden control cannot keep the focus; the window takes it so keys still arrive.
        HWND focus = GetFocus();
        if (focus == hwnd || IsChild(hwnd, focus)) SetFocus(window_.get());
        if (saved_focus_ == hwnd) saved_focus_ = nullptr;
    }
    ShowWindow(hwnd, show ? SW_SHOWNA : SW_HIDE);
    layout();
    if (show && GetFocus() == window_.get() && (GetWindowLongA(hwnd, GWL_STYLE) & WS_TABSTOP))
        SetFocus(hwnd);
}

bool MainWindow::enabled(MainControl c) {
    HWND hwnd = control(c);
    return hwnd && IsWindowEnabled(hwnd);
}

void MainWindow::setEnabled(MainControl c, bool enable) {
    HWND hwnd = control(c);
    if (!hwnd) return;
    if (!enable && GetFocus() == hwnd) SetFocus(window_.get());
    EnableWindow(hwnd, enable ? TRUE : FALSE);
}

void MainWindow::setClientHeight(int height) {
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(window_.get(), GWL_STYLE)),
                       FALSE, static_cast<DWORD>(GetWindowLongA(window_.get(), GWL_EXSTYLE)));
    RECT outer;
    GetWindowRect(window_.get(), &outer);
    SetWindowPos(window_.get(), nullptr, 0, 0, outer.right - outer.left,
                 height + (frame.bottom - frame.top), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int MainWindow::outerHeight() {
    RECT outer;
    GetWindowRect(window_.get(), &outer);
    return outer.bottom - outer.top;
}

void MainWindow::setHeightConstraints(int min_height, int max_height) {
    min_height_ = min_height;
    max_height_ = max_height;
}

// The buttons already sit at the right end of their panels as designed; aligned, they keep
// filling it at full height whatever the panel's width.
void MainWindow::alignChangeButtonsRight() { layout(); }

void MainWindow::setHeadLayout(HeadLayout layout_kind) {
    head_layout_ = layout_kind;
    layout();
    InvalidateRect(control(MainControl::HeadLabel), nullptr, TRUE);
}

void MainWindow::setGoPanelColor(Color color) {
    go_panel_has_color_ = true;
    go_panel_color_ = color;
    InvalidateRect(control(MainControl::GoPanel), nullptr, TRUE);
}

void MainWindow::useParentColorForGoPanel() {
    go_panel_has_color_ = false;
    InvalidateRect(control(MainControl::GoPanel), nullptr, TRUE);
}

void MainWindow::placeProgressBar(TTintProgress& bar) {
    bar_ = &bar;
    bar.setParent(&go_host_);
    layout();  // fills GoPanel's client area
}

void MainWindow::removeProgressBar() {
    if (bar_) bar_->setParent(nullptr);
    bar_ = nullptr;
}

void MainWindow::repaintNow() {
    RedrawWindow(window_.get(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void MainWindow::showDiagnostics(const std::vector<std::string>& lines) {
    showDiagnosticsWindow(window_.get(), font_.get(), lines);
}

void MainWindow::close() { PostMessageA(window_.get(), WM_CLOSE, 0, 0); }

void MainWindow::terminateApplication() { PostQuitMessage(0); }

void MainWindow::GoPanelHost::invalidate(int left, int top, int right, int bottom) {
    RECT r{left, top, right, bottom};
    if (marked_ && EqualRect(&r, &marked_rect_)) return;
    if (!InvalidateRect(owner_.control(MainControl::GoPanel), &r, TRUE)) return;
    marked_rect_ = r;
    marked_ = true;
}

Color MainWindow::GoPanelHost::color() {
    return owner_.go_panel_has_color_ ? owner_.go_panel_color_ : kClBtnFace;
}

std::unique_ptr<Canvas> MainWindow::GoPanelHost::canvasAt(int left, int top, int width,
                                                          int height) {
    HWND panel = owner_.control(MainControl::GoPanel);
    if (!panel || !IsWindow(panel)) return nullptr;
    auto canvas = std::make_unique<win32::GdiCanvas>(panel, left, top, width, height);
    if (!canvas->valid()) return nullptr;
    return canvas;
}

}  // namespace stow
