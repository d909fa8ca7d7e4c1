#include "assets/generator/Paint.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tibo::assets::paint {

Rgbf Hex(TColor c) {
    return {static_cast<float>((c >> 16) & 0xFF), static_cast<float>((c >> 8) & 0xFF), static_cast<float>(c & 0xFF)};
}

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

Rgbf Mix(Rgbf a, Rgbf b, float t) {
    t = Clamp01(t);
    return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t};
}

Rgbf Scale(Rgbf a, float k) { return {a.R * k, a.G * k, a.B * k}; }
Rgbf Add(Rgbf a, Rgbf b) { return {a.R + b.R, a.G + b.G, a.B + b.B}; }

float Hash01(int x, int y, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B9u ^ static_cast<uint32_t>(x) * 0x85EBCA6Bu ^ static_cast<uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return static_cast<float>(h >> 8) / static_cast<float>(1u << 24);
}

float Noise(float x, float y, uint32_t seed) {
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    const float a = Hash01(ix, iy, seed), b = Hash01(ix + 1, iy, seed);
    const float c = Hash01(ix, iy + 1, seed), d = Hash01(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) * (1 - ty) + (c + (d - c) * tx) * ty;
}

float Fbm(float x, float y, uint32_t seed, int octaves) {
    float sum = 0, weight = 1, total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += Noise(x, y, seed + static_cast<uint32_t>(i) * 101u) * weight;
        total += weight;
        x *= 2;
        y *= 2;
        weight *= 0.5f;
    }
    return sum / total;
}

// ---- Mask

Mask::Mask(int width, int height)
    : Width_(width), Height_(height), Cover_(static_cast<size_t>(width) * static_cast<size_t>(height), 0.0f),
      Left_(width), Top_(height) {}

void Mask::Touch(int x0, int y0, int x1, int y1) {
    Left_ = std::min(Left_, x0);
    Top_ = std::min(Top_, y0);
    Right_ = std::max(Right_, x1);
    Bottom_ = std::max(Bottom_, y1);
}

float Mask::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width_ || y >= Height_) return 0;
    return Cover_[Index(x, y)];
}

void Mask::AddPolygon(const Contour& contour) { AddPolygon(std::span<const Contour>(&contour, 1)); }

void Mask::AddPolygon(std::span<const Contour> contours) {
    float top = std::numeric_limits<float>::max(), bottom = std::numeric_limits<float>::lowest();
    for (const Contour& c : contours)
        for (const Point& p : c) {
            top = std::min(top, p.Y);
            bottom = std::max(bottom, p.Y);
        }
    if (top > bottom) return;
    const int y0 = std::max(0, static_cast<int>(std::floor(top)));
    const int y1 = std::min(Height_ - 1, static_cast<int>(std::ceil(bottom)));
    constexpr int SubRows = 4;
    std::vector<float> row(static_cast<size_t>(Width_));
    std::vector<float> crossings;
    for (int y = y0; y <= y1; ++y) {
        std::fill(row.begin(), row.end(), 0.0f);
        for (int k = 0; k < SubRows; ++k) {
            const float ys = static_cast<float>(y) + (static_cast<float>(k) + 0.5f) / SubRows;
            crossings.clear();
            for (const Contour& c : contours)
                for (size_t i = 0; i < c.size(); ++i) {
                    const Point& a = c[i];
                    const Point& b = c[(i + 1) % c.size()];
                    if ((a.Y <= ys) == (b.Y <= ys)) continue;
                    crossings.push_back(a.X + (ys - a.Y) * (b.X - a.X) / (b.Y - a.Y));
                }
            std::sort(crossings.begin(), crossings.end());
            for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
                const float xa = std::max(crossings[i], 0.0f);
                const float xb = std::min(crossings[i + 1], static_cast<float>(Width_));
                if (xb <= xa) continue;
                for (int px = static_cast<int>(xa); px < Width_ && static_cast<float>(px) < xb; ++px) {
                    const float overlap =
                        std::min(xb, static_cast<float>(px + 1)) - std::max(xa, static_cast<float>(px));
                    if (overlap > 0) row[static_cast<size_t>(px)] += overlap / SubRows;
                }
            }
        }
        for (int x = 0; x < Width_; ++x) {
            const float cover = std::min(1.0f, row[static_cast<size_t>(x)]);
            if (cover <= 0) continue;
            float& cell = Cover_[Index(x, y)];
            cell = std::max(cell, cover);
            Touch(x, y, x, y);
        }
    }
}

void Mask::AddDisc(float cx, float cy, float radius) {
    const int x0 = std::max(0, static_cast<int>(cx - radius - 2)), x1 = std::min(Width_ - 1, static_cast<int>(cx + radius + 2));
    const int y0 = std::max(0, static_cast<int>(cy - radius - 2)), y1 = std::min(Height_ - 1, static_cast<int>(cy + radius + 2));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const float d = std::hypot(static_cast<float>(x) + 0.5f - cx, static_cast<float>(y) + 0.5f - cy);
            const float cover = Clamp01(radius - d + 0.5f);
            if (cover <= 0) continue;
            float& cell = Cover_[Index(x, y)];
            cell = std::max(cell, cover);
            Touch(x, y, x, y);
        }
}

void Mask::AddRect(float x0, float y0, float x1, float y1) {
    AddPolygon(Contour{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
}

std::vector<float> Mask::SignedDistance() const {
    const size_t n = Cover_.size();
    constexpr float Far = 1e9f, Diagonal = 1.41421356f;
    // Distance of every pixel to the nearest pixel of the set `target`.
    auto chamfer = [&](bool targetInside) {
        std::vector<float> d(n);
        for (size_t i = 0; i < n; ++i) d[i] = ((Cover_[i] >= 0.5f) == targetInside) ? 0.0f : Far;
        auto relax = [&](int x, int y, int dx, int dy, float w) {
            const int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= Width_ || ny >= Height_) return;
            float& here = d[Index(x, y)];
            here = std::min(here, d[Index(nx, ny)] + w);
        };
        for (int y = 0; y < Height_; ++y)
            for (int x = 0; x < Width_; ++x) {
                relax(x, y, -1, 0, 1);
                relax(x, y, -1, -1, Diagonal);
                relax(x, y, 0, -1, 1);
                relax(x, y, 1, -1, Diagonal);
            }
        for (int y = Height_ - 1; y >= 0; --y)
            for (int x = Width_ - 1; x >= 0; --x) {
                relax(x, y, 1, 0, 1);
                relax(x, y, 1, 1, Diagonal);
                relax(x, y, 0, 1, 1);
                relax(x, y, -1, 1, Diagonal);
            }
        return d;
    };
    const std::vector<float> toOutside = chamfer(false), toInside = chamfer(true);
    std::vector<float> signedDistance(n);
    for (size_t i = 0; i < n; ++i)
        signedDistance[i] = Cover_[i] >= 0.5f ? toOutside[i] - 0.5f : -(toInside[i] - 0.5f);
    return signedDistance;
}

// ---- Canvas

Canvas::Canvas(int width, int height, Rgbf fill)
    : Width_(width), Height_(height), Pixels_(static_cast<size_t>(width) * static_cast<size_t>(height), fill) {}

void Canvas::Blend(int x, int y, Rgbf c, float alpha) {
    if (!Inside(x, y) || alpha <= 0) return;
    Rgbf& p = Pixels_[Index(x, y)];
    p = Mix(p, c, alpha);
}

void Canvas::Paint(const Mask& mask, Rgbf c, float alpha) {
    Paint(mask, [&](int, int) { return c; }, alpha);
}

void Canvas::Glow(float cx, float cy, float radius, Rgbf c, float strength) {
    const int x0 = std::max(0, static_cast<int>(cx - radius)), x1 = std::min(Width_ - 1, static_cast<int>(cx + radius));
    const int y0 = std::max(0, static_cast<int>(cy - radius)), y1 = std::min(Height_ - 1, static_cast<int>(cy + radius));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const float d = std::hypot(static_cast<float>(x) + 0.5f - cx, static_cast<float>(y) + 0.5f - cy) / radius;
            if (d >= 1) continue;
            const float k = strength * (1 - d) * (1 - d);
            Rgbf& p = Pixels_[Index(x, y)];
            p = Add(p, Scale(c, k));
        }
}

void Canvas::Star(float x, float y, Rgbf c, float brightness, float rays) {
    const int r = static_cast<int>(std::ceil(std::max(2.0f, rays)));
    const int ix = static_cast<int>(x), iy = static_cast<int>(y);
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx) {
            const float fx = static_cast<float>(ix + dx) + 0.5f - x, fy = static_cast<float>(iy + dy) + 0.5f - y;
            float a = brightness * std::exp(-(fx * fx + fy * fy) / 0.7f);
            if (rays > 0) {
                const float ax = std::fabs(fx), ay = std::fabs(fy);
                if (ay < 0.75f) a += brightness * 0.8f * Clamp01(1 - ax / rays) * (1 - ay / 0.75f);
                if (ax < 0.75f) a += brightness * 0.8f * Clamp01(1 - ay / rays) * (1 - ax / 0.75f);
            }
            Blend(ix + dx, iy + dy, c, Clamp01(a));
        }
}

TBitmap Canvas::ToBitmap() const {
    static constexpr float Bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    TBitmap b;
    b.Resize(Width_, Height_);
    for (int y = 0; y < Height_; ++y)
        for (int x = 0; x < Width_; ++x) {
            const float dither = (Bayer[y & 3][x & 3] + 0.5f) / 16.0f - 0.5f;
            const Rgbf p = Pixels_[Index(x, y)];
            auto channel = [&](float v) {
                return static_cast<TColor>(std::clamp(static_cast<int>(std::lround(v + dither)), 0, 255));
            };
            b.Pixels[Index(x, y)] = channel(p.R) << 16 | channel(p.G) << 8 | channel(p.B);
        }
    return b;
}

// ---- Title letters

std::vector<Contour> TitleLetter(char c, float unit, float x, float y, float& advance) {
    auto shape = [&](std::initializer_list<std::initializer_list<Point>> contours) {
        std::vector<Contour> out;
        for (const auto& contour : contours) {
            Contour scaled;
            for (const Point& p : contour) scaled.push_back({x + p.X * unit, y + p.Y * unit});
            out.push_back(std::move(scaled));
        }
        return out;
    };
    switch (c) {
    case 'T':
        advance = 7.4f;
        return shape({{{0, 0}, {7.4f, 0}, {7.4f, 2.2f}, {4.8f, 2.2f}, {4.8f, 9}, {2.6f, 9}, {2.6f, 2.2f}, {0, 2.2f}}});
    case 'I':
        advance = 4.4f;
        return shape({{{0, 0}, {4.4f, 0}, {4.4f, 1.8f}, {3.3f, 1.8f}, {3.3f, 7.2f}, {4.4f, 7.2f}, {4.4f, 9}, {0, 9},
                       {0, 7.2f}, {1.1f, 7.2f}, {1.1f, 1.8f}, {0, 1.8f}}});
    case 'B':
        advance = 7;
        return shape({{{0, 0}, {5.6f, 0}, {6.7f, 1.1f}, {6.7f, 3.4f}, {5.9f, 4.4f}, {7, 5.5f}, {7, 7.9f}, {5.9f, 9}, {0, 9}},
                      {{2.3f, 1.9f}, {4.2f, 1.9f}, {4.5f, 2.2f}, {4.5f, 3.3f}, {4.2f, 3.6f}, {2.3f, 3.6f}},
                      {{2.3f, 5.4f}, {4.5f, 5.4f}, {4.8f, 5.7f}, {4.8f, 6.8f}, {4.5f, 7.1f}, {2.3f, 7.1f}}});
    case 'O':
        advance = 7.4f;
        return shape({{{1.8f, 0}, {5.6f, 0}, {7.4f, 1.8f}, {7.4f, 7.2f}, {5.6f, 9}, {1.8f, 9}, {0, 7.2f}, {0, 1.8f}},
                      {{2.9f, 2.1f}, {4.5f, 2.1f}, {5.2f, 2.8f}, {5.2f, 6.2f}, {4.5f, 6.9f}, {2.9f, 6.9f}, {2.2f, 6.2f},
                       {2.2f, 2.8f}}});
    default:
        advance = 5;
        return {};
    }
}

std::vector<Contour> TitleWord(const char* word, float unit, float x, float y, float gap) {
    std::vector<Contour> out;
    for (const char* p = word; *p; ++p) {
        float advance = 0;
        for (Contour& c : TitleLetter(*p, unit, x, y, advance)) out.push_back(std::move(c));
        x += (advance + gap) * unit;
    }
    return out;
}

float TitleWidth(const char* word, float unit, float gap) {
    float width = 0;
    for (const char* p = word; *p; ++p) {
        float advance = 0;
        TitleLetter(*p, unit, 0, 0, advance);
        width += advance + (p[1] ? gap : 0);
    }
    return width * unit;
}

// ---- Relief

void PaintRelief(Canvas& canvas, const Mask& letters, const ReliefStyle& style) {
    const int w = letters.Width(), h = letters.Height();
    const std::vector<float> sd = letters.SignedDistance();
    auto at = [&](const std::vector<float>& v, int x, int y) {
        x = std::clamp(x, 0, w - 1);
        y = std::clamp(y, 0, h - 1);
        return v[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
    };
    // Height of the chiselled surface: rising over the bevel, flat on the face;
    // smoothed so the lighting of the slopes is even.
    std::vector<float> height(sd.size()), smooth(sd.size());
    for (size_t i = 0; i < sd.size(); ++i) height[i] = Clamp01(sd[i] / style.Bevel);
    int top = h, bottom = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float sum = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) sum += at(height, x + dx, y + dy);
            smooth[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] = sum / 9;
            if (letters.At(x, y) > 0) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    if (bottom < top) return;
    const float lx = -0.539f, ly = -0.539f, lz = 0.647f;
    auto ramp = [&](float l) {
        if (l < 0.3f) return Mix(style.Dark, style.Mid, l / 0.3f);
        if (l < 0.66f) return Mix(style.Mid, style.Light, (l - 0.3f) / 0.36f);
        return Mix(style.Light, style.Shine, (l - 0.66f) / 0.22f);
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // Drop shadow and outline, under the letters.
            const float shadow = Clamp01(at(sd, static_cast<int>(static_cast<float>(x) - style.ShadowDx),
                                            static_cast<int>(static_cast<float>(y) - style.ShadowDy)) +
                                         style.Outline + 0.5f);
            canvas.Blend(x, y, style.Edge, shadow * style.ShadowAlpha);
            const float d = at(sd, x, y);
            canvas.Blend(x, y, style.Edge, Clamp01(d + style.Outline + 0.5f));
            const float cover = letters.At(x, y);
            if (cover <= 0) continue;
            const float gx = (at(smooth, x + 1, y) - at(smooth, x - 1, y)) * 0.5f * style.Bevel;
            const float gy = (at(smooth, x, y + 1) - at(smooth, x, y - 1)) * 0.5f * style.Bevel;
            const float nx = -gx, ny = -gy, nz = 1, len = std::sqrt(nx * nx + ny * ny + nz * nz);
            float l = (nx * lx + ny * ly + nz * lz) / len;
            // The flat face is brighter at the top of the word.
            const float t = static_cast<float>(y - top) / static_cast<float>(std::max(1, bottom - top));
            if (at(height, x, y) >= 1) l += 0.16f * (0.5f - t);
            canvas.Blend(x, y, ramp(l), cover);
        }
}

}  // namespace tibo::assets::paint
