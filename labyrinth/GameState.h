#pragma once
// The states the game goes through, from the intro to the end of a game: the
// screen the form shows and runs (TGameVariables::GameState holds it).
#include <cstdint>
#include <string_view>

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

}  // namespace tibo
