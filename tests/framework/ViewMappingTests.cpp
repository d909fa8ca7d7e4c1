#include "framework/ViewMapping.h"

#include <gtest/gtest.h>

#include <utility>

namespace tibo {
namespace {

TEST(ViewMappingTest, WholeMultiplesWhereTwiceTheSurfaceFits) {
    auto v = TViewMapping::Fit(1280, 1024, 640, 480);
    EXPECT_EQ(v.W, 1280);
    EXPECT_EQ(v.H, 960);
    EXPECT_EQ(v.X, 0);
    EXPECT_EQ(v.Y, 32);
    v = TViewMapping::Fit(1920, 1080, 640, 480);   // 2x, not 2.25x
    EXPECT_EQ(v.W, 1280);
    EXPECT_EQ(v.H, 960);
    EXPECT_EQ(v.X, 320);
    EXPECT_EQ(v.Y, 60);
    v = TViewMapping::Fit(3840, 2160, 640, 480);
    EXPECT_EQ(v.W, 2560);
    EXPECT_EQ(v.H, 1920);
}

TEST(ViewMappingTest, FittedKeepingTheShapeBelowTwice) {
    auto v = TViewMapping::Fit(1024, 768, 640, 480);
    EXPECT_EQ(v.W, 1024);
    EXPECT_EQ(v.H, 768);
    v = TViewMapping::Fit(1366, 768, 640, 480);   // wide: borders left and right
    EXPECT_EQ(v.H, 768);
    EXPECT_EQ(v.W, 1024);
    EXPECT_EQ(v.X, 171);
    EXPECT_EQ(v.Y, 0);
    v = TViewMapping::Fit(800, 900, 640, 480);    // tall: borders above and below
    EXPECT_EQ(v.W, 800);
    EXPECT_EQ(v.H, 600);
    EXPECT_EQ(v.Y, 150);
    v = TViewMapping::Fit(0, 480, 640, 480);
    EXPECT_EQ(v.W, 0);
}

TEST(ViewMappingTest, MousePointsBecomeSurfacePixels) {
    const TViewMapping m = TViewMapping::For(640, 480, 1280, 1024, 1280, 1024);   // 2x, 32 rows of border
    int sx = -1, sy = -1;
    ASSERT_TRUE(m.ToSurface(300, 32 + 860, false, sx, sy));
    EXPECT_EQ(sx, 150);
    EXPECT_EQ(sy, 430);
    ASSERT_TRUE(m.ToSurface(1279, 32 + 959, false, sx, sy));
    EXPECT_EQ(sx, 639);
    EXPECT_EQ(sy, 479);
    // On the borders: no click; a move is held at the edge.
    EXPECT_FALSE(m.ToSurface(300, 10, false, sx, sy));
    EXPECT_FALSE(m.ToSurface(300, 32 + 960, false, sx, sy));
    ASSERT_TRUE(m.ToSurface(300, 10, true, sx, sy));
    EXPECT_EQ(sx, 150);
    EXPECT_EQ(sy, 0);
    ASSERT_TRUE(m.ToSurface(-50, 2000, true, sx, sy));
    EXPECT_EQ(sx, 0);
    EXPECT_EQ(sy, 479);
}

TEST(ViewMappingTest, HighDensityWindowsCountInPoints) {
    // A 640x480-point window drawn with 1280x960 pixels: points map straight through.
    const TViewMapping m = TViewMapping::For(640, 480, 640, 480, 1280, 960);
    int sx = -1, sy = -1;
    ASSERT_TRUE(m.ToSurface(150, 430, false, sx, sy));
    EXPECT_EQ(sx, 150);
    EXPECT_EQ(sy, 430);
    int wx = -1, wy = -1;
    m.ToWindow(150, 430, wx, wy);
    EXPECT_EQ(wx, 150);
    EXPECT_EQ(wy, 430);
}

TEST(ViewMappingTest, WarpingLandsOnThePixelAskedFor) {
    for (const auto& size : {std::pair{1280, 1024}, std::pair{1366, 768}, std::pair{700, 500}, std::pair{640, 480}}) {
        const TViewMapping m = TViewMapping::For(640, 480, size.first, size.second, size.first, size.second);
        for (const auto& p : {std::pair{0, 0}, std::pair{150, 430}, std::pair{639, 479}, std::pair{333, 77}}) {
            int wx = 0, wy = 0, sx = -1, sy = -1;
            m.ToWindow(p.first, p.second, wx, wy);
            ASSERT_TRUE(m.ToSurface(wx, wy, false, sx, sy));
            EXPECT_EQ(sx, p.first) << size.first << "x" << size.second;
            EXPECT_EQ(sy, p.second) << size.first << "x" << size.second;
        }
    }
}

}  // namespace
}  // namespace tibo
