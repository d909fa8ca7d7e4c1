#pragma once
// The one random generator every draw of the game comes from, and the game's
// rounding rule.
#include <cstdint>
#include <optional>

namespace tibo {

// Rounds to the nearest integer, halves to the even neighbour.
int32_t RoundEven(double value);

// A small fast generator (PCG32) with a fixed range reduction, so that a seed
// gives the same game on every platform and with every standard library.
class TRandom {
public:
    void Seed(uint64_t seed);
    uint32_t Next();
    // A uniform integer 0 .. n-1; 0 for n <= 1.
    int32_t Random(int32_t n);
    // A uniform value in [0, 1).
    double RandomFloat();

private:
    uint64_t State_ = 0x853c49e6748fea9bULL;
    uint64_t Increment_ = 0xda3e39cb94b95bdbULL;
};

// Re-seeding: from the clock, or under a fixed seed from that seed and the
// number of earlier re-seeds, so that scripted runs repeat exactly.
class TRandomizer {
public:
    explicit TRandomizer(std::optional<uint64_t> fixedSeed = std::nullopt);
    void Randomize();
    TRandom& Generator() { return Rng_; }
    int32_t Random(int32_t n) { return Rng_.Random(n); }
    uint64_t ReseedCount() const { return Reseeds_; }

private:
    std::optional<uint64_t> FixedSeed_;
    uint64_t Reseeds_ = 0;
    TRandom Rng_;
};

}  // namespace tibo
