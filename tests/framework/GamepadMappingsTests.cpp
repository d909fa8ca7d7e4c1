#include "framework/GamepadMappings.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/TempDir.h"

namespace tibo {
namespace {

namespace fs = std::filesystem;

const std::string Pad = "030000005e0400008e02000010010000,Xbox 360 Controller,a:b0,b:b1,leftx:a0,lefty:a1,start:b7,platform:Linux,";

TEST(GamepadMappingsTest, TheMappingsForThisPlatformAreKeptTheRestPassedOver) {
    const std::string text = "# a comment\n\n" + Pad + "\r\n" +
                             "03000000fa2d00000100000000000000,Dual Trigger,a:b2,platform:Windows,\n" +
                             "  050000004c050000cc09000000810000,PS4,a:b0,platform:linux,\n" +
                             "not a mapping,platform:Linux,\n" +
                             "0300000Z5e0400008e02000010010000,bad GUID,a:b0,platform:Linux,\n" +
                             "030000005e0400008e02000010010000,no comma after the platform,a:b0,platform:Linux\n" +
                             "030000005e0400008e02000010010000,control\x01" "character,a:b0,platform:Linux,\n" +
                             "030000005e0400008e02000010010000,no platform,a:b0,\n" +
                             "030000005e0400008e02000010010000," + std::string(2000, 'n') + ",a:b0,platform:Linux,\n" + Pad;
    const TGamepadMappings m = ParseGamepadMappings(text, "Linux", "db.txt");
    EXPECT_EQ(m.Count, 3u);
    EXPECT_EQ(m.Text, Pad + "\n050000004c050000cc09000000810000,PS4,a:b0,platform:linux,\n" + Pad + "\n");
    ASSERT_EQ(m.Warnings.size(), 2u);
    EXPECT_EQ(m.Warnings[0], "db.txt: 1 line(s) longer than 1024 characters passed over (the first is line 11)");
    EXPECT_EQ(m.Warnings[1], "db.txt: 3 line(s) that map no controller passed over (the first is line 6)");
}

TEST(GamepadMappingsTest, AHostileFileCostsItsLengthAtMost) {
    // 200 lines of 100,000 characters: passed over at once, with one warning.
    std::string longLines;
    for (int i = 0; i < 200; ++i) longLines += "030000005e0400008e02000010010000," + std::string(100000, 'x') + ",platform:Linux,\n";
    TGamepadMappings m = ParseGamepadMappings(longLines, "Linux", "db.txt");
    EXPECT_EQ(m.Count, 0u);
    EXPECT_EQ(m.Warnings.size(), 1u);
    // More mappings than the platform takes without delay: the first ones.
    std::string many;
    for (size_t i = 0; i < MaxGamepadMappings + 10; ++i) many += Pad + "\n";
    m = ParseGamepadMappings(many, "Linux", "db.txt");
    EXPECT_EQ(m.Count, MaxGamepadMappings);
    ASSERT_EQ(m.Warnings.size(), 1u);
    EXPECT_NE(m.Warnings[0].find("only the first 1500 mappings for Linux are taken, 10 more"), std::string::npos) << m.Warnings[0];

    const testing_support::TempDir dir("tibo-pads");
    const std::string folder = dir.Path();
    const std::string path = folder + "/gamecontrollerdb.txt";
    // Missing: nothing, quietly.
    m = ReadGamepadMappings(path, "Linux");
    EXPECT_EQ(m.Count, 0u);
    EXPECT_TRUE(m.Warnings.empty());
    // A FIFO no one writes to, and a sparse file of 20 GB: refused at once, not read.
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    const auto before = std::chrono::steady_clock::now();
    m = ReadGamepadMappings(path, "Linux");
    ASSERT_EQ(m.Warnings.size(), 1u);
    EXPECT_NE(m.Warnings[0].find("not a regular file"), std::string::npos) << m.Warnings[0];
    fs::remove(path);
    {
        std::ofstream(path) << Pad << "\n";
    }
    fs::resize_file(path, uintmax_t{20} << 30);
    m = ReadGamepadMappings(path, "Linux");
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
    EXPECT_EQ(m.Count, 0u);
    ASSERT_EQ(m.Warnings.size(), 1u);
    EXPECT_NE(m.Warnings[0].find("larger than"), std::string::npos) << m.Warnings[0];
    // A real one.
    fs::resize_file(path, Pad.size() + 1);
    m = ReadGamepadMappings(path, "Linux");
    EXPECT_EQ(m.Text, Pad + "\n");
}

}  // namespace
}  // namespace tibo
