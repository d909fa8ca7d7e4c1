// The end of a game as a new player meets it: a win that reads as one, an
// end screen that can be skipped, a question before a game is left, the
// cross on time, and the finished game still to be seen in the state dump.
#include <gtest/gtest.h>

#include <string>

#include "framework/KeyCodes.h"
#include "shell/Settings.h"
#include "shell/StateDump.h"
#include "tests/support/FormRig.h"
#include "tests/support/PlayRig.h"

namespace tibo {
namespace {

using testing_support::TFormRig;
using testing_support::TPlayRig;

TEST(EndOfGameTest, AWinReadsAsOneItsEndCanBeSkippedAndTheDumpKeepsTheGame) {
    // Two games of one seed won alike; one waits out the end, one skips it.
    TFormRig waits, skips;
    for (TFormRig* g : {&waits, &skips}) {
        g->StartPlaying(SettingMine);
        g->Escape();
        while (g->V().EscapeBonus == 0) g->Tick();
    }
    TFormRig& g = skips;
    // The victory: the caption says so, and the bonus counts up under it.
    g.Tick(20);
    ASSERT_EQ(g.inside.Vars.GameState, gsLevelWon);
    const int32_t bonus = g.V().EscapeBonus;
    EXPECT_EQ(bonus, 21 * 6) << "4 and 2 points a frame";
    EXPECT_TRUE(g.ShowsCaption(220, "YOU ESCAPED!"));
    EXPECT_TRUE(g.ShowsCaption(244, "BONUS " + std::to_string(bonus)));
    while (g.inside.Vars.GameState == gsLevelWon) g.Tick();
    ASSERT_EQ(g.inside.Vars.GameState, gsGameOver);
    for (int i = 0; i < 40 && !g.inside.Vars.Blink; ++i) g.Tick();
    ASSERT_TRUE(g.inside.Vars.Blink);
    EXPECT_TRUE(g.ShowsCaption(220, "YOU ESCAPED!")) << "flashing, where a death shows GAME OVER";
    EXPECT_FALSE(g.ShowsText(130, 220, "GAME OVER"));

    // Within the pause's first second a key changes nothing; then it ends it.
    ASSERT_LT(g.inside.Vars.FrameCounter, 49);
    g.Key('A');
    g.form.MainScreenMouseDown(1, 300, 200);
    g.Script("1 pad press south\n", 2);
    EXPECT_FALSE(g.inside.Vars.SkipEnd);
    while (g.inside.Vars.FrameCounter < 50) g.Tick();
    g.Key('A');
    EXPECT_TRUE(g.inside.Vars.SkipEnd);
    g.Tick();
    const uint8_t after = g.inside.Vars.GameState;
    EXPECT_TRUE(after == gsIntro || after == gsNameEntry) << int(after);
    EXPECT_EQ(g.inside.Play(), nullptr);

    int waited = 0;
    while (waits.inside.Play()) {
        waits.Tick();
        ++waited;
    }
    EXPECT_GT(waited, 400) << "the pause lasts 501 frames";
    EXPECT_EQ(waits.inside.Vars.GameState, after);
    ASSERT_NE(g.inside.FinishedPlay(), nullptr);
    const int32_t score = g.inside.FinishedPlay()->Score;
    EXPECT_EQ(score, waits.inside.FinishedPlay()->Score) << "the score waiting gives";
    for (size_t i = 0; i < 10; ++i) EXPECT_EQ(g.inside.Vars.HallOfFame[i].Punti, waits.inside.Vars.HallOfFame[i].Punti);
    EXPECT_GT(score, 1000);

    // Until the next game the dump shows the finished one.
    g.Tick(5);
    nlohmann::json dump = DumpState(g.form);
    EXPECT_EQ(dump["Score"], score);
    EXPECT_EQ(dump["Escaped"], true);
    EXPECT_EQ(dump["EscapeBonus"], g.inside.FinishedPlay()->EscapeBonus);
    EXPECT_EQ(dump["HeroRow"], 3) << "where the hero climbed out";
    EXPECT_EQ(dump["MazeWidth"], 33);
    if (after == gsNameEntry) {
        g.Key(VkEnter);
        g.Tick();
    }
    g.Script("1 press A\n4 click 300 90\n5 press Enter\n", 6);
    ASSERT_NE(g.inside.Play(), nullptr);
    dump = DumpState(g.form);
    EXPECT_EQ(dump["Score"], 0) << "a new game";
    EXPECT_EQ(dump["Escaped"], false);
}

TEST(EndOfGameTest, WhatIsLeftOfTheCountDownIsAddedAtOnceWhenItIsCutShort) {
    TPlayRig rig(1, SettingMine, 6);
    rig.StartClimbingOut();
    TPlayVariables& v = rig.Play->Vars;
    while (!v.Escaped) rig.Tick();
    rig.KeyUp(VkUp);
    v.Health = 1000;
    v.Oxygen = 450;
    const int32_t score = v.Score;
    rig.Tick(310);
    EXPECT_EQ(v.EscapeBonus, 5 * 6 + 4 * 4) << "nine frames of the count: 5 of both, then 4 of health";
    rig.Play->FinishEscapeBonus();
    EXPECT_EQ(v.Score, score + 10 * 4 + 5 * 2) << "the score the count-down would reach";
    EXPECT_EQ(v.EscapeBonus, 10 * 4 + 5 * 2);
    EXPECT_LE(v.Health, 0);
    EXPECT_LE(v.Oxygen, 0);
}

TEST(EndOfGameTest, EscapeOrExitDuringAGameAsksBeforeItQuits) {
    TFormRig g;
    g.StartPlaying(SettingMine);
    // In play: the game pauses and asks; nothing moves while it asks.
    g.Key(VkEscape);
    EXPECT_FALSE(g.form.CloseRequested());
    EXPECT_EQ(g.inside.Vars.GameState, gsPaused);
    EXPECT_EQ(g.inside.Vars.QuitQuestion, 150);
    const int32_t oxygen = g.V().Oxygen;
    g.Tick();
    EXPECT_TRUE(g.ShowsCaption(220, "ESC AGAIN TO QUIT"));
    g.Tick(20);
    EXPECT_FALSE(g.ShowsCaption(220, "ESC AGAIN TO QUIT")) << "it flashes";
    EXPECT_EQ(g.V().Oxygen, oxygen);
    // Any other key goes back, and so does the time running out (150 frames).
    g.Key('A');
    EXPECT_EQ(g.inside.Vars.GameState, gsPlaying);
    EXPECT_EQ(g.inside.Vars.QuitQuestion, 0);
    g.Key(VkEscape);
    g.Tick(149);
    EXPECT_EQ(g.inside.Vars.GameState, gsPaused);
    g.Tick();
    EXPECT_EQ(g.inside.Vars.GameState, gsPlaying) << "three seconds without an answer";
    // Escape held down repeats: that is no second Escape.
    g.form.KeyDownEvent(VkEscape);
    g.form.KeyDownEvent(VkEscape);
    g.form.KeyDownEvent(VkEscape);
    EXPECT_FALSE(g.form.CloseRequested());
    g.form.KeyUpEvent(VkEscape);
    g.Key('A');
    // From the pause back to the pause; a pad button answers too.
    g.Key('P');
    g.Key(VkEscape);
    g.Script("1 pad press south\n", 2);
    EXPECT_EQ(g.inside.Vars.GameState, gsPaused);
    EXPECT_EQ(g.inside.Vars.QuitQuestion, 0);
    g.Key('P');
    ASSERT_EQ(g.inside.Vars.GameState, gsPlaying);
    // The panel's EXIT asks as well; a click elsewhere goes back.
    g.form.MainScreenMouseDown(1, 150, 430);
    EXPECT_FALSE(g.form.CloseRequested());
    EXPECT_EQ(g.inside.Vars.QuitQuestion, 150);
    g.form.MainScreenMouseDown(1, 200, 200);
    EXPECT_EQ(g.inside.Vars.GameState, gsPlaying);

    // In the game-over pause: its count stops while the question is up.
    g.V().Oxygen = 1;
    g.Tick(60);
    ASSERT_EQ(g.inside.Vars.GameState, gsGameOver);
    const int32_t frame = g.inside.Vars.FrameCounter;
    g.Key(VkEscape);
    g.Tick(40);
    EXPECT_EQ(g.inside.Vars.FrameCounter, frame);
    ASSERT_GE(frame, 50);
    g.Key(' ');
    EXPECT_EQ(g.inside.Vars.GameState, gsGameOver);
    EXPECT_FALSE(g.inside.Vars.SkipEnd) << "the key answered the question and skips nothing";
    // Twice, and the game is left: the hall of fame is written.
    g.inside.Vars.HallOfFame[0] = {"Zed", 20000, 3};  // an entry of this game's own
    g.form.MainScreenMouseDown(1, 150, 430);
    g.Key(VkEscape);
    EXPECT_TRUE(g.form.CloseRequested());
    EXPECT_EQ(g.inside.Play(), nullptr);
    g.form.FormClose();
    EXPECT_EQ(ReadHallOfFame(g.form.SettingsPath())[0].Nome, "Zed");

    // The exit preview asks too, stands still meanwhile and goes on after.
    TFormRig h;
    h.Script("1 press A\n4 click 300 90\n5 press Enter\n", 8);
    ASSERT_EQ(h.inside.Vars.GameState, gsExitPreview);
    const int32_t offset = h.V().ViewOffsetY;
    h.Key(VkEscape);
    h.Tick(10);
    EXPECT_EQ(h.V().ViewOffsetY, offset) << "the preview stands still";
    h.Key('A');
    EXPECT_EQ(h.inside.Vars.GameState, gsExitPreview);
    h.Tick();
    EXPECT_NE(h.V().ViewOffsetY, offset);
    h.Key(VkEscape);
    h.Key(VkEscape);
    EXPECT_TRUE(h.form.CloseRequested());
}

TEST(EndOfGameTest, TheCrossComes80FramesAfterADeathInTheHurtPhase) {
    // A monster's hit takes the last health; the next frame he dies, and that
    // frame's hurt count runs too.
    TPlayRig rig(1, SettingMine, 4);
    rig.SkipPreview();
    rig.ClearEnemies();
    rig.EndStartProtection();
    TPlayVariables& v = rig.Play->Vars;
    v.Health = 1500;
    auto* ghost = new TFantasmaSprite(&rig.Engine());
    ghost->ShowPicture(rig.Nemici.Items.Find("FantasmaDx"));
    ghost->ImageCheck = true;
    ghost->Moves = false;
    ghost->Column = v.HeroColumn;
    ghost->Row = v.HeroRow;
    PlaceAtCell(*ghost, ghost->Column, ghost->Row, 0, 0);
    rig.Tick();
    ASSERT_EQ(v.Health, 0);
    ASSERT_EQ(rig.Hero().HeroState, hsPlaying);
    rig.Tick();
    ASSERT_EQ(rig.Hero().HeroState, hsDying) << "the death test of the next frame";
    EXPECT_EQ(rig.Hero().Counter, 1) << "the hurt phase counted on the frame he died";
    const std::string cross = rig.SpriteTibo.Items.Find("Croce").Name();
    rig.Tick(79);
    EXPECT_NE(rig.Hero().Image->Name(), cross);
    rig.Tick();
    EXPECT_EQ(rig.Hero().Image->Name(), cross) << "80 frames after the death";
}

}  // namespace
}  // namespace tibo
