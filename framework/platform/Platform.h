#pragma once
// The window, its events and the audio device, as the game sees them.
// Everything behind this header is the only code that touches SDL.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "framework/Display.h"
#include "framework/Sound.h"

namespace tibo {

struct TPlatformEvent {
    enum class Kind { KeyDown, KeyUp, MouseDown, MouseUp, MouseMove, Quit, Activated, Deactivated, RenderReset };
    Kind Type = Kind::Quit;
    int Key = 0;          // virtual-key code (KeyDown/KeyUp)
    bool Repeat = false;  // key-down from the system's auto-repeat
    int X = 0, Y = 0;     // back-surface pixels (mouse events)
    int Button = 0;       // 1 left, 2 middle, 3 right
};

struct TWindowOptions {
    std::string Title = "Tibo v4.0";
    bool Windowed = false;   // false: full screen on the desktop
    int Width = 640, Height = 480;  // the back surface's size
};

// A real window: presents the back surface, scaled, and delivers events.
class TPlatformWindow : public IPresenter {
public:
    // Opens the window; raises EDisplayError with SDL's reason on failure.
    static std::unique_ptr<TPlatformWindow> Open(const TWindowOptions& options);
    ~TPlatformWindow() override = default;

    // Next pending event, already translated (Alt+Enter and F11 are handled here).
    virtual std::optional<TPlatformEvent> PollEvent() = 0;
    // Sleeps until an event arrives or `timeoutMs` passes (0 returns at once).
    virtual void WaitEvent(int timeoutMs) = 0;
    virtual void SetCursorVisible(bool visible) = 0;
    // Moves the pointer to a back-surface pixel.
    virtual void WarpMouse(int x, int y) = 0;
    virtual void ToggleFullScreen() = 0;
    virtual bool FullScreen() const = 0;
    virtual bool Minimized() const = 0;
    virtual bool Focused() const = 0;
};

// The audio device through SDL_mixer; nullptr when none can be opened.
std::unique_ptr<ISoundBackend> OpenAudioBackend();

// The per-user folder for the settings file (created if needed); "" if none.
std::string UserConfigDir();

}  // namespace tibo
