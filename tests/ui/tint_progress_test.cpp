// The tint bar drawn into a pixel buffer and compared with the expected grids: shading, rings,
// fill lengths and their rounding, and which property writes ask for a repaint.
#include "ui/tint_progress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/fake_main_view.h"
#include "ui/pixel_canvas.h"

namespace stow {
namespace {

constexpr Color kFace = 0xC0C0C0;
constexpr Color kShadow = 0x808080;

class TintProgressTest : public ::testing::Test {
protected:
    TintProgressTest() { host.go_color = kClBlack; }
    // A bar of the given size on a black parent, painted into a fresh buffer.
    PixelCanvas paint(TTintProgress& bar) {
        PixelCanvas canvas(bar.width(), bar.height(), look);
        bar.paintTo(canvas);
        return canvas;
    }
    std::unique_ptr<TTintProgress> makeBar(int width, int height) {
        auto bar = std::make_unique<TTintProgress>(look);
        bar->setParent(&host);
        bar->setBounds(0, 0, width, height);
        return bar;
    }
    // The colour of interior column 1 for each interior row of a full one-ring bar.
    std::vector<std::string> fillColumn(int rows) {
        auto bar = makeBar(6, rows + 2);
        bar->setPosition(100);
        PixelCanvas canvas = paint(*bar);
        std::vector<std::string> colors;
        for (int y = 1; y <= rows; ++y) colors.push_back(hex(canvas.pixel(1, y)));
        return colors;
    }
    static std::string hex(Color c) {
        char text[8];
        std::snprintf(text, sizeof text, "%06X", c);
        return text;
    }
    // Number of interior pixels of row 1 that carry the fill's top colour.
    int fillLength(TTintProgress& bar) {
        PixelCanvas canvas = paint(bar);
        int n = 0;
        for (int x = 0; x < canvas.width(); ++x)
            if (canvas.pixel(x, 1) == bar.gradient()[0]) ++n;
        return n;
    }

    TableSystemLook look;
    test::FakeMainView host;  // the bars' parent, black unless a test says otherwise
};

TEST_F(TintProgressTest, BlendRoundsHalvesToEvenAndKeepsLowBits) {
    struct Case {
        Color a, b;
        float f;
        Color expected;
    } const cases[] = {
        {0xFF0000, 0x000000, 0.0f, 0xFF0000},
        {0xFF0000, 0xFFFFFF, 1.0f, 0xFFFFFF},
        {0xFF0000, 0xAA0000, 0.5f, 0xD40000},  // 212.5 goes to 212
        {0x000001, 0x000002, 0.5f, 0x000002},  // 1.5 goes to 2
        {0x000003, 0x000002, 0.5f, 0x000002},  // 2.5 goes to 2
        {0x808080, 0x000000, 0.5f, 0x404040},
        {0x00FF00, 0x000000, 2.0f, 0x000100},  // green -255: low 8 bits of a negative whole
        {0xFF123456, 0xEE000000, 0.0f, 0x123456},  // top bytes never reach the result
    };
    for (const auto& c : cases)
        EXPECT_EQ(hex(BlendColors(c.a, c.b, c.f)), hex(c.expected))
            << hex(c.a) << " " << hex(c.b) << " " << c.f;
}

TEST_F(TintProgressTest, GradientTablesFromTints) {
    look.setColor(kColorBtnFace, 0xD8E9EC);
    struct Case {
        Color tint;
        std::array<Color, 5> table;  // its first entry is the tint as the bar reports it
    } const cases[] = {
        {0xFF0000, {0xFF0000, 0xFFFFFF, 0xFF0000, 0xAA0000, 0x550000}},
        {0x808080, {0x808080, 0xFFFFFF, 0x808080, 0x555555, 0x2B2B2B}},
        {0x000000, {0x000000, 0xFFFFFF, 0x000000, 0x000000, 0x000000}},
        {0x0300FF, {0x0300FF, 0xFFFFFF, 0x0300FF, 0x0200AA, 0x010055}},
        // A system colour is resolved before the table is built.
        {kClBtnFace, {0xD8E9EC, 0xFFFFFF, 0xD8E9EC, 0x909B9D, 0x484E4F}},
    };
    for (const auto& c : cases) {
        TTintProgress bar(look);
        bar.setTint(c.tint);
        EXPECT_EQ(bar.gradient(), c.table) << hex(c.tint);
        EXPECT_EQ(bar.tint(), c.table[0]);
    }
}

TEST_F(TintProgressTest, RowShadesOfFillsOfEveryHeight) {
    struct Case {
        int rows;
        std::vector<std::string> colors;
    } const cases[] = {
        {2, {"FF0000", "550000"}},
        {5, {"FF0000", "FFFFFF", "FF0000", "AA0000", "550000"}},
        {9,
         {"FF0000", "FF8080", "FFFFFF", "FF8080", "FF0000", "D40000", "AA0000", "800000",
          "550000"}},
        {23, {"FF0000", "FF2E2E", "FF5D5D", "FF8B8B", "FFB9B9", "FFE8E8", "FFE8E8", "FFB9B9",
              "FF8B8B", "FF5D5D", "FF2E2E", "FF0000", "F00000", "E00000", "D10000", "C10000",
              "B20000", "A20000", "930000", "830000", "740000", "640000", "550000"}},
    };
    for (const auto& c : cases) EXPECT_EQ(fillColumn(c.rows), c.colors) << c.rows << " rows";
}

TEST_F(TintProgressTest, SinglePrecisionRowPositionDecidesNearTies) {
    // t = 1/6 held as a float lies just above 1/6: 255 * f lies above 42.5.
    EXPECT_EQ(fillColumn(25)[1], "FF2B2B");
    EXPECT_EQ(fillColumn(25)[24], "550000");
}

TEST_F(TintProgressTest, RingPictureOfAFiveByFourBar) {
    auto bar = makeBar(5, 4);
    PixelCanvas canvas = paint(*bar);
    const char* const expected[] = {"808080 808080 808080 808080 C0C0C0",
                                    "808080 000000 000000 000000 FFFFFF",
                                    "808080 000000 000000 000000 FFFFFF",
                                    "C0C0C0 FFFFFF FFFFFF FFFFFF FFFFFF"};
    for (int y = 0; y < 4; ++y) EXPECT_EQ(canvas.rowHex(y), expected[y]) << y;
}

TEST_F(TintProgressTest, BorderWidthsNestRingsAroundTheInterior) {
    // Full bars with an interior of four columns and two rows.
    const struct {
        int border;
        std::vector<std::string> rows;
    } cases[] = {
        {0, {"FF0000 FF0000 FF0000 FF0000", "550000 550000 550000 550000"}},
        {-3, {"FF0000 FF0000 FF0000 FF0000", "550000 550000 550000 550000"}},
        {1,
         {"808080 808080 808080 808080 808080 C0C0C0",
          "808080 FF0000 FF0000 FF0000 FF0000 FFFFFF",
          "808080 550000 550000 550000 550000 FFFFFF",
          "C0C0C0 FFFFFF FFFFFF FFFFFF FFFFFF FFFFFF"}},
        {2,
         {"808080 808080 808080 808080 808080 808080 808080 C0C0C0",
          "808080 808080 808080 808080 808080 808080 C0C0C0 FFFFFF",
          "808080 808080 FF0000 FF0000 FF0000 FF0000 FFFFFF FFFFFF",
          "808080 808080 550000 550000 550000 550000 FFFFFF FFFFFF",
          "808080 C0C0C0 FFFFFF FFFFFF FFFFFF FFFFFF FFFFFF FFFFFF",
          "C0C0C0 FFFFFF FFFFFF FFFFFF FFFFFF FFFFFF FFFFFF FFFFFF"}},
    };
    for (const auto& c : cases) {
        const int rings = std::max(c.border, 0);
        auto bar = makeBar(4 + 2 * rings, 2 + 2 * rings);
        bar->setBorderWidth(c.border);
        bar->setPosition(100);
        PixelCanvas canvas = paint(*bar);
        for (int y = 0; y < canvas.height(); ++y)
            EXPECT_EQ(canvas.rowHex(y), c.rows[y]) << c.border << " row " << y;
    }
}

TEST_F(TintProgressTest, FillLengthsMeasureFromMinRoundHalvesToEvenAndNeverLookEmptyOrFull) {
    struct Case {
        int interior_width;
        int32_t min, max, position;
        int length;
    } const cases[] = {
        {5, 0, 2, 1, 2},          // 2.5
        {7, 0, 2, 1, 4},          // 3.5
        {399, 0, 674, 337, 200},  // 199.5
        {399, 0, 1000, 1, 1},     // 0.399 would look empty
        {399, 0, 1000, 999, 398},  // 398.601 -> 399 would look full
        {10, 0, 10, 10, 10},      // finished: the whole width
        {10, 0, 3, 2, 7},         // 6.67
        {1, 0, 2, 1, 1},          // 0.5 -> 0 -> 1
        {28, 5, 100, 5, 0},       // at Min: no fill
        {10, -10, 0, -5, 5},      // Max 0: half way from Min
        {10, -10, -2, -6, 5},     // Max negative
        {10, -10, 10, -5, 2},     // negative Position below a positive Max
        {10, -10, 10, 0, 1},      // 0 / Max rounds to nothing: one pixel
        {10, INT32_MIN, INT32_MAX, INT32_MAX - 1, 9},
    };
    for (const auto& c : cases) {
        auto bar = makeBar(c.interior_width + 2, 6);
        bar->setMin(c.min);
        bar->setMax(c.max);
        bar->setPosition(c.position);
        EXPECT_EQ(fillLength(*bar), c.length) << "W=" << c.interior_width << " Min=" << c.min
                                              << " Max=" << c.max << " Position=" << c.position;
    }
}

TEST_F(TintProgressTest, UprightBarsDrawTheirRingsButNoFill) {
    // Full, where a level bar would be filled; at Min no bar has a fill.
    auto bar = makeBar(150, 16);
    bar->setOrientation(TProgressBarOrientation::pbVertical);
    bar->setPosition(100);
    PixelCanvas canvas = paint(*bar);
    EXPECT_EQ(canvas.pixel(0, 0), kShadow);
    EXPECT_EQ(canvas.pixel(5, 70), kClBlack);
    EXPECT_EQ(fillLength(*bar), 0);
}

TEST_F(TintProgressTest, DegenerateInteriorsPaintWithoutFailing) {
    // One interior row takes the tint.
    auto one_row = makeBar(10, 3);
    one_row->setPosition(100);
    EXPECT_EQ(paint(*one_row).rowHex(1), "808080 FF0000 FF0000 FF0000 FF0000 FF0000 FF0000 "
                                          "FF0000 FF0000 FFFFFF");
    // No interior at all, and a border far wider than the bar.
    for (int border : {2, 3, 1000, 0x7FFFFFFF}) {
        auto bar = makeBar(4, 4);
        bar->setBorderWidth(border);
        bar->setPosition(100);
        PixelCanvas canvas = paint(*bar);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) EXPECT_NE(canvas.pixel(x, y), 0xFF0000u) << border;
    }
    auto empty = makeBar(0, 0);
    empty->setPosition(50);
    PixelCanvas nothing = paint(*empty);
    EXPECT_EQ(nothing.width(), 0);
}

TEST_F(TintProgressTest, WritesThatAskForARepaint) {
    struct Case {
        const char* name;
        void (*write)(TTintProgress&);
        bool repaint;
    } const cases[] = {
        // A new bar's defaults (0 to 100 at 0, one ring, horizontal) written again repaint nothing.
        {"Min same", [](TTintProgress& b) { b.setMin(0); }, false},
        {"Min new", [](TTintProgress& b) { b.setMin(3); }, true},
        {"Max same", [](TTintProgress& b) { b.setMax(100); }, false},
        {"Max new", [](TTintProgress& b) { b.setMax(7); }, true},
        {"BorderWidth same", [](TTintProgress& b) { b.setBorderWidth(1); }, false},
        {"BorderWidth new", [](TTintProgress& b) { b.setBorderWidth(-4); }, true},
        {"Position same", [](TTintProgress& b) { b.setPosition(0); }, false},
        {"Position clamped to same", [](TTintProgress& b) { b.setPosition(-9); }, false},
        {"Position new", [](TTintProgress& b) { b.setPosition(1); }, true},
        {"Tint same", [](TTintProgress& b) { b.setTint(0xFF0000); }, true},
        {"Tint new", [](TTintProgress& b) { b.setTint(0x00FF00); }, true},
        {"Orientation same",
         [](TTintProgress& b) { b.setOrientation(TProgressBarOrientation::pbHorizontal); }, false},
        {"Orientation new",
         [](TTintProgress& b) { b.setOrientation(TProgressBarOrientation::pbVertical); }, true},
    };
    for (const auto& c : cases) {
        auto bar = makeBar(150, 16);
        host.invalidations = 0;
        c.write(*bar);
        EXPECT_EQ(host.invalidations > 0, c.repaint) << c.name;
    }
}

TEST_F(TintProgressTest, PositionIsClampedOnWriteOnlyAndOrientationSwapsTheSides) {
    auto bar = makeBar(22, 6);
    bar->setPosition(80);
    bar->setMax(50);  // no re-clamp: Position stays 80, and the bar shows full
    EXPECT_EQ(bar->position(), 80);
    EXPECT_EQ(fillLength(*bar), 20);
    bar->setMin(10);
    bar->setPosition(3);
    EXPECT_EQ(bar->position(), 10);
    bar->setPosition(500);
    EXPECT_EQ(bar->position(), 50);
    bar->setMin(200);  // nothing compares Min with Max, nothing re-clamps
    EXPECT_EQ(bar->position(), 50);
    bar->setPosition(150);
    EXPECT_EQ(bar->position(), 200);

    bar->setOrientation(TProgressBarOrientation::pbVertical);
    EXPECT_EQ(bar->width(), 6);
    EXPECT_EQ(bar->height(), 22);
    bar->setOrientation(TProgressBarOrientation::pbHorizontal);
    EXPECT_EQ(bar->width(), 22);
    EXPECT_EQ(bar->height(), 6);
}

TEST_F(TintProgressTest, PaintDrawsAtOnceOnTheParentInItsColour) {
    TTintProgress bar(look);
    bar.Paint();  // no parent: nothing to draw on
    EXPECT_EQ(host.canvases, 0);
    // A new bar is 150 by 16; with no parent its background is clWindow.
    const PixelCanvas unparented = paint(bar);
    EXPECT_EQ(unparented.width(), 150);
    EXPECT_EQ(unparented.height(), 16);
    EXPECT_EQ(unparented.pixel(75, 8), 0xFFFFFFu);
    bar.setParent(&host);
    bar.setBounds(3, 2, 10, 6);
    host.go_color.reset();  // the parent shows clBtnFace
    bar.Paint();
    EXPECT_EQ(host.canvases, 1);
    EXPECT_EQ(host.screen->pixel(3, 2), kShadow);
    EXPECT_EQ(host.screen->pixel(5, 4), kFace);  // the parent's colour, resolved
    EXPECT_EQ(host.screen->pixel(2, 2), PixelCanvas::kUnpainted);
    EXPECT_EQ(host.screen->pixel(13, 8), PixelCanvas::kUnpainted);

    bar.setColor(0x123456);  // its own colour from now on
    host.go_color = kClBlack;
    bar.Paint();
    EXPECT_EQ(host.screen->pixel(5, 4), 0x123456u);
}

}  // namespace
}  // namespace stow
