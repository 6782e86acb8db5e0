// A main window that only keeps what the install command sets: texts, visibility and the bar's
// host. For tests that drive the whole command with the real phases.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>

#include "ui/main_view.h"
#include "ui/pixel_canvas.h"
#include "ui/tint_progress.h"

namespace stow::test {

class QuietView : public MainView, public ControlHost {
public:
    void setEvents(MainViewEvents*) override {}
    void setTitle(const std::string&) override {}
    void setApplicationTitle(const std::string&) override {}
    std::string text(MainControl c) override { return texts[c]; }
    void setText(MainControl c, const std::string& t) override { texts[c] = t; }
    bool visible(MainControl c) override { return hidden.count(c) == 0; }
    void setVisible(MainControl c, bool v) override {
        if (v) {
            hidden.erase(c);
        } else {
            hidden.insert(c);
        }
    }
    bool enabled(MainControl) override { return true; }
    void setEnabled(MainControl, bool) override {}
    int height(MainControl) override { return 25; }
    void setClientHeight(int) override {}
    int outerHeight() override { return 183; }
    void setHeightConstraints(int, int) override {}
    void alignChangeButtonsRight() override {}
    void setHeadLayout(HeadLayout) override {}
    void setGoPanelColor(Color) override {}
    void useParentColorForGoPanel() override {}
    void placeProgressBar(TTintProgress& bar) override {
        bar.setParent(this);
        bar.setBounds(0, 0, 401, 25);
    }
    void removeProgressBar() override {}
    void repaintNow() override {}
    void processMessages() override { ++pumps; }
    void showDiagnostics(const std::vector<std::string>&) override {}
    void close() override {}
    void terminateApplication() override { terminated = true; }

    void invalidate(int, int, int, int) override {}
    Color color() override { return kClBlack; }
    std::unique_ptr<Canvas> canvasAt(int, int, int width, int height) override {
        return std::make_unique<PixelCanvas>(width, height, look);
    }

    TableSystemLook look;
    std::map<MainControl, std::string> texts;
    std::set<MainControl> hidden{MainControl::OKButton};
    int pumps = 0;
    bool terminated = false;
};

}  // namespace stow::test
