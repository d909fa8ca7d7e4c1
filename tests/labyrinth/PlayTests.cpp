// A game's set-up, the exit preview and the play screen's panel, on a play
// made without a form or a window.
#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <set>
#include <vector>

#include "actors/Actors.h"
#include "assets/AssetStore.h"
#include "tests/support/PlayRig.h"

namespace tibo {
namespace {

// A game started at a level and setting, stopped on the exit preview's first
// frame: a play of its own, with no form and no window.
using Game = testing_support::TPlayRig;

bool Solid(uint8_t c) { return c == CellWall || c == CellBrokenWall; }

TEST(LevelSetupTest, EveryPairSetsUpItsMonstersAndTheHero) {
    for (int level = 1; level <= 5; ++level) {
        for (uint8_t setting : {SettingMine, SettingPyramid}) {
            for (uint64_t seed : {1u, 2u, 3u}) {
                SCOPED_TRACE(testing::Message() << "level " << level << " setting " << int(setting) << " seed " << seed);
                Game g(level, setting, seed);
                const TPlayVariables& v = g.Play->Vars;
                const TMaze& m = v.Maze;
                const bool pyramid = setting == SettingPyramid;
                EXPECT_EQ(g.Host.State, gsExitPreview);
                EXPECT_EQ(g.All<TTiboSprite>().size(), 1u);
                EXPECT_EQ(g.All<TMummiaSprite>().size(), pyramid ? 10u : 0u);
                EXPECT_EQ(g.All<TFantasmaSprite>().size(), 10u);
                EXPECT_EQ(g.All<TVermeSprite>().size(), 10u);
                size_t drops = 0;
                for (int x = 1; x <= m.MazeWidth; ++x)
                    for (int y = 1; y <= m.MazeHeight; ++y) drops += m.Cell(x, y) == CellDrop;
                EXPECT_EQ(g.All<TGocciaSprite>().size(), drops);
                for (TGocciaSprite* d : g.All<TGocciaSprite>()) EXPECT_EQ(m.Cell(d->Column, d->Row), CellDrop);

                std::set<int> walkerRows, mummyRows;
                for (TVermeSprite* w : g.All<TVermeSprite>()) {
                    EXPECT_TRUE(walkerRows.insert(w->Row).second) << "walkers share row " << w->Row;
                    EXPECT_FALSE(Solid(m.Cell(w->Column, w->Row)));
                    EXPECT_TRUE(Solid(m.Cell(w->Column, w->Row + 1)));
                    EXPECT_TRUE(w->Kind != wkBat || w->Direction == -1) << "bats face left";
                }
                for (TMummiaSprite* mu : g.All<TMummiaSprite>()) {
                    EXPECT_TRUE(mummyRows.insert(mu->Row).second) << "mummies share row " << mu->Row;
                    EXPECT_LE(mu->Row, m.MazeHeight - 6);
                    EXPECT_TRUE(mu->Mode == mmWalkingRight || mu->Mode == mmWalkingLeft);
                }
                std::set<std::pair<int, int>> ghostCells;
                for (TFantasmaSprite* gh : g.All<TFantasmaSprite>()) {
                    EXPECT_TRUE(ghostCells.insert({gh->Column, gh->Row}).second);
                    EXPECT_NE(m.Cell(gh->Column, gh->Row), CellWall);
                }
                EXPECT_EQ(v.HeroRow, m.MazeHeight - 2);
                EXPECT_EQ(m.Cell(v.HeroColumn, v.HeroRow), CellPassage);
                EXPECT_EQ(v.HeroColumn - v.ViewColumn, 4);
                EXPECT_EQ(v.HeroRow - v.ViewRow, 4);
                EXPECT_EQ(v.Oxygen, FullGauge);
                EXPECT_EQ(v.Health, FullGauge);
                const int shots = pyramid ? 2 * level : 4 * level, bombs = pyramid ? 2 * level : 3 * level;
                EXPECT_EQ(v.Shots, std::min(shots, 7));
                EXPECT_EQ(v.Bombs, std::min(bombs, 7));
                EXPECT_TRUE(v.ViewDirty);
                EXPECT_EQ(v.MoveState, 4);
                EXPECT_EQ(v.Facing, 1);
                EXPECT_EQ(v.StepLimit, 28);
            }
        }
    }
}

TEST(LevelSetupTest, TheSameSeedBuildsTheSameGame) {
    Game a(3, SettingPyramid, 42), b(3, SettingPyramid, 42), c(3, SettingPyramid, 43);
    EXPECT_EQ(a.Play->Vars.Maze.MazeGrid, b.Play->Vars.Maze.MazeGrid);
    EXPECT_EQ(a.Play->Vars.HeroColumn, b.Play->Vars.HeroColumn);
    EXPECT_NE(a.Play->Vars.Maze.MazeGrid, c.Play->Vars.Maze.MazeGrid);
}

TEST(ExitPreviewTest, TravelsFromTheExitDownToTheHeroThenPlays) {
    Game g(1, SettingMine, 5);
    TPlayVariables& v = g.Play->Vars;
    const int heroColumn = v.HeroColumn, heroRow = v.HeroRow;
    const int columns = std::abs((heroColumn - 4) - (v.Maze.ExitColumn - 4));
    // Phase 0 takes a frame; then 8 frames a row from row -5 down to the hero's
    // view row, 8 frames a column sideways, and one frame to hand over.
    const int rows = (heroRow - 4) - (v.Maze.ExitRow - 9);
    const int frames = 1 + 8 * rows + 8 * columns + 1;
    g.Tick(frames - 1);
    EXPECT_EQ(g.Host.State, gsExitPreview);
    g.Tick();
    EXPECT_EQ(g.Host.State, gsPlaying);
    EXPECT_EQ(v.ViewColumn, heroColumn - 4);
    EXPECT_EQ(v.ViewRow, heroRow - 4);
    EXPECT_EQ(v.ViewOffsetX, 0);
    EXPECT_EQ(v.ViewOffsetY, 0);
}

TEST(ExitPreviewTest, AFireButtonSkipsIt) {
    Game g(5, SettingPyramid, 9);
    TPlayVariables& v = g.Play->Vars;
    g.Tick(3);
    g.KeyDown(' ');
    g.Tick();
    EXPECT_TRUE(v.PreviewSkip);
    g.Tick();
    EXPECT_EQ(v.PreviewPhase, 500);
    g.KeyUp(' ');
    g.Tick();
    EXPECT_EQ(g.Host.State, gsPlaying);
    EXPECT_EQ(v.ViewRow, v.HeroRow - 4) << "play starts with the hero's own view";
}

TEST(PanelTest, GaugesShotsAndBombs) {
    Game g(4, SettingMine, 3);
    TPlayVariables& v = g.Play->Vars;
    g.SkipPreview();
    const TDeviceColor barFull = g.Pixel(490, 90);
    EXPECT_NE(barFull, 0u) << "a full oxygen bar shows the panel's bar";
    g.Hero().HeroState = hsDying;  // out of oxygen he would die: here only the gauges count
    v.Oxygen = 0;
    v.Health = 10000;
    v.Shots = 0;
    v.Bombs = 4;
    g.Tick();
    EXPECT_EQ(g.Pixel(490, 90), 0u);
    EXPECT_EQ(g.Pixel(490, 246), 0u) << "an empty gauge is blacked out to its bottom";
    EXPECT_EQ(g.Pixel(540, 165 - 1), 0u) << "half health: the top half is black";
    EXPECT_NE(g.Pixel(540, 246), 0u);
    for (int x = 364; x < 587; x += 8) EXPECT_EQ(g.Pixel(x, 280), 0u) << "no shots: every icon is covered at x " << x;
    for (int x = 364 + 32 * 4; x < 587; x += 4) EXPECT_EQ(g.Pixel(x, 325), 0u) << "four bombs: icons five to seven are covered";
    v.Shots = 7;
    v.Bombs = 7;
    g.Tick();
    bool lastShot = false, lastBomb = false;
    for (int x = 364 + 32 * 6; x < 364 + 32 * 7; ++x)
        for (int y = 266; y < 297; ++y) lastShot |= g.Pixel(x, y) != 0;
    for (int x = 364 + 32 * 6; x < 364 + 32 * 7; ++x)
        for (int y = 309; y < 340; ++y) lastBomb |= g.Pixel(x, y) != 0;
    EXPECT_TRUE(lastShot) << "seven shots leave the seventh icon visible";
    EXPECT_TRUE(lastBomb) << "seven bombs leave the seventh icon visible";
}

TEST(PanelTest, TheMapWindowShowsTheNoMapPictureUntilAMapIsTaken) {
    Game g(2, SettingMine, 4);
    TPlayVariables& v = g.Play->Vars;
    g.SkipPreview();
    const TDeviceColor noMap = g.Pixel(364 + 50, 92 + 80);
    v.MapSteps = 1;
    v.MapColumn = v.HeroColumn;
    v.MapRow = v.HeroRow;
    g.Tick();
    EXPECT_EQ(v.MapSteps, 1) << "standing still uses no map steps";
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(g.Pixel(412 + i, 172 + i), g.Play->MapSurface->Pixel(i, i)) << "the hero marker sits at the window's centre";
    EXPECT_NE(g.Pixel(364 + 50, 92 + 80), noMap) << "the map replaces the no-map picture";
    v.HeroColumn += 1;  // the hero changes cell
    g.Tick();
    EXPECT_EQ(v.MapSteps, 0);
    g.Tick();
    EXPECT_EQ(g.Pixel(364 + 50, 92 + 80), noMap);
}

TEST(ComposeViewTest, RecomposesOnlyWhenTheViewMovesOrIsDirty) {
    Game g(2, SettingMine, 8);
    TPlayVariables& v = g.Play->Vars;
    g.SkipPreview();
    g.Tick();
    // A cell of the window changes behind the view's back: not shown until dirty.
    const int x = v.ViewColumn + 2, y = v.ViewRow + 2;
    const uint8_t before = v.Maze.Cell(x, y);
    v.Maze.Cell(x, y) = before == CellWall ? CellPassage : CellWall;
    const std::vector<uint16_t> composed(g.Play->MazeSurface->Bits(), g.Play->MazeSurface->Bits() + 384 * 384);
    g.Tick();
    EXPECT_TRUE(std::equal(composed.begin(), composed.end(), g.Play->MazeSurface->Bits())) << "same origin, nothing dirty";
    v.ViewDirty = true;
    g.Tick();
    EXPECT_FALSE(std::equal(composed.begin(), composed.end(), g.Play->MazeSurface->Bits())) << "a dirty view is recomposed";
    EXPECT_FALSE(v.ViewDirty);
}

TEST(ComposeViewTest, ATakenPickUpRefreshesItsCellOnly) {
    Game g(3, SettingPyramid, 12);
    TPlayVariables& v = g.Play->Vars;
    g.SkipPreview();
    const int x = v.ViewColumn + 3, y = v.ViewRow + 3;
    v.Maze.Cell(x, y) = CellTreasure;
    v.ViewDirty = true;
    g.Tick();
    const TSurface& maze = *g.Play->MazeSurface;
    const int px = (x - v.ViewColumn + 1) * 32, py = (y - v.ViewRow + 1) * 32;
    bool drawn = false;
    for (int i = 0; i < 32; ++i) drawn |= maze.Pixel(px + i, py + 16) != 0;
    ASSERT_TRUE(drawn) << "the treasure is on the maze surface";
    const TDeviceColor neighbour = maze.Pixel(px + 40, py + 16);
    v.Maze.Cell(x, y) = CellPassage;
    v.CellDirty = true;
    v.DirtyColumn = x;
    v.DirtyRow = y;
    g.Tick();
    for (int i = 0; i < 32; ++i) EXPECT_EQ(maze.Pixel(px + i, py + 16), 0u) << "the taken cell is black again";
    EXPECT_EQ(maze.Pixel(px + 40, py + 16), neighbour) << "its neighbour is untouched";
    EXPECT_FALSE(v.CellDirty);
}

TEST(TorchTest, StepsCountCellChangesAndTheLightGoesOut) {
    Game g(1, SettingMine, 21);
    TPlayVariables& v = g.Play->Vars;
    g.SkipPreview();
    TraceTorchPath(v.Maze, v.HeroColumn, v.HeroRow);
    v.TorchSteps = 2;
    v.TorchColumn = v.HeroColumn;
    v.TorchRow = v.HeroRow;
    EXPECT_EQ(v.Maze.Path(v.HeroColumn, v.HeroRow), PathLit);
    g.Tick(3);
    EXPECT_EQ(v.TorchSteps, 2) << "standing still uses no torch steps";
    v.HeroColumn += 1;
    g.Tick();
    EXPECT_EQ(v.TorchSteps, 1);
    v.HeroColumn -= 1;
    g.Tick();
    EXPECT_EQ(v.TorchSteps, 0);
    for (int x = 1; x <= v.Maze.MazeWidth; ++x)
        for (int y = 1; y <= v.Maze.MazeHeight; ++y) ASSERT_NE(v.Maze.Path(x, y), PathLit) << "the path is erased";
}

}  // namespace
}  // namespace tibo
