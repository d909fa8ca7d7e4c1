#include "framework/ViewMapping.h"

#include <algorithm>

namespace tibo {

TViewMapping::TView TViewMapping::Fit(int outputW, int outputH, int surfaceW, int surfaceH) {
    TView v;
    if (outputW <= 0 || outputH <= 0 || surfaceW <= 0 || surfaceH <= 0) return v;
    if (outputW >= 2 * surfaceW && outputH >= 2 * surfaceH) {
        const int scale = std::min(outputW / surfaceW, outputH / surfaceH);
        v.W = surfaceW * scale;
        v.H = surfaceH * scale;
    } else if (static_cast<int64_t>(outputW) * surfaceH >= static_cast<int64_t>(outputH) * surfaceW) {
        // Wider than the surface: full height, borders left and right.
        v.H = outputH;
        v.W = static_cast<int>(static_cast<int64_t>(outputH) * surfaceW / surfaceH);
    } else {
        v.W = outputW;
        v.H = static_cast<int>(static_cast<int64_t>(outputW) * surfaceH / surfaceW);
    }
    v.X = (outputW - v.W) / 2;
    v.Y = (outputH - v.H) / 2;
    return v;
}

TViewMapping TViewMapping::For(int surfaceW, int surfaceH, int windowW, int windowH, int outputW, int outputH) {
    TViewMapping m;
    m.SurfaceW = surfaceW;
    m.SurfaceH = surfaceH;
    m.WindowW = windowW > 0 ? windowW : outputW;
    m.WindowH = windowH > 0 ? windowH : outputH;
    m.OutputW = outputW;
    m.OutputH = outputH;
    m.View = Fit(outputW, outputH, surfaceW, surfaceH);
    return m;
}

namespace {
int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }
}  // namespace

bool TViewMapping::ToSurface(int x, int y, bool clamp, int& sx, int& sy) const {
    if (View.W <= 0 || View.H <= 0 || WindowW <= 0 || WindowH <= 0) return false;
    // Window units to drawable pixels, then into the picture.
    const int64_t px = FloorDiv(static_cast<int64_t>(x) * OutputW, WindowW);
    const int64_t py = FloorDiv(static_cast<int64_t>(y) * OutputH, WindowH);
    int64_t ux = FloorDiv((px - View.X) * SurfaceW, View.W);
    int64_t uy = FloorDiv((py - View.Y) * SurfaceH, View.H);
    const bool inside = ux >= 0 && ux < SurfaceW && uy >= 0 && uy < SurfaceH;
    if (!inside && !clamp) return false;
    ux = std::clamp<int64_t>(ux, 0, SurfaceW - 1);
    uy = std::clamp<int64_t>(uy, 0, SurfaceH - 1);
    sx = static_cast<int>(ux);
    sy = static_cast<int>(uy);
    return true;
}

void TViewMapping::ToWindow(int sx, int sy, int& x, int& y) const {
    if (SurfaceW <= 0 || SurfaceH <= 0 || OutputW <= 0 || OutputH <= 0 || WindowW <= 0 || WindowH <= 0) {
        x = y = 0;
        return;
    }
    // The middle of the drawable pixels that show surface pixel s.
    const auto middle = [](int s, int start, int size, int surface) {
        const int64_t lo = -FloorDiv(-static_cast<int64_t>(s) * size, surface);        // ceil
        const int64_t hi = -FloorDiv(-static_cast<int64_t>(s + 1) * size, surface) - 1;
        return start + (hi >= lo ? (lo + hi) / 2 : FloorDiv(static_cast<int64_t>(s) * size, surface));
    };
    const int64_t px = middle(std::clamp(sx, 0, SurfaceW - 1), View.X, View.W, SurfaceW);
    const int64_t py = middle(std::clamp(sy, 0, SurfaceH - 1), View.Y, View.H, SurfaceH);
    // Back to window units, rounding up so that the way in lands on the same pixel.
    x = static_cast<int>(-FloorDiv(-px * WindowW, OutputW));
    y = static_cast<int>(-FloorDiv(-py * WindowH, OutputH));
}

}  // namespace tibo
