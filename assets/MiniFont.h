#pragma once
// A small bitmap font carried in the program: capitals, digits and punctuation,
// for small figures on the panel and for the labels of the contact sheet.
#include <cstdint>
#include <string_view>

#include "framework/Bitmap.h"
#include "framework/Surface.h"

namespace tibo::assets {

inline constexpr int MiniGlyphWidth = 5, MiniGlyphHeight = 7, MiniAdvance = 6;
// Draws text with its top-left corner at (x, y); lower case is drawn as capitals.
void DrawMiniText(TSurface& surface, int x, int y, std::string_view text, TDeviceColor colour);
// Width in pixels: MiniAdvance a character, without the gap after the last one.
int MiniTextWidth(std::string_view text);

// Set close: each character takes only the columns its glyph uses and one
// pixel after it (a space takes three), for figures in narrow places.
void DrawTightMiniText(TSurface& surface, int x, int y, std::string_view text, TDeviceColor colour);
int TightMiniTextWidth(std::string_view text);

// The same on a picture, each font pixel drawn as a scale x scale square.
void DrawMiniText(TBitmap& picture, int x, int y, std::string_view text, TColor colour, int scale = 1);
// The seven rows of a character's glyph, top first, bit 4 the leftmost column;
// nullptr for characters the font lacks (they take their place like a space).
const uint8_t* MiniGlyph(char c);

}  // namespace tibo::assets
