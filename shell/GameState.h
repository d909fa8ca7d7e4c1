#pragma once
// The game's program-wide variables, one instance per running game, owned by
// the main form; and the one random generator every draw comes from.
#include <cstdint>
#include <optional>
#include <string_view>

#include "shell/HallOfFame.h"

namespace tibo {

enum TGameState : uint8_t {
    gsIntro = 0,
    gsHallOfFame = 1,
    gsNameEntry = 2,
    gsLevelChoice = 3,
    gsExitPreview = 4,
    gsPlaying = 5,
    gsLevelWon = 6,
    gsGameOver = 7,
    gsPaused = 8,
};
std::string_view GameStateName(uint8_t state);

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

struct TGameVariables {
    uint8_t GameState = gsIntro;
    int32_t FrameCounter = 0;
    bool AnyKey = false;
    bool NameDone = false;
    bool StartRequested = false;
    int8_t NewEntryRank = 0;
    uint8_t ChosenLevel = 0;
    uint8_t ChosenSetting = 0;
    bool Blink = false;
    int32_t Score = 0;
    int32_t BestScore = 0;
    THallOfFame HallOfFame = DefaultHallOfFame();
    uint8_t ScrollFirstLine = 0;
    int32_t ScrollOffset = 0;

    // The play field's origin on the screen and its shake.
    int32_t FieldOriginX = 44;
    int32_t FieldOriginY = 82;
    int32_t ShakeX = 0;
    int32_t ShakeY = 0;
};

}  // namespace tibo
