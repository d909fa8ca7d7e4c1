#pragma once
// A small bitmap font carried in the program: capitals, digits and punctuation,
// for small figures on the panel and for the labels of the contact sheet.
#include <string_view>

#include "framework/Surface.h"

namespace tibo::assets {

inline constexpr int MiniGlyphWidth = 5, MiniGlyphHeight = 7, MiniAdvance = 6;
// Draws text with its top-left corner at (x, y); lower case is drawn as capitals.
void DrawMiniText(TSurface& surface, int x, int y, std::string_view text, TDeviceColor colour);
int MiniTextWidth(std::string_view text);

}  // namespace tibo::assets
