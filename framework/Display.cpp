#include "framework/Display.h"

#include <algorithm>

#include "framework/Errors.h"

namespace tibo {
namespace {

// Marks the display busy for the length of a scope.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : Flag_(flag) { Flag_ = true; }
    ~BusyScope() { Flag_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
private:
    bool& Flag_;
};

}  // namespace

TDisplay::TDisplay(const void* owner, int width, int height) : Owner_(owner), Width_(width), Height_(height) {}

TDisplay::~TDisplay() {
    Finalize();
    Notify(TDrawNotify::Destroying);
}

void TDisplay::Initialize() {
    Finalize();
    if (!Owner_) throw EDisplayError(msg::FormNotFound);
    Initializing_ = true;
    try {
        {
            BusyScope busy(Busy_);
            Notify(TDrawNotify::Initializing);
            auto surface = std::make_unique<TSurface>(&Device_);
            surface->SetSize(Width_, Height_);
            if (!surface->Valid()) throw EDisplayError(Format(msg::CannotMake, "Primary Surface"));
            Surface_ = std::move(surface);
            Initialized_ = true;
        }
        Notify(TDrawNotify::SizeChanged);
        SentInitialized_ = true;
        Notify(TDrawNotify::Initialized);
        if (OnInitialize) OnInitialize();
        SentSurfaceInitialized_ = true;
        Notify(TDrawNotify::SurfaceInitialized);
    } catch (...) {
        Initializing_ = false;
        Finalize();
        throw;
    }
    Initializing_ = false;
    Restore();
}

void TDisplay::Finalize() {
    if (!Initialized_ && !Initializing_) return;
    {
        BusyScope busy(Busy_);
        struct Cleanup {
            TDisplay& D;
            ~Cleanup() {
                D.Surface_.reset();
                D.Initialized_ = false;
                D.SentInitialized_ = false;
                D.SentSurfaceInitialized_ = false;
            }
        } cleanup{*this};
        if (SentSurfaceInitialized_) Notify(TDrawNotify::SurfaceFinalizing);
        if (SentInitialized_) {
            Notify(TDrawNotify::Finalizing);
            if (OnFinalize) OnFinalize();
        }
    }
}

void TDisplay::Restore() {
    if (!Initialized_ || Busy_) return;
    bool restored = true;
    {
        BusyScope busy(Busy_);
        if (Presenter_ && Presenter_->Lost()) restored = Presenter_->Restore();
    }
    if (!restored) return;
    Notify(TDrawNotify::Restored);
    if (OnRestoreSurface) OnRestoreSurface();
}

bool TDisplay::CanDraw() {
    if (!Initialized_ || Busy_ || !Surface_) return false;
    if (Presenter_ && Presenter_->Lost()) {
        Restore();
        if (Presenter_->Lost()) return false;
    }
    return true;
}

void TDisplay::Flip() {
    if (!Initialized_ || Busy_ || !Surface_) return;
    if (Presenter_) {
        if (Presenter_->Lost()) {
            Restore();
            if (Presenter_->Lost()) return;
        }
        if (!Presenter_->Active()) return;
        if (!Presenter_->Present(*Surface_)) return;
    }
    ++FlipCount_;
}

void TDisplay::RegisterNotify(TDrawNotifyEvent callback, const void* owner) {
    UnregisterNotify(owner);
    Listeners_.push_back({callback, owner});
    callback(TDrawNotify::SizeChanged, *this);
    if (Initialized_) {
        callback(TDrawNotify::Initialized, *this);
        if (SentSurfaceInitialized_) callback(TDrawNotify::SurfaceInitialized, *this);
        if (!Initializing_) callback(TDrawNotify::Restored, *this);
    }
}

void TDisplay::UnregisterNotify(const void* owner) {
    auto it = std::find_if(Listeners_.begin(), Listeners_.end(), [owner](const Listener& l) { return l.Owner == owner; });
    if (it == Listeners_.end()) return;
    TDrawNotifyEvent callback = std::move(it->Callback);
    Listeners_.erase(it);
    if (SentSurfaceInitialized_) callback(TDrawNotify::SurfaceFinalizing, *this);
    if (Initialized_) callback(TDrawNotify::Finalizing, *this);
}

void TDisplay::Notify(TDrawNotify kind) {
    // Last registered first; a listener may unregister itself or others meanwhile.
    const std::vector<Listener> snapshot = Listeners_;
    for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
        const bool still = std::any_of(Listeners_.begin(), Listeners_.end(),
                                       [&](const Listener& l) { return l.Owner == it->Owner; });
        if (still) it->Callback(kind, *this);
    }
}

}  // namespace tibo
