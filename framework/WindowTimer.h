#pragma once
// A window timer: fires OnTimer every Interval milliseconds while enabled,
// polled by the message loop. Late polls fire once, not once per missed interval.
#include <cstdint>
#include <functional>

#include "framework/FrameTimer.h"

namespace tibo {

class TTimer {
public:
    explicit TTimer(const IClock& clock, int interval = 1000) : Clock_(clock), Interval_(interval) {}

    bool Enabled() const { return Enabled_; }
    void SetEnabled(bool enabled) {
        if (enabled == Enabled_) return;
        Enabled_ = enabled;
        if (enabled) Due_ = Clock_.NowMs() + Interval_;
    }
    int Interval() const { return Interval_; }
    int64_t Due() const { return Due_; }

    void Poll() {
        if (!Enabled_) return;
        const int64_t now = Clock_.NowMs();
        if (now < Due_) return;
        Due_ = (now - Due_ >= Interval_) ? now + Interval_ : Due_ + Interval_;
        if (OnTimer) OnTimer();
    }

    std::function<void()> OnTimer;

private:
    const IClock& Clock_;
    int Interval_;
    bool Enabled_ = false;
    int64_t Due_ = 0;
};

}  // namespace tibo
