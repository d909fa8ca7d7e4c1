#pragma once
// Painting helpers for the pictures the generator draws by code: a floating-point
// RGB canvas, anti-aliased coverage masks for polygons and discs, soft glows,
// value noise, and a chiselled relief for big title letters.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "framework/Bitmap.h"

namespace tibo::assets::paint {

struct Rgbf {
    float R = 0, G = 0, B = 0;
};
Rgbf Hex(TColor c);
Rgbf Mix(Rgbf a, Rgbf b, float t);  // t clamped to 0..1
Rgbf Scale(Rgbf a, float k);
Rgbf Add(Rgbf a, Rgbf b);
float Clamp01(float v);

struct Point {
    float X = 0, Y = 0;
};
using Contour = std::vector<Point>;

// A hash of a lattice point to [0, 1).
float Hash01(int x, int y, uint32_t seed);
// Smooth value noise in [0, 1].
float Noise(float x, float y, uint32_t seed);
// Octaves of value noise, each twice as fine and half as strong; in [0, 1].
float Fbm(float x, float y, uint32_t seed, int octaves);

// Per-pixel coverage, 0 to 1.
class Mask {
public:
    Mask(int width, int height);
    int Width() const { return Width_; }
    int Height() const { return Height_; }
    float At(int x, int y) const;
    float& Cell(int x, int y) {
        Touch(x, y, x, y);
        return Cover_[Index(x, y)];
    }
    // The smallest rectangle (inclusive) holding every pixel ever covered;
    // empty (Right < Left) for a fresh mask.
    int Left() const { return Left_; }
    int Top() const { return Top_; }
    int Right() const { return Right_; }
    int Bottom() const { return Bottom_; }
    // Adds the shape bounded by the contours, with the even-odd rule (so inner
    // contours cut holes); edges are anti-aliased (exact across, 4 rows down).
    void AddPolygon(std::span<const Contour> contours);
    void AddPolygon(const Contour& contour);
    void AddDisc(float cx, float cy, float radius);
    void AddRect(float x0, float y0, float x1, float y1);
    // Distance in pixels to the nearest pixel on the other side of the 0.5
    // coverage line: positive inside, negative outside (8-neighbour chamfer).
    std::vector<float> SignedDistance() const;

private:
    size_t Index(int x, int y) const {
        return static_cast<size_t>(y) * static_cast<size_t>(Width_) + static_cast<size_t>(x);
    }
    void Touch(int x0, int y0, int x1, int y1);
    int Width_, Height_;
    std::vector<float> Cover_;
    int Left_, Top_, Right_ = -1, Bottom_ = -1;
};

class Canvas {
public:
    Canvas(int width, int height, Rgbf fill = {});
    int Width() const { return Width_; }
    int Height() const { return Height_; }
    Rgbf At(int x, int y) const { return Pixels_[Index(x, y)]; }
    Rgbf& Cell(int x, int y) { return Pixels_[Index(x, y)]; }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < Width_ && y < Height_; }
    void Blend(int x, int y, Rgbf c, float alpha);
    // Blends a colour through a mask.
    void Paint(const Mask& mask, Rgbf c, float alpha = 1);
    // Blends the colour shade(x, y) through a mask.
    template <class Shade>
    void Paint(const Mask& mask, Shade shade, float alpha = 1) {
        for (int y = std::max(0, mask.Top()); y <= std::min(Height_ - 1, mask.Bottom()); ++y)
            for (int x = std::max(0, mask.Left()); x <= std::min(Width_ - 1, mask.Right()); ++x) {
                const float a = mask.At(x, y) * alpha;
                if (a > 0) Blend(x, y, shade(x, y), a);
            }
    }
    // Adds light: strength * c * (1 - d / radius)^2 within the radius.
    void Glow(float cx, float cy, float radius, Rgbf c, float strength);
    // A small star: a soft dot, and for bright ones a thin cross of rays.
    void Star(float x, float y, Rgbf c, float brightness, float rays);
    // The picture, rounded with an ordered dither so gradients do not band.
    TBitmap ToBitmap() const;

private:
    size_t Index(int x, int y) const {
        return static_cast<size_t>(y) * static_cast<size_t>(Width_) + static_cast<size_t>(x);
    }
    int Width_, Height_;
    std::vector<Rgbf> Pixels_;
};

// The title letters T, I, B and O as polygons on a 9-unit-high grid; a letter
// the set lacks gives no contours. Advance is the letter's width in units.
std::vector<Contour> TitleLetter(char c, float unit, float x, float y, float& advance);
// The contours of a whole word, letters `gap` units apart, starting at (x, y).
std::vector<Contour> TitleWord(const char* word, float unit, float x, float y, float gap);
float TitleWidth(const char* word, float unit, float gap);

// Colours a chiselled relief: the letters' faces and bevels lit from the
// upper left in a gold ramp, a dark outline round them and a drop shadow.
struct ReliefStyle {
    float Bevel = 6;          // width of the slanted rim, pixels
    float Outline = 3;        // dark outline, pixels
    float ShadowDx = 5, ShadowDy = 6, ShadowAlpha = 0.7f;
    Rgbf Dark, Mid, Light, Shine, Edge;  // gold ramp and outline colour
};
void PaintRelief(Canvas& canvas, const Mask& letters, const ReliefStyle& style);

// Hieroglyph-like carvings of the friezes (panel and hall of fame), 15 x 20, 'x' a groove.
using FriezeSign = std::array<std::string_view, 20>;
inline constexpr std::array<FriezeSign, 6> FriezeSigns{{
    {".....xxxxx.....", "....xx...xx....", "...xx.....xx...", "...x.......x...", "...x.......x...",
     "...xx.....xx...", "....xx...xx....", ".....xx.xx.....", "xxxxxxxxxxxxxxx", "xxxxxxxxxxxxxxx",
     "......xxx......", "......xxx......", "......xxx......", "......xxx......", "......xxx......",
     "......xxx......", "......xxx......", "......xxx......", ".....xxxxx.....", "..............."},
    {"...............", "...............", "....xxxxxxx....", "..xx.......xx..", "...............",
     "....xxxxxxx....", "..xx...xxx.xx..", ".x....xxxxx..x.", "x.....xxxxx...x", ".x.....xxx...x.",
     "..xx.......xx..", "....xxxxxxx....", "......x..x.....", "......x...x....", ".....x.....x...",
     ".....x......xx.", "....x..........", "...xx..........", "...............", "..............."},
    {"...............", "...............", "...............", "x...x...x...x..", ".x.x.x.x.x.x.x.",
     "..x...x...x...x", "...............", "...............", "x...x...x...x..", ".x.x.x.x.x.x.x.",
     "..x...x...x...x", "...............", "...............", "x...x...x...x..", ".x.x.x.x.x.x.x.",
     "..x...x...x...x", "...............", "...............", "...............", "..............."},
    {".....xxxxx.....", "....xxxxxxx....", "....xxxxxxx....", ".....xxxxx.....", "...............",
     "...............", ".......x.......", "......x.x......", ".....x...x.....", "....x..x..x....",
     "...x..x.x..x...", "..x..x...x..x..", ".x..x.....x..x.", "x..x.......x..x", "xxxxxxxxxxxxxxx",
     "...............", "...............", "...............", "...............", "..............."},
    {"......x.x......", ".......x.......", "....xxxxxxx....", "x..xx.....xx..x", ".xxx.......xxx.",
     "...x...x...x...", "x..x...x...x..x", ".xxx...x...xxx.", "...x...x...x...", "...xx..x..xx...",
     "x...xx.x.xx...x", ".xxx.xxxxx.xxx.", ".......x.......", "......x.x......", "...............",
     "...............", "...............", "...............", "...............", "..............."},
    {"...xxxxxxxxx...", ".xxx...xx..xxx.", "xx.....xx....xx", "x......xx.....x", ".......xx......",
     ".......xx......", ".......xx......", ".......xx......", ".......xx......", ".......xx......",
     ".......xx......", ".......xx......", ".......xx......", ".......xx......", ".......xx......",
     ".......xx......", "...............", "...............", "...............", "..............."},
}};

}  // namespace tibo::assets::paint
