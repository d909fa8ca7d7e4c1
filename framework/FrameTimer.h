#pragma once
// The frame timer: calls OnTimer once per frame from the program's idle time,
// no sooner than Interval milliseconds apart, only while the program is active.
#include <cstdint>
#include <functional>

namespace tibo {

// A millisecond clock; the real one is monotonic, tests use a fake.
class IClock {
public:
    virtual ~IClock() = default;
    virtual int64_t NowMs() const = 0;
};

// The machine's monotonic clock.
class TSteadyClock final : public IClock {
public:
    int64_t NowMs() const override;
};

// A clock moved by hand: the headless game's, and the tests'.
class TManualClock final : public IClock {
public:
    explicit TManualClock(int64_t start = 0) : Now(start) {}
    int64_t NowMs() const override { return Now; }
    int64_t Now;
};

// The loop that drives it: handle pending events, call Idle(); when it did not
// tick, sleep until NextDue() (waking early for events) and go round again.
class TFrameTimer {
public:
    // How the next tick is counted.
    enum class TSchedule {
        // An interval after the last tick ran: for a loop that sleeps until
        // each tick's time, where a late tick moves the ones after it.
        FromLastTick,
        // An interval after the last tick was due: for a caller that comes at
        // its own pace (once per frame of the display), which calls Idle until
        // it runs nothing and so runs every tick due; the rate holds. A
        // backlog of more than MaxBacklog intervals (a stall, a page in the
        // background) is dropped: the count starts again from that tick.
        Fixed,
    };
    static constexpr int MaxBacklog = 4;

    // Made enabled and running, as a timer outside a form; the game disables it
    // until it has set Interval.
    explicit TFrameTimer(const IClock& clock);

    bool Enabled() const { return Enabled_; }
    void SetEnabled(bool enabled);
    int Interval() const { return Interval_; }
    void SetInterval(int ms);              // stored as max(ms, 0)
    bool ActiveOnly() const { return ActiveOnly_; }
    // Set while running: true keeps the timer still while the program is in the
    // background, false lets it tick there too (counting from the change).
    void SetActiveOnly(bool activeOnly);

    // Application activation changes (focus gained or lost, minimised or restored).
    void SetApplicationActive(bool active);
    bool ApplicationActive() const { return AppActive_; }

    void SetSchedule(TSchedule schedule) { Schedule_ = schedule; }

    // The idle handler: ticks when an interval has passed. Returns true if OnTimer ran.
    bool Idle();
    // Whether the idle handler is installed (running and allowed to tick now).
    bool IdleInstalled() const { return IdleInstalled_; }
    bool Running() const { return Running_; }
    // The clock time at which the next tick is due (for a loop that sleeps).
    int64_t NextDue() const { return LastTick_ + Interval_; }
    int FrameRate() const { return FrameRate_; }

    std::function<void(TFrameTimer&, int lagCount)> OnTimer;
    std::function<void()> OnActivate, OnDeactivate;

private:
    void Start();
    void Stop();

    const IClock& Clock_;
    bool Enabled_ = true;
    int Interval_ = 1000;
    TSchedule Schedule_ = TSchedule::FromLastTick;
    bool ActiveOnly_ = true;
    bool AppActive_ = true;
    bool Running_ = false;
    bool IdleInstalled_ = false;
    int64_t LastTick_ = 0;
    int64_t RateStart_ = 0;
    int TickCount_ = 0;
    int FrameRate_ = 0;
};

}  // namespace tibo
