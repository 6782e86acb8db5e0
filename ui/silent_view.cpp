// Nothing here can fail but a text copy, which ends the program when memory has run out; the
// stub builds this file without unwind tables (cmake/win32.cmake), as these empty bodies are
// most of what a silent run adds to it.
#include "ui/silent_view.h"

namespace stow {

void SilentView::setEvents(MainViewEvents*) {}
void SilentView::setTitle(const std::string&) {}
void SilentView::setApplicationTitle(const std::string&) {}
std::string SilentView::text(MainControl control) { return texts_[static_cast<size_t>(control)]; }
void SilentView::setText(MainControl control, const std::string& text) {
    texts_[static_cast<size_t>(control)] = text;
}
bool SilentView::visible(MainControl) { return false; }
void SilentView::setVisible(MainControl, bool) {}
bool SilentView::enabled(MainControl) { return true; }
void SilentView::setEnabled(MainControl, bool) {}
int SilentView::height(MainControl) { return 0; }
void SilentView::setClientHeight(int) {}
int SilentView::outerHeight() { return 0; }
void SilentView::setHeightConstraints(int, int) {}
void SilentView::alignChangeButtonsRight() {}
void SilentView::setHeadLayout(HeadLayout) {}
void SilentView::setGoPanelColor(Color) {}
void SilentView::useParentColorForGoPanel() {}
void SilentView::placeProgressBar(TTintProgress&) {}
void SilentView::removeProgressBar() {}
void SilentView::repaintNow() {}
void SilentView::processMessages() {}
void SilentView::showDiagnostics(const std::vector<std::string>&) {}
void SilentView::close() {}
void SilentView::terminateApplication() {}

}  // namespace stow
