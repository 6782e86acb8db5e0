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
    void setEvents(MainViewEvents*) override;
    void setTitle(const std::string&) override;
    void setApplicationTitle(const std::string&) override;
    std::string text(MainControl control) override;
    void setText(MainControl control, const std::string& text) override;
    bool visible(MainControl) override;
    void setVisible(MainControl, bool) override;
    bool enabled(MainControl) override;
    void setEnabled(MainControl, bool) override;
    int height(MainControl) override;
    void setClientHeight(int) override;
    int outerHeight() override;
    void setHeightConstraints(int, int) override;
    void alignChangeButtonsRight() override;
    void setHeadLayout(HeadLayout) override;
    void setGoPanelColor(Color) override;
    void useParentColorForGoPanel() override;
    void placeProgressBar(TTintProgress&) override;
    void removeProgressBar() override;
    void repaintNow() override;
    void processMessages() override;
    void showDiagnostics(const std::vector<std::string>&) override;
    void close() override;
    void terminateApplication() override;

private:
    std::array<std::string, static_cast<size_t>(MainControl::OKButton) + 1> texts_;
};

}  // namespace stow
