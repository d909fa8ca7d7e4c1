// The walkers, mummies, ghosts and drops, on plays with no form: enemies are
// put by hand into patches of labyrinth drawn in the middle of a real level,
// far from the hero, who stands still on the bottom corridor.
#include <gtest/gtest.h>

#include <cctype>
#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/PlayRig.h"

namespace tibo {
namespace {

using testing_support::Lower;
using testing_support::TPlayRig;

std::string Picture(const TImageSprite& s) { return Lower(s.Image->Name()); }
int Sign(int v) { return (v > 0) - (v < 0); }

// A level 5 "MINE" past its preview with its own enemies gone; patches are
// drawn at (X0, Y0), some ninety rows above the hero.
struct Field {
    static constexpr int X0 = 40, Y0 = 40;
    explicit Field(uint64_t seed = 3) : rig(5, SettingMine, seed) {
        rig.SkipPreview();
        rig.ClearEnemies();
    }
    std::map<char, std::pair<int, int>> Lay(const std::vector<std::string>& rows) { return rig.LayPatch(X0, Y0, rows); }
    TPlayVariables& V() { return rig.Play->Vars; }

    // Enemies made as the level set-up makes them.
    TVermeSprite& Walker(TWalkerKind kind, int8_t direction, std::pair<int, int> cell) {
        auto* w = new TVermeSprite(&rig.Engine());
        w->Kind = kind;
        w->Direction = direction;
        w->ShowPicture(rig.Nemici.Items.Find(WalkerPicture(kind, direction)));
        w->ImageCheck = true;
        if (kind != wkWorm) {
            w->FrameCount = w->Image->PatternTotal();
            w->FrameLooped = true;
            w->FrameSpeed = 0.02;
        }
        w->Column = cell.first;
        w->Row = cell.second;
        return *w;
    }
    TMummiaSprite& Mummy(TMummyMode mode, std::pair<int, int> cell) {
        auto* m = new TMummiaSprite(&rig.Engine());
        m->Mode = mode;
        m->ShowPicture(rig.Nemici.Items.Find(mode == mmWalkingRight ? "MummiaDx0" : "MummiaSx0"));
        m->ImageCheck = true;
        m->Column = cell.first;
        m->Row = cell.second;
        return *m;
    }
    TFantasmaSprite& Ghost(std::pair<int, int> cell) {
        auto* g = new TFantasmaSprite(&rig.Engine());
        g->ShowPicture(rig.Nemici.Items.Find("FantasmaDx"));
        g->PictureSide = -1;
        g->ImageCheck = true;
        g->Column = cell.first;
        g->Row = cell.second;
        return *g;
    }
    // What a shot or a blast does to an enemy.
    void Kill(TImageSprite& enemy, bool& alive) {
        alive = false;
        enemy.ShowPicture(rig.Sfondo.Items.Find("Esplosione"));
        enemy.FrameCount = 5;
        enemy.FrameLooped = false;
        enemy.FrameSpeed = 0.015;
        enemy.FramePos = 0;
    }

    TPlayRig rig;
};

// A walker's left edge in pixels from the grid's left.
int Pixels(const TVermeSprite& w) { return 32 * w.Column + w.OffsetX; }

TEST(WalkerTest, WormsAndMonstersTurnAtRopesTheFliersCrossThemAndAllTurnAtWalls) {
    Field f;
    auto at = f.Lay({"##########",
                     "#v..T....#",
                     "##########",
                     "#m..R....#",
                     "##########",
                     "#p..R....#",
                     "##########",
                     "#u..T....#",
                     "##########",
                     "#o..R....#",
                     "##########",
                     "#c#",
                     "###"});
    const int x0 = Field::X0;
    struct Case {
        TVermeSprite* w;
        int farColumn;  // the last cell before a rope or the far wall
        const char* leftPicture;
    };
    std::vector<Case> cases = {{&f.Walker(wkWorm, 1, at['v']), x0 + 3, "vermesx"},
                               {&f.Walker(wkMonster, 1, at['m']), x0 + 3, "mostrosx"},
                               {&f.Walker(wkBat, 1, at['p']), x0 + 8, "pipistrello"},
                               {&f.Walker(wkBigBird, 1, at['u']), x0 + 8, "uccellacciosx"},
                               {&f.Walker(wkRoundMonster, 1, at['o']), x0 + 8, "mostrotondosx"}};
    TVermeSprite& pocket = f.Walker(wkBigBird, 1, at['c']);

    std::vector<int> firstTurn(cases.size(), 0), secondTurn(cases.size(), 0);
    std::vector<int> lastPixels;
    for (const Case& c : cases) lastPixels.push_back(Pixels(*c.w));
    for (int frame = 1; frame <= 400; ++frame) {
        f.rig.Tick();
        for (size_t i = 0; i < cases.size(); ++i) {
            const Case& c = cases[i];
            const int px = Pixels(*c.w);
            ASSERT_GE(px, 32 * (x0 + 1)) << "kind " << int(c.w->Kind) << " overlaps the left wall, frame " << frame;
            ASSERT_LE(px, 32 * c.farColumn) << "kind " << int(c.w->Kind) << " overlaps what stops it, frame " << frame;
            EXPECT_EQ(c.w->Row, Field::Y0 + 2 * static_cast<int>(i) + 1) << "walkers never fall";
            EXPECT_EQ(c.w->X, CellScreenX(f.V(), c.w->Column, c.w->OffsetX));
            const int moved = px - lastPixels[i];
            if (moved == 0) {
                // A turn: no move that frame, and the picture of the new way.
                if (firstTurn[i] == 0) firstTurn[i] = frame;
                else if (secondTurn[i] == 0) secondTurn[i] = frame;
                EXPECT_EQ(Picture(*c.w), c.w->Direction == 1 ? Lower(WalkerPicture(c.w->Kind, 1)) : c.leftPicture);
            } else {
                EXPECT_EQ(moved, 2 * c.w->Direction) << "two pixels a frame";
            }
            lastPixels[i] = px;
        }
    }
    for (size_t i = 0; i < cases.size(); ++i) {
        const int cells = cases[i].farColumn - (x0 + 1);
        EXPECT_EQ(firstTurn[i], 16 * cells + 1) << "16 frames a cell, then the turn; kind " << int(cases[i].w->Kind);
        EXPECT_EQ(secondTurn[i], 2 * (16 * cells + 1)) << "and back to the left wall; kind " << int(cases[i].w->Kind);
    }
    EXPECT_EQ(Picture(*cases[2].w), "pipistrello") << "the bat's picture is never swapped";

    // Shut in on both sides, a walker turns every frame and never moves.
    const int column = pocket.Column;
    for (int frame = 1; frame <= 4; ++frame) {
        f.rig.Tick();
        EXPECT_EQ(pocket.Column, column);
        EXPECT_EQ(pocket.OffsetX, 0);
        EXPECT_EQ(pocket.Direction, frame % 2 == 1 ? -1 : 1);
        EXPECT_EQ(Picture(pocket), frame % 2 == 1 ? "uccellacciosx" : "uccellacciodx");
    }
}

TEST(MummyTest, FallsDownAShaftLandsAndWalksOnTheWayItCame) {
    Field f;
    auto at = f.Lay({"##########",
                     "#aT....Tc#",
                     "##R####R##",
                     "##R####R##",
                     "#.E....E.#",
                     "##########"});
    const int x0 = Field::X0, y0 = Field::Y0;
    struct Case {
        char mark;
        TMummyMode way;
        int shaft;
        TMummiaSprite* m = nullptr;
    };
    for (Case c : {Case{'a', mmWalkingRight, x0 + 2}, Case{'c', mmWalkingLeft, x0 + 7}}) {
        c.m = &f.Mummy(c.way, at[c.mark]);
        int frame = 0, fallFrames = 0;
        int lastDepth = 32 * c.m->Row + c.m->OffsetY;
        // Along the top corridor and down the shaft.
        while (c.m->Mode != (c.way == mmWalkingRight ? mmFallingRight : mmFallingLeft)) {
            f.rig.Tick();
            ASSERT_LT(++frame, 40) << "walks 32 frames into the rope top";
            EXPECT_EQ(c.m->Row, y0 + 1);
        }
        EXPECT_EQ(frame, 33);
        EXPECT_EQ(c.m->Column, c.shaft);
        EXPECT_EQ(c.m->OffsetX, 0);
        EXPECT_EQ(Picture(*c.m), c.way == 1 ? "mummiadxcade" : "mummiasxcade");
        while (c.m->Mode == mmFallingLeft || c.m->Mode == mmFallingRight) {
            f.rig.Tick();
            ASSERT_LT(++frame, 80);
            const int depth = 32 * c.m->Row + c.m->OffsetY;
            if (c.m->Mode == mmFallingLeft || c.m->Mode == mmFallingRight) {
                EXPECT_EQ(depth - lastDepth, 4) << "four pixels a frame";
                ++fallFrames;
            } else {
                EXPECT_EQ(depth, lastDepth) << "no move on landing";
            }
            EXPECT_EQ(c.m->Column, c.shaft);
            lastDepth = depth;
        }
        EXPECT_EQ(fallFrames, 3 * 8) << "three cells, 8 frames each";
        EXPECT_EQ(c.m->Row, y0 + 4) << "lands on the first wall below";
        EXPECT_EQ(c.m->OffsetY, 0);
        EXPECT_EQ(c.m->Mode, c.way);
        EXPECT_EQ(c.m->Turns, 0);
        EXPECT_EQ(Picture(*c.m), c.way == 1 ? "mummiadx0" : "mummiasx0");
        // On the way it came, a pixel a frame, over the rope end below the other shaft.
        f.rig.Tick(8);
        EXPECT_EQ(c.m->OffsetX, 8 * c.way);
        EXPECT_EQ(Picture(*c.m), c.way == 1 ? "mummiadx1" : "mummiasx1");
        f.rig.Tick(24 + 32 * 4);
        EXPECT_EQ(c.m->Column, c.shaft + 5 * c.way);
        EXPECT_EQ(c.m->Row, y0 + 4);
        EXPECT_EQ(c.m->Mode, c.way);
        EXPECT_EQ(Picture(*c.m), c.way == 1 ? "mummiadx0" : "mummiasx0");
    }
}

TEST(MummyTest, InAClosedCorridorItTurnsOnceThenIsPlacedElsewhereAtTheSecondTurn) {
    Field f(8);
    std::vector<std::string> rows;
    for (char mark : std::string("acdefg")) {
        rows.push_back("######");
        rows.push_back(std::string("#") + mark + "...#");
    }
    rows.push_back("######");
    auto at = f.Lay(rows);
    std::vector<TMummiaSprite*> mummies;
    for (char mark : std::string("acdefg")) mummies.push_back(&f.Mummy(mmWalkingRight, at[mark]));
    const TMaze& maze = f.V().Maze;

    f.rig.Tick(3 * 32 + 1);
    for (TMummiaSprite* m : mummies) {
        EXPECT_EQ(m->Turns, 1) << "turned at the far wall";
        EXPECT_EQ(m->Mode, mmWalkingLeft);
        EXPECT_EQ(m->Column, Field::X0 + 4);
        EXPECT_EQ(Picture(*m), "mummiasx0");
    }
    f.rig.Tick(3 * 32);
    for (TMummiaSprite* m : mummies) EXPECT_EQ(m->Column, Field::X0 + 1) << "back at the near wall, not yet turned";
    f.rig.Tick();
    std::set<int> modes;
    std::set<std::pair<int, int>> cells;
    for (TMummiaSprite* m : mummies) {
        EXPECT_FALSE(m->Column >= Field::X0 && m->Column < Field::X0 + 6 && m->Row >= Field::Y0 && m->Row <= Field::Y0 + 12)
            << "gone from the corridors";
        EXPECT_FALSE(IsWallCell(maze.At(m->Column, m->Row)));
        EXPECT_TRUE(IsWallCell(maze.At(m->Column, m->Row + 1))) << "placed on a floor";
        EXPECT_EQ(m->Turns, 0);
        EXPECT_EQ(m->OffsetX, 0);
        EXPECT_EQ(Picture(*m), m->Mode == mmWalkingRight ? "mummiadx0" : "mummiasx0");
        modes.insert(m->Mode);
        cells.insert({m->Column, m->Row});
    }
    EXPECT_EQ(modes, (std::set<int>{-1, 1})) << "random directions";
    EXPECT_EQ(cells.size(), mummies.size()) << "random cells";
}

TEST(GhostTest, KeepsTheWallOnItsLeftComesBackOutOfDeadEndsAndNeverEntersTheExit) {
    Field f;
    auto at = f.Lay({"###X###",
                     "###.###",
                     "#g....#",
                     "#######"});
    TFantasmaSprite& g = f.Ghost(at['g']);
    const int x0 = Field::X0, y0 = Field::Y0;
    const TMaze& maze = f.V().Maze;
    std::vector<std::pair<int, int>> entered;
    std::vector<int> enteredAt;
    std::pair<int, int> cell{g.Column, g.Row};
    for (int frame = 1; frame <= 32 * 12; ++frame) {
        f.rig.Tick();
        ASSERT_TRUE(g.OffsetX == 0 || g.OffsetY == 0) << "one way at a time";
        ASSERT_LT(std::abs(g.OffsetX) + std::abs(g.OffsetY), 32);
        const uint8_t ahead = maze.At(g.Column + Sign(g.OffsetX), g.Row + Sign(g.OffsetY));
        ASSERT_FALSE(IsWallCell(ahead) || ahead == CellExit) << "frame " << frame;
        if (g.Heading % 2 == 0) {
            EXPECT_EQ(Picture(g), g.Heading == 0 ? "fantasmadx" : "fantasmasx") << "frame " << frame;
        }
        EXPECT_EQ(g.X, CellScreenX(f.V(), g.Column, g.OffsetX));
        EXPECT_EQ(g.Y, CellScreenY(f.V(), g.Row, g.OffsetY));
        if (std::pair<int, int>{g.Column, g.Row} != cell) {
            cell = {g.Column, g.Row};
            entered.emplace_back(g.Column - x0, g.Row - y0);
            enteredAt.push_back(frame);
        }
    }
    // Right; up at the crossing (its left); the cell under the exit is a dead
    // end, so back down and right (its left again); back from the far end and
    // straight over the crossing (nothing on its left there) to the near end.
    const std::vector<std::pair<int, int>> path = {{2, 2}, {3, 2}, {3, 1}, {3, 2}, {4, 2}, {5, 2},
                                                   {4, 2}, {3, 2}, {2, 2}, {1, 2}, {2, 2}, {3, 2}};
    EXPECT_EQ(entered, path);
    for (size_t i = 0; i < enteredAt.size(); ++i) EXPECT_EQ(enteredAt[i], 32 * static_cast<int>(i + 1)) << "32 frames a cell";
}

TEST(GhostTest, APlacedGhostFacesTheWayItMovesFromItsFirstTurn) {
    TPlayRig rig(5, SettingPyramid, 21);
    TPlayVariables& v = rig.Play->Vars;
    const std::vector<TFantasmaSprite*> ghosts = rig.All<TFantasmaSprite>();
    ASSERT_EQ(ghosts.size(), 10u);
    TFantasmaSprite* boxed = nullptr;
    for (TFantasmaSprite* g : ghosts) {
        EXPECT_EQ(g->Heading, 0);
        EXPECT_EQ(Picture(*g), "fantasmadx");
        if (!boxed && g->Row < v.HeroRow - 10) boxed = g;
    }
    ASSERT_NE(boxed, nullptr);
    // Before its first frame, its cell and the next become a short dead end:
    // right, then straight back left.
    rig.LayPatch(boxed->Column - 1, boxed->Row - 1, {"####", "#..#", "####"});
    const int column = boxed->Column;
    bool wentLeft = false;
    for (int frame = 1; frame <= 32 * 5; ++frame) {
        rig.Tick();
        if (boxed->Heading == 2) {
            wentLeft = true;
            EXPECT_EQ(Picture(*boxed), "fantasmasx") << "frame " << frame;
        } else {
            EXPECT_EQ(Picture(*boxed), "fantasmadx") << "frame " << frame;
        }
        EXPECT_GE(boxed->Column, column);
        EXPECT_LE(boxed->Column, column + 1);
    }
    EXPECT_TRUE(wentLeft);
}

// Outside the grid there is only border: passages opened up to the grid's
// edge (as blasts may open them) stop every enemy as a wall does.
TEST(EnemyEdgeTest, AtTheGridsEdgeEnemiesTurnAndLandAsAtWalls) {
    Field f;
    TPlayVariables& v = f.V();
    const int h = v.Maze.MazeHeight;
    ASSERT_GT(v.HeroColumn, 8) << "the hero stands clear of the corner";
    auto at = f.rig.LayPatch(1, h - 5, {"#######",
                                        "v...###",
                                        "#######",
                                        "m..T..#",
                                        "###R###",
                                        "g..R..#"});
    TVermeSprite& w = f.Walker(wkBigBird, -1, at['v']);
    TMummiaSprite& m = f.Mummy(mmWalkingLeft, at['m']);
    TFantasmaSprite& g = f.Ghost(at['g']);
    int walkerTurns = 0, lowestMummy = 0;
    bool ghostBackAtCorner = false;
    for (int frame = 1; frame <= 800; ++frame) {
        const int8_t direction = w.Direction;
        f.rig.Tick();
        walkerTurns += w.Direction != direction;
        ASSERT_GE(32 * w.Column + w.OffsetX, 32) << "frame " << frame;
        ASSERT_TRUE(v.Maze.Inside(m.Column, m.Row)) << "frame " << frame;
        ASSERT_GE(32 * m.Column + m.OffsetX, 32);
        ASSERT_TRUE(v.Maze.Inside(g.Column, g.Row)) << "frame " << frame;
        ASSERT_GE(32 * g.Column + g.OffsetX, 32);
        ASSERT_LE(32 * g.Row + g.OffsetY, 32 * h);
        lowestMummy = std::max(lowestMummy, m.Row);
        ghostBackAtCorner |= frame > 64 && g.Column == 1 && g.Row == h;
        if (frame == 1) {
            EXPECT_EQ(m.Turns, 1) << "the mummy turns at the edge";
        }
    }
    EXPECT_GE(walkerTurns, 4);
    EXPECT_EQ(lowestMummy, h) << "the mummy fell down the shaft and landed on the bottom row";
    EXPECT_TRUE(ghostBackAtCorner) << "the ghost went round and came back to the corner";
}

TEST(DeadEnemyTest, StandsStillFollowsTheViewAndGoesOnTheLastExplosionFrame) {
    Field f;
    auto at = f.Lay({"##########",
                     "#v.......#",
                     "#m.......#",
                     "#g.......#",
                     "##########"});
    TVermeSprite& w = f.Walker(wkMonster, 1, at['v']);
    TMummiaSprite& m = f.Mummy(mmWalkingRight, at['m']);
    TFantasmaSprite& g = f.Ghost(at['g']);
    f.rig.Tick(5);  // each a little way into its next cell
    f.Kill(w, w.Alive);
    f.Kill(m, m.Alive);
    f.Kill(g, g.Alive);
    const std::vector<int> cells = {w.Column, w.OffsetX, m.Column, m.OffsetX, g.Column, g.OffsetX};
    ASSERT_NE(w.OffsetX, 0);
    const uint8_t code = f.V().Maze.Cell(w.Column, w.Row);
    const int32_t x0 = w.X, y0 = w.Y;

    TPlayVariables& v = f.V();
    int frames = 0;
    while (!f.rig.All<TVermeSprite>().empty()) {
        ++frames;
        if (frames == 10) {
            // The view scrolls a cell up and left: the dead stay on their cells.
            ++v.ViewColumn;
            ++v.ViewRow;
            v.ViewDirty = true;
        }
        f.rig.Tick();
        ASSERT_LE(frames, 40);
        if (f.rig.All<TVermeSprite>().empty()) break;
        EXPECT_EQ((std::vector<int>{w.Column, w.OffsetX, m.Column, m.OffsetX, g.Column, g.OffsetX}), cells);
        const int32_t shift = frames >= 10 ? 32 : 0;
        EXPECT_EQ(w.X, x0 - shift);
        EXPECT_EQ(w.Y, y0 - shift);
        EXPECT_EQ(m.X, CellScreenX(v, m.Column, m.OffsetX));
        EXPECT_EQ(g.Y, CellScreenY(v, g.Row, g.OffsetY));
        EXPECT_LT(w.FramePos, 4.0);
    }
    // 0.15 of a picture a frame: the fifth picture is reached on frame 27.
    EXPECT_EQ(frames, static_cast<int>(std::ceil(4 / 0.15)));
    EXPECT_TRUE(f.rig.All<TMummiaSprite>().empty());
    EXPECT_TRUE(f.rig.All<TFantasmaSprite>().empty());
    EXPECT_EQ(v.Maze.Cell(cells[0], Field::Y0 + 1), code) << "the cell stays as it was";
}

// Whole level 5 games of each setting, the hero standing still: every enemy
// stays inside the grid, out of the walls, within its cell's offsets and on
// its screen place; walkers keep their rows; drops never move and do not drip
// in step.
TEST(EnemyRunTest, ALevelFiveGameOfEachSettingKeepsEveryEnemyInItsPassages) {
    for (const uint8_t setting : {SettingMine, SettingPyramid}) {
        SCOPED_TRACE(setting == SettingMine ? "MINE" : "PYRAMID");
        TPlayRig rig(5, setting, 1234 + setting);
        TPlayVariables& v = rig.Play->Vars;
        const TMaze& maze = v.Maze;
        const std::vector<TGocciaSprite*> drops = rig.All<TGocciaSprite>();
        ASSERT_GT(drops.size(), 20u);
        std::set<double> phases;
        std::vector<std::pair<int, int>> dropCells;
        for (const TGocciaSprite* d : drops) {
            EXPECT_EQ(d->FramePos, std::trunc(d->FramePos));
            EXPECT_GE(d->FramePos, 0);
            EXPECT_LE(d->FramePos, 11);
            phases.insert(d->FramePos);
            dropCells.emplace_back(d->Column, d->Row);
        }
        EXPECT_GE(phases.size(), 8u) << "drops start at different frames";
        std::vector<int> walkerRows;
        for (const TVermeSprite* w : rig.All<TVermeSprite>()) walkerRows.push_back(w->Row);
        rig.SkipPreview();
        ASSERT_EQ(rig.Host.State, gsPlaying);

        auto open = [&](int x, int y) {
            const uint8_t c = maze.At(x, y);
            return maze.Inside(x, y) && !IsWallCell(c) && c != CellBorder;
        };
        int falls = 0, turns = 0;
        for (int frame = 1; frame <= 3000; ++frame) {
            v.Oxygen = FullGauge;
            rig.Tick();
            const std::vector<TVermeSprite*> walkers = rig.All<TVermeSprite>();
            ASSERT_EQ(walkers.size(), walkerRows.size());
            for (size_t i = 0; i < walkers.size(); ++i) {
                const TVermeSprite& w = *walkers[i];
                ASSERT_TRUE(open(w.Column, w.Row) && open(w.Column + Sign(w.OffsetX), w.Row)) << "walker, frame " << frame;
                ASSERT_LT(std::abs(w.OffsetX), 32);
                ASSERT_EQ(w.Row, walkerRows[i]);
                ASSERT_EQ(w.X, CellScreenX(v, w.Column, w.OffsetX));
            }
            for (const TMummiaSprite* m : rig.All<TMummiaSprite>()) {
                ASSERT_TRUE(open(m->Column, m->Row) && open(m->Column + Sign(m->OffsetX), m->Row + Sign(m->OffsetY)))
                    << "mummy, frame " << frame;
                ASSERT_TRUE(m->OffsetX == 0 || m->OffsetY == 0);
                ASSERT_LT(std::abs(m->OffsetX), 32);
                ASSERT_TRUE(m->OffsetY >= 0 && m->OffsetY < 32 && m->OffsetY % 4 == 0);
                ASSERT_TRUE(m->Mode == mmWalkingRight || m->Mode == mmWalkingLeft || m->Mode == mmFallingLeft || m->Mode == mmFallingRight);
                ASSERT_LE(m->Turns, 1);
                falls += m->Mode == mmFallingLeft || m->Mode == mmFallingRight;
                turns += m->Turns;
                ASSERT_EQ(m->Y, CellScreenY(v, m->Row, m->OffsetY));
            }
            for (const TFantasmaSprite* g : rig.All<TFantasmaSprite>()) {
                const int x = g->Column + Sign(g->OffsetX), y = g->Row + Sign(g->OffsetY);
                ASSERT_TRUE(open(g->Column, g->Row) && open(x, y)) << "ghost, frame " << frame;
                ASSERT_NE(maze.At(x, y), CellExit);
                ASSERT_TRUE(g->OffsetX == 0 || g->OffsetY == 0);
                ASSERT_LT(std::abs(g->OffsetX) + std::abs(g->OffsetY), 32);
                if (g->Heading % 2 == 0) {
                    ASSERT_EQ(Picture(*g), g->Heading == 0 ? "fantasmadx" : "fantasmasx");
                }
            }
            for (size_t i = 0; i < drops.size(); ++i) {
                ASSERT_EQ(std::make_pair(drops[i]->Column, drops[i]->Row), dropCells[i]);
                ASSERT_EQ(drops[i]->X, CellScreenX(v, drops[i]->Column, 0));
            }
        }
        if (setting == SettingPyramid) {
            EXPECT_GT(falls, 0) << "some mummy fell down a shaft";
            EXPECT_GT(turns, 0) << "some mummy turned";
        }
        EXPECT_EQ(rig.All<TGocciaSprite>().size(), drops.size());
    }
}

}  // namespace
}  // namespace tibo
