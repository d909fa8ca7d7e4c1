#include "assets/MiniFont.h"

#include <array>
#include <utility>

namespace tibo::assets {
namespace {

struct Glyph {
    char Char;
    uint8_t Rows[MiniGlyphHeight];
};

// Five columns a row, bit 4 on the left.
constexpr std::array<Glyph, 52> Glyphs{{
    {'A', {0b01110, 0b10001, 0b10001, 0b11111, 0b10001, 0b10001, 0b10001}},
    {'B', {0b11110, 0b10001, 0b10001, 0b11110, 0b10001, 0b10001, 0b11110}},
    {'C', {0b01110, 0b10001, 0b10000, 0b10000, 0b10000, 0b10001, 0b01110}},
    {'D', {0b11110, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b11110}},
    {'E', {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b11111}},
    {'F', {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b10000}},
    {'G', {0b01110, 0b10001, 0b10000, 0b10111, 0b10001, 0b10001, 0b01111}},
    {'H', {0b10001, 0b10001, 0b10001, 0b11111, 0b10001, 0b10001, 0b10001}},
    {'I', {0b01110, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110}},
    {'J', {0b00111, 0b00010, 0b00010, 0b00010, 0b00010, 0b10010, 0b01100}},
    {'K', {0b10001, 0b10010, 0b10100, 0b11000, 0b10100, 0b10010, 0b10001}},
    {'L', {0b10000, 0b10000, 0b10000, 0b10000, 0b10000, 0b10000, 0b11111}},
    {'M', {0b10001, 0b11011, 0b10101, 0b10101, 0b10001, 0b10001, 0b10001}},
    {'N', {0b10001, 0b10001, 0b11001, 0b10101, 0b10011, 0b10001, 0b10001}},
    {'O', {0b01110, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01110}},
    {'P', {0b11110, 0b10001, 0b10001, 0b11110, 0b10000, 0b10000, 0b10000}},
    {'Q', {0b01110, 0b10001, 0b10001, 0b10001, 0b10101, 0b10010, 0b01101}},
    {'R', {0b11110, 0b10001, 0b10001, 0b11110, 0b10100, 0b10010, 0b10001}},
    {'S', {0b01111, 0b10000, 0b10000, 0b01110, 0b00001, 0b00001, 0b11110}},
    {'T', {0b11111, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100}},
    {'U', {0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01110}},
    {'V', {0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01010, 0b00100}},
    {'W', {0b10001, 0b10001, 0b10001, 0b10101, 0b10101, 0b10101, 0b01010}},
    {'X', {0b10001, 0b10001, 0b01010, 0b00100, 0b01010, 0b10001, 0b10001}},
    {'Y', {0b10001, 0b10001, 0b10001, 0b01010, 0b00100, 0b00100, 0b00100}},
    {'Z', {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b10000, 0b11111}},
    {'0', {0b01110, 0b10001, 0b10011, 0b10101, 0b11001, 0b10001, 0b01110}},
    {'1', {0b00100, 0b01100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110}},
    {'2', {0b01110, 0b10001, 0b00001, 0b00010, 0b00100, 0b01000, 0b11111}},
    {'3', {0b11111, 0b00010, 0b00100, 0b00010, 0b00001, 0b10001, 0b01110}},
    {'4', {0b00010, 0b00110, 0b01010, 0b10010, 0b11111, 0b00010, 0b00010}},
    {'5', {0b11111, 0b10000, 0b11110, 0b00001, 0b00001, 0b10001, 0b01110}},
    {'6', {0b00110, 0b01000, 0b10000, 0b11110, 0b10001, 0b10001, 0b01110}},
    {'7', {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b01000, 0b01000}},
    {'8', {0b01110, 0b10001, 0b10001, 0b01110, 0b10001, 0b10001, 0b01110}},
    {'9', {0b01110, 0b10001, 0b10001, 0b01111, 0b00001, 0b00010, 0b01100}},
    {'.', {0b00000, 0b00000, 0b00000, 0b00000, 0b00000, 0b01100, 0b01100}},
    {',', {0b00000, 0b00000, 0b00000, 0b00000, 0b01100, 0b00100, 0b01000}},
    {':', {0b00000, 0b01100, 0b01100, 0b00000, 0b01100, 0b01100, 0b00000}},
    {';', {0b00000, 0b01100, 0b01100, 0b00000, 0b01100, 0b00100, 0b01000}},
    {'!', {0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00000, 0b00100}},
    {'?', {0b01110, 0b10001, 0b00001, 0b00010, 0b00100, 0b00000, 0b00100}},
    {'%', {0b11000, 0b11001, 0b00010, 0b00100, 0b01000, 0b10011, 0b00011}},
    {'-', {0b00000, 0b00000, 0b00000, 0b11111, 0b00000, 0b00000, 0b00000}},
    {'+', {0b00000, 0b00100, 0b00100, 0b11111, 0b00100, 0b00100, 0b00000}},
    {'(', {0b00010, 0b00100, 0b01000, 0b01000, 0b01000, 0b00100, 0b00010}},
    {')', {0b01000, 0b00100, 0b00010, 0b00010, 0b00010, 0b00100, 0b01000}},
    {'/', {0b00000, 0b00001, 0b00010, 0b00100, 0b01000, 0b10000, 0b00000}},
    {'\'', {0b00100, 0b00100, 0b01000, 0b00000, 0b00000, 0b00000, 0b00000}},
    {'"', {0b01010, 0b01010, 0b01010, 0b00000, 0b00000, 0b00000, 0b00000}},
    {'#', {0b01010, 0b01010, 0b11111, 0b01010, 0b11111, 0b01010, 0b01010}},
    {'=', {0b00000, 0b00000, 0b11111, 0b00000, 0b11111, 0b00000, 0b00000}},
}};

// Calls plot(px, py) for every set pixel of the text drawn at (x, y).
template <typename Plot>
void ForEachPixel(int x, int y, std::string_view text, Plot plot) {
    for (char c : text) {
        if (const uint8_t* rows = MiniGlyph(c)) {
            for (int r = 0; r < MiniGlyphHeight; ++r)
                for (int col = 0; col < MiniGlyphWidth; ++col)
                    if (rows[r] & (0x10 >> col)) plot(x + col, y + r);
        }
        x += MiniAdvance;
    }
}

// The columns a glyph uses: the first and one past the last (0, 0 for none).
std::pair<int, int> UsedColumns(const uint8_t* rows) {
    uint8_t all = 0;
    for (int r = 0; r < MiniGlyphHeight; ++r) all |= rows[r];
    int first = 0, end = 0;
    for (int col = 0; col < MiniGlyphWidth; ++col)
        if (all & (0x10 >> col)) {
            if (end == 0) first = col;
            end = col + 1;
        }
    return {first, end};
}

constexpr int TightSpace = 3;

}  // namespace

const uint8_t* MiniGlyph(char c) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    for (const Glyph& g : Glyphs)
        if (g.Char == c) return g.Rows;
    return nullptr;
}

int MiniTextWidth(std::string_view text) {
    return text.empty() ? 0 : static_cast<int>(text.size()) * MiniAdvance - (MiniAdvance - MiniGlyphWidth);
}

void DrawMiniText(TSurface& surface, int x, int y, std::string_view text, TDeviceColor colour) {
    if (!surface.Valid()) return;
    const int w = surface.Width(), h = surface.Height();
    uint16_t* bits = surface.MutableBits();
    ForEachPixel(x, y, text, [&](int px, int py) {
        if (px >= 0 && py >= 0 && px < w && py < h)
            bits[static_cast<size_t>(py) * static_cast<size_t>(w) + static_cast<size_t>(px)] =
                static_cast<uint16_t>(colour);
    });
}

int TightMiniTextWidth(std::string_view text) {
    int width = 0;
    for (char c : text) {
        const uint8_t* rows = MiniGlyph(c);
        const auto [first, end] = rows ? UsedColumns(rows) : std::pair{0, 0};
        width += end > first ? end - first + 1 : TightSpace;
    }
    return width > 0 ? width - 1 : 0;
}

void DrawTightMiniText(TSurface& surface, int x, int y, std::string_view text, TDeviceColor colour) {
    for (char c : text) {
        const uint8_t* rows = MiniGlyph(c);
        const auto [first, end] = rows ? UsedColumns(rows) : std::pair{0, 0};
        if (end <= first) {
            x += TightSpace;
            continue;
        }
        DrawMiniText(surface, x - first, y, std::string_view(&c, 1), colour);
        x += end - first + 1;
    }
}

void DrawMiniText(TBitmap& picture, int x, int y, std::string_view text, TColor colour, int scale) {
    if (scale < 1) scale = 1;
    ForEachPixel(0, 0, text, [&](int px, int py) {
        for (int dy = 0; dy < scale; ++dy)
            for (int dx = 0; dx < scale; ++dx) {
                const int tx = x + px * scale + dx, ty = y + py * scale + dy;
                if (tx >= 0 && ty >= 0 && tx < picture.Width && ty < picture.Height)
                    picture.Pixels[static_cast<size_t>(ty) * static_cast<size_t>(picture.Width) +
                                   static_cast<size_t>(tx)] = colour;
            }
    });
}

}  // namespace tibo::assets
