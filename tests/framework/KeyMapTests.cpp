#include "framework/platform/KeyMap.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "framework/platform/Platform.h"
#include "tests/support/TempDir.h"

namespace tibo {
namespace {

// SDL scancodes are the USB keyboard usage codes.
enum Usage : int {
    UsageA = 4, UsageZ = 29, Usage1 = 30, Usage0 = 39, UsageEnter = 40, UsageEscape = 41,
    UsageBackspace = 42, UsageSpace = 44, UsageMinus = 45, UsageEquals = 46, UsageLeftBracket = 47,
    UsageRightBracket = 48, UsageBackslash = 49, UsageSemicolon = 51, UsageApostrophe = 52,
    UsageGrave = 53, UsageComma = 54, UsagePeriod = 55, UsageSlash = 56, UsageF1 = 58, UsageF12 = 69,
    UsageDelete = 76, UsageRight = 79, UsageLeft = 80, UsageDown = 81, UsageUp = 82,
    UsageKpEnter = 88, UsageKp1 = 89, UsageKp8 = 96, UsageKp0 = 98, UsageLeftCtrl = 224,
    UsageLeftShift = 225, UsageLeftAlt = 226, UsageRightShift = 229, UsageRightAlt = 230,
    UsageMute = 127,
};

TEST(KeyMapTest, PunctuationMeetsNoKeyTheGameReads) {
    EXPECT_EQ(VirtualKeyFromScancode(UsageApostrophe), 222);
    EXPECT_EQ(VirtualKeyFromScancode(UsagePeriod), 190);
    EXPECT_NE(VirtualKeyFromScancode(UsageApostrophe), VirtualKeyFromScancode(UsageRight));
    EXPECT_NE(VirtualKeyFromScancode(UsagePeriod), VirtualKeyFromScancode(UsageDelete));
    const int punctuation[] = {UsageSemicolon, UsageEquals, UsageComma, UsageMinus, UsagePeriod, UsageSlash,
                               UsageGrave, UsageLeftBracket, UsageBackslash, UsageRightBracket, UsageApostrophe};
    const int expected[] = {186, 187, 188, 189, 190, 191, 192, 219, 220, 221, 222};
    for (size_t i = 0; i < std::size(punctuation); ++i) {
        const int vk = VirtualKeyFromScancode(punctuation[i]);
        EXPECT_EQ(vk, expected[i]) << "usage " << punctuation[i];
        // Not a code the name entry types (32..90) nor one of the key table's.
        EXPECT_TRUE(vk > 90 && vk != 104 && vk != 98 && vk != 100 && vk != 102 && vk != 113);
    }
}

TEST(KeyMapTest, TheKeysOfTheKeyTable) {
    EXPECT_EQ(VirtualKeyFromScancode(UsageA), 'A');
    EXPECT_EQ(VirtualKeyFromScancode(UsageZ), 'Z');
    EXPECT_EQ(VirtualKeyFromScancode(Usage1), '1');
    EXPECT_EQ(VirtualKeyFromScancode(Usage0), '0');
    EXPECT_EQ(VirtualKeyFromScancode(UsageEnter), 13);
    EXPECT_EQ(VirtualKeyFromScancode(UsageKpEnter), 13);
    EXPECT_EQ(VirtualKeyFromScancode(UsageEscape), 27);
    EXPECT_EQ(VirtualKeyFromScancode(UsageBackspace), 8);
    EXPECT_EQ(VirtualKeyFromScancode(UsageSpace), 32);
    EXPECT_EQ(VirtualKeyFromScancode(UsageDelete), 46);
    EXPECT_EQ(VirtualKeyFromScancode(UsageLeft), 37);
    EXPECT_EQ(VirtualKeyFromScancode(UsageUp), 38);
    EXPECT_EQ(VirtualKeyFromScancode(UsageRight), 39);
    EXPECT_EQ(VirtualKeyFromScancode(UsageDown), 40);
    EXPECT_EQ(VirtualKeyFromScancode(UsageF1), 112);
    EXPECT_EQ(VirtualKeyFromScancode(UsageF12), 123);
    EXPECT_EQ(VirtualKeyFromScancode(UsageKp1), 97);
    EXPECT_EQ(VirtualKeyFromScancode(UsageKp8), 104);
    EXPECT_EQ(VirtualKeyFromScancode(UsageKp0), 96);
    EXPECT_EQ(VirtualKeyFromScancode(UsageLeftShift), 16);
    EXPECT_EQ(VirtualKeyFromScancode(UsageRightShift), 16);
    EXPECT_EQ(VirtualKeyFromScancode(UsageLeftCtrl), 17);
    EXPECT_EQ(VirtualKeyFromScancode(UsageLeftAlt), 18);
    EXPECT_EQ(VirtualKeyFromScancode(UsageRightAlt), 18);
}

TEST(KeyMapTest, UnmappedKeysGiveZero) {
    EXPECT_EQ(VirtualKeyFromScancode(0), 0);
    EXPECT_EQ(VirtualKeyFromScancode(UsageMute), 0);
    EXPECT_EQ(VirtualKeyFromScancode(-1), 0);
    EXPECT_EQ(VirtualKeyFromScancode(100000), 0);
}

TEST(KeyMapTest, KeysByName) {
    EXPECT_EQ(VirtualKeyFromName("A"), 65);
    EXPECT_EQ(VirtualKeyFromName("P"), 80);
    EXPECT_EQ(VirtualKeyFromName("7"), 55);
    EXPECT_EQ(VirtualKeyFromName("Space"), 32);
    EXPECT_EQ(VirtualKeyFromName("Enter"), 13);
    EXPECT_EQ(VirtualKeyFromName("Escape"), 27);
    EXPECT_EQ(VirtualKeyFromName("Delete"), 46);
    EXPECT_EQ(VirtualKeyFromName("Backspace"), 8);
    EXPECT_EQ(VirtualKeyFromName("Up"), 38);
    EXPECT_EQ(VirtualKeyFromName("Down"), 40);
    EXPECT_EQ(VirtualKeyFromName("Left"), 37);
    EXPECT_EQ(VirtualKeyFromName("Right"), 39);
    EXPECT_EQ(VirtualKeyFromName("F1"), 112);
    EXPECT_EQ(VirtualKeyFromName("F2"), 113);
    EXPECT_EQ(VirtualKeyFromName("F12"), 123);
    EXPECT_EQ(VirtualKeyFromName("KP0"), 96);
    EXPECT_EQ(VirtualKeyFromName("KP8"), 104);
    EXPECT_EQ(VirtualKeyFromName("13"), 13);
    EXPECT_EQ(VirtualKeyFromName("255"), 255);
    // Any letter case.
    EXPECT_EQ(VirtualKeyFromName("a"), 65);
    EXPECT_EQ(VirtualKeyFromName("space"), 32);
    EXPECT_EQ(VirtualKeyFromName("ENTER"), 13);
    EXPECT_EQ(VirtualKeyFromName("enter"), 13);
    EXPECT_EQ(VirtualKeyFromName("pageDOWN"), 34);
    EXPECT_EQ(VirtualKeyFromName("f12"), 123);
    EXPECT_EQ(VirtualKeyFromName("kp8"), 104);
    // Every name the list offers is a key.
    const std::string names = KeyNames();
    for (const char* name : {"Space", "Enter", "Escape", "Delete", "Backspace", "Up", "PageUp", "Insert", "F1", "KP0"})
        EXPECT_NE(names.find(name), std::string::npos) << name;
    // A recorded key's name reads back as the same key, for every code a key
    // gives (Backspace, 8, is the lowest); keys with a name are written by it.
    for (int vk = 8; vk <= 255; ++vk) EXPECT_EQ(VirtualKeyFromName(KeyNameFromVirtualKey(vk)), vk) << vk;
    EXPECT_EQ(KeyNameFromVirtualKey(13), "Enter");
    EXPECT_EQ(KeyNameFromVirtualKey('Q'), "Q");
    EXPECT_EQ(KeyNameFromVirtualKey(104), "KP8");
    EXPECT_EQ(KeyNameFromVirtualKey(123), "F12");
}

TEST(KeyMapTest, UnknownNamesGiveZero) {
    for (const char* name : {"", "F0", "F13", "F01", "KP", "KP10", "256", "0x20",
                             "-5", "+5", "012", "Enterx", "?", "kp", "f0", "\xc3\xa9"}) {
        EXPECT_EQ(VirtualKeyFromName(name), 0) << name;
    }
}

// --- where the picture lies in the window ----------------------------------------------

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


// --- scaling into a window's pixels ------------------------------------------------------

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

// --- the per-user folder -------------------------------------------------------------------

// Sets an environment variable for the length of a test.
class TScopedEnv {
public:
    TScopedEnv(const char* name, const char* value) : Name_(name) {
        const char* old = std::getenv(name);
        if (old != nullptr) Old_ = old;
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~TScopedEnv() {
        if (Old_) {
            setenv(Name_, Old_->c_str(), 1);
        } else {
            unsetenv(Name_);
        }
    }
    TScopedEnv(const TScopedEnv&) = delete;
    TScopedEnv& operator=(const TScopedEnv&) = delete;

private:
    const char* Name_;
    std::optional<std::string> Old_;
};

TEST(UserConfigDirTest, UnderTheUsersDataFolder) {
    const testing_support::TempDir folder("tibo-paths");
    const std::filesystem::path root = folder.Path();
    std::filesystem::create_directories(root / "home");
    {
        const TScopedEnv data("XDG_DATA_HOME", (root / "data").c_str());
        const std::string dir = UserConfigDir();
        EXPECT_EQ(dir, (root / "data" / "tibo").string() + "/");
        EXPECT_TRUE(std::filesystem::is_directory(dir));
    }
    {
        // Empty or relative: as if unset, so under the home folder.
        const TScopedEnv home("HOME", (root / "home").c_str());
        for (const char* bad : {"", "relative/data"}) {
            const TScopedEnv data("XDG_DATA_HOME", bad);
            const std::string dir = UserConfigDir();
            EXPECT_EQ(dir, (root / "home" / ".local" / "share" / "tibo").string() + "/") << "'" << bad << "'";
            EXPECT_TRUE(std::filesystem::is_directory(dir));
        }
        EXPECT_FALSE(std::filesystem::exists("relative"));
    }
    {
        const TScopedEnv data("XDG_DATA_HOME", nullptr);
        const TScopedEnv home("HOME", (root / "home2").c_str());
        EXPECT_EQ(UserConfigDir(), (root / "home2" / ".local" / "share" / "tibo").string() + "/");
    }
}

}  // namespace
}  // namespace tibo
