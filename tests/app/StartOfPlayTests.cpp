// The start of play as a new player meets it: not hurt before he can move,
// no mummy turning up in sight, every tap of fire or bomb counted, and a panel
// that shows from its first frame the shots and bombs he has.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/KeyCodes.h"
#include "tests/support/FormRig.h"
#include "tests/support/PlayRig.h"

namespace tibo {
namespace {

using testing_support::TFormRig;
using testing_support::TPlayRig;

TEST(StartOfPlayTest, NothingTouchesTheHeroInHisFirst61FramesOfPlay) {
    // Walkers and ghosts may stand at or beside his start: standing still
    // after skipping the preview, he loses nothing in 61 frames of play.
    int protectedGames = 0;
    for (uint8_t setting : {SettingMine, SettingPyramid})
        for (uint64_t seed = 1; seed <= 20; ++seed) {
            TPlayRig rig(1, setting, seed);
            rig.SkipPreview();  // its last frame is play's first
            rig.Tick(60);
            EXPECT_EQ(rig.Play->Vars.Health, FullGauge) << "setting " << int(setting) << ", seed " << seed;
            EXPECT_FALSE(rig.Hero().Hurt);
            protectedGames += rig.Hero().StartProtection == 0;
        }
    EXPECT_EQ(protectedGames, 40) << "the protection is over after 61 frames";

    // From the 62nd frame things touch him again.
    TPlayRig rig(1, SettingMine, 5);
    rig.SkipPreview();
    rig.ClearEnemies();
    rig.Tick(59);
    auto* walker = new TVermeSprite(&rig.Engine());
    walker->ShowPicture(rig.Nemici.Items.Find("VermeDx"));
    walker->ImageCheck = true;
    walker->Moves = false;
    walker->Column = rig.Play->Vars.HeroColumn;
    walker->Row = rig.Play->Vars.HeroRow;
    PlaceAtCell(*walker, walker->Column, walker->Row, 0, 0);
    rig.Tick();
    EXPECT_EQ(rig.Play->Vars.Health, FullGauge) << "frame 61 is still protected";
    rig.Tick();
    EXPECT_EQ(rig.Play->Vars.Health, FullGauge - 1500) << "frame 62 is not";
    EXPECT_TRUE(rig.Hero().Hurt);
}

TEST(StartOfPlayTest, AMummyPlacedAgainInPlayTurnsUpOutOfSightAndNeverOnTheHero) {
    TPlayRig rig(1, SettingPyramid, 3);
    rig.SkipPreview();
    TPlayVariables& v = rig.Play->Vars;
    const TMaze& m = v.Maze;
    TMummiaSprite& mummy = *rig.All<TMummiaSprite>().at(0);
    // The hero at every fourth passage of the labyrinth, the view round him,
    // and a mummy placed again ten times at each.
    int placed = 0;
    for (int y = 5; y < m.MazeHeight - 1; ++y)
        for (int x = 2; x < m.MazeWidth; x += 4) {
            if (m.Cell(x, y) != CellPassage) continue;
            rig.PutHero(x, y);
            for (int i = 0; i < 10; ++i, ++placed) {
                rig.Play->PlaceMummy(false, mummy);
                const int c = mummy.Column, r = mummy.Row;
                ASSERT_FALSE(c >= v.ViewColumn - 1 && c <= v.ViewColumn + 9 && r >= v.ViewRow - 1 && r <= v.ViewRow + 9)
                    << "in sight: hero at " << x << "," << y << ", mummy at " << c << "," << r;
                ASSERT_FALSE(IsWallCell(m.Cell(c, r)));
                ASSERT_TRUE(IsWallCell(m.Cell(c, r + 1))) << "on a floor";
            }
        }
    EXPECT_GT(placed, 200);

    // A labyrinth whose only floor lies in sight: the mummy goes there, but
    // not onto the hero's cell.
    for (int y = 1; y <= m.MazeHeight; ++y)
        for (int x = 1; x <= m.MazeWidth; ++x) v.Maze.Cell(x, y) = CellWall;
    rig.LayPatch(12, 20, {"#####",
                          "#H..#",
                          "#####"});
    for (int i = 0; i < 20; ++i) {
        rig.Play->PlaceMummy(false, mummy);
        EXPECT_EQ(mummy.Row, 21);
        EXPECT_TRUE(mummy.Column == 14 || mummy.Column == 15) << mummy.Column;
    }
}

// A level 1 "MINE" game past its preview and its start's protection, with no
// enemies, the hero at the left end of a long corridor and walking right.
struct Walk {
    Walk() : rig(1, SettingMine, 2) {
        rig.SkipPreview();
        rig.ClearEnemies();
        rig.EndStartProtection();
        rig.LayPatch(4, 20, {"##########################",
                             "#H.......................#",
                             "##########################"});
        rig.Tick();
        rig.KeyDown(VkRight);
        // To the frame his first step completes, on which he reads the buttons.
        const int column = V().HeroColumn;
        while (V().HeroColumn == column) rig.Tick();
    }
    TPlayVariables& V() { return rig.Play->Vars; }
    // Holds a key for three frames from `phase` frames after that read.
    void Tap(int vk, int phase) {
        rig.Tick(phase);
        rig.KeyDown(vk);
        rig.Tick(3);
        rig.KeyUp(vk);
    }
    TPlayRig rig;
};

TEST(StartOfPlayTest, ATapOfFireOrBombWhileWalkingCountsAtTheNextRead) {
    // The buttons are read once a step, every eighth frame: a tap at any of
    // the eight phases of a step fires.
    for (int phase = 0; phase < 8; ++phase) {
        Walk w;
        const int32_t shots = w.V().Shots;
        w.Tap(VkSpace, phase);
        w.rig.Tick(8);
        EXPECT_EQ(w.V().Shots, shots - 1) << "a tap " << phase << " frames after a read";
        EXPECT_EQ(w.V().MoveState, 0) << "he walks on";
    }
    // And a bomb.
    Walk bomb;
    const int32_t bombs = bomb.V().Bombs;
    bomb.Tap(VkEnter, 1);
    bomb.rig.Tick(8);
    EXPECT_EQ(bomb.V().Bombs, bombs - 1);
    EXPECT_EQ(bomb.rig.All<TBombaSprite>().size(), 1u);

    // Held through three steps, fire gives one shot as before; let go and
    // pressed again within one step, it gives the next.
    Walk hold;
    const int32_t shots = hold.V().Shots;
    hold.rig.KeyDown(VkSpace);
    hold.rig.Tick(24);
    EXPECT_EQ(hold.V().Shots, shots - 1) << "one shot a press";
    hold.rig.Tick(2);
    hold.rig.KeyUp(VkSpace);
    hold.rig.Tick(2);
    hold.rig.KeyDown(VkSpace);
    hold.rig.Tick(2);
    hold.rig.KeyUp(VkSpace);
    hold.rig.Tick(8);
    EXPECT_EQ(hold.V().Shots, shots - 2) << "a second press within a step";
}

TEST(StartOfPlayTest, PressesAwayFromPlayAreNotKeptForIt) {
    // The level chosen with Enter, the bomb key in play, pressed for a tick:
    // the preview runs on, and no bomb is laid when it is skipped.
    TFormRig g;
    g.Script("1 press A\n4 click 300 90\n5 press Enter\n", 12);
    ASSERT_EQ(g.inside.Vars.GameState, gsExitPreview);
    EXPECT_FALSE(g.V().PreviewSkip);
    g.Script("1 down Space\n3 up Space\n", 4);
    ASSERT_EQ(g.inside.Vars.GameState, gsPlaying);
    EXPECT_EQ(g.V().BombsLive, 0);
    EXPECT_EQ(g.V().ShotsInFlight, 0) << "the fire held to skip the preview fires nothing";
    // A tap of fire in a pause is no shot after it.
    const int32_t shots = g.V().Shots;
    g.Script("1 press P\n3 press Space\n5 press P\n", 12);
    EXPECT_EQ(g.inside.Vars.GameState, gsPlaying);
    EXPECT_EQ(g.V().Shots, shots);
    g.Script("1 press Space\n", 3);
    EXPECT_EQ(g.V().Shots, shots - 1) << "one in play is";
}

TEST(StartOfPlayTest, ThePanelShowsTheShotsAndBombsOfTheGameFromThePreviewOn) {
    // Level 1 "MINE" starts with 4 shots and 3 bombs: the preview shows
    // those, not seven of each.
    TPlayRig rig(1, SettingMine, 8);
    rig.Tick(3);
    ASSERT_EQ(rig.Host.State, gsExitPreview);
    auto iconShown = [&](int icon, int top) {
        for (int x = 364 + 32 * icon; x < 364 + 32 * icon + 32; ++x)
            for (int y = top; y < top + 31; ++y)
                if (rig.Pixel(x, y) != 0) return true;
        return false;
    };
    for (int icon = 0; icon < 7; ++icon) {
        EXPECT_EQ(iconShown(icon, 266), icon < 4) << "shot icon " << icon + 1;
        EXPECT_EQ(iconShown(icon, 309), icon < 3) << "bomb icon " << icon + 1;
    }
}

}  // namespace
}  // namespace tibo
