#pragma once
// A decoded picture: the pixels of a BMP, PNG or JPEG file as 0xRRGGBB values,
// with the colour depth the file was stored in.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tibo {

using TColor = uint32_t;        // 0xRRGGBB
using TDeviceColor = uint32_t;  // a raw pixel value of a surface (RGB565 here)

struct TBitmap {
    int Width = 0;
    int Height = 0;
    int BitCount = 24;               // depth of the stored picture (1, 4, 8, 16, 24, 32)
    std::vector<TColor> Pixels;      // row-major, Width * Height entries

    bool Empty() const { return Width <= 0 || Height <= 0; }
    TColor At(int x, int y) const { return Pixels[static_cast<size_t>(y) * static_cast<size_t>(Width) + static_cast<size_t>(x)]; }
    void Resize(int w, int h, TColor fill = 0) {
        Width = w; Height = h;
        Pixels.assign(static_cast<size_t>(w > 0 ? w : 0) * static_cast<size_t>(h > 0 ? h : 0), fill);
    }
};

// The display's pixel format: 16 bits, 5 red, 6 green, 5 blue, channels truncated.
constexpr uint16_t ToRgb565(TColor c) {
    return static_cast<uint16_t>((((c >> 19) & 0x1F) << 11) | (((c >> 10) & 0x3F) << 5) | ((c >> 3) & 0x1F));
}
// Widens each channel back to 8 bits, replicating the high bits into the low ones.
constexpr TColor FromRgb565(uint16_t p) {
    const uint32_t r = (p >> 11) & 0x1F, g = (p >> 5) & 0x3F, b = p & 0x1F;
    return ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
}

}  // namespace tibo
