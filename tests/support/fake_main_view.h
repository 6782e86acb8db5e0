// A main window that keeps what the controller sets (texts, visibility, sizes, the bar and its
// immediate paints) and counts what it is asked to do, for the controller's tests and for tests
// that drive the whole install command with the real phases. As GoPanel it hosts any control.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/offset_canvas.h"
#include "ui/main_view.h"
#include "ui/pixel_canvas.h"
#include "ui/tint_progress.h"

namespace stow::test {

// Frame and caption of the designed window: 183 outer for 157 client.
constexpr int kFrameHeight = 26;

class FakeMainView : public MainView, public ControlHost {
public:
    // --- MainView ---
    void setEvents(MainViewEvents* e) override { events = e; }
    void setTitle(const std::string& t) override { title = t; }
    void setApplicationTitle(const std::string& t) override { application_title = t; }
    std::string text(MainControl c) override { return texts[c]; }
    void setText(MainControl c, const std::string& t) override { texts[c] = t; }
    bool visible(MainControl c) override { return !hidden[c]; }
    void setVisible(MainControl c, bool v) override { hidden[c] = !v; }
    bool enabled(MainControl c) override { return !disabled[c]; }
    void setEnabled(MainControl c, bool e) override { disabled[c] = !e; }
    int height(MainControl c) override {
        return c == MainControl::HeadLabel ? 57 : c == MainControl::DriverLabel ? 17 : 25;
    }
    void setClientHeight(int h) override {
        if (on_client_height) on_client_height();
        client_height = h;
    }
    int outerHeight() override { return client_height + kFrameHeight; }
    void setHeightConstraints(int min_h, int max_h) override {
        min_height = min_h;
        max_height = max_h;
    }
    void alignChangeButtonsRight() override { buttons_right = true; }
    void setHeadLayout(HeadLayout l) override { head_layout = l; }
    void setGoPanelColor(Color c) override { go_color = c; }
    void useParentColorForGoPanel() override { go_color.reset(); }
    void placeProgressBar(TTintProgress& b) override {
        bar = &b;
        b.setParent(this);
        b.setBounds(0, 0, 401, 25);
    }
    void removeProgressBar() override {
        if (bar) bar->setParent(nullptr);
        bar = nullptr;
    }
    void repaintNow() override { repaint_headings.push_back(texts[MainControl::HeadLabel]); }
    void processMessages() override {
        ++pumps;
        if (on_pump) on_pump();
    }
    void showDiagnostics(const std::vector<std::string>& lines) override {
        diagnostics.push_back(lines);
    }
    void close() override { closed = true; }
    void terminateApplication() override { terminated = true; }

    // --- ControlHost: GoPanel ---
    void invalidate(int, int, int, int) override { ++invalidations; }
    Color color() override { return go_color.value_or(kClBtnFace); }
    std::unique_ptr<Canvas> canvasAt(int left, int top, int, int) override {
        ++canvases;
        if (bar) paints.push_back({bar->max(), bar->position()});
        if (!screen) screen = std::make_unique<PixelCanvas>(401, 25, look);
        return std::make_unique<OffsetCanvas>(*screen, left, top);
    }

    TableSystemLook look;
    MainViewEvents* events = nullptr;
    std::string title, application_title;
    std::map<MainControl, std::string> texts;
    std::map<MainControl, bool> hidden{{MainControl::OKButton, true}}, disabled;
    int client_height = 157;
    int min_height = 0, max_height = 0;
    bool buttons_right = false;
    HeadLayout head_layout = HeadLayout::TopCentered;
    std::optional<Color> go_color;
    TTintProgress* bar = nullptr;
    std::vector<std::string> repaint_headings;  // the heading at each immediate repaint
    int pumps = 0;
    std::vector<std::pair<int, int>> paints;    // (Max, Position) at each immediate paint
    std::unique_ptr<PixelCanvas> screen;        // GoPanel as the immediate paints left it
    int invalidations = 0, canvases = 0;
    std::vector<std::vector<std::string>> diagnostics;
    bool closed = false;
    bool terminated = false;
    std::function<void()> on_client_height;
    std::function<void()> on_pump;
};

}  // namespace stow::test
