// Shots, bombs, blasts and score labels, on a play with no form: patches of
// labyrinth are laid by hand in a real level, and the shots, bombs and monsters
// are made there as the hero and the level set-up make them.
#include <gtest/gtest.h>

#include <array>
#include <functional>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "tests/support/PlayRig.h"

namespace tibo {
namespace {

using testing_support::Lower;
using testing_support::TPlayRig;

bool Has(const std::vector<std::string>& sounds, const std::string& name) {
    return std::find(sounds.begin(), sounds.end(), name) != sounds.end();
}

// A game past its preview, with the enemies gone and a patch laid at (X0, Y0).
struct Patch {
    static constexpr int X0 = 40, Y0 = 40;
    explicit Patch(const std::vector<std::string>& rows, int level = 5, uint8_t setting = SettingMine, int x0 = X0,
                   int y0 = Y0)
        : rig(level, setting, 3) {
        rig.SkipPreview();
        rig.ClearEnemies();
        marks = rig.LayPatch(x0, y0, rows);
        rig.Tick();
        rig.TakeSounds();
    }
    TPlayVariables& V() { return rig.Play->Vars; }
    TMaze& M() { return rig.Play->Vars.Maze; }
    std::pair<int, int> At(char mark) { return marks.at(mark); }

    // A shot and a bomb as the fire and bomb buttons make them.
    TProiettileSprite& Fire(std::pair<int, int> cell, int direction) {
        return LaunchShot(*rig.Play, cell.first, cell.second, static_cast<int8_t>(direction));
    }
    TBombaSprite& LayBomb(std::pair<int, int> cell) { return tibo::LayBomb(*rig.Play, cell.first, cell.second); }
    // Monsters as the level set-up makes them.
    TVermeSprite& Walker(std::pair<int, int> cell) {
        auto* walker = new TVermeSprite(&rig.Engine());
        walker->Kind = wkWorm;
        walker->Direction = 1;
        walker->ShowPicture(rig.Nemici.Items.Find("VermeDx"));
        walker->ImageCheck = true;
        walker->Column = cell.first;
        walker->Row = cell.second;
        return *walker;
    }
    TMummiaSprite& Mummy(std::pair<int, int> cell) {
        auto* mummy = new TMummiaSprite(&rig.Engine());
        mummy->Mode = mmWalkingRight;
        mummy->ShowPicture(rig.Nemici.Items.Find("MummiaDx0"));
        mummy->ImageCheck = true;
        mummy->Column = cell.first;
        mummy->Row = cell.second;
        return *mummy;
    }
    TFantasmaSprite& Ghost(std::pair<int, int> cell) {
        auto* ghost = new TFantasmaSprite(&rig.Engine());
        ghost->ShowPicture(rig.Nemici.Items.Find("FantasmaDx"));
        ghost->ImageCheck = true;
        ghost->Column = cell.first;
        ghost->Row = cell.second;
        return *ghost;
    }

    // Laid bombs after their blast, and fragments: what the shake counts.
    int BlastSprites() {
        int n = 0;
        for (TBombaSprite* b : rig.All<TBombaSprite>()) n += (b->Fragment || !b->Lit) ? 1 : 0;
        return n;
    }
    // Runs frames until no bomb or fragment is left, checking on every frame
    // that the explosion count is the number of live blast sprites and that a
    // blast never stands in the exit. Returns the frames run.
    int RunBlasts(int limit = 1000) {
        int frames = 0;
        while (!rig.All<TBombaSprite>().empty() && frames < limit) {
            rig.Tick();
            ++frames;
            EXPECT_EQ(V().ExplosionCount, BlastSprites()) << "frame " << frames;
            for (TBombaSprite* b : rig.All<TBombaSprite>())
                EXPECT_NE(M().Cell(b->Column, b->Row), CellExit) << "a blast in the exit, frame " << frames;
        }
        EXPECT_LT(frames, limit) << "the blast never ended";
        EXPECT_EQ(V().ExplosionCount, 0);
        EXPECT_EQ(V().BombsLive, 0);
        EXPECT_EQ(V().ShakeX, 0);
        EXPECT_EQ(V().ShakeY, 0);
        return frames;
    }

    TPlayRig rig;
    std::map<char, std::pair<int, int>> marks;
};

std::pair<int, int> Right(std::pair<int, int> cell, int n) { return {cell.first + n, cell.second}; }

TEST(ShotTest, KillsTheFirstLiveMonsterItTouchesWithItsPointsAndLabelAtOnce) {
    // Three corridors, each with a shot in its first cell flying right: past an
    // exploding walker two cells on, to a live monster ('w', 'm', 'g') with a
    // twin made after it in the same cell, moving with it: the shot kills the
    // first it touches and ends there, so the twin lives.
    Patch p({"###############",
             "#.......w......#",
             "###############",
             "#.........m....#",
             "###############",
             "#...........g..#",
             "###############",
             "#H.............#",
             "###############"});
    struct Target {
        TImageSprite* monster;
        const bool* alive;
        int value;
        std::string label;
        std::function<std::array<int, 4>()> where;  // column, row, x and y offsets at the kill
        TImageSprite* twin;
        const bool* twinAlive;
    };
    std::vector<Target> targets;
    TVermeSprite& walker = p.Walker(p.At('w'));
    TVermeSprite& walkerTwin = p.Walker(p.At('w'));
    TMummiaSprite& mummy = p.Mummy(p.At('m'));
    TMummiaSprite& mummyTwin = p.Mummy(p.At('m'));
    mummy.OffsetY = mummyTwin.OffsetY = -3;
    TFantasmaSprite& ghost = p.Ghost(p.At('g'));
    TFantasmaSprite& ghostTwin = p.Ghost(p.At('g'));
    ghost.OffsetX = ghostTwin.OffsetX = 5;
    ghost.OffsetY = ghostTwin.OffsetY = 7;
    targets.push_back({&walker, &walker.Alive, 100, "bonus100",
                       [&] { return std::array<int, 4>{walker.Column, walker.Row, walker.OffsetX, 16}; }, &walkerTwin,
                       &walkerTwin.Alive});
    targets.push_back({&mummy, &mummy.Alive, 150, "bonus150",
                       [&] { return std::array<int, 4>{mummy.Column, mummy.Row, mummy.OffsetX, mummy.OffsetY + 16}; },
                       &mummyTwin, &mummyTwin.Alive});
    targets.push_back({&ghost, &ghost.Alive, 200, "bonus200",
                       [&] { return std::array<int, 4>{ghost.Column, ghost.Row, ghost.OffsetX, ghost.OffsetY + 16}; },
                       &ghostTwin, &ghostTwin.Alive});
    for (int row : {1, 3, 5}) {
        const std::pair<int, int> start{Patch::X0 + 1, Patch::Y0 + row};
        p.Fire(start, 1);
        TVermeSprite& dying = p.Walker(Right(start, 2));
        dying.Alive = false;  // already exploding: lets the shot through
    }

    int killed = 0;
    for (int frame = 1; frame <= 200 && killed < 3; ++frame) {
        const int32_t score = p.V().Score;
        const size_t labels = p.rig.All<TBonusSprite>().size();
        p.rig.Tick();
        const std::vector<std::string> sounds = p.rig.TakeSounds();
        for (Target& t : targets) {
            if (t.monster == nullptr || *t.alive) continue;
            ++killed;
            EXPECT_TRUE(*t.twinAlive) << t.label << ": one kill a shot";
            EXPECT_EQ(p.V().Score, score + t.value) << t.label << ": the points at once";
            ASSERT_EQ(p.rig.All<TBonusSprite>().size(), labels + 1);
            const TBonusSprite& label = *p.rig.All<TBonusSprite>().back();
            const std::array<int, 4> at = t.where();
            EXPECT_EQ(Lower(label.Image->Name()), t.label);
            EXPECT_EQ(label.Z(), 2);
            EXPECT_EQ(label.Column, at[0]);
            EXPECT_EQ(label.Row, at[1]);
            EXPECT_EQ(label.OffsetX, at[2]);
            EXPECT_EQ(label.OffsetY, at[3]) << "the monster's height, 16 lower";
            EXPECT_TRUE(Has(sounds, "MostroKilled"));
            EXPECT_EQ(Lower(t.monster->Image->Name()), "esplosione") << t.label;
            EXPECT_FALSE(t.monster->FrameLooped);
            EXPECT_DOUBLE_EQ(t.monster->FrameSpeed, 0.015);
            EXPECT_EQ(p.V().ShotsInFlight, 3 - killed);
            t.monster = nullptr;  // it retires after its explosion
        }
    }
    EXPECT_EQ(killed, 3);
    EXPECT_TRUE(p.rig.All<TProiettileSprite>().empty()) << "each shot ended with its kill";
    EXPECT_EQ(p.V().ShotsInFlight, 0);
}

TEST(ShotTest, FliesPastRopesAndItemsUntilTheNextCellIsAWall) {
    Patch p({"############",
             "#s.TRE$..b.#",
             "#####l#r####",
             "#H.........#",
             "############"});
    const std::pair<int, int> s = p.At('s');
    // A wall next to the hero's cell: gone half-way across, after 4 frames.
    TProiettileSprite& left = p.Fire(p.At('l'), -1);
    TProiettileSprite& right = p.Fire(p.At('r'), 1);
    p.rig.Tick(3);
    EXPECT_EQ(left.OffsetX, -12);
    EXPECT_EQ(right.OffsetX, 12);
    EXPECT_EQ(p.rig.All<TProiettileSprite>().size(), 2u);
    EXPECT_EQ(p.V().ShotsInFlight, 2);
    p.rig.Tick();
    EXPECT_TRUE(p.rig.All<TProiettileSprite>().empty());
    EXPECT_EQ(p.V().ShotsInFlight, 0);

    // Along the corridor: a cell every 7 frames, over ropes and a treasure,
    // until the broken wall 9 cells on.
    TProiettileSprite& shot = p.Fire(s, 1);
    std::vector<int> columns;
    for (int frame = 1; frame <= 7 * 7 + 4 - 1; ++frame) {
        p.rig.Tick();
        columns.push_back(shot.Column);
        ASSERT_EQ(p.rig.All<TProiettileSprite>().size(), 1u) << "frame " << frame;
        EXPECT_EQ(shot.Y, CellScreenY(p.V(), s.second, 0));
        EXPECT_EQ(shot.X, CellScreenX(p.V(), shot.Column, shot.OffsetX));
    }
    EXPECT_EQ(columns[5], s.first) << "six moves of 4 pixels";
    EXPECT_EQ(columns[6], s.first + 1) << "then the jump into the next cell";
    EXPECT_EQ(columns[13], s.first + 2);
    EXPECT_EQ(shot.Column, s.first + 7);
    EXPECT_EQ(shot.OffsetX, 12);
    p.rig.Tick();
    EXPECT_TRUE(p.rig.All<TProiettileSprite>().empty());
    EXPECT_EQ(p.V().ShotsInFlight, 0);
    EXPECT_EQ(p.M().Cell(s.first + 5, s.second), CellTreasure) << "shots take nothing";
    EXPECT_EQ(p.M().Cell(s.first + 2, s.second), CellRopeTop);
    EXPECT_EQ(p.M().Cell(s.first + 8, s.second), CellBrokenWall) << "shots break nothing";
    EXPECT_EQ(p.V().Score, 0);
}

TEST(BombTest, SlidesDownItsRopeACellEverySevenFramesAndExplodesAtTheRopeEnd) {
    Patch p({"#########",
             "#..t....#",
             "###R#####",
             "###R#####",
             "###E#####",
             "#########",
             "#H......#",
             "#########"});
    const std::pair<int, int> top = p.At('t');
    p.M().Cell(top.first, top.second) = CellRopeTop;
    TBombaSprite& bomb = p.LayBomb(top);
    p.rig.Tick(6);
    EXPECT_EQ(bomb.Row, top.second);
    EXPECT_EQ(bomb.DropOffset, 24);
    EXPECT_EQ(bomb.Y, CellScreenY(p.V(), top.second, 20)) << "placed before the slide of its frame";
    p.rig.Tick();
    EXPECT_EQ(bomb.Row, top.second + 1);
    EXPECT_EQ(bomb.DropOffset, 0);
    p.rig.Tick(14);
    EXPECT_EQ(bomb.Row, top.second + 3) << "stops on the rope end";
    p.rig.Tick(20);
    EXPECT_EQ(bomb.Row, top.second + 3);
    EXPECT_EQ(bomb.DropOffset, 0);
    EXPECT_TRUE(bomb.Lit);

    int frames = 41;
    while (bomb.Lit && frames < 150) {
        p.rig.Tick();
        ++frames;
    }
    EXPECT_NEAR(frames, 100, 1) << "frame 5 of its picture after about two seconds";
    EXPECT_EQ(static_cast<int>(bomb.FramePos), 5);
    EXPECT_EQ(p.V().ExplosionCount, 4) << "the bomb and three fragments: left, right and up the rope";
    EXPECT_EQ(p.BlastSprites(), 4);
    EXPECT_EQ(p.rig.TakeSounds(), (std::vector<std::string>{"Esplosione", "Esplosione", "Esplosione", "Esplosione"}))
        << "the bomb's, then one a fragment (none into the rock below)";
    EXPECT_EQ(p.V().BombsLive, 1);
    frames += p.RunBlasts();
    EXPECT_NEAR(frames, 200, 2) << "gone on the last frame of its picture";
    // The blast ran up the rope without changing it.
    for (int row = top.second; row <= top.second + 3; ++row)
        EXPECT_TRUE(IsRopeCell(p.M().Cell(top.first, row)) || p.M().Cell(top.first, row) == CellRopeEnd) << row;
    EXPECT_EQ(p.M().Cell(top.first, top.second - 1), CellWall) << "blasts up never break";
    EXPECT_EQ(p.M().Cell(top.first - 1, top.second + 3), CellBrokenWall) << "sideways walls crack";
    EXPECT_EQ(p.M().Cell(top.first + 1, top.second + 3), CellBrokenWall);
}

TEST(BombTest, CracksWallsNearTheLatestBombThenOpensThemAndLeavesFarOnesStanding) {
    // The bomb at 'o': a wall 3 cells to its left, 8 to its right.
    Patch p({"##############",
             "##..o.......##",
             "##############",
             "#H...........#",
             "##############"});
    const std::pair<int, int> bomb = p.At('o');
    const int near = bomb.first - 3, far = bomb.first + 8, row = bomb.second;
    p.rig.Play->BuildMiniMap();  // the map as if the patch had always been there
    TBitmap& map = p.rig.Play->MiniCanvas;
    // The wall's square on the map picture, and on the map surface drawn from it.
    const auto square = [&](auto pixel) {
        bool black = true;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) black = black && pixel((near + 6) * 8 + x, (row + 11) * 8 + y) == 0;
        return black;
    };
    const auto onMap = [&] { return square([&](int x, int y) { return map.At(x, y); }); };
    const auto onSurface = [&] { return square([&](int x, int y) { return p.rig.Play->MapSurface->Pixel(x, y); }); };
    EXPECT_FALSE(onMap());
    EXPECT_FALSE(onSurface());

    p.LayBomb(bomb);
    p.RunBlasts();
    EXPECT_EQ(p.M().Cell(near, row), CellBrokenWall);
    EXPECT_EQ(p.M().Cell(far, row), CellWall) << "more than 5 cells from the bomb";
    EXPECT_EQ(p.M().Cell(near - 1, row), CellWall) << "the line ends in the wall it cracks";
    EXPECT_EQ(p.M().Cell(bomb.first, row - 1), CellWall);
    EXPECT_EQ(p.M().Cell(bomb.first, row + 1), CellWall) << "floors and ceilings hold";
    EXPECT_FALSE(onMap()) << "a cracked wall still shows on the map";
    EXPECT_FALSE(onSurface());

    p.LayBomb(bomb);
    p.RunBlasts();
    EXPECT_EQ(p.M().Cell(near, row), CellPassage) << "the second blast opens it";
    EXPECT_TRUE(onMap()) << "and blacks out its square on the map";
    EXPECT_TRUE(onSurface());

    EXPECT_EQ(p.M().Cell(far, row), CellWall);
    EXPECT_EQ(p.M().Cell(near - 1, row), CellWall);

    // From a bomb 5 cells away the far wall cracks too.
    p.LayBomb({far - 5, row});
    p.RunBlasts();
    EXPECT_EQ(p.M().Cell(far, row), CellBrokenWall);
}

TEST(BombTest, TheOutermostWallsOfThePyramidsBottomRowsNeverBreak) {
    TPlayRig probe(1, SettingPyramid, 3);
    const int w = probe.Play->Vars.Maze.MazeWidth, h = probe.Play->Vars.Maze.MazeHeight;
    ASSERT_EQ(probe.Play->Vars.Maze.Cell(1, h - 2), CellWall) << "no border beside the bottom corridor";
    ASSERT_EQ(probe.Play->Vars.Maze.Cell(w, h - 2), CellWall);
    // Bombs at 'l' and 'r' beside the walls of columns 2 and W - 1, which open;
    // the hero far off behind solid rock.
    std::string corridor(static_cast<size_t>(w), '#'), rock(static_cast<size_t>(w), '#');
    const auto put = [&corridor](int x, char c) { corridor[static_cast<size_t>(x - 1)] = c; };
    put(3, 'l');
    put(4, '.');
    put(w - 3, '.');
    put(w - 2, 'r');
    put(w / 2 - 1, '.');
    put(w / 2, 'H');
    put(w / 2 + 1, '.');
    Patch p({rock, corridor, rock}, 1, SettingPyramid, 1, h - 3);
    const int row = h - 2;
    const uint8_t outsideLeft = p.M().Cell(0, row), outsideRight = p.M().Cell(w + 1, row);
    for (char side : {'l', 'r'})
        for (int round = 0; round < 3; ++round) {
            p.LayBomb(p.At(side));
            p.RunBlasts();
        }
    EXPECT_EQ(p.M().Cell(2, row), CellPassage);
    EXPECT_EQ(p.M().Cell(w - 1, row), CellPassage);
    EXPECT_EQ(p.M().Cell(1, row), CellWall);
    EXPECT_EQ(p.M().Cell(w, row), CellWall);
    EXPECT_EQ(p.M().Cell(0, row), outsideLeft) << "nothing written outside the grid";
    EXPECT_EQ(p.M().Cell(w + 1, row), outsideRight);
    // Bombs in the opened cells themselves: the walls beside them hold as well.
    p.LayBomb({2, row});
    p.RunBlasts();
    p.LayBomb({w - 1, row});
    p.RunBlasts();
    EXPECT_EQ(p.M().Cell(1, row), CellWall);
    EXPECT_EQ(p.M().Cell(w, row), CellWall);
    EXPECT_EQ(p.M().Cell(2, row + 1), CellWall) << "the floor under the corridor holds";
}

TEST(BombTest, DestroysItemsWithoutRewardLeavesRopesAndNeverEntersTheExit) {
    Patch p({"###########",
             "#####X#####",
             "##.$.oTRE##",
             "#####.#####",
             "#####$#####",
             "###########",
             "#H........#",
             "###########"});
    const std::pair<int, int> bomb = p.At('o');
    const int row = bomb.second;
    p.LayBomb(bomb);
    p.RunBlasts();
    EXPECT_EQ(p.M().Cell(bomb.first - 2, row), CellPassage) << "the treasure is gone";
    EXPECT_EQ(p.M().Cell(bomb.first, row + 2), CellPassage) << "the one down the shaft too";
    EXPECT_EQ(p.V().Score, 0) << "without points";
    EXPECT_TRUE(p.rig.All<TBonusSprite>().empty());
    EXPECT_EQ(p.M().Cell(bomb.first, row - 1), CellExit);
    EXPECT_EQ(p.M().Cell(bomb.first + 1, row), CellRopeTop);
    EXPECT_EQ(p.M().Cell(bomb.first + 2, row), CellRope);
    EXPECT_EQ(p.M().Cell(bomb.first + 3, row), CellRopeEnd);
    EXPECT_EQ(p.M().Cell(bomb.first + 4, row), CellBrokenWall) << "the line ran on past the ropes";
    EXPECT_EQ(p.M().Cell(bomb.first - 4, row), CellBrokenWall);
}

TEST(BombTest, TwoBlastsShakeTheViewHarderAndTheShakeEndsWithTheLastBlastSprite) {
    Patch p({"###########",
             "#...o.q...#",
             "###########",
             "#H........#",
             "###########"});
    p.LayBomb(p.At('o'));
    p.rig.Tick(10);
    p.LayBomb(p.At('q'));
    int most = 0, shaken = 0, frames = 0;
    while (!p.rig.All<TBombaSprite>().empty() && frames < 400) {
        p.rig.Tick();
        ++frames;
        most = std::max<int>(most, p.V().ExplosionCount);
        if (p.V().ShakeX != 0 || p.V().ShakeY != 0) ++shaken;
        EXPECT_EQ(p.V().ExplosionCount, p.BlastSprites()) << "frame " << frames;
    }
    EXPECT_GE(most, 6) << "two bombs and their fragments at once";
    EXPECT_GT(shaken, 0);
    EXPECT_EQ(p.V().ExplosionCount, 0);
    EXPECT_EQ(p.V().ShakeX, 0) << "still on the frame the last blast sprite retired";
    EXPECT_EQ(p.V().ShakeY, 0);
    p.rig.Tick(5);
    EXPECT_EQ(p.V().ShakeX, 0);
    EXPECT_EQ(p.V().ShakeY, 0);
}

TEST(BonusTest, ALabelRisesAPixelEveryThirdFrameAndIsGoneAfter51Frames) {
    Patch p({"#######",
             "#H...a#",
             "#######"});
    const std::pair<int, int> a = p.At('a');
    const int32_t score = p.V().Score;
    SpawnBonus(*p.rig.Play, a.first, a.second, 4, 300, -2);
    EXPECT_EQ(p.V().Score, score + 300) << "the points at once";
    ASSERT_EQ(p.rig.All<TBonusSprite>().size(), 1u);
    TBonusSprite& label = *p.rig.All<TBonusSprite>()[0];
    EXPECT_EQ(Lower(label.Image->Name()), "bonus300");
    EXPECT_EQ(label.OffsetY, 14);
    for (int frame = 1; frame <= 50; ++frame) {
        p.rig.Tick();
        ASSERT_EQ(p.rig.All<TBonusSprite>().size(), 1u) << "frame " << frame;
        EXPECT_EQ(label.Counter, frame);
        EXPECT_EQ(label.OffsetY, 14 - frame / 3) << "frame " << frame;
        EXPECT_EQ(label.X, CellScreenX(p.V(), a.first, 4));
        EXPECT_EQ(label.Y, CellScreenY(p.V(), a.second, label.OffsetY));
    }
    p.rig.Tick();
    EXPECT_TRUE(p.rig.All<TBonusSprite>().empty());
    EXPECT_EQ(p.V().Score, score + 300);
}

}  // namespace
}  // namespace tibo
