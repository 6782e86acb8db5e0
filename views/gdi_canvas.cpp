// GDI canvas. A new pen is made only when the colour changes, since a bar paint draws one run
// per row and neighbouring rows often share a colour.
#include "views/gdi_canvas.h"

#include <utility>

#include "views/gui_common.h"

namespace stow::win32 {

GdiCanvas::GdiCanvas(HDC dc, int left, int top, int width, int height) : target_(dc) {
    enter(left, top, width, height);
}

GdiCanvas::GdiCanvas(HWND window, int left, int top, int width, int height)
    : window_dc_(std::make_unique<WindowDc>(window)), target_(window_dc_->get()) {
    enter(left, top, width, height);
}

void GdiCanvas::enter(int left, int top, int width, int height) {
    if (!target_ || width <= 0 || height <= 0) return;
    MemoryDc memory(CreateCompatibleDC(target_));
    if (!memory) return;
    Bitmap bitmap(CreateCompatibleBitmap(target_, width, height));
    if (!bitmap) return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    dc_ = std::move(memory);
    bitmap_ = std::move(bitmap);
    original_bitmap_ = SelectObject(dc_.get(), bitmap_.get());
    // Start from what is there, so that pixels a painter leaves alone keep their look.
    BitBlt(dc_.get(), 0, 0, width, height, target_, left, top, SRCCOPY);
}

GdiCanvas::~GdiCanvas() {
    if (!dc_) return;
    // The whole picture in one copy; the bitmap clips the drawing to the control's bounds.
    BitBlt(target_, left_, top_, width_, height_, dc_.get(), 0, 0, SRCCOPY);
    if (original_pen_) SelectObject(dc_.get(), original_pen_);
    SelectObject(dc_.get(), original_bitmap_);
    // dc_, pen_ and bitmap_ go after this, none of them selected anywhere any more.
}

void GdiCanvas::fillRect(int left, int top, int right, int bottom, Color color) {
    if (!dc_.get() || right <= left || bottom <= top) return;
    Brush brush(CreateSolidBrush(toColorRef(color)));
    if (!brush) return;
    RECT r{left, top, right, bottom};
    FillRect(dc_.get(), &r, brush.get());
}

void GdiCanvas::setPenColor(Color color) {
    if (!dc_) return;
    COLORREF rgb = toColorRef(color);
    if (pen_ && rgb == pen_color_) return;
    Pen pen(CreatePen(PS_SOLID, 1, rgb));
    if (!pen) return;
    HGDIOBJ previous = SelectObject(dc_.get(), pen.get());
    if (!original_pen_) original_pen_ = previous;
    pen_ = std::move(pen);  // the previous pen is no longer selected and goes now
    pen_color_ = rgb;
}

void GdiCanvas::moveTo(int x, int y) {
    if (dc_) MoveToEx(dc_.get(), x, y, nullptr);
}

void GdiCanvas::lineTo(int x, int y) {
    if (dc_) LineTo(dc_.get(), x, y);
}

void GdiCanvas::setPixel(int x, int y, Color color) {
    if (dc_) SetPixelV(dc_.get(), x, y, toColorRef(color));
}

Color GdiCanvas::sysColor(int index) { return GetSysColor(index) & 0xFFFFFF; }

}  // namespace stow::win32
