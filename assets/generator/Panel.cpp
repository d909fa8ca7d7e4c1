#include "assets/generator/Panel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <utility>
#include <string_view>

#include "assets/MiniFont.h"
#include "assets/generator/Paint.h"

namespace tibo::assets {
namespace {

// The house palette, and the few in-between shades the stone needs.
constexpr TColor Hole = 0xFF00FF;  // the see-through play window
constexpr TColor Outline = 0x1C1424, Deep = 0x2C2838, DarkGrey = 0x4A4658, Grey = 0x7C788C, LightGrey = 0xB8B4C0;
constexpr TColor White = 0xF4F0E8, Black = 0x000000;
constexpr TColor SandShine = 0xF4DC9C, Sand1 = 0xE8C070, Sand2 = 0xD8AE5C, Sand3 = 0xC89A48, Sand4 = 0xB48840,
                 Sand5 = 0x9A7030, Mortar = 0x7A5828, Groove = 0x5A3E1C;
constexpr TColor Gold1 = 0xFFF4A0, Gold2 = 0xFFD840, Gold3 = 0xE0A020, Gold4 = 0x9A6410, Gold5 = 0x6A4410;
constexpr TColor Water1 = 0x80C8FF, Water2 = 0x3C8CE8, Water3 = 0x2A6CC0, Water4 = 0x1C4C9C;
constexpr TColor Red1 = 0xE04030, Red2 = 0xC03028, Red3 = 0xA02020, Red4 = 0x5A1010;
constexpr TColor Fire1 = 0xFFF4A0, Fire2 = 0xFFC040, Fire3 = 0xF07020;
constexpr TColor Bandage = 0xBCB094, Ghost = 0xDCE8FF;

// The stone of the wall from light to dark: a block's tone moves along it.
constexpr std::array<TColor, 7> SandRamp{SandShine, Sand1, Sand2, Sand3, Sand4, Sand5, Mortar};

class Picture {
public:
    explicit Picture(TBitmap& b) : B_(b) {}
    void Put(int x, int y, TColor c) {
        if (x >= 0 && y >= 0 && x < B_.Width && y < B_.Height)
            B_.Pixels[static_cast<size_t>(y) * static_cast<size_t>(B_.Width) + static_cast<size_t>(x)] = c;
    }
    // Inclusive rectangles.
    void Fill(int x0, int y0, int x1, int y1, TColor c) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) Put(x, y, c);
    }
    // A ring `i` pixels outside the rectangle, its top and left side in one
    // colour, its bottom and right side in another.
    void Ring(int x0, int y0, int x1, int y1, int i, TColor topLeft, TColor bottomRight) {
        Fill(x0 - i, y1 + i, x1 + i, y1 + i, bottomRight);
        Fill(x1 + i, y0 - i, x1 + i, y1 + i, bottomRight);
        Fill(x0 - i, y0 - i, x1 + i, y0 - i, topLeft);
        Fill(x0 - i, y0 - i, x0 - i, y1 + i, topLeft);
    }
    // A hole cut into the stone, lit from the upper left: its upper and left
    // walls in shadow, its lower and right walls catching the light.
    void Recess(int x0, int y0, int x1, int y1, int depth) {
        Ring(x0, y0, x1, y1, 1, Outline, Outline);
        static constexpr std::array<TColor, 3> Shade{Groove, Mortar, Sand5}, Lit{SandShine, Sand1, Sand2};
        for (int i = 0; i < depth && i < 3; ++i)
            Ring(x0, y0, x1, y1, 2 + i, Shade[static_cast<size_t>(i)], Lit[static_cast<size_t>(i)]);
    }
    void Text(int x, int y, std::string_view text, TColor c) { DrawMiniText(B_, x, y, text, c); }
    // Engraved text: a dark groove with the light catching its lower edge.
    void Engrave(int x, int y, std::string_view text) {
        DrawMiniText(B_, x + 1, y + 1, text, SandShine);
        DrawMiniText(B_, x, y, text, Outline);
    }
    void EngraveCentred(int cx, int y, std::string_view text) { Engrave(cx - MiniTextWidth(text) / 2, y, text); }
    // A smooth dressed strip of stone behind a label, so no joint crosses the letters.
    void Strip(int x0, int y0, int x1, int y1) {
        Fill(x0, y0, x1, y1, Sand2);
        Fill(x0, y0, x1, y0, Sand1);
        Fill(x0, y1, x1, y1, Sand4);
    }

private:
    TBitmap& B_;
};

// Sandstone blocks in running bond, each with its own tone, a lit top and
// left edge, a shadowed bottom and right edge, mortar joints and a grain.
void SandstoneWall(Picture& p, int x0, int y0, int x1, int y1) {
    constexpr int BlockHeight = 20, BlockWidth = 56;
    for (int y = y0; y <= y1; ++y) {
        const int row = y / BlockHeight, yin = y % BlockHeight;
        const int offset = (row % 2) * (BlockWidth / 2) + (row % 3) * 7;
        for (int x = x0; x <= x1; ++x) {
            const int xs = x + offset, col = xs / BlockWidth, xin = xs % BlockWidth;
            TColor c;
            if (yin == BlockHeight - 1 || xin == BlockWidth - 1) c = Mortar;
            else if (yin == BlockHeight - 2 || xin == BlockWidth - 2) c = Sand5;
            else if (yin == 0 || xin == 0) c = Sand1;
            else {
                int tone = 2 + static_cast<int>(paint::Hash01(col, row, 11) * 2.99f);  // Sand2..Sand4
                const float grain = paint::Noise(static_cast<float>(x) / 9.0f, static_cast<float>(y) / 5.0f, 5);
                if (grain > 0.72f) ++tone;
                else if (grain < 0.22f) --tone;
                const float speck = paint::Hash01(x, y, 17);
                if (speck < 0.07f) ++tone;
                else if (speck > 0.965f) --tone;
                c = SandRamp[static_cast<size_t>(std::clamp(tone, 1, 5))];
            }
            p.Put(x, y, c);
        }
    }
}


void CarveGlyph(Picture& p, int x, int y, const paint::FriezeSign& g) {
    auto set = [&](int gx, int gy) {
        return gx >= 0 && gy >= 0 && gx < 15 && gy < 20 && g[static_cast<size_t>(gy)][static_cast<size_t>(gx)] == 'x';
    };
    for (int gy = 0; gy < 21; ++gy)
        for (int gx = 0; gx < 16; ++gx) {
            if (set(gx, gy)) p.Put(x + gx, y + gy, Groove);
            else if (set(gx - 1, gy - 1)) p.Put(x + gx, y + gy, SandShine);
        }
}

// The top lintel: one long dressed stone with a frieze of carvings.
void Lintel(Picture& p) {
    p.Fill(0, 0, 639, 69, Sand2);
    for (int y = 0; y <= 69; ++y)
        for (int x = 0; x < 640; ++x) {
            const float grain = paint::Noise(static_cast<float>(x) / 11.0f, static_cast<float>(y) / 4.0f, 21);
            const float speck = paint::Hash01(x, y, 23);
            if (grain > 0.74f || speck < 0.05f) p.Put(x, y, Sand3);
            else if (speck > 0.975f) p.Put(x, y, Sand1);
        }
    p.Fill(0, 0, 639, 0, SandShine);
    p.Fill(0, 1, 639, 1, Sand1);
    p.Fill(0, 67, 639, 67, Sand4);
    p.Fill(0, 68, 639, 68, Sand5);
    p.Fill(0, 69, 639, 69, Mortar);
    for (int x : {212, 426}) {
        p.Fill(x, 0, x, 69, Mortar);
        p.Fill(x - 1, 1, x - 1, 68, Sand5);
        p.Fill(x + 1, 1, x + 1, 68, Sand1);
    }
    // The frieze band.
    p.Recess(14, 14, 625, 55, 2);
    p.Fill(14, 14, 625, 55, Sand3);
    for (int y = 14; y <= 55; ++y)
        for (int x = 14; x <= 625; ++x)
            if (paint::Hash01(x, y, 29) < 0.06f) p.Put(x, y, Sand4);
    int i = 0;
    for (int x = 20; x + 15 <= 620; x += 26, ++i) CarveGlyph(p, x, 25, paint::FriezeSigns[static_cast<size_t>(i) % paint::FriezeSigns.size()]);
}

// The shot of the hero, a small blue energy bolt flying right (like the shot
// itself in the game), drawn on black.
constexpr std::array<std::string_view, 11> ShotIcon{
    "..............oooo......", "..........oooorrYYoo....", "......oooorrrrYYYYYYo...",
    "...ooorrrrrYYYYWWWYYYo..", "ooorrrrrYYYYYWWWWWWWYYo.", "rrrrrrYYYYYYWWWWWWWWWYo.",
    "ooorrrrrYYYYYWWWWWWWYYo.", "...ooorrrrrYYYYWWWYYYo..", "......oooorrrrYYYYYYo...",
    "..........oooorrYYoo....", "..............oooo......"};

void DrawShot(Picture& p, int x, int y) {
    for (size_t r = 0; r < ShotIcon.size(); ++r)
        for (size_t c = 0; c < ShotIcon[r].size(); ++c) {
            const char k = ShotIcon[r][c];
            const TColor colour = k == 'o' ? Water4 : k == 'r' ? Water2 : k == 'Y' ? Water1 : k == 'W' ? Ghost : Black;
            if (k != '.') p.Put(x + static_cast<int>(c), y + static_cast<int>(r), colour);
        }
}

// A round bomb with a lit fuse, light from the upper left; fits in 26 x 28.
void DrawBomb(Picture& p, int x, int y) {
    const float cx = 12.5f, cy = 16.5f, r = 9.5f;
    for (int py = 0; py < 28; ++py)
        for (int px = 0; px < 26; ++px) {
            const float dx = static_cast<float>(px) + 0.5f - cx, dy = static_cast<float>(py) + 0.5f - cy;
            const float d = std::sqrt(dx * dx + dy * dy);
            if (d > r) continue;
            TColor c;
            if (d > r - 1.1f) c = Outline;
            else {
                // Lambert light from the upper left on a sphere.
                const float nx = dx / r, ny = dy / r, nz = std::sqrt(std::max(0.0f, 1 - nx * nx - ny * ny));
                const float l = -0.55f * nx - 0.55f * ny + 0.63f * nz;
                c = l > 0.9f ? LightGrey : l > 0.6f ? Grey : l > 0.25f ? DarkGrey : Deep;
            }
            p.Put(x + px, y + py, c);
        }
    // The neck and the fuse.
    p.Fill(x + 17, y + 5, x + 20, y + 8, Outline);
    p.Fill(x + 18, y + 6, x + 19, y + 7, Grey);
    p.Put(x + 18, y + 6, LightGrey);
    for (int i = 0; i < 4; ++i) p.Put(x + 20 + i / 2, y + 4 - i, Bandage);
    p.Put(x + 23, y + 1, Fire2);
    p.Put(x + 22, y + 1, Fire3);
    p.Put(x + 23, y + 0, Fire1);
    p.Put(x + 24, y + 1, Fire1);
    p.Put(x + 23, y + 2, Fire3);
    p.Put(x + 25, y + 0, Fire2);
}

// A button of the bottom row, painted exactly on its mouse area (inclusive).
void Button(Picture& p, int x0, int y0, int x1, int y1, std::string_view label, TColor face, TColor text) {
    p.Fill(x0, y0, x1, y1, Outline);
    p.Fill(x0 + 1, y0 + 1, x1 - 1, y1 - 1, face);
    p.Fill(x0 + 1, y0 + 1, x1 - 1, y0 + 1, Gold2);
    p.Fill(x0 + 1, y0 + 1, x0 + 1, y1 - 1, Gold2);
    p.Fill(x0 + 2, y1 - 1, x1 - 1, y1 - 1, Gold4);
    p.Fill(x1 - 1, y0 + 2, x1 - 1, y1 - 1, Gold4);
    p.Put(x0 + 1, y0 + 1, Gold1);
    const int w = MiniTextWidth(label);
    const int tx = (x0 + x1 + 1 - w) / 2, ty = (y0 + y1 + 1 - MiniGlyphHeight) / 2;
    p.Text(tx, ty, label, text);
}

// The gauge bars, full: a glassy tube lit from the left. The game blacks out
// the spent part from the top, and writes the percentage in white over it.
void GaugeBar(Picture& p, int x0, int y0, int y1, const std::array<TColor, 4>& ramp) {
    // ramp: highlight, light, body, shadow. The highlight keeps to the left
    // edge so the white figures (from x + 2) stand on the darker body.
    for (int c = 0; c < 24; ++c) {
        const TColor colour = c < 1 ? ramp[1] : c < 2 ? ramp[0] : c < 5 ? ramp[1] : c < 20 ? ramp[2] : ramp[3];
        p.Fill(x0 + c, y0, x0 + c, y1, colour);
    }
}

// Quarter marks beside a gauge.
void GaugeTicks(Picture& p, int x, int bottom) {
    for (int k = 1; k <= 3; ++k) {
        const int y = bottom - static_cast<int>(std::lround(k * 40.5));
        p.Fill(x, y, x + 3 + (k == 2 ? 2 : 0), y, Groove);
        p.Fill(x + 1, y + 1, x + 4 + (k == 2 ? 2 : 0), y + 1, SandShine);
    }
}

// Colours a relief painted in floating point with the nearest of a few colours,
// so the panel stays crisp and within its 256 colours.
TColor Nearest(paint::Rgbf c, std::span<const TColor> colours) {
    TColor best = colours[0];
    float bestDistance = 1e30f;
    for (TColor k : colours) {
        const paint::Rgbf q = paint::Hex(k);
        const float d = (q.R - c.R) * (q.R - c.R) * 0.3f + (q.G - c.G) * (q.G - c.G) * 0.59f + (q.B - c.B) * (q.B - c.B) * 0.11f;
        if (d < bestDistance) {
            bestDistance = d;
            best = k;
        }
    }
    return best;
}

// The title plaque: TIBO in gold relief on a dark stone set into the wall.
void TitlePlaque(Picture& p, int x0, int y0, int x1, int y1) {
    p.Fill(x0, y0, x1, y1, Deep);
    p.Recess(x0, y0, x1, y1, 3);
    const int w = x1 - x0 + 1, h = y1 - y0 + 1;
    constexpr float Unit = 8, Gap = 1.3f;
    paint::Canvas canvas(w, h, paint::Hex(Deep));
    paint::Mask letters(w, h);
    const float tw = paint::TitleWidth("TIBO", Unit, Gap);
    letters.AddPolygon(paint::TitleWord("TIBO", Unit, std::round((static_cast<float>(w) - tw) / 2) - 1,
                                        std::round((static_cast<float>(h) - 9 * Unit) / 2) - 1, Gap));
    paint::ReliefStyle style;
    style.Bevel = 3.5f;
    style.Outline = 2;
    style.ShadowDx = 3;
    style.ShadowDy = 3;
    style.ShadowAlpha = 1;
    style.Dark = paint::Hex(Gold4);
    style.Mid = paint::Hex(Gold3);
    style.Light = paint::Hex(Gold2);
    style.Shine = paint::Hex(Gold1);
    style.Edge = paint::Hex(Outline);
    paint::PaintRelief(canvas, letters, style);
    static constexpr std::array<TColor, 7> Colours{Deep, Outline, Gold5, Gold4, Gold3, Gold2, Gold1};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.Put(x0 + x, y0 + y, Nearest(canvas.At(x, y), Colours));
    // Small stars in the dark corners of the plaque.
    for (auto [sx, sy] : {std::pair{x0 + 10, y0 + 10}, std::pair{x1 - 10, y0 + 10}, std::pair{x0 + 10, y1 - 10},
                          std::pair{x1 - 10, y1 - 10}}) {
        p.Put(sx, sy, Gold1);
        p.Put(sx - 1, sy, Gold3);
        p.Put(sx + 1, sy, Gold3);
        p.Put(sx, sy - 1, Gold3);
        p.Put(sx, sy + 1, Gold3);
    }
}

}  // namespace

TBitmap DrawPanel() {
    TBitmap b;
    b.BitCount = 8;
    b.Resize(640, 480, Sand3);
    Picture p(b);
    SandstoneWall(p, 0, 0, 639, 479);
    Lintel(p);

    // The play window: a gold moulding round a cut in the stone.
    p.Fill(44, 82, 331, 369, Hole);
    p.Recess(44, 82, 331, 369, 2);
    {
        const std::array<TColor, 4> topLeft{Gold4, Gold2, Gold1, Gold3}, bottomRight{Gold3, Gold3, Gold4, Gold5};
        for (int i = 0; i < 4; ++i)
            p.Ring(44, 82, 331, 369, 4 + i, topLeft[static_cast<size_t>(i)], bottomRight[static_cast<size_t>(i)]);
        p.Ring(44, 82, 331, 369, 8, Outline, Outline);
    }

    // Score and record: the game writes 12 x 12 digits at y 390, the numbers
    // ending at x 140 and x 230, over a dark field.
    p.Strip(40, 378, 240, 385);
    p.Engrave(95 - MiniTextWidth("SCORE") / 2, 378, "SCORE");
    p.Engrave(186 - MiniTextWidth("RECORD") / 2, 378, "RECORD");
    p.Fill(46, 388, 235, 404, Black);
    p.Recess(46, 388, 235, 404, 1);
    p.Fill(141, 389, 141, 403, Deep);

    // Pause, resume and exit, on the mouse areas that work them.
    p.Fill(5, 421, 189, 444, Groove);
    p.Recess(5, 421, 189, 444, 2);
    Button(p, 8, 424, 60, 441, "PAUSE", Deep, Gold2);
    Button(p, 68, 424, 125, 441, "UNPAUSE", Deep, Gold2);
    Button(p, 130, 424, 186, 441, "EXIT", Red4, White);

    // The labels of the right column.
    p.Strip(342, 71, 639, 80);
    p.EngraveCentred(416, 72, "MAP");
    p.EngraveCentred(495, 72, "OXYGEN");
    p.EngraveCentred(547, 72, "HEALTH");

    // The map window: the game draws the map or the no-map picture in it.
    p.Fill(364, 92, 468, 251, Black);
    p.Recess(364, 92, 468, 251, 3);

    // The two gauges, shown full.
    GaugeBar(p, 483, 85, 246, {Water1, Water2, Water3, Water4});
    GaugeBar(p, 535, 85, 246, {Red1, Red2, Red3, Red4});
    p.Recess(483, 85, 506, 246, 2);
    p.Recess(535, 85, 558, 246, 2);
    GaugeTicks(p, 511, 247);
    GaugeTicks(p, 563, 247);

    // A carved cartouche beside the gauges.
    p.Fill(585, 88, 626, 246, Sand3);
    p.Recess(585, 88, 626, 246, 2);
    CarveGlyph(p, 598, 100, paint::FriezeSigns[0]);
    CarveGlyph(p, 598, 132, paint::FriezeSigns[1]);
    CarveGlyph(p, 598, 164, paint::FriezeSigns[4]);
    CarveGlyph(p, 598, 196, paint::FriezeSigns[5]);

    // Seven shots and seven bombs on black: the game blacks out from the
    // right the icons that are used up, 32 pixels each from x 364.
    p.Strip(342, 255, 639, 263);
    p.Text(366, 256, "AVAILABLE SHOTS", Outline);
    p.Fill(364, 266, 587, 297, Black);
    p.Recess(364, 266, 587, 297, 1);
    p.Fill(342, 300, 639, 306, Sand2);
    p.Text(366, 300, "AVAILABLE BOMBS", Outline);
    p.Fill(364, 309, 587, 340, Black);
    p.Recess(364, 309, 587, 340, 1);
    for (int i = 0; i < 7; ++i) {
        DrawShot(p, 364 + 32 * i + 4, 276);
        DrawBomb(p, 364 + 32 * i + 3, 310);
    }

    TitlePlaque(p, 352, 355, 630, 470);
    return b;
}

}  // namespace tibo::assets
