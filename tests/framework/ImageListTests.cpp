#include <gtest/gtest.h>

#include "framework/Display.h"
#include "framework/Errors.h"
#include "framework/ImageList.h"

namespace tibo {
namespace {

// A picture of `frames` 32 x 32 frames side by side; frame i is filled with colour 0x10 * (i + 1) red.
TBitmap Strip(int frames, int height = 32) {
    TBitmap pic;
    pic.Resize(32 * frames, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < 32 * frames; ++x) pic.Pixels[static_cast<size_t>(y * 32 * frames + x)] = static_cast<TColor>(0x08 * (x / 32 + 1)) << 16;
    return pic;
}

class FakePresenter final : public IPresenter {
public:
    bool Present(const TSurface&) override { ++Presented; return !IsLost; }
    bool Lost() const override { return IsLost; }
    bool Restore() override { if (CanRestore) IsLost = false; return !IsLost; }
    bool Active() const override { return IsActive; }
    bool IsLost = false, CanRestore = true, IsActive = true;
    int Presented = 0;
};

struct ImageListTest : ::testing::Test {
    int owner = 0;
    TDisplay display{&owner};
    TImageList list{&display};
};

TEST_F(ImageListTest, FindIgnoresCaseAndTheLastNamedWins) {
    TPictureItem& upper = list.Items.Add("MuroPiramide");
    TPictureItem& lower = list.Items.Add("muropiramide");
    list.Items.Add("vermedx");
    EXPECT_EQ(&list.Items.Find("VermeDx"), &list.Items.Items(2));
    EXPECT_EQ(&list.Items.Find("MUROPIRAMIDE"), &lower);
    upper.SetName("MuroPiramide");  // named again: now it is the last named
    EXPECT_EQ(&list.Items.Find("muropiramide"), &upper);
    try {
        list.Items.Find("Nessuno");
        FAIL() << "a missing name must raise";
    } catch (const EImageListError& e) {
        EXPECT_STREQ(e.what(), "Image 'Nessuno' not found");
    }
    EXPECT_THROW(list.Items.Items(3), EListError);
}

TEST_F(ImageListTest, PatternCountsBeforeAndAfterTheSurfacesExist) {
    TPictureItem& strip = list.Items.Add("strip");
    strip.Picture = Strip(5);
    strip.PatternWidth = strip.PatternHeight = 32;
    TPictureItem& whole = list.Items.Add("whole");
    whole.Picture = Strip(3);
    EXPECT_EQ(strip.PatternTotal(), 5);
    EXPECT_EQ(whole.PatternTotal(), 1) << "pattern size 0 means the whole picture";
    EXPECT_EQ(whole.Width(), 96);
    display.Initialize();
    EXPECT_EQ(strip.PatternTotal(), 5);
    EXPECT_EQ(whole.PatternTotal(), 1);
    EXPECT_EQ(strip.Width(), 32);
}

TEST_F(ImageListTest, DrawsTheRightPatternWithItsKey) {
    TPictureItem& strip = list.Items.Add("strip");
    strip.Picture = Strip(5);
    strip.Picture.Pixels[0] = 0;  // one black pixel in frame 0
    strip.PatternWidth = strip.PatternHeight = 32;
    strip.SetTransparentColor(0x000000);
    strip.Draw(display.Surface(), 0, 0, 0);  // before the surface exists: nothing, no crash
    display.Initialize();
    TSurface& screen = *display.Surface();
    screen.Fill(ToRgb565(0x0000FF));
    strip.Draw(&screen, 10, 10, 4);
    EXPECT_EQ(screen.Pixel(10, 10), ToRgb565(0x280000)) << "index 4 is the rightmost frame";
    strip.Draw(&screen, 100, 100, 0);
    EXPECT_EQ(screen.Pixel(100, 100), ToRgb565(0x0000FF)) << "the key pixel is not drawn";
    EXPECT_EQ(screen.Pixel(101, 100), ToRgb565(0x080000));
    strip.Draw(&screen, 200, 200, 5);
    strip.Draw(&screen, 200, 200, -1);
    EXPECT_EQ(screen.Pixel(200, 200), ToRgb565(0x0000FF)) << "indexes outside the patterns draw nothing";
    strip.Transparent = false;
    strip.Draw(&screen, 100, 100, 0);
    EXPECT_EQ(screen.Pixel(100, 100), 0u);
}

TEST_F(ImageListTest, ChangingTheKeyUpdatesEverySurface) {
    TPictureItem& wide = list.Items.Add("wide");
    wide.Picture = Strip(40);  // 1280 pixels: cut into pieces of at most about 512
    wide.PatternWidth = wide.PatternHeight = 32;
    display.Initialize();
    ASSERT_GT(wide.SurfaceCount(), 1u);
    wide.SetTransparentColor(0x080000);
    for (int i = 0; i < wide.PatternTotal(); ++i)
        EXPECT_EQ(wide.PatternSurface(i)->TransparentColor(), ToRgb565(0x080000));
}

TEST_F(ImageListTest, PiecesKeepEveryPatternWhole) {
    TPictureItem& wide = list.Items.Add("wide");
    wide.Picture = Strip(40, 64);
    wide.PatternWidth = wide.PatternHeight = 32;
    display.Initialize();
    EXPECT_EQ(wide.PatternTotal(), 80);
    EXPECT_EQ(wide.SurfaceCount(), 3u) << "1280 wide: pieces of 512, 512 and 256";
    for (int i = 0; i < 80; ++i) {
        const TRect r = wide.PatternRect(i);
        const TSurface* s = wide.PatternSurface(i);
        ASSERT_LE(r.Right, s->Width());
        ASSERT_LE(r.Bottom, s->Height());
        EXPECT_EQ(s->Pixel(r.Left + 5, r.Top + 5), ToRgb565(static_cast<TColor>(0x08 * (i % 40 + 1)) << 16)) << i;
    }
}

TEST_F(ImageListTest, SurfacesFollowTheDisplaysLifeCycle) {
    FakePresenter presenter;
    display.SetPresenter(&presenter);
    TPictureItem& item = list.Items.Add("item");
    item.Picture = Strip(2);
    item.PatternWidth = item.PatternHeight = 32;
    display.Initialize();
    EXPECT_TRUE(item.Initialized());
    EXPECT_EQ(item.SurfaceCount(), 1u);
    // A picture assigned later is cut only at the next restore.
    item.Picture = Strip(3);
    EXPECT_EQ(item.PatternTotal(), 2);
    presenter.IsLost = true;
    presenter.CanRestore = false;
    EXPECT_FALSE(display.CanDraw());
    presenter.CanRestore = true;
    EXPECT_TRUE(display.CanDraw());
    EXPECT_EQ(item.PatternTotal(), 3) << "restoring rebuilt the patterns";
    display.Finalize();
    EXPECT_FALSE(item.Initialized());
    EXPECT_EQ(item.SurfaceCount(), 0u);
}

}  // namespace
}  // namespace tibo
