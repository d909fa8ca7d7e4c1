// The labyrinth's builder, the torch's path tracer and the mini-map.
#include "labyrinth/Maze.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>

namespace tibo {
namespace {

constexpr int MinLevel = 1;
constexpr int MaxLevel = 5;
constexpr int RoofRow = 4;
constexpr int ApexRow = 5;

// The carving walk's steps, by direction code: right, down, left, up.
constexpr int8_t CarveStep[4][2] = {{2, 0}, {0, 2}, {-2, 0}, {0, -2}};

int LevelWidth(int level) { return (22 * level + 10) | 1; }
int LevelHeight(int level) { return (22 * level + 20) | 1; }

bool IsSky(uint8_t c) { return c >= CellSky1 && c <= CellSky3; }
bool IsExitFloor(uint8_t c) { return c == CellPassage || c == CellRopeTop; }

uint8_t RandomSky(TRandomizer& random) { return static_cast<uint8_t>(CellSky1 + random.Random(3)); }

// Pick-ups per cell of the labyrinth's area. The rates are single-precision
// numbers, as the game has always had them: at level 2 the mine's area of 3575
// cells gives exactly 71.5 drops at a rate of 0.02, which would round to 72, but
// the single-precision 0.02 lies just below it and the mine has 71 drops.
constexpr float DropRate = 0.02f;
constexpr float TreasureRate = 0.007f;
constexpr float SupplyRate = 0.000625f;

// Pick-up counts scale with the labyrinth's area and shrink by the divisor.
int AreaCount(const TMaze& maze, float perCell) {
    return RoundEven(static_cast<double>(maze.MazeWidth * maze.MazeHeight) * static_cast<double>(perCell) /
                     maze.ItemDivisor);
}

// Solid rock under a starry sky, bordered at the sides and the bottom.
void FillRock(TMaze& maze, TRandomizer& random) {
    const int w = maze.MazeWidth, h = maze.MazeHeight;
    for (int x = 1; x <= w; ++x)
        for (int y = 1; y <= h; ++y) maze.Cell(x, y) = CellWall;
    for (int x = 1; x <= w; ++x)
        for (int y = 1; y <= 3; ++y) maze.Cell(x, y) = RandomSky(random);
    for (int x = 1; x <= w; ++x) maze.Cell(x, h) = CellBorder;
    for (int y = RoofRow; y <= h; ++y) {
        maze.Cell(1, y) = CellBorder;
        maze.Cell(w, y) = CellBorder;
    }
}

// The pyramid: everything outside the triangle becomes border for now, so the
// carving walk stays inside it.
void CutPyramid(TMaze& maze) {
    const int w = maze.MazeWidth, h = maze.MazeHeight;
    for (int y = RoofRow; y <= h; ++y) {
        const int m = PyramidCut(maze, y);
        for (int i = 1; i <= m; ++i) {
            maze.Cell(i, y) = CellBorder;
            maze.Cell(w + 1 - i, y) = CellBorder;
        }
    }
}

// A depth-first walk over the junction cells from a random start.
// The walk keeps its trail in the grid: each entered junction holds the direction
// code it was entered by until the walk backs out of it.
void Carve(TMaze& maze, TRandomizer& random) {
    const int w = maze.MazeWidth, h = maze.MazeHeight;
    random.Randomize();
    int x = 0, y = 0;
    do {
        x = random.Random(w - 4) + 3;
        if (x % 2 == 0) ++x;
        y = random.Random(h - 4) + 5;
        if (y % 2 == 0) ++y;
    } while (maze.Cell(x, y) != CellWall);
    maze.Cell(x, y) = CellCarveStart;

    for (;;) {
        const int first = random.Random(4);
        bool moved = false;
        for (int t = 0; t < 4 && !moved; ++t) {
            const int d = (first + t) % 4;
            const int dx = CarveStep[d][0], dy = CarveStep[d][1];
            if (maze.Cell(x + dx, y + dy) != CellWall) continue;
            maze.Cell(x + dx, y + dy) = static_cast<uint8_t>(d);
            maze.Cell(x + dx / 2, y + dy / 2) = CellPassage;
            x += dx;
            y += dy;
            moved = true;
        }
        if (moved) continue;
        const uint8_t came = maze.Cell(x, y);
        maze.Cell(x, y) = CellPassage;
        if (came == CellCarveStart) break;
        const int dx = CarveStep[came][0], dy = CarveStep[came][1];
        maze.Cell(x - dx / 2, y - dy / 2) = CellPassage;
        x -= dx;
        y -= dy;
    }
}

// The sky beside the pyramid (one draw for both mirrored cells), its
// edge walls, and the slope pieces on the steps of the edge.
void DressPyramid(TMaze& maze, TRandomizer& random) {
    const int w = maze.MazeWidth, h = maze.MazeHeight;
    random.Randomize();
    for (int y = RoofRow; y <= h - 1; ++y) {
        const int k = std::max(PyramidCut(maze, y), 1);
        for (int i = 1; i <= k - 1; ++i) {
            const uint8_t sky = RandomSky(random);
            maze.Cell(i, y) = sky;
            maze.Cell(w + 1 - i, y) = sky;
        }
        maze.Cell(k, y) = CellWall;
        maze.Cell(w + 1 - k, y) = CellWall;
    }
    for (int y = RoofRow; y <= h - 1; ++y) {
        const int m = PyramidCut(maze, y);
        if (y == RoofRow) {
            maze.Cell(m, y) = CellSlopeLeft;
            maze.Cell(w + 1 - m, y) = CellSlopeRight;
        } else if (m > 1) {
            if (IsSky(maze.Cell(m - 1, y)) && maze.Cell(m - 1, y + 1) == CellWall) maze.Cell(m - 1, y) = CellSlopeLeft;
            if (IsSky(maze.Cell(w + 2 - m, y)) && maze.Cell(w + 2 - m, y + 1) == CellWall)
                maze.Cell(w + 2 - m, y) = CellSlopeRight;
        }
    }
}

// A rope in every vertical run of two or more passage cells.
void HangRopes(TMaze& maze) {
    const int w = maze.MazeWidth, h = maze.MazeHeight;
    for (int x = 1; x <= w; ++x) {
        int y = 1;
        while (y < h) {
            if (maze.Cell(x, y) != CellPassage || maze.Cell(x, y + 1) != CellPassage) {
                ++y;
                continue;
            }
            maze.Cell(x, y++) = CellRopeTop;
            while (y <= h && maze.Cell(x, y) == CellPassage) maze.Cell(x, y++) = CellRope;
            maze.Cell(x, y - 1) = CellRopeEnd;
        }
    }
}

// Drops first (the caller makes each one's sprite as it is placed),
// then treasures and prizes, bombs, energy, maps and torches.
void PlacePickUps(TMaze& maze, int level, TRandomizer& random, const std::function<void(int x, int y)>& onDrop) {
    const int drops = AreaCount(maze, DropRate);
    for (int i = 0; i < drops; ++i) {
        const TMazeCell c = PlacePickUp(maze, CellDrop, random);
        if (onDrop) onDrop(c.X, c.Y);
    }
    const int treasures = AreaCount(maze, TreasureRate);
    for (int i = 0; i < treasures; ++i) {
        const TMazeCell c = PlacePickUp(maze, CellPassage, random);
        maze.Cell(c.X, c.Y) = static_cast<uint8_t>(CellTreasure + random.Random(4));
    }
    const int supplies = AreaCount(maze, SupplyRate);
    for (int i = 0; i < supplies; ++i) PlacePickUp(maze, CellBombs, random);
    for (int i = 0; i < supplies; ++i) PlacePickUp(maze, CellEnergy, random);
    const int aids = RoundEven(static_cast<double>(level) / maze.ItemDivisor);
    for (int i = 0; i < aids; ++i) PlacePickUp(maze, CellMap, random);
    for (int i = 0; i < aids; ++i) PlacePickUp(maze, CellTorch, random);
}

// Copies an eight-by-eight tile into the canvas at (left, top), cut at the
// canvas's edges; a missing tile, or the part of a smaller one, draws black.
void DrawTile(TBitmap& canvas, const TBitmap* tile, int left, int top) {
    if (tile != nullptr && (tile->Empty() || tile->Pixels.size() < static_cast<size_t>(tile->Width) *
                                                                    static_cast<size_t>(tile->Height)))
        tile = nullptr;
    const bool whole = tile != nullptr && tile->Width >= 8 && tile->Height >= 8;
    if (whole && left >= 0 && top >= 0 && left + 8 <= canvas.Width && top + 8 <= canvas.Height) {
        for (int ty = 0; ty < 8; ++ty) {
            const auto from = tile->Pixels.begin() + static_cast<std::ptrdiff_t>(ty) * tile->Width;
            std::copy(from, from + 8,
                      canvas.Pixels.begin() + static_cast<std::ptrdiff_t>(top + ty) * canvas.Width + left);
        }
        return;
    }
    for (int ty = 0; ty < 8; ++ty) {
        const int py = top + ty;
        if (py < 0 || py >= canvas.Height) continue;
        for (int tx = 0; tx < 8; ++tx) {
            const int px = left + tx;
            if (px < 0 || px >= canvas.Width) continue;
            const bool covered = tile != nullptr && tx < tile->Width && ty < tile->Height;
            canvas.Pixels[static_cast<size_t>(py) * static_cast<size_t>(canvas.Width) + static_cast<size_t>(px)] =
                covered ? tile->At(tx, ty) : 0;
        }
    }
}

const TBitmap* TileFor(const TMaze& maze, const TMiniTiles& tiles, int x, int y) {
    if (!maze.Inside(x, y)) return y < RoofRow ? tiles.Stars : tiles.Border;
    const uint8_t c = maze.Cell(x, y);
    if (c == CellBorder) return tiles.Border;
    if (c == CellWall || c == CellBrokenWall) return tiles.Wall;
    if (IsSky(c)) return tiles.Stars;
    if (c == CellSlopeLeft) return tiles.SlopeLeft;
    if (c == CellSlopeRight) return tiles.SlopeRight;
    return tiles.Empty;
}

}  // namespace

void SetMazeSize(TMaze& maze, int level) {
    if (level < MinLevel || level > MaxLevel) throw std::invalid_argument("SetMazeSize: level outside 1..5");
    maze.MazeWidth = LevelWidth(level);
    maze.MazeHeight = LevelHeight(level);
}

int PyramidCut(const TMaze& maze, int row) {
    const int a = (maze.MazeWidth - 2) / 2 - 1;
    const int d = maze.MazeHeight - 4;
    return RoundEven(static_cast<double>(a) / d * (maze.MazeHeight - row));
}

TMazeCell PlacePickUp(TMaze& maze, uint8_t code, TRandomizer& random) {
    const int w = maze.MazeWidth, h = maze.MazeHeight;
    for (;;) {
        const int x = random.Random(w) + 1;
        const int y = random.Random(h) + 1;
        if (maze.Cell(x, y) != CellPassage) continue;
        if (y == ApexRow) {
            // Keep a place for the exit: refuse the last one left in row 5.
            int left = 0;
            for (int i = 1; i <= w; ++i) left += IsExitFloor(maze.Cell(i, ApexRow)) ? 1 : 0;
            if (left <= 1) continue;
        }
        maze.Cell(x, y) = code;
        return {x, y};
    }
}

bool PlaceExit(TMaze& maze, TRandomizer& random) {
    const int w = maze.MazeWidth;
    bool any = false;
    for (int i = 1; i <= w && !any; ++i) any = IsExitFloor(maze.Cell(i, ApexRow));
    if (!any) return false;
    int x = 0;
    do {
        x = random.Random(w) + 1;
    } while (!IsExitFloor(maze.Cell(x, ApexRow)));
    maze.Cell(x, RoofRow) = CellExit;
    maze.ExitColumn = static_cast<uint8_t>(x);
    maze.ExitRow = RoofRow;
    maze.Cell(x, ApexRow) = maze.Cell(x, ApexRow + 1) == CellWall ? CellRopeEnd : CellRope;
    return true;
}

void BuildMaze(TMaze& maze, int level, uint8_t setting, TRandomizer& random,
               const std::function<void(int x, int y)>& onDrop) {
    if (level < MinLevel || level > MaxLevel) throw std::invalid_argument("BuildMaze: level outside 1..5");
    if (maze.MazeWidth != LevelWidth(level) || maze.MazeHeight != LevelHeight(level))
        throw std::invalid_argument("BuildMaze: the labyrinth's size is not the level's");
    const bool pyramid = setting == SettingPyramid;

    FillRock(maze, random);
    if (pyramid) CutPyramid(maze);
    Carve(maze, random);
    if (pyramid) DressPyramid(maze, random);
    HangRopes(maze);
    maze.ItemDivisor = pyramid ? 2 : 1;
    random.Randomize();
    PlacePickUps(maze, level, random, onDrop);
    // Row 5 always keeps a cell for the exit (see PlacePickUp), so this succeeds.
    PlaceExit(maze, random);

    for (int x = 1; x <= maze.MazeWidth; ++x)
        for (int y = 1; y <= maze.MazeHeight; ++y) maze.Path(x, y) = maze.Cell(x, y) == CellWall ? PathWall : 0;
}

void ClearTorchPath(TMaze& maze) {
    for (int x = 1; x <= maze.MazeWidth; ++x)
        for (int y = 1; y <= maze.MazeHeight; ++y)
            if (maze.Path(x, y) != PathWall) maze.Path(x, y) = 0;
}

void TraceTorchPath(TMaze& maze, int heroColumn, int heroRow) {
    ClearTorchPath(maze);
    const int ex = maze.ExitColumn, ey = maze.ExitRow;
    if (!maze.Inside(ex, ey) || !maze.Inside(ex, ey + 1) || !maze.Inside(heroColumn, heroRow)) return;

    // Directions: 0 right, 1 up, 2 left, 3 down; turning goes clockwise.
    static constexpr int StepX[4] = {1, 0, -1, 0};
    static constexpr int StepY[4] = {0, -1, 0, 1};
    constexpr int None = -1;
    const auto turn = [](int d) { return d == 0 ? 3 : d - 1; };
    const auto reverse = [](int d) { return d <= 1 ? d + 2 : d - 2; };
    // The generated walls and the exit block the walk; so does the grid's edge,
    // which a labyrinth built by BuildMaze never lets it reach.
    const auto blocked = [&maze](int x, int y) {
        if (!maze.Inside(x, y)) return true;
        const uint8_t p = maze.Path(x, y);
        return p == PathWall || p == PathExit;
    };

    int x = ex, y = ey + 1;
    maze.Path(ex, ey) = PathExit;
    maze.Path(x, y) = PathLit;
    int d = 0;
    int tries = 0;
    do {
        d = turn(d);
    } while (blocked(x + StepX[d], y + StepY[d]) && ++tries < 4);
    const bool walledIn = tries == 4;
    int last = d;

    // The left-hand walk covers each corridor of the tree at most twice before
    // it would come round again, so a longer walk means the hero is out of reach.
    long budget = 4L * maze.MazeWidth * maze.MazeHeight;
    while (x != heroColumn || y != heroRow) {
        if (walledIn || --budget < 0) {
            ClearTorchPath(maze);
            return;
        }
        x += StepX[d];
        y += StepY[d];
        int n = reverse(d);
        for (int t = 0; t < 4; ++t) {
            n = turn(n);
            if (!blocked(x + StepX[n], y + StepY[n])) break;
        }
        if (last != None && n == reverse(last)) {
            maze.Path(x, y) = 0;  // leaving a dead end
            last = None;
        } else if (maze.Path(x + StepX[n], y + StepY[n]) == 0) {
            maze.Path(x, y) = PathLit;
            last = n;
        } else {
            maze.Path(x, y) = 0;  // backing out over walked ground
            last = None;
        }
        d = n;
    }
    maze.Path(ex, ey) = PathLit;
    maze.Path(heroColumn, heroRow) = PathLit;
}

void BuildMiniMap(const TMaze& maze, const TMiniTiles& tiles, TBitmap& canvas) {
    canvas.Resize((maze.MazeWidth + 14) * 8, (maze.MazeHeight + 22) * 8, 0);
    for (int x = -6; x <= maze.MazeWidth + 7; ++x)
        for (int y = -9; y <= maze.MazeHeight + 11; ++y)
            DrawTile(canvas, TileFor(maze, tiles, x, y), (x + 6) * 8, (y + 11) * 8);
    DrawTile(canvas, tiles.Hero, 0, 0);
}

void ClearMiniMapCell(TBitmap& canvas, int x, int y) {
    if (x < -6 || x > 255 || y < -11 || y > 255) return;  // no square of the map there
    DrawTile(canvas, nullptr, (x + 6) * 8, (y + 11) * 8);
}

}  // namespace tibo
