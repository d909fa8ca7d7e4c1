// The game's window through SDL: the back surface is shown scaled with
// nearest-neighbour sampling and black borders, either through a renderer and
// a streaming texture or scaled by us into the window's own pixels; SDL's
// events come out as the game's events.
#include <SDL.h>

#include <algorithm>
#include <bitset>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>

#include "framework/Errors.h"
#include "framework/Gamepad.h"
#include "framework/platform/GraphicsProbe.h"
#include "framework/platform/KeyMap.h"
#include "framework/platform/Platform.h"

namespace tibo {

std::string PlatformName() { return SDL_GetPlatform(); }

// --- where the picture lies -----------------------------------------------------

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

// --- scaling into the window's own pixels ------------------------------------------

namespace {
template <typename TPixel>
void ScaleRows(const uint16_t* picture, int w, int h, const TViewMapping::TView& view, uint8_t* buffer, int pitch,
               const uint32_t* table, const int* columns, int firstDy, int endDy) {
    uint8_t* const first = buffer + static_cast<ptrdiff_t>(view.Y) * pitch + static_cast<ptrdiff_t>(view.X) * sizeof(TPixel);
    const size_t rowBytes = static_cast<size_t>(view.W) * sizeof(TPixel);
    const int whole = view.W % w == 0 ? view.W / w : 0;   // a whole multiple across
    int lastSource = -1;
    const uint8_t* lastRow = nullptr;
    for (int dy = firstDy; dy < endDy; ++dy) {
        uint8_t* const rowStart = first + static_cast<ptrdiff_t>(dy) * pitch;
        const int sy = static_cast<int>(static_cast<int64_t>(dy) * h / view.H);
        if (sy == lastSource) {
            std::memcpy(rowStart, lastRow, rowBytes);
            continue;
        }
        auto* row = reinterpret_cast<TPixel*>(rowStart);
        const uint16_t* src = picture + static_cast<ptrdiff_t>(sy) * w;
        if (whole == 1) {
            for (int x = 0; x < w; ++x) row[x] = static_cast<TPixel>(table[src[x]]);
        } else if (whole == 2) {
            for (int x = 0; x < w; ++x) {
                const auto v = static_cast<TPixel>(table[src[x]]);
                row[2 * x] = v;
                row[2 * x + 1] = v;
            }
        } else if (whole > 2) {
            for (int x = 0; x < w; ++x) {
                const auto v = static_cast<TPixel>(table[src[x]]);
                std::fill_n(row + static_cast<ptrdiff_t>(x) * whole, whole, v);
            }
        } else {
            for (int dx = 0; dx < view.W; ++dx) row[dx] = static_cast<TPixel>(table[src[columns[dx]]]);
        }
        lastSource = sy;
        lastRow = rowStart;
    }
}

// The smallest d with d * h / viewH >= row (buffer row d shows picture row d * h / viewH).
int FirstBufferRowShowing(int row, int h, int viewH) {
    return static_cast<int>((static_cast<int64_t>(row) * viewH + h - 1) / h);
}
}  // namespace

void TPixelScaler::BufferRows(int h, int viewH, int firstRow, int endRow, int& first, int& end) {
    if (h <= 0 || viewH <= 0) {
        first = end = 0;
        return;
    }
    if (endRow < 0 || endRow > h) endRow = h;
    firstRow = std::clamp(firstRow, 0, endRow);
    first = FirstBufferRowShowing(firstRow, h, viewH);
    end = endRow >= h ? viewH : FirstBufferRowShowing(endRow, h, viewH);
}

void TPixelScaler::Scale(const uint16_t* picture, int w, int h, const TViewMapping::TView& view, uint8_t* buffer,
                         int pitch, int bytesPerPixel, int firstRow, int endRow) {
    if (picture == nullptr || buffer == nullptr || w <= 0 || h <= 0 || view.W <= 0 || view.H <= 0) return;
    if (Table.size() < 65536) return;
    if (ColumnsFor_[0] != w || ColumnsFor_[1] != view.W) {
        Columns_.resize(static_cast<size_t>(view.W));
        for (int dx = 0; dx < view.W; ++dx) {
            Columns_[static_cast<size_t>(dx)] = static_cast<int>(static_cast<int64_t>(dx) * w / view.W);
        }
        ColumnsFor_[0] = w;
        ColumnsFor_[1] = view.W;
    }
    int firstDy = 0, endDy = 0;
    BufferRows(h, view.H, firstRow, endRow, firstDy, endDy);
    if (bytesPerPixel == 4) {
        ScaleRows<uint32_t>(picture, w, h, view, buffer, pitch, Table.data(), Columns_.data(), firstDy, endDy);
    } else if (bytesPerPixel == 2) {
        ScaleRows<uint16_t>(picture, w, h, view, buffer, pitch, Table.data(), Columns_.data(), firstDy, endDy);
    }
}

// --- the window -------------------------------------------------------------------

namespace {

int64_t MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

void SleepUntilNs(int64_t dueNs) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(dueNs / 1000000000);
    ts.tv_nsec = static_cast<long>(dueNs % 1000000000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

using TPresentation = TWindowOptions::TPresentation;

TPresentation PresentationWanted(TPresentation asked) {
    if (asked != TPresentation::Auto) return asked;
    const char* env = std::getenv("TIBO_PRESENT");
    if (env != nullptr && std::string_view(env) == "renderer") return TPresentation::Renderer;
    if (env != nullptr && std::string_view(env) == "framebuffer") return TPresentation::Framebuffer;
    return TPresentation::Auto;
}

// Whether a renderer draws with the processor: SDL's own software renderer,
// or OpenGL on a software rasteriser (what a bare X server offers).
bool DrawsInSoftware(SDL_Renderer* renderer) {
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer, &info) != 0) return true;
    const std::string_view name = info.name != nullptr ? info.name : "";
    if (name == "software") return true;
    if (name.substr(0, 6) != "opengl") return false;
    using TGetString = const unsigned char* (*)(unsigned int);
    const auto getString = reinterpret_cast<TGetString>(SDL_GL_GetProcAddress("glGetString"));
    if (getString == nullptr) return false;
    const unsigned char* text = getString(0x1F01);   // GL_RENDERER
    if (text == nullptr) return false;
    const std::string_view gl(reinterpret_cast<const char*>(text));
    for (const std::string_view soft : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast", "SWR"}) {
        if (gl.find(soft) != std::string_view::npos) return true;
    }
    return false;
}

// Video drivers that show nothing on any screen: they serve only when asked
// for by name (SDL_VIDEODRIVER), never as the fallback of a machine without a
// display, where the game would run on unseen and never get the focus.
bool ShowsNothing(std::string_view driver) {
    return driver == "offscreen" || driver == "dummy" || driver == "evdev";
}

bool HasEnv(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Unless SDL_VIDEODRIVER names the drivers, SDL may try only those that show a
// window, in its own order; Wayland only where a compositor can be reached
// (otherwise its library complains on the standard error). Returns whether the
// drivers were named by the user.
bool ChooseVideoDrivers() {
    const char* named = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (named != nullptr && *named != '\0') return true;
    const bool wayland = HasEnv("WAYLAND_DISPLAY") || HasEnv("WAYLAND_SOCKET") || HasEnv("XDG_RUNTIME_DIR");
    std::string list;
    for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
        const std::string_view driver = SDL_GetVideoDriver(i);
        if (ShowsNothing(driver) || (driver == "wayland" && !wayland)) continue;
        if (!list.empty()) list += ',';
        list += driver;
    }
    // An empty list would let SDL take any driver: name one that cannot start.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, list.empty() ? "none" : list.c_str());
    return false;
}

std::string NoDisplayMessage() {
    std::string where;
    if (HasEnv("DISPLAY")) {
        where = Format(" (the X server of DISPLAY=%s cannot be reached)", std::getenv("DISPLAY"));
    } else if (!HasEnv("WAYLAND_DISPLAY")) {
        where = " (DISPLAY and WAYLAND_DISPLAY are not set)";
    }
    return "No display was found" + where + ": the game needs an X11 or Wayland desktop to show its window. "
           "tibo --headless runs without a window.";
}

// Hands the desktop the window's icon; the colour of its top-left corner is
// see-through, so the rounded shape stands on any desktop. A picture that cannot
// be made into an SDL surface leaves the desktop's own icon: the game runs on.
void SetWindowIcon(SDL_Window* window, const TBitmap& icon) {
    if (icon.Empty()) return;
    const auto w = static_cast<size_t>(icon.Width);
    if (icon.Pixels.size() != w * static_cast<size_t>(icon.Height)) return;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, icon.Width, icon.Height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (surface == nullptr) return;
    const TColor clear = icon.Pixels.front();
    auto* pixels = static_cast<uint8_t*>(surface->pixels);
    for (int y = 0; y < icon.Height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(pixels + static_cast<size_t>(y) * static_cast<size_t>(surface->pitch));
        for (size_t x = 0; x < w; ++x) {
            const TColor c = icon.Pixels[static_cast<size_t>(y) * w + x];
            row[x] = c == clear ? 0u : (0xFF000000u | c);
        }
    }
    SDL_SetWindowIcon(window, surface);
    SDL_FreeSurface(surface);
}

class TSdlWindow final : public TPlatformWindow {
public:
    explicit TSdlWindow(const TWindowOptions& options);
    ~TSdlWindow() override;
    TSdlWindow(const TSdlWindow&) = delete;
    TSdlWindow& operator=(const TSdlWindow&) = delete;

    bool Present(const TSurface& back) override;
    bool Lost() const override { return Lost_; }
    bool Restore() override;
    bool Active() const override { return Focused_ && !Minimized_; }

    std::optional<TPlatformEvent> PollEvent() override;
    void WaitEvent(int timeoutMs) override;
    bool WaitUntil(int64_t dueMs) override;
    void SetCursorVisible(bool visible) override { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }
    void WarpMouse(int x, int y) override;
    void ToggleFullScreen() override;
    bool FullScreen() const override {
        return (SDL_GetWindowFlags(Window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
    }
    bool Minimized() const override { return Minimized_; }
    bool Focused() const override { return Focused_; }
    TViewMapping Mapping() const override;
    const char* PresentationName() const override { return Framebuffer_ ? "framebuffer" : "renderer"; }

private:
    void ChoosePresentation();
    bool MakeRenderer();
    void DropRenderer();
    bool MakeTexture(int w, int h);
    void Show();
    bool PresentToFramebuffer(const TSurface& back);
    void WindowedSize(int& w, int& h) const;
    void CleanUp();
    std::optional<TPlatformEvent> Translate(const SDL_Event& e);
    std::optional<TPlatformEvent> KeyEvent(const SDL_KeyboardEvent& k, bool down);
    std::optional<TPlatformEvent> ActivationChange();
    std::optional<TPlatformEvent> PadEvent(const SDL_Event& e);
    void ClosePads();
    void ReadWindowState() {
        const Uint32 flags = SDL_GetWindowFlags(Window_);
        Focused_ = (flags & SDL_WINDOW_INPUT_FOCUS) != 0;
        Minimized_ = (flags & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN)) != 0;
    }

    TWindowOptions Options_;
    bool GamepadsOpen_ = false;
    std::vector<SDL_GameController*> Pads_;   // every controller plugged in
    int StickX_ = 0, StickY_ = 0;             // the left stick last moved
    SDL_Window* Window_ = nullptr;
    // Renderer path.
    SDL_Renderer* Renderer_ = nullptr;
    SDL_Texture* Texture_ = nullptr;
    int TextureW_ = 0, TextureH_ = 0;
    // Framebuffer path: our own scaling into the window's pixels.
    bool Framebuffer_ = false;
    TPixelScaler Scaler_;
    Uint32 TableFormat_ = SDL_PIXELFORMAT_UNKNOWN;
    SDL_Surface* LastTarget_ = nullptr;
    int LastTargetW_ = 0, LastTargetH_ = 0;
    TViewMapping::TView LastView_;
    int PictureW_ = 0, PictureH_ = 0;
    std::vector<uint16_t> Shown_;   // the picture last put into the window's pixels

    bool Lost_ = false;
    bool HaveFrame_ = false;   // a picture has been shown and can be shown again
    bool Focused_ = false;
    bool Minimized_ = false;
    bool ReportedActive_ = false;
    bool QuitFromClose_ = false;
    std::optional<SDL_Event> Pending_;
    std::bitset<SDL_NUM_SCANCODES> Pressed_;    // keys reported down to the game
    std::bitset<SDL_NUM_SCANCODES> Swallowed_;  // presses the window kept (full-screen toggles)
};

TSdlWindow::TSdlWindow(const TWindowOptions& options) : Options_(options) {
    if (Options_.Width <= 0 || Options_.Height <= 0) {
        throw EDisplayError(Format(msg::DisplayModeError, Options_.Width, Options_.Height, 16));
    }
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    // The game reads keys, never typed text: the table of compose sequences
    // that X11's input method parses as SDL starts the keyboard (about 10 ms
    // of the start-up) is of no use to it. An empty one, unless the user names
    // a table. (No other thread runs yet to read the environment meanwhile.)
    ::setenv("XCOMPOSEFILE", "/dev/null", 0);
    const bool driverNamed = ChooseVideoDrivers();
    const int started = SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    if (!driverNamed) SDL_ResetHint(SDL_HINT_VIDEODRIVER);
    if (started != 0) {
        if (!driverNamed) throw EDisplayError(NoDisplayMessage());
        throw EDisplayError(Format("Window cannot be made: %s", SDL_GetError()));
    }
    // Game controllers are optional: the game runs without them.
    GamepadsOpen_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    // More controllers' mappings, read and checked by the caller (those plugged
    // in already are announced as added once events are read).
    if (GamepadsOpen_ && !Options_.GamepadMappings.empty()) {
        SDL_RWops* mappings = SDL_RWFromConstMem(Options_.GamepadMappings.data(), static_cast<int>(Options_.GamepadMappings.size()));
        if (mappings != nullptr) SDL_GameControllerAddMappingsFromRW(mappings, 1);
    }

    int w = Options_.Width, h = Options_.Height;
    WindowedSize(w, h);
    Uint32 flags = SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    if (!Options_.Windowed) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    // Full screen starts at the display's corner: with no window manager to
    // move it there, a centred window would keep its place and hang off the screen.
    int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
    SDL_Rect bounds{};
    if (!Options_.Windowed && SDL_GetDisplayBounds(0, &bounds) == 0) {
        x = bounds.x;
        y = bounds.y;
    }
    Window_ = SDL_CreateWindow(Options_.Title.c_str(), x, y, w, h, flags);
    if (Window_ == nullptr) {
        const std::string why = SDL_GetError();
        CleanUp();
        throw EDisplayError(Format("Window cannot be made: %s", why.c_str()));
    }
    SetWindowIcon(Window_, Options_.Icon);
    SDL_SetWindowMinimumSize(Window_, std::max(Options_.Width / 4, 1), std::max(Options_.Height / 4, 1));
    ChoosePresentation();
    if (!Framebuffer_ && Renderer_ == nullptr) {
        const std::string why = SDL_GetError();
        CleanUp();
        throw EDisplayError(Format("Renderer cannot be made: %s", why.c_str()));
    }
    // Take the focus ourselves: with no window manager (a bare X server) nobody
    // else gives it, and without it the game would not run.
    SDL_ShowWindow(Window_);
    SDL_RaiseWindow(Window_);
    SDL_SetWindowInputFocus(Window_);
    SDL_PumpEvents();
    ReadWindowState();
    ReportedActive_ = Active();
    // Black until the first picture.
    if (Renderer_ != nullptr) {
        SDL_SetRenderDrawColor(Renderer_, 0, 0, 0, 255);
        SDL_RenderClear(Renderer_);
        SDL_RenderPresent(Renderer_);
    }
}

TSdlWindow::~TSdlWindow() { CleanUp(); }

void TSdlWindow::CleanUp() {
    DropRenderer();
    if (Window_ != nullptr) SDL_DestroyWindow(Window_);
    Window_ = nullptr;
    ClosePads();
    if (GamepadsOpen_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    GamepadsOpen_ = false;
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

void TSdlWindow::ChoosePresentation() {
    const TPresentation wanted = PresentationWanted(Options_.Presentation);
    // Where the desktop plainly has no graphics card to offer, the renderer is
    // not even tried: making it loads the whole OpenGL stack (tens of
    // milliseconds, about 60 MiB) only to find it draws in software. Where
    // there may be one, the renderer made has the last word.
    const bool tryRenderer = wanted == TPresentation::Renderer ||
                             (wanted == TPresentation::Auto && AccelerationLikely(Window_));
    if (tryRenderer) {
        if (MakeRenderer() && (wanted == TPresentation::Renderer || !DrawsInSoftware(Renderer_))) return;
        DropRenderer();
    }
    // Scaled by us into the window's pixels, which SDL must then hand to the
    // X server directly rather than through a (software) GL texture.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_GetWindowSurface(Window_) != nullptr) {
        Framebuffer_ = true;
        return;
    }
    // No window pixels either: any renderer will do.
    if (wanted == TPresentation::Framebuffer) MakeRenderer();
}

bool TSdlWindow::MakeRenderer() {
    const Uint32 vsync = Options_.VSync ? SDL_RENDERER_PRESENTVSYNC : 0;
    Renderer_ = SDL_CreateRenderer(Window_, -1, SDL_RENDERER_ACCELERATED | vsync);
    if (Renderer_ == nullptr) Renderer_ = SDL_CreateRenderer(Window_, -1, vsync);
    if (Renderer_ == nullptr) Renderer_ = SDL_CreateRenderer(Window_, -1, 0);
    if (Renderer_ == nullptr) return false;
    return MakeTexture(Options_.Width, Options_.Height);
}

bool TSdlWindow::MakeTexture(int w, int h) {
    if (Texture_ != nullptr) SDL_DestroyTexture(Texture_);
    Texture_ = SDL_CreateTexture(Renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, w, h);
    HaveFrame_ = false;
    TextureW_ = Texture_ != nullptr ? w : 0;
    TextureH_ = Texture_ != nullptr ? h : 0;
    if (Texture_ != nullptr) SDL_SetTextureScaleMode(Texture_, SDL_ScaleModeNearest);
    return Texture_ != nullptr;
}

void TSdlWindow::DropRenderer() {
    if (Texture_ != nullptr) SDL_DestroyTexture(Texture_);
    if (Renderer_ != nullptr) SDL_DestroyRenderer(Renderer_);
    Texture_ = nullptr;
    Renderer_ = nullptr;
    TextureW_ = TextureH_ = 0;
    if (!Framebuffer_) HaveFrame_ = false;
}

void TSdlWindow::WindowedSize(int& w, int& h) const {
    // The largest whole multiple of the surface that fits the usable desktop.
    SDL_Rect usable{};
    const int display = Window_ != nullptr ? std::max(SDL_GetWindowDisplayIndex(Window_), 0) : 0;
    if (SDL_GetDisplayUsableBounds(display, &usable) != 0) {
        SDL_DisplayMode mode{};
        if (SDL_GetDesktopDisplayMode(display, &mode) == 0) {
            usable.w = mode.w;
            usable.h = mode.h;
        }
    }
    int scale = 1;
    if (usable.w > 0 && usable.h > 0) scale = std::max(1, std::min(usable.w / Options_.Width, usable.h / Options_.Height));
    w = Options_.Width * scale;
    h = Options_.Height * scale;
}

TViewMapping TSdlWindow::Mapping() const {
    int ww = 0, wh = 0, ow = 0, oh = 0;
    SDL_GetWindowSize(Window_, &ww, &wh);
    if (Renderer_ == nullptr || SDL_GetRendererOutputSize(Renderer_, &ow, &oh) != 0) {
        SDL_GetWindowSizeInPixels(Window_, &ow, &oh);
    }
    int sw = Options_.Width, sh = Options_.Height;
    if (TextureW_ > 0) {
        sw = TextureW_;
        sh = TextureH_;
    } else if (PictureW_ > 0) {
        sw = PictureW_;
        sh = PictureH_;
    }
    return TViewMapping::For(sw, sh, ww, wh, ow, oh);
}

void TSdlWindow::Show() {
    if (Framebuffer_) {
        if (SDL_GetWindowSurface(Window_) == LastTarget_) SDL_UpdateWindowSurface(Window_);
        return;
    }
    const TViewMapping m = Mapping();
    const SDL_Rect dest{m.View.X, m.View.Y, m.View.W, m.View.H};
    SDL_SetRenderDrawColor(Renderer_, 0, 0, 0, 255);
    SDL_RenderClear(Renderer_);
    SDL_RenderCopy(Renderer_, Texture_, nullptr, &dest);
    SDL_RenderPresent(Renderer_);
}

namespace {
// Black around the view; the view itself is about to be painted over.
void ClearBorders(uint8_t* pixels, int pitch, int w, int h, int bytesPerPixel, const TViewMapping::TView& view) {
    const auto row = [&](int y) { return pixels + static_cast<ptrdiff_t>(y) * pitch; };
    const auto rowBytes = static_cast<size_t>(w) * static_cast<size_t>(bytesPerPixel);
    for (int y = 0; y < h; ++y) {
        if (y < view.Y || y >= view.Y + view.H) {
            std::memset(row(y), 0, rowBytes);
            continue;
        }
        const auto left = static_cast<size_t>(view.X) * static_cast<size_t>(bytesPerPixel);
        const auto right = static_cast<size_t>(view.X + view.W) * static_cast<size_t>(bytesPerPixel);
        std::memset(row(y), 0, left);
        if (right < rowBytes) std::memset(row(y) + right, 0, rowBytes - right);
    }
}
}  // namespace

bool TSdlWindow::PresentToFramebuffer(const TSurface& back) {
    SDL_Surface* target = SDL_GetWindowSurface(Window_);
    if (target == nullptr) return false;
    const int bpp = target->format->BytesPerPixel;
    if (bpp != 2 && bpp != 4) {
        // An unusual display: let SDL convert and scale (slowly, but right).
        SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(
            const_cast<uint16_t*>(back.Bits()), back.Width(), back.Height(), 16, back.Width() * 2, SDL_PIXELFORMAT_RGB565);
        if (picture == nullptr) return false;
        PictureW_ = back.Width();
        PictureH_ = back.Height();
        const TViewMapping m = Mapping();
        SDL_Rect dest{m.View.X, m.View.Y, m.View.W, m.View.H};
        SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
        SDL_BlitScaled(picture, nullptr, target, &dest);
        SDL_FreeSurface(picture);
        SDL_UpdateWindowSurface(Window_);
        LastTarget_ = target;
        HaveFrame_ = true;
        return true;
    }
    if (target->format->format != TableFormat_) {
        Scaler_.Table.resize(65536);
        for (uint32_t c = 0; c < 65536; ++c) {
            const uint32_t r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
            Scaler_.Table[c] = SDL_MapRGB(target->format, static_cast<Uint8>((r << 3) | (r >> 2)),
                                          static_cast<Uint8>((g << 2) | (g >> 4)), static_cast<Uint8>((b << 3) | (b >> 2)));
        }
        TableFormat_ = target->format->format;
        LastTarget_ = nullptr;
    }
    PictureW_ = back.Width();
    PictureH_ = back.Height();
    const TViewMapping m = Mapping();
    // The picture fills the view; the borders are painted when they change.
    TViewMapping::TView view = m.View;
    view.W = std::min(view.W, target->w - view.X);
    view.H = std::min(view.H, target->h - view.Y);
    if (view.W <= 0 || view.H <= 0) return false;
    if (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0) return false;
    const bool newBorders = target != LastTarget_ || target->w != LastTargetW_ || target->h != LastTargetH_ ||
                            view.X != LastView_.X || view.Y != LastView_.Y || view.W != LastView_.W ||
                            view.H != LastView_.H;
    const int w = back.Width(), h = back.Height();
    const uint16_t* const bits = back.Bits();
    const size_t pixels = static_cast<size_t>(w) * static_cast<size_t>(h);
    auto* const dst = static_cast<uint8_t*>(target->pixels);
    if (newBorders || Shown_.size() != pixels) {
        ClearBorders(dst, target->pitch, target->w, target->h, bpp, view);
        Scaler_.Scale(bits, w, h, view, dst, target->pitch, bpp);
        Shown_.assign(bits, bits + pixels);
        if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
        SDL_UpdateWindowSurface(Window_);
    } else {
        // Only the rows that changed since the last picture are scaled and
        // sent: most frames leave much of the screen as it was.
        constexpr int MaxSpans = 16;
        SDL_Rect spans[MaxSpans];
        int count = 0;
        const size_t rowBytes = static_cast<size_t>(w) * sizeof(uint16_t);
        int y = 0;
        while (y < h) {
            const auto same = [&](int row) {
                const size_t at = static_cast<size_t>(row) * static_cast<size_t>(w);
                return std::memcmp(bits + at, Shown_.data() + at, rowBytes) == 0;
            };
            while (y < h && same(y)) ++y;
            if (y >= h) break;
            int end = y + 1;
            // Runs of changed rows, joined across short gaps of unchanged ones.
            for (int gap = 0; end < h && gap < 8; ++end) gap = same(end) ? gap + 1 : 0;
            while (end > y + 1 && same(end - 1)) --end;
            if (count == MaxSpans - 1) end = h;   // the last span takes the rest
            const size_t from = static_cast<size_t>(y) * static_cast<size_t>(w);
            std::memcpy(Shown_.data() + from, bits + from, static_cast<size_t>(end - y) * rowBytes);
            Scaler_.Scale(bits, w, h, view, dst, target->pitch, bpp, y, end);
            int first = 0, stop = 0;
            TPixelScaler::BufferRows(h, view.H, y, end, first, stop);
            if (stop > first) spans[count++] = SDL_Rect{view.X, view.Y + first, view.W, stop - first};
            y = end;
        }
        if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
        if (count > 0) SDL_UpdateWindowSurfaceRects(Window_, spans, count);
    }
    LastTarget_ = target;
    LastTargetW_ = target->w;
    LastTargetH_ = target->h;
    LastView_ = view;
    HaveFrame_ = true;
    return true;
}

bool TSdlWindow::Present(const TSurface& back) {
    if (Lost_ || !back.Valid()) return false;
    if (Framebuffer_) return PresentToFramebuffer(back);
    if (Renderer_ == nullptr) return false;
    if (back.Width() != TextureW_ || back.Height() != TextureH_) {
        if (!MakeTexture(back.Width(), back.Height())) return false;
    }
    if (SDL_UpdateTexture(Texture_, nullptr, back.Bits(), back.Width() * 2) != 0) return false;
    HaveFrame_ = true;
    Show();
    return true;
}

bool TSdlWindow::Restore() {
    if (!Lost_) return true;
    if (!Framebuffer_) {
        DropRenderer();
        if (!MakeRenderer()) {
            DropRenderer();
            return false;
        }
    }
    Lost_ = false;
    return true;
}

void TSdlWindow::WarpMouse(int x, int y) {
    int wx = 0, wy = 0;
    Mapping().ToWindow(x, y, wx, wy);
    SDL_WarpMouseInWindow(Window_, wx, wy);
}

void TSdlWindow::ToggleFullScreen() {
    if (FullScreen()) {
        SDL_SetWindowFullscreen(Window_, 0);
        int w = 0, h = 0;
        WindowedSize(w, h);
        SDL_SetWindowSize(Window_, w, h);
        SDL_SetWindowPosition(Window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    } else {
        // To the display's corner first (see the constructor).
        SDL_Rect bounds{};
        if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(Window_), 0), &bounds) == 0) {
            SDL_SetWindowPosition(Window_, bounds.x, bounds.y);
        }
        SDL_SetWindowFullscreen(Window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
    SDL_RaiseWindow(Window_);
    SDL_SetWindowInputFocus(Window_);
}

std::optional<TPlatformEvent> TSdlWindow::PollEvent() {
    for (;;) {
        SDL_Event e;
        if (Pending_) {
            e = *Pending_;
            Pending_.reset();
        } else if (SDL_PollEvent(&e) == 0) {
            return std::nullopt;
        }
        if (auto event = Translate(e)) return event;
    }
}

void TSdlWindow::WaitEvent(int timeoutMs) {
    if (Pending_) return;
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, std::max(timeoutMs, 0)) != 0) Pending_ = e;
}

bool TSdlWindow::WaitUntil(int64_t dueMs) {
    const int64_t dueNs = dueMs * 1000000;
    for (;;) {
        if (!Pending_) {
            SDL_Event e;
            if (SDL_PollEvent(&e) != 0) Pending_ = e;
        }
        if (Pending_) return true;
        const int64_t left = dueNs - MonotonicNs();
        if (left <= 0) return false;
        if (left > 2000000) {
            // Wait for events until about a millisecond before the time...
            SDL_Event e;
            const int ms = static_cast<int>((left - 1000000) / 1000000);
            if (SDL_WaitEventTimeout(&e, ms) != 0) {
                Pending_ = e;
                return true;
            }
            continue;
        }
        // ...and sleep the rest to the exact time: the event wait is coarse.
        SleepUntilNs(dueNs);
        return false;
    }
}

std::optional<TPlatformEvent> TSdlWindow::ActivationChange() {
    const bool active = Active();
    if (active == ReportedActive_) return std::nullopt;
    ReportedActive_ = active;
    TPlatformEvent ev;
    ev.Type = active ? TPlatformEvent::Kind::Activated : TPlatformEvent::Kind::Deactivated;
    return ev;
}

std::optional<TPlatformEvent> TSdlWindow::KeyEvent(const SDL_KeyboardEvent& k, bool down) {
    const SDL_Scancode sc = k.keysym.scancode;
    if (sc < 0 || sc >= SDL_NUM_SCANCODES) return std::nullopt;
    const auto bit = static_cast<size_t>(sc);
    if (down) {
        // Alt+Enter and F11 switch between full screen and a window; the game
        // sees neither the press, nor its repeats, nor its release.
        if (Swallowed_.test(bit)) return std::nullopt;
        const bool enter = sc == SDL_SCANCODE_RETURN || sc == SDL_SCANCODE_KP_ENTER;
        const bool alt = (k.keysym.mod & KMOD_ALT) != 0;
        if ((enter && alt) || sc == SDL_SCANCODE_F11) {
            if (k.repeat != 0) return std::nullopt;   // a key held before the toggle: not a toggle
            Swallowed_.set(bit);
            ToggleFullScreen();
            return std::nullopt;
        }
    } else if (Swallowed_.test(bit)) {
        Swallowed_.reset(bit);
        return std::nullopt;
    }

    const int vk = VirtualKeyFromScancode(sc);
    if (vk == 0) return std::nullopt;
    TPlatformEvent ev;
    ev.Key = vk;
    if (down) {
        Pressed_.set(bit);
        ev.Type = TPlatformEvent::Kind::KeyDown;
        ev.Repeat = k.repeat != 0;
        return ev;
    }
    Pressed_.reset(bit);
    // Both Shift keys (Ctrl, Alt, Enter) give one code: it goes up with the last.
    for (size_t other = 0; other < Pressed_.size(); ++other) {
        if (Pressed_.test(other) && VirtualKeyFromScancode(static_cast<int>(other)) == vk) return std::nullopt;
    }
    ev.Type = TPlatformEvent::Kind::KeyUp;
    return ev;
}

std::optional<TPlatformEvent> TSdlWindow::Translate(const SDL_Event& e) {
    TPlatformEvent ev;
    switch (e.type) {
        case SDL_QUIT:
            // Closing the window already said so.
            if (QuitFromClose_) {
                QuitFromClose_ = false;
                return std::nullopt;
            }
            ev.Type = TPlatformEvent::Kind::Quit;
            return ev;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            return KeyEvent(e.key, e.type == SDL_KEYDOWN);
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            // Clicks on the black borders are nobody's.
            if (!Mapping().ToSurface(e.button.x, e.button.y, false, ev.X, ev.Y)) return std::nullopt;
            ev.Type = e.type == SDL_MOUSEBUTTONDOWN ? TPlatformEvent::Kind::MouseDown : TPlatformEvent::Kind::MouseUp;
            ev.Button = e.button.button;   // SDL counts 1 left, 2 middle, 3 right too
            return ev;
        }
        case SDL_MOUSEMOTION:
            if (!Mapping().ToSurface(e.motion.x, e.motion.y, true, ev.X, ev.Y)) return std::nullopt;
            ev.Type = TPlatformEvent::Kind::MouseMove;
            return ev;
        case SDL_CONTROLLERDEVICEADDED:
        case SDL_CONTROLLERDEVICEREMOVED:
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
        case SDL_CONTROLLERAXISMOTION:
            return PadEvent(e);
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET:
            if (Framebuffer_) return std::nullopt;
            Lost_ = true;
            ev.Type = TPlatformEvent::Kind::RenderReset;
            return ev;
        case SDL_WINDOWEVENT:
            switch (e.window.event) {
                case SDL_WINDOWEVENT_CLOSE:
                    QuitFromClose_ = true;
                    ev.Type = TPlatformEvent::Kind::Quit;
                    return ev;
                case SDL_WINDOWEVENT_EXPOSED:
                    // Show the last picture again (the game may be paused in the background).
                    if (!Lost_ && HaveFrame_) Show();
                    break;
                default: break;
            }
            // Focus and minimising as they are now, not as the event says:
            // events still queued from before (the window's re-creation while
            // the renderer was tried, say) must not flip the game back and forth.
            ReadWindowState();
            return ActivationChange();
        default:
            return std::nullopt;
    }
}

// --- game controllers ------------------------------------------------------------
// Thin on purpose: SDL's controller events become the game's pad events, and
// the game does the rest where it can be tested without a controller.

void TSdlWindow::ClosePads() {
    for (SDL_GameController* pad : Pads_) SDL_GameControllerClose(pad);
    Pads_.clear();
}

std::optional<TPlatformEvent> TSdlWindow::PadEvent(const SDL_Event& e) {
    TPlatformEvent ev;
    switch (e.type) {
        case SDL_CONTROLLERDEVICEADDED: {
            // Announced once for every controller there at the start, then on
            // every plug-in; `which` is the device index here.
            SDL_GameController* pad = SDL_GameControllerOpen(e.cdevice.which);
            if (pad == nullptr) return std::nullopt;
            if (std::find(Pads_.begin(), Pads_.end(), pad) != Pads_.end()) SDL_GameControllerClose(pad);  // opened twice
            else Pads_.push_back(pad);
            return std::nullopt;
        }
        case SDL_CONTROLLERDEVICEREMOVED: {
            // `which` is the instance id here.
            const auto it = std::find_if(Pads_.begin(), Pads_.end(), [&](SDL_GameController* pad) {
                return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad)) == e.cdevice.which;
            });
            if (it == Pads_.end()) return std::nullopt;
            SDL_GameControllerClose(*it);
            Pads_.erase(it);
            StickX_ = StickY_ = 0;
            ev.Type = TPlatformEvent::Kind::PadRemoved;
            return ev;
        }
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: {
            TPadButton button{};
            switch (e.cbutton.button) {
                case SDL_CONTROLLER_BUTTON_A: button = TPadButton::South; break;
                case SDL_CONTROLLER_BUTTON_B: button = TPadButton::East; break;
                case SDL_CONTROLLER_BUTTON_X: button = TPadButton::West; break;
                case SDL_CONTROLLER_BUTTON_Y: button = TPadButton::North; break;
                case SDL_CONTROLLER_BUTTON_START: button = TPadButton::Start; break;
                case SDL_CONTROLLER_BUTTON_BACK: button = TPadButton::Back; break;
                case SDL_CONTROLLER_BUTTON_DPAD_UP: button = TPadButton::Up; break;
                case SDL_CONTROLLER_BUTTON_DPAD_DOWN: button = TPadButton::Down; break;
                case SDL_CONTROLLER_BUTTON_DPAD_LEFT: button = TPadButton::Left; break;
                case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: button = TPadButton::Right; break;
                default: return std::nullopt;
            }
            ev.Type = e.type == SDL_CONTROLLERBUTTONDOWN ? TPlatformEvent::Kind::PadDown : TPlatformEvent::Kind::PadUp;
            ev.Button = static_cast<int>(button);
            return ev;
        }
        case SDL_CONTROLLERAXISMOTION:
            if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) StickX_ = e.caxis.value;
            else if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) StickY_ = e.caxis.value;
            else return std::nullopt;
            ev.Type = TPlatformEvent::Kind::PadStick;
            ev.X = StickX_;
            ev.Y = StickY_;
            return ev;
        default:
            return std::nullopt;
    }
}

}  // namespace

std::unique_ptr<TPlatformWindow> TPlatformWindow::Open(const TWindowOptions& options) {
    return std::make_unique<TSdlWindow>(options);
}

}  // namespace tibo
