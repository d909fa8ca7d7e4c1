#pragma once
// The game's program-wide variables, one instance per running game, owned by
// the main form; and the one random generator every draw comes from.
#include <cstdint>
#include <optional>
#include <string_view>

#include "labyrinth/Maze.h"
#include "labyrinth/Random.h"
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

    // The labyrinth of the running game.
    TMaze Maze;
    int8_t MummyCount = 0;
    int8_t GhostCount = 0;

    // The view: the maze cell at the window's top-left, its scrolling offsets,
    // and what the maze surface was last composed for.
    int32_t ViewColumn = 0;
    int32_t ViewRow = 0;
    int32_t ViewOffsetX = 0;
    int32_t ViewOffsetY = 0;
    int8_t ExplosionCount = 0;
    bool ViewDirty = false;
    bool CellDirty = false;
    int32_t DirtyColumn = 0;
    int32_t DirtyRow = 0;
    int32_t DrawnViewColumn = 0;
    int32_t DrawnViewRow = 0;
    int32_t SavedViewColumn = 0;
    int32_t SavedViewRow = 0;

    // The map and the torch: steps left and the hero cell last counted.
    int32_t MapSteps = 0;
    int32_t MapColumn = 0;
    int32_t MapRow = 0;
    int32_t TorchSteps = 0;
    int32_t TorchColumn = 0;
    int32_t TorchRow = 0;

    // The player's resources.
    int32_t Health = 0;
    int32_t Oxygen = 0;
    int32_t Shots = 0;
    int32_t Bombs = 0;
    int32_t ShotsInFlight = 0;
    int32_t BombsLive = 0;

    // The hero's cell, his place in the window and his movement.
    int32_t HeroColumn = 0;
    int32_t HeroRow = 0;
    int32_t HeroScreenColumn = 4;
    int32_t HeroScreenRow = 4;
    int32_t HeroOffsetX = 0;
    int32_t HeroOffsetY = 0;
    int32_t StepX = 4;
    int32_t StepY = 4;
    int8_t StepLimit = 28;
    uint8_t MoveState = 4;
    int8_t Facing = 1;
    bool StepToggle = true;
};

}  // namespace tibo
