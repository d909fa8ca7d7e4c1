#pragma once
// The timing figures of a run (--timing-report), counted from its first tick:
// the ticks, the processor and wall time they took, how far each tick of a
// window came from its due time (jitter), when the first picture was shown
// and the peak memory.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tibo {

// Milliseconds on the machine's monotonic clock, fractions included.
double MonotonicMs();

class TTimingFigures {
public:
    // `startMs`: the process's start; `mainMs`: when main() began.
    TTimingFigures(double startMs, double mainMs) : StartMs_(startMs), MainMs_(mainMs) {}

    // Tick `tick` begins; `dueMs` is when it was due, when a window's loop
    // slept until then (on the clock of TSteadyClock).
    void TickBegins(int64_t tick, std::optional<int64_t> dueMs);
    // A tick showed a picture: the first one's time counts.
    void PictureShown();
    bool FirstPictureShown() const { return FirstPictureMs_ >= 0; }

    // The figures after `ticks` ticks as JSON; `presentation`: how the
    // pictures reached the screen ("none" without a window).
    std::string ReportText(int64_t ticks, const std::string& presentation) const;

private:
    double StartMs_;
    double MainMs_;
    double FirstPictureMs_ = -1;
    double CpuAtFirstTick_ = 0, WallAtFirstTick_ = 0;
    std::vector<double> Jitter_;
};

}  // namespace tibo
