// Pixel-buffer canvas with the same pen semantics as GDI: LineTo leaves out its end point,
// drawing is clipped to the buffer, and colours that name system colours are resolved.
#include "ui/pixel_canvas.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace stow {

TableSystemLook::TableSystemLook() {
    colors_ = {{kColorWindow, 0xFFFFFF},
               {kColorBtnFace, 0xC0C0C0},
               {kColorBtnShadow, 0x808080},
               {kColorBtnHighlight, 0xFFFFFF}};
    metrics_ = {{kSmCyVScroll, 16}};
}

Color TableSystemLook::sysColor(int index) {
    auto it = colors_.find(index);
    return it == colors_.end() ? 0 : it->second;
}

int TableSystemLook::systemMetric(int index) {
    auto it = metrics_.find(index);
    return it == metrics_.end() ? 0 : it->second;
}

PixelCanvas::PixelCanvas(int width, int height, SystemLook& look)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      look_(look),
      pixels_(static_cast<size_t>(width_) * height_, kUnpainted) {}

void PixelCanvas::plot(int x, int y, Color color) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[static_cast<size_t>(y) * width_ + x] = resolveColor(look_, color);
}

void PixelCanvas::fillRect(int left, int top, int right, int bottom, Color color) {
    for (int y = std::max(top, 0); y < std::min(bottom, height_); ++y)
        for (int x = std::max(left, 0); x < std::min(right, width_); ++x) plot(x, y, color);
}

void PixelCanvas::setPenColor(Color color) { pen_ = color; }

void PixelCanvas::moveTo(int x, int y) {
    x_ = x;
    y_ = y;
}

// Bresenham from the current point, stopping one pixel short of the end, as GDI does.
void PixelCanvas::lineTo(int x, int y) {
    int dx = std::abs(x - x_), sx = x_ < x ? 1 : -1;
    int dy = -std::abs(y - y_), sy = y_ < y ? 1 : -1;
    int err = dx + dy;
    int cx = x_, cy = y_;
    while (cx != x || cy != y) {
        plot(cx, cy, pen_);
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            cx += sx;
        }
        if (e2 <= dx) {
            err += dx;
            cy += sy;
        }
    }
    x_ = x;
    y_ = y;
}

void PixelCanvas::setPixel(int x, int y, Color color) { plot(x, y, color); }

Color PixelCanvas::sysColor(int index) { return look_.sysColor(index); }

Color PixelCanvas::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return kUnpainted;
    return pixels_[static_cast<size_t>(y) * width_ + x];
}

std::string PixelCanvas::rowHex(int y) const {
    std::string row;
    char word[16];
    for (int x = 0; x < width_; ++x) {
        Color c = pixel(x, y);
        if (c == kUnpainted)
            std::snprintf(word, sizeof word, "%s------", x ? " " : "");
        else
            std::snprintf(word, sizeof word, "%s%06X", x ? " " : "", c & 0xFFFFFF);
        row += word;
    }
    return row;
}

}  // namespace stow
