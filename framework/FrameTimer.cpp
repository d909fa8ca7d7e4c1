#include "framework/FrameTimer.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace tibo {

int64_t TSteadyClock::NowMs() const {
    // CLOCK_MONOTONIC, the clock the platform layer sleeps on (clock_nanosleep
    // with TIMER_ABSTIME), so that a sleep to NextDue() wakes at the right tick.
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

TFrameTimer::TFrameTimer(const IClock& clock) : Clock_(clock) {
    // A timer outside a form starts at once when it is made enabled.
    if (Enabled_) Start();
}

void TFrameTimer::SetEnabled(bool enabled) {
    if (Enabled_ == enabled) return;
    Enabled_ = enabled;
    if (Enabled_) {
        Start();
    } else {
        Stop();
    }
}

void TFrameTimer::SetInterval(int ms) { Interval_ = std::max(ms, 0); }

void TFrameTimer::SetActiveOnly(bool activeOnly) {
    if (ActiveOnly_ == activeOnly) return;
    ActiveOnly_ = activeOnly;
    if (!Running_) return;
    if (ActiveOnly_ && !AppActive_) {
        // From now on the timer must keep still while the program is in the background.
        IdleInstalled_ = false;
    } else if (!ActiveOnly_ && !IdleInstalled_) {
        // Allowed to tick in the background from now on: count from here.
        LastTick_ = RateStart_ = Clock_.NowMs();
        TickCount_ = 0;
        IdleInstalled_ = true;
    }
}

void TFrameTimer::SetApplicationActive(bool active) {
    if (AppActive_ == active) return;
    AppActive_ = active;
    if (active) {
        if (OnActivate) OnActivate();
        if (Running_ && ActiveOnly_) {
            // The pause must not show in LagCount: count from the reactivation.
            LastTick_ = RateStart_ = Clock_.NowMs();
            TickCount_ = 0;
            IdleInstalled_ = true;
        }
    } else {
        if (OnDeactivate) OnDeactivate();
        if (Running_ && ActiveOnly_) IdleInstalled_ = false;
    }
}

void TFrameTimer::Start() {
    Stop();
    if (!(ActiveOnly_ && !AppActive_)) {
        LastTick_ = RateStart_ = Clock_.NowMs();
        TickCount_ = 0;
        IdleInstalled_ = true;
    }
    Running_ = true;
}

void TFrameTimer::Stop() {
    if (!Running_) return;
    IdleInstalled_ = false;
    Running_ = false;
}

bool TFrameTimer::Idle() {
    if (!IdleInstalled_) return false;
    const int64_t t = Clock_.NowMs();
    if (t - LastTick_ < Interval_) return false;
    const int64_t lag = (t - LastTick_) / std::max(Interval_, 1);
    const bool onSchedule = Schedule_ == TSchedule::Fixed && Interval_ > 0 && lag <= MaxBacklog;
    LastTick_ = onSchedule ? LastTick_ + Interval_ : t;
    ++TickCount_;
    const int64_t elapsed = std::max<int64_t>(t - RateStart_, 1);
    if (elapsed >= 1000) {
        // Rounded half to even, as every rounding in the game.
        FrameRate_ = static_cast<int>(std::lrint(static_cast<double>(TickCount_) * 1000.0 /
                                                 static_cast<double>(elapsed)));
        TickCount_ = 0;
        RateStart_ = t;
    }
    const int lagCount = static_cast<int>(std::min<int64_t>(lag, INT32_MAX));
    if (OnTimer) OnTimer(*this, lagCount == 0 ? 1 : lagCount);
    return true;
}

}  // namespace tibo
