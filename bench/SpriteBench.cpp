// The sprite engine under a busy frame: 400 animated, colour-keyed 32 x 32
// sprites moving and drawing on the 640 x 480 back surface, the intro's
// wrapped logo covering the screen, and a collision search per sprite.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "framework/ImageList.h"
#include "framework/Sprites.h"
#include "framework/Surface.h"

namespace tibo {
namespace {

constexpr int ScreenWidth = 640, ScreenHeight = 480;
constexpr int SpriteCount = 400;
constexpr TColor Fuchsia = 0xFF00FF;

// A small fixed pseudo-random sequence, so every run places the same sprites.
class TSequence {
public:
    uint32_t Next(uint32_t n) {
        State_ = State_ * 1664525u + 1013904223u;
        return (State_ >> 8) % n;
    }
private:
    uint32_t State_ = 12345;
};

// Moves in a straight line and bounces off the screen's edges, animating as it goes.
class TBouncer : public TImageSprite {
public:
    TBouncer(TSprite* parent, double dx, double dy) : TImageSprite(parent), Dx_(dx), Dy_(dy) {}
    void Advance(int32_t moveCount) override {
        TImageSprite::Advance(moveCount);
        X += Dx_;
        Y += Dy_;
        if (X < -16 || X > ScreenWidth - 16) Dx_ = -Dx_;
        if (Y < -16 || Y > ScreenHeight - 16) Dy_ = -Dy_;
    }
private:
    double Dx_, Dy_;
};

// Four 32 x 32 frames in a row: a coloured disc on the transparent colour.
TPictureItem& MakeSpritePicture(TPictureItems& items, TDisplayDevice& device) {
    TPictureItem& item = items.Add("Mostro");
    item.Picture.Resize(4 * 32, 32, Fuchsia);
    for (int frame = 0; frame < 4; ++frame) {
        const int radius = 10 + 2 * frame;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if ((x - 16) * (x - 16) + (y - 16) * (y - 16) <= radius * radius)
                    item.Picture.Pixels[static_cast<size_t>(y * 128 + frame * 32 + x)] =
                        0x204000u * static_cast<uint32_t>(frame + 1) + static_cast<uint32_t>(x * 4);
    }
    item.PatternWidth = 32;
    item.PatternHeight = 32;
    item.Transparent = true;
    item.SetTransparentColor(Fuchsia);
    item.Initialize();
    item.Restore(device);
    return item;
}

// The intro logo: one 200 x 100 picture, every cell showing all of it.
TPictureItem& MakeLogoPicture(TPictureItems& items, TDisplayDevice& device) {
    TPictureItem& item = items.Add("Brevanti");
    item.Picture.Resize(200, 100);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            item.Picture.Pixels[static_cast<size_t>(y * 200 + x)] =
                (x / 20 + y / 20) % 2 == 0 ? 0x000000u : static_cast<uint32_t>((x << 16) | (y << 8) | 0x40);
    item.Transparent = true;  // black shows what lies beneath, as on the intro
    item.Initialize();
    item.Restore(device);
    return item;
}

void FillWithBouncers(TSpriteEngine& engine, TPictureItem& picture) {
    TSequence random;
    for (int i = 0; i < SpriteCount; ++i) {
        const double dx = static_cast<double>(random.Next(9)) * 0.5 - 2;
        const double dy = static_cast<double>(random.Next(9)) * 0.5 - 2;
        auto* s = new TBouncer(&engine, dx, dy);
        s->Image = &picture;
        s->Width = picture.Width();
        s->Height = picture.Height();
        s->X = random.Next(ScreenWidth - 32);
        s->Y = random.Next(ScreenHeight - 32);
        s->SetZ(static_cast<int32_t>(random.Next(4)));
        s->FrameCount = picture.PatternTotal();
        s->FramePos = random.Next(4);
        s->FrameLooped = true;
        s->FrameSpeed = 0.02;
        s->ImageCheck = true;
    }
}

void BM_SpritesMoveAndDraw(benchmark::State& state) {
    TDisplayDevice device;
    TSurface back(&device);
    back.SetSize(ScreenWidth, ScreenHeight);
    TPictureItems items;
    TPictureItem& picture = MakeSpritePicture(items, device);
    TSpriteEngine engine;
    engine.SetSurface(&back);
    FillWithBouncers(engine, picture);
    for (auto _ : state) {
        engine.Move(10);
        engine.FreeRetired();
        engine.Draw();
        benchmark::DoNotOptimize(back.Bits());
        benchmark::ClobberMemory();
    }
    state.counters["drawn"] = engine.DrawnCount();
    state.SetItemsProcessed(state.iterations() * SpriteCount);
}
BENCHMARK(BM_SpritesMoveAndDraw)->Unit(benchmark::kMicrosecond);

void BM_WrappedLogoMoveAndDraw(benchmark::State& state) {
    TDisplayDevice device;
    TSurface back(&device);
    back.SetSize(ScreenWidth, ScreenHeight);
    TPictureItems items;
    TPictureItem& picture = MakeLogoPicture(items, device);
    TSpriteEngine engine;
    engine.SetSurface(&back);
    auto* logo = new TBackgroundSprite(&engine);
    logo->Image = &picture;
    logo->SetGrid(picture.Width(), picture.Height());
    logo->Wrap = true;
    for (auto _ : state) {
        engine.Move(10);
        engine.Draw();
        logo->X += 1;  // the logo drifts one pixel right and down per frame
        logo->Y += 1;
        benchmark::DoNotOptimize(back.Bits());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * ScreenWidth * ScreenHeight * 2);
}
BENCHMARK(BM_WrappedLogoMoveAndDraw)->Unit(benchmark::kMicrosecond);

// Every sprite asks for its collisions once, as a busy play frame might.
void BM_CollisionSearches(benchmark::State& state) {
    TDisplayDevice device;
    TSurface back(&device);
    back.SetSize(ScreenWidth, ScreenHeight);
    TPictureItems items;
    TPictureItem& picture = MakeSpritePicture(items, device);
    TSpriteEngine engine;
    engine.SetSurface(&back);
    FillWithBouncers(engine, picture);
    int64_t hits = 0;
    for (auto _ : state) {
        for (int32_t i = 0; i < engine.Count(); ++i) hits += engine.Items(i)->CheckCollisions();
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits/frame"] = benchmark::Counter(static_cast<double>(hits) / static_cast<double>(state.iterations()));
    state.SetItemsProcessed(state.iterations() * SpriteCount);
}
BENCHMARK(BM_CollisionSearches)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tibo
