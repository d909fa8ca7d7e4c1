// The catalogue and the assets built from it: every embedded file has the name,
// size, depth, frame layout, transparency and sound format the game relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

#include "assets/AssetStore.h"
#include "assets/Catalogue.h"
#include "assets/FileFormats.h"
#include "assets/MiniFont.h"
#include "assets/generator/Embed.h"
#include "assets/generator/Encoders.h"
#include "assets/generator/PixelArt.h"
#include "assets/generator/SoundRecipe.h"
#include "framework/Bitmap.h"
#include "framework/ImageCodec.h"

namespace tibo::assets {
namespace {

std::span<const uint8_t> Embedded(const std::string& name) {
    for (const EmbeddedFile& f : EmbeddedFiles())
        if (name == f.Name) return {f.Data, f.Size};
    return {};
}

// ---- The catalogue itself ----

TEST(Catalogue, ListsKeepTheirFixedOrder) {
    const PictureList& maze = FindPictureList("ComponentiLabirinto");
    ASSERT_EQ(maze.Entries.size(), 33u);
    // The maze drawing reaches these by index.
    EXPECT_EQ(maze.Entries[5].Name, "muro");
    EXPECT_EQ(maze.Entries[9].Name, "MuroRotto");
    EXPECT_EQ(maze.Entries[10].Name, "MuroRottoPiramide");
    EXPECT_EQ(maze.Entries[11].Name, "muropiramide");
    EXPECT_EQ(maze.Entries[31].Name, "Illuminato");
    EXPECT_EQ(FindPictureList("SpriteTibo").Entries.size(), 10u);
    EXPECT_EQ(FindPictureList("Nemici").Entries.size(), 21u);
    EXPECT_EQ(FindPictureList("sfondo").Entries.size(), 8u);
    EXPECT_THROW(FindPictureList("Mostri"), std::invalid_argument);
    ASSERT_EQ(Sounds().size(), 13u);
    EXPECT_EQ(Sounds()[4].Name, "Sparo");
    EXPECT_EQ(Sounds()[12].Name, "BonusColpiBombe");
}

TEST(Catalogue, FrameLayoutsDivideThePictures) {
    for (const PictureList& list : PictureLists())
        for (const PictureEntry& e : list.Entries) {
            SCOPED_TRACE(std::string(e.Name));
            EXPECT_TRUE(e.Depth == 4 || e.Depth == 8);
            if (e.PatternWidth == 0) continue;
            EXPECT_EQ(e.Width % e.PatternWidth, 0);
            EXPECT_EQ(e.Height % e.PatternHeight, 0);
        }
    const auto frames = [](std::string_view list, size_t i) { return FindPictureList(list).Entries[i].Frames(); };
    EXPECT_EQ(frames("SpriteTibo", 9), 8);
    EXPECT_EQ(frames("Nemici", 13), 4);
    EXPECT_EQ(frames("Nemici", 20), 13);
    EXPECT_EQ(frames("Sfondo", 2), 11);
    EXPECT_EQ(frames("Sfondo", 6), 3);
    EXPECT_EQ(frames("Sfondo", 7), 1);
}

TEST(Catalogue, SoundLengthsRoundToWholeFrames) {
    EXPECT_EQ(Sounds()[0].Frames(), 1665);    // 11025 * 0.151 = 1664.775
    EXPECT_EQ(Sounds()[8].Frames(), 838);     // 22050 * 0.038 = 837.9
    EXPECT_EQ(Sounds()[10].Frames(), 244468);  // 22050 * 11.087 = 244468.35
}

TEST(Catalogue, FileNamesAreFoundExactlyFirstThenWithoutCase) {
    const AssetFile* upper = FindAssetFile("MuroPiramide.bmp");
    const AssetFile* lower = FindAssetFile("muropiramide.bmp");
    ASSERT_NE(upper, nullptr);
    ASSERT_NE(lower, nullptr);
    EXPECT_NE(upper, lower);
    EXPECT_EQ(upper->Picture->TransparentColor, 0xEAD596u);
    EXPECT_FALSE(lower->Picture->Transparent);
    // Neither spelling: the last of the equal names wins, as in the image lists.
    EXPECT_EQ(FindAssetFile("MUROPIRAMIDE.BMP"), lower);
    ASSERT_NE(FindAssetFile("sparo.WAV"), nullptr);
    EXPECT_EQ(FindAssetFile("sparo.WAV")->FileName, "Sparo.wav");
    // The picture and the sound "Esplosione" differ by extension.
    EXPECT_EQ(FindAssetFile("Esplosione.bmp")->Kind, AssetKind::Bmp);
    EXPECT_EQ(FindAssetFile("Esplosione.wav")->Kind, AssetKind::Wav);
    EXPECT_EQ(FindAssetFile("Sfondo.bmp"), nullptr);  // filled at start-up, no file
    EXPECT_EQ(FindAssetFile("DIBNoMappa.bmp"), nullptr);
    EXPECT_EQ(FindAssetFile("Ominodx0"), nullptr);
    // By picture name: the list entry "Sfondo" has no file, so the screen "SFONDO" answers.
    ASSERT_NE(FindPictureFile("Sfondo"), nullptr);
    EXPECT_EQ(FindPictureFile("Sfondo")->FileName, "SFONDO.jpg");
    EXPECT_EQ(FindPictureFile("mappa")->FileName, "Mappa.bmp");  // never the sound
    EXPECT_EQ(FindPictureFile("MUROMAPPA")->FileName, "muromappa.bmp");
    EXPECT_EQ(FindPictureFile("Ouch"), nullptr);
}

TEST(Catalogue, EveryAssetFileHasOneName) {
    std::set<std::string> names;
    for (const AssetFile& f : AssetFiles()) EXPECT_TRUE(names.insert(f.FileName).second) << f.FileName;
    EXPECT_EQ(AssetFiles().size(), 99u);  // 71 list pictures, 2 fonts, 6 loose pictures, 7 map cells, 13 sounds
}

TEST(Catalogue, LoosePicturesKeepTheirOrderWithTheIconLast) {
    const auto loose = LoosePictures();
    ASSERT_EQ(loose.size(), 6u);
    const std::string_view names[] = {"COPERTINA", "SFONDO", "SFONDO1", "PANNELLO", "NOMAPPA", "Tibo"};
    for (size_t i = 0; i < loose.size(); ++i) EXPECT_EQ(loose[i].Name, names[i]) << i;
    // The program's icon: a 32 x 32 picture in 256 colours, stored as a BMP of
    // its own and in no picture list.
    const LooseEntry& icon = loose[5];
    EXPECT_EQ(icon.Form, LooseForm::Bmp);
    EXPECT_EQ(icon.Width, 32);
    EXPECT_EQ(icon.Height, 32);
    EXPECT_EQ(icon.Depth, 8);
    for (const PictureList& list : PictureLists())
        for (const PictureEntry& e : list.Entries) EXPECT_FALSE(SameTextIgnoringCase(e.Name, "Tibo")) << list.Name;
    const AssetFile* file = FindAssetFile("Tibo.bmp");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Name, "Tibo");
    EXPECT_EQ(file->Group, "Pictures");
    EXPECT_EQ(file->Kind, AssetKind::Bmp);
    EXPECT_EQ(file->Depth, 8);
    EXPECT_EQ(file->Picture, nullptr);
    EXPECT_EQ(FindPictureFile("TIBO"), file);
    // The loose pictures come after the fonts and before the map cells, the icon last of them.
    const auto files = AssetFiles();
    const auto at = [&](std::string_view fileName) {
        return std::find_if(files.begin(), files.end(), [&](const AssetFile& f) { return f.FileName == fileName; }) -
               files.begin();
    };
    EXPECT_EQ(at("COPERTINA.jpg"), at("DIBFontAntico.bmp") + 1);
    EXPECT_EQ(at("Tibo.bmp"), at("NOMAPPA.bmp") + 1);
    EXPECT_EQ(at("muromappa.bmp"), at("Tibo.bmp") + 1);
}

// ---- The embedded files ----

TEST(EmbeddedAssets, EveryCatalogueFileIsEmbeddedOnceInCatalogueOrder) {
    const auto files = EmbeddedFiles();
    ASSERT_EQ(files.size(), AssetFiles().size());
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(files[i].Name, AssetFiles()[i].FileName);
        EXPECT_GT(files[i].Size, 0u);
        EXPECT_EQ(CheckAsset(files[i].Name, {files[i].Data, files[i].Size}), "") << files[i].Name;
    }
}

TEST(EmbeddedAssets, PicturesHaveTheirStoredSizeAndDepth) {
    for (const AssetFile& f : AssetFiles()) {
        if (f.Kind == AssetKind::Wav) continue;
        SCOPED_TRACE(f.FileName);
        const auto bytes = Embedded(f.FileName);
        const TBitmap picture = DecodePicture(bytes);
        EXPECT_EQ(picture.Width, f.Width);
        EXPECT_EQ(picture.Height, f.Height);
        if (f.Kind == AssetKind::Jpeg) {
            EXPECT_TRUE(LooksLikeJpeg(bytes));
            continue;
        }
        BmpInfo info;
        ASSERT_EQ(ReadBmpInfo(bytes, info), "");
        EXPECT_EQ(info.Depth, f.Depth);
        EXPECT_EQ(picture.BitCount, f.Depth);
    }
}

// A transparent picture shows its key around what is meant to be seen, in
// every frame, and nothing meant to be seen turns into the key on the 16-bit screen.
TEST(EmbeddedAssets, TransparentPicturesKeepTheKeyForTheBackgroundOnly) {
    for (const AssetFile& f : AssetFiles()) {
        if (!f.Picture || !f.Picture->Transparent) continue;
        SCOPED_TRACE(f.FileName);
        const TBitmap picture = DecodePicture(Embedded(f.FileName));
        const Rgb key = f.Picture->TransparentColor;
        const int frameWidth = f.Picture->PatternWidth > 0 ? f.Picture->PatternWidth : f.Width;
        for (int frame = 0; frame < f.Picture->Frames(); ++frame) {
            int keyed = 0, shown = 0;
            for (int y = 0; y < picture.Height; ++y)
                for (int x = frame * frameWidth; x < (frame + 1) * frameWidth; ++x) {
                    const TColor c = picture.At(x, y);
                    if (c == key) {
                        ++keyed;
                    } else {
                        ++shown;
                        ASSERT_NE(ToRgb565(c), ToRgb565(key)) << "pixel (" << x << ", " << y << ")";
                    }
                }
            EXPECT_GT(keyed, 0) << "frame " << frame << " has no transparent pixel";
            EXPECT_GT(shown, 0) << "frame " << frame << " shows nothing";
        }
    }
}

TEST(EmbeddedAssets, FramesOfAStripDiffer) {
    for (const AssetFile& f : AssetFiles()) {
        if (!f.Picture || f.Picture->Frames() < 2) continue;
        SCOPED_TRACE(f.FileName);
        const TBitmap picture = DecodePicture(Embedded(f.FileName));
        const int w = f.Picture->PatternWidth;
        for (int a = 0; a + 1 < f.Picture->Frames(); ++a) {
            bool differ = false;
            for (int y = 0; y < picture.Height && !differ; ++y)
                for (int x = 0; x < w && !differ; ++x) differ = picture.At(a * w + x, y) != picture.At((a + 1) * w + x, y);
            EXPECT_TRUE(differ) << "frames " << a << " and " << a + 1 << " are alike";
        }
    }
}

TEST(EmbeddedAssets, MapCellsHoldExactlyTheirPixels) {
    ASSERT_EQ(MapCells().size(), 7u);
    EXPECT_EQ(MapCells()[0].Name, "muromappa");  // the order of the form's fields
    EXPECT_EQ(MapCells()[6].Name, "ominomappa");
    for (const MapCellEntry& cell : MapCells()) {
        const std::string name = std::string(cell.Name) + ".bmp";
        SCOPED_TRACE(name);
        const TBitmap picture = DecodePicture(Embedded(name));
        ASSERT_EQ(picture.Width, 8);
        ASSERT_EQ(picture.Height, 8);
        EXPECT_EQ(picture.BitCount, 4);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                EXPECT_EQ(picture.At(x, y), MapCellColour(cell.Rows[y][static_cast<size_t>(x)])) << x << "," << y;
    }
    const TBitmap hero = DecodePicture(Embedded("ominomappa.bmp"));
    EXPECT_EQ(hero.At(3, 0), 0xC0C0C0u);
    EXPECT_EQ(hero.At(4, 0), 0x808000u);
    EXPECT_EQ(hero.At(2, 3), 0x808080u);
    const TBitmap stars = DecodePicture(Embedded("stellemappa.bmp"));
    EXPECT_EQ(stars.At(5, 1), 0xFFFF00u);
    EXPECT_EQ(stars.At(1, 5), 0x00FFFFu);
}

TEST(EmbeddedAssets, PanelIsSeeThroughOnlyInThePlayWindow) {
    const TBitmap panel = DecodePicture(Embedded("PANNELLO.bmp"));
    ASSERT_EQ(panel.Width, 640);
    ASSERT_EQ(panel.BitCount, 8);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const bool window = x >= 44 && x <= 331 && y >= 82 && y <= 369;
            ASSERT_EQ(ToRgb565(panel.At(x, y)) == ToRgb565(Fuchsia), window) << x << "," << y;
        }
    // The gauges are shown full, the game blacks out what is spent.
    EXPECT_NE(panel.At(495, 86), Black);
    EXPECT_NE(panel.At(547, 245), Black);
}

// The icon is seen on desktops of any colour and shrunk to 16 x 16: a picture
// in many colours, square corners of one plain colour around a shape that
// differs from them, and drawn to its edges rather than a speck in the middle.
TEST(EmbeddedAssets, IconIsAColourfulPictureInARoundedShape) {
    const auto bytes = Embedded("Tibo.bmp");
    BmpInfo info;
    ASSERT_EQ(ReadBmpInfo(bytes, info), "");
    EXPECT_EQ(info.Depth, 8);
    const TBitmap icon = DecodePicture(bytes);
    ASSERT_EQ(icon.Width, 32);
    ASSERT_EQ(icon.Height, 32);
    const std::set<TColor> colours(icon.Pixels.begin(), icon.Pixels.end());
    EXPECT_GE(colours.size(), 12u);
    const TColor corner = icon.At(0, 0);
    EXPECT_EQ(icon.At(31, 0), corner);
    EXPECT_EQ(icon.At(0, 31), corner);
    EXPECT_EQ(icon.At(31, 31), corner);
    int cornerColoured = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) cornerColoured += icon.At(x, y) == corner;
    EXPECT_LT(cornerColoured, 256);  // only what lies outside a round or rounded shape
    for (int i = 12; i < 20; ++i) {
        EXPECT_NE(icon.At(i, 0), corner) << "top edge " << i;
        EXPECT_NE(icon.At(0, i), corner) << "left edge " << i;
        EXPECT_NE(icon.At(i, 31), corner) << "bottom edge " << i;
        EXPECT_NE(icon.At(31, i), corner) << "right edge " << i;
    }
    for (int i = 4; i < 28; ++i) EXPECT_NE(icon.At(i, 16), corner) << "middle row " << i;
}

// Ink of a font cell: pixels that are not black.
int Ink(const TBitmap& font, int x0, int y0, int w, int h) {
    int ink = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) ink += font.At(x, y) != Black;
    return ink;
}

TEST(EmbeddedAssets, TextFontHasAGlyphForEveryCharacterButTheEmptyCells) {
    const TBitmap font = DecodePicture(Embedded("DIBFontAntico.bmp"));
    ASSERT_EQ(font.Width, 320);
    ASSERT_EQ(font.Height, 48);
    const std::string empty = " #$%&*/<=>@";
    std::set<std::vector<TColor>> glyphs;
    for (int cell = 0; cell < 60; ++cell) {
        const char c = static_cast<char>(32 + cell);
        const int x0 = 16 * (cell % 20), y0 = 16 * (cell / 20);
        const int ink = Ink(font, x0, y0, 16, 16);
        if (cell == 59 || empty.find(c) != std::string::npos) {
            EXPECT_EQ(ink, 0) << "cell of '" << c << "'";
            continue;
        }
        EXPECT_GT(ink, 8) << "cell of '" << c << "'";
        std::vector<TColor> pixels;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) pixels.push_back(font.At(x0 + x, y0 + y));
        EXPECT_TRUE(glyphs.insert(pixels).second) << "'" << c << "' looks like another glyph";
        for (TColor p : pixels) ASSERT_TRUE(p == Black || ToRgb565(p) != 0) << "ink of '" << c << "' turns transparent";
    }
}

TEST(EmbeddedAssets, DigitFontHasTenDistinctDigits) {
    const TBitmap digits = DecodePicture(Embedded("Cifre.bmp"));
    ASSERT_EQ(digits.Width, 120);
    ASSERT_EQ(digits.Height, 12);
    std::set<std::vector<TColor>> seen;
    for (int d = 0; d < 10; ++d) {
        EXPECT_GT(Ink(digits, 12 * d, 0, 12, 12), 8) << d;
        std::vector<TColor> pixels;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x) pixels.push_back(digits.At(12 * d + x, y));
        EXPECT_TRUE(seen.insert(pixels).second) << d;
    }
}

TEST(EmbeddedAssets, FullScreenPicturesAreColourJpegs) {
    for (const char* name : {"COPERTINA.jpg", "SFONDO.jpg", "SFONDO1.jpg"}) {
        SCOPED_TRACE(name);
        const TBitmap picture = DecodePicture(Embedded(name));
        ASSERT_EQ(picture.Width, 640);
        ASSERT_EQ(picture.Height, 480);
        const bool coloured = std::any_of(picture.Pixels.begin(), picture.Pixels.end(), [](TColor c) {
            const int r = static_cast<int>(c >> 16), g = static_cast<int>((c >> 8) & 0xFF), b = static_cast<int>(c & 0xFF);
            return std::abs(r - g) > 40 || std::abs(g - b) > 40;
        });
        EXPECT_TRUE(coloured);
    }
}

TEST(EmbeddedAssets, SoundsHaveTheirFormatAndLengthAndDoNotClip) {
    for (const SoundEntry& s : Sounds()) {
        const std::string name = std::string(s.Name) + ".wav";
        SCOPED_TRACE(name);
        const auto bytes = Embedded(name);
        WavInfo info;
        ASSERT_EQ(ReadWavInfo(bytes, info), "");
        EXPECT_EQ(info.Format.SamplesPerSec, static_cast<uint32_t>(s.Rate));
        EXPECT_EQ(info.Format.BitsPerSample, s.Bits);
        EXPECT_EQ(info.Format.Channels, s.Channels);
        EXPECT_EQ(info.Frames, s.Frames());
        int peak = 0;
        for (size_t i = info.DataOffset; i < info.DataOffset + info.DataSize; i += static_cast<size_t>(s.Bits / 8)) {
            const int v = s.Bits == 8 ? bytes[i] - 128 : static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8) / 256;
            peak = std::max(peak, std::abs(v));
        }
        EXPECT_GT(peak, 10) << "silent";
        EXPECT_LT(peak, 120) << "too loud";
    }
}

// ---- The file formats and the generator's readers ----

TEST(Formats, FourBitBitmapsOfOddWidthRoundTrip) {
    // 105 pixels: an odd number of nibbles and padded rows, as NOMAPPA.
    const std::vector<Rgb> palette{0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x123456};
    std::vector<uint8_t> indices(105 * 3);
    for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint8_t>(i * 7 % palette.size());
    const std::vector<uint8_t> file = EncodeIndexedBmp(105, 3, 4, palette, indices);
    BmpInfo info;
    ASSERT_EQ(ReadBmpInfo(file, info), "");
    EXPECT_EQ(info.Depth, 4);
    const TBitmap back = DecodePicture(file);
    ASSERT_EQ(back.Width, 105);
    ASSERT_EQ(back.Height, 3);
    for (size_t i = 0; i < indices.size(); ++i) ASSERT_EQ(back.Pixels[i], palette[indices[i]]) << i;
}

TEST(Formats, EightBitBitmapsKeepTheirColoursAndRefuseTooMany) {
    TBitmap picture;
    picture.Resize(17, 2);
    for (size_t i = 0; i < picture.Pixels.size(); ++i) picture.Pixels[i] = static_cast<TColor>(i * 0x0A0B0C) & 0xFFFFFF;
    const TBitmap back = DecodePicture(EncodeIndexedBmp(picture, 8));
    EXPECT_EQ(back.BitCount, 8);
    EXPECT_EQ(back.Pixels, picture.Pixels);
    EXPECT_THROW(EncodeIndexedBmp(picture, 4), std::invalid_argument);  // 34 colours
}

TEST(Formats, BitmapHeadersThatLieAreCaught) {
    const std::vector<Rgb> palette{0, 0xFFFFFF};
    std::vector<uint8_t> file = EncodeIndexedBmp(32, 32, 4, palette, std::vector<uint8_t>(32 * 32, 1));
    BmpInfo info;
    std::vector<uint8_t> cut(file.begin(), file.end() - 10);
    EXPECT_EQ(ReadBmpInfo(cut, info), "BMP file is truncated");
    file[28] = 3;  // 3 bits a pixel
    EXPECT_NE(ReadBmpInfo(file, info), "");
    EXPECT_EQ(ReadBmpInfo(std::vector<uint8_t>{'G', 'I', 'F', '8'}, info), "not a BMP file");
}

TEST(Formats, WavesRoundTripAndDamageIsCaught) {
    std::vector<uint8_t> samples(4 * 101, 7);  // 101 stereo 16-bit frames
    const std::vector<uint8_t> file = EncodeWav({22050, 16, 2}, samples);
    WavInfo info;
    ASSERT_EQ(ReadWavInfo(file, info), "");
    EXPECT_EQ(info.Format.SamplesPerSec, 22050u);
    EXPECT_EQ(info.Format.BitsPerSample, 16);
    EXPECT_EQ(info.Format.Channels, 2);
    EXPECT_EQ(info.Frames, 101);
    std::vector<uint8_t> cut(file.begin(), file.end() - 4);
    EXPECT_EQ(ReadWavInfo(cut, info), "WAVE file is truncated");
    std::vector<uint8_t> compressed = file;
    compressed[20] = 2;  // ADPCM
    EXPECT_EQ(ReadWavInfo(compressed, info), "WAVE file is not uncompressed PCM");
    // Channels and bits so large that their product overflows an int: refused
    // as damage, not multiplied past the range.
    std::vector<uint8_t> huge = file;
    huge[22] = 0x01, huge[23] = 0xB8;  // 47105 channels
    huge[34] = 0xB8, huge[35] = 0xB8;  // 47288 bits a sample
    EXPECT_EQ(ReadWavInfo(huge, info), "WAVE format chunk is damaged");
    huge[22] = 0xFF, huge[23] = 0xFF;  // 65535 of each
    huge[34] = 0xF8, huge[35] = 0xFF;
    EXPECT_EQ(ReadWavInfo(huge, info), "WAVE format chunk is damaged");
    // An odd-sized 8-bit sound is padded to an even chunk and still reads whole.
    const std::vector<uint8_t> odd = EncodeWav({11025, 8, 1}, std::vector<uint8_t>(5, 128));
    ASSERT_EQ(ReadWavInfo(odd, info), "");
    EXPECT_EQ(info.Frames, 5);
    EXPECT_EQ(odd.size() % 2, 0u);
}

TEST(PixelArtSource, ReadsPaletteAndRows) {
    const PixelArt art = ParsePixelArt(
        "# a comment\npalette\n. #000000\na #FF8000\npixels\n.a.\n# inside the rows\naa.\n", "t.pix");
    ASSERT_EQ(art.Width, 3);
    ASSERT_EQ(art.Height, 2);
    EXPECT_EQ(art.At(1, 0), 0xFF8000u);
    EXPECT_EQ(art.At(2, 1), 0x000000u);
    const PixelArt wide = ParsePixelArt("palette\n.. #000000\nA1 #010203\npixels\n..A1\n", "w.pix");
    EXPECT_EQ(wide.Width, 2);
    EXPECT_EQ(wide.At(1, 0), 0x010203u);
}

TEST(PixelArtSource, FaultsNameTheFileAndLine) {
    const auto fault = [](const std::string& text) {
        try {
            ParsePixelArt(text, "x.pix");
        } catch (const std::runtime_error& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ(fault("palette\n. #000000\npixels\n..\n.b\n"), "x.pix:5: pixel 'b' is not in the palette");
    EXPECT_EQ(fault("palette\n. #000000\npixels\n..\n...\n"), "x.pix:5: row of 3 pixels, the first row has 2");
    EXPECT_EQ(fault("palette\n. #00000\npixels\n."), "x.pix:2: bad colour '#00000', expected #RRGGBB");
    EXPECT_EQ(fault("palette\n. #000000\n. #FFFFFF\npixels\n."), "x.pix:3: palette key '.' appears twice");
    EXPECT_EQ(fault("palette\n. #000000\npixels\n"), "x.pix: no pixel rows");
}

TEST(SoundRecipeSource, RendersExactlyTheCataloguedLength) {
    const SoundEntry sound{"T", 11025, 8, 1, 0.151};
    const std::vector<uint8_t> samples = RenderSoundRecipe("sine 0 0.151 440 440 0.5 flat\n", sound, "t.snd");
    ASSERT_EQ(samples.size(), 1665u);
    const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
    EXPECT_NEAR(*high, 128 + 64, 2);
    EXPECT_NEAR(*low, 128 - 64, 2);
}

TEST(SoundRecipeSource, PansStereoVoicesAndWritesSixteenBitLittleEndian) {
    const SoundEntry sound{"T", 22050, 16, 2, 0.1};
    const std::vector<uint8_t> s = RenderSoundRecipe("square 0 0.1 100 100 0.5 flat -1\n", sound, "t.snd");
    ASSERT_EQ(s.size(), 2205u * 4);
    int left = 0, right = 0;
    for (size_t i = 0; i < s.size(); i += 4) {
        left = std::max(left, std::abs(static_cast<int16_t>(s[i] | s[i + 1] << 8)));
        right = std::max(right, std::abs(static_cast<int16_t>(s[i + 2] | s[i + 3] << 8)));
    }
    EXPECT_NEAR(left, 16384, 2);
    EXPECT_EQ(right, 0);
}

TEST(SoundRecipeSource, RefusesVoicesPastTheEndAndMixesThatClip) {
    const SoundEntry sound{"T", 11025, 8, 1, 0.2};
    const auto fault = [&](const std::string& text) {
        try {
            RenderSoundRecipe(text, sound, "x.snd");
        } catch (const std::runtime_error& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    EXPECT_NE(fault("sine 0.1 0.2 440 440 0.3 flat\n").find("x.snd:1: the voice ends at"), std::string::npos);
    EXPECT_NE(fault("square 0 0.2 440 440 0.6 flat\nsquare 0 0.2 440 440 0.6 flat\n").find("would clip"),
              std::string::npos);
    EXPECT_EQ(fault("notes sine 0 0.05 0.3 flat C4 H4\n"), "x.snd:1: unknown note 'H4'");
    EXPECT_EQ(fault("sine 0 0.1 440 440 0.3 flat 0.5\n"), "x.snd:1: pan needs a stereo sound");
    EXPECT_EQ(fault("# nothing\n"), "x.snd: the recipe plays nothing");
    EXPECT_EQ(fault("notes sine 0 0.05 0.3 flat C4 - A4*2\n"), "accepted");
}

TEST(SoundRecipeSource, NotesHaveTheirPitch) {
    // A4 held for the whole sound: 440 cycles a second, counted by rising zero crossings.
    const SoundEntry sound{"T", 22050, 16, 1, 1.0};
    const std::vector<uint8_t> s = RenderSoundRecipe("notes sine 0 1.0 0.5 flat A4\n", sound, "t.snd");
    int crossings = 0;
    int16_t previous = 0;
    for (size_t i = 0; i < s.size(); i += 2) {
        const auto v = static_cast<int16_t>(s[i] | s[i + 1] << 8);
        if (previous < 0 && v >= 0) ++crossings;
        previous = v;
    }
    EXPECT_NEAR(crossings, 440, 2);
}

TEST(EmbedSource, EscapesEveryByteSafely) {
    std::vector<uint8_t> all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<uint8_t>(b));
    all.push_back('0');  // a digit right after an escape
    const std::string source = EmbeddedSource({{"A.bin", all}});
    // Decode the literal back the way a compiler reads it.
    const size_t begin = source.find("File0[] =");
    const size_t end = source.find(";\n", begin);
    ASSERT_NE(begin, std::string::npos);
    std::vector<uint8_t> decoded;
    bool inside = false;
    for (size_t i = source.find('\n', begin); i < end; ++i) {
        const char c = source[i];
        if (!inside) {
            inside = c == '"';
            continue;
        }
        if (c == '"') {
            inside = false;
        } else if (c == '\\') {
            ASSERT_TRUE(source[i + 1] >= '0' && source[i + 1] <= '3');
            decoded.push_back(static_cast<uint8_t>((source[i + 1] - '0') * 64 + (source[i + 2] - '0') * 8 + (source[i + 3] - '0')));
            i += 3;
        } else {
            ASSERT_NE(c, '?');
            decoded.push_back(static_cast<uint8_t>(c));
        }
    }
    EXPECT_EQ(decoded, all);
    EXPECT_NE(source.find("{\"A.bin\", File0, 257}"), std::string::npos);
}

// ---- The small font ----

TEST(MiniFont, WidthAndLowerCase) {
    EXPECT_EQ(MiniTextWidth(""), 0);
    EXPECT_EQ(MiniTextWidth("A"), 5);
    EXPECT_EQ(MiniTextWidth("ABC"), 17);
    EXPECT_EQ(MiniGlyph('q'), MiniGlyph('Q'));
    EXPECT_EQ(MiniGlyph('~'), nullptr);
    for (char c : std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.,:;!?%-+()/'\"#="))
        EXPECT_NE(MiniGlyph(c), nullptr) << c;
}

TEST(MiniFont, DrawsInsideItsCellsAndSkipsUnknownCharacters) {
    TBitmap b;
    b.Resize(40, 20, 0);
    DrawMiniText(b, 2, 3, "I~I", 0xFFFFFF, 1);
    int ink = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            if (b.At(x, y)) {
                ++ink;
                EXPECT_TRUE(y >= 3 && y < 10) << x << "," << y;
                EXPECT_TRUE((x >= 2 && x < 7) || (x >= 14 && x < 19)) << x << "," << y;  // the ~ only advances
            }
    EXPECT_EQ(ink, 2 * 11);  // "I" has 11 pixels
    TBitmap big;
    big.Resize(20, 20, 0);
    // Clipped at the left edge: the top row's columns 1..3 cover x -1..4 at scale 2.
    DrawMiniText(big, -3, 0, "I", 0xFFFFFF, 2);
    EXPECT_EQ(big.At(0, 0), 0xFFFFFFu);
    EXPECT_EQ(big.At(4, 1), 0xFFFFFFu);
    EXPECT_EQ(big.At(5, 0), 0u);
}

}  // namespace
}  // namespace tibo::assets
