#pragma once
// The drawing surface: a 640 x 480 RGB565 back surface shown by page flipping
// through a presenter, with listeners told when surfaces appear, go or return.
#include <functional>
#include <memory>
#include <vector>

#include "framework/Surface.h"

namespace tibo {

enum class TDrawNotify { Destroying, Initializing, Initialized, SurfaceInitialized, Finalizing, SurfaceFinalizing, Restored, SizeChanged };

class TDisplay;

// What shows the back surface: a window (platform layer) or nothing (headless).
class IPresenter {
public:
    virtual ~IPresenter() = default;
    // Shows the picture; false when the device was lost and nothing was shown.
    virtual bool Present(const TSurface& back) = 0;
    // True while the device is lost (drawing waits).
    virtual bool Lost() const = 0;
    // Tries to bring a lost device back; true on success.
    virtual bool Restore() = 0;
    // Whether the owning window is the active one (flips happen only then).
    virtual bool Active() const = 0;
};

using TDrawNotifyEvent = std::function<void(TDrawNotify, TDisplay&)>;

class TDisplay {
public:
    // `owner` is the form the drawing surface sits on; nullptr means none.
    explicit TDisplay(const void* owner, int width = 640, int height = 480);
    TDisplay(const TDisplay&) = delete;
    TDisplay& operator=(const TDisplay&) = delete;
    ~TDisplay();

    void SetPresenter(IPresenter* presenter) { Presenter_ = presenter; }
    IPresenter* Presenter() const { return Presenter_; }

    void Initialize();
    void Finalize();
    void Restore();
    bool CanDraw();
    void Flip();

    bool Initialized() const { return Initialized_; }
    TSurface* Surface() { return Surface_.get(); }
    TDisplayDevice& Device() { return Device_; }
    int SurfaceWidth() const { return Surface_ ? Surface_->Width() : Width_; }
    int SurfaceHeight() const { return Surface_ ? Surface_->Height() : Height_; }
    uint64_t FlipCount() const { return FlipCount_; }

    void RegisterNotify(TDrawNotifyEvent callback, const void* owner);
    void UnregisterNotify(const void* owner);

    std::function<void()> OnInitialize, OnFinalize, OnRestoreSurface;

private:
    void Notify(TDrawNotify kind);
    struct Listener { TDrawNotifyEvent Callback; const void* Owner; };

    const void* Owner_;
    int Width_, Height_;
    TDisplayDevice Device_;
    std::unique_ptr<TSurface> Surface_;
    IPresenter* Presenter_ = nullptr;
    bool Initialized_ = false;
    bool Busy_ = false;
    bool Initializing_ = false;
    bool SentInitialized_ = false;
    bool SentSurfaceInitialized_ = false;
    uint64_t FlipCount_ = 0;
    std::vector<Listener> Listeners_;
};

}  // namespace tibo
