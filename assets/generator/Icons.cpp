#include "assets/generator/Icons.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace tibo::assets {

uint32_t IconImage::At(int x, int y) const {
    x = std::clamp(x, 0, Width - 1);
    y = std::clamp(y, 0, Height - 1);
    return Pixels[static_cast<size_t>(y) * static_cast<size_t>(Width) + static_cast<size_t>(x)];
}

namespace {

IconImage Blank(int w, int h) {
    IconImage out;
    out.Width = w;
    out.Height = h;
    out.Pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    return out;
}

void Set(IconImage& img, int x, int y, uint32_t c) {
    img.Pixels[static_cast<size_t>(y) * static_cast<size_t>(img.Width) + static_cast<size_t>(x)] = c;
}

// A pixel unlike its four neighbours is a detail (a star, the glint of an
// eye): it keeps its whole square rather than being rounded away.
bool Lone(uint32_t e, uint32_t b, uint32_t d, uint32_t f, uint32_t h) { return e != b && e != d && e != f && e != h; }

}  // namespace

IconImage IconFromArt(const PixelArt& art) {
    IconImage out = Blank(art.Width, art.Height);
    for (int y = 0; y < art.Height; ++y)
        for (int x = 0; x < art.Width; ++x) {
            const size_t index = art.Indices[static_cast<size_t>(y) * static_cast<size_t>(art.Width) + static_cast<size_t>(x)];
            Set(out, x, y, index == 0 ? 0u : 0xFF000000u | (art.Palette[index] & 0xFFFFFFu));
        }
    return out;
}

IconImage Scale2x(const IconImage& in) {
    IconImage out = Blank(in.Width * 2, in.Height * 2);
    for (int y = 0; y < in.Height; ++y)
        for (int x = 0; x < in.Width; ++x) {
            const uint32_t e = in.At(x, y), b = in.At(x, y - 1), d = in.At(x - 1, y), f = in.At(x + 1, y),
                           h = in.At(x, y + 1);
            uint32_t e0 = e, e1 = e, e2 = e, e3 = e;
            if (b != h && d != f && !Lone(e, b, d, f, h)) {
                if (d == b) e0 = d;
                if (b == f) e1 = f;
                if (d == h) e2 = d;
                if (h == f) e3 = f;
            }
            Set(out, 2 * x, 2 * y, e0);
            Set(out, 2 * x + 1, 2 * y, e1);
            Set(out, 2 * x, 2 * y + 1, e2);
            Set(out, 2 * x + 1, 2 * y + 1, e3);
        }
    return out;
}

IconImage Scale3x(const IconImage& in) {
    IconImage out = Blank(in.Width * 3, in.Height * 3);
    for (int y = 0; y < in.Height; ++y)
        for (int x = 0; x < in.Width; ++x) {
            const uint32_t a = in.At(x - 1, y - 1), b = in.At(x, y - 1), c = in.At(x + 1, y - 1), d = in.At(x - 1, y),
                           e = in.At(x, y), f = in.At(x + 1, y), g = in.At(x - 1, y + 1), h = in.At(x, y + 1),
                           i = in.At(x + 1, y + 1);
            uint32_t o[9] = {e, e, e, e, e, e, e, e, e};
            if (b != h && d != f && !Lone(e, b, d, f, h)) {
                o[0] = d == b ? d : e;
                o[1] = (d == b && e != c) || (b == f && e != a) ? b : e;
                o[2] = b == f ? f : e;
                o[3] = (d == b && e != g) || (d == h && e != a) ? d : e;
                o[5] = (b == f && e != i) || (h == f && e != c) ? f : e;
                o[6] = d == h ? d : e;
                o[7] = (d == h && e != i) || (h == f && e != g) ? h : e;
                o[8] = h == f ? f : e;
            }
            for (int k = 0; k < 9; ++k) Set(out, 3 * x + k % 3, 3 * y + k / 3, o[k]);
        }
    return out;
}

IconImage HalfSize(const IconImage& in) {
    IconImage out = Blank(in.Width / 2, in.Height / 2);
    for (int y = 0; y < out.Height; ++y)
        for (int x = 0; x < out.Width; ++x) {
            uint32_t alpha = 0, r = 0, g = 0, b = 0;
            for (int k = 0; k < 4; ++k) {
                const uint32_t c = in.At(2 * x + k % 2, 2 * y + k / 2);
                const uint32_t a = c >> 24;
                alpha += a;
                r += a * ((c >> 16) & 0xFF);
                g += a * ((c >> 8) & 0xFF);
                b += a * (c & 0xFF);
            }
            if (alpha == 0) continue;
            const uint32_t half = alpha / 2;
            Set(out, x, y, ((alpha + 2) / 4) << 24 | ((r + half) / alpha) << 16 | ((g + half) / alpha) << 8 | (b + half) / alpha);
        }
    return out;
}

IconImage IconOfSize(const PixelArt& art, int size) {
    IconImage icon = IconFromArt(art);
    if (size == icon.Width) return icon;
    if (size == icon.Width * 3 / 2) return HalfSize(Scale3x(icon));
    for (int side = icon.Width * 2; side <= size; side *= 2) {
        icon = Scale2x(icon);
        if (side == size) return icon;
    }
    throw std::invalid_argument("no icon of " + std::to_string(size) + " pixels can be made from a picture of " +
                                std::to_string(art.Width));
}

}  // namespace tibo::assets
