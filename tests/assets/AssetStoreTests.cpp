// The asset store: lookup by name, replacement from a folder with its checks,
// the export, and the form's components filled from the assets.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "assets/AssetStore.h"
#include "assets/Catalogue.h"
#include "assets/Export.h"
#include "assets/FormData.h"
#include "assets/generator/Encoders.h"
#include "framework/Display.h"
#include "framework/Files.h"
#include "framework/ImageCodec.h"
#include "tests/support/TempDir.h"

namespace tibo::assets {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Bytes(std::span<const uint8_t> s) { return {s.begin(), s.end()}; }

using testing_support::TempDir;

// A 16-colour picture of w x h: a key background with a square of red.
std::vector<uint8_t> Bmp4(int w, int h) {
    std::vector<uint8_t> indices(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    for (int y = 4; y < 12 && y < h; ++y)
        for (int x = 4; x < 12 && x < w; ++x) indices[static_cast<size_t>(y * w + x)] = 1;
    const std::vector<Rgb> palette{0x000000, 0xE02020};
    return EncodeIndexedBmp(w, h, 4, palette, indices);
}

// A 256-colour picture of w x h: a gradient of 64 greys.
std::vector<uint8_t> Bmp8(int w, int h) {
    std::vector<Rgb> palette;
    for (Rgb i = 0; i < 64; ++i) palette.push_back(i * 4 * 0x010101);
    std::vector<uint8_t> indices(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint8_t>(i % palette.size());
    return EncodeIndexedBmp(w, h, 8, palette, indices);
}

std::vector<uint8_t> Wav(int rate, int bits, int channels, int frames) {
    return EncodeWav({rate, bits, channels}, std::vector<uint8_t>(static_cast<size_t>(frames * channels * bits / 8), 128));
}

// The message of the EAssetError that OverrideFrom raises, or "" when it accepts.
std::string Refusal(AssetStore& store, const TempDir& dir) {
    try {
        store.OverrideFrom(dir.Path());
    } catch (const EAssetError& e) {
        return e.what();
    }
    return "";
}

TEST(AssetStore, FindsExactNamesFirstThenWithoutCase) {
    const AssetStore store;
    EXPECT_EQ(store.Get("Ominodx0.bmp").data(), store.Get("OMINODX0.BMP").data());
    EXPECT_TRUE(store.Has("sparo.wav"));
    EXPECT_FALSE(store.Has("Sparo.bmp"));
    const auto upper = store.Get("MuroPiramide.bmp");
    const auto lower = store.Get("muropiramide.bmp");
    EXPECT_NE(Bytes(upper), Bytes(lower));
    // Neither spelling exactly: the last of the equal names, as in the image lists.
    EXPECT_EQ(store.Get("MUROPIRAMIDE.bmp").data(), lower.data());
    try {
        store.Get("Nothing.bmp");
        FAIL() << "a missing asset was found";
    } catch (const EAssetError& e) {
        EXPECT_NE(std::string(e.what()).find("Nothing.bmp"), std::string::npos);
    }
    const auto names = store.Names();
    ASSERT_EQ(names.size(), AssetFiles().size());
    EXPECT_EQ(names.front(), "Ominodx0.bmp");
    EXPECT_EQ(names.back(), "BonusColpiBombe.wav");
}

TEST(AssetStore, CheckAssetComparesWithTheCatalogue) {
    EXPECT_EQ(CheckAsset("Ominodx0.bmp", Bmp4(32, 32)), "");
    EXPECT_EQ(CheckAsset("ominodx0.BMP", Bmp4(32, 32)), "");
    EXPECT_EQ(CheckAsset("Ominodx0.bmp", Bmp4(32, 31)), "the picture is 32x31, it must be 32x32");
    EXPECT_EQ(CheckAsset("Croce.bmp", Bmp4(32, 32)), "the picture has 4 bits a pixel, it must have 8");
    EXPECT_EQ(CheckAsset("muromappa.bmp", Bmp4(8, 8)), "");
    EXPECT_EQ(CheckAsset("muromappa.bmp", Bmp4(16, 8)), "the picture is 16x8, it must be 8x8");
    EXPECT_EQ(CheckAsset("Tibo.bmp", Bmp8(32, 32)), "");
    EXPECT_EQ(CheckAsset("tibo.BMP", Bmp8(32, 32)), "");
    EXPECT_EQ(CheckAsset("Tibo.bmp", Bmp4(32, 32)), "the picture has 4 bits a pixel, it must have 8");
    EXPECT_EQ(CheckAsset("Tibo.bmp", Bmp8(16, 16)), "the picture is 16x16, it must be 32x32");
    EXPECT_EQ(CheckAsset("Tibo.jpg", Bmp8(32, 32)), "not the name of any asset");
    EXPECT_EQ(CheckAsset("Ominodx0.bmp", {}), "the file is empty");
    EXPECT_EQ(CheckAsset("Ominodx0.png", Bmp4(32, 32)), "not the name of any asset");
    EXPECT_EQ(CheckAsset("Ominodx0.bmp", EncodePng(DecodePicture(Bmp4(32, 32)))), "not a BMP file");

    TBitmap screen;
    screen.Resize(640, 480, 0x204080);
    EXPECT_EQ(CheckAsset("COPERTINA.jpg", EncodeJpeg(screen, 80)), "");
    screen.Resize(320, 240, 0x204080);
    EXPECT_EQ(CheckAsset("SFONDO.jpg", EncodeJpeg(screen, 80)), "the picture is 320x240, it must be 640x480");
    EXPECT_EQ(CheckAsset("SFONDO1.jpg", Bmp4(640, 480)), "not a JPEG file");

    EXPECT_EQ(CheckAsset("Ouch.wav", Wav(11025, 8, 1, 1665)), "");
    EXPECT_EQ(CheckAsset("Ouch.wav", Wav(11025, 8, 1, 1666)), "");  // within one frame
    EXPECT_EQ(CheckAsset("Ouch.wav", Wav(11025, 8, 1, 1667)), "the sound has 1667 samples, it must have 1665 (0.151000 s)");
    EXPECT_EQ(CheckAsset("Ouch.wav", Wav(22050, 8, 1, 1665)), "the sound has 22050 samples a second, it must have 11025");
    EXPECT_EQ(CheckAsset("Sparo.wav", Wav(22050, 8, 1, 28180)), "the sound has 8 bits a sample, it must have 16");
    EXPECT_EQ(CheckAsset("BonusColpiBombe.wav", Wav(22050, 16, 1, 23924)), "the sound is mono, it must be stereo");
    EXPECT_EQ(CheckAsset("BonusColpiBombe.wav", Wav(22050, 16, 2, 23924)), "");
    EXPECT_EQ(CheckAsset("Ouch.wav", Bmp4(8, 8)), "not a WAVE file");
}

TEST(AssetStore, OverrideReplacesGoodFilesWhateverTheirCase) {
    TempDir dir;
    const std::vector<uint8_t> hero = Bmp4(32, 32);
    const std::vector<uint8_t> ouch = Wav(11025, 8, 1, 1665);
    dir.Write("ominodx0.bmp", hero);  // found without regard to case
    dir.Write("Ouch.wav", ouch);
    dir.Write("contact-sheet.png", std::vector<uint8_t>{1, 2, 3});  // an export's sheet is ignored
    dir.Write(".hidden", std::vector<uint8_t>{1});
    fs::create_directory(dir.File("notes"));
    AssetStore store;
    const auto before = Bytes(store.Get("Ominodx1.bmp"));
    ASSERT_EQ(Refusal(store, dir), "");
    EXPECT_EQ(Bytes(store.Get("Ominodx0.bmp")), hero);
    EXPECT_EQ(Bytes(store.Get("OMINODX0.bmp")), hero);
    EXPECT_EQ(Bytes(store.Get("Ouch.wav")), ouch);
    EXPECT_EQ(Bytes(store.Get("Ominodx1.bmp")), before);
    EXPECT_EQ(store.Names().size(), AssetFiles().size());
}

TEST(AssetStore, OverrideReplacesTheIcon) {
    TempDir dir;
    const std::vector<uint8_t> icon = Bmp8(32, 32);
    dir.Write("tibo.bmp", icon);
    AssetStore store;
    ASSERT_EQ(Refusal(store, dir), "");
    EXPECT_EQ(Bytes(store.Get("Tibo.bmp")), icon);
    const TBitmap loaded = LoadBitmap(store, "Tibo");
    EXPECT_EQ(loaded.BitCount, 8);
    EXPECT_EQ(loaded.At(5, 0), 0x141414u);  // grey 5 of the gradient

    TempDir wrong;
    wrong.Write("Tibo.bmp", Bmp4(32, 32));
    AssetStore other;
    EXPECT_EQ(Refusal(other, wrong),
              "Asset file '" + wrong.File("Tibo.bmp") + "' refused: the picture has 4 bits a pixel, it must have 8");
}

TEST(AssetStore, OverrideKeepsTheTwoPyramidWallsApart) {
    TempDir dir;
    const std::vector<uint8_t> wall = Bmp4(32, 32);
    dir.Write("MuroPiramide.bmp", wall);
    AssetStore store;
    const auto other = Bytes(store.Get("muropiramide.bmp"));
    ASSERT_EQ(Refusal(store, dir), "");
    EXPECT_EQ(Bytes(store.Get("MuroPiramide.bmp")), wall);
    EXPECT_EQ(Bytes(store.Get("muropiramide.bmp")), other);
}

TEST(AssetStore, OverrideRefusesWrongFilesNamingThem) {
    struct Case {
        std::string Name;
        std::vector<uint8_t> Bytes;
        std::string Reason;
    };
    TBitmap small;
    small.Resize(32, 32, 0x808080);
    std::vector<uint8_t> cut = Bmp4(32, 32);
    cut.resize(200);
    const std::vector<Case> cases{
        {"Ominodx0.bmp", Bmp4(32, 16), "the picture is 32x16, it must be 32x32"},
        {"Croce.bmp", Bmp4(32, 32), "the picture has 4 bits a pixel, it must have 8"},
        {"Ominodx0.bmp", EncodePng(small), "not a BMP file"},
        {"Ominodx0.bmp", cut, "BMP file is truncated"},
        {"COPERTINA.jpg", EncodeJpeg(small, 80), "the picture is 32x32, it must be 640x480"},
        {"Sparo.wav", Wav(22050, 16, 1, 100), "the sound has 100 samples, it must have 28180 (1.278000 s)"},
        {"Sparo.wav", std::vector<uint8_t>{'R', 'I', 'F', 'F'}, "not a WAVE file"},
        {"Sparrow.wav", Wav(22050, 16, 1, 28180), "its name is not the name of any asset"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name + ": " + c.Reason);
        TempDir dir;
        dir.Write(c.Name, c.Bytes);
        AssetStore store;
        const std::string message = Refusal(store, dir);
        EXPECT_EQ(message, "Asset file '" + dir.File(c.Name) + "' refused: " + c.Reason);
    }
}

TEST(AssetStore, OverrideRefusesUnreadableFiles) {
    TempDir dir;
    fs::create_symlink(dir.File("gone.wav"), dir.File("Sparo.wav"));  // dangling
    AssetStore store;
    const std::string message = Refusal(store, dir);
    EXPECT_NE(message.find("Asset file '" + dir.File("Sparo.wav") + "' refused: it cannot be read"), std::string::npos)
        << message;
}

TEST(AssetStore, ARefusedFolderChangesNothing) {
    TempDir dir;
    dir.Write("Ominodx0.bmp", Bmp4(32, 32));  // good
    dir.Write("Ominodx1.bmp", Bmp4(31, 32));  // wrong: the whole folder is refused
    AssetStore store;
    const auto before = Bytes(store.Get("Ominodx0.bmp"));
    EXPECT_NE(Refusal(store, dir).find("Ominodx1.bmp"), std::string::npos);
    EXPECT_EQ(Bytes(store.Get("Ominodx0.bmp")), before);
}

TEST(AssetStore, TwoFilesForOneAssetAreRefused) {
    TempDir dir;
    dir.Write("SPARO.wav", Wav(22050, 16, 1, 28180));
    dir.Write("sparo.wav", Wav(22050, 16, 1, 28180));
    AssetStore store;
    const std::string message = Refusal(store, dir);
    EXPECT_NE(message.find("already replaces Sparo.wav"), std::string::npos) << message;
}

TEST(AssetStore, OverrideFromAMissingFolderIsRefused) {
    AssetStore store;
    try {
        store.OverrideFrom("/nonexistent/tibo-assets");
        FAIL() << "a missing folder was accepted";
    } catch (const EAssetError& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent/tibo-assets"), std::string::npos);
    }
}

TEST(AssetStore, HeadersAreCheckedBeforeDecodingAndCutOrSpecialFilesRefused) {
    TBitmap noise;
    noise.Resize(640, 480);
    uint32_t seed = 1;
    for (TColor& c : noise.Pixels) c = (seed = seed * 1664525u + 1013904223u) >> 8;
    const std::vector<uint8_t> jpeg = EncodeJpeg(noise, 90);
    TPictureHeader header;
    ASSERT_EQ(ReadPictureHeader(jpeg, header), "");
    EXPECT_EQ(header.Width, 640);
    EXPECT_EQ(header.Height, 480);
    EXPECT_TRUE(header.Complete);

    // A header that claims 30000x30000 is refused by its size, before any
    // decoding: the frame header alone, with no picture behind it.
    std::vector<uint8_t> forged = jpeg;
    size_t sof = 2;
    while (sof + 9 < forged.size() && !(forged[sof] == 0xFF && forged[sof + 1] == 0xC0)) ++sof;
    ASSERT_LT(sof + 9, forged.size());
    forged[sof + 5] = forged[sof + 7] = 0x75;
    forged[sof + 6] = forged[sof + 8] = 0x30;
    forged.resize(sof + 2 + ((forged[sof + 2] << 8) | forged[sof + 3]));
    std::vector<uint8_t> cut = jpeg;
    cut.resize(2048);
    const std::vector<std::pair<std::vector<uint8_t>, std::string>> cases{
        {forged, "the picture is 30000x30000, it must be 640x480"},
        {cut, "the picture is incomplete: the file ends before the end of its image"},
    };
    for (const auto& [bytes, reason] : cases) {
        SCOPED_TRACE(reason);
        TempDir dir;
        dir.Write("COPERTINA.jpg", bytes);
        AssetStore store;
        EXPECT_EQ(Refusal(store, dir), "Asset file '" + dir.File("COPERTINA.jpg") + "' refused: " + reason);
    }
    EXPECT_THROW(DecodePicture(forged), EPictureError);
    EXPECT_THROW(DecodePicture(cut), EPictureError);
    const std::vector<uint8_t> png = EncodePng(noise);
    std::vector<uint8_t> cutPng(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(png.size() / 2));
    ASSERT_EQ(ReadPictureHeader(cutPng, header), "");
    EXPECT_EQ(header.Width, 640);
    EXPECT_FALSE(header.Complete);
    EXPECT_THROW(DecodePicture(cutPng), EPictureError);
    EXPECT_EQ(DecodePicture(png).Pixels, DecodePicture(png).Pixels);

    // A FIFO named like an asset is refused at once, never waited on.
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("Sparo.wav").c_str(), 0600), 0);
    AssetStore store;
    const std::string message = Refusal(store, dir);
    EXPECT_NE(message.find("not a regular file"), std::string::npos) << message;
    // A missing folder is said to be missing.
    try {
        store.OverrideFrom(dir.File("missing"));
        ADD_FAILURE() << "a missing folder was accepted";
    } catch (const EAssetError& e) {
        EXPECT_NE(std::string(e.what()).find("it does not exist"), std::string::npos) << e.what();
    }
}

TEST(Export, WritesEveryAssetAndAContactSheetThatReadBackAsOverrides) {
    TempDir dir;
    const AssetStore store;
    ExportAssets(store, dir.Path());
    for (const std::string& name : store.Names()) {
        ASSERT_TRUE(FileExists(dir.File(name))) << name;
        EXPECT_EQ(ReadFileBytes(dir.File(name)), Bytes(store.Get(name))) << name;
    }
    const TBitmap sheet = LoadPictureFile(dir.File("contact-sheet.png"));
    EXPECT_GE(sheet.Width, 640);
    EXPECT_GE(sheet.Height, 480);
    // An exported folder is accepted back as it is.
    AssetStore again;
    EXPECT_EQ(Refusal(again, dir), "");
}

TEST(FormData, PictureListsTakeTheCataloguesSettings) {
    int form = 0;
    TDisplay display(&form);
    TImageList nemici(&display);
    const AssetStore store;
    LoadPictureList(nemici, "Nemici", store);
    ASSERT_EQ(nemici.Items.Count(), 21);
    const TPictureItem& bat = nemici.Items.Find("PIPISTRELLO");
    EXPECT_EQ(bat.Name(), "Pipistrello");
    EXPECT_EQ(bat.Picture.Width, 128);
    EXPECT_EQ(bat.Picture.BitCount, 8);
    EXPECT_EQ(bat.PatternWidth, 32);
    EXPECT_EQ(bat.PatternHeight, 32);
    EXPECT_TRUE(bat.Transparent);
    EXPECT_EQ(nemici.Items.Find("VermeDx").Name(), "vermedx");

    TImageList maze(&display);
    LoadPictureList(maze, "ComponentiLabirinto", store);
    ASSERT_EQ(maze.Items.Count(), 33);
    EXPECT_EQ(maze.Items.Items(8).TransparentColor(), 0xEAD596u);
    EXPECT_FALSE(maze.Items.Items(5).Transparent);
    EXPECT_EQ(maze.Items.Items(5).TransparentColor(), Silver);
    // Both pyramid walls are there under their own names, the last one found by either spelling.
    EXPECT_EQ(&maze.Items.Find("MuroPiramide"), &maze.Items.Items(11));

    TImageList sfondo(&display);
    LoadPictureList(sfondo, "Sfondo", store);
    const TPictureItem& panel = sfondo.Items.Items(0);
    EXPECT_EQ(panel.Name(), "Sfondo");
    EXPECT_TRUE(panel.Picture.Empty());  // filled at start-up from PANNELLO
    EXPECT_EQ(panel.TransparentColor(), Fuchsia);
    EXPECT_EQ(sfondo.Items.Items(6).PatternWidth, 48);
    EXPECT_FALSE(sfondo.Items.Items(5).Transparent);

    EXPECT_THROW(LoadPictureList(sfondo, "Mostri", store), EAssetError);
}

TEST(FormData, SoundListFollowsTheCatalogueOrder) {
    int form = 0;
    TSoundDevice device(&form, nullptr);
    TWaveList suoni(&device);
    LoadWaveList(suoni, AssetStore());
    ASSERT_EQ(suoni.Items.Count(), 13);
    EXPECT_EQ(suoni.Items.Items(0).Name(), "Ouch");
    TWaveItem& shot = suoni.Items.Items(4);
    EXPECT_EQ(shot.Name(), "Sparo");
    EXPECT_EQ(shot.Wave.Format.BitsPerSample, 16);
    EXPECT_EQ(shot.Wave.Format.SamplesPerSec, 22050u);
    EXPECT_NEAR(shot.Wave.Seconds(), 1.278, 1.0 / 22050);
    EXPECT_FALSE(shot.Looped);
    EXPECT_EQ(shot.MaxPlayingCount(), 0);
    EXPECT_EQ(suoni.Items.Items(12).Wave.Format.Channels, 2);
    EXPECT_EQ(&suoni.Items.Find("mappa"), &suoni.Items.Items(11));
}

TEST(FormData, BitmapsByNameDecodeTheirFiles) {
    const AssetStore store;
    const TBitmap digits = LoadBitmap(store, "Cifre");
    EXPECT_EQ(digits.Width, 120);
    EXPECT_EQ(digits.BitCount, 4);
    EXPECT_EQ(LoadBitmap(store, "PANNELLO").BitCount, 8);
    EXPECT_EQ(LoadBitmap(store, "MUROMAPPA").At(0, 0), Silver);
    EXPECT_EQ(LoadBitmap(store, "copertina").Width, 640);
    // The window's icon, found by name like the other loose pictures.
    const TBitmap icon = LoadBitmap(store, "Tibo");
    EXPECT_EQ(icon.Width, 32);
    EXPECT_EQ(icon.Height, 32);
    EXPECT_EQ(icon.BitCount, 8);
    EXPECT_EQ(LoadBitmap(store, "TIBO").Pixels, icon.Pixels);
    EXPECT_THROW(LoadBitmap(store, "Sparo"), EAssetError);  // a sound, not a picture
}

}  // namespace
}  // namespace tibo::assets
