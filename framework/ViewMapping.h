#pragma once
// Where the game's picture lies in a window, and the way between window points
// and the picture's pixels: plain arithmetic, tested without a display.
#include <cstdint>

namespace tibo {

// Where the back surface lies in the window. The back surface of SurfaceW x
// SurfaceH is shown in View (drawable pixels) of a drawable area of OutputW x
// OutputH pixels; the window itself measures WindowW x WindowH in the units of
// mouse events (equal to the pixels except on high-density screens).
struct TViewMapping {
    int SurfaceW = 640, SurfaceH = 480;
    int WindowW = 640, WindowH = 480;
    int OutputW = 640, OutputH = 480;
    struct TView { int X = 0, Y = 0, W = 0, H = 0; } View;

    // By whole multiples where the area holds at least twice the surface,
    // otherwise fitted keeping the surface's shape; centred in both cases.
    static TView Fit(int outputW, int outputH, int surfaceW, int surfaceH);
    static TViewMapping For(int surfaceW, int surfaceH, int windowW, int windowH, int outputW, int outputH);

    // A window point as a surface pixel. Points outside the picture give false,
    // or with `clamp` the nearest pixel of the surface.
    bool ToSurface(int x, int y, bool clamp, int& sx, int& sy) const;
    // The window point at the centre of a surface pixel.
    void ToWindow(int sx, int sy, int& x, int& y) const;
};

}  // namespace tibo
