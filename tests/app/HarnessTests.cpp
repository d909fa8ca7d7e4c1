// The game's screens and their transitions, driven in-process, through a
// session's steps and through the program run headless.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <thread>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <string>

#include "assets/AssetStore.h"
#include "framework/Files.h"
#include "framework/ImageCodec.h"
#include "framework/KeyCodes.h"
#include "app/Session.h"
#include "app/Replay.h"
#include "shell/Main.h"
#include "shell/Settings.h"
#include "shell/StateDump.h"
#include "tests/support/FormRig.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/FileSizeLimit.h"

namespace tibo {
namespace {

namespace fs = std::filesystem;
using namespace testing_support;

// ---------------------------------------------------------------- in-process

struct FormTest : ::testing::Test {
    TempDir dir;
};

TEST_F(FormTest, StartsOnTheIntroWithTheFrameRateOfTheFirstArgument) {
    EXPECT_EQ(FrameIntervalFromArgument({}), 20);
    EXPECT_EQ(FrameIntervalFromArgument({"abc"}), 20);
    EXPECT_EQ(FrameIntervalFromArgument({""}), 20);
    EXPECT_EQ(FrameIntervalFromArgument({"0"}), 20);
    EXPECT_EQ(FrameIntervalFromArgument({"25"}), 40);
    EXPECT_EQ(FrameIntervalFromArgument({"60"}), 16);
    EXPECT_EQ(FrameIntervalFromArgument({"100"}), 10);
    EXPECT_EQ(FrameIntervalFromArgument({"1001"}), 0);
    Game game(dir.Path(), {"-5"});
    EXPECT_EQ(game.inside.EngineTimer.Interval(), 0) << "a negative interval is clamped by the timer";
    EXPECT_EQ(game.inside.Vars.GameState, gsIntro);
    EXPECT_TRUE(game.inside.EngineTimer.Enabled());
    ASSERT_NE(game.inside.LogoSprite, nullptr);
    EXPECT_EQ(game.inside.LogoSprite->Columns(), 200);
    EXPECT_EQ(game.inside.LogoSprite->Rows(), 100);
}

TEST_F(FormTest, IntroAndHallOfFameTimeOutByFrameCount) {
    Game game(dir.Path());
    game.Tick(451);  // frames 0..450 of the intro
    EXPECT_EQ(game.inside.Vars.GameState, gsIntro);
    EXPECT_EQ(game.inside.Vars.FrameCounter, 451);
    EXPECT_FALSE(game.host.CursorVisible);
    game.Tick();  // the change happens at the start of this frame, which the intro still draws
    EXPECT_EQ(game.inside.Vars.GameState, gsHallOfFame);
    EXPECT_EQ(game.inside.Vars.FrameCounter, 1) << "the hall of fame's first frame sees 1";
    EXPECT_EQ(game.inside.LogoSprite, nullptr);
    EXPECT_EQ(game.inside.Engine().SpriteCount(), 0);
    game.Tick(650);
    EXPECT_EQ(game.inside.Vars.GameState, gsHallOfFame);
    game.Tick();
    EXPECT_EQ(game.inside.Vars.GameState, gsIntro) << "after 651 frames the intro starts again";
    EXPECT_EQ(game.inside.Vars.FrameCounter, 0);
    EXPECT_NE(game.inside.LogoSprite, nullptr) << "with a new logo";
}

TEST_F(FormTest, AKeyOnTheIntroSkipsTheHallOfFame) {
    Game game(dir.Path());
    game.Tick(10);
    game.Key(VkSpace);
    EXPECT_TRUE(game.inside.Vars.AnyKey);
    game.Tick();
    EXPECT_EQ(game.inside.Vars.GameState, gsHallOfFame);
    game.Tick();
    EXPECT_EQ(game.inside.Vars.GameState, gsLevelChoice);
    EXPECT_EQ(game.inside.Vars.ChosenLevel, 1);
    EXPECT_EQ(game.inside.Vars.ChosenSetting, 0);
    EXPECT_EQ(game.host.WarpX, 50);
    EXPECT_EQ(game.host.WarpY, 50);
    ASSERT_NE(game.inside.SelectionSprite, nullptr);
    EXPECT_EQ(game.inside.SelectionSprite->FrameCount, 3);
    game.Tick();
    EXPECT_EQ(game.inside.Vars.ScrollFirstLine, 1);
    EXPECT_EQ(game.inside.Vars.ScrollOffset, 384);
}

TEST_F(FormTest, EscapeIsNoAnyKey) {
    Game game(dir.Path());
    game.Key(VkEscape);
    EXPECT_FALSE(game.inside.Vars.AnyKey);
    EXPECT_TRUE(game.form.CloseRequested());
}

TEST_F(FormTest, MouseMovesBeforeTheLevelChoiceDoNothing) {
    Game game(dir.Path());
    game.form.DeliverMouseMove(100, 100);
    game.form.MainScreenMouseDown(1, 300, 300);
    EXPECT_TRUE(game.inside.Vars.AnyKey) << "a click on the intro only sets AnyKey";
    EXPECT_FALSE(game.form.CloseRequested());
}

TEST_F(FormTest, LevelChoiceKeys) {
    Game game(dir.Path());
    game.ToLevelChoice();
    game.Key(VkUp);
    EXPECT_EQ(game.inside.Vars.ChosenLevel, 1) << "Up on level 1 changes nothing";
    for (int i = 0; i < 6; ++i) game.Key(VkDown);
    EXPECT_EQ(game.inside.Vars.ChosenLevel, 5) << "Down stops at level 5";
    game.Key(VkUp);
    EXPECT_EQ(game.inside.Vars.ChosenLevel, 4);
    game.Key('P');
    EXPECT_EQ(game.inside.Vars.GameState, gsLevelChoice) << "no pause outside play";
    game.Key(VkEnter);
    EXPECT_TRUE(game.inside.Vars.StartRequested);
    EXPECT_EQ(game.inside.SelectionSprite, nullptr) << "START frees the pointer and the form forgets it";
    game.form.DeliverMouseMove(10, 10);  // must not touch the freed pointer
    game.Key(VkEnter);
    game.Tick();
    EXPECT_EQ(game.inside.Vars.GameState, gsExitPreview);
    EXPECT_FALSE(game.form.MouseMoveHooked());
    ASSERT_NE(game.inside.Play(), nullptr) << "the level set-up makes the play";
    EXPECT_EQ(game.inside.Play()->Vars.BestScore, 10000);
    EXPECT_EQ(game.inside.Play()->Vars.Score, 0);
}

TEST_F(FormTest, APadAloneLeavesTheIntroChoosesTheGameWalksFiresAndPauses) {
    Game game(dir.Path());
    game.Script("1 pad press north\n", 3);
    ASSERT_EQ(game.inside.Vars.GameState, gsLevelChoice) << "any button leaves the intro and the hall of fame";
    // The D-pad and the stick step through the levels; the stick steps once
    // as it leans in, not while it stays there, and not within the dead zone.
    game.Script("1 pad press down\n2 pad stick 0 20000\n3 pad stick 0 30000\n4 pad stick 0 0\n"
                "5 pad stick 0 7000\n6 pad press left\n",
                6);
    EXPECT_EQ(game.inside.Vars.ChosenLevel, 3);
    EXPECT_EQ(game.inside.Vars.ChosenSetting, SettingPyramid) << "left is PYRAMID, listed first";
    game.Script("1 pad press right\n", 1);
    EXPECT_EQ(game.inside.Vars.ChosenSetting, SettingMine);
    game.Script("1 pad press left\n2 pad press up\n3 pad press start\n", 4);
    ASSERT_EQ(game.inside.Vars.GameState, gsExitPreview);
    ASSERT_NE(game.inside.Play(), nullptr);
    EXPECT_EQ(game.inside.Play()->ChosenSetting, SettingPyramid);
    EXPECT_EQ(game.inside.Vars.ChosenLevel, 2);
    // Holding south (fire) skips the exit preview, as a fire key does.
    game.Script("1 pad down south\n3 pad up south\n", 3);
    ASSERT_EQ(game.inside.Vars.GameState, gsPlaying);
    TPlayVariables& v = game.inside.Play()->Vars;
    const int column = v.HeroColumn, row = v.HeroRow;
    const bool wallRight = IsWallCell(v.Maze.At(column + 1, row));
    game.Script(wallRight ? "1 pad down left\n" : "1 pad down right\n", 1);
    for (int tick = 0; tick < 40 && v.HeroColumn == column; ++tick) game.Tick();
    EXPECT_EQ(v.HeroColumn, column + (wallRight ? -1 : 1)) << "the D-pad walks the hero a cell";
    EXPECT_EQ(v.HeroRow, row);
    game.Script(wallRight ? "1 pad up left\n" : "1 pad up right\n", 20);
    const int shots = v.Shots;
    game.Script("1 pad press south\n", 3);
    EXPECT_EQ(v.Shots, shots - 1) << "south fires";
    EXPECT_GT(v.ShotsInFlight, 0);
    game.Script("1 pad press start\n", 2);
    EXPECT_EQ(game.inside.Vars.GameState, gsPaused);
    game.Script("1 pad press start\n", 1);
    EXPECT_EQ(game.inside.Vars.GameState, gsPlaying);
}

TEST_F(FormTest, LevelChoiceClicks) {
    Game game(dir.Path());
    game.ToLevelChoice();
    game.form.MainScreenMouseDown(1, 300, 60);
    EXPECT_EQ(game.inside.Vars.ChosenSetting, 1);
    game.form.MainScreenMouseDown(1, 100, 76);
    EXPECT_EQ(game.inside.Vars.ChosenSetting, 1) << "outside the setting areas";
    game.form.MainScreenMouseDown(1, 300, 76);
    EXPECT_EQ(game.inside.Vars.ChosenSetting, 0) << "y 76 ends with MINE";
    const std::pair<int, int> levels[] = {{126, 1}, {150, 1}, {151, 2}, {200, 3}, {225, 4}, {250, 5}};
    for (auto [y, level] : levels) {
        game.form.MainScreenMouseDown(1, 50, y);
        EXPECT_EQ(game.inside.Vars.ChosenLevel, level) << "y " << y;
    }
    game.form.MainScreenMouseDown(1, 591, 130);
    EXPECT_EQ(game.inside.Vars.ChosenLevel, 5);
    game.form.DeliverMouseMove(123, 234);
    EXPECT_EQ(game.inside.SelectionSprite->X, 123);
    EXPECT_EQ(game.inside.SelectionSprite->Y, 234);
    game.form.MainScreenMouseDown(1, 300, 290);
    EXPECT_TRUE(game.inside.Vars.StartRequested);
    game.form.MainScreenMouseDown(1, 300, 290);  // a second START click finds no pointer
    game.form.MainScreenMouseDown(1, 300, 310);
    EXPECT_TRUE(game.form.CloseRequested()) << "EXIT closes the window";
}

TEST_F(FormTest, PanelButtonsPauseResumeAndExit) {
    Game game(dir.Path());
    game.ToLevelChoice();
    game.Key(VkEnter);
    game.Tick(2);
    game.SkipPreview();
    EXPECT_TRUE(game.host.CursorVisible) << "the pointer is shown in play";
    game.form.MainScreenMouseDown(1, 70, 430);
    EXPECT_EQ(game.inside.Vars.GameState, gsPlaying) << "the resume area does nothing while playing";
    game.form.MainScreenMouseDown(1, 8, 424);
    EXPECT_EQ(game.inside.Vars.GameState, gsPaused);
    EXPECT_TRUE(game.inside.TimerScritteLampeggianti.Enabled());
    game.form.MainScreenMouseDown(1, 60, 441);
    EXPECT_EQ(game.inside.Vars.GameState, gsPaused) << "the pause area does nothing while paused";
    // The caption flashes with the 300 ms timer: 15 ticks of 20 ms.
    const bool blink = game.inside.Vars.Blink;
    game.Tick(15);
    EXPECT_NE(game.inside.Vars.Blink, blink);
    game.form.MainScreenMouseDown(1, 125, 441);
    EXPECT_EQ(game.inside.Vars.GameState, gsPlaying);
    game.Key('P');
    EXPECT_EQ(game.inside.Vars.GameState, gsPaused);
    game.Key('P');
    EXPECT_EQ(game.inside.Vars.GameState, gsPlaying);
    game.form.MainScreenMouseDown(1, 150, 430);
    EXPECT_FALSE(game.form.CloseRequested()) << "EXIT in a game asks first";
    game.form.MainScreenMouseDown(1, 150, 430);
    EXPECT_TRUE(game.form.CloseRequested());
}

TEST_F(FormTest, GameOverWithAPlaceGoesToTheNameEntry) {
    Game game(dir.Path());
    game.ToLevelChoice();
    game.Key(VkDown);
    game.Key(VkEnter);
    game.Tick(2);
    game.SkipPreview();
    game.inside.Play()->Vars.Score = 9500;  // between places 1 and 2
    game.inside.Vars.GameState = gsGameOver;
    game.inside.Vars.FrameCounter = 0;
    game.Tick(500);
    EXPECT_EQ(game.inside.Vars.GameState, gsGameOver);
    game.Tick();
    ASSERT_EQ(game.inside.Vars.GameState, gsNameEntry);
    EXPECT_EQ(game.inside.Vars.NewEntryRank, 2);
    EXPECT_EQ(game.inside.Engine().SpriteCount(), 0) << "every sprite retired";
    EXPECT_EQ(game.inside.Play(), nullptr) << "the play is over";
    EXPECT_EQ(game.inside.Vars.HallOfFame[1].Punti, 9500);
    EXPECT_EQ(game.inside.Vars.HallOfFame[1].Livello, 2);
    EXPECT_EQ(game.inside.Vars.HallOfFame[2].Punti, 9000);
    for (char c : std::string("ABCDEFGHIJKL")) game.Key(c);
    EXPECT_EQ(game.inside.Vars.HallOfFame[1].Nome, "ABCDEFGHIJ") << "ten characters at most";
    game.Key(VkDelete);
    game.Key('P');
    EXPECT_EQ(game.inside.Vars.HallOfFame[1].Nome, "ABCDEFGHIP") << "P types a P here";
    game.Key(VkDelete);
    game.Key('M');
    EXPECT_EQ(game.inside.Vars.HallOfFame[1].Nome, "ABCDEFGHIM") << "M types an M here";
    EXPECT_FALSE(game.inside.SoundDevice.Muted()) << "and leaves the sound on";
    game.Key(VkDelete);
    game.Key('P');
    game.Key(VkBackspace);
    EXPECT_EQ(game.inside.Vars.HallOfFame[1].Nome, "ABCDEFGHI") << "Backspace deletes as Delete does";
    game.Key('P');
    game.Tick();
    game.Key(VkEnter);
    game.Tick();
    EXPECT_EQ(game.inside.Vars.GameState, gsIntro);
    EXPECT_EQ(game.inside.Vars.FrameCounter, 1);
}

TEST_F(FormTest, ANameEnteredByPadReachesTheHallOfFame) {
    Game game(dir.Path());
    game.ToLevelChoice();
    game.Key(VkEnter);
    game.Tick(2);
    game.SkipPreview();
    game.inside.Play()->Vars.Score = 9500;
    game.inside.Vars.GameState = gsGameOver;
    game.inside.Vars.FrameCounter = 0;
    game.Tick(501);
    ASSERT_EQ(game.inside.Vars.GameState, gsNameEntry);
    // Up from A is B; down goes back through A, then the space and 9 (the end
    // of the letters); west deletes; the keyboard still types.
    game.Script("1 pad press up\n2 pad press south\n3 pad press down\n4 pad press south\n5 pad press down\n"
                "6 pad press down\n7 pad press south\n8 pad press south\n9 pad press west\n",
                9);
    EXPECT_EQ(game.inside.Vars.HallOfFame[1].Nome, "BA9");
    game.Key('X');
    game.Script("1 pad press down\n2 pad press south\n3 pad press start\n", 4);
    EXPECT_EQ(game.inside.Vars.GameState, gsIntro);
    EXPECT_EQ(game.inside.Vars.HallOfFame[1].Nome, "BA9X8");
    EXPECT_EQ(ReadHallOfFame(dir.File("Tibo.Ini"))[1].Nome, "BA9X8") << "kept on disk at once";
}

TEST_F(FormTest, GameOverWithoutAPlaceGoesBackToTheIntro) {
    Game game(dir.Path());
    game.ToLevelChoice();
    game.Key(VkEnter);
    game.Tick(2);
    game.SkipPreview();
    game.inside.Play()->Vars.Score = 1000;  // equal to place 10 is not enough
    game.inside.Vars.GameState = gsGameOver;
    game.inside.Vars.FrameCounter = 0;
    game.Tick(501);
    EXPECT_EQ(game.inside.Vars.GameState, gsIntro);
    EXPECT_EQ(game.inside.Vars.NewEntryRank, -1);
    EXPECT_EQ(game.inside.Vars.FrameCounter, 0);
    ASSERT_NE(game.inside.LogoSprite, nullptr);
}

TEST_F(FormTest, EscapeTwiceInPlayStopsPlayAndTheHallOfFameIsWritten) {
    {
        Game game(dir.Path());
        game.ToLevelChoice();
        game.Key(VkEnter);
        game.Tick(2);
        game.SkipPreview();
        game.inside.Vars.HallOfFame[0] = {"Zed", 20000, 3};
        game.Key(VkEscape);
        EXPECT_FALSE(game.form.CloseRequested()) << "the first Escape asks";
        game.Key(VkEscape);
        EXPECT_EQ(game.inside.Engine().SpriteCount(), 0);
        ASSERT_TRUE(game.form.CloseRequested());
        game.form.FormClose();
    }
    EXPECT_EQ(ReadHallOfFame(dir.File("Tibo.Ini"))[0].Nome, "Zed");
}

TEST_F(FormTest, TheChecksumLeavesTheSoundsAndTheBlinkAloneAndSeesTheHero) {
    Game a(dir.Path()), b(dir.Path());
    for (Game* g : {&a, &b}) {
        g->ToLevelChoice();
        g->Key(VkEnter);
        g->Tick(2);
        g->SkipPreview();
        g->form.KeyDownEvent(VkSpace);  // a shot
        g->Tick(2);
        g->form.KeyUpEvent(VkSpace);
    }
    const uint64_t sum = StateChecksum(a.form);
    EXPECT_EQ(sum, StateChecksum(b.form)) << "two games of one seed and one input";
    const auto sounds = a.inside.Suoni.Items.PlayRequests;
    ASSERT_FALSE(sounds.empty()) << "the shot is heard";
    EXPECT_EQ(a.inside.Suoni.Items.PlayRequests, sounds) << "the checksum takes no sounds";
    EXPECT_EQ(DumpState(a.form)["Sounds"], nlohmann::json(sounds)) << "they are left for the dump";
    a.inside.Vars.Blink = !a.inside.Vars.Blink;
    a.inside.TickBusy = true;
    EXPECT_EQ(StateChecksum(a.form), sum) << "what the window's clock decides does not count";
    a.inside.TickBusy = false;
    a.form.KeyDownEvent(39);
    b.form.KeyDownEvent(39);
    a.Tick(4);
    b.Tick(3);
    EXPECT_NE(StateChecksum(a.form), StateChecksum(b.form)) << "one tick more of walking";
    b.Tick();
    EXPECT_EQ(StateChecksum(a.form), StateChecksum(b.form));
}

// Walks the members a list names, with their dump names and the use that
// holds for them: within a listed structure, its own members; of a table of
// listed entries, the last entry's. Computed values are no members to change.
template <class Owner, class Visit>
void ForEachListedMember(Owner& owner, const auto& fields, const std::string& prefix, TFieldUse outer, Visit& visit) {
    std::apply(
        [&](const auto&... field) {
            const auto one = [&](const auto& f) {
                if constexpr (std::is_member_object_pointer_v<std::remove_cvref_t<decltype(f.Get)>>) {
                    auto& value = owner.*f.Get;
                    using Value = std::remove_cvref_t<decltype(value)>;
                    const TFieldUse use = std::max(outer, f.Use);  // Checked, then DumpOnly: the narrower holds
                    const std::string name = prefix + std::string(f.Name);
                    if constexpr (HasFieldList<Value>) ForEachListedMember(value, Value::Fields, name + ".", use, visit);
                    else if constexpr (requires { requires HasFieldList<typename Value::value_type>; })
                        ForEachListedMember(value.back(), Value::value_type::Fields, name + "[last].", use, visit);
                    else visit(name, use, value);
                }
            };
            (one(field), ...);
        },
        fields);
}

void Change(bool& value) { value = !value; }
template <std::integral T>
void Change(T& value) { value = static_cast<T>(value + 1); }
void Change(std::string& value) { value += "x"; }
template <class T, size_t N>
void Change(std::array<T, N>& cells) { Change(cells[1]); }  // a grid's cell (1, 1)

TEST_F(FormTest, EveryListedVariableReachesTheDumpAndTheChecksumUnlessMarked) {
    Game game(dir.Path());
    game.ToLevelChoice();
    game.Key(VkEnter);
    game.Tick(2);
    game.SkipPreview();
    game.Tick(5);
    TMainForm& form = game.form;
    const uint64_t sum = StateChecksum(form);
    const nlohmann::json dump = DumpState(form);
    std::map<std::string, TFieldUse> seen;
    auto check = [&](const std::string& name, TFieldUse use, auto& value) {
        const auto kept = value;
        Change(value);
        const bool inChecksum = StateChecksum(form) != sum, inDump = DumpState(form) != dump;
        value = kept;
        EXPECT_EQ(inChecksum, use == TFieldUse::Checked) << name;
        EXPECT_TRUE(inDump) << name;
        seen[name] = use;
    };
    ForEachListedMember(form, TFormFields::List, "", TFieldUse::Checked, check);
    ForEachListedMember(game.inside.Play()->Vars, TPlayVariables::Fields, "Play.", TFieldUse::Checked, check);
    EXPECT_EQ(StateChecksum(form), sum) << "all put back";
    // The walk reached into every kind of list.
    EXPECT_GT(seen.size(), 70u);
    EXPECT_EQ(seen["Vars.HallOfFame[last].Nome"], TFieldUse::Checked);
    EXPECT_EQ(seen["Play.Maze.MazeGrid"], TFieldUse::Checked);
    EXPECT_EQ(seen["Latches.BombLatch"], TFieldUse::Checked);
    EXPECT_EQ(seen["Vars.PadLetter"], TFieldUse::Checked);
    EXPECT_EQ(seen["Vars.Blink"], TFieldUse::DumpOnly);
    EXPECT_EQ(seen["TickBusy"], TFieldUse::DumpOnly);
}

TEST_F(FormTest, TwoGamesSideBySide) {
    TempDir other;
    Game a(dir.Path()), b(other.Path());
    a.Key('A');
    a.Tick(3);
    b.Tick(3);
    EXPECT_EQ(a.inside.Vars.GameState, gsLevelChoice);
    EXPECT_EQ(b.inside.Vars.GameState, gsIntro);
    EXPECT_EQ(b.inside.Vars.FrameCounter, 3);
}

// A game over with `score`, and `name` typed into the hall of fame.
void EnterHallOfFame(Game& game, int32_t score, const std::string& name) {
    game.ToLevelChoice();
    game.Key(VkEnter);
    game.Tick(2);
    game.SkipPreview();
    game.inside.Play()->Vars.Score = score;
    game.inside.Vars.GameState = gsGameOver;
    game.inside.Vars.FrameCounter = 0;
    game.Tick(501);
    ASSERT_EQ(game.inside.Vars.GameState, gsNameEntry);
    for (char c : name) game.Key(c);
    game.Key(VkEnter);
    game.Tick();
    ASSERT_EQ(game.inside.Vars.GameState, gsIntro);
}

TEST_F(FormTest, TwoGamesOnOneFileKeepEachOthersEntries) {
    // B starts; A starts, ends with a name (kept at once) and closes; B, whose
    // table never saw A's entry, ends with a name of its own and closes.
    Game b(dir.Path());
    {
        Game a(dir.Path());
        EnterHallOfFame(a, 9500, "ANN");
        EXPECT_EQ(ReadHallOfFame(dir.File("Tibo.Ini"))[1], (HallEntry{"ANN", 9500, 1}));
        a.form.FormClose();
    }
    EnterHallOfFame(b, 9700, "BOB");
    EXPECT_EQ(b.inside.Vars.HallOfFame[2], (HallEntry{"Tibo", 9000, 1})) << "B's own table is B's alone";
    b.form.FormClose();
    THallOfFame expected = DefaultHallOfFame();
    InsertHallEntry(expected, 2, 9700, 1);
    InsertHallEntry(expected, 3, 9500, 1);
    expected[1].Nome = "BOB";
    expected[2].Nome = "ANN";
    EXPECT_EQ(ReadHallOfFame(dir.File("Tibo.Ini")), expected) << "each entry once, A's too";

    // A game just like A's in a third game is a result of its own.
    Game c(dir.Path());
    EnterHallOfFame(c, 9500, "ANN");
    c.form.FormClose();
    const THallOfFame hall = ReadHallOfFame(dir.File("Tibo.Ini"));
    EXPECT_EQ(std::count(hall.begin(), hall.end(), HallEntry{"ANN", 9500, 1}), 2);
}

TEST_F(FormTest, F12TakesANameOfItsOwnAndLeavesNothingOnAFullDisk) {
    Game game(dir.Path());
    game.Tick();
    auto pictures = [&] {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.Path()))
            if (entry.path().filename().string().starts_with("tibo-")) names.push_back(entry.path().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    // Dangling links at the first names of this second and the next: F12
    // takes another name and makes nothing where they point.
    const std::time_t now = std::time(nullptr);
    for (std::time_t t : {now, now + 1}) fs::create_symlink(dir.File("planted"), ScreenshotPath(dir.Path(), t, 1));
    game.Key(VkF12);
    game.Key(VkF12);
    EXPECT_FALSE(fs::exists(dir.File("planted"))) << "written through a link";
    std::vector<std::string> shots;
    for (const std::string& p : pictures())
        if (!fs::is_symlink(p)) shots.push_back(p);
    ASSERT_EQ(shots.size(), 2u) << "two pictures of one second, two names";
    for (const std::string& p : shots) EXPECT_EQ(LoadPictureFile(p).Width, 640) << p;

    const std::vector<std::string> before = pictures();
    {
        testing_support::TFileSizeLimit limit(8192);
        ASSERT_TRUE(limit.Active());
        game.Key(VkF12);
    }
    EXPECT_EQ(pictures(), before) << "a full disk leaves no piece of a picture";
}

// ---------------------------------------------------------------- the program

TEST_F(ProgramTest, FramesCloseTheGameAndWriteTheThirtyKeysInOrder) {
    const RunResult r = RunTibo(Headless() + " --frames 3");
    ASSERT_EQ(r.Status, 0) << r.Output;
    std::string expected = "[Record]\n";
    for (int n = 1; n <= 10; ++n)
        expected += "Nome" + std::to_string(n) + "=Tibo\nPunti" + std::to_string(n) + "=" + std::to_string(11000 - 1000 * n) +
                    "\nLivello" + std::to_string(n) + "=1\n";
    EXPECT_EQ(ReadText(dir.File("Tibo.Ini")), expected);
}

TEST_F(ProgramTest, AConfigFolderThatDoesNotExistYetIsMade) {
    const RunResult r = RunTibo("--headless --frames 1 --config-dir " + dir.File("new/folder"));
    ASSERT_EQ(r.Status, 0) << r.Output;
    EXPECT_TRUE(fs::exists(dir.File("new/folder/Tibo.Ini")));
}

TEST_F(ProgramTest, EscapeClosesAtOnceAndWritesTheHallOfFame) {
    Script("# leave at once\n\n2 press Escape\n");
    const RunResult r = RunTibo(Headless() + " --input " + dir.File("input.txt") + " --frames 100 --dump-state 1:" + dir.File("s1.json") +
                                " --dump-state 2:" + dir.File("s2.json"));
    ASSERT_EQ(r.Status, 0) << r.Output;
    EXPECT_TRUE(fs::exists(dir.File("s1.json")));
    EXPECT_FALSE(fs::exists(dir.File("s2.json"))) << "tick 2 never ran";
    EXPECT_TRUE(fs::exists(dir.File("Tibo.Ini")));
}

TEST_F(ProgramTest, StateDumpCarriesTheGameVariables) {
    std::ofstream(dir.File("Tibo.Ini")) << "[record]\r\nnome1 = Ada\r\npunti1=0x10\r\nLIVELLO1=300\r\n";
    Script("5 press A\n7 press Down\n7 press Down\n8 click 300 60\n");
    const RunResult r = RunTibo(Headless() + " --input " + dir.File("input.txt") + " --frames 9 --dump-state 1:" + dir.File("a.json") +
                                " --dump-state 9:" + dir.File("b.json"));
    ASSERT_EQ(r.Status, 0) << r.Output;
    const nlohmann::json a = State("a.json"), b = State("b.json");
    EXPECT_EQ(a["GameState"], 0);
    EXPECT_EQ(a["FrameCounter"], 1);
    EXPECT_EQ(a["HallOfFame"][0]["Nome"], "Ada");
    EXPECT_EQ(a["HallOfFame"][0]["Punti"], 16);
    EXPECT_EQ(a["HallOfFame"][0]["Livello"], 44);
    ASSERT_EQ(a["Sprites"].size(), 1u);
    EXPECT_EQ(a["Sprites"][0]["Class"], "TBackgroundSprite");
    EXPECT_EQ(a["Sprites"][0]["X"], 1.0) << "the logo drifted one pixel";
    for (const char* key : {"AnyKey", "NameDone", "StartRequested", "NewEntryRank", "PadLetter", "PadNaming", "ChosenLevel", "ChosenSetting", "Blink", "Score", "BestScore", "Sounds"})
        EXPECT_TRUE(a.contains(key)) << key;
    EXPECT_EQ(b["GameState"], 3);
    EXPECT_EQ(b["ChosenLevel"], 3);
    EXPECT_EQ(b["ChosenSetting"], 1);
    EXPECT_EQ(b["Sprites"][0]["Class"], "TImageSprite");
    EXPECT_EQ(b["Sprites"][0]["Image"], "Selezione");
}

TEST_F(ProgramTest, ScreenshotIsThePictureShown) {
    const RunResult r = RunTibo(Headless() + " --frames 2 --screenshot 1:" + dir.File("intro.png") + " --screenshot 2:" + dir.File("b.png"));
    ASSERT_EQ(r.Status, 0) << r.Output;
    const TBitmap shot = LoadPictureFile(dir.File("intro.png"));
    EXPECT_EQ(shot.Width, 640);
    EXPECT_EQ(shot.Height, 480);
    bool anyLit = false;
    for (TColor c : shot.Pixels) anyLit |= c != 0;
    EXPECT_TRUE(anyLit) << "the intro shows its logo";
    EXPECT_NE(shot.Pixels, LoadPictureFile(dir.File("b.png")).Pixels) << "the logo moves from frame to frame";
}

TEST_F(ProgramTest, MAndF12WorkFromScriptsAndLeaveTheScreenAsItIs) {
    // Two screenshots in one second get names of their own.
    Script("2 press M\n3 press F12\n3 press F12\n4 press M\n5 press M\n");
    const RunResult r = RunTibo(Headless() + " --input " + dir.File("input.txt") + " --frames 5 --screenshot 2:" + dir.File("two.png") +
                                " --dump-state 3:" + dir.File("a.json") + " --dump-state 4:" + dir.File("b.json") +
                                " --dump-state 5:" + dir.File("c.json"));
    ASSERT_EQ(r.Status, 0) << r.Output;
    EXPECT_EQ(State("a.json")["Muted"], true);
    EXPECT_EQ(State("b.json")["Muted"], false);
    EXPECT_EQ(State("c.json")["Muted"], true);
    EXPECT_EQ(State("c.json")["GameState"], gsIntro) << "M and F12 are no keys that leave the intro";
    std::vector<std::string> shots;
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("tibo-")) shots.push_back(entry.path().string());
    }
    ASSERT_EQ(shots.size(), 2u) << r.Output;
    const TBitmap shown = LoadPictureFile(dir.File("two.png"));
    for (const std::string& shot : shots) {
        EXPECT_TRUE(std::regex_match(fs::path(shot).filename().string(), std::regex(R"(tibo-\d{8}-\d{6}-[12]\.png)"))) << shot;
        EXPECT_NE(r.Output.find("screenshot saved to " + shot + "\n"), std::string::npos) << r.Output;
        EXPECT_EQ(LoadPictureFile(shot).Pixels, shown.Pixels) << "the picture on the screen when F12 went down";
    }
    const std::time_t noon = 1700000000;
    const std::string first = ScreenshotPath(dir.Path(), noon, 1);
    ASSERT_TRUE(first.ends_with("-1.png")) << first;
    EXPECT_EQ(ScreenshotPath(dir.Path(), noon, 2), first.substr(0, first.size() - 6) + "-2.png");
}

TEST_F(ProgramTest, F1FromAScriptShowsTheHelpPageAndTheDumpSaysSo) {
    Script("3 press F1\n8 press Space\n");
    const RunResult r = RunTibo(Headless() + " --input " + dir.File("input.txt") + " --frames 10 --dump-state 2:" + dir.File("a.json") +
                                " --dump-state 7:" + dir.File("b.json") + " --dump-state 10:" + dir.File("c.json"));
    ASSERT_EQ(r.Status, 0) << r.Output;
    const nlohmann::json a = State("a.json"), b = State("b.json"), c = State("c.json");
    EXPECT_EQ(a["HelpShown"], false);
    EXPECT_EQ(b["HelpShown"], true);
    EXPECT_EQ(b["GameStateName"], "gsIntro");
    EXPECT_EQ(b["FrameCounter"], a["FrameCounter"]) << "the intro waits behind the page";
    EXPECT_EQ(c["HelpShown"], false);
    EXPECT_EQ(c["HelpClosingKey"], 0) << "let go at once";
    EXPECT_EQ(c["AnyKey"], false) << "the key that closed the page does nothing more";
    EXPECT_EQ(c["FrameCounter"], a["FrameCounter"].get<int>() + 3);
}

TEST_F(ProgramTest, SameSeedAndInputGiveTheSameRun) {
    Script("3 press Space\n5 press Enter\n7 down Space\n9 up Space\n");
    const std::string args = Headless() + " --input " + dir.File("input.txt") + " --frames 12";
    ASSERT_EQ(RunTibo(args + " --dump-state 12:" + dir.File("x.json")).Status, 0);
    ASSERT_EQ(RunTibo(args + " --dump-state 12:" + dir.File("y.json")).Status, 0);
    EXPECT_EQ(State("x.json"), State("y.json"));
    EXPECT_EQ(State("x.json")["GameState"], 5);
}

TEST_F(ProgramTest, BadCommandLinesAndScriptsExitWithTwo) {
    RunResult r = RunTibo("--bogus");
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Output.find("--bogus"), std::string::npos) << r.Output;
    r = RunTibo("--headless --frames x");
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Output.find("--frames"), std::string::npos) << r.Output;
    r = RunTibo("--headless --screenshot nothing.png");
    EXPECT_EQ(r.Status, 2);
    Script("1 press A\n\n# fine so far\n4 jump A\n");
    r = RunTibo(Headless() + " --input " + dir.File("input.txt"));
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Output.find(":4:"), std::string::npos) << "the message gives the line number: " << r.Output;
    Script("1 press NoSuchKey\n");
    EXPECT_EQ(RunTibo(Headless() + " --input " + dir.File("input.txt")).Status, 2);
}

TEST_F(ProgramTest, AnUnwritableHallOfFameIsAnErrorAndTheOldFileStays) {
    fs::create_directory(dir.File("Tibo.Ini"));  // a folder where the file should be
    const RunResult r = RunTibo(Headless() + " --frames 1");
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Output.find("Tibo.Ini"), std::string::npos) << r.Output;
}

TEST_F(ProgramTest, HelpAndVersion) {
    RunResult r = RunTibo("--version");
    EXPECT_EQ(r.Status, 0);
    EXPECT_NE(r.Output.find("Tibo v4.0"), std::string::npos);
    r = RunTibo("--help");
    EXPECT_EQ(r.Status, 0);
    for (const char* word : {"--headless", "--seed", "--input", "--frames", "--screenshot", "--dump-state", "--config-dir", "--windowed", "Escape",
                             "\n  M ", "F12", "\n  F1 ", "help page", "Backspace", "Left and Right", "pad stick", "Gamepad",
                             "FILE.partial", "cut short", "130 for Ctrl+C"})
        EXPECT_NE(r.Output.find(word), std::string::npos) << word;
}

TEST(InputScriptTest, ParsesEventsInTickOrder) {
    const auto events = ParseInputScript("3 up Left\n# c\n1 down 65\n 2 click 10 20\n2 move -3 4\n1 press KP5\r\n", "s");
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].Tick, 1);
    EXPECT_EQ(events[0].Key, 65);
    EXPECT_EQ(events[1].Key, 101);
    EXPECT_EQ(events[2].What, TScriptEvent::Action::Click);
    EXPECT_EQ(events[3].X, -3);
    EXPECT_EQ(events[4].Key, 37);
    EXPECT_THROW(ParseInputScript("0 press A\n", "s"), EUsageError);
    EXPECT_THROW(ParseInputScript("1 click 4\n", "s"), EUsageError);
    EXPECT_THROW(ParseInputScript("x press A\n", "s"), EUsageError);
    // Pad events read back as they are written in a replay.
    const std::string pad = "4 pad down South\n5 pad up east\n6 pad press START\n7 pad stick -32768 32767\n";
    const auto padEvents = ParseInputScript(pad, "s");
    ASSERT_EQ(padEvents.size(), 4u);
    EXPECT_EQ(padEvents[0].What, TScriptEvent::Action::PadDown);
    EXPECT_EQ(padEvents[2].Key, static_cast<int>(TPadButton::Start));
    std::string written;
    for (const TScriptEvent& e : padEvents) written += ScriptEventLine(e) + "\n";
    EXPECT_EQ(written, "4 pad down south\n5 pad up east\n6 pad press start\n7 pad stick -32768 32767\n");
    for (const char* bad : {"1 pad press\n", "1 pad press A\n", "1 pad hold south\n", "1 pad stick 0\n", "1 pad stick 0 40000\n"})
        EXPECT_THROW(ParseInputScript(bad, "s"), EUsageError) << bad;
}

TEST_F(ProgramTest, TyposAndBadFilesOnTheCommandLineExitWithTwo) {
    const std::string quick = Headless() + " --frames 1";
    RunResult r = RunTibo("--headless --frames 2 -frames 100");
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Output.find("'-frames'"), std::string::npos) << r.Output;
    EXPECT_EQ(RunTibo("-x").Status, 2);
    // A negative number is still the frame rate; a second plain argument is
    // ignored with a warning.
    r = RunTibo(quick + " -5");
    EXPECT_EQ(r.Status, 0) << r.Output;
    EXPECT_EQ(r.Output.find("warning"), std::string::npos) << r.Output;
    r = RunTibo(quick + " 30 100");
    EXPECT_EQ(r.Status, 0) << r.Output;
    EXPECT_NE(r.Output.find("warning: the argument '100' is ignored"), std::string::npos) << r.Output;
    // Pictures and dumps after the last tick would never be made.
    fs::remove(dir.File("Tibo.Ini"));
    r = RunTibo(Headless() + " --frames 3 --screenshot 5:" + dir.File("late.png"));
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Output.find("--frames 3"), std::string::npos) << r.Output;
    EXPECT_EQ(RunTibo(Headless() + " --frames 3 --dump-state 4:" + dir.File("late.json")).Status, 2);
    EXPECT_FALSE(fs::exists(dir.File("Tibo.Ini"))) << "refused before the game started";
    // --input: missing, a folder, a FIFO.
    r = RunTibo(quick + " --input " + dir.File("missing.txt"));
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Output.find("missing.txt"), std::string::npos) << r.Output;
    r = RunTibo(quick + " --input " + dir.Path());
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Output.find("it is a folder"), std::string::npos) << r.Output;
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    r = RunTibo(quick + " --input " + dir.File("fifo"));
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Output.find("not a regular file"), std::string::npos) << r.Output;
    // A FIFO in place of the hall of fame stops the start, naming it.
    fs::rename(dir.File("fifo"), dir.File("Tibo.Ini"));
    r = RunTibo(quick);
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Output.find(dir.File("Tibo.Ini")), std::string::npos) << r.Output;
    EXPECT_TRUE(fs::is_fifo(dir.File("Tibo.Ini")));
}

TEST_F(ProgramTest, TheHallOfFameIsSavedOnEveryWayOut) {
    // An error of the session ends the run with 1, but the game is closed first.
    RunResult r = RunTibo(Headless() + " --frames 5 --screenshot 2:/nonexistent/x.png");
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Output.find("/nonexistent/x.png"), std::string::npos) << r.Output;
    EXPECT_TRUE(fs::exists(dir.File("Tibo.Ini"))) << r.Output;

    // A closed terminal (SIGHUP), an interrupt and a termination close it too.
    for (int signal : {SIGHUP, SIGINT, SIGTERM}) {
        const std::string config = dir.File("signal" + std::to_string(signal));
        const std::string started = config + "/started.json";
        const std::string binary = std::getenv("TIBO_BINARY");
        std::vector<std::string> args = {binary, "--headless", "--config-dir", config, "--dump-state", "1:" + started};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t pid = 0;
        ASSERT_EQ(::posix_spawn(&pid, binary.c_str(), nullptr, nullptr, argv.data(), environ), 0);
        // Runs without end until the signal; the dump says it is under way.
        for (int i = 0; i < 600 && !fs::exists(started); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_TRUE(fs::exists(started));
        ::kill(pid, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "signal " << signal << ", status " << status;
        EXPECT_TRUE(fs::exists(config + "/Tibo.Ini")) << "signal " << signal;
    }
}

TEST_F(ProgramTest, DumpsAndReportsTellTheTruth) {
    // A name that is not valid UTF-8 is dumped with U+FFFD in place of its bad
    // bytes, and kept as it is in the file.
    std::ofstream(dir.File("Tibo.Ini")) << "[Record]\nNome1=\xFF\xFE" "Ada\n";
    const auto before = std::chrono::steady_clock::now();
    RunResult r = RunTibo(Headless() + " --frames 3 --dump-state 1:" + dir.File("a.json") + " --timing-report " + dir.File("t.json"));
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - before).count();
    ASSERT_EQ(r.Status, 0) << r.Output;
    EXPECT_EQ(State("a.json")["HallOfFame"][0]["Nome"], "\xEF\xBF\xBD\xEF\xBF\xBD" "Ada");
    EXPECT_NE(ReadText(dir.File("Tibo.Ini")).find("Nome1=\xFF\xFE" "Ada\n"), std::string::npos);
    // The headless report counts from the first tick, within the run.
    const nlohmann::json report = State("t.json");
    EXPECT_EQ(report["ticks"], 3);
    EXPECT_GE(report["wall_seconds"].get<double>(), 0.0);
    EXPECT_LE(report["wall_seconds"].get<double>(), elapsed);
    EXPECT_GE(report["cpu_seconds"].get<double>(), 0.0);
}

TEST_F(ProgramTest, AnUnusableDataFolderFallsBackToTheHomeFolderNeverTheCurrentOne) {
    std::ofstream(dir.File("not-a-folder")) << "x";
    fs::create_directory(dir.File("cwd"));
    const RunResult r = RunTibo("--headless --frames 1",
                                "cd " + dir.File("cwd") + " && XDG_DATA_HOME=" + dir.File("not-a-folder") + " HOME=" + dir.File("home"));
    ASSERT_EQ(r.Status, 0) << r.Output;
    EXPECT_FALSE(fs::exists(dir.File("cwd/Tibo.Ini")));
    EXPECT_TRUE(fs::exists(dir.File("home/.local/share/tibo/Tibo.Ini")));
}

// ---------------------------------------------------------------- the session's step

// A browser's frame callback steps the session once per frame of the display:
// at sixty frames a second the game still runs fifty ticks a second, and
// goes the same way as headless, where the loop steps back to back.
TEST(SessionTest, StepsOncePerDisplayFrameRunFiftyTicksASecondAndPlayTheSameGame) {
    TempDir dir;
    const assets::AssetStore store;
    TProgramOptions options;
    options.Headless = true;
    options.ConfigDir = dir.Path();
    options.Seed = 3;
    options.Frames = 120;
    std::ofstream(dir.File("script")) << "30 press A\n60 press Down\n61 press Right\n90 press Enter\n";
    options.InputFile = dir.File("script");
    // A page's session hands its dumps and timing report over instead of
    // writing them, each whole once.
    options.Dumps.emplace(120, dir.File("frames.json"));
    options.TimingReport = dir.File("timing.json");
    struct TKept final : IRunOutput {
        std::vector<std::pair<int64_t, nlohmann::json>> Dumps;
        std::vector<nlohmann::json> Reports;
        void StateDump(int64_t tick, const std::string&, const nlohmann::json& state) override { Dumps.emplace_back(tick, state); }
        void TimingReport(const std::string&, const nlohmann::json& report) override { Reports.push_back(report); }
    } kept;
    TManualClock clock;
    TSessionSetup setup;
    setup.Pace = TPace::Frames;
    setup.Clock = &clock;
    setup.Output = &kept;
    {
        TSession session(options, store, setup);
        int frame = 0;
        for (TStep step = session.Step(); !step.Closed; step = session.Step()) {
            ASSERT_TRUE(step.DueMs.has_value());
            EXPECT_LE(*step.DueMs, clock.Now + 20) << "frame " << frame;
            clock.Now = ++frame * 1000 / 60;
            if (frame == 60) {
                EXPECT_EQ(session.Ticks(), 49) << "before the step of the second's last frame";
            }
            ASSERT_LT(frame, 1000);
        }
        EXPECT_EQ(frame, 144) << "120 ticks at 20 ms: 2.4 s";
        EXPECT_EQ(session.Ticks(), 120);
        session.Finish();
    }
    EXPECT_FALSE(fs::exists(dir.File("frames.json")) || fs::exists(dir.File("timing.json")));
    ASSERT_EQ(kept.Dumps.size(), 1u);
    EXPECT_EQ(kept.Dumps[0].first, 120);
    ASSERT_EQ(kept.Reports.size(), 1u);
    EXPECT_EQ(kept.Reports[0]["ticks"], 120);
    EXPECT_GT(kept.Reports[0]["tick_ms_mean"].get<double>(), 0.0);
    EXPECT_LT(kept.Reports[0]["tick_ms_mean"].get<double>(), 1000 * kept.Reports[0]["wall_seconds"].get<double>() / 120 + 1e-9)
        << "a tick's own work is within its share of the run";
    options.Dumps = {{120, dir.File("headless.json")}};
    TSession headless(options, store, TSessionSetup{});
    while (!headless.Step().Closed) {
    }
    headless.Finish();
    EXPECT_EQ(nlohmann::json::parse(ReadText(dir.File("timing.json")))["ticks"], 120) << "the desktop's files";
    const nlohmann::json& paced = kept.Dumps[0].second;
    EXPECT_EQ(paced["GameState"], gsExitPreview) << "the script's Enter started the game";
    EXPECT_EQ(paced["ChosenLevel"], 2);
    EXPECT_EQ(paced, nlohmann::json::parse(ReadText(dir.File("headless.json"))));
}

// ---------------------------------------------------------------- replays

std::string ReplaceLine(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find("\n" + from + "\n");
    if (at == std::string::npos) return "";
    return text.replace(at + 1, from.size(), to);
}

TEST_F(ProgramTest, ACommittedVictoryPlaysBackAndAnyChangeIsCaught) {
    const std::string replay = ReadText(TIBO_TEST_DATA "/victory.replay");
    ASSERT_NE(replay.find("\n# end "), std::string::npos) << "tests/data/victory.replay";
    auto play = [&](const std::string& text) {
        std::ofstream(dir.File("game.replay"), std::ios::binary) << text;
        return RunTibo("--headless --config-dir " + dir.Path() + " --replay " + dir.File("game.replay") + " --dump-state 1679:" +
                       dir.File("end.json"));
    };
    RunResult r = play(replay);
    ASSERT_EQ(r.Status, 0) << r.Output << "\n(re-record it with tests/data/record-all.sh if the game changed on purpose)";
    EXPECT_NE(State("end.json")["HallOfFame"].dump().find(R"("Nome":"TIBO")"), std::string::npos) << "the victory's name is in the hall of fame";
    EXPECT_FALSE(fs::exists(dir.File("Tibo.Ini"))) << "in the game's memory only";

    // The first step a tick late: the hero is one tick behind at the first check.
    const std::string late = ReplaceLine(replay, "21 press Right", "22 press Right");
    ASSERT_FALSE(late.empty());
    r = play(late);
    EXPECT_EQ(r.Status, 3) << r.Output;
    EXPECT_NE(r.Output.find("replay differs at tick 50\n"), std::string::npos) << r.Output;
    // One digit of a late checksum, and of the one at the end.
    for (const std::string line : {"# check 1000 ", "# end 1679 "}) {
        const size_t at = replay.find(line);
        ASSERT_NE(at, std::string::npos) << line;
        std::string altered = replay;
        char& digit = altered[at + line.size() + 15];
        digit = digit == '0' ? '1' : '0';
        r = play(altered);
        EXPECT_EQ(r.Status, 3) << r.Output;
        const std::string said = line[2] == 'c' ? "replay differs at tick 1000\n" : "replay differs at its end, after tick 1679";
        EXPECT_NE(r.Output.find(said), std::string::npos) << r.Output;
    }
    // A game that closes before its checks: Escape twice for the second step.
    r = play(ReplaceLine(replay, "29 press Right", "29 press Escape\n30 press Escape"));
    EXPECT_EQ(r.Status, 3) << r.Output;
    EXPECT_NE(r.Output.find("replay differs at tick 50: the game closed after tick 29"), std::string::npos) << r.Output;
}

TEST_F(ProgramTest, ARecordingWithoutASeedReplaysItsOwnHallOfFameAndIsAScript) {
    // A hall of fame of the recording that the replay's folder does not have.
    std::ofstream(dir.File("Tibo.Ini")) << "[Record]\nNome1=Ada\nPunti1=16\nLivello1=2\n";
    Script("5 press A\n7 click 300 60\n10 press Enter\n13 down Space\n15 up Space\n20 down Right\n61 up Right\n62 press kp8\n");
    RunResult r = RunTibo("--headless --config-dir " + dir.Path() + " 40 --input " + dir.File("input.txt") + " --frames 133 --record " +
                          dir.File("r.replay") + " --dump-state 133:" + dir.File("recorded.json"));
    ASSERT_EQ(r.Status, 0) << r.Output;
    const std::string text = ReadText(dir.File("r.replay"));
    const TReplay recorded = ParseReplay(text, "r.replay");
    EXPECT_EQ(recorded.Rate, "40");
    ASSERT_TRUE(recorded.Hall);
    EXPECT_EQ((*recorded.Hall)[0].Nome, "Ada");
    EXPECT_EQ(recorded.Events.size(), 8u);
    EXPECT_NE(text.find("\n62 press KP8\n"), std::string::npos) << text;
    std::vector<int64_t> checks;
    for (const auto& [tick, sum] : recorded.Checks) checks.push_back(tick);
    EXPECT_EQ(checks, (std::vector<int64_t>{50, 100})) << "every 50 ticks";
    EXPECT_EQ(recorded.End, 133);
    EXPECT_TRUE(recorded.EndSum) << "and the state the game closed in";

    TempDir other;
    r = RunTibo("--headless --config-dir " + other.Path() + " --replay " + dir.File("r.replay") + " --dump-state 1:" + other.File("first.json"));
    EXPECT_EQ(r.Status, 0) << r.Output;
    EXPECT_EQ(nlohmann::json::parse(ReadText(other.File("first.json")))["HallOfFame"][0]["Nome"], "Ada");
    EXPECT_FALSE(fs::exists(other.File("Tibo.Ini"))) << "a playback keeps no hall of fame";
    // As a script with its seed it is the same game.
    r = RunTibo("--headless --config-dir " + dir.Path() + " 40 --seed " + std::to_string(recorded.Seed) + " --input " + dir.File("r.replay") +
                " --frames 133 --dump-state 133:" + dir.File("script.json"));
    ASSERT_EQ(r.Status, 0) << r.Output;
    nlohmann::json a = State("recorded.json"), b = State("script.json");
    EXPECT_EQ(a, b);
}

// Every file under `root`: its content, or where a link points.
std::map<std::string, std::string> FilesUnder(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string path = entry.path().string();
        if (entry.is_symlink()) files[path] = "-> " + fs::read_symlink(entry.path()).string();
        else if (entry.is_regular_file()) files[path] = ReadText(path);
        else files[path] = "folder";
    }
    return files;
}

TEST_F(ProgramTest, APlaybackWritesNothingThePlayerKeepsWhateverItsEnd) {
    // A recording with a screenshot taken and a game played.
    TempDir recording;
    std::ofstream(recording.File("input.txt")) << "3 press F12\n5 press A\n8 press Enter\n10 press F12\n";
    RunResult r = RunTibo("--headless --seed 5 --config-dir " + recording.Path() + " --input " + recording.File("input.txt") +
                          " --frames 120 --record " + recording.File("r.replay"));
    ASSERT_EQ(r.Status, 0) << r.Output;
    const std::string replay = ReadText(recording.File("r.replay"));
    const size_t check = replay.find("# check 100 ");
    ASSERT_NE(check, std::string::npos) << replay;
    std::string differs = replay;
    differs[check + 12] = differs[check + 12] == '0' ? '1' : '0';
    std::ofstream(dir.File("differs.replay")) << differs;

    // The player's own folder, found as the game finds it, with a table and
    // what a save cut short left beside it.
    const std::string folder = dir.File("data/tibo");
    fs::create_directories(folder);
    std::ofstream(folder + "/Tibo.Ini") << "[Record]\nNome1=Mine\nPunti1=50000\n";
    WriteHallOfFame(folder + "/Tibo.Ini.new-999999999-1", DefaultHallOfFame());
    const auto before = FilesUnder(dir.File("data"));
    const std::string env = "XDG_DATA_HOME=" + dir.File("data") + " HOME=" + dir.File("home");
    auto expectUntouched = [&](const std::string& how) {
        EXPECT_EQ(FilesUnder(dir.File("data")), before) << how;
        EXPECT_FALSE(fs::exists(dir.File("home"))) << how;
    };

    r = RunTibo("--headless --replay " + recording.File("r.replay"), env);
    EXPECT_EQ(r.Status, 0) << r.Output;
    expectUntouched("a replay that plays back as recorded");
    r = RunTibo("--headless --replay " + dir.File("differs.replay"), env);
    EXPECT_EQ(r.Status, 3) << r.Output;
    expectUntouched("a replay that differs");

    // Interrupted part-way (the committed victory takes a while).
    const std::string started = dir.File("started.json");
    const std::string binary = std::getenv("TIBO_BINARY");
    std::vector<std::string> args = {binary, "--headless", "--replay", TIBO_TEST_DATA "/victory.replay", "--dump-state", "1:" + started};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e)
        if (!std::string_view(*e).starts_with("XDG_DATA_HOME=") && !std::string_view(*e).starts_with("HOME=")) envText.push_back(*e);
    envText.push_back("XDG_DATA_HOME=" + dir.File("data"));
    envText.push_back("HOME=" + dir.File("home"));
    std::vector<char*> envp;
    for (std::string& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, binary.c_str(), nullptr, nullptr, argv.data(), envp.data()), 0);
    for (int i = 0; i < 600 && !fs::exists(started); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ::kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    expectUntouched("an interrupted replay");
}

TEST_F(ProgramTest, AReaderOfTheOutputThatGoesAwayEndsNothing) {
    // `tibo ... | true`: the screenshots' messages go to a pipe no one reads.
    Script("2 press F12\n4 press F12\n6 press F12\n");
    const std::string command = "bash -c '\"$TIBO_BINARY\" " + Headless() + " --input " + dir.File("input.txt") +
                                " --frames 8 | true; exit ${PIPESTATUS[0]}' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) output.append(buf, n);
    const int status = ::pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status << ": " << output;
    EXPECT_TRUE(fs::exists(dir.File("Tibo.Ini"))) << "the game closed as usual";
}

TEST_F(ProgramTest, BadReplaysAndReplaysWithTheirOwnInputOnTheCommandLineExitWithTwo) {
    auto run = [&](const std::string& text, const std::string& more = "") {
        std::ofstream(dir.File("bad.replay")) << text;
        return RunTibo("--headless --config-dir " + dir.Path() + " --replay " + dir.File("bad.replay") + more);
    };
    Script("5 press A\n");
    ASSERT_EQ(RunTibo(Headless() + " --input " + dir.File("input.txt") + " --frames 10 --record " + dir.File("good.replay")).Status, 0);
    const std::string good = ReadText(dir.File("good.replay"));
    ASSERT_EQ(run(good).Status, 0) << run(good).Output;
    struct Case { std::string text, where; };
    const Case cases[] = {
        {"5 press A\n", ":1:"},
        {"# tibo-replay 2\n", ":1:"},
        {"# tibo-replay 1\n# seed -3\n", ":2:"},
        {"# tibo-replay 1\n# seed 3\n# seed 4\n", ":3:"},
        {"# tibo-replay 1\n# seed 3\n\n# check 50 XYZ\n", ":4:"},
        {"# tibo-replay 1\n# seed 3\n# check 0 1F\n", ":3:"},
        {"# tibo-replay 1\n# seed 3\n# hall 2 5 1 \"A\"\n", ":3:"},
        {"# tibo-replay 1\n# seed 3\n# hall 1 5 1 \"A\"\n", "hall of fame"},
        {"# tibo-replay 1\n# seed 3\n5 jump A\n", ":3:"},
        {"# tibo-replay 1\n# end 3\n", "seed"},
        {"", "empty"},
    };
    for (const Case& c : cases) {
        const RunResult r = run(c.text);
        EXPECT_EQ(r.Status, 2) << c.text << r.Output;
        EXPECT_NE(r.Output.find(c.where), std::string::npos) << c.text << r.Output;
    }
    Script("1 press A\n");
    for (const std::string& more : {std::string(" --seed 3"), " --input " + dir.File("input.txt"), " --record " + dir.File("again.replay"), std::string(" 40")}) {
        const RunResult r = run(good, more);
        EXPECT_EQ(r.Status, 2) << more << r.Output;
        EXPECT_NE(r.Output.find("--replay and"), std::string::npos) << r.Output;
    }
    EXPECT_EQ(RunTibo("--headless --config-dir " + dir.Path() + " --replay " + dir.File("none.replay")).Status, 2);
}

TEST(InputScriptTest, AnyKeyCaseAByteOrderMarkAndBadLinesShownSafely) {
    const auto events = ParseInputScript("\xEF\xBB\xBF" "1 press enter\n2 down kp4\n3 up PAGEUP\n", "s");
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].Key, VkEnter);
    EXPECT_EQ(events[1].Key, 100);
    EXPECT_EQ(events[2].Key, 33);
    auto message = [](const std::string& text) {
        try {
            ParseInputScript(text, "s");
        } catch (const EUsageError& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    // An unknown key lists the names there are.
    const std::string unknown = message("1 press Entr\n");
    for (const char* name : {"Entr", "Enter", "Space", "Escape", "F1", "KP0"})
        EXPECT_NE(unknown.find(name), std::string::npos) << name << " in " << unknown;
    // Binary is shown as \xNN and a long line is cut.
    const std::string binary = message("1 jump \x01\xFF" + std::string(500, 'z') + "\n");
    EXPECT_NE(binary.find("\\x01\\xFF"), std::string::npos) << binary;
    EXPECT_EQ(binary.find('\x01'), std::string::npos);
    EXPECT_EQ(binary.find('\xFF'), std::string::npos);
    EXPECT_LT(binary.size(), 200u) << binary;
    EXPECT_NE(binary.find("..."), std::string::npos) << binary;
}

}  // namespace
}  // namespace tibo

namespace tibo {
namespace {

// Found by the replay fuzzer: a replay without an end line was written back
// with "# end 0", which no reader takes.
TEST(ReplayFileTest, WhatIsReadWritesOutAndReadsBackTheSame) {
    for (const char* text : {"# tibo-replay 1\n# seed 7\n5 press 60\n", "# tibo-replay 1\n# seed 7\n# check 50 00000000000000AB\n# end 60 0000000000000CD\n"}) {
        const TReplay replay = ParseReplay(text, "r.replay");
        const std::string written = ReplayText(replay);
        TReplay again;
        ASSERT_NO_THROW(again = ParseReplay(written, "again.replay")) << written;
        EXPECT_EQ(ReplayText(again), written);
        EXPECT_EQ(again.LastTick(), replay.LastTick());
    }
}

}  // namespace
}  // namespace tibo
