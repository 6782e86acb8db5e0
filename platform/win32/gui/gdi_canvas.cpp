// GDI canvas. A new pen is made only when the colour changes, since a bar paint draws one run
// per row and neighbouring rows often share a colour.
#include "platform/win32/gui/gdi_canvas.h"

#include "platform/win32/gui/gui_common.h"

namespace stow::win32 {

GdiCanvas::GdiCanvas(HDC dc, int left, int top, int width, int height) : dc_(dc) {
    enter(left, top, width, height);
}

GdiCanvas::GdiCanvas(HWND window, int left, int top, int width, int height)
    : window_dc_(std::make_unique<WindowDc>(window)), dc_(window_dc_->get()) {
    enter(left, top, width, height);
}

void GdiCanvas::enter(int left, int top, int width, int height) {
    if (!dc_) return;
    saved_ = SaveDC(dc_);
    SetViewportOrgEx(dc_, left, top, nullptr);
    IntersectClipRect(dc_, 0, 0, width, height);
}

GdiCanvas::~GdiCanvas() {
    // Restoring selects the DC's original pen again, so pen_ is deleted deselected.
    if (dc_ && saved_) RestoreDC(dc_, saved_);
}

void GdiCanvas::fillRect(int left, int top, int right, int bottom, Color color) {
    if (!dc_ || right <= left || bottom <= top) return;
    Brush brush(CreateSolidBrush(toColorRef(color)));
    if (!brush) return;
    RECT r{left, top, right, bottom};
    FillRect(dc_, &r, brush.get());
}

void GdiCanvas::setPenColor(Color color) {
    if (!dc_) return;
    COLORREF rgb = toColorRef(color);
    if (pen_ && rgb == pen_color_) return;
    Pen pen(CreatePen(PS_SOLID, 1, rgb));
    if (!pen) return;
    SelectObject(dc_, pen.get());
    pen_ = std::move(pen);  // the previous pen is no longer selected and goes now
    pen_color_ = rgb;
}

void GdiCanvas::moveTo(int x, int y) {
    if (dc_) MoveToEx(dc_, x, y, nullptr);
}

void GdiCanvas::lineTo(int x, int y) {
    if (dc_) LineTo(dc_, x, y);
}

void GdiCanvas::setPixel(int x, int y, Color color) {
    if (dc_) SetPixelV(dc_, x, y, toColorRef(color));
}

Color GdiCanvas::sysColor(int index) { return GetSysColor(index) & 0xFFFFFF; }

}  // namespace stow::win32
