// Host-side check of the progress bar as the screen shows it: reads the bar's pixels (raw RGB,
// row by row, as ImageMagick writes them) and paints the same bar with the host's pixel canvas
// for every Position from 0 to Max. The screen matches when some Position gives exactly the same
// pixels. Prints the matching Positions, or the closest one and where it differs.
//
//   bar_match WIDTH HEIGHT MAX FACE SHADOW HIGHLIGHT BACKGROUND PIXELS.rgb
//
// Colours are RRGGBB in hex, as a screenshot reads them.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ui/pixel_canvas.h"
#include "ui/tint_progress.h"

namespace {

// RRGGBB as written on the command line to the 0x00BBGGRR layout of the painting code.
stow::Color fromRgbText(const char* text) {
    unsigned long rgb = std::strtoul(text, nullptr, 16);
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

unsigned long toRgb(stow::Color c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 9) {
        std::fprintf(stderr, "usage: bar_match W H MAX FACE SHADOW HIGHLIGHT BACKGROUND PIXELS.rgb\n");
        return 2;
    }
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    const int max = std::atoi(argv[3]);
    std::ifstream in(argv[8], std::ios::binary);
    std::vector<unsigned char> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (width <= 0 || height <= 0 || raw.size() != static_cast<size_t>(width) * height * 3) {
        std::fprintf(stderr, "bar_match: %zu bytes of pixels for %dx%d\n", raw.size(), width, height);
        return 2;
    }
    std::vector<stow::Color> screen(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < screen.size(); ++i) {
        screen[i] = raw[3 * i] | (raw[3 * i + 1] << 8) | (raw[3 * i + 2] << 16);
    }

    stow::TableSystemLook look;
    look.setColor(stow::kColorBtnFace, fromRgbText(argv[4]));
    look.setColor(stow::kColorBtnShadow, fromRgbText(argv[5]));
    look.setColor(stow::kColorBtnHighlight, fromRgbText(argv[6]));
    stow::TTintProgress bar(look);
    bar.setBounds(0, 0, width, height);
    bar.setColor(fromRgbText(argv[7]));
    bar.setTint(stow::kClBlue);
    bar.setMax(max);

    // First pass: stop at the first differing pixel. Only when nothing matches, a second pass
    // counts the differences to name the closest Position.
    int first = -1, last = -1, best = -1;
    size_t best_diff = screen.size() + 1;
    int best_x = 0, best_y = 0;
    stow::Color best_want = 0, best_got = 0;
    for (int pass = 0; pass < 2 && first < 0; ++pass) {
        for (int position = 0; position <= max; ++position) {
            bar.setPosition(position);
            stow::PixelCanvas canvas(width, height, look);
            bar.paintTo(canvas);
            size_t diff = 0;
            int dx = 0, dy = 0;
            for (int y = 0; y < height && (pass == 1 || diff == 0); ++y) {
                for (int x = 0; x < width; ++x) {
                    if (canvas.pixel(x, y) != screen[static_cast<size_t>(y) * width + x]) {
                        if (diff++ == 0) dx = x, dy = y;
                        if (pass == 0) break;
                    }
                }
            }
            if (diff == 0) {
                if (first < 0) first = position;
                last = position;
            } else if (pass == 1 && diff < best_diff) {
                best_diff = diff;
                best = position;
                best_x = dx;
                best_y = dy;
                best_want = canvas.pixel(dx, dy);
                best_got = screen[static_cast<size_t>(dy) * width + dx];
            }
        }
    }
    // The fill's length on screen: the run of the tint in the first interior row.
    int length = 0;
    while (1 + length < width && screen[static_cast<size_t>(width) + 1 + length] == stow::kClBlue) ++length;
    if (first >= 0) {
        std::printf("match positions=%d-%d length=%d\n", first, last, length);
        return 0;
    }
    std::printf("no match length=%d closest=%d differing=%zu first=%d,%d want=%06lX got=%06lX\n",
                length, best, best_diff, best_x, best_y, toRgb(best_want), toRgb(best_got));
    return 1;
}
