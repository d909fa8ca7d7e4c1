// The labyrinth builder for every level and setting, the torch's path tracer
// over the largest labyrinth, and the mini-map drawing.
#include <benchmark/benchmark.h>

#include <memory>

#include "framework/Bitmap.h"
#include "labyrinth/Maze.h"

namespace tibo {
namespace {

// Arguments: level (1..5), setting (0 "MINE", 1 "PYRAMID"). Each iteration
// builds a new labyrinth (a fixed seed re-seeds to a new sequence every time),
// with the caller's one draw per drop as in the game.
void BM_BuildMaze(benchmark::State& state) {
    const int level = static_cast<int>(state.range(0));
    const auto setting = static_cast<uint8_t>(state.range(1));
    auto maze = std::make_unique<TMaze>();
    TRandomizer random(1234);
    SetMazeSize(*maze, level);
    for (auto _ : state) {
        BuildMaze(*maze, level, setting, random, [&random](int, int) { benchmark::DoNotOptimize(random.Random(12)); });
        benchmark::DoNotOptimize(maze->MazeGrid.data());
    }
    state.SetLabel(setting == SettingPyramid ? "PYRAMID" : "MINE");
}
BENCHMARK(BM_BuildMaze)->ArgsProduct({{1, 2, 3, 4, 5}, {SettingMine, SettingPyramid}})->Unit(benchmark::kMicrosecond);

// The torch taken in the far bottom corner of the biggest mine: the longest walks.
void BM_TraceTorchPath(benchmark::State& state) {
    auto maze = std::make_unique<TMaze>();
    TRandomizer random(99);
    SetMazeSize(*maze, 5);
    BuildMaze(*maze, 5, SettingMine, random, nullptr);
    const int hx = maze->MazeWidth - 2, hy = maze->MazeHeight - 2;
    for (auto _ : state) {
        TraceTorchPath(*maze, hx, hy);
        benchmark::DoNotOptimize(maze->PathMap.data());
    }
}
BENCHMARK(BM_TraceTorchPath)->Unit(benchmark::kMicrosecond);

void BM_BuildMiniMap(benchmark::State& state) {
    auto maze = std::make_unique<TMaze>();
    TRandomizer random(7);
    SetMazeSize(*maze, 5);
    BuildMaze(*maze, 5, SettingPyramid, random, nullptr);
    TBitmap tile;
    tile.Resize(8, 8, 0x808080);
    const TMiniTiles tiles{&tile, &tile, &tile, &tile, &tile, &tile, &tile};
    TBitmap canvas;
    for (auto _ : state) {
        BuildMiniMap(*maze, tiles, canvas);
        benchmark::DoNotOptimize(canvas.Pixels.data());
    }
}
BENCHMARK(BM_BuildMiniMap)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tibo
