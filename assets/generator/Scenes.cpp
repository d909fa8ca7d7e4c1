#include "assets/generator/Scenes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

#include "assets/generator/Panel.h"
#include "assets/generator/Paint.h"

namespace tibo::assets {
namespace {

using namespace paint;

constexpr int W = 640, H = 480;

float F(int v) { return static_cast<float>(v); }

// Colour stops of a vertical gradient, positions in pixels.
struct Stop {
    float Y;
    Rgbf C;
};
Rgbf Gradient(std::span<const Stop> stops, float y) {
    if (y <= stops.front().Y) return stops.front().C;
    for (size_t i = 1; i < stops.size(); ++i)
        if (y <= stops[i].Y) return Mix(stops[i - 1].C, stops[i].C, (y - stops[i - 1].Y) / (stops[i].Y - stops[i - 1].Y));
    return stops.back().C;
}

Rgbf Multiply(Rgbf a, Rgbf k) { return {a.R * k.R, a.G * k.G, a.B * k.B}; }

Contour Circle(float cx, float cy, float r) {
    Contour k;
    for (int i = 0; i < 48; ++i) {
        const float t = F(i) / 48 * 6.2831853f;
        k.push_back({cx + r * std::cos(t), cy + r * std::sin(t)});
    }
    return k;
}

// ---- Shared pieces of the scenes

// A starry sky: many faint stars, fewer bright ones, the brightest with rays.
// `limit` caps the brightness of a star at (x, y), so text areas stay calm.
template <class Limit>
void Stars(Canvas& c, uint32_t seed, int count, float yMax, Limit limit) {
    const Rgbf warm = Hex(0xFFF8C0), cyan = Hex(0x9CF0FF), white = Hex(0xF4F0E8);
    for (int i = 0; i < count; ++i) {
        const float x = Hash01(i, 1, seed) * W, y = Hash01(i, 2, seed) * yMax;
        const float r = Hash01(i, 3, seed);
        float brightness = 0.25f + 0.75f * std::pow(r, 3.0f);
        brightness = std::min(brightness, limit(x, y));
        const float kind = Hash01(i, 4, seed);
        const Rgbf colour = kind < 0.22f ? cyan : kind < 0.5f ? white : warm;
        const float rays = (r > 0.985f && brightness > 0.8f) ? 4.0f + 4.0f * Hash01(i, 5, seed) : 0.0f;
        c.Star(x, y, colour, brightness, rays);
    }
}


// Carves a sign at (x, y), `scale` pixels a cell: the groove darkens the
// stone, its lower right edge catches the light.
void CarveSign(Canvas& c, float x, float y, int scale, const FriezeSign& g, float depth) {
    auto set = [&](int gx, int gy) {
        return gx >= 0 && gy >= 0 && gx < 15 && gy < 20 && g[static_cast<size_t>(gy)][static_cast<size_t>(gx)] == 'x';
    };
    const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
    for (int py = 0; py < 21 * scale; ++py)
        for (int px = 0; px < 16 * scale; ++px) {
            const int gx = px / scale, gy = py / scale;
            Rgbf& p = c.Cell(std::min(x0 + px, W - 1), std::min(y0 + py, H - 1));
            if (set(gx, gy)) p = Scale(p, 1 - 0.55f * depth);
            else if (set((px - 1) / scale, (py - 1) / scale) && px > 0 && py > 0) p = Scale(p, 1 + 0.45f * depth);
        }
}

// A torch flame with its glow; the flame is about 12 x 22 pixels at size 1.
void Torch(Canvas& c, float x, float y, float size, float glow) {
    c.Glow(x, y, 150 * size, Hex(0xF07020), 0.35f * glow);
    c.Glow(x, y, 60 * size, Hex(0xFFC040), 0.45f * glow);
    Mask outer(W, H), mid(W, H), core(W, H);
    auto flame = [&](Mask& m, float w, float h, float lean) {
        Contour k;
        for (int i = 0; i <= 24; ++i) {
            const float t = F(i) / 24 * 6.2831853f;
            // A teardrop: round below, pointed above.
            const float s = std::sin(t), co = std::cos(t);
            const float py = co < 0 ? co * h : co * w * 0.9f;
            const float px = s * w * (co < 0 ? (1 + co) * 0.9f + 0.1f : 1.0f) + (co < 0 ? lean * -co : 0);
            k.push_back({x + px, y + py});
        }
        m.AddPolygon(k);
    };
    flame(outer, 6 * size, 20 * size, 2 * size);
    flame(mid, 4.2f * size, 13 * size, 1.5f * size);
    flame(core, 2.4f * size, 7 * size, 1 * size);
    c.Paint(outer, Hex(0xF07020));
    c.Paint(mid, Hex(0xFFC040));
    c.Paint(core, Hex(0xFFF4A0));
}

// The title TIBO in chiselled gold.
void Title(Canvas& c, float unit, float y, float bevel, float outline) {
    Mask letters(W, H);
    const float gap = 1.2f, width = TitleWidth("TIBO", unit, gap);
    letters.AddPolygon(TitleWord("TIBO", unit, (F(W) - width) / 2, y, gap));
    ReliefStyle style;
    style.Bevel = bevel;
    style.Outline = outline;
    style.ShadowDx = unit * 0.55f;
    style.ShadowDy = unit * 0.65f;
    style.ShadowAlpha = 0.8f;
    style.Dark = Hex(0x9A6410);
    style.Mid = Hex(0xE0A020);
    style.Light = Hex(0xFFD840);
    style.Shine = Hex(0xFFF4A0);
    style.Edge = Hex(0x1C1424);
    PaintRelief(c, letters, style);
}

// ---- "COPERTINA": the cover

float GroundLine(float x) { return 364 + 5 * std::sin(x * 0.021f + 1) + 3 * std::sin(x * 0.057f + 2); }

void CoverSky(Canvas& c) {
    const std::array<Stop, 5> sky{{{0, Hex(0x0C1030)},
                                  {150, Hex(0x131A48)},
                                  {260, Hex(0x221E58)},
                                  {330, Hex(0x3C2660)},
                                  {370, Hex(0x5A3266)}}};
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            Rgbf p = Gradient(sky, F(y));
            // A faint band of the galaxy across the sky.
            const float d = (F(x) * 0.4f + F(y) - 250) / 70;
            const float band = std::exp(-d * d) * Fbm(F(x) / 60, F(y) / 60, 3, 4);
            p = Add(p, Scale(Hex(0x3A4890), band * 0.55f));
            c.Cell(x, y) = p;
        }
    Stars(c, 7, 700, 360, [](float, float) { return 1.0f; });
    // The moon, upper left: the light of the whole picture.
    c.Glow(96, 92, 190, Hex(0x6A7CB0), 0.35f);
    c.Glow(96, 92, 70, Hex(0xA0B4E0), 0.45f);
    Mask moon(W, H);
    moon.AddDisc(96, 92, 30);
    c.Paint(moon, [&](int x, int y) {
        const float dx = (F(x) - 96) / 30, dy = (F(y) - 92) / 30;
        const float lit = Clamp01(0.85f - 0.35f * (dx + dy));
        const float crater = Fbm(F(x) / 9, F(y) / 9, 41, 3);
        Rgbf m = Mix(Hex(0xA0B4E0), Hex(0xF4F0E8), lit);
        if (crater > 0.6f) m = Mix(m, Hex(0xA0B4E0), (crater - 0.6f) * 2.2f);
        return m;
    });
    // Two bats crossing the moon.
    for (auto [bx, by, s] : {std::array<float, 3>{84, 80, 1.0f}, std::array<float, 3>{122, 118, 0.7f}}) {
        Mask bat(W, H);
        bat.AddPolygon(Contour{{bx - 11 * s, by - 3 * s}, {bx - 7 * s, by - 1 * s}, {bx - 5 * s, by - 3 * s},
                               {bx - 2 * s, by},        {bx, by - 3 * s},        {bx + 2 * s, by},
                               {bx + 5 * s, by - 3 * s}, {bx + 7 * s, by - 1 * s}, {bx + 11 * s, by - 3 * s},
                               {bx + 8 * s, by + 3 * s}, {bx + 3 * s, by + 2 * s}, {bx, by + 4 * s},
                               {bx - 3 * s, by + 2 * s}, {bx - 8 * s, by + 3 * s}});
        c.Paint(bat, Hex(0x1C1424));
    }
}

void FarDunes(Canvas& c) {
    Mask dunes(W, H);
    Contour k;
    for (int x = 0; x <= W; x += 4) {
        const float fx = F(x);
        k.push_back({fx, 338 + 10 * std::sin(fx * 0.013f + 0.5f) + 5 * std::sin(fx * 0.041f)});
    }
    k.push_back({F(W), F(H)});
    k.push_back({0, F(H)});
    dunes.AddPolygon(k);
    c.Paint(dunes, [&](int x, int y) {
        const float t = Clamp01((F(y) - 325) / 50);
        return Mix(Hex(0x4A3A5A), Hex(0x2C2838), t + 0.1f * Fbm(F(x) / 30, F(y) / 8, 9, 2));
    });
}

// The pyramid: stepped courses of sandstone blocks; the left face in the
// moonlight, the right face in shadow, a lit doorway near the base.
void Pyramid(Canvas& c) {
    constexpr float ApexX = 420, ApexY = 158, BaseY = 366, Course = 8;
    constexpr float SlopeLeft = 1.22f, SlopeRight = 1.22f, FrontBaseX = 468;
    const Rgbf night{0.80f, 0.82f, 0.98f};
    for (int y = static_cast<int>(ApexY); y < static_cast<int>(BaseY); ++y) {
        const float fy = F(y) - ApexY;
        const int k = static_cast<int>(fy / Course);
        const int yin = y - static_cast<int>(ApexY) - k * static_cast<int>(Course);
        const float below = F(k + 1) * Course, above = F(k) * Course;
        const float xl = ApexX - below * SlopeLeft, xr = ApexX + below * SlopeRight;
        const float xlAbove = ApexX - above * SlopeLeft, xrAbove = ApexX + above * SlopeRight;
        const float front = ApexX + fy * (FrontBaseX - ApexX) / (BaseY - ApexY);
        const float v = fy / (BaseY - ApexY);
        for (int x = std::max(0, static_cast<int>(xl)); x <= std::min(W - 1, static_cast<int>(xr) + 1); ++x) {
            const float fx = F(x) + 0.5f;
            const float cover = Clamp01(fx - xl + 0.5f) * Clamp01(xr - fx + 0.5f);
            if (cover <= 0) continue;
            const bool left = fx < front;
            const float blockWidth = left ? 18.0f : 11.0f;
            const float shift = F(k % 2) * blockWidth * 0.5f;
            const float u = (left ? fx - xl : fx - front) + shift;
            const int block = static_cast<int>(u / blockWidth);
            const float uin = u - F(block) * blockWidth;
            const float tone = 0.9f + 0.2f * Hash01(block, k, left ? 3 : 4) + 0.12f * (Fbm(fx / 5, F(y) / 3, 8, 3) - 0.5f);
            Rgbf col;
            if (left) {
                col = Scale(Mix(Hex(0xE8C070), Hex(0xB08440), v * 0.9f + 0.25f * (fx - xl) / std::max(1.0f, front - xl)), tone);
                // The moon lights the upper left of the face most.
                col = Scale(col, 1.05f - 0.25f * v);
                const bool tread = yin < 2 && fx < xlAbove + 0.5f;
                if (tread) col = Hex(0xF4DC9C);
                else if (yin == static_cast<int>(Course) - 1) col = Hex(0x7A5828);
                else if (uin < 1) col = Scale(Hex(0x9A7030), tone);
                else if (yin == 0) col = Mix(col, Hex(0xF4DC9C), 0.5f);
            } else {
                col = Scale(Mix(Hex(0x7A5828), Hex(0x4A3420), v), tone);
                const bool tread = yin < 2 && fx > xrAbove - 0.5f;
                if (tread) col = Hex(0x9A7030);
                else if (yin == static_cast<int>(Course) - 1) col = Hex(0x2C2030);
                else if (uin < 1) col = Scale(Hex(0x3A2A20), tone);
            }
            // The front edge catches a thin line of light.
            if (std::fabs(fx - front) < 0.8f) col = Mix(col, Hex(0xF4DC9C), 0.6f);
            c.Blend(x, y, Multiply(col, night), cover);
        }
    }
    // The doorway, with torchlight inside and a torch beside it.
    Mask door(W, H);
    door.AddPolygon(Contour{{334, 366}, {334, 334}, {341, 326}, {348, 334}, {348, 366}});
    c.Glow(341, 350, 70, Hex(0xF07020), 0.45f);
    c.Paint(door, [&](int, int y) { return Mix(Hex(0xA83010), Hex(0x1C1424), (366 - F(y)) / 40); });
    Mask lintel(W, H);
    lintel.AddPolygon(Contour{{330, 334}, {341, 322}, {352, 334}, {348, 334}, {341, 327}, {334, 334}});
    c.Paint(lintel, Hex(0xC89A48));
    Torch(c, 322, 330, 0.55f, 0.7f);
    Mask post(W, H);
    post.AddRect(321, 333, 323.5f, 348);
    c.Paint(post, Hex(0x4A2C16));
}

// Rock of the mine: irregular stones (a jittered cell pattern), lit from the
// upper left, with dark cracks between them.
Rgbf MineRock(int x, int y) {
    constexpr float CellW = 26, CellH = 17;
    const float fx = F(x) + 0.5f, fy = F(y) + 0.5f;
    const int gx = static_cast<int>(fx / CellW), gy = static_cast<int>(fy / CellH);
    float d1 = 1e9f, d2 = 1e9f, px1 = 0, py1 = 0;
    int id = 0;
    for (int j = gy - 1; j <= gy + 1; ++j)
        for (int i = gx - 1; i <= gx + 1; ++i) {
            const float px = (F(i) + 0.15f + 0.7f * Hash01(i, j, 61)) * CellW;
            const float py = (F(j) + 0.15f + 0.7f * Hash01(i, j, 62)) * CellH;
            const float d = std::hypot((fx - px) / 1.3f, fy - py);
            if (d < d1) {
                d2 = d1;
                d1 = d;
                px1 = px;
                py1 = py;
                id = i * 131 + j;
            } else if (d < d2) d2 = d;
        }
    const float edge = d2 - d1;
    static const std::array<Rgbf, 3> tones{Hex(0x8C8478), Hex(0x6A6258), Hex(0x4C463E)};
    Rgbf base = tones[static_cast<size_t>(Hash01(id, 0, 63) * 2.99f)];
    base = Scale(base, 0.9f + 0.2f * Fbm(fx / 4, fy / 4, 64, 2));
    if (edge < 1.3f) return Mix(base, Hex(0x2C2838), 0.8f);
    if (edge < 3.5f) {
        const float dx = fx - px1, dy = fy - py1, len = std::max(1.0f, std::hypot(dx, dy));
        const float lit = -(dx + dy) / len;  // positive on the upper left of the stone
        if (lit > 0.3f) return Mix(base, Hex(0xA8A090), 0.45f);
        if (lit < -0.3f) return Mix(base, Hex(0x2C2838), 0.35f);
    }
    return base;
}

// Paints the parts of a small figure, each a mask and a colour, with one dark
// outline round all of them.
void Figure(Canvas& c, std::span<const std::pair<const Mask*, Rgbf>> parts) {
    Mask all(W, H);
    for (const auto& [m, colour] : parts)
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) all.Cell(x, y) = std::max(all.At(x, y), m->At(x, y));
    const std::vector<float> sd = all.SignedDistance();
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            c.Blend(x, y, Hex(0x1C1424), Clamp01(sd[static_cast<size_t>(y) * W + static_cast<size_t>(x)] + 1.6f));
    for (const auto& [m, colour] : parts) c.Paint(*m, colour);
}

// Tibo himself, small, standing in the gallery: (x, feet) is where he stands.
void Hero(Canvas& c, float x, float feet) {
    Mask legL(W, H), legR(W, H), bootL(W, H), bootR(W, H), tunic(W, H), tunicLight(W, H), belt(W, H);
    Mask head(W, H), hair(W, H), arm(W, H), hand(W, H);
    legL.AddRect(x - 3.5f, feet - 11, x - 0.5f, feet - 4);
    legR.AddRect(x + 0.5f, feet - 11, x + 3.5f, feet - 4);
    bootL.AddRect(x - 4.5f, feet - 4, x - 0.5f, feet);
    bootR.AddRect(x + 0.5f, feet - 4, x + 4.5f, feet);
    tunic.AddPolygon(Contour{{x - 4.5f, feet - 22}, {x + 4.5f, feet - 22}, {x + 5.5f, feet - 10}, {x - 5.5f, feet - 10}});
    tunicLight.AddPolygon(Contour{{x - 4.5f, feet - 22}, {x - 1.5f, feet - 22}, {x - 2.5f, feet - 10}, {x - 5.5f, feet - 10}});
    belt.AddRect(x - 5, feet - 15, x + 5, feet - 13.5f);
    head.AddDisc(x, feet - 26.5f, 4.3f);
    hair.AddPolygon(Contour{{x - 4.6f, feet - 27}, {x - 3.5f, feet - 30.5f}, {x, feet - 31.5f}, {x + 3.5f, feet - 30.5f},
                            {x + 4.6f, feet - 27}, {x + 2, feet - 28.5f}, {x - 2, feet - 28.5f}});
    // One arm raised, waving.
    arm.AddPolygon(Contour{{x + 3.5f, feet - 21}, {x + 6, feet - 22}, {x + 9.5f, feet - 29}, {x + 7.5f, feet - 30}});
    hand.AddDisc(x + 8.8f, feet - 30.5f, 1.8f);
    const std::array<std::pair<const Mask*, Rgbf>, 11> parts{{{&legL, Hex(0x6A4020)},
                                                             {&legR, Hex(0x4A2C16)},
                                                             {&bootL, Hex(0x4A2C16)},
                                                             {&bootR, Hex(0x4A2C16)},
                                                             {&tunic, Hex(0x3C64C8)},
                                                             {&tunicLight, Hex(0x78A0F0)},
                                                             {&belt, Hex(0x6A4020)},
                                                             {&arm, Hex(0x3C64C8)},
                                                             {&hand, Hex(0xF0B890)},
                                                             {&head, Hex(0xF0B890)},
                                                             {&hair, Hex(0x6A4020)}}};
    Figure(c, parts);
}

// A glimpse of the mine under the sand: a shaft with its head frame and
// rope, a gallery shored with timber, a torch, gold in the rock and a chest.
void Mine(Canvas& c) {
    // Sand over the rock, rock below a ragged line.
    for (int y = 340; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const float g = GroundLine(F(x));
            const float rockTop = g + 18 + 5 * Noise(F(x) / 14, 0.5f, 71) + 2 * Hash01(x / 3, 0, 72);
            const float fy = F(y) + 0.5f;
            if (fy < g - 0.5f) continue;
            const float cover = Clamp01(fy - g + 0.5f);
            Rgbf p;
            if (fy < rockTop) {
                // Moonlit sand with wind ripples.
                const float ripple = std::sin(F(x) * 0.35f + F(y) * 1.7f + 3 * Noise(F(x) / 20, F(y) / 6, 73));
                p = Mix(Hex(0xC89A48), Hex(0x7A5828), (fy - g) / 20 + 0.15f * ripple);
                p = Multiply(p, Rgbf{0.82f, 0.82f, 0.95f});
                if (fy < g + 1.5f) p = Mix(p, Hex(0xF4DC9C), 0.5f);
            } else if (fy < rockTop + 2) {
                p = Hex(0x1C1424);
            } else {
                p = Scale(MineRock(x, y), 0.68f - 0.25f * Clamp01((fy - 385) / 95));
            }
            c.Blend(x, y, p, cover);
        }
    // The gallery.
    constexpr float Top = 412, Bottom = 464;
    for (int y = static_cast<int>(Top) - 6; y <= static_cast<int>(Bottom) + 6; ++y)
        for (int x = 24; x < 616; ++x) {
            const float top = Top + 4 * Noise(F(x) / 11, 1.5f, 81) + (x < 40 ? F(40 - x) * 0.6f : 0) + (x > 600 ? F(x - 600) * 0.6f : 0);
            const float bottom = Bottom - 3 * Noise(F(x) / 13, 2.5f, 82);
            const float fy = F(y) + 0.5f;
            if (fy < top || fy > bottom) continue;
            // The far wall of the gallery, in the dark.
            const float depthShade = (fy - top) / (bottom - top);
            c.Cell(x, y) = Mix(Scale(MineRock(x + 13, y + 7), 0.3f), Hex(0x1C1424), 0.3f + 0.3f * depthShade);
            if (fy > bottom - 5) c.Cell(x, y) = Mix(Hex(0x4C463E), Hex(0x2C2838), (bottom - fy) / 5);  // the floor
        }
    // The shaft, down from the surface, and its head frame.
    const float shaftL = 72, shaftR = 96;
    for (int y = static_cast<int>(GroundLine(84)) - 2; y < 420; ++y)
        for (int x = static_cast<int>(shaftL); x < static_cast<int>(shaftR); ++x) {
            const float t = (F(x) - shaftL) / (shaftR - shaftL);
            c.Cell(x, y) = Mix(Hex(0x1C1424), Hex(0x2C2838), t);
        }
    auto beam = [&](float x0, float y0, float x1, float y1, float w) {
        Mask m(W, H);
        const float dx = x1 - x0, dy = y1 - y0, len = std::hypot(dx, dy);
        const float nx = -dy / len * w / 2, ny = dx / len * w / 2;
        m.AddPolygon(Contour{{x0 + nx, y0 + ny}, {x1 + nx, y1 + ny}, {x1 - nx, y1 - ny}, {x0 - nx, y0 - ny}});
        c.Paint(m, [&](int x, int y) {
            // Lit on its upper left side.
            const float side = ((F(x) - x0) * nx + (F(y) - y0) * ny) / (w * w / 4);
            return side < 0 ? Hex(0x8A5A30) : Hex(0x4A2C16);
        });
    };
    // Timber lining of the shaft and the shoring of the gallery.
    beam(shaftL - 1, GroundLine(84) - 2, shaftL - 1, 420, 3);
    beam(shaftR + 1, GroundLine(84) - 2, shaftR + 1, 420, 3);
    for (float x : {150.0f, 290.0f, 440.0f, 572.0f}) {
        beam(x, 414, x, 462, 5);
        beam(x + 44, 414, x + 44, 462, 5);
        beam(x + 2, 426, x + 12, 416, 3);
        beam(x + 42, 426, x + 32, 416, 3);
        beam(x - 4, 413, x + 48, 413, 6);
    }
    // The head frame above the shaft: two legs, a cross beam and the wheel.
    const float g = GroundLine(84);
    beam(60, g + 2, 80, g - 50, 5);
    beam(108, g + 2, 88, g - 50, 5);
    beam(64, g - 20, 104, g - 20, 4);
    Mask wheel(W, H), hub(W, H);
    wheel.AddDisc(84, g - 54, 11);
    c.Paint(wheel, Hex(0x1C1424));
    Mask wheelIn(W, H);
    wheelIn.AddDisc(84, g - 54, 8);
    c.Paint(wheelIn, Hex(0x4A2C16));
    Mask wheelHole(W, H);
    wheelHole.AddDisc(84, g - 54, 6);
    c.Paint(wheelHole, [&](int x, int y) { return c.At(x, y); });
    hub.AddDisc(84, g - 54, 2.5f);
    c.Paint(hub, Hex(0x8A5A30));
    // The rope, from the wheel down the shaft into the gallery.
    Mask rope(W, H);
    rope.AddRect(93.5f, g - 54, 96, 452);
    c.Paint(rope, [&](int, int y) { return (y / 3) % 2 ? Hex(0xBCB094) : Hex(0x8A7E66); });
    // Gold in the rock.
    for (int i = 0; i < 22; ++i) {
        const float x = 20 + Hash01(i, 0, 91) * 600, y = 392 + Hash01(i, 1, 91) * 84;
        if (y > Top - 4 && y < Bottom + 4) continue;
        Mask nugget(W, H);
        nugget.AddDisc(x, y, 1.8f + 1.6f * Hash01(i, 2, 91));
        c.Paint(nugget, [&](int px, int py) {
            return (F(px) + F(py) < x + y - 1) ? Hex(0xFFF4A0) : (F(px) + F(py) < x + y + 1.5f ? Hex(0xFFD840) : Hex(0x9A6410));
        });
        c.Glow(x, y, 9, Hex(0xFFD840), 0.15f);
    }
    // A chest of treasure in the gallery.
    Mask chest(W, H), lid(W, H), bands(W, H);
    chest.AddRect(512, 444, 540, 461);
    lid.AddPolygon(Contour{{511, 444}, {513, 436}, {539, 436}, {541, 444}});
    c.Glow(526, 440, 40, Hex(0xFFD840), 0.25f);
    c.Paint(chest, [&](int x, int) { return x < 518 ? Hex(0x8A5A30) : Hex(0x6A4020); });
    c.Paint(lid, Hex(0x8A5A30));
    bands.AddRect(511, 443, 541, 445.5f);
    bands.AddRect(523.5f, 436, 528.5f, 461);
    c.Paint(bands, Hex(0xE0A020));
    Mask lock(W, H);
    lock.AddRect(524.5f, 446, 527.5f, 450);
    c.Paint(lock, Hex(0xFFF4A0));
    // A torch on the gallery wall.
    Torch(c, 366, 428, 0.7f, 1.4f);
    Mask holder(W, H);
    holder.AddRect(364.5f, 432, 367.5f, 444);
    c.Paint(holder, Hex(0x4A2C16));
    Hero(c, 124, 461);
}

TBitmap Cover() {
    Canvas c(W, H);
    CoverSky(c);
    FarDunes(c);
    Pyramid(c);
    Mine(c);
    Title(c, 12, 24, 7, 4);
    return c.ToBitmap();
}

// ---- "SFONDO": the hall of fame, a chamber of the pyramid lit by two torches

constexpr float TabletL = 116, TabletR = 524, TabletT = 46, TabletB = 438;

float TorchLight(float x, float y) {
    float light = 0.1f;
    for (float tx : {54.0f, 586.0f}) {
        const float d = std::hypot(x - tx, (y - 108) * 0.9f) / 300;
        light += 1.1f * std::max(0.0f, 1 - d) * std::max(0.0f, 1 - d);
    }
    return light;
}

TBitmap HallOfFame() {
    Canvas c(W, H);
    // The walls: big sandstone blocks in the torchlight.
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            constexpr int BH = 32, BW = 72;
            const int row = y / BH, yin = y % BH;
            const int xs = x + (row % 2) * BW / 2, col = xs / BW, xin = xs % BW;
            const float light = TorchLight(F(x), F(y));
            Rgbf stone = Scale(Hex(0xC89A48), 0.85f + 0.25f * Hash01(col, row, 5) + 0.18f * (Fbm(F(x) / 7, F(y) / 5, 6, 3) - 0.5f));
            if (yin == BH - 1 || xin == BW - 1) stone = Hex(0x5A3E1C);
            else if (yin == 0 || xin == 0) stone = Hex(0xE8C070);
            else if (yin == BH - 2 || xin == BW - 2) stone = Hex(0x9A7030);
            c.Cell(x, y) = Add(Scale(stone, light), Scale(Hex(0x1C1424), 0.6f));
        }
    // Friezes of carved signs above and below.
    for (float y0 : {6.0f, 444.0f}) {
        for (int y = static_cast<int>(y0); y < static_cast<int>(y0) + 30; ++y)
            for (int x = 0; x < W; ++x) {
                Rgbf& p = c.Cell(x, y);
                const float light = TorchLight(F(x), F(y)) * 0.8f + 0.15f;
                p = Add(Scale(Hex(0xC89A48), light * (0.95f + 0.1f * Fbm(F(x) / 6, F(y) / 4, 12, 2))), Scale(Hex(0x1C1424), 0.5f));
                if (y == static_cast<int>(y0)) p = Scale(p, 0.5f);
                if (y == static_cast<int>(y0) + 29) p = Scale(p, 1.35f);
            }
        int i = 0;
        for (float x = 8; x + 16 < F(W); x += 26, ++i) CarveSign(c, x, y0 + 5, 1, FriezeSigns[static_cast<size_t>(i) % FriezeSigns.size()], 0.8f);
    }
    // The tablet of names: dark polished stone behind the table, set in a
    // gold inlay, so the gold letters stand out.
    for (int y = static_cast<int>(TabletT) - 4; y <= static_cast<int>(TabletB) + 4; ++y)
        for (int x = static_cast<int>(TabletL) - 4; x <= static_cast<int>(TabletR) + 4; ++x) {
            const float fx = F(x), fy = F(y);
            Rgbf& p = c.Cell(x, y);
            const bool inside = fx >= TabletL && fx <= TabletR && fy >= TabletT && fy <= TabletB;
            if (!inside) {
                // The cut round it: shadow above and left, light below and right.
                const bool lower = fy > TabletB || fx > TabletR;
                p = lower ? Mix(p, Hex(0xE8C070), 0.35f) : Mix(p, Hex(0x1C1424), 0.75f);
                continue;
            }
            const float v = Fbm(fx / 40, fy / 40, 13, 4);
            p = Mix(Hex(0x1E1826), Hex(0x2A2030), v);
            // A soft sheen from the upper left.
            p = Add(p, Scale(Hex(0x2C2838), 0.35f * Clamp01(1 - (fx - TabletL + fy - TabletT) / 500)));
        }
    // The gold inlay.
    for (int i = 0; i < 2; ++i) {
        const float inset = 6 + F(i) * 3;
        for (int y = static_cast<int>(TabletT + inset); y <= static_cast<int>(TabletB - inset); ++y)
            for (int x = static_cast<int>(TabletL + inset); x <= static_cast<int>(TabletR - inset); ++x) {
                const bool edge = x == static_cast<int>(TabletL + inset) || x == static_cast<int>(TabletR - inset) ||
                                  y == static_cast<int>(TabletT + inset) || y == static_cast<int>(TabletB - inset);
                if (!edge) continue;
                const bool topLeft = x == static_cast<int>(TabletL + inset) || y == static_cast<int>(TabletT + inset);
                c.Cell(x, y) = i == 0 ? (topLeft ? Hex(0xE0A020) : Hex(0x9A6410)) : Hex(0x6A4410);
            }
    }
    // Faint ruling between the places of the table.
    for (int n = 1; n < 10; ++n) {
        const int y = 135 + 25 * (n - 1) + 20;
        for (int x = 150; x <= 490; ++x) {
            const float fade = Clamp01(F(std::min(x - 150, 490 - x)) / 40);
            c.Cell(x, y) = Mix(c.At(x, y), Hex(0x4A3A3A), 0.5f * fade);
        }
    }
    // Torches on the side walls, with their sconces, and gold ankhs below.
    for (float tx : {54.0f, 586.0f}) {
        Mask sconce(W, H);
        sconce.AddPolygon(Contour{{tx - 7, 118}, {tx + 7, 118}, {tx + 3, 132}, {tx + 2, 150}, {tx - 2, 150}, {tx - 3, 132}});
        c.Paint(sconce, [&](int x, int) { return F(x) < tx ? Hex(0x7C788C) : Hex(0x2C2838); });
        Torch(c, tx, 104, 1.3f, 0.0f);
        c.Glow(tx, 104, 40, Hex(0xFFC040), 0.5f);
        Mask ankh(W, H);
        ankh.AddRect(tx - 3, 268, tx + 3, 318);
        ankh.AddRect(tx - 14, 256, tx + 14, 262);
        Mask loop(W, H);
        loop.AddPolygon(std::vector<Contour>{
            Contour{{tx - 11, 241}, {tx - 7, 227}, {tx + 7, 227}, {tx + 11, 241}, {tx + 5, 256}, {tx - 5, 256}},
            Contour{{tx - 5, 241}, {tx - 3, 234}, {tx + 3, 234}, {tx + 5, 241}, {tx + 1.5f, 250}, {tx - 1.5f, 250}}});
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) ankh.Cell(x, y) = std::max(ankh.At(x, y), loop.At(x, y));
        ReliefStyle style;
        style.Bevel = 2.5f;
        style.Outline = 1.5f;
        style.ShadowDx = 3;
        style.ShadowDy = 3;
        style.ShadowAlpha = 0.6f;
        style.Dark = Hex(0x6A4410);
        style.Mid = Hex(0x9A6410);
        style.Light = Hex(0xE0A020);
        style.Shine = Hex(0xFFD840);
        style.Edge = Hex(0x1C1424);
        PaintRelief(c, ankh, style);
    }
    return c.ToBitmap();
}

// ---- "SFONDO1": the level choice, a dim night over the pyramid and the mine

TBitmap LevelChoice() {
    Canvas c(W, H);
    const std::array<Stop, 5> sky{{{0, Hex(0x0C1030)},
                                  {200, Hex(0x121842)},
                                  {320, Hex(0x1E1A4A)},
                                  {350, Hex(0x2A1E4C)},
                                  {480, Hex(0x1C1424)}}};
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) c.Cell(x, y) = Gradient(sky, F(y));
    // Faint stars: behind the captions they are no more than a glimmer.
    Stars(c, 19, 420, 350, [](float, float y) { return y < 22 ? 0.9f : 0.35f; });
    // A pale moon in the upper left corner, clear of the captions.
    c.Glow(34, 70, 70, Hex(0x6A7CB0), 0.3f);
    Mask moon(W, H);
    moon.AddDisc(34, 70, 14);
    c.Paint(moon, [](int x, int y) {
        return Mix(Hex(0xA0B4E0), Hex(0xDCE8FF), Clamp01(0.8f - 0.03f * (F(x) - 34 + F(y) - 70)));
    });
    // The pyramid on the left and the head frame of the mine on the right, as
    // dark shapes against the sky.
    const float horizon = 348;
    Mask pyramid(W, H);
    pyramid.AddPolygon(Contour{{-60, horizon}, {150, 170}, {360, horizon}});
    c.Paint(pyramid, [&](int x, int y) {
        const float frontX = 150 + (F(y) - 170) * 0.25f;
        const bool left = F(x) < frontX;
        const int course = (y - 170) / 9;
        Rgbf p = left ? Hex(0x44343A) : Hex(0x261C2C);
        if ((y - 170) % 9 == 8) p = Scale(p, 0.8f);
        if (left && (x + (course % 2) * 9) % 18 == 0) p = Scale(p, 0.88f);
        return p;
    });
    auto beam = [&](float x0, float y0, float x1, float y1, float w) {
        Mask m(W, H);
        const float dx = x1 - x0, dy = y1 - y0, len = std::hypot(dx, dy);
        const float nx = -dy / len * w / 2, ny = dx / len * w / 2;
        m.AddPolygon(Contour{{x0 + nx, y0 + ny}, {x1 + nx, y1 + ny}, {x1 - nx, y1 - ny}, {x0 - nx, y0 - ny}});
        c.Paint(m, Hex(0x161024));
    };
    beam(500, horizon, 536, 236, 6);
    beam(580, horizon, 544, 236, 6);
    beam(512, 300, 568, 300, 4);
    beam(522, 266, 558, 266, 4);
    Mask wheel(W, H);
    wheel.AddPolygon(std::vector<Contour>{Circle(540, 232, 14), Circle(540, 232, 10.5f)});
    c.Paint(wheel, Hex(0x161024));
    beam(527, 232, 553, 232, 2.5f);
    beam(540, 219, 540, 245, 2.5f);
    // The desert and the ground under it.
    Mask ground(W, H);
    Contour k;
    for (int x = 0; x <= W; x += 4) k.push_back({F(x), horizon + 3 * std::sin(F(x) * 0.02f)});
    k.push_back({F(W), F(H)});
    k.push_back({0, F(H)});
    ground.AddPolygon(k);
    c.Paint(ground, [&](int x, int y) {
        const float t = Clamp01((F(y) - horizon) / 60);
        Rgbf p = Mix(Hex(0x3A2C34), Hex(0x1E1622), t);
        // Soft dunes: their slopes facing the moon a shade lighter.
        const float dune = std::sin(F(x) * 0.018f - F(y) * 0.06f + 2 * Noise(F(x) / 80, F(y) / 40, 24));
        return Scale(p, 0.94f + 0.1f * Fbm(F(x) / 30, F(y) / 10, 23, 3) + 0.07f * dune);
    });
    // A thin line of moonlit sand along the horizon, between the captions and the scroller.
    for (int x = 0; x < W; ++x) {
        const int y = static_cast<int>(horizon + 3 * std::sin(F(x) * 0.02f));
        c.Cell(x, y) = Mix(c.At(x, y), Hex(0x9A7030), 0.5f);
    }
    // A border of small gold pyramids along the top.
    for (int x = 12; x < W - 12; x += 24) {
        Mask tri(W, H);
        tri.AddPolygon(Contour{{F(x), 16}, {F(x) + 7, 7}, {F(x) + 14, 16}});
        c.Paint(tri, [&](int px, int) { return F(px) < F(x) + 7 ? Hex(0xE0A020) : Hex(0x9A6410); }, 0.8f);
    }
    return c.ToBitmap();
}

}  // namespace

TBitmap DrawScene(std::string_view name) {
    if (name == "PANNELLO") return DrawPanel();
    if (name == "COPERTINA") return Cover();
    if (name == "SFONDO") return HallOfFame();
    if (name == "SFONDO1") return LevelChoice();
    return {};
}

}  // namespace tibo::assets
