#include "framework/FrameTimer.h"

#include <gtest/gtest.h>

#include <vector>

namespace tibo {
namespace {

class FrameTimerTest : public ::testing::Test {
protected:
    FrameTimerTest() : Timer(Clock) {
        Timer.OnTimer = [this](TFrameTimer&, int lag) { Lags.push_back(lag); };
    }
    // What the game does at start-up: loaded disabled, interval set, enabled.
    void StartAt(int interval) {
        Timer.SetEnabled(false);
        Timer.SetInterval(interval);
        Timer.SetEnabled(true);
    }
    TManualClock Clock{1000};
    TFrameTimer Timer;
    std::vector<int> Lags;
};

TEST_F(FrameTimerTest, TicksNoSoonerThanTheInterval) {
    StartAt(20);
    Clock.Now += 19;
    EXPECT_FALSE(Timer.Idle());
    Clock.Now += 1;
    EXPECT_TRUE(Timer.Idle());
    EXPECT_FALSE(Timer.Idle());   // counts from the tick just made
    EXPECT_EQ(Lags, std::vector<int>{1});
    EXPECT_EQ(Timer.NextDue(), Clock.Now + 20);
}

TEST_F(FrameTimerTest, LagCountsTheIntervalsPassed) {
    StartAt(20);
    Clock.Now += 45;
    ASSERT_TRUE(Timer.Idle());
    Clock.Now += 20;
    ASSERT_TRUE(Timer.Idle());
    EXPECT_EQ(Lags, (std::vector<int>{2, 1}));
}

TEST_F(FrameTimerTest, ZeroIntervalTicksOnEveryIdleCall) {
    StartAt(0);
    EXPECT_TRUE(Timer.Idle());   // same millisecond: lag 0 is reported as 1
    EXPECT_TRUE(Timer.Idle());
    Clock.Now += 3;
    EXPECT_TRUE(Timer.Idle());
    EXPECT_EQ(Lags, (std::vector<int>{1, 1, 3}));
    Timer.SetInterval(-5);
    EXPECT_EQ(Timer.Interval(), 0);
}

TEST_F(FrameTimerTest, DisabledTimerNeverTicks) {
    StartAt(20);
    Timer.SetEnabled(false);
    EXPECT_FALSE(Timer.Running());
    Clock.Now += 100;
    EXPECT_FALSE(Timer.Idle());
    // Enabling again counts from now, not from the old tick.
    Timer.SetEnabled(true);
    Clock.Now += 20;
    EXPECT_TRUE(Timer.Idle());
    EXPECT_EQ(Lags, std::vector<int>{1});
}

TEST_F(FrameTimerTest, NoTicksWhileInactiveAndLagCountsFromReactivation) {
    int activations = 0, deactivations = 0;
    Timer.OnActivate = [&] { ++activations; };
    Timer.OnDeactivate = [&] { ++deactivations; };
    StartAt(20);
    Clock.Now += 10;
    Timer.SetApplicationActive(false);
    EXPECT_FALSE(Timer.IdleInstalled());
    EXPECT_TRUE(Timer.Running());
    Clock.Now += 500;
    EXPECT_FALSE(Timer.Idle());
    Timer.SetApplicationActive(true);
    EXPECT_TRUE(Timer.IdleInstalled());
    Clock.Now += 19;
    EXPECT_FALSE(Timer.Idle());
    Clock.Now += 1;
    EXPECT_TRUE(Timer.Idle());
    EXPECT_EQ(Lags, std::vector<int>{1});   // not 25 for the pause
    EXPECT_EQ(activations, 1);
    EXPECT_EQ(deactivations, 1);
    // A repeated notice of the same state changes nothing.
    Timer.SetApplicationActive(true);
    EXPECT_EQ(activations, 1);
}

TEST_F(FrameTimerTest, StartedWhileInactiveWaitsForActivation) {
    Timer.SetEnabled(false);
    Timer.SetApplicationActive(false);
    Timer.SetInterval(20);
    Timer.SetEnabled(true);
    EXPECT_TRUE(Timer.Running());
    EXPECT_FALSE(Timer.IdleInstalled());
    Clock.Now += 100;
    EXPECT_FALSE(Timer.Idle());
    Timer.SetApplicationActive(true);
    Clock.Now += 20;
    EXPECT_TRUE(Timer.Idle());
}

TEST_F(FrameTimerTest, WithoutActiveOnlyTicksInTheBackground) {
    StartAt(20);
    Timer.SetActiveOnly(false);
    Timer.SetApplicationActive(false);
    Clock.Now += 20;
    EXPECT_TRUE(Timer.Idle());
    // Turning it back on while in the background keeps the timer still.
    Timer.SetActiveOnly(true);
    Clock.Now += 20;
    EXPECT_FALSE(Timer.Idle());
    // And turning it on while active must not stop a running timer.
    Timer.SetApplicationActive(true);
    Timer.SetActiveOnly(false);
    Timer.SetActiveOnly(true);
    Clock.Now += 20;
    EXPECT_TRUE(Timer.Idle());
}

TEST_F(FrameTimerTest, FrameRateIsMeasuredOverASecondOrMore) {
    StartAt(20);
    EXPECT_EQ(Timer.FrameRate(), 0);
    for (int i = 0; i < 49; ++i) {
        Clock.Now += 20;
        ASSERT_TRUE(Timer.Idle());
    }
    EXPECT_EQ(Timer.FrameRate(), 0);   // 980 ms: not yet a second
    Clock.Now += 20;
    ASSERT_TRUE(Timer.Idle());
    EXPECT_EQ(Timer.FrameRate(), 50);
    // Slower frames over the next 1250 ms: 25 ticks of 50 ms give 20 per second.
    for (int i = 0; i < 25; ++i) {
        Clock.Now += 50;
        ASSERT_TRUE(Timer.Idle());
    }
    EXPECT_EQ(Timer.FrameRate(), 20);
}

TEST_F(FrameTimerTest, FrameRateRoundsHalvesToEven) {
    // Three ticks of 400 ms: 2.5 per second, which rounds to 2, not 3.
    StartAt(400);
    for (int i = 0; i < 3; ++i) {
        Clock.Now += 400;
        ASSERT_TRUE(Timer.Idle());
    }
    EXPECT_EQ(Timer.FrameRate(), 2);
    // Then 7 ticks of 150 ms: 1050 ms, 6.67 per second -> 7.
    Timer.SetInterval(150);
    for (int i = 0; i < 7; ++i) {
        Clock.Now += 150;
        ASSERT_TRUE(Timer.Idle());
    }
    EXPECT_EQ(Timer.FrameRate(), 7);
}

// A caller once per frame of a 60 Hz display, running every tick due: on the
// fixed schedule fifty ticks a second stay fifty, each due on time with no
// drift; counted from the last tick, as the desktop loop counts, they come
// every other frame. A stall of more than four intervals is not made up for.
TEST_F(FrameTimerTest, AFixedScheduleKeepsTheRateForACallerAtItsOwnPace) {
    auto secondOfFrames = [&](TFrameTimer::TSchedule schedule) {
        Timer.SetSchedule(schedule);
        StartAt(20);
        const int64_t start = Clock.Now;
        int ticks = 0;
        for (int frame = 1; frame <= 60; ++frame) {
            Clock.Now = start + frame * 1000 / 60;
            while (Timer.Idle()) ++ticks;
        }
        return ticks;
    };
    EXPECT_EQ(secondOfFrames(TFrameTimer::TSchedule::FromLastTick), 30);
    EXPECT_EQ(secondOfFrames(TFrameTimer::TSchedule::Fixed), 50);
    EXPECT_EQ(Timer.NextDue(), Clock.Now + 20) << "the fiftieth tick was due at the second's end, and ran then";

    Lags.clear();
    Clock.Now += 90;  // four intervals and a half: all four are made up for
    while (Timer.Idle()) {
    }
    EXPECT_EQ(Lags, (std::vector<int>{4, 3, 2, 1}));
    EXPECT_EQ(Timer.NextDue(), Clock.Now + 10);
    Lags.clear();
    Clock.Now += 200;  // ten intervals and a half since the last was due: one tick, and the count starts again
    while (Timer.Idle()) {
    }
    EXPECT_EQ(Lags, std::vector<int>{10});
    EXPECT_EQ(Timer.NextDue(), Clock.Now + 20);
}

}  // namespace
}  // namespace tibo
