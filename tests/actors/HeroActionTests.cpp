// Tibo's shots and bombs, pick-ups, damage, death and victory, on a play with
// no form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/KeyCodes.h"
#include "tests/support/PlayRig.h"

namespace tibo {
namespace {

using testing_support::TPlayRig;

constexpr int X0 = 40, Y0 = 40;

// A level 5 "MINE" past its preview, the enemies gone, the hero at the left
// end of a long corridor.
struct Arena {
    explicit Arena(const std::vector<std::string>& rows = {"##############################",
                                                           "#H...........................#",
                                                           "##############################"})
        : rig(5, SettingMine, 4) {
        rig.SkipPreview();
        rig.ClearEnemies();
        rig.EndStartProtection();
        marks = rig.LayPatch(X0, Y0, rows);
        rig.Tick();
        rig.TakeSounds();
    }
    TPlayVariables& V() { return rig.Play->Vars; }
    TTiboSprite& Hero() { return rig.Hero(); }
    void Press(int vk) {
        rig.KeyDown(vk);
        rig.Tick();
        rig.KeyUp(vk);
        rig.Tick();
    }
    int Count(const std::vector<std::string>& sounds, const std::string& name) {
        return static_cast<int>(std::count(sounds.begin(), sounds.end(), name));
    }
    TPlayRig rig;
    std::map<char, std::pair<int, int>> marks;
};

TEST(HeroActionTest, OnePressOneShotAtMostThreeInFlightAndNoneWithoutShots) {
    Arena a;
    TPlayVariables& v = a.V();
    v.Shots = 5;
    a.rig.KeyDown(VkSpace);
    a.rig.Tick(10);
    EXPECT_EQ(v.Shots, 4) << "holding fire gives one shot";
    EXPECT_EQ(a.rig.All<TProiettileSprite>().size(), 1u);
    EXPECT_EQ(a.rig.TakeSounds(), (std::vector<std::string>{"Sparo"}));
    a.rig.KeyUp(VkSpace);
    a.rig.Tick();
    a.Press(VkSpace);
    a.Press(VkSpace);
    EXPECT_EQ(v.ShotsInFlight, 3);
    a.Press(VkSpace);
    EXPECT_EQ(v.ShotsInFlight, 3) << "three in flight at most";
    EXPECT_EQ(v.Shots, 2);
    const TProiettileSprite& shot = *a.rig.All<TProiettileSprite>().front();
    EXPECT_EQ(shot.Direction, 1);
    EXPECT_EQ(shot.Row, v.HeroRow);
    EXPECT_TRUE(shot.ImageCheck);

    Arena empty;
    empty.V().Shots = 0;
    empty.Press(VkSpace);
    EXPECT_TRUE(empty.rig.All<TProiettileSprite>().empty());
    EXPECT_TRUE(empty.rig.TakeSounds().empty()) << "no shots: no sound";
}

TEST(HeroActionTest, OnePressOneBombAtMostFiveLive) {
    Arena a;
    TPlayVariables& v = a.V();
    v.Bombs = 7;
    for (int i = 0; i < 6; ++i) {
        a.Press(VkEnter);
        a.rig.KeyDown(VkRight);  // a cell on between bombs
        a.rig.Tick(8);
        a.rig.KeyUp(VkRight);
        a.rig.Tick(2);
    }
    const auto bombs = a.rig.All<TBombaSprite>();
    ASSERT_EQ(bombs.size(), 5u) << "a sixth bomb waits for one of the five to end";
    EXPECT_EQ(v.BombsLive, 5);
    EXPECT_EQ(v.Bombs, 2);
    const TBombaSprite& last = *bombs.back();
    EXPECT_EQ(v.LastBombColumn, last.Column);
    EXPECT_EQ(v.LastBombRow, last.Row);
    EXPECT_TRUE(last.Lit);
    EXPECT_FALSE(last.Fragment);
    EXPECT_EQ(last.Z(), 1);
    EXPECT_EQ(a.Count(a.rig.TakeSounds(), "Sparo"), 0) << "laying a bomb makes no sound";
}

TEST(HeroPickUpTest, EveryPickUpHasItsEffectOnceAndTheCellEmpties) {
    Arena a({"##########",
             "#Hteqmbp$#",
             "##########"});
    TPlayVariables& v = a.V();
    auto put = [&](char mark, uint8_t code) { v.Maze.Cell(a.marks[mark].first, a.marks[mark].second) = code; };
    put('t', CellTorch);
    put('e', CellEnergy);
    put('q', CellPrize2);
    put('m', CellMap);
    put('b', CellBombs);  // 'b' is a broken wall in patches: replace it
    put('p', CellPrize1);
    v.Maze.Cell(X0 + 6, Y0 + 1) = CellBombs;
    v.Health = 19000;
    v.Oxygen = 18000;
    v.Shots = 6;
    v.Bombs = 7;
    const int32_t score0 = v.Score;
    auto stepRight = [&] {
        a.rig.KeyDown(VkRight);
        a.rig.Tick();
        a.rig.KeyUp(VkRight);
        a.rig.Tick(8);
        return a.rig.TakeSounds();
    };
    // The torch: the path to the exit is lit.
    auto sounds = stepRight();
    EXPECT_EQ(a.Count(sounds, "Mappa"), 1);
    EXPECT_EQ(v.TorchSteps, 40 * 5 + 40);
    EXPECT_EQ(v.Maze.Path(v.HeroColumn, v.HeroRow), PathLit);
    EXPECT_EQ(v.Maze.Cell(v.HeroColumn, v.HeroRow), CellPassage);
    EXPECT_EQ(v.Score, score0 + 500);
    // Energy, capped, without sound or points.
    sounds = stepRight();
    EXPECT_EQ(v.Health, FullGauge);
    EXPECT_GE(v.Oxygen, 19990) << "18000 + 2500, capped at 20000, less the frames since";
    EXPECT_EQ(sounds.size(), 1u) << "only the step is heard";
    EXPECT_TRUE(v.CellDirty || v.Maze.Cell(v.HeroColumn, v.HeroRow) == CellPassage);
    // A prize: 300 and "Tesoro".
    sounds = stepRight();
    EXPECT_EQ(a.Count(sounds, "Tesoro"), 1);
    EXPECT_EQ(v.Score, score0 + 800);
    // The map: 500 and the map's steps.
    sounds = stepRight();
    EXPECT_EQ(a.Count(sounds, "Mappa"), 1);
    EXPECT_EQ(v.MapSteps, 20 * 5 + 20 - 0);
    EXPECT_EQ(v.MapColumn, v.HeroColumn);
    EXPECT_EQ(v.Score, score0 + 1300);
    // Bombs: six shots become seven, the most the panel shows; seven bombs stay seven.
    sounds = stepRight();
    EXPECT_EQ(a.Count(sounds, "BonusColpiBombe"), 1);
    EXPECT_EQ(v.Shots, 7);
    EXPECT_EQ(v.Bombs, 7);
    // Another prize, then a treasure: 400.
    stepRight();
    sounds = stepRight();
    EXPECT_EQ(a.Count(sounds, "Tesoro"), 1);
    EXPECT_EQ(v.Score, score0 + 2000);
    EXPECT_EQ(v.Maze.Cell(v.HeroColumn, v.HeroRow), CellPassage);
    a.rig.Tick(5);
    EXPECT_EQ(v.Score, score0 + 2000) << "each item is taken once";
}

// A monster, a drop or a blast fragment held still on the hero's cell.
template <typename T>
T& Touch(TPlayRig& rig, const char* picture) {
    auto* s = new T(&rig.Engine());
    s->ShowPicture(rig.Nemici.Items.TryFind(picture) ? rig.Nemici.Items.Find(picture) : rig.Sfondo.Items.Find(picture));
    s->ImageCheck = true;
    s->Column = rig.Play->Vars.HeroColumn;
    s->Row = rig.Play->Vars.HeroRow;
    s->Moves = false;
    PlaceAtCell(*s, s->Column, s->Row, 0, 0);
    return *s;
}

TEST(HeroDamageTest, MonstersAndDropsHurtWithAProtectedSpellBlastsHurtEveryFrame) {
    Arena a;
    TPlayVariables& v = a.V();
    TVermeSprite& worm = Touch<TVermeSprite>(a.rig, "VermeDx");
    a.rig.Tick();
    EXPECT_EQ(v.Health, FullGauge - 1500);
    EXPECT_TRUE(a.Hero().Hurt);
    EXPECT_EQ(a.rig.TakeSounds(), (std::vector<std::string>{"Ouch"}));
    a.rig.Tick(60);
    EXPECT_EQ(v.Health, FullGauge - 1500) << "61 frames of protection";
    a.rig.Tick();
    EXPECT_FALSE(a.Hero().Hurt);
    a.rig.Tick();
    EXPECT_EQ(v.Health, FullGauge - 3000) << "then he is hit again";
    worm.Retire();

    Arena b;
    Touch<TGocciaSprite>(b.rig, "Gocce");
    b.rig.Tick();
    EXPECT_EQ(b.V().Health, FullGauge - 300);
    EXPECT_TRUE(b.Hero().Hurt);
    EXPECT_TRUE(b.rig.TakeSounds().empty()) << "a drop hurts without a sound";

    Arena c;
    TBombaSprite& blast = Touch<TBombaSprite>(c.rig, "Esplosione");
    blast.Fragment = true;
    c.V().Health = 2500;
    c.rig.Tick();
    EXPECT_EQ(c.V().Health, 1500);
    EXPECT_FALSE(c.Hero().Hurt) << "a blast gives no protection";
    c.rig.Tick();
    EXPECT_EQ(c.V().Health, 500);
    c.rig.Tick();
    EXPECT_EQ(c.Hero().HeroState, hsDying) << "at 0 he dies at once";
    EXPECT_EQ(c.V().Health, 0);
    EXPECT_EQ(c.rig.Host.State, gsGameOver);
    EXPECT_EQ(c.rig.TakeSounds(), (std::vector<std::string>{"GameOver"}));
    c.rig.Tick(100);
    EXPECT_EQ(c.rig.Host.GameOvers, 1) << "a dying hero does not die again";
    EXPECT_GT(c.rig.Host.FrameCounter, 99) << "so the game-over pause runs on";
    EXPECT_EQ(c.rig.Host.State, gsGameOver);
}

TEST(HeroDeathTest, OxygenRunsOutTheCrossComes81FramesLaterAndTheGameEnds) {
    Arena a;
    TPlayVariables& v = a.V();
    v.Oxygen = 3;
    a.rig.Tick(2);
    EXPECT_EQ(a.Hero().HeroState, hsPlaying);
    a.rig.Tick();
    EXPECT_EQ(a.Hero().HeroState, hsDying);
    EXPECT_EQ(v.Health, 0);
    EXPECT_EQ(a.rig.Host.State, gsGameOver);
    EXPECT_EQ(a.Hero().Image->Name(), a.rig.Sfondo.Items.Find("Esplosione").Name());
    EXPECT_EQ(v.Oxygen, 0);
    a.rig.Tick(80);
    EXPECT_NE(a.Hero().Image->Name(), a.rig.SpriteTibo.Items.Find("Croce").Name());
    a.rig.Tick();
    EXPECT_EQ(a.Hero().Image->Name(), a.rig.SpriteTibo.Items.Find("Croce").Name()) << "the cross after 81 frames";
    EXPECT_EQ(v.Oxygen, 0) << "a dead hero breathes no more";
    EXPECT_TRUE(a.rig.Tick(500 - 82)) << "the game-over pause lasts 500 frames";
    EXPECT_FALSE(a.rig.Tick()) << "then the play hands the game over";
}

TEST(HeroVictoryTest, TheCountDownTurnsHealthAndOxygenIntoPoints) {
    TPlayRig rig(1, SettingMine, 6);
    rig.StartClimbingOut();
    TPlayVariables& v = rig.Play->Vars;
    rig.Tick(9);
    rig.KeyUp(VkUp);
    ASSERT_EQ(rig.Host.State, gsLevelWon);
    rig.Tick(8);
    ASSERT_EQ(rig.Hero().HeroState, hsVictory);
    v.Health = 1000;
    v.Oxygen = 450;
    const int32_t score = v.Score;
    rig.Tick(301);
    EXPECT_EQ(v.Score, score) << "nothing counted for 301 frames";
    rig.Tick();
    EXPECT_EQ(v.Health, 900);
    EXPECT_EQ(v.Oxygen, 350);
    EXPECT_EQ(v.Score, score + 6);
    rig.Tick(4);
    EXPECT_EQ(v.Oxygen, -50) << "the last hundred taken from 50";
    EXPECT_EQ(v.Score, score + 5 * 4 + 5 * 2);
    rig.TakeSounds();
    rig.Tick(450 - 306);
    EXPECT_EQ(rig.Host.State, gsLevelWon) << "the count has reached 450";
    rig.Tick();
    EXPECT_EQ(rig.Host.State, gsGameOver) << "the frame after it ends the victory";
    EXPECT_EQ(rig.TakeSounds(), (std::vector<std::string>{"GameOver"}));
    EXPECT_EQ(v.Health, 0);
    EXPECT_EQ(v.Score, score + 10 * 4 + 5 * 2);
    rig.Tick(10);
    EXPECT_EQ(rig.Host.GameOvers, 1);
    EXPECT_TRUE(rig.TakeSounds().empty());
}

TEST(PanelGaugeTest, HealthAndOxygenBelowZeroShowAnEmptyBarAndZeroPercent) {
    Arena a, b;
    a.V().Health = a.V().Oxygen = -700;
    b.V().Health = b.V().Oxygen = 0;
    a.Hero().HeroState = b.Hero().HeroState = hsDying;  // no death to run
    a.rig.Tick();
    b.rig.Tick();
    for (int y = 85; y < 250; ++y)
        for (int x = 480; x < 600; ++x) ASSERT_EQ(a.rig.Pixel(x, y), b.rig.Pixel(x, y)) << x << "," << y;
}

}  // namespace
}  // namespace tibo
