// Tibo's walking and climbing, on a play with no form: a patch of labyrinth is
// laid out by hand in the middle of a real level and the hero is put into it.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "framework/KeyCodes.h"
#include "tests/support/PlayRig.h"

namespace tibo {
namespace {

using testing_support::Lower;
using testing_support::TPlayRig;

// A level 5 "MINE" past its preview, with the enemies gone and a patch of
// labyrinth drawn at (X0, Y0): '#' wall, 'b' broken wall, '.' passage,
// 'T' rope top, 'R' rope, 'E' rope end, 'H' the hero (on a passage).
struct Patch {
    static constexpr int X0 = 40, Y0 = 40;
    explicit Patch(const std::vector<std::string>& rows, uint64_t seed = 3) : rig(5, SettingMine, seed) {
        rig.SkipPreview();
        rig.ClearEnemies();
        rig.LayPatch(X0, Y0, rows);
        rig.Tick();
        rig.TakeSounds();
    }
    TPlayVariables& V() { return rig.Play->Vars; }
    // The hero's picture, by its name in lower case (names are found regardless of case).
    std::string Picture() { return Lower(rig.Hero().Image->Name()); }
    // Presses a key for one frame.
    void Press(int vk) {
        rig.KeyDown(vk);
        rig.Tick();
        rig.KeyUp(vk);
    }
    TPlayRig rig;
};

TEST(HeroWalkTest, HoldingRightWalksACellEveryEightFramesWithAlternatingSteps) {
    Patch p({"############",
             "#H.........#",
             "############"});
    TPlayVariables& v = p.V();
    const int x0 = v.HeroColumn;
    const int32_t oxygen = v.Oxygen;
    p.rig.KeyDown(VkRight);
    std::vector<std::string> pictures;
    std::vector<int> columns;
    for (int frame = 1; frame <= 24; ++frame) {
        p.rig.Tick();
        pictures.push_back(p.Picture());
        columns.push_back(v.HeroColumn);
        EXPECT_NE(v.MoveState, 4) << "no standing frame between cells, frame " << frame;
    }
    // Frame 1 starts the move; frames 2..8 move 4 pixels each, frame 9 completes.
    EXPECT_EQ(columns[7], x0) << "still in the first cell after 8 frames";
    EXPECT_EQ(columns[8], x0 + 1);
    EXPECT_EQ(columns[16], x0 + 2);
    // Legs apart while the offset is at most 16 (frames 2..6), together after.
    const std::vector<std::string> firstStep(pictures.begin() + 1, pictures.begin() + 9);
    EXPECT_EQ(firstStep, (std::vector<std::string>{"ominodx1", "ominodx1", "ominodx1", "ominodx1", "ominodx1", "ominodx0",
                                                   "ominodx0", "ominodx0"}));
    EXPECT_EQ(p.rig.TakeSounds(), (std::vector<std::string>{"Passo1", "Passo2"})) << "two steps completed, the first sound first";
    EXPECT_EQ(v.Facing, 1);
    EXPECT_EQ(v.Oxygen, oxygen - 24) << "a unit of oxygen a frame";
    p.rig.KeyUp(VkRight);
    p.rig.Tick(8);
    EXPECT_EQ(v.MoveState, 4) << "a step once started completes, then he stands";
    EXPECT_EQ(v.HeroOffsetX, 0);

    p.rig.KeyDown(VkLeft);
    p.rig.Tick(2);
    EXPECT_EQ(v.Facing, -1);
    EXPECT_EQ(p.Picture(), "ominosx1");
    p.rig.KeyUp(VkLeft);
}

TEST(HeroWalkTest, SlidesToTheZoneEdgeThenTheViewScrolls) {
    Patch p({"###########################",
             "#............H............#",
             "###########################"});
    TPlayVariables& v = p.V();
    const int x0 = v.HeroColumn, view0 = v.ViewColumn;
    p.rig.KeyDown(VkRight);
    p.rig.Tick(1 + 8 * 2);
    EXPECT_EQ(v.HeroScreenColumn, 6) << "two cells of sliding";
    EXPECT_EQ(v.ViewColumn, view0);
    p.rig.Tick(4);
    EXPECT_EQ(v.HeroOffsetX, 0) << "at the zone's edge the hero stays put";
    EXPECT_EQ(v.ViewOffsetX, -16) << "and the view scrolls under him";
    p.rig.Tick(4);
    EXPECT_EQ(v.ViewColumn, view0 + 1);
    EXPECT_EQ(v.HeroColumn, x0 + 3);
    EXPECT_EQ(v.HeroScreenColumn, 6);
    const int32_t x = p.rig.Hero().X;
    EXPECT_EQ(x, v.FieldOriginX + 32 * 6) << "drawn at screen column 6";
    p.rig.KeyUp(VkRight);
    p.rig.Tick(8);

    // Back left: slides from column 6 down to 2, then the view scrolls.
    const int viewAtTurn = v.ViewColumn;
    p.rig.KeyDown(VkLeft);
    p.rig.Tick(1 + 8 * 4);
    EXPECT_EQ(v.HeroScreenColumn, 2);
    EXPECT_EQ(v.ViewColumn, viewAtTurn);
    p.rig.Tick(8);
    EXPECT_EQ(v.ViewColumn, viewAtTurn - 1);
    EXPECT_EQ(v.HeroScreenColumn, 2);
    p.rig.KeyUp(VkLeft);
}

TEST(HeroWalkTest, ClimbsUpAndDownWhereverNoWallStandsWithTheSameZoneRule) {
    // A shaft: climbing needs no rope; walls and broken walls stop him.
    Patch p({"###b###",
             "###.###",
             "###R###",
             "###.###",
             "###.###",
             "###.###",
             "###H###",
             "###.###",
             "###.###",
             "###.###",
             "###.###",
             "###.###",
             "#######"});
    TPlayVariables& v = p.V();
    const int y0 = v.HeroRow, view0 = v.ViewRow;
    p.rig.KeyDown(VkUp);
    p.rig.Tick(2);
    EXPECT_EQ(p.Picture(), "omcodx1") << "climbing, facing right, first half";
    p.rig.Tick(7);
    EXPECT_EQ(v.HeroRow, y0 - 1);
    p.rig.Tick(8);
    EXPECT_EQ(v.HeroScreenRow, 2) << "slides up to screen row 2";
    EXPECT_EQ(v.ViewRow, view0);
    p.rig.Tick(8 * 3);
    EXPECT_EQ(v.HeroRow, y0 - 5) << "the view scrolls; the top passage is reached";
    EXPECT_EQ(v.ViewRow, view0 - 3);
    EXPECT_EQ(v.HeroScreenRow, 2);
    p.rig.Tick(8);
    EXPECT_EQ(v.HeroRow, y0 - 5) << "a broken wall above refuses Up";
    EXPECT_EQ(v.MoveState, 4);
    p.rig.KeyUp(VkUp);
    EXPECT_EQ(v.Facing, 1) << "climbing leaves the facing alone";

    p.rig.KeyDown(VkDown);
    p.rig.Tick(1 + 8 * 4);
    EXPECT_EQ(v.HeroScreenRow, 6) << "slides down to screen row 6";
    p.rig.Tick(8 * 6);
    EXPECT_EQ(v.HeroRow, y0 + 5) << "down to the bottom";
    EXPECT_EQ(v.HeroScreenRow, 6);
    EXPECT_EQ(v.ViewRow, view0 - 3 + 6);
    p.rig.Tick(8);
    EXPECT_EQ(v.HeroRow, y0 + 5) << "a wall below refuses Down";
    p.rig.KeyUp(VkDown);
    EXPECT_TRUE(p.rig.TakeSounds().empty()) << "climbing makes no sound";
}

TEST(HeroRopeTest, RopesChangeThePictureSwingAndBlockNothing) {
    Patch p({"#######",
             "#b#####",
             "#T.HER#",
             "#R#####",
             "#######"});
    TPlayVariables& v = p.V();
    // Onto a rope end: a plain step.
    p.Press(VkRight);
    p.rig.Tick(8);
    EXPECT_EQ(v.Maze.Cell(v.HeroColumn, v.HeroRow), CellRopeEnd);
    EXPECT_EQ(p.Picture(), "ominodx0");
    EXPECT_EQ(p.rig.TakeSounds(), (std::vector<std::string>{"Passo1"}));
    // On to a rope: the climbing picture and a jump after the step.
    p.Press(VkRight);
    p.rig.Tick(8);
    EXPECT_EQ(v.Maze.Cell(v.HeroColumn, v.HeroRow), CellRope);
    EXPECT_EQ(p.Picture(), "omcodx0");
    EXPECT_EQ(p.rig.TakeSounds(), (std::vector<std::string>{"Passo2", "Salto"}));
    // Against the wall on the rope: Right swings him round, Right again does nothing.
    p.Press(VkRight);
    EXPECT_EQ(v.Facing, -1);
    EXPECT_EQ(p.Picture(), "omcosx0");
    EXPECT_EQ(v.MoveState, 4);
    p.Press(VkRight);
    EXPECT_EQ(v.Facing, -1);
    EXPECT_EQ(v.MoveState, 4);

    // Left to the rope top at the far end, walking through the rope end.
    p.rig.KeyDown(VkLeft);
    p.rig.Tick(1 + 8 * 3);
    p.rig.KeyUp(VkLeft);
    p.rig.Tick(8);
    EXPECT_EQ(v.Maze.Cell(v.HeroColumn, v.HeroRow), CellRopeTop);
    EXPECT_EQ(p.Picture(), "omcosx0");
    // Left against the wall, facing left: swings round to face right.
    p.Press(VkLeft);
    EXPECT_EQ(v.Facing, 1);
    EXPECT_EQ(p.Picture(), "omcodx0");
    // A broken wall above refuses Up even on a rope; the rope below lets him down.
    p.Press(VkUp);
    EXPECT_EQ(v.MoveState, 4);
    p.Press(VkDown);
    EXPECT_EQ(v.MoveState, 3);
}

TEST(HeroExitTest, ClimbingIntoTheExitEndsTheLevelAndHeEscapesUpwards) {
    TPlayRig rig(1, SettingPyramid, 11);
    rig.SkipPreview();
    TPlayVariables& v = rig.Play->Vars;
    const TMaze& m = v.Maze;
    ASSERT_EQ(m.ExitRow, 4);
    rig.PutHero(m.ExitColumn, 5);  // under the exit
    rig.Tick();
    rig.TakeSounds();
    rig.KeyDown(VkUp);
    rig.Tick(8);
    EXPECT_EQ(rig.Host.State, gsPlaying);
    rig.Tick();
    EXPECT_EQ(v.HeroRow, 4);
    EXPECT_EQ(rig.Host.State, gsLevelWon);
    EXPECT_EQ(rig.Hero().HeroState, hsEscaping);
    EXPECT_EQ(v.MoveState, 4) << "no new move on the arrival frame";
    EXPECT_EQ(rig.TakeSounds(), (std::vector<std::string>{"Vinto"}));
    rig.KeyUp(VkUp);
    rig.KeyDown(VkDown);  // whatever is held, the escape climbs up
    const int32_t oxygen = v.Oxygen;
    rig.Tick(7);
    EXPECT_EQ(v.HeroRow, 4);
    EXPECT_EQ(v.MoveState, 2);
    EXPECT_EQ(v.HeroOffsetY, -28) << "seven moves of 4 pixels up, sliding from screen row 3";
    rig.Tick();
    EXPECT_EQ(v.HeroRow, 3);
    EXPECT_EQ(rig.Hero().HeroState, hsVictory) << "one cell up: the victory";
    EXPECT_EQ(Lower(rig.Hero().Image->Name()), "vittoria");
    EXPECT_EQ(v.Oxygen, oxygen - 8) << "oxygen falls while escaping";
    rig.KeyUp(VkDown);
}

}  // namespace
}  // namespace tibo
