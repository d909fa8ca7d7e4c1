#pragma once
// The window, its events and the audio device, as the game sees them.
// Everything behind this header is the only code that touches SDL.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/Bitmap.h"
#include "framework/Display.h"
#include "framework/Sound.h"
#include "framework/ViewMapping.h"

namespace tibo {

struct TPlatformEvent {
    // Pad events come from any game controller plugged in; PadRemoved: one was unplugged.
    enum class Kind { KeyDown, KeyUp, MouseDown, MouseUp, MouseMove, Quit, Activated, Deactivated, RenderReset,
                      PadDown, PadUp, PadStick, PadRemoved };
    Kind Type = Kind::Quit;
    int Key = 0;          // virtual-key code (KeyDown/KeyUp)
    int X = 0, Y = 0;     // back-surface pixels (mouse events); the left stick (PadStick)
    int Button = 0;       // 1 left, 2 middle, 3 right; a TPadButton (PadDown/PadUp)
};

struct TWindowOptions {
    std::string Title = "Tibo v4.0";
    // The window's class (X11's WM_CLASS, Wayland's application id): what the
    // desktop entry's StartupWMClass names, whatever the program file is
    // called. SDL_VIDEO_X11_WMCLASS or SDL_VIDEO_WAYLAND_WMCLASS, when set,
    // still name another.
    std::string WindowClass = "tibo";
    bool Windowed = false;   // false: full screen on the desktop
    int Width = 640, Height = 480;  // the back surface's size
    bool VSync = true;       // wait for the display's refresh when presenting
    // How the picture reaches the screen: through the graphics card (a renderer
    // with a streaming texture), or scaled by the program into the window's
    // own pixels. Auto takes the renderer unless the desktop has no graphics
    // card to offer (see GraphicsProbe.h) or the renderer made draws in
    // software all the same (a bare X server): there scaling ourselves costs a
    // tenth, and leaving OpenGL unloaded saves its start-up and memory.
    // The environment variable TIBO_PRESENT=renderer|framebuffer overrides Auto.
    enum class TPresentation { Auto, Renderer, Framebuffer };
    TPresentation Presentation = TPresentation::Auto;
    // The window's icon, shown by the desktop in the title bar and the task
    // list; empty: the desktop's own.
    TBitmap Icon;
    // Game-controller mappings in SDL's gamecontrollerdb.txt format, one a
    // line, as ReadGamepadMappings (framework/GamepadMappings.h) gives them.
    std::string GamepadMappings;
};

// A real window: presents the back surface, scaled, and delivers events.
class TPlatformWindow : public IPresenter {
public:
    // Opens the window; raises EDisplayError with SDL's reason on failure.
    static std::unique_ptr<TPlatformWindow> Open(const TWindowOptions& options);
    ~TPlatformWindow() override = default;

    // Next pending event, already translated (Alt+Enter and F11 are handled here).
    virtual std::optional<TPlatformEvent> PollEvent() = 0;
    // Sleeps until an event arrives or `timeoutMs` passes (0 or less returns at
    // once). The event is kept for the next PollEvent.
    virtual void WaitEvent(int timeoutMs) = 0;
    // Sleeps until the monotonic clock (TSteadyClock::NowMs) reaches `dueMs`,
    // precisely (the last stretch is a sleep to that absolute time), unless an
    // event arrives first: then returns true at once and the event waits for
    // PollEvent. Returns false when the time has come.
    virtual bool WaitUntil(int64_t dueMs) = 0;
    virtual void SetCursorVisible(bool visible) = 0;
    // Moves the pointer to a back-surface pixel.
    virtual void WarpMouse(int x, int y) = 0;
    virtual void ToggleFullScreen() = 0;
    virtual bool FullScreen() const = 0;
    virtual bool Minimized() const = 0;
    virtual bool Focused() const = 0;
    // Where the picture lies now (for tests and screenshots of the window).
    virtual TViewMapping Mapping() const = 0;
    // How the picture reaches the screen: "renderer" or "framebuffer".
    virtual const char* PresentationName() const = 0;
};

// The audio device, through SDL_mixer, opened on a thread of its own: finding it (or finding there
// is none: a sound server that does not answer, no sound card) can take longer
// than showing the first pictures, which need not wait for it.
//
// Start it once the window is open; until Finished() that thread starts SDL's
// audio and opens the mixer, so the window's thread must meanwhile neither
// start nor stop SDL subsystems nor touch the mixer (the window's own work,
// events and pictures, goes on). The standard error is held back while the
// device is tried: sound libraries report a missing sound card at length.
class TAudioOpening {
public:
    // `sounds` are converted to the device's format on that thread too, so
    // that the back end makes their buffers without the work (the sound list
    // makes them all at once when the device comes).
    static std::unique_ptr<TAudioOpening> Start(std::vector<TWave> sounds = {});
    virtual ~TAudioOpening() = default;   // waits for the thread; closes a device never taken
    // The attempt is over: Take() will not wait.
    virtual bool Finished() const = 0;
    // Waits for the attempt: the back end, or nullptr when no device opened.
    // The first call only; later calls give nullptr.
    virtual std::unique_ptr<ISoundBackend> Take() = 0;
};

// The per-user folder for the settings file (created if needed); "" if none.
std::string UserConfigDir();

// The operating system as game-controller mappings name it ("Linux").
std::string PlatformName();

}  // namespace tibo
