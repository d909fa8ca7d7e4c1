#include <gtest/gtest.h>

#include "framework/Surface.h"

namespace tibo {
namespace {

constexpr TDeviceColor Red = ToRgb565(0xFF0000), Green = ToRgb565(0x00FF00), Blue = ToRgb565(0x0000FF);

// A w x h surface whose pixel (x, y) holds 1 + x + 16 y (never 0, the default key).
void Number(TSurface& s, int w, int h) {
    s.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) s.SetPixel(x, y, static_cast<TDeviceColor>(1 + x + 16 * y));
}

TEST(SurfaceTest, SizeAndReleaseAndDefaultKey) {
    TSurface s;
    EXPECT_FALSE(s.Valid());
    s.SetSize(4, 3);
    EXPECT_TRUE(s.Valid());
    EXPECT_EQ(s.ClientRect(), (TRect{0, 0, 4, 3}));
    s.SetTransparentColor(Red);
    s.SetSize(5, 5);
    EXPECT_EQ(s.TransparentColor(), 0u) << "a new surface gets colour key 0";
    s.SetSize(0, 7);
    EXPECT_FALSE(s.Valid());
    EXPECT_EQ(s.DeviceColor(0xFFFFFF), 0u) << "no pixels, no device colour";
}

TEST(SurfaceTest, DeviceColourIsRgb565) {
    TSurface s;
    s.SetSize(1, 1);
    EXPECT_EQ(s.DeviceColor(0xFFFFFF), 0xFFFFu);
    EXPECT_EQ(s.DeviceColor(0x634221), (12u << 11) | (16u << 5) | 4u);  // red 99, green 66, blue 33
    EXPECT_EQ(FromRgb565(ToRgb565(0xFF00FF)), 0xFF00FFu);
}

TEST(SurfaceTest, OpaqueCopyIsClippedOnEverySide) {
    TSurface src;
    Number(src, 4, 4);
    TSurface dst;
    dst.SetSize(6, 6);
    dst.Draw(-1, -2, src.ClientRect(), &src, false);  // partly above and left
    EXPECT_EQ(dst.Pixel(0, 0), src.Pixel(1, 2));
    EXPECT_EQ(dst.Pixel(2, 1), src.Pixel(3, 3));
    EXPECT_EQ(dst.Pixel(3, 0), 0u);
    dst.Fill(0);
    dst.Draw(4, 5, src.ClientRect(), &src, false);  // partly right and below
    EXPECT_EQ(dst.Pixel(4, 5), src.Pixel(0, 0));
    EXPECT_EQ(dst.Pixel(5, 5), src.Pixel(1, 0));
    // A source rectangle reaching outside the source moves the destination along.
    dst.Fill(0);
    dst.Draw(2, 2, TRect{-1, -1, 2, 2}, &src, false);
    EXPECT_EQ(dst.Pixel(2, 2), 0u);
    EXPECT_EQ(dst.Pixel(3, 3), src.Pixel(0, 0));
    EXPECT_EQ(dst.Pixel(4, 4), src.Pixel(1, 1));
}

TEST(SurfaceTest, CopiesBeyondTheDestinationDrawNothing) {
    TSurface src;
    Number(src, 2, 2);
    TSurface dst;
    dst.SetSize(3, 3);
    dst.Draw(4, 0, src.ClientRect(), &src, false);
    dst.Draw(0, 4, src.ClientRect(), &src, false);
    dst.Draw(-2, 0, src.ClientRect(), &src, false);
    dst.Draw(0, 0, TRect{1, 1, 1, 2}, &src, false);
    dst.Draw(0, 0, src.ClientRect(), nullptr, false);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(dst.Pixel(x, y), 0u) << x << "," << y;
}

TEST(SurfaceTest, KeyedCopySkipsKeyPixelsAndFollowsChanges) {
    TSurface src;
    src.SetSize(4, 1);
    src.SetPixel(0, 0, Red);
    src.SetPixel(2, 0, Green);  // pixels 1 and 3 stay 0 = the key
    TSurface dst;
    dst.SetSize(4, 1);
    dst.Fill(Blue);
    dst.Draw(0, 0, &src, true);
    EXPECT_EQ(dst.Pixel(0, 0), Red);
    EXPECT_EQ(dst.Pixel(1, 0), Blue);
    EXPECT_EQ(dst.Pixel(2, 0), Green);
    EXPECT_EQ(dst.Pixel(3, 0), Blue);
    // A later change of the source or of its key is seen by the next copy.
    src.SetPixel(3, 0, Red);
    src.SetTransparentColor(Green);
    dst.Fill(Blue);
    dst.Draw(0, 0, &src, true);
    EXPECT_EQ(dst.Pixel(1, 0), 0u);
    EXPECT_EQ(dst.Pixel(2, 0), Blue);
    EXPECT_EQ(dst.Pixel(3, 0), Red);
    // Writes through MutableBits count as changes too.
    src.MutableBits()[2] = Red;
    dst.Draw(0, 0, &src, true);
    EXPECT_EQ(dst.Pixel(2, 0), Red);
}

TEST(SurfaceTest, KeyedCopyOfAPartClipsItsRuns) {
    TSurface src;
    src.SetSize(8, 2);
    for (int x = 0; x < 8; ++x) src.SetPixel(x, 1, x % 3 == 0 ? 0 : Red);
    TSurface dst;
    dst.SetSize(8, 2);
    dst.Fill(Blue);
    dst.Draw(-1, 0, TRect{2, 1, 7, 2}, &src, true);  // source columns 2..6; column 2 falls off the left
    EXPECT_EQ(dst.Pixel(0, 0), Blue);  // source column 3 is key
    EXPECT_EQ(dst.Pixel(1, 0), Red);   // source column 4
    EXPECT_EQ(dst.Pixel(2, 0), Red);   // source column 5
    EXPECT_EQ(dst.Pixel(3, 0), Blue);  // source column 6 is key
    EXPECT_EQ(dst.Pixel(4, 0), Blue);  // nothing beyond the source rectangle
    EXPECT_EQ(dst.Pixel(0, 1), Blue);
}

TEST(SurfaceTest, CopyOntoItselfUsesTheOldPixels) {
    TSurface s;
    Number(s, 4, 1);
    s.Draw(1, 0, TRect{0, 0, 3, 1}, &s, false);
    EXPECT_EQ(s.Pixel(0, 0), 1u);
    EXPECT_EQ(s.Pixel(1, 0), 1u);
    EXPECT_EQ(s.Pixel(2, 0), 2u);
    EXPECT_EQ(s.Pixel(3, 0), 3u);
}

TEST(SurfaceTest, BlendedCopy) {
    TSurface src;
    src.SetSize(2, 1);
    src.SetPixel(0, 0, ToRgb565(0xFFFFFF));  // pixel 1 is the key
    TSurface dst;
    dst.SetSize(2, 1);

    dst.Fill(Blue);
    dst.DrawBlended(TRect{0, 0, 2, 1}, src.ClientRect(), &src, true, 0);
    EXPECT_EQ(dst.Pixel(0, 0), Blue) << "alpha 0 draws nothing";

    TSurface keyed;
    keyed.SetSize(2, 1);
    keyed.Fill(Blue);
    keyed.Draw(0, 0, &src, true);
    dst.DrawBlended(TRect{0, 0, 2, 1}, src.ClientRect(), &src, true, 255);
    EXPECT_EQ(dst.Pixel(0, 0), keyed.Pixel(0, 0)) << "alpha 255 is a keyed copy";
    EXPECT_EQ(dst.Pixel(1, 0), keyed.Pixel(1, 0));

    dst.Fill(0);
    dst.DrawBlended(TRect{0, 0, 2, 1}, src.ClientRect(), &src, false, 128);
    const TColor mixed = FromRgb565(static_cast<uint16_t>(dst.Pixel(0, 0)));
    EXPECT_NEAR(static_cast<int>(mixed >> 16), 128, 8);
    EXPECT_NEAR(static_cast<int>(mixed & 0xFF), 128, 8);
}

TEST(SurfaceTest, BlendedCopyScalesAndClips) {
    TSurface src;
    Number(src, 2, 2);
    TSurface dst;
    dst.SetSize(3, 3);
    dst.DrawBlended(TRect{-1, -1, 3, 3}, src.ClientRect(), &src, false, 255);  // 2x2 onto 4x4
    EXPECT_EQ(dst.Pixel(0, 0), src.Pixel(0, 0));
    EXPECT_EQ(dst.Pixel(1, 0), src.Pixel(1, 0));
    EXPECT_EQ(dst.Pixel(2, 2), src.Pixel(1, 1));
    EXPECT_EQ(dst.Pixel(1, 1), src.Pixel(1, 1));
}

TEST(SurfaceTest, FillRectIsClipped) {
    TSurface s;
    s.SetSize(4, 4);
    s.FillRect(TRect{-5, 2, 2, 9}, Red);
    EXPECT_EQ(s.Pixel(0, 3), Red);
    EXPECT_EQ(s.Pixel(1, 2), Red);
    EXPECT_EQ(s.Pixel(2, 2), 0u) << "right edge exclusive";
    EXPECT_EQ(s.Pixel(0, 1), 0u);
    s.FillRect(TRect{3, 3, 1, 1}, Green);  // empty
    EXPECT_EQ(s.Pixel(2, 2), 0u);
    EXPECT_EQ(s.Pixel(-1, 0), 0u);
}

TEST(SurfaceTest, LoadFromGraphicTakesThePicturesSize) {
    TBitmap pic;
    pic.Resize(3, 2, 0x102030);
    pic.Pixels[5] = 0xFF0000;
    TSurface s;
    s.LoadFromGraphic(pic);
    EXPECT_EQ(s.Width(), 3);
    EXPECT_EQ(s.Height(), 2);
    EXPECT_EQ(s.Pixel(2, 1), Red);
    s.LoadFromGraphic(pic, TRect{2, 1, 4, 3});  // a part reaching beyond the picture
    EXPECT_EQ(s.Width(), 2);
    EXPECT_EQ(s.Pixel(0, 0), Red);
    EXPECT_EQ(s.Pixel(1, 1), 0u);
}

TEST(SurfaceTest, DeviceKnowsItsSurfaces) {
    TDisplayDevice device;
    {
        TSurface a(&device), b(&device);
        a.SetSize(10, 10);
        EXPECT_EQ(device.SurfaceCount(), 2u);
        EXPECT_EQ(device.PixelBytes(), 200u);
    }
    EXPECT_EQ(device.SurfaceCount(), 0u);
}

}  // namespace
}  // namespace tibo
