// The screens a new player meets, played as a player plays them: the level
// choice by keys and by aiming its pointer, the name entry, the help page,
// and what the play screen shows over the game.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <vector>

#include "framework/KeyCodes.h"
#include "framework/Text.h"
#include "labyrinth/Play.h"
#include "shell/Settings.h"
#include "shell/StateDump.h"
#include "tests/support/FormRig.h"

namespace tibo {
namespace {

using testing_support::Game;
using testing_support::TempDir;

// Whether the screen shows `text` as the game's font writes it at (x, y)
// (centred: x is ignored) with `opacity`, drawn over `background`: the text's
// 16 rows are compared over its whole width. Opaque text is looked for over
// the screen itself.
bool ShowsText(TFormInsides& inside, const TSurface& background, int x, int y, bool centred, std::string_view text,
               int opacity = 255) {
    const TSurface& screen = *inside.MainScreen.Surface();
    TSurface expected;
    expected.SetSize(screen.Width(), screen.Height());
    expected.Draw(0, 0, &background, false);
    TTextWriter(&expected, inside.FontSurface.get(), inside.DigitSurface.get()).PutText(x, y, opacity, centred, text);
    const int width = 16 * static_cast<int>(text.size());
    const int left = centred ? (screen.Width() - width) / 2 : x;
    for (int row = y; row < y + 16; ++row)
        for (int col = std::max(left, 0); col < std::min(left + width, screen.Width()); ++col)
            if (expected.Pixel(col, row) != screen.Pixel(col, row)) return false;
    return true;
}

bool ShowsText(TFormInsides& inside, int x, int y, bool centred, std::string_view text) {
    return ShowsText(inside, *inside.MainScreen.Surface(), x, y, centred, text);
}

// Into play from the intro, with the preview skipped.
void StartPlaying(Game& game) {
    game.ToLevelChoice();
    game.Key(VkEnter);
    game.Tick(2);
    game.SkipPreview();
}

// ---------------------------------------------------------------- the level choice

TEST(LevelChoiceScreen, TheKeysChooseAndAreShownAndThePointerMarksWhatAClickSelects) {
    TempDir dir;
    {
        Game game(dir.Path());
        TMainForm& form = game.form;
        TFormInsides& inside = game.inside;
        game.ToLevelChoice();
        // The keyboard alone: Left is PYRAMID, Right MINE, as on the pad.
        game.Key(VkLeft);
        EXPECT_EQ(inside.Vars.ChosenSetting, SettingPyramid);
        game.Key(VkRight);
        EXPECT_EQ(inside.Vars.ChosenSetting, SettingMine);
        game.Key(VkLeft);
        for (int key : {VkDown, VkDown, VkUp, VkDown, VkUp, VkUp, VkUp}) game.Key(key);
        EXPECT_EQ(inside.Vars.ChosenLevel, 1);
        // The keys that work here are on the screen, dimmer than the captions,
        // over the screen's picture (the pointer moved out of their way).
        form.DeliverMouseMove(0, 400);
        game.Tick();
        TSurface background;
        background.SetSize(640, 480);
        background.Draw(0, 0, inside.PictureSurface.get(), true);
        EXPECT_TRUE(ShowsText(inside, background, 0, 48, true, "LEFT: PYRAMID   RIGHT: MINE", 170));
        EXPECT_TRUE(ShowsText(inside, background, 0, 347, true, "UP, DOWN: LEVEL  ENTER: START  F1: HELP", 170));
        game.Key(VkEnter);
        game.Tick();
        ASSERT_NE(inside.Play(), nullptr);
        EXPECT_EQ(inside.Play()->ChosenSetting, SettingPyramid);
        EXPECT_EQ(inside.Play()->ChosenLevel, 1);
    }

    // The pointer is drawn with its top-left corner at the mouse, and a click
    // selects the caption 24 to 25 pixels below the mouse. What the picture
    // shows is centred in its 48 x 48 frame, mirror for mirror (no arrow in a
    // corner), so a player puts its middle on the caption he wants.
    Game game(dir.Path());
    TMainForm& form = game.form;
    TFormInsides& inside = game.inside;
    game.ToLevelChoice();
    const TPictureItem& pointer = inside.Sfondo.Items.Find("Selezione");
    ASSERT_EQ(pointer.Picture.Width, 144);
    int top = 48, bottom = -1, unmatched = 0;
    for (int frame = 0; frame < 3; ++frame) {
        const auto opaque = [&](int x, int y) { return pointer.Picture.At(48 * frame + x, y) != pointer.TransparentColor(); };
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 48; ++x) {
                unmatched += opaque(x, y) != opaque(47 - x, y) || opaque(x, y) != opaque(x, 47 - y);
                if (opaque(x, y)) top = std::min(top, y), bottom = std::max(bottom, y);
            }
    }
    EXPECT_EQ(unmatched, 0) << "the pointer's pixels that have no mirror image";
    struct TCaption {
        const char* Name;
        int Middle, Top;  // the caption's middle column and its first row
    };
    const TCaption captions[] = {{"PYRAMID", 320, 75}, {"MINE", 320, 100}, {"Level 5", 244, 250}, {"Level 4", 244, 225},
                                 {"Level 3", 244, 200}, {"Level 2", 244, 175}, {"Level 1", 244, 150}, {"START", 320, 300},
                                 {"EXIT", 320, 325}};
    for (const TCaption& c : captions) {
        SCOPED_TRACE(c.Name);
        // The pointer's middle on the caption's middle.
        const int x = c.Middle - 24, y = c.Top + 8 - 24;
        form.DeliverMouseMove(x, y);
        if (inside.SelectionSprite) {
            EXPECT_EQ(inside.SelectionSprite->X, x);
            EXPECT_EQ(inside.SelectionSprite->Y, y);
        }
        // It reaches neither the caption above (its last row 10 above this
        // one's first) nor the one below (25 rows down).
        EXPECT_GT(y + top, c.Top - 10);
        EXPECT_LT(y + bottom, c.Top + 25);
        form.MainScreenMouseDown(1, x, y);
    }
    EXPECT_EQ(inside.Vars.ChosenSetting, SettingMine) << "MINE was aimed at after PYRAMID";
    EXPECT_EQ(inside.Vars.ChosenLevel, 1) << "level 1 was aimed at last";
    EXPECT_TRUE(inside.Vars.StartRequested);
    EXPECT_TRUE(form.CloseRequested()) << "EXIT";
    // Each caption on its own.
    Game other(dir.Path());
    other.ToLevelChoice();
    for (const TCaption& c : captions) {
        if (c.Top >= 300) break;
        other.form.MainScreenMouseDown(1, c.Middle - 24, c.Top + 8 - 24);
        if (c.Top < 125) EXPECT_EQ(other.inside.Vars.ChosenSetting, c.Top == 75 ? SettingPyramid : SettingMine) << c.Name;
        else EXPECT_EQ(other.inside.Vars.ChosenLevel, (c.Top - 150) / 25 + 1) << c.Name;
    }
}

// ---------------------------------------------------------------- the name entry

TEST(NameEntryScreen, OnlyWhatTheFontDrawsIsTypedBackspaceDeletesAndOldNamesStayAsTheyWere) {
    TempDir dir;
    THallOfFame hall = DefaultHallOfFame();
    hall[2].Nome = "BOT%& M";  // typed before, when the paging keys still typed
    WriteHallOfFame(dir.File("Tibo.Ini"), hall);
    Game game(dir.Path());
    TFormInsides& inside = game.inside;
    EXPECT_EQ(inside.Vars.HallOfFame[2].Nome, "BOT%& M");
    StartPlaying(game);
    inside.Play()->Vars.Score = 9500;  // place 2
    inside.Vars.GameState = gsGameOver;
    inside.Vars.FrameCounter = 0;
    game.Tick(501);
    ASSERT_EQ(inside.Vars.GameState, gsNameEntry);
    ASSERT_EQ(inside.Vars.NewEntryRank, 2);
    const std::string& name = inside.Vars.HallOfFame[1].Nome;
    // Arrows, paging keys, Home, End, Insert, Tab, punctuation, function keys
    // and Shift type nothing.
    for (int key : {VkLeft, VkUp, VkRight, VkDown, 33, 34, 35, 36, 45, 9, 186, 188, 190, 191, 222, 113, 16}) game.Key(key);
    EXPECT_EQ(name, "");
    // Letters, digits (the keypad's too) and space do.
    for (int key : {int{'A'}, int{'B'}, int{' '}, int{'C'}, VkPad0 + 7, int{'9'}}) game.Key(key);
    EXPECT_EQ(name, "AB C79");
    game.Key(VkBackspace);
    EXPECT_EQ(name, "AB C7");
    game.Key(VkDelete);
    EXPECT_EQ(name, "AB C");
    game.Script("1 press Backspace\n2 press Backspace\n", 2);
    EXPECT_EQ(name, "AB") << "Backspace from a script";
    for (int i = 0; i < 4; ++i) game.Key(VkBackspace);
    EXPECT_EQ(name, "");
    for (int key : {'A', 'D', 'A', ' ', '1'}) game.Key(key);
    // The screen says how.
    game.Tick();
    EXPECT_TRUE(ShowsText(inside, 0, 400, true, "TYPE  DEL, BACKSPACE: ERASE  ENTER: OK"));
    game.Key(VkEnter);
    game.Tick();
    EXPECT_EQ(inside.Vars.GameState, gsIntro);
    const THallOfFame saved = ReadHallOfFame(dir.File("Tibo.Ini"));
    EXPECT_EQ(saved[1].Nome, "ADA 1");
    EXPECT_EQ(saved[3].Nome, "BOT%& M") << "an old name moves down a place as it was";
}

// ---------------------------------------------------------------- the help page

TEST(HelpPage, F1HoldsEveryScreenWhereItWasAndAnyKeyGoesBackToIt) {
    TempDir dir;
    Game game(dir.Path());
    TMainForm& form = game.form;
    TFormInsides& inside = game.inside;

    // On the intro: F1 is not the key that leaves it, nor is the key that
    // closes the page; the intro waits meanwhile.
    game.Tick(5);
    game.Key(VkF1);
    EXPECT_TRUE(inside.Vars.HelpShown);
    const int32_t introFrame = inside.Vars.FrameCounter;
    game.Tick(30);
    EXPECT_EQ(inside.Vars.FrameCounter, introFrame);
    EXPECT_TRUE(ShowsText(inside, 0, 4, true, "HOW TO PLAY"));
    EXPECT_TRUE(ShowsText(inside, 0, 458, true, "ANY KEY: BACK"));
    EXPECT_FALSE(game.host.CursorVisible);
    game.Key(' ');
    EXPECT_FALSE(inside.Vars.HelpShown);
    EXPECT_FALSE(inside.Vars.AnyKey);
    game.Tick();
    EXPECT_EQ(inside.Vars.GameState, gsIntro);
    EXPECT_EQ(inside.Vars.FrameCounter, introFrame + 1);

    // On the level choice, Escape and a click on the exit area close the page, not the game.
    game.ToLevelChoice();
    game.Key(VkF1);
    game.Key(VkEscape);
    EXPECT_FALSE(inside.Vars.HelpShown);
    EXPECT_FALSE(form.CloseRequested());
    game.Script("1 press F1\n", 2);
    EXPECT_TRUE(inside.Vars.HelpShown) << "F1 from a script";
    form.MainScreenMouseDown(1, 150, 430);
    EXPECT_FALSE(inside.Vars.HelpShown);
    EXPECT_FALSE(form.CloseRequested());
    EXPECT_EQ(inside.Vars.GameState, gsLevelChoice);

    // In play: nothing moves behind the page, not even the oxygen.
    game.Key(VkEnter);
    game.Tick(2);
    game.SkipPreview();
    game.Tick(10);
    TPlayVariables& v = inside.Play()->Vars;
    const int32_t bombs = v.Bombs, shots = v.Shots;
    // Everything but the page's own variables.
    auto behindThePage = [&form] {
        nlohmann::json state = DumpState(form);
        state.erase("HelpShown");
        state.erase("HelpClosingKey");
        return state;
    };
    const nlohmann::json before = behindThePage();
    form.KeyDownEvent(VkF1);
    form.KeyDownEvent(VkF1);  // held, it repeats: no new press
    game.Tick(60);
    EXPECT_TRUE(inside.Vars.HelpShown);
    EXPECT_EQ(inside.Vars.GameState, gsPlaying);
    EXPECT_EQ(behindThePage(), before) << "the play did not advance";
    form.KeyUpEvent(VkF1);
    // M and F12 do their work and the page stays.
    game.Key('M');
    EXPECT_TRUE(inside.SoundDevice.Muted());
    game.Key('M');
    EXPECT_TRUE(inside.Vars.HelpShown);
    // Enter, the bomb key, closes the page; held on, it lays no bomb.
    form.KeyDownEvent(VkEnter);
    EXPECT_FALSE(inside.Vars.HelpShown);
    EXPECT_EQ(inside.Vars.HelpClosingKey, VkEnter);
    form.KeyDownEvent(VkEnter);  // its repeat
    game.Tick(20);
    EXPECT_EQ(inside.Vars.GameState, gsPlaying);
    EXPECT_EQ(v.Bombs, bombs);
    EXPECT_EQ(v.BombsLive, 0);
    EXPECT_NE(behindThePage(), before) << "the play goes on";
    form.KeyUpEvent(VkEnter);
    EXPECT_EQ(inside.Vars.HelpClosingKey, 0);
    form.KeyDownEvent(VkEnter);
    game.Tick();
    form.KeyUpEvent(VkEnter);
    EXPECT_EQ(v.Bombs, bombs - 1) << "once let go, the key is the bomb key again";

    // Paused, the game comes back paused, even when P closes the page.
    game.Key('P');
    ASSERT_EQ(inside.Vars.GameState, gsPaused);
    game.Key(VkF1);
    game.Tick(5);
    game.Key('P');
    EXPECT_FALSE(inside.Vars.HelpShown);
    EXPECT_EQ(inside.Vars.GameState, gsPaused);
    game.Key('P');
    EXPECT_EQ(inside.Vars.GameState, gsPlaying);

    // The pad: Back opens the page, South closes it and fires no shot.
    game.Script("1 pad press back\n", 3);
    EXPECT_TRUE(inside.Vars.HelpShown);
    game.Script("1 pad down south\n", 5);
    EXPECT_FALSE(inside.Vars.HelpShown);
    EXPECT_EQ(v.Shots, shots);
    game.Script("1 pad up south\n", 1);
}

// ---------------------------------------------------------------- over the play

TEST(PlayScreen, ThePreviewTheGaugesTheMutedSignAndTheScreenshotNotice) {
    TempDir dir;
    Game game(dir.Path());
    TFormInsides& inside = game.inside;
    game.ToLevelChoice();
    game.Key(VkEnter);
    game.Tick(3);
    ASSERT_EQ(inside.Vars.GameState, gsExitPreview);
    EXPECT_TRUE(ShowsText(inside, PreviewHintX, PreviewHintY, false, PreviewHint)) << "the preview says fire skips it";
    game.SkipPreview();
    game.Tick();
    EXPECT_FALSE(ShowsText(inside, PreviewHintX, PreviewHintY, false, PreviewHint)) << "and play does not";

    // Muted sound shows a sign, and only then.
    const TSurface& screen = *inside.MainScreen.Surface();
    const auto corner = [&] {
        std::vector<TDeviceColor> pixels;
        for (int y = 0; y < 30; ++y)
            for (int x = 590; x < 640; ++x) pixels.push_back(screen.Pixel(x, y));
        return pixels;
    };
    const auto sounding = corner();
    game.Key('M');
    game.Tick();
    EXPECT_NE(corner(), sounding);
    game.Key('M');
    game.Tick();
    EXPECT_EQ(corner(), sounding);

    // F12 says so on the screen for two seconds.
    game.Key(VkF12);
    EXPECT_EQ(inside.Vars.ScreenshotNoticeFrames, 100);
    game.Tick();
    EXPECT_TRUE(ShowsText(inside, 0, 5, true, "SCREENSHOT SAVED"));
    EXPECT_FALSE(inside.Vars.ScreenshotFailed);
    game.Tick(99);
    EXPECT_EQ(inside.Vars.ScreenshotNoticeFrames, 0);
    game.Tick();
    EXPECT_FALSE(ShowsText(inside, 0, 5, true, "SCREENSHOT SAVED"));
    int saved = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        saved += entry.path().filename().string().starts_with("tibo-");
    EXPECT_EQ(saved, 1);

    // Each percentage stays inside its bar: no white beside the bars, "100%" and "0%" too.
    TPlayVariables& v = inside.Play()->Vars;
    const TDeviceColor white = screen.DeviceColor(0xFFFFFF);
    const auto spilt = [&] {
        int n = 0;
        for (int y = 178; y < 190; ++y)
            for (int x = 470; x < 575; ++x)
                n += (x < 483 || (x >= 507 && x < 535) || x >= 559) && screen.Pixel(x, y) == white;
        return n;
    };
    for (int32_t value : {FullGauge, FullGauge - 1, 10000, 1000, 0}) {
        v.Oxygen = v.Health = value;
        game.Tick();
        EXPECT_EQ(spilt(), 0) << value;
    }
}

}  // namespace
}  // namespace tibo
