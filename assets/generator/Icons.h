#pragma once
// The desktop's icons of the game, drawn from the window icon (Tibo.pix, 32 x 32):
// the larger sizes are the same pixel art enlarged with Scale2x, which doubles
// every pixel but rounds off the staircases of diagonal edges, so that the
// face and the pyramid stay crisp instead of turning into blocks or blur; a
// pixel unlike all four of its neighbours (a star, an eye's glint) is kept
// square, as Scale2x alone would round it away.
#include <cstdint>
#include <vector>

#include "assets/generator/PixelArt.h"

namespace tibo::assets {

struct IconImage {
    int Width = 0, Height = 0;
    std::vector<uint32_t> Pixels;  // 0xAARRGGBB, rows from the top
    uint32_t At(int x, int y) const;
};

// The pixel art with its colour 0 (the corners outside the rounded square) clear.
IconImage IconFromArt(const PixelArt& art);
// Twice and three times the size, edges smoothed (Scale2x and Scale3x).
IconImage Scale2x(const IconImage& in);
IconImage Scale3x(const IconImage& in);
// Half the size, each pixel the average of four (weighted by their opacity).
IconImage HalfSize(const IconImage& in);
// The icon of `size` pixels a side: 32 as drawn; 64, 128, 256 by Scale2x
// steps; 48 as 96 (Scale3x) halved. Raises std::invalid_argument for others.
IconImage IconOfSize(const PixelArt& art, int size);

}  // namespace tibo::assets
