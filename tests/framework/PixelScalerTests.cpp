#include "framework/PixelScaler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

namespace tibo {
namespace {

class PixelScalerTest : public ::testing::Test {
protected:
    PixelScalerTest() {
        // A table that shows which picture value landed where.
        Scaler.Table.resize(65536);
        for (uint32_t c = 0; c < 65536; ++c) Scaler.Table[c] = 0xAB000000u | c;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) Picture[static_cast<size_t>(y * W + x)] = static_cast<uint16_t>(y * 100 + x);
    }
    static constexpr int W = 8, H = 6;
    uint16_t Picture[W * H];
    TPixelScaler Scaler;

    struct TBuffer {
        int W, H;
        std::vector<uint32_t> Pixels;
        TBuffer(int w, int h) : W(w), H(h), Pixels(static_cast<size_t>(w * h), 0xDEADu) {}
        uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y * W + x)]; }
        uint8_t* Bytes() { return reinterpret_cast<uint8_t*>(Pixels.data()); }
    };
    uint32_t Shown(int x, int y) const { return 0xAB000000u | Picture[y * W + x]; }
};

TEST_F(PixelScalerTest, WholeMultiplesRepeatEachPixel) {
    for (int k = 1; k <= 3; ++k) {
        TBuffer out(W * k + 4, H * k + 2);
        const TViewMapping::TView view{2, 1, W * k, H * k};
        Scaler.Scale(Picture, W, H, view, out.Bytes(), out.W * 4, 4);
        for (int y = 0; y < H * k; ++y)
            for (int x = 0; x < W * k; ++x) ASSERT_EQ(out.At(2 + x, 1 + y), Shown(x / k, y / k)) << k << "x at " << x << "," << y;
        // Nothing outside the view is touched: the borders are the window's.
        EXPECT_EQ(out.At(0, 0), 0xDEADu);
        EXPECT_EQ(out.At(1, 1), 0xDEADu);
        EXPECT_EQ(out.At(out.W - 1, out.H - 1), 0xDEADu);
    }
}

TEST_F(PixelScalerTest, FittedSizesTakeTheNearestPixel) {
    TBuffer out(13, 9);
    const TViewMapping::TView view{0, 0, 13, 9};
    Scaler.Scale(Picture, W, H, view, out.Bytes(), out.W * 4, 4);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 13; ++x) ASSERT_EQ(out.At(x, y), Shown(x * W / 13, y * H / 9)) << x << "," << y;
    // Smaller than the picture too.
    TBuffer small(5, 3);
    Scaler.Scale(Picture, W, H, {0, 0, 5, 3}, small.Bytes(), small.W * 4, 4);
    EXPECT_EQ(small.At(4, 2), Shown(4 * W / 5, 2 * H / 3));
}

TEST_F(PixelScalerTest, SixteenBitPixels) {
    for (uint32_t c = 0; c < 65536; ++c) Scaler.Table[c] = c ^ 0xFFFFu;
    std::vector<uint16_t> out(static_cast<size_t>(W * 2 * H * 2), 0);
    Scaler.Scale(Picture, W, H, {0, 0, W * 2, H * 2}, reinterpret_cast<uint8_t*>(out.data()), W * 2 * 2, 2);
    EXPECT_EQ(out[static_cast<size_t>(5 * W * 2 + 7)], static_cast<uint16_t>(Picture[2 * W + 3] ^ 0xFFFFu));
}

TEST_F(PixelScalerTest, ARowRangeRedrawsOnlyItsRows) {
    TBuffer out(W * 2, H * 2);
    const TViewMapping::TView view{0, 0, W * 2, H * 2};
    Scaler.Scale(Picture, W, H, view, out.Bytes(), out.W * 4, 4, 2, 4);
    for (int y = 0; y < H * 2; ++y) {
        const bool drawn = y >= 4 && y < 8;
        EXPECT_EQ(out.At(3, y), drawn ? Shown(1, y / 2) : 0xDEADu) << y;
    }
    int first = 0, end = 0;
    TPixelScaler::BufferRows(H, H * 2, 2, 4, first, end);
    EXPECT_EQ(first, 4);
    EXPECT_EQ(end, 8);
    // Fitted: every buffer row showing picture rows 2..3 and no other.
    TPixelScaler::BufferRows(H, 9, 2, 4, first, end);
    for (int d = 0; d < 9; ++d) EXPECT_EQ(d >= first && d < end, d * H / 9 >= 2 && d * H / 9 < 4) << d;
    TPixelScaler::BufferRows(H, 9, 4, -1, first, end);
    EXPECT_EQ(end, 9);
}

TEST_F(PixelScalerTest, NothingWithoutATableOrAView) {
    TPixelScaler bare;
    TBuffer out(W, H);
    bare.Scale(Picture, W, H, {0, 0, W, H}, out.Bytes(), W * 4, 4);
    Scaler.Scale(Picture, W, H, {0, 0, 0, 0}, out.Bytes(), W * 4, 4);
    EXPECT_EQ(out.At(0, 0), 0xDEADu);
}


// --- the rows a new picture changed ------------------------------------------------------

// Pictures 3 pixels wide whose rows listed in `changed` differ from the one shown.
struct TTwoPictures {
    static constexpr int W = 3, H = 40;
    std::vector<uint16_t> Shown = std::vector<uint16_t>(W * H, 7);
    std::vector<uint16_t> Next = Shown;
    explicit TTwoPictures(std::initializer_list<int> changed, int column = 0) {
        for (const int row : changed) Next[static_cast<size_t>(row * W + column)] = 9;
    }
    // Every run from the top, as the presenter takes them.
    std::vector<std::pair<int, int>> Runs(int toEndAfter = 99) const {
        std::vector<std::pair<int, int>> runs;
        for (int from = 0;;) {
            const TRowRun run = NextChangedRows(Next.data(), Shown.data(), W, H, from,
                                                static_cast<int>(runs.size()) == toEndAfter);
            if (run.First >= H) return runs;
            EXPECT_LT(run.First, run.End);
            runs.emplace_back(run.First, run.End);
            from = run.End;
        }
    }
};

TEST(ChangedRowsTest, RunsJoinAcrossFewerThanEightUnchangedRows) {
    using TRuns = std::vector<std::pair<int, int>>;
    // 4 and 12 have seven unchanged rows between them: one run; 12 and 21
    // have eight: two. A run ends on its last changed row.
    EXPECT_EQ(TTwoPictures({4, 5, 12, 21}).Runs(), (TRuns{{4, 13}, {21, 22}}));
    // The last column counts as much as the first; the last row too.
    EXPECT_EQ(TTwoPictures({0, 39}, 2).Runs(), (TRuns{{0, 1}, {39, 40}}));
    EXPECT_EQ(TTwoPictures({30, 37, 39}).Runs(), (TRuns{{30, 40}}));
    // Nothing changed: no run, from any row.
    EXPECT_TRUE(TTwoPictures({}).Runs().empty());
    const TTwoPictures some({10});
    EXPECT_EQ(NextChangedRows(some.Next.data(), some.Shown.data(), 3, 40, 11, false).First, 40);
    // Told to take the rest, the run found goes to the picture's end.
    EXPECT_EQ(TTwoPictures({2, 20, 33}).Runs(1), (TRuns{{2, 3}, {20, 40}}));
    EXPECT_EQ(TTwoPictures({}).Runs(0), TRuns{});
}

}  // namespace
}  // namespace tibo
