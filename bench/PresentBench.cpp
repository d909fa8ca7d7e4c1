// Showing a frame: the 640 x 480 back surface uploaded, scaled and shown in a
// real window, as every tick ends; and the scaling alone, without a display.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "framework/PixelScaler.h"
#include "framework/Surface.h"
#include "framework/platform/Platform.h"

namespace tibo {
namespace {

void FillPicture(TSurface& s) {
    s.SetSize(640, 480);
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) s.SetPixel(x, y, static_cast<TDeviceColor>((x * 97 + y * 31) & 0xFFFF));
}

bool HaveDisplay() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x != nullptr && *x != '\0') || (wayland != nullptr && *wayland != '\0');
}

// Arg: 0 as the game chooses, 1 through the renderer, 2 scaled into the window's pixels.
void BM_PresentInWindow(benchmark::State& state) {
    if (!HaveDisplay()) {
        state.SkipWithError("no display (run under xvfb-run)");
        return;
    }
    TWindowOptions options;
    options.Title = "Tibo present benchmark";
    options.Windowed = true;
    options.VSync = false;   // the cost of showing, not the wait for the refresh
    options.Presentation = static_cast<TWindowOptions::TPresentation>(state.range(0));
    std::unique_ptr<TPlatformWindow> window;
    try {
        window = TPlatformWindow::Open(options);
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    TSurface back;
    FillPicture(back);
    const TViewMapping m = window->Mapping();
    state.SetLabel(std::to_string(m.OutputW) + "x" + std::to_string(m.OutputH) + " view " + std::to_string(m.View.W) +
                   "x" + std::to_string(m.View.H));
    int frame = 0;
    for (auto _ : state) {
        back.SetPixel(frame % 640, 0, static_cast<TDeviceColor>(frame));   // a changed picture each time
        if (!window->Present(back)) {
            state.SkipWithError("the window could not show the picture");
            break;
        }
        while (window->PollEvent()) {
        }
        ++frame;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PresentInWindow)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The scaling of the framebuffer path alone, into memory: 2x, 1x and fitted (1.6x).
void BM_ScalePicture(benchmark::State& state) {
    TSurface back;
    FillPicture(back);
    const int outW = static_cast<int>(state.range(0)), outH = static_cast<int>(state.range(1));
    TPixelScaler scaler;
    scaler.Table.resize(65536);
    for (uint32_t c = 0; c < 65536; ++c) scaler.Table[c] = 0xFF000000u | (c * 0x0101u);
    const TViewMapping::TView view = TViewMapping::Fit(outW, outH, 640, 480);
    std::vector<uint8_t> buffer(static_cast<size_t>(outW) * static_cast<size_t>(outH) * 4);
    for (auto _ : state) {
        scaler.Scale(back.Bits(), 640, 480, view, buffer.data(), outW * 4, 4);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(view.W) * view.H * 4);
}
BENCHMARK(BM_ScalePicture)->Args({1280, 1024})->Args({640, 480})->Args({1024, 768});

}  // namespace
}  // namespace tibo
