// Walking Tibo out of whole labyrinths: the path from the hero to the exit is
// found in the dumped MazeGrid and walked with a script of arrow keys, through
// the form as the headless program drives it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <queue>
#include <sstream>
#include <string>
#include <vector>

#include "app/Session.h"
#include "assets/AssetStore.h"
#include "shell/Main.h"
#include "shell/StateDump.h"
#include "tests/support/FormInsides.h"
#include "tests/support/PlayRig.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/TempDir.h"

namespace tibo {
namespace {

using testing_support::ReadText;

// A game of the program run tick by tick, with its scripted events delivered
// before the tick they name, as the headless session does.
class ScriptedGame {
public:
    explicit ScriptedGame(uint64_t seed) : form(Options(seed, ConfigDir.Path()), testing_support::BuiltInAssets(), clock, nullptr, nullptr, host) {
        form.FormCreate();
        form.Show();
    }
    ScriptedGame(const ScriptedGame&) = delete;
    ScriptedGame& operator=(const ScriptedGame&) = delete;

    // Runs the script's events up to and including tick `last`.
    void Run(const std::string& script, int64_t last) {
        const std::vector<TScriptEvent> events = ParseInputScript(script, "walk");
        size_t next = 0;
        std::vector<int> releases;
        while (Tick < last) {
            ++Tick;
            for (int key : releases) form.KeyUpEvent(key);
            releases.clear();
            for (; next < events.size() && events[next].Tick <= Tick; ++next) {
                DeliverScriptEvent(form, events[next]);
                if (events[next].What == TScriptEvent::Action::Press) releases.push_back(events[next].Key);
            }
            clock.Now += 20;
            ASSERT_TRUE(form.RunDue()) << "the frame timer keeps still";
            if (inside.Vars.GameState == gsLevelWon) Won = true;
        }
    }
    static TFormOptions Options(uint64_t seed, const std::string& configDir) {
        TFormOptions o;
        o.ConfigDir = configDir;
        o.Seed = seed;
        return o;
    }

    const testing_support::TempDir ConfigDir{"tibo-walk"};  // made before the form, gone after it
    TManualClock clock;
    TNullFormHost host;
    TMainForm form;
    TFormInsides inside{form};
    int64_t Tick = 0;
    bool Won = false;
};

// The arrow keys that walk from the hero to the exit, by breadth-first search
// over every cell that is not a wall; empty when there is no way.
std::vector<std::string> PathToExit(const nlohmann::json& state) {
    const auto& grid = state["MazeGrid"];
    const int w = state["MazeWidth"], h = state["MazeHeight"];
    const int hx = state["HeroColumn"], hy = state["HeroRow"], ex = state["ExitColumn"], ey = state["ExitRow"];
    auto open = [&](int x, int y) {
        if (x < 1 || x > w || y < 1 || y > h) return false;
        const int code = grid[static_cast<size_t>(y - 1)][static_cast<size_t>(x - 1)];
        return code != 102 && code != 103;
    };
    struct Move { int dx, dy; const char* key; };
    const Move moves[] = {{1, 0, "Right"}, {-1, 0, "Left"}, {0, -1, "Up"}, {0, 1, "Down"}};
    std::map<std::pair<int, int>, std::pair<std::pair<int, int>, const char*>> from;
    std::queue<std::pair<int, int>> queue;
    queue.push({hx, hy});
    from[{hx, hy}] = {{0, 0}, nullptr};
    while (!queue.empty() && !from.count({ex, ey})) {
        auto [x, y] = queue.front();
        queue.pop();
        for (const Move& m : moves)
            if (open(x + m.dx, y + m.dy) && !from.count({x + m.dx, y + m.dy})) {
                from[{x + m.dx, y + m.dy}] = {{x, y}, m.key};
                queue.push({x + m.dx, y + m.dy});
            }
    }
    std::vector<std::string> keys;
    if (!from.count({ex, ey})) return keys;
    for (std::pair<int, int> at{ex, ey}; from[at].second; at = from[at].first) keys.insert(keys.begin(), from[at].second);
    return keys;
}

TEST(WalkToTheExitTest, ScriptedWalksReachTheExitInBothSettingsAtLevelsOneAndFive) {
    struct Case { int level; int setting; std::vector<uint64_t> seeds; };
    const Case cases[] = {{1, 0, {1, 2, 3, 4, 5, 6}}, {1, 1, {1, 2, 3, 4, 5, 6}}, {5, 0, {1, 2}}, {5, 1, {1, 2}}};
    for (const Case& c : cases) {
        for (uint64_t seed : c.seeds) {
            SCOPED_TRACE(testing::Message() << "level " << c.level << " setting " << c.setting << " seed " << seed);
            ScriptedGame game(seed);
            // Intro, hall of fame, level choice: the setting by mouse, the level by
            // Down, START by Enter; the preview is skipped with Space.
            std::ostringstream start;
            start << "5 press A\n7 click 300 " << (c.setting == 1 ? 60 : 90) << "\n";
            for (int i = 1; i < c.level; ++i) start << "8 press Down\n";
            start << "10 press Enter\n13 down Space\n15 up Space\n";
            game.Run(start.str(), 20);
            ASSERT_EQ(game.inside.Vars.GameState, gsPlaying);
            // Nothing in the way: the walk is about the labyrinth.
            testing_support::RetireEnemies(game.inside.Engine());
            const nlohmann::json state = DumpState(game.form);
            ASSERT_EQ(state["ChosenLevel"], c.level);
            ASSERT_EQ(state["ChosenSetting"], c.setting);
            const std::vector<std::string> keys = PathToExit(state);
            ASSERT_FALSE(keys.empty()) << "every labyrinth has a way out";

            // One key a step: pressed on the frame the hero stands or completes a
            // step, so that he walks on without a pause, eight frames a cell.
            std::ostringstream walk;
            for (size_t i = 0; i < keys.size(); ++i) walk << 21 + 8 * static_cast<int64_t>(i) << " press " << keys[i] << "\n";
            const int64_t arrival = 21 + 8 * static_cast<int64_t>(keys.size());
            game.Run(walk.str(), arrival - 1);
            EXPECT_FALSE(game.Won) << "not before the last step completes";
            game.Run("", arrival);
            EXPECT_TRUE(game.Won) << "the exit after " << keys.size() << " steps";
            TPlay& play = *game.inside.Play();
            EXPECT_EQ(play.Vars.HeroColumn, state["ExitColumn"]);
            EXPECT_EQ(play.Vars.HeroRow, 4);
            EXPECT_LT(play.Vars.Oxygen, FullGauge);
            if (c.level != 1 || seed != 1) continue;

            // The whole road to the hall of fame: the escape, the victory's
            // count-down, the game-over pause, the name entry, the file at once.
            const int32_t scoreAtExit = play.Vars.Score, oxygenAtExit = play.Vars.Oxygen, healthAtExit = play.Vars.Health;
            game.Run("", arrival + 8 + 450);
            EXPECT_EQ(game.inside.Vars.GameState, gsLevelWon);
            game.Run("", arrival + 8 + 451);
            ASSERT_EQ(game.inside.Vars.GameState, gsGameOver);
            game.Run("", arrival + 8 + 451 + 499);
            ASSERT_EQ(game.inside.Vars.GameState, gsGameOver) << "500 frames of game over";
            const int32_t score = game.inside.Play()->Vars.Score;
            const int32_t oxygenAtVictory = oxygenAtExit - 8;  // a unit a frame while escaping
            EXPECT_EQ(score, scoreAtExit + (healthAtExit + 99) / 100 * 4 + (oxygenAtVictory + 99) / 100 * 2)
                << "four points for each hundred of health, two for each hundred of oxygen";
            game.Run("", arrival + 8 + 451 + 500);
            ASSERT_EQ(game.inside.Vars.GameState, gsNameEntry);
            const int rank = game.inside.Vars.NewEntryRank;
            ASSERT_GE(rank, 1);
            EXPECT_EQ(game.inside.Vars.HallOfFame[static_cast<size_t>(rank - 1)].Punti, score);
            const int64_t t = game.Tick + 1;
            std::ostringstream name;
            name << t << " press T\n" << t << " press I\n" << t + 1 << " press B\n" << t + 1 << " press O\n" << t + 3 << " press Enter\n";
            game.Run(name.str(), t + 4);
            EXPECT_EQ(game.inside.Vars.GameState, gsIntro);
            const std::string ini = ReadText(game.form.SettingsPath());
            EXPECT_NE(ini.find("Nome" + std::to_string(rank) + "=TIBO"), std::string::npos) << "written as soon as the name is in:\n" << ini;
            EXPECT_NE(ini.find("Punti" + std::to_string(rank) + "=" + std::to_string(score)), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace tibo
