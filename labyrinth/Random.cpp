#include "labyrinth/Random.h"

#include <chrono>
#include <cmath>

namespace tibo {
namespace {

uint64_t SplitMix64(uint64_t x) {
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

}  // namespace

int32_t RoundEven(double value) {
    const double r = std::round(value);
    // std::round takes halves away from zero; bring them back to the even side.
    if (std::fabs(value - std::trunc(value)) == 0.5 && std::fmod(r, 2.0) != 0.0) return static_cast<int32_t>(r - std::copysign(1.0, value));
    return static_cast<int32_t>(r);
}

void TRandom::Seed(uint64_t seed) {
    State_ = 0;
    Increment_ = (SplitMix64(seed ^ 0x5851f42d4c957f2dULL) << 1) | 1;
    Next();
    State_ += SplitMix64(seed);
    Next();
}

uint32_t TRandom::Next() {
    const uint64_t old = State_;
    State_ = old * 6364136223846793005ULL + Increment_;
    const auto xorshifted = static_cast<uint32_t>(((old >> 18) ^ old) >> 27);
    const auto rot = static_cast<uint32_t>(old >> 59);
    return (xorshifted >> rot) | (xorshifted << ((32 - rot) & 31));
}

int32_t TRandom::Random(int32_t n) {
    if (n <= 1) return 0;
    // Multiply-shift with rejection of the few values that would bias the result.
    const auto range = static_cast<uint32_t>(n);
    uint64_t m = static_cast<uint64_t>(Next()) * range;
    auto low = static_cast<uint32_t>(m);
    if (low < range) {
        const uint32_t threshold = (0u - range) % range;
        while (low < threshold) {
            m = static_cast<uint64_t>(Next()) * range;
            low = static_cast<uint32_t>(m);
        }
    }
    return static_cast<int32_t>(m >> 32);
}

double TRandom::RandomFloat() { return Next() * (1.0 / 4294967296.0); }

TRandomizer::TRandomizer(std::optional<uint64_t> fixedSeed) : FixedSeed_(fixedSeed) {
    if (FixedSeed_) Rng_.Seed(*FixedSeed_);
    else Randomize();
}

void TRandomizer::Randomize() {
    if (FixedSeed_) {
        Rng_.Seed(SplitMix64(*FixedSeed_) ^ SplitMix64(~Reseeds_));
    } else {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        Rng_.Seed(static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
    }
    ++Reseeds_;
}

}  // namespace tibo
