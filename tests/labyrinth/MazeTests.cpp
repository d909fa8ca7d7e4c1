// The labyrinth builder's invariants over many seeds for every level and
// setting, the torch's path against a breadth-first search, and the mini-map.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "labyrinth/Maze.h"

namespace tibo {
namespace {

using testing::AssertionFailure;
using testing::AssertionResult;
using testing::AssertionSuccess;

// The checks read every cell of thousands of labyrinths, so they index the
// grid directly rather than through its accessors, which stay slow unoptimised.
#define TIBO_FAST [[gnu::always_inline]] inline
TIBO_FAST bool IsSkyCode(uint8_t c) { return c >= CellSky1 && c <= CellSky3; }
TIBO_FAST bool IsPickUp(uint8_t c) { return (c >= CellTreasure && c <= CellMap) || c == CellBombs; }
TIBO_FAST bool IsRope(uint8_t c) { return c == CellRopeTop || c == CellRope || c == CellRopeEnd; }
// Open: a cell the hero can stand in, apart from the exit.
TIBO_FAST bool IsOpen(uint8_t c) { return c == CellPassage || IsRope(c) || c == CellDrop || IsPickUp(c); }

struct TView {
    explicit TView(const TMaze& m)
        : W(m.MazeWidth), H(m.MazeHeight), Cells(m.MazeGrid.data()->data()), Paths(m.PathMap.data()->data()) {}
    TIBO_FAST uint8_t operator()(int x, int y) const { return Cells[x * 256 + y]; }
    TIBO_FAST uint8_t Path(int x, int y) const { return Paths[x * 256 + y]; }
    TIBO_FAST bool Inside(int x, int y) const { return x >= 1 && x <= W && y >= 1 && y <= H; }
    int W, H;
    const uint8_t* Cells;
    const uint8_t* Paths;
};
bool IsKnownCode(uint8_t c) {
    return IsOpen(c) || IsSkyCode(c) || c == CellBorder || c == CellWall || c == CellExit || c == CellSlopeLeft ||
           c == CellSlopeRight;
}

std::string At(int x, int y) {
    std::ostringstream s;
    s << "(" << x << ", " << y << ")";
    return s.str();
}

// The pyramid's cut, worked out here from the triangle's geometry.
int Cut(int w, int h, int y) {
    const int a = (w - 2) / 2 - 1;
    return RoundEven(static_cast<double>(a) / (h - 4) * (h - y));
}
bool InsideShape(const TView& m, bool pyramid, int x, int y) {
    if (!pyramid) return x > 1 && x < m.W;
    const int cut = Cut(m.W, m.H, y);
    return x > cut && x < m.W + 1 - cut;
}

struct TCounts {
    int Drops, Treasures, Bombs, Energy, Maps, Torches;
};
// Pick-up counts per level (index 1..5) for "MINE" and "PYRAMID".
constexpr TCounts MineCounts[6] = {{}, {28, 10, 1, 1, 1, 1}, {71, 25, 2, 2, 2, 2}, {134, 47, 4, 4, 3, 3},
                                   {216, 76, 7, 7, 4, 4}, {317, 111, 10, 10, 5, 5}};
constexpr TCounts PyramidCounts[6] = {{}, {14, 5, 0, 0, 0, 0}, {36, 13, 1, 1, 1, 1}, {67, 23, 2, 2, 2, 2},
                                      {108, 38, 3, 3, 2, 2}, {159, 55, 5, 5, 2, 2}};

struct TBuilt {
    std::unique_ptr<TMaze> Maze = std::make_unique<TMaze>();
    std::vector<std::pair<int, int>> Drops;  // as reported to the caller, in order
    bool DropCellsSetWhenReported = true;
};

TBuilt Build(int level, uint8_t setting, uint64_t seed) {
    TBuilt b;
    TRandomizer random(seed);
    SetMazeSize(*b.Maze, level);
    TMaze& m = *b.Maze;
    BuildMaze(m, level, setting, random, [&](int x, int y) {
        if (m.Cell(x, y) != CellDrop) b.DropCellsSetWhenReported = false;
        b.Drops.emplace_back(x, y);
        random.Random(12);  // the caller's sprite draws its first frame here
    });
    return b;
}

// Rows 1 to 3 sky; "MINE": border at both sides from the roof down; "PYRAMID":
// mirrored sky and slopes beside the triangle, edge walls, the five-cell apex,
// and no border but the bottom row.
AssertionResult CheckShape(const TMaze& maze, bool pyramid) {
    const TView m(maze);
    const int w = m.W, h = m.H;
    for (int x = 1; x <= w; ++x) {
        for (int y = 1; y <= 3; ++y)
            if (!IsSkyCode(m(x, y))) return AssertionFailure() << "no sky at " << At(x, y);
        if (m(x, h) != CellBorder) return AssertionFailure() << "no border at " << At(x, h);
    }
    if (!pyramid) {
        for (int y = 4; y <= h; ++y)
            if (m(1, y) != CellBorder || m(w, y) != CellBorder)
                return AssertionFailure() << "side border missing in row " << y;
        for (int x = 2; x < w; ++x)
            for (int y = 4; y < h; ++y) {
                const uint8_t c = m(x, y);
                if (c == CellBorder || IsSkyCode(c) || c == CellSlopeLeft || c == CellSlopeRight)
                    return AssertionFailure() << "code " << int(c) << " inside the mine at " << At(x, y);
            }
        return AssertionSuccess();
    }
    const int a = (w - 2) / 2 - 1;
    if (Cut(w, h, 4) != a || Cut(w, h, 5) != a || Cut(w, h, h) != 0)
        return AssertionFailure() << "unexpected triangle";
    for (int y = 4; y <= h - 1; ++y) {
        const int cut = Cut(w, h, y);
        const int k = std::max(cut, 1);
        const bool stepBelow = Cut(w, h, y + 1) == cut - 1;
        if (y > 4 && Cut(w, h, y - 1) - cut > 1) return AssertionFailure() << "edge jumps at row " << y;
        for (int i = 1; i <= k; ++i) {
            const uint8_t left = m(i, y), right = m(w + 1 - i, y);
            uint8_t want = 0;
            if (i == k) want = y == 4 ? CellSlopeLeft : CellWall;
            else if (y > 4 && i == cut - 1 && stepBelow) want = CellSlopeLeft;
            if (want != 0 ? left != want : !IsSkyCode(left))
                return AssertionFailure() << "code " << int(left) << " beside the pyramid at " << At(i, y);
            const uint8_t mirrored = left == CellSlopeLeft ? uint8_t{CellSlopeRight} : left;
            if (right != mirrored) return AssertionFailure() << "not mirrored: " << At(i, y) << " and " << At(w + 1 - i, y);
        }
    }
    for (int x = 1; x <= w; ++x)
        for (int y = 1; y < h; ++y)
            if (m(x, y) == CellBorder) return AssertionFailure() << "border left at " << At(x, y);
    // The apex: five cells between edge walls in row 5, under the roof.
    if (m(a, 5) != CellWall || m(w + 1 - a, 5) != CellWall || w - 2 * a != 5)
        return AssertionFailure() << "apex is not five cells wide";
    for (int x = a + 1; x <= w - a; ++x)
        if (IsSkyCode(m(x, 5)) || IsSkyCode(m(x, 4)))
            return AssertionFailure() << "sky in the apex at " << At(x, 5);
    if (maze.ExitColumn < a + 1 || maze.ExitColumn > w - a) return AssertionFailure() << "exit outside the apex";
    return AssertionSuccess();
}

// Junctions inside the shape are open; cells at even column and even row never are.
AssertionResult CheckLattice(const TMaze& maze, bool pyramid) {
    const TView m(maze);
    for (int x = 3; x <= m.W - 2; x += 2)
        for (int y = 5; y <= m.H - 2; y += 2)
            if (InsideShape(m, pyramid, x, y) && !IsOpen(m(x, y)))
                return AssertionFailure() << "closed junction " << At(x, y);
    for (int x = 2; x <= m.W; x += 2)
        for (int y = 2; y <= m.H; y += 2)
            if (IsOpen(m(x, y))) return AssertionFailure() << "open cell on the even lattice " << At(x, y);
    return AssertionSuccess();
}

// The open cells form one tree: connected, with one edge fewer than cells.
AssertionResult CheckTree(const TMaze& maze) {
    const TView m(maze);
    const int w = m.W, h = m.H;
    int nodes = 0, edges = 0;
    std::pair<int, int> first{0, 0};
    for (int x = 1; x <= w; ++x)
        for (int y = 1; y <= h; ++y) {
            if (!IsOpen(m(x, y))) continue;
            if (nodes++ == 0) first = {x, y};
            if (x < w && IsOpen(m(x + 1, y))) ++edges;
            if (y < h && IsOpen(m(x, y + 1))) ++edges;
        }
    if (nodes == 0) return AssertionFailure() << "no open cell";
    if (edges != nodes - 1) return AssertionFailure() << nodes << " open cells but " << edges << " links";
    // A flood fill from the first open cell, on a plain stack.
    std::vector<uint8_t> seenCells(256 * 256, 0);
    std::vector<int> stackCells(256 * 256);
    uint8_t* seen = seenCells.data();
    int* stack = stackCells.data();
    int depth = 0, reached = 0;
    stack[depth++] = first.first * 256 + first.second;
    seen[stack[0]] = 1;
    constexpr int Around[4] = {256, -256, 1, -1};
    while (depth > 0) {
        const int k = stack[--depth];
        ++reached;
        for (int step : Around) {
            const int n = k + step;
            if (!m.Inside(n / 256, n % 256) || !IsOpen(m.Cells[n]) || seen[n]) continue;
            seen[n] = 1;
            stack[depth++] = n;
        }
    }
    if (reached != nodes) return AssertionFailure() << "only " << reached << " of " << nodes << " open cells connected";
    return AssertionSuccess();
}

// Every vertical run of open cells holds a rope from top to bottom (hanging
// from the exit where it lies under it); single cells hold none.
AssertionResult CheckRopes(const TMaze& maze) {
    const TView m(maze);
    for (int x = 1; x <= m.W; ++x) {
        int y = 1;
        while (y <= m.H) {
            if (!IsOpen(m(x, y))) {
                ++y;
                continue;
            }
            const int top = y;
            while (y <= m.H && IsOpen(m(x, y))) ++y;
            const int bottom = y - 1;
            const bool fromExit = m(x, top - 1) == CellExit;
            if (!fromExit && top == bottom) {
                if (IsRope(m(x, top))) return AssertionFailure() << "rope in a level corridor at " << At(x, top);
                continue;
            }
            for (int r = top; r <= bottom; ++r) {
                uint8_t want = CellRope;
                if (r == bottom) want = CellRopeEnd;
                else if (r == top && !fromExit) want = CellRopeTop;
                if (m(x, r) != want)
                    return AssertionFailure() << "code " << int(m(x, r)) << " in the shaft at " << At(x, r)
                                              << ", wanted " << int(want);
            }
        }
    }
    return AssertionSuccess();
}

// Only known codes remain (no carving codes), nothing open outside rows
// 5..H-2, one exit in the roof with a rope below, and PathMap marks the walls.
AssertionResult CheckCodesExitAndPathMap(const TMaze& maze) {
    const TView m(maze);
    const int w = m.W, h = m.H;
    int exits = 0;
    for (int x = 1; x <= w; ++x)
        for (int y = 1; y <= h; ++y) {
            const uint8_t c = m(x, y);
            if (!IsKnownCode(c)) return AssertionFailure() << "code " << int(c) << " left at " << At(x, y);
            if (IsOpen(c) && (y < 5 || y > h - 2)) return AssertionFailure() << "code " << int(c) << " at " << At(x, y);
            if (c == CellExit) ++exits;
            const uint8_t want = c == CellWall ? PathWall : 0;
            if (m.Path(x, y) != want) return AssertionFailure() << "PathMap " << int(m.Path(x, y)) << " at " << At(x, y);
        }
    if (exits != 1 || maze.ExitRow != 4 || m(maze.ExitColumn, 4) != CellExit)
        return AssertionFailure() << exits << " exits, exit recorded at " << At(maze.ExitColumn, maze.ExitRow);
    const uint8_t below = m(maze.ExitColumn, 5);
    const uint8_t want = m(maze.ExitColumn, 6) == CellWall ? CellRopeEnd : CellRope;
    if (below != want) return AssertionFailure() << "code " << int(below) << " under the exit";
    return AssertionSuccess();
}

AssertionResult CheckCounts(const TBuilt& b, int level, bool pyramid) {
    const TMaze& maze = *b.Maze;
    const TView m(maze);
    const TCounts want = pyramid ? PyramidCounts[level] : MineCounts[level];
    TCounts got{};
    std::vector<std::pair<int, int>> dropCells;
    for (int x = 1; x <= m.W; ++x)
        for (int y = 1; y <= m.H; ++y) {
            switch (m(x, y)) {
                case CellDrop: ++got.Drops; dropCells.emplace_back(x, y); break;
                case CellTreasure: case CellPrize1: case CellPrize2: case CellPrize3: ++got.Treasures; break;
                case CellBombs: ++got.Bombs; break;
                case CellEnergy: ++got.Energy; break;
                case CellMap: ++got.Maps; break;
                case CellTorch: ++got.Torches; break;
                default: break;
            }
        }
    if (got.Drops != want.Drops || got.Treasures != want.Treasures || got.Bombs != want.Bombs ||
        got.Energy != want.Energy || got.Maps != want.Maps || got.Torches != want.Torches)
        return AssertionFailure() << "counts " << got.Drops << " " << got.Treasures << " " << got.Bombs << " "
                                  << got.Energy << " " << got.Maps << " " << got.Torches;
    if (maze.ItemDivisor != (pyramid ? 2 : 1)) return AssertionFailure() << "ItemDivisor " << int(maze.ItemDivisor);
    std::vector<std::pair<int, int>> reported = b.Drops;
    std::sort(reported.begin(), reported.end());  // the scan above found them sorted
    if (reported != dropCells)
        return AssertionFailure() << "the reported drops are not the drop cells";
    if (!b.DropCellsSetWhenReported) return AssertionFailure() << "a drop was reported before its cell was set";
    return AssertionSuccess();
}

struct TPair {
    int Level;
    uint8_t Setting;
};
std::string PairName(const testing::TestParamInfo<TPair>& info) {
    return std::string(info.param.Setting == SettingPyramid ? "Pyramid" : "Mine") + std::to_string(info.param.Level);
}
const auto AllPairs = testing::Values(TPair{1, SettingMine}, TPair{1, SettingPyramid}, TPair{2, SettingMine},
                                      TPair{2, SettingPyramid}, TPair{3, SettingMine}, TPair{3, SettingPyramid},
                                      TPair{4, SettingMine}, TPair{4, SettingPyramid}, TPair{5, SettingMine},
                                      TPair{5, SettingPyramid});

// Fewer seeds for the big labyrinths keep the whole run to a few seconds.
int SeedsFor(int level) { return level <= 2 ? 200 : level <= 4 ? 100 : 60; }

class BuiltMaze : public testing::TestWithParam<TPair> {};

TEST_P(BuiltMaze, KeepsEveryInvariantOverManySeeds) {
    const auto [level, setting] = GetParam();
    const bool pyramid = setting == SettingPyramid;
    for (int s = 0; s < SeedsFor(level); ++s) {
        const uint64_t seed = 1000u * static_cast<uint64_t>(level) + static_cast<uint64_t>(s) + (pyramid ? 500000u : 0u);
        const TBuilt b = Build(level, setting, seed);
        const TMaze& m = *b.Maze;
        SCOPED_TRACE("seed " + std::to_string(seed));
        ASSERT_EQ(m.MazeWidth, 22 * level + 11);
        ASSERT_EQ(m.MazeHeight, 22 * level + 21);
        ASSERT_TRUE(CheckShape(m, pyramid));
        ASSERT_TRUE(CheckLattice(m, pyramid));
        ASSERT_TRUE(CheckTree(m));
        ASSERT_TRUE(CheckRopes(m));
        ASSERT_TRUE(CheckCodesExitAndPathMap(m));
        ASSERT_TRUE(CheckCounts(b, level, pyramid));
        // Row 5 always has a shaft down, so the exit never has to displace a pick-up.
        bool shaft = false;
        for (int x = 3; x <= m.MazeWidth - 2 && !shaft; x += 2) shaft = IsRope(m.Cell(x, 6));
        ASSERT_TRUE(shaft);
    }
}

// Every cell's way back to the exit in the generated labyrinth, by a
// breadth-first search from the exit over every cell that was not a wall.
std::vector<int> SearchFromExit(const TMaze& maze) {
    const TView m(maze);
    std::vector<int> fromCells(256 * 256, -1), queueCells(256 * 256);
    int* from = fromCells.data();
    int* queue = queueCells.data();
    int head = 0, tail = 0;
    const int exit = maze.ExitColumn * 256 + maze.ExitRow;
    from[exit] = exit;
    queue[tail++] = exit;
    constexpr int Around[4] = {256, -256, 1, -1};
    while (head < tail) {
        const int k = queue[head++];
        for (int step : Around) {
            const int n = k + step;
            if (!m.Inside(n / 256, n % 256) || m.Paths[n] == PathWall || from[n] >= 0) continue;
            from[n] = k;
            queue[tail++] = n;
        }
    }
    return fromCells;
}

// The cells of the path from the hero's cell back to the exit, sorted.
std::vector<int> PathTo(const std::vector<int>& from, int hx, int hy) {
    std::vector<int> path;
    int k = hx * 256 + hy;
    if (from[static_cast<size_t>(k)] < 0) return path;
    for (;;) {
        path.push_back(k);
        const int next = from[static_cast<size_t>(k)];
        if (next == k) break;
        k = next;
    }
    std::sort(path.begin(), path.end());
    return path;
}

// The lit cells as x * 256 + y, sorted.
std::vector<int> LitCells(const TMaze& maze) {
    const TView m(maze);
    std::vector<int> lit;
    for (int x = 1; x <= m.W; ++x)
        for (int y = 1; y <= m.H; ++y)
            if (m.Path(x, y) == PathLit) lit.push_back(x * 256 + y);
    return lit;
}

AssertionResult CheckTrace(TMaze& maze, const std::vector<int>& from, int hx, int hy) {
    TraceTorchPath(maze, hx, hy);
    const auto want = PathTo(from, hx, hy);
    const auto got = LitCells(maze);
    if (want.empty()) return AssertionFailure() << "hero cell " << At(hx, hy) << " unreachable";
    if (got != want)
        return AssertionFailure() << "lit " << got.size() << " cells, the path has " << want.size() << ", hero at "
                                  << At(hx, hy);
    const TView m(maze);
    for (int x = 1; x <= m.W; ++x)
        for (int y = 1; y <= m.H; ++y) {
            const uint8_t p = m.Path(x, y);
            if (p != 0 && p != PathLit && p != PathWall) return AssertionFailure() << "PathMap " << int(p) << " left";
            if ((p == PathWall) != (m(x, y) == CellWall)) return AssertionFailure() << "walls changed";
        }
    return AssertionSuccess();
}

TEST_P(BuiltMaze, TorchLightsTheOnePathFromTheExit) {
    const auto [level, setting] = GetParam();
    for (int s = 0; s < 6; ++s) {
        const TBuilt b = Build(level, setting, 77000u + static_cast<uint64_t>(s));
        TMaze& m = *b.Maze;
        const std::vector<int> from = SearchFromExit(m);
        SCOPED_TRACE("seed " + std::to_string(77000 + s));
        TRandom pick;
        pick.Seed(static_cast<uint64_t>(s));
        for (int found = 0; found < 6;) {
            const int x = pick.Random(m.MazeWidth) + 1, y = pick.Random(m.MazeHeight) + 1;
            if (m.Cell(x, y) != CellPassage) continue;
            ++found;
            ASSERT_TRUE(CheckTrace(m, from, x, y));
        }
        // Right under the exit, and the bottom row's far corners.
        ASSERT_TRUE(CheckTrace(m, from, m.ExitColumn, 5));
        const int bottom = m.MazeHeight - 2;
        for (int x = 3; x <= m.MazeWidth - 2; ++x)
            if (IsOpen(m.Cell(x, bottom))) {
                ASSERT_TRUE(CheckTrace(m, from, x, bottom));
                break;
            }
        for (int x = m.MazeWidth - 2; x >= 3; --x)
            if (IsOpen(m.Cell(x, bottom))) {
                ASSERT_TRUE(CheckTrace(m, from, x, bottom));
                break;
            }
    }
}

INSTANTIATE_TEST_SUITE_P(AllLevels, BuiltMaze, AllPairs, PairName);

TEST(MazeSize, FollowsTheLevelAndRefusesOthers) {
    const int widths[6] = {0, 33, 55, 77, 99, 121}, heights[6] = {0, 43, 65, 87, 109, 131};
    TMaze m;
    for (int level = 1; level <= 5; ++level) {
        SetMazeSize(m, level);
        EXPECT_EQ(m.MazeWidth, widths[level]);
        EXPECT_EQ(m.MazeHeight, heights[level]);
    }
    EXPECT_THROW(SetMazeSize(m, 0), std::invalid_argument);
    EXPECT_THROW(SetMazeSize(m, 6), std::invalid_argument);
    EXPECT_EQ(m.MazeWidth, 121);
}

TEST(MazeBuild, RefusesSizesThatAreNotTheLevels) {
    auto m = std::make_unique<TMaze>();
    TRandomizer random(1);
    SetMazeSize(*m, 2);
    EXPECT_THROW(BuildMaze(*m, 3, SettingMine, random, nullptr), std::invalid_argument);
    EXPECT_THROW(BuildMaze(*m, 0, SettingMine, random, nullptr), std::invalid_argument);
    m->MazeWidth = 56;
    EXPECT_THROW(BuildMaze(*m, 2, SettingMine, random, nullptr), std::invalid_argument);
    EXPECT_EQ(m->Cell(1, 1), 0);  // untouched
    SetMazeSize(*m, 2);
    EXPECT_NO_THROW(BuildMaze(*m, 2, SettingMine, random, nullptr));  // no drop callback is fine too
}

TEST(MazeBuild, SameSeedSameLabyrinthAndAnotherSeedAnother) {
    for (uint8_t setting : {SettingMine, SettingPyramid}) {
        const TBuilt a = Build(3, setting, 42), b = Build(3, setting, 42), c = Build(3, setting, 43);
        EXPECT_EQ(a.Maze->MazeGrid, b.Maze->MazeGrid);
        EXPECT_EQ(a.Maze->PathMap, b.Maze->PathMap);
        EXPECT_EQ(a.Drops, b.Drops);
        EXPECT_NE(a.Maze->MazeGrid, c.Maze->MazeGrid);
    }
}

TEST(MazeBuild, ReseedsBeforeCarvingBeforeDressingAndBeforePickUps) {
    // Three re-seeds in the pyramid (carving, dressing, pick-ups), two in the mine.
    auto m = std::make_unique<TMaze>();
    TRandomizer mine(5), pyramid(5);
    SetMazeSize(*m, 1);
    BuildMaze(*m, 1, SettingMine, mine, nullptr);
    BuildMaze(*m, 1, SettingPyramid, pyramid, nullptr);
    EXPECT_EQ(mine.ReseedCount(), 2u);
    EXPECT_EQ(pyramid.ReseedCount(), 3u);
    // The carving follows its re-seed, so the sky drawn before it does not
    // change the labyrinth of a given seed and re-seed count.
    auto n = std::make_unique<TMaze>();
    TRandomizer other(5);
    other.Random(7);
    SetMazeSize(*n, 1);
    BuildMaze(*n, 1, SettingPyramid, other, nullptr);
    for (int x = 1; x <= m->MazeWidth; ++x)
        for (int y = 4; y <= m->MazeHeight; ++y) ASSERT_EQ(m->Cell(x, y), n->Cell(x, y)) << At(x, y);
}

// A small hand-made grid: row 5 holds one passage, rows 7 and 9 a few more.
struct SmallGrid : testing::Test {
    std::unique_ptr<TMaze> m = std::make_unique<TMaze>();
    void SetUp() override {
        m->MazeWidth = 9;
        m->MazeHeight = 11;
        for (int x = 1; x <= 9; ++x)
            for (int y = 1; y <= 11; ++y) m->Cell(x, y) = CellWall;
        m->Cell(5, 5) = CellPassage;
        for (int x = 3; x <= 7; ++x) m->Cell(x, 7) = CellPassage;
    }
};

TEST_F(SmallGrid, PickUpsLeaveRowFiveACellForTheExit) {
    for (uint64_t seed = 0; seed < 50; ++seed) {
        SetUp();
        TRandomizer random(seed);
        std::set<std::pair<int, int>> taken;
        for (int i = 0; i < 5; ++i) {
            const TMazeCell c = PlacePickUp(*m, CellTorch, random);
            EXPECT_EQ(c.Y, 7);
            EXPECT_EQ(m->Cell(c.X, c.Y), CellTorch);
            taken.emplace(c.X, c.Y);
        }
        EXPECT_EQ(taken.size(), 5u);
        EXPECT_EQ(m->Cell(5, 5), CellPassage);
        ASSERT_TRUE(PlaceExit(*m, random));
        EXPECT_EQ(m->ExitColumn, 5);
        EXPECT_EQ(m->ExitRow, 4);
        EXPECT_EQ(m->Cell(5, 4), CellExit);
        EXPECT_EQ(m->Cell(5, 5), CellRopeEnd);  // a wall below
    }
}

TEST_F(SmallGrid, PickUpsTakeRowFiveWhileAnotherPlaceRemains) {
    bool tookRowFive = false;
    for (uint64_t seed = 0; seed < 50 && !tookRowFive; ++seed) {
        SetUp();
        m->Cell(3, 5) = CellRopeTop;
        TRandomizer random(seed);
        tookRowFive = PlacePickUp(*m, CellMap, random).Y == 5;
    }
    EXPECT_TRUE(tookRowFive);
}

TEST_F(SmallGrid, ExitOverARopeTopContinuesTheRope) {
    m->Cell(5, 5) = CellRopeTop;
    m->Cell(5, 6) = CellRopeEnd;
    TRandomizer random(3);
    ASSERT_TRUE(PlaceExit(*m, random));
    EXPECT_EQ(m->Cell(5, 5), CellRope);
    EXPECT_EQ(m->Cell(5, 6), CellRopeEnd);
}

TEST_F(SmallGrid, ExitSearchGivesUpWithoutAPlaceInsteadOfLoopingForever) {
    m->Cell(5, 5) = CellTreasure;
    const TMaze before = *m;
    TRandomizer random(3);
    EXPECT_FALSE(PlaceExit(*m, random));
    EXPECT_EQ(m->MazeGrid, before.MazeGrid);
}

TEST(TorchPath, ClearKeepsOnlyTheGeneratedWalls) {
    const TBuilt b = Build(1, SettingMine, 9);
    TMaze& m = *b.Maze;
    TraceTorchPath(m, m.ExitColumn, 5);
    m.Path(1, 1) = PathExit;
    m.Path(m.MazeWidth + 1, 1) = 7;  // outside the used grid: not ours to clear
    ClearTorchPath(m);
    for (int x = 1; x <= m.MazeWidth; ++x)
        for (int y = 1; y <= m.MazeHeight; ++y)
            ASSERT_EQ(m.Path(x, y), m.Cell(x, y) == CellWall ? PathWall : 0) << At(x, y);
    EXPECT_EQ(m.Path(m.MazeWidth + 1, 1), 7);
}

TEST(TorchPath, NextToTheExitLightsJustThoseCells) {
    const TBuilt b = Build(2, SettingPyramid, 11);
    TMaze& m = *b.Maze;
    TraceTorchPath(m, m.ExitColumn, 5);
    const std::vector<int> want{m.ExitColumn * 256 + 4, m.ExitColumn * 256 + 5};
    EXPECT_EQ(LitCells(m), want);
}

TEST(TorchPath, FollowsTheLabyrinthAsGeneratedNotAsBlasted) {
    const TBuilt b = Build(2, SettingMine, 12);
    TMaze& m = *b.Maze;
    const int hx = m.MazeWidth - 2, hy = m.MazeHeight - 2;
    TraceTorchPath(m, hx, hy);
    const auto before = LitCells(m);
    for (int x = 2; x < m.MazeWidth; ++x)
        for (int y = 5; y < m.MazeHeight - 1; ++y)
            if (m.Cell(x, y) == CellWall) m.Cell(x, y) = CellPassage;  // every wall blasted
    TraceTorchPath(m, hx, hy);
    EXPECT_EQ(LitCells(m), before);
}

TEST(TorchPath, UnreachableHeroLightsNothingAndEnds) {
    const TBuilt b = Build(1, SettingMine, 13);
    TMaze& m = *b.Maze;
    TraceTorchPath(m, 2, 6);  // a wall cell as generated
    EXPECT_TRUE(LitCells(m).empty());
    TraceTorchPath(m, m.MazeWidth + 3, 6);  // outside the grid
    EXPECT_TRUE(LitCells(m).empty());
    TraceTorchPath(m, m.ExitColumn, 4);  // the exit itself is a wall to the walk
    EXPECT_TRUE(LitCells(m).empty());
    TMaze empty;
    TraceTorchPath(empty, 3, 5);  // nothing built yet: no exit to start from
    EXPECT_TRUE(LitCells(empty).empty());
}

// Tiles whose pixel (tx, ty) is base + 8 ty + tx, so every pixel tells which
// tile and which of its pixels landed there.
struct MiniMap : testing::Test {
    TBitmap wall, slopeLeft, slopeRight, empty, border, stars, hero;
    TMiniTiles tiles{&wall, &slopeLeft, &slopeRight, &empty, &border, &stars, &hero};
    void SetUp() override {
        const std::pair<TBitmap*, TColor> all[] = {{&wall, 0x100000}, {&slopeLeft, 0x200000}, {&slopeRight, 0x300000},
                                                   {&empty, 0x400000}, {&border, 0x500000}, {&stars, 0x600000},
                                                   {&hero, 0x700000}};
        for (const auto& [tile, base] : all) {
            tile->Resize(8, 8);
            for (int i = 0; i < 64; ++i) tile->Pixels[static_cast<size_t>(i)] = base + static_cast<TColor>(i);
        }
    }
    static TColor Base(const TBitmap& canvas, int x, int y) { return canvas.At(x, y) & 0xF00000; }
    // True when the square for cell (x, y) shows `tile` whole and in place.
    static bool Shows(const TBitmap& canvas, int x, int y, const TBitmap& tile) {
        const int left = (x + 6) * 8, top = (y + 11) * 8;
        for (int ty = 0; ty < 8; ++ty)
            for (int tx = 0; tx < 8; ++tx)
                if (top + ty < canvas.Height && canvas.At(left + tx, top + ty) != tile.At(tx, ty)) return false;
        return true;
    }
};

TEST_F(MiniMap, DrawsEveryCellAndTheSurroundings) {
    for (uint8_t setting : {SettingMine, SettingPyramid}) {
        const TBuilt b = Build(1, setting, 21);
        TMaze& m = *b.Maze;
        m.Cell(5, 7) = CellBrokenWall;
        TBitmap canvas;
        BuildMiniMap(m, tiles, canvas);
        ASSERT_EQ(canvas.Width, (33 + 14) * 8);
        ASSERT_EQ(canvas.Height, (43 + 22) * 8);
        for (int x = -6; x <= m.MazeWidth + 7; ++x)
            for (int y = -9; y <= m.MazeHeight + 10; ++y) {
                const TBitmap* want = &border;
                if (!m.Inside(x, y)) {
                    if (y < 4) want = &stars;
                } else {
                    const uint8_t c = m.Cell(x, y);
                    if (c == CellWall || c == CellBrokenWall) want = &wall;
                    else if (IsSkyCode(c)) want = &stars;
                    else if (c == CellSlopeLeft) want = &slopeLeft;
                    else if (c == CellSlopeRight) want = &slopeRight;
                    else if (c != CellBorder) want = &empty;
                }
                ASSERT_TRUE(Shows(canvas, x, y, *want)) << At(x, y) << " code " << int(m.Inside(x, y) ? m.Cell(x, y) : 0);
            }
        for (int ty = 0; ty < 8; ++ty)
            for (int tx = 0; tx < 8; ++tx) ASSERT_EQ(canvas.At(tx, ty), hero.At(tx, ty));
        EXPECT_EQ(Base(canvas, 8, 0), 0u);  // the top strip beside the marker is black
        EXPECT_EQ(Base(canvas, 0, 15), 0u);
    }
}

TEST_F(MiniMap, ClearingACellBlacksOutOnlyItsSquare) {
    const TBuilt b = Build(1, SettingMine, 22);
    TBitmap canvas;
    BuildMiniMap(*b.Maze, tiles, canvas);
    const TBitmap before = canvas;
    ClearMiniMapCell(canvas, 4, 6);
    const int left = (4 + 6) * 8, top = (6 + 11) * 8;
    for (int y = 0; y < canvas.Height; ++y)
        for (int x = 0; x < canvas.Width; ++x) {
            const bool inSquare = x >= left && x < left + 8 && y >= top && y < top + 8;
            ASSERT_EQ(canvas.At(x, y), inSquare ? 0u : before.At(x, y)) << x << ", " << y;
        }
    ClearMiniMapCell(canvas, -20, 400);  // outside the canvas: nothing happens
    ClearMiniMapCell(canvas, 1000, -1000);
    ClearMiniMapCell(canvas, INT32_MAX, INT32_MIN);
    EXPECT_EQ(canvas.Pixels.size(), before.Pixels.size());
}

TEST_F(MiniMap, MissingOrSmallTilesDrawBlack) {
    const TBuilt b = Build(1, SettingMine, 23);
    TBitmap small;
    small.Resize(4, 4, 0xABCDEF);
    TBitmap broken;  // claims a size but holds no pixels
    broken.Width = broken.Height = 8;
    TMiniTiles partial{&small, &broken, &broken, nullptr, &broken, nullptr, nullptr};
    TBitmap canvas;
    BuildMiniMap(*b.Maze, partial, canvas);
    const int left = (2 + 6) * 8, top = (6 + 11) * 8;  // (2, 6) is always wall in the mine
    EXPECT_EQ(canvas.At(left, top), 0xABCDEFu);
    EXPECT_EQ(canvas.At(left + 3, top + 3), 0xABCDEFu);
    EXPECT_EQ(canvas.At(left + 4, top), 0u);
    EXPECT_EQ(canvas.At(left, top + 7), 0u);
    EXPECT_EQ(canvas.At(0, 0), 0u);
    EXPECT_EQ(canvas.At((1 + 6) * 8, (10 + 11) * 8), 0u);  // a border cell, from the broken tile
}

}  // namespace
}  // namespace tibo
