// Copies on RGB565 surfaces: the work of every frame's composition.
#include <benchmark/benchmark.h>

#include "framework/Surface.h"

namespace tibo {
namespace {

// A full-screen picture with about a third of its pixels transparent, in runs
// the way a frame with a fuchsia play window and sprite-shaped holes has them.
void FillPattern(TSurface& s) {
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) {
            const bool hole = ((x / 24 + y / 16) % 3) == 0;
            s.SetPixel(x, y, hole ? 0 : static_cast<TDeviceColor>(0x1000 + ((x * 7 + y * 13) & 0x0FFF)));
        }
}

void BM_ColourKeyedFullScreenCopy(benchmark::State& state) {
    TSurface back, picture;
    back.SetSize(640, 480);
    picture.SetSize(640, 480);
    FillPattern(picture);
    for (auto _ : state) {
        back.Draw(0, 0, picture.ClientRect(), &picture, true);
        benchmark::DoNotOptimize(back.Bits());
    }
    state.SetBytesProcessed(state.iterations() * 640 * 480 * 2);
}
BENCHMARK(BM_ColourKeyedFullScreenCopy);

void BM_OpaqueFullScreenCopy(benchmark::State& state) {
    TSurface back, picture;
    back.SetSize(640, 480);
    picture.SetSize(640, 480);
    FillPattern(picture);
    for (auto _ : state) {
        back.Draw(0, 0, picture.ClientRect(), &picture, false);
        benchmark::DoNotOptimize(back.Bits());
    }
    state.SetBytesProcessed(state.iterations() * 640 * 480 * 2);
}
BENCHMARK(BM_OpaqueFullScreenCopy);

void BM_Fill(benchmark::State& state) {
    TSurface back;
    back.SetSize(640, 480);
    for (auto _ : state) {
        back.Fill(0);
        benchmark::DoNotOptimize(back.Bits());
    }
}
BENCHMARK(BM_Fill);

// A keyed copy whose source changed since the last copy: its runs are found again.
void BM_ColourKeyedCopyOfAChangedSource(benchmark::State& state) {
    TSurface back, picture;
    back.SetSize(640, 480);
    picture.SetSize(640, 480);
    FillPattern(picture);
    for (auto _ : state) {
        picture.SetPixel(0, 0, 0x1234);
        back.Draw(0, 0, picture.ClientRect(), &picture, true);
        benchmark::DoNotOptimize(back.Bits());
    }
}
BENCHMARK(BM_ColourKeyedCopyOfAChangedSource);

}  // namespace
}  // namespace tibo
