#include "assets/generator/Scenes.h"

#include <algorithm>
#include <string>

#include "assets/MiniFont.h"

namespace tibo::assets {
namespace {

constexpr TColor Hole = 0xFF00FF;  // the panel's see-through play window

// Inclusive rectangles, clipped.
void Fill(TBitmap& b, int x0, int y0, int x1, int y1, TColor c) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, b.Width - 1);
    y1 = std::min(y1, b.Height - 1);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) b.Pixels[static_cast<size_t>(y) * static_cast<size_t>(b.Width) + static_cast<size_t>(x)] = c;
}

void Frame(TBitmap& b, int x0, int y0, int x1, int y1, TColor light, TColor dark, int thickness) {
    for (int i = 0; i < thickness; ++i) {
        Fill(b, x0 + i, y0 + i, x1 - i, y0 + i, light);
        Fill(b, x0 + i, y0 + i, x0 + i, y1 - i, light);
        Fill(b, x0 + i, y1 - i, x1 - i, y1 - i, dark);
        Fill(b, x1 - i, y0 + i, x1 - i, y1 - i, dark);
    }
}

void Centred(TBitmap& b, int cx, int y, std::string_view text, TColor c, int scale) {
    DrawMiniText(b, cx - MiniTextWidth(text) * scale / 2, y, text, c, scale);
}

// Steps of a vertical gradient between two colours, so the panel keeps few colours.
TColor Mix(TColor a, TColor b, int step, int steps) {
    auto channel = [&](int shift) {
        const int ca = static_cast<int>((a >> shift) & 0xFF), cb = static_cast<int>((b >> shift) & 0xFF);
        return static_cast<TColor>(ca + (cb - ca) * step / steps) << shift;
    };
    return channel(16) | channel(8) | channel(0);
}

void Gradient(TBitmap& b, int x0, int y0, int x1, int y1, TColor top, TColor bottom, int steps) {
    const int h = y1 - y0 + 1;
    for (int y = y0; y <= y1; ++y) Fill(b, x0, y, x1, y, Mix(top, bottom, (y - y0) * steps / h, steps - 1));
}

// The play screen's frame with its status panel. The play window (x 44..331,
// y 82..369) is fuchsia, the panel's transparent colour; the game draws the
// map window, the score digits, the gauges' black-outs and the percentages
// over the rest.
TBitmap Pannello() {
    TBitmap b;
    b.BitCount = 8;
    b.Resize(640, 480, 0x283040);
    Gradient(b, 0, 0, 639, 479, 0x303850, 0x182030, 16);
    DrawMiniText(b, 44, 30, "TIBO", 0xF0C040, 5);
    DrawMiniText(b, 200, 52, "PANNELLO PLACEHOLDER", 0x8090B0, 1);
    // The play window and its bevel.
    Frame(b, 38, 76, 337, 375, 0x8090B0, 0x101820, 6);
    Fill(b, 44, 82, 331, 369, Hole);
    // The map window, covered every frame by the map or the no-map picture.
    Frame(b, 358, 86, 474, 257, 0x8090B0, 0x101820, 6);
    Fill(b, 364, 92, 468, 251, 0x000000);
    // The gauges: the panel shows them full; the game blacks out what is spent.
    Frame(b, 479, 81, 510, 250, 0x8090B0, 0x101820, 4);
    Frame(b, 531, 81, 562, 250, 0x8090B0, 0x101820, 4);
    Gradient(b, 483, 85, 506, 246, 0x60C0FF, 0x1040A0, 12);
    Gradient(b, 535, 85, 558, 246, 0xFF6060, 0xA01010, 12);
    DrawMiniText(b, 477, 256, "OXYGEN", 0xC0D0F0, 1);
    DrawMiniText(b, 529, 256, "HEALTH", 0xF0C0C0, 1);
    // Seven shots and seven bombs.
    Fill(b, 364, 266, 587, 297, 0x101820);
    Fill(b, 364, 309, 587, 340, 0x101820);
    for (int i = 0; i < 7; ++i) {
        const int x = 364 + 32 * i;
        Fill(b, x + 8, 279, x + 21, 284, 0xFFD040);
        Fill(b, x + 22, 280, x + 23, 283, 0xFFFFA0);
        Fill(b, x + 10, 318, x + 21, 333, 0x606070);
        Fill(b, x + 12, 316, x + 19, 335, 0x606070);
        Fill(b, x + 15, 312, x + 16, 315, 0xF08020);
    }
    DrawMiniText(b, 595, 279, "SHOT", 0xC0C8E0, 1);
    DrawMiniText(b, 595, 322, "BOMB", 0xC0C8E0, 1);
    // Score and record: the digits are drawn at (52, 390) and (142, 390), 88 pixels wide.
    DrawMiniText(b, 52, 378, "SCORE", 0xC0C8E0, 1);
    DrawMiniText(b, 142, 378, "RECORD", 0xC0C8E0, 1);
    Fill(b, 50, 388, 141, 403, 0x000000);
    Fill(b, 140, 388, 231, 403, 0x000000);
    Frame(b, 48, 386, 233, 405, 0x8090B0, 0x101820, 2);
    return b;
}

struct ScreenStyle {
    TColor Top, Bottom, Title, Text;
    const char* Use;
};

TBitmap Screen(std::string_view name, const ScreenStyle& style) {
    TBitmap b;
    b.Resize(640, 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            // A smooth diagonal blend: the JPEG keeps it without banding.
            const int t = (y * 3 + x) * 255 / (479 * 3 + 639);
            b.Pixels[static_cast<size_t>(y) * 640 + static_cast<size_t>(x)] = Mix(style.Top, style.Bottom, t, 255);
        }
    for (int i = 0; i < 8; ++i) Frame(b, 8 + 24 * i, 8 + 24 * i, 631 - 24 * i, 471 - 24 * i, Mix(style.Title, style.Top, i, 8), Mix(style.Title, style.Top, i, 8), 1);
    Centred(b, 320, 150, name, style.Title, 8);
    Centred(b, 320, 230, style.Use, style.Text, 3);
    Centred(b, 320, 300, "PLACEHOLDER PICTURE 640 X 480", style.Text, 2);
    return b;
}

}  // namespace

TBitmap DrawScene(std::string_view name) {
    if (name == "PANNELLO") return Pannello();
    if (name == "COPERTINA") return Screen(name, {0x402060, 0xC06020, 0xFFE080, 0xFFFFFF, "COVER"});
    if (name == "SFONDO") return Screen(name, {0x102040, 0x204060, 0xA0C0FF, 0xE0E8FF, "HALL OF FAME"});
    if (name == "SFONDO1") return Screen(name, {0x204020, 0x406030, 0xC0FFA0, 0xF0FFE0, "LEVEL CHOICE"});
    return {};
}

}  // namespace tibo::assets
