#pragma once
// The game's window through SDL: the back surface is shown scaled with
// nearest-neighbour sampling and black borders, either through a renderer and
// a streaming texture or scaled by us into the window's own pixels; SDL's
// events come out as the game's events.
//
// One class in four files, a file a service: the window itself and its full
// screen (SdlWindow.cpp), presenting the picture (SdlPresent.cpp), events and
// keys (SdlEvents.cpp), game controllers (SdlGamepads.cpp).
#include <SDL.h>

#include <bitset>
#include <optional>
#include <vector>

#include "framework/PixelScaler.h"
#include "framework/platform/Platform.h"
#include "framework/platform/SdlGamepads.h"

namespace tibo {

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
    void ReadWindowState() {
        const Uint32 flags = SDL_GetWindowFlags(Window_);
        Focused_ = (flags & SDL_WINDOW_INPUT_FOCUS) != 0;
        Minimized_ = (flags & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN)) != 0;
    }

    TWindowOptions Options_;
    TSdlGamepads Pads_;
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

}  // namespace tibo
