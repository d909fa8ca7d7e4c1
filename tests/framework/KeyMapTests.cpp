#include "framework/platform/KeyMap.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

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
