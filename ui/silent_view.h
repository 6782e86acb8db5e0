// The main window of a silent run: it keeps the texts the controller reads back (the two
// directories) and shows nothing, ever. No window exists behind it.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "ui/main_view.h"

namespace stow {

class SilentView final : public MainView {
public:
    void setEvents(MainViewEvents*) override {}
    void setTitle(const std::string&) override {}
    void setApplicationTitle(const std::string&) override {}
    std::string text(MainControl control) override { return texts_[index(control)]; }
    void setText(MainControl control, const std::string& text) override {
        texts_[index(control)] = text;
    }
    bool visible(MainControl) override { return false; }
    void setVisible(MainControl, bool) override {}
    bool enabled(MainControl) override { return true; }
    void setEnabled(MainControl, bool) override {}
    int height(MainControl) override { return 0; }
    void setClientHeight(int) override {}
    int outerHeight() override { return 0; }
    void setHeightConstraints(int, int) override {}
    void alignChangeButtonsRight() override {}
    void setHeadLayout(HeadLayout) override {}
    void setGoPanelColor(Color) override {}
    void useParentColorForGoPanel() override {}
    void placeProgressBar(TTintProgress&) override {}
    void removeProgressBar() override {}
    void repaintNow() override {}
    void processMessages() override {}
    void showDiagnostics(const std::vector<std::string>&) override {}
    void close() override {}
    void terminateApplication() override {}

private:
    static size_t index(MainControl control) { return static_cast<size_t>(control); }
    std::array<std::string, static_cast<size_t>(MainControl::OKButton) + 1> texts_;
};

}  // namespace stow
