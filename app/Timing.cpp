#include "app/Timing.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <nlohmann/json.hpp>

#include "framework/platform/Process.h"

namespace tibo {
namespace {

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5));
    return v[i];
}

}  // namespace

double MonotonicMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void TTimingFigures::TickBegins(int64_t tick, std::optional<int64_t> dueMs) {
    const double now = MonotonicMs();
    TickBeganMs_ = now;
    if (tick == 1) {
        CpuAtFirstTick_ = ProcessCpuSeconds();
        WallAtFirstTick_ = now;
    } else if (dueMs) {
        Jitter_.push_back(std::fabs(now - static_cast<double>(*dueMs)));
    }
}

void TTimingFigures::TickEnds() {
    InTicksMs_ += MonotonicMs() - TickBeganMs_;
    ++TicksEnded_;
}

void TTimingFigures::PictureShown() {
    if (FirstPictureMs_ < 0) FirstPictureMs_ = MonotonicMs() - StartMs_;
}

nlohmann::json TTimingFigures::Report(int64_t ticks, const std::string& presentation) const {
    nlohmann::json report = nlohmann::json::object();
    report["ticks"] = ticks;
    report["cpu_seconds"] = ProcessCpuSeconds() - CpuAtFirstTick_;
    report["wall_seconds"] = (MonotonicMs() - WallAtFirstTick_) / 1000.0;
    report["tick_ms_mean"] = TicksEnded_ > 0 ? InTicksMs_ / static_cast<double>(TicksEnded_) : 0.0;
    report["jitter_ms_p50"] = Percentile(Jitter_, 0.50);
    report["jitter_ms_p99"] = Percentile(Jitter_, 0.99);
    report["jitter_ms_max"] = Jitter_.empty() ? 0.0 : *std::max_element(Jitter_.begin(), Jitter_.end());
    report["first_flip_ms"] = FirstPictureMs_;   // from the process's start
    report["main_ms"] = MainMs_ - StartMs_;      // of which before main()
    report["presentation"] = presentation;
    report["peak_rss_kb"] = ProcessPeakRssKb();
    return report;
}

}  // namespace tibo
