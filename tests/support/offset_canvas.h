// A canvas that draws onto a larger pixel surface at an offset, like a child window's device
// context onto the screen: it outlives nothing and owns nothing, so what a control painted can
// be inspected on the surface afterwards.
#pragma once

#include "ui/pixel_canvas.h"

namespace stow {

class OffsetCanvas : public Canvas {
public:
    OffsetCanvas(PixelCanvas& surface, int left, int top) : s_(surface), dx_(left), dy_(top) {}
    void fillRect(int l, int t, int r, int b, Color c) override {
        s_.fillRect(l + dx_, t + dy_, r + dx_, b + dy_, c);
    }
    void setPenColor(Color c) override { s_.setPenColor(c); }
    void moveTo(int x, int y) override { s_.moveTo(x + dx_, y + dy_); }
    void lineTo(int x, int y) override { s_.lineTo(x + dx_, y + dy_); }
    void setPixel(int x, int y, Color c) override { s_.setPixel(x + dx_, y + dy_, c); }
    Color sysColor(int index) override { return s_.sysColor(index); }

private:
    PixelCanvas& s_;
    int dx_, dy_;
};

}  // namespace stow
