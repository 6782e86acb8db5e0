// The tint bar's paint cost against its height and width, run by bench/run.sh. A paint issues
// one pen run per fill row, so on a surface where a run costs about the same whatever its
// length (GDI's LineTo) the cost should grow with the height and stay flat in the width. The
// "command" surface below stands for that: each drawing call is recorded, not rasterised. The
// pixel buffer used by the unit tests is timed too, for contrast: it writes every pixel, so its
// cost grows with the area. Ratios are taken within this one run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "ui/pixel_canvas.h"
#include "ui/tint_progress.h"

using namespace stow;

namespace {

using Clock = std::chrono::steady_clock;

// Records drawing calls the way a display driver's command queue would: constant work each.
class CommandCanvas : public Canvas {
public:
    explicit CommandCanvas(SystemLook& look) : look_(look) {}
    void fillRect(int l, int t, int r, int b, Color c) override { note(l ^ t ^ r ^ b ^ c); }
    void setPenColor(Color c) override { note(c); }
    void moveTo(int x, int y) override { note(x ^ y); }
    void lineTo(int x, int y) override { note(x ^ y); }
    void setPixel(int x, int y, Color c) override { note(x ^ y ^ c); }
    Color sysColor(int index) override { return look_.sysColor(index); }
    long calls = 0;
    unsigned checksum = 0;

private:
    void note(unsigned v) {
        ++calls;
        checksum = checksum * 31 + v;
    }
    SystemLook& look_;
};

struct Cost {
    double microseconds;  // per paint, best of several batches
    long calls;           // drawing calls per paint
};

template <typename MakeCanvas>
Cost paintCost(int width, int height, MakeCanvas make_canvas) {
    TableSystemLook look;
    TTintProgress bar(look);
    bar.setBounds(0, 0, width, height);
    bar.setMax(100);
    bar.setPosition(50);  // a part-filled bar, as during an install
    auto canvas = make_canvas(look, width, height);
    bar.paintTo(*canvas);
    const long calls = canvas->calls;
    // Enough paints per batch for a few milliseconds; the best batch, as noise only adds time.
    const int paints = 2000;
    double best = 1e30;
    for (int batch = 0; batch < 25; ++batch) {
        const auto start = Clock::now();
        for (int i = 0; i < paints; ++i) bar.paintTo(*canvas);
        const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        best = std::min(best, us / paints);
    }
    return {best, calls};
}

// PixelCanvas with the same call counter, so both surfaces report alike.
class CountingPixelCanvas : public PixelCanvas {
public:
    using PixelCanvas::PixelCanvas;
    long calls = 0;
};

}  // namespace

int main() {
    auto command = [](SystemLook& look, int, int) {
        return std::make_unique<CommandCanvas>(look);
    };
    auto pixels = [](SystemLook& look, int w, int h) {
        return std::make_unique<CountingPixelCanvas>(w, h, look);
    };
    const int heights[] = {25, 50, 100, 200};
    const int widths[] = {100, 200, 400, 800};

    std::printf("Tint bar paint cost, half filled, one ring (microseconds per paint)\n");
    std::printf("  %-16s %14s %10s %16s\n", "size", "command surface", "calls", "pixel buffer");
    std::vector<Cost> by_height, by_width, px_height, px_width;
    for (int h : heights) {
        by_height.push_back(paintCost(150, h, command));
        px_height.push_back(paintCost(150, h, pixels));
        std::printf("  w=150 h=%-8d %14.3f %10ld %16.3f\n", h, by_height.back().microseconds,
                    by_height.back().calls, px_height.back().microseconds);
    }
    for (int w : widths) {
        by_width.push_back(paintCost(w, 25, command));
        px_width.push_back(paintCost(w, 25, pixels));
        std::printf("  w=%-5d h=25     %14.3f %10ld %16.3f\n", w, by_width.back().microseconds,
                    by_width.back().calls, px_width.back().microseconds);
    }
    std::printf("Ratios (command surface; goal: grows with height, flat in width)\n");
    std::printf("  cost(h=200)/cost(h=25) at w=150: %5.2f  (calls %5.2f)\n",
                by_height.back().microseconds / by_height.front().microseconds,
                static_cast<double>(by_height.back().calls) / by_height.front().calls);
    std::printf("  cost(w=800)/cost(w=100) at h=25: %5.2f  (calls %5.2f)\n",
                by_width.back().microseconds / by_width.front().microseconds,
                static_cast<double>(by_width.back().calls) / by_width.front().calls);
    std::printf("Ratios (pixel buffer, which writes every pixel)\n");
    std::printf("  cost(h=200)/cost(h=25) at w=150: %5.2f\n",
                px_height.back().microseconds / px_height.front().microseconds);
    std::printf("  cost(w=800)/cost(w=100) at h=25: %5.2f\n",
                px_width.back().microseconds / px_width.front().microseconds);
    return 0;
}
