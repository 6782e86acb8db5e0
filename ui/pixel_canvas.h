// A canvas over a plain pixel buffer, and a fixed table of system colours, so that custom
// painting can be checked pixel by pixel without a screen.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "ui/canvas.h"

namespace stow {

// The classic Windows scheme: button face C0C0C0, shadow 808080, highlight and window FFFFFF,
// scroll arrows 16 pixels. Entries can be replaced to check that painting asks for them.
class TableSystemLook : public SystemLook {
public:
    TableSystemLook();
    Color sysColor(int index) override;
    int systemMetric(int index) override;
    void setColor(int index, Color rgb) { colors_[index] = rgb; }
    void setMetric(int index, int value) { metrics_[index] = value; }

private:
    std::map<int, Color> colors_;
    std::map<int, int> metrics_;
};

class PixelCanvas : public Canvas {
public:
    // Every pixel starts as kUnpainted, which no drawing operation produces.
    static constexpr Color kUnpainted = 0xFF000000;

    PixelCanvas(int width, int height, SystemLook& look);

    void fillRect(int left, int top, int right, int bottom, Color color) override;
    void setPenColor(Color color) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void setPixel(int x, int y, Color color) override;
    Color sysColor(int index) override;

    int width() const { return width_; }
    int height() const { return height_; }
    Color pixel(int x, int y) const;
    // One row as six-digit hex words of the 0x00BBGGRR values ("------" where nothing was
    // drawn), separated by blanks.
    std::string rowHex(int y) const;

private:
    void plot(int x, int y, Color color);

    int width_;
    int height_;
    SystemLook& look_;
    std::vector<Color> pixels_;
    Color pen_ = 0;
    int x_ = 0;
    int y_ = 0;
};

}  // namespace stow
