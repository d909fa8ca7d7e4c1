#include "assets/Catalogue.h"

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace tibo::assets {
namespace {

constexpr Rgb Sand = 0xEAD596;       // the key of the pyramid's facing stones
constexpr Rgb NightBlue = 0x000063;  // the key of the lit background

// A single-frame picture, transparent on black.
constexpr PictureEntry Sprite(std::string_view name, int w, int h, int depth) {
    return {name, w, h, depth, 0, 0, true, Black, false};
}
// A row of 32 x 32 frames, transparent on black.
constexpr PictureEntry Strip(std::string_view name, int frames, int depth) {
    return {name, 32 * frames, 32, depth, 32, 32, true, Black, false};
}
// One 32 x 32 maze cell picture, 16 colours.
constexpr PictureEntry Cell(std::string_view name, bool transparent, Rgb key) {
    return {name, 32, 32, 4, 0, 0, transparent, key, false};
}

// The hero. Index order is fixed.
constexpr std::array<PictureEntry, 10> SpriteTibo{{
    Sprite("Ominodx0", 32, 32, 4),
    Sprite("Ominodx1", 32, 32, 4),
    Sprite("Ominosx0", 32, 32, 4),
    Sprite("Ominosx1", 32, 32, 4),
    Sprite("Omcodx0", 32, 32, 4),
    Sprite("Omcodx1", 32, 32, 4),
    Sprite("Omcosx0", 32, 32, 4),
    Sprite("Omcosx1", 32, 32, 4),
    Sprite("Croce", 32, 32, 8),
    Strip("Vittoria", 8, 8),
}};

// The maze cells. The maze drawing reaches some of them by index, so the order
// is fixed.
constexpr std::array<PictureEntry, 33> ComponentiLabirinto{{
    Cell("bordo", false, Fuchsia),            //  0
    Cell("USCITA", true, Black),              //  1
    Cell("Cordai", true, Black),              //  2
    Cell("CORDA", true, Black),               //  3
    Cell("CORDAF", true, Black),              //  4
    Cell("muro", false, Silver),              //  5
    Cell("MuroRaccDx", true, Black),          //  6
    Cell("MuroRaccSx", true, Black),          //  7
    Cell("MuroPiramide", true, Sand),         //  8
    Cell("MuroRotto", true, Black),           //  9
    Cell("MuroRottoPiramide", true, Black),   // 10
    Cell("muropiramide", false, Fuchsia),     // 11
    Cell("STELLE1", true, Black),             // 12
    Cell("STELLE2", true, Black),             // 13
    Cell("STELLE3", true, Black),             // 14
    Cell("energia", true, Black),             // 15
    Cell("Mappa", true, Black),               // 16
    Cell("premio1", true, Black),             // 17
    Cell("premio2", true, Black),             // 18
    Cell("premio3", true, Black),             // 19
    Cell("Bombe", true, Black),               // 20
    Cell("Tesoro", true, Black),              // 21
    Cell("Bonus100", true, Black),            // 22
    Cell("Bonus150", true, Black),            // 23
    Cell("Bonus200", true, Black),            // 24
    Cell("Bonus250", true, Black),            // 25
    Cell("Bonus300", true, Black),            // 26
    Cell("Bonus350", true, Black),            // 27
    Cell("Bonus400", true, Black),            // 28
    Cell("Bonus450", true, Black),            // 29
    Cell("Bonus500", true, Black),            // 30
    Cell("Illuminato", false, NightBlue),     // 31
    Cell("Torcia", true, Black),              // 32
}};

constexpr std::array<PictureEntry, 21> Nemici{{
    Sprite("ragno", 32, 32, 4),
    Sprite("vermedx", 32, 32, 4),
    Sprite("vermesx", 32, 32, 4),
    Sprite("porcospinodx", 32, 32, 4),
    Sprite("porcospinosx", 32, 32, 4),
    Sprite("Mummiadx0", 32, 32, 4),
    Sprite("Mummiadx1", 32, 32, 4),
    Sprite("Mummiadxcade", 32, 32, 4),
    Sprite("Mummiasx0", 32, 32, 4),
    Sprite("Mummiasx1", 32, 32, 4),
    Sprite("Mummiasxcade", 32, 32, 4),
    Sprite("fantasmadx", 32, 32, 4),
    Sprite("fantasmasx", 32, 32, 4),
    Strip("Pipistrello", 4, 8),
    Strip("UccellaccioDx", 2, 8),
    Strip("UccellaccioSx", 2, 8),
    Strip("MostroTondoSx", 2, 8),
    Strip("MostroTondoDx", 2, 8),
    Strip("MostroDx", 4, 8),
    Strip("MostroSx", 4, 8),
    Strip("Gocce", 13, 4),
}};

constexpr std::array<PictureEntry, 8> Sfondo{{
    // The play panel: empty here, filled from "PANNELLO" at start-up.
    {"Sfondo", 640, 480, 8, 0, 0, true, Fuchsia, true},
    Strip("Esplosione", 5, 8),
    Strip("EsplosioneBomba", 11, 8),
    Sprite("ProiettileDx", 32, 32, 4),
    Sprite("ProiettileSx", 32, 32, 4),
    // The sky strip above the mine is drawn without transparency.
    {"UscitaStelle", 32, 160, 8, 0, 0, false, Black, false},
    {"Selezione", 144, 48, 4, 48, 48, true, Black, false},
    Sprite("Brevanti", 200, 100, 8),
}};

constexpr std::array<PictureList, 4> Lists{{
    {"SpriteTibo", SpriteTibo},
    {"ComponentiLabirinto", ComponentiLabirinto},
    {"Nemici", Nemici},
    {"Sfondo", Sfondo},
}};

// Mono unless said otherwise; uncompressed PCM.
constexpr std::array<SoundEntry, 13> Suoni{{
    {"Ouch", 11025, 8, 1, 0.151},
    {"Passo1", 11025, 8, 1, 0.318},
    {"Passo2", 11025, 8, 1, 0.399},
    {"GameOver", 22050, 8, 1, 8.382},
    {"Sparo", 22050, 16, 1, 1.278},
    {"Esplosione", 11025, 8, 1, 0.779},
    {"Salto", 22050, 16, 1, 0.085},
    {"Fantasma", 11025, 8, 1, 1.420},
    {"Tesoro", 22050, 8, 1, 0.038},
    {"MostroKilled", 11025, 8, 1, 0.169},
    {"Vinto", 22050, 8, 1, 11.087},
    {"Mappa", 11025, 8, 1, 1.192},
    {"BonusColpiBombe", 22050, 16, 2, 1.085},
}};

constexpr std::array<FontEntry, 3> FontList{{
    {"Cifre", 120, 12, 4, false},
    {"DIBFontAntico", 320, 48, 4, false},
    {"DIBNoMappa", 105, 160, 4, true},
}};

constexpr std::array<LooseEntry, 6> Loose{{
    {"COPERTINA", LooseForm::Jpeg, 640, 480, 24},
    {"SFONDO", LooseForm::Jpeg, 640, 480, 24},
    {"SFONDO1", LooseForm::Jpeg, 640, 480, 24},
    {"PANNELLO", LooseForm::Bmp, 640, 480, 8},
    {"NOMAPPA", LooseForm::Bmp, 105, 160, 4},
    {"Tibo", LooseForm::Bmp, 32, 32, 8},  // the program's window icon
}};

// In the order of the form's mini-map fields: wall, slope left, slope right,
// empty, border, stars, hero.
constexpr std::array<MapCellEntry, 7> Cells{{
    {"muromappa", {"SSSSSSSS", "SSSSSSSS", "SSSSSSSS", "SSSSSSSS",
                   "SSSSSSSS", "SSSSSSSS", "SSSSSSSS", "SSSSSSSS"}},
    {"muroraccsxmappa", {"........", ".......S", "......SS", ".....SSS",
                         "....SSSS", "...SSSSS", "..SSSSSS", ".SSSSSSS"}},
    {"muroraccdxmappa", {"........", "S.......", "SS......", "SSS.....",
                         "SSSS....", "SSSSS...", "SSSSSS..", "SSSSSSS."}},
    {"vuotomappa", {"........", "........", "........", "........",
                    "........", "........", "........", "........"}},
    {"bordomappa", {"GGGGGGGG", "GGGGGGGG", "GGGGGGGG", "GGGGGGGG",
                    "GGGGGGGG", "GGGGGGGG", "GGGGGGGG", "GGGGGGGG"}},
    {"stellemappa", {"........", ".....Y..", "........", "........",
                     "........", ".C......", "........", "........"}},
    {"ominomappa", {"...SOS..", "...OOO..", "....O...", "..GGGGG.",
                    ".O.GGG.O", "...GGG..", "...G.G..", "..SS.SS."}},
}};

std::vector<AssetFile> BuildAssetFiles() {
    std::vector<AssetFile> files;
    const std::string bmp(PictureExtension());
    for (const PictureList& list : Lists) {
        for (const PictureEntry& e : list.Entries) {
            if (e.FilledAtStartup) continue;
            AssetFile f{std::string(e.Name) + bmp, e.Name, list.Name, AssetKind::Bmp};
            f.Width = e.Width;
            f.Height = e.Height;
            f.Depth = e.Depth;
            f.Picture = &e;
            files.push_back(f);
        }
    }
    for (const FontEntry& e : FontList) {
        if (e.FilledAtStartup) continue;
        AssetFile f{std::string(e.Name) + bmp, e.Name, "Fonts", AssetKind::Bmp};
        f.Width = e.Width;
        f.Height = e.Height;
        f.Depth = e.Depth;
        files.push_back(f);
    }
    for (const LooseEntry& e : Loose) {
        const bool jpeg = e.Form == LooseForm::Jpeg;
        AssetFile f{std::string(e.Name) + std::string(jpeg ? JpegExtension() : PictureExtension()), e.Name,
                    "Pictures", jpeg ? AssetKind::Jpeg : AssetKind::Bmp};
        f.Width = e.Width;
        f.Height = e.Height;
        f.Depth = e.Depth;
        files.push_back(f);
    }
    for (const MapCellEntry& e : Cells) {
        AssetFile f{std::string(e.Name) + bmp, e.Name, "MapCells", AssetKind::Bmp};
        f.Width = 8;
        f.Height = 8;
        f.Depth = 4;
        f.MapCell = &e;
        files.push_back(f);
    }
    for (const SoundEntry& e : Suoni) {
        AssetFile f{std::string(e.Name) + std::string(SoundExtension()), e.Name, "Suoni", AssetKind::Wav};
        f.Sound = &e;
        files.push_back(f);
    }
    return files;
}

template <typename Key>
const AssetFile* FindBy(std::string_view wanted, Key key, bool picturesOnly) {
    const AssetFile* folded = nullptr;
    for (const AssetFile& f : AssetFiles()) {
        if (picturesOnly && f.Kind == AssetKind::Wav) continue;
        const std::string_view k = key(f);
        if (k == wanted) return &f;
        if (SameTextIgnoringCase(k, wanted)) folded = &f;  // the last one wins
    }
    return folded;
}

}  // namespace

Rgb MapCellColour(char c) {
    switch (c) {
        case 'S': return 0xC0C0C0;
        case 'G': return 0x808080;
        case 'O': return 0x808000;
        case 'Y': return 0xFFFF00;
        case 'C': return 0x00FFFF;
        case '.': return 0x000000;
        default: throw std::invalid_argument(std::string("no map cell colour for '") + c + "'");
    }
}

std::span<const PictureList> PictureLists() { return Lists; }

const PictureList& FindPictureList(std::string_view name) {
    for (const PictureList& list : Lists)
        if (SameTextIgnoringCase(list.Name, name)) return list;
    throw std::invalid_argument("no picture list '" + std::string(name) + "'");
}

std::span<const SoundEntry> Sounds() { return Suoni; }
std::span<const FontEntry> Fonts() { return FontList; }
std::span<const LooseEntry> LoosePictures() { return Loose; }
std::span<const MapCellEntry> MapCells() { return Cells; }

std::string_view PictureExtension() { return ".bmp"; }
std::string_view SoundExtension() { return ".wav"; }
std::string_view JpegExtension() { return ".jpg"; }

std::span<const AssetFile> AssetFiles() {
    static const std::vector<AssetFile> files = BuildAssetFiles();
    return files;
}

const AssetFile* FindAssetFile(std::string_view fileName) {
    return FindBy(fileName, [](const AssetFile& f) { return std::string_view(f.FileName); }, false);
}

const AssetFile* FindPictureFile(std::string_view name) {
    return FindBy(name, [](const AssetFile& f) { return f.Name; }, true);
}

}  // namespace tibo::assets
