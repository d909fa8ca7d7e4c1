#pragma once
// The labyrinth: a grid of cells seen from the side, with its builder, the
// torch's path tracer and the mini-map.
#include <array>
#include <cstdint>
#include <functional>
#include <tuple>

#include "framework/Bitmap.h"
#include "framework/FieldList.h"
#include "labyrinth/Random.h"

namespace tibo {

// Cell codes.
enum : uint8_t {
    CellPassage = 100,
    CellBorder = 101,
    CellWall = 102,
    CellBrokenWall = 103,
    CellCarveStart = 104,
    CellRopeTop = 105,
    CellRope = 106,
    CellRopeEnd = 107,
    CellExit = 108,
    CellDrop = 150,
    CellTreasure = 166,
    CellPrize1 = 167,
    CellPrize2 = 168,
    CellPrize3 = 169,
    CellTorch = 170,
    CellEnergy = 171,
    CellMap = 172,
    CellSky1 = 173,
    CellSky2 = 174,
    CellSky3 = 175,
    CellSlopeLeft = 190,
    CellSlopeRight = 191,
    CellBombs = 193,
};

// The two settings of the level choice.
enum : uint8_t { SettingMine = 0, SettingPyramid = 1 };

// PathMap values besides 0.
enum : uint8_t { PathLit = 1, PathWall = 102, PathExit = 108 };

struct TMaze {
    // Indexed [column][row], both from 1; only 1..MazeWidth x 1..MazeHeight is used.
    using TGrid = std::array<std::array<uint8_t, 256>, 256>;
    TGrid MazeGrid{};
    TGrid PathMap{};
    int32_t MazeWidth = 0;
    int32_t MazeHeight = 0;
    uint8_t ExitColumn = 0;
    uint8_t ExitRow = 0;
    int8_t ItemDivisor = 1;

    // Cell access; (x, y) must lie in 0..255.
    uint8_t& Cell(int x, int y) { return MazeGrid[static_cast<size_t>(x)][static_cast<size_t>(y)]; }
    uint8_t Cell(int x, int y) const { return MazeGrid[static_cast<size_t>(x)][static_cast<size_t>(y)]; }
    uint8_t& Path(int x, int y) { return PathMap[static_cast<size_t>(x)][static_cast<size_t>(y)]; }
    uint8_t Path(int x, int y) const { return PathMap[static_cast<size_t>(x)][static_cast<size_t>(y)]; }
    bool Inside(int x, int y) const { return x >= 1 && x <= MazeWidth && y >= 1 && y <= MazeHeight; }
    // What an actor finds in a cell it looks at: outside the labyrinth there
    // is only border, which never breaks and never opens.
    uint8_t At(int x, int y) const { return Inside(x, y) ? Cell(x, y) : uint8_t{CellBorder}; }

    // Every field above, as the state dump and the replay checksum write it
    // (a grid as its rows 1..MazeHeight of cells 1..MazeWidth).
    static constexpr auto Fields = std::tuple{
        Field("MazeGrid", &TMaze::MazeGrid),
        Field("PathMap", &TMaze::PathMap),
        Field("MazeWidth", &TMaze::MazeWidth),
        Field("MazeHeight", &TMaze::MazeHeight),
        Field("ExitColumn", &TMaze::ExitColumn),
        Field("ExitRow", &TMaze::ExitRow),
        Field("ItemDivisor", &TMaze::ItemDivisor),
    };
};
static_assert(ListsEveryMember<TMaze>(), "each field of the labyrinth has its line in TMaze::Fields");

// Walls stop the hero, the walkers, the mummies, the ghosts and the shots.
constexpr bool IsWallCell(uint8_t code) { return code == CellWall || code == CellBrokenWall; }
// Rope cells that change the hero's picture and turn worms and monsters back.
constexpr bool IsRopeCell(uint8_t code) { return code == CellRopeTop || code == CellRope; }

// MazeWidth = 22 L + 10 and MazeHeight = 22 L + 20, each raised by one when even;
// throws std::invalid_argument for a level outside 1..5.
void SetMazeSize(TMaze& maze, int level);

// Fills the grid for the level (1..5) and setting; `onDrop` is called for every
// drop cell as it is placed (the caller makes its sprite there). The sizes must
// be the level's (SetMazeSize); otherwise, or for another level, it throws
// std::invalid_argument and leaves the grid untouched.
void BuildMaze(TMaze& maze, int level, uint8_t setting, TRandomizer& random,
               const std::function<void(int x, int y)>& onDrop);

// The pieces of BuildMaze that the game's tests drive on their own.
// One pick-up placement: draws x = Random(W) + 1 and y = Random(H) + 1 until the
// cell is a CellPassage, writes `code` there and returns the cell (the grid must
// have such a cell to spare). A draw that would take the last cell of row 5 the
// exit can stand over (CellPassage or CellRopeTop) is refused like a wall and
// drawn again, so the exit always finds its place and no drop or pick-up ever
// has to give way to it. While building, that refusal never happens: one of
// row 5's junctions always leads down, so row 5 always holds a rope top, which
// no pick-up takes, and the draws are exactly those of the plain search.
struct TMazeCell {
    int X = 0;
    int Y = 0;
};
TMazeCell PlacePickUp(TMaze& maze, uint8_t code, TRandomizer& random);
// Draws x = Random(W) + 1 until cell (x, 5) is CellPassage or CellRopeTop, opens
// the exit above it and hangs a rope into it (CellRopeEnd over a wall, else
// CellRope). Returns false, changing nothing, when row 5 holds no such cell.
bool PlaceExit(TMaze& maze, TRandomizer& random);
// m(y) of the pyramid's cut: how many cells at each side of row y lie outside
// the triangle (A at row 4, 0 at row H).
int PyramidCut(const TMaze& maze, int row);

// Every PathMap value other than the generated walls becomes 0.
void ClearTorchPath(TMaze& maze);
// Lights (PathMap 1) the one path from the exit to the hero's cell. A hero cell
// the walk cannot reach (outside the grid, or walled in as generated) lights nothing.
void TraceTorchPath(TMaze& maze, int heroColumn, int heroRow);

// The eight-by-eight tiles of the mini-map.
struct TMiniTiles {
    const TBitmap* Wall;
    const TBitmap* SlopeLeft;
    const TBitmap* SlopeRight;
    const TBitmap* Empty;
    const TBitmap* Border;
    const TBitmap* Stars;
    const TBitmap* Hero;
};
// Draws the whole mini-map: (MazeWidth + 14) * 8 by (MazeHeight + 22) * 8 pixels,
// cell (x, y) at ((x + 6) * 8, (y + 11) * 8), the hero marker at (0, 0).
void BuildMiniMap(const TMaze& maze, const TMiniTiles& tiles, TBitmap& canvas);
// Blacks out the square of cell (x, y) after a blast cleared it.
void ClearMiniMapCell(TBitmap& canvas, int x, int y);

}  // namespace tibo
