#pragma once
// The timing figures of a run (--timing-report), counted from its first tick:
// the ticks, the processor and wall time they took, the mean time of a tick's
// own work (without the waits between ticks, or a browser's own work), how far
// each tick of a window came from its due time (jitter), when the first
// picture was shown and the peak memory.
#include <cstdint>
#include <nlohmann/json_fwd.hpp>
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
    // The tick that began has done its work (its picture shown).
    void TickEnds();
    // A tick showed a picture: the first one's time counts.
    void PictureShown();
    bool FirstPictureShown() const { return FirstPictureMs_ >= 0; }

    // The figures after `ticks` ticks; `presentation`: how the pictures
    // reached the screen ("none" without a window).
    nlohmann::json Report(int64_t ticks, const std::string& presentation) const;

private:
    double StartMs_;
    double MainMs_;
    double FirstPictureMs_ = -1;
    double CpuAtFirstTick_ = 0, WallAtFirstTick_ = 0;
    double TickBeganMs_ = 0;
    double InTicksMs_ = 0;   // the time the ticks took, from each one's start to its end
    int64_t TicksEnded_ = 0;
    std::vector<double> Jitter_;
};

}  // namespace tibo
