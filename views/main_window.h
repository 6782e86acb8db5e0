// The main window in raw Win32: the heading and driver labels, the two directory panels with
// their Change buttons, GoPanel with the Install and Finish buttons and, during installation,
// the windowless tint bar painted on GoPanel. It lays the controls out, forwards clicks and
// previewed keys to the controller, and runs the program's message loop.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "platform/win32/handles.h"
#include "ui/main_view.h"
#include "ui/tint_progress.h"

namespace stow {

class MainWindow : public MainView {
public:
    // Creates the window and its controls hidden, at the designed size.
    explicit MainWindow(SystemLook& look);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND handle() const { return window_.get(); }
    HWND control(MainControl control) const { return controls_[index(control)]; }

    // Centres the window on the screen, shows it and focuses the first control in tab order.
    void show();
    // Runs until WM_QUIT; returns its exit code.
    int runMessageLoop();

    // --- MainView ---
    void setEvents(MainViewEvents* events) override { events_ = events; }
    void setTitle(const std::string& text) override;
    void setApplicationTitle(const std::string& text) override { application_title_ = text; }
    std::string text(MainControl control) override;
    void setText(MainControl control, const std::string& text) override;
    bool visible(MainControl control) override;
    void setVisible(MainControl control, bool visible) override;
    bool enabled(MainControl control) override;
    void setEnabled(MainControl control, bool enabled) override;
    int height(MainControl control) override { return heights_[index(control)]; }
    void setClientHeight(int height) override;
    int outerHeight() override;
    void setHeightConstraints(int min_height, int max_height) override;
    void alignChangeButtonsRight() override;
    void setHeadLayout(HeadLayout layout) override;
    void setGoPanelColor(Color color) override;
    void useParentColorForGoPanel() override;
    void placeProgressBar(TTintProgress& bar) override;
    void removeProgressBar() override;
    void repaintNow() override;
    void processMessages() override;
    void showDiagnostics(const std::vector<std::string>& lines) override;
    void close() override;
    void terminateApplication() override;

private:
    // GoPanel as the windowed parent of the bar.
    class GoPanelHost : public ControlHost {
    public:
        explicit GoPanelHost(MainWindow& owner) : owner_(owner) {}
        void invalidate(int left, int top, int right, int bottom) override;
        Color color() override;
        std::unique_ptr<Canvas> canvasAt(int left, int top, int width, int height) override;
        // GoPanel has just painted: nothing of it is marked any more.
        void painted() { marked_ = false; }

    private:
        MainWindow& owner_;
        // The last rectangle marked and not painted since. Placement advances the bar once per
        // file without handling messages; marking the same rectangle again would change nothing
        // but cost a round trip to the window manager per file.
        RECT marked_rect_{};
        bool marked_ = false;
    };

    static constexpr size_t kControlCount = 9;
    static size_t index(MainControl control) { return static_cast<size_t>(control); }

    static void registerClasses();

    LRESULT handle(HWND window, UINT message, WPARAM wp, LPARAM lp);
    LRESULT handlePanel(HWND panel, UINT message, WPARAM wp, LPARAM lp);
    void createControls();
    void layout();
    void paintPanel(HWND panel);
    void drawLabel(const DRAWITEMSTRUCT& item);
    void onCommand(int id);
    // Key preview: the window sees every key before the focused control does.
    bool preTranslate(MSG& msg);
    bool isMine(HWND window) const;
    template <typename Handler>
    void fire(Handler&& handler);

    SystemLook& look_;
    MainViewEvents* events_ = nullptr;
    win32::OwnedWindow window_;
    std::array<HWND, kControlCount> controls_{};
    std::array<int, kControlCount> heights_{};
    win32::Font font_;
    std::string application_title_;
    HeadLayout head_layout_ = HeadLayout::TopCentered;
    bool go_panel_has_color_ = false;
    Color go_panel_color_ = 0;
    int min_height_ = 0;
    int max_height_ = 0;
    TTintProgress* bar_ = nullptr;
    GoPanelHost go_host_{*this};
    HWND saved_focus_ = nullptr;
};

}  // namespace stow
