// A game's set-up and frames of play at the largest level, headless.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <vector>

#include "actors/Actors.h"
#include "assets/AssetStore.h"
#include "shell/Main.h"
#include "tests/support/FormInsides.h"

namespace tibo {
namespace {

struct Game {
    explicit Game(uint8_t setting) : form(Options(), store, clock, nullptr, nullptr, host) {
        form.FormCreate();
        form.Show();
        inside.Vars.ChosenLevel = 5;
        inside.Vars.ChosenSetting = setting;
    }
    static TFormOptions Options() {
        TFormOptions o;
        o.ConfigDir = std::filesystem::temp_directory_path().string();
        o.Seed = 1;
        return o;
    }
    assets::AssetStore store;
    TManualClock clock;
    TNullFormHost host;
    TMainForm form;
    TFormInsides inside{form};
};

void BM_StartLevel5(benchmark::State& state) {
    Game g(static_cast<uint8_t>(state.range(0)));
    for (auto _ : state) {
        g.inside.StopPlay();
        g.inside.StartLevel();
    }
    state.counters["sprites"] = g.inside.Engine().SpriteCount();
}
BENCHMARK(BM_StartLevel5)->Arg(SettingMine)->Arg(SettingPyramid)->Unit(benchmark::kMicrosecond);

// Play at level 5 "MINE" with every sprite alive, the view scrolling one
// column every eight frames (and so recomposed every eighth frame).
void BM_PlayFrameLevel5Scrolling(benchmark::State& state) {
    Game g(SettingMine);
    g.inside.StartLevel();
    g.inside.Vars.GameState = gsPlaying;
    TPlayVariables& v = g.inside.Play()->Vars;
    int direction = -1;
    for (auto _ : state) {
        v.ViewOffsetX += 4 * direction;
        if (v.ViewOffsetX <= -28 || v.ViewOffsetX >= 28) {
            v.ViewOffsetX = 0;
            v.ViewColumn -= direction;
            if (v.ViewColumn < 1 || v.ViewColumn > v.Maze.MazeWidth - 9) direction = -direction;
        }
        g.inside.EngineTimerTimer(1);
        v.Oxygen = v.Health = FullGauge;  // the game goes on however long it is measured
    }
    state.counters["sprites"] = g.inside.Engine().SpriteCount();
}
BENCHMARK(BM_PlayFrameLevel5Scrolling)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Tibo walking along the level's bottom corridor at level 5 "MINE", opened up
// from wall to wall, with the view scrolling under him on every frame (and
// recomposed each time its cell origin moves) and every sprite of the level.
void BM_PlayFrameLevel5HeroWalking(benchmark::State& state) {
    Game g(SettingMine);
    g.inside.StartLevel();
    g.inside.Vars.GameState = gsPlaying;
    TPlay& play = *g.inside.Play();
    TPlayVariables& v = play.Vars;
    for (int x = 2; x < v.Maze.MazeWidth; ++x) v.Maze.Cell(x, v.HeroRow) = CellPassage;
    v.HeroColumn = 2;
    v.HeroScreenColumn = 2;
    v.ViewColumn = 0;
    constexpr int Right = 39, Left = 37;
    int key = Right;
    g.form.KeyDownEvent(key);
    int64_t frames = 0, recomposed = 0;
    for (auto _ : state) {
        const int32_t origin = v.ViewColumn;
        g.inside.EngineTimerTimer(1);
        recomposed += v.ViewColumn != origin;
        ++frames;
        // At either end he turns round, walking to the other side of the window first.
        if ((key == Right && v.HeroColumn >= v.Maze.MazeWidth - 2) || (key == Left && v.HeroColumn <= 2)) {
            g.form.KeyUpEvent(key);
            key = key == Right ? Left : Right;
            g.form.KeyDownEvent(key);
        }
        v.Oxygen = FullGauge;
        v.Health = FullGauge;
    }
    state.counters["sprites"] = g.inside.Engine().SpriteCount();
    state.counters["recomposed_share"] = static_cast<double>(recomposed) / static_cast<double>(frames);
}
BENCHMARK(BM_PlayFrameLevel5HeroWalking)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The heaviest frames of a level 5 "MINE": every enemy alive and moving,
// three shots in flight and five bombs exploding at once in the longest open
// corridors, their fragments spreading and testing collisions. Each round
// starts from the same labyrinth with the five bombs a frame from their blast.
void BM_PlayFrameLevel5FiveBlasts(benchmark::State& state) {
    Game g(SettingMine);
    g.inside.StartLevel();
    g.inside.Vars.GameState = gsPlaying;
    TPlay& play = *g.inside.Play();
    TPlayVariables& v = play.Vars;
    const TMaze maze = v.Maze;
    // The five longest runs of open cells along a row.
    struct Run { int length, x, y; };
    std::vector<Run> runs;
    for (int y = 5; y < maze.MazeHeight; ++y)
        for (int x = 1, start = 0; x <= maze.MazeWidth + 1; ++x) {
            const bool open = x <= maze.MazeWidth && !IsWallCell(maze.Cell(x, y)) && maze.Cell(x, y) != CellBorder;
            if (open && start == 0) start = x;
            if (!open && start != 0) {
                runs.push_back({x - start, (start + x - 1) / 2, y});
                start = 0;
            }
        }
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.length > b.length; });
    runs.resize(5);
    auto arm = [&] {
        v.Maze = maze;
        for (const Run& r : runs) {
            LayBomb(play, r.x, r.y).FramePos = 4.96;  // a frame from its blast
        }
        for (size_t i = 0; i < 3; ++i) LaunchShot(play, runs[i].x - 2, runs[i].y, 1);
        v.ViewDirty = true;
    };
    double slowest = 0;
    int64_t frames = 0;
    for (auto _ : state) {
        if (v.BombsLive == 0) {
            state.PauseTiming();
            arm();
            state.ResumeTiming();
        }
        const auto start = std::chrono::steady_clock::now();
        g.inside.EngineTimerTimer(1);
        slowest = std::max(slowest, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        ++frames;
        v.Oxygen = v.Health = FullGauge;
    }
    state.counters["slowest_frame_ms"] = slowest;
    state.counters["sprites"] = g.inside.Engine().SpriteCount();
}
BENCHMARK(BM_PlayFrameLevel5FiveBlasts)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tibo
