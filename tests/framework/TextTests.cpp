// Writing with the game's bitmap fonts, and the points formatter.
#include <gtest/gtest.h>

#include <vector>

#include "framework/Text.h"

namespace tibo {
namespace {

// A text font whose glyph cell g is filled with the colour g + 1 (so every
// glyph is visible and tells which cell it came from), and digits likewise.
struct Fonts : ::testing::Test {
    void SetUp() override {
        font.SetSize(320, 48);
        for (int g = 0; g < 60; ++g)
            font.FillRect(Bounds(16 * (g % 20), 16 * (g / 20), 16, 16), static_cast<TDeviceColor>(g + 1));
        digits.SetSize(120, 12);
        for (int d = 0; d < 10; ++d) digits.FillRect(Bounds(12 * d, 0, 12, 12), static_cast<TDeviceColor>(100 + d));
        screen.SetSize(640, 480);
    }
    // The glyph drawn at x (by its colour), or -1 for none.
    int GlyphAt(int x, int y) const {
        const TDeviceColor c = screen.Pixel(x, y);
        return c == 0 ? -1 : static_cast<int>(c) - 1;
    }
    // The digits drawn on row y as (left edge, digit), left to right; cells are 12 wide.
    std::vector<std::pair<int, int>> DigitsOn(int y) const {
        std::vector<std::pair<int, int>> found;
        for (int x = 0; x < 640;) {
            const TDeviceColor c = screen.Pixel(x, y);
            if (c >= 100 && c < 110) {
                found.emplace_back(x, static_cast<int>(c) - 100);
                x += 12;
            } else {
                ++x;
            }
        }
        return found;
    }
    TSurface font, digits, screen;
    TTextWriter Writer() { return TTextWriter(&screen, &font, &digits); }
};

TEST_F(Fonts, LowerCaseIsDrawnInCapitals) {
    Writer().PutText(10, 20, 255, false, "Hello");
    EXPECT_EQ(GlyphAt(10, 20), 'H' - 32);
    EXPECT_EQ(GlyphAt(26, 20), 'E' - 32);
    EXPECT_EQ(GlyphAt(89, 35), 'O' - 32);
    EXPECT_EQ(GlyphAt(90, 20), -1);
    EXPECT_EQ(GlyphAt(89, 36), -1);
}

TEST_F(Fonts, CharactersOutsideTheFontAreSkippedButCountForCentring) {
    Writer().PutText(100, 0, 255, false, "[x]");
    EXPECT_EQ(GlyphAt(100, 0), 'X' - 32) << "the X stands at the starting x";
    EXPECT_EQ(GlyphAt(116, 0), -1);
    screen.Fill(0);
    Writer().PutCentred(0, "[x]", 255);
    EXPECT_EQ(GlyphAt((640 - 48) / 2, 0), 'X' - 32);
}

TEST_F(Fonts, CentringOfLongLines) {
    Writer().PutCentred(0, std::string(40, 'A'), 255);
    EXPECT_EQ(GlyphAt(0, 0), 'A' - 32);
    EXPECT_EQ(GlyphAt(639, 0), 'A' - 32);
    screen.Fill(0);
    Writer().PutCentred(0, std::string(41, 'B'), 255);  // starts at -8: half a glyph cut off
    EXPECT_EQ(GlyphAt(0, 0), 'B' - 32);
    EXPECT_EQ(GlyphAt(7, 0), 'B' - 32);
}

TEST_F(Fonts, TranslucentTextBlends) {
    screen.Fill(0);
    Writer().PutText(0, 0, 255, false, "Z");
    const TDeviceColor opaque = screen.Pixel(0, 0);
    screen.Fill(0);
    Writer().PutText(0, 0, 128, false, "Z");
    EXPECT_NE(screen.Pixel(0, 0), 0u);
    EXPECT_NE(screen.Pixel(0, 0), opaque);
}

TEST_F(Fonts, ClippedLinesDrawNothingAboveTheClipRow) {
    Writer().PutTextClipTop(366, "AB", 372);
    const int x = (640 - 32) / 2;
    EXPECT_EQ(GlyphAt(x, 371), -1);
    EXPECT_EQ(GlyphAt(x, 372), 'A' - 32);
    EXPECT_EQ(GlyphAt(x + 16, 381), 'B' - 32);
    EXPECT_EQ(GlyphAt(x, 382), -1) << "the glyph ends where it would have";
    screen.Fill(0);
    Writer().PutTextClipTop(380, "A", 372);
    EXPECT_EQ(GlyphAt((640 - 16) / 2, 380), 'A' - 32) << "below the clip row the whole glyph is drawn";
    EXPECT_EQ(GlyphAt((640 - 16) / 2, 379), -1);
}

TEST_F(Fonts, NumbersEndAtTheSameEdgeWithOneGap) {
    using D = std::vector<std::pair<int, int>>;
    Writer().PutNumber(52, 390, 1000);
    EXPECT_EQ(DigitsOn(390), (D{{86, 1}, {104, 0}, {116, 0}, {128, 0}}));
    screen.Fill(0);
    Writer().PutNumber(52, 390, 0);
    EXPECT_EQ(DigitsOn(390), (D{{128, 0}}));
    screen.Fill(0);
    Writer().PutNumber(52, 390, 999);
    EXPECT_EQ(DigitsOn(390), (D{{104, 9}, {116, 9}, {128, 9}})) << "no gap below a thousand";
    screen.Fill(0);
    Writer().PutNumber(20, 0, 1234567);
    EXPECT_EQ(DigitsOn(0), (D{{18, 1}, {30, 2}, {42, 3}, {54, 4}, {72, 5}, {84, 6}, {96, 7}})) << "one gap only, also for millions";
}

TEST(FormatPointsTest, ThousandsSeparatorsAndField) {
    EXPECT_EQ(FormatPoints(5, 0, 0), "      ");
    EXPECT_EQ(FormatPoints(5, 0, 999), "   999");
    EXPECT_EQ(FormatPoints(5, 0, 1000), " 1.000");
    EXPECT_EQ(FormatPoints(5, 0, 10000), "10.000");
    EXPECT_EQ(FormatPoints(5, 0, 11000), "11.000");
    EXPECT_EQ(FormatPoints(5, 0, 999999), "999.999");
    EXPECT_EQ(FormatPoints(5, 0, 1234567), "1.234.567");
    EXPECT_EQ(FormatPoints(5, 0, -5), "-    5");
    EXPECT_EQ(FormatPoints(5, 0, -123456), "-123.456");
    EXPECT_EQ(FormatPoints(5, 2, 12.5), "    12,50");
    EXPECT_EQ(FormatPoints(5, 1, 0), "        ");
    EXPECT_LE(FormatPoints(30, 0, 1e30).size(), 20u);
}

}  // namespace
}  // namespace tibo
