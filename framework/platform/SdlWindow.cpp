// The window itself: opening it on a desktop that shows it, its size and icon,
// full screen and back (see SdlWindow.h).
#include "framework/platform/SdlWindow.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>

#include "framework/Errors.h"

namespace tibo {

std::string PlatformName() { return SDL_GetPlatform(); }

namespace {

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

}  // namespace

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
    // SDL names the window after the program file (a renamed or wrapped
    // program would lose its menu entry's icon in the task list) unless told.
    ::setenv("SDL_VIDEO_X11_WMCLASS", Options_.WindowClass.c_str(), 0);
    ::setenv("SDL_VIDEO_WAYLAND_WMCLASS", Options_.WindowClass.c_str(), 0);
    SDL_SetHint(SDL_HINT_APP_NAME, Options_.WindowClass.c_str());
    const bool driverNamed = ChooseVideoDrivers();
    const int started = SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    if (!driverNamed) SDL_ResetHint(SDL_HINT_VIDEODRIVER);
    if (started != 0) {
        if (!driverNamed) throw EDisplayError(NoDisplayMessage());
        throw EDisplayError(Format("Window cannot be made: %s", SDL_GetError()));
    }
    Pads_.Open(Options_.GamepadMappings);

    int w = Options_.Width, h = Options_.Height;
#if defined(__EMSCRIPTEN__)
    // In a page the canvas keeps the picture's own pixels, whatever the
    // screen's density; the page scales it to the browser's window (by CSS,
    // pixel for pixel), and SDL maps the mouse back to those pixels.
    Uint32 flags = SDL_WINDOW_SHOWN;
#else
    WindowedSize(w, h);
    Uint32 flags = SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
#endif
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
    Pads_.Close();
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
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

std::unique_ptr<TPlatformWindow> TPlatformWindow::Open(const TWindowOptions& options) {
    return std::make_unique<TSdlWindow>(options);
}

}  // namespace tibo
