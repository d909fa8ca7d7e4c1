#pragma once
// Pixel art in text: the editable source of the game's small pictures.
//
//   # a comment (also inside the pixel rows)
//   palette
//   . #000000          one line a colour: its key, then #RRGGBB
//   a #FFD040
//   pixels
//   ..aa..             one line a row of the picture, one key a pixel
//
// Keys are printable characters other than '#' and space, all of the same
// length (one or two characters: two allow 8-bit pictures of many colours).
// The first colour of the palette becomes colour 0 of the bitmap.
#include <cstdint>
#include <string>
#include <vector>

#include "assets/Catalogue.h"

namespace tibo::assets {

struct PixelArt {
    int Width = 0, Height = 0;
    std::vector<Rgb> Palette;
    std::vector<uint8_t> Indices;  // Width * Height, rows from the top
    Rgb At(int x, int y) const {
        return Palette[Indices[static_cast<size_t>(y) * static_cast<size_t>(Width) + static_cast<size_t>(x)]];
    }
};

// Parses the text; `where` names it in error messages. Raises std::runtime_error
// with the file and line of the first fault.
PixelArt ParsePixelArt(const std::string& text, const std::string& where);

}  // namespace tibo::assets
