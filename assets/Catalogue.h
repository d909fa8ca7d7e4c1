#pragma once
// Every picture, font, map cell and sound of the game, by name, with the sizes,
// frame layouts, transparency and formats the drawing and sound code rely on.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "framework/Names.h"

namespace tibo::assets {

using Rgb = uint32_t;  // 0xRRGGBB
inline constexpr Rgb Black = 0x000000, Fuchsia = 0xFF00FF, Silver = 0xC0C0C0;

// One item of a picture list.
struct PictureEntry {
    std::string_view Name;
    int Width, Height;          // the whole picture
    int Depth;                  // bits per pixel of the stored bitmap: 4 or 8
    int PatternWidth, PatternHeight;  // 0, 0: the whole picture is one frame
    bool Transparent;
    Rgb TransparentColor;
    bool FilledAtStartup;       // empty in the list, filled by the game (Sfondo item 0)
    int Frames() const {
        return PatternWidth > 0 ? (Width / PatternWidth) * (Height / PatternHeight) : 1;
    }
};

struct PictureList {
    std::string_view Name;      // "SpriteTibo", "ComponentiLabirinto", "Nemici", "Sfondo"
    std::span<const PictureEntry> Entries;
};

struct SoundEntry {
    std::string_view Name;
    int Rate;                   // samples per second
    int Bits;                   // 8 or 16
    int Channels;               // 1 or 2
    double Seconds;             // length
    int Frames() const { return static_cast<int>(Rate * Seconds + 0.5); }
};

// The three font-like stored bitmaps.
struct FontEntry {
    std::string_view Name;      // "Cifre", "DIBFontAntico", "DIBNoMappa"
    int Width, Height, Depth;
    bool FilledAtStartup;       // DIBNoMappa: filled from "NOMAPPA"
};

enum class LooseForm { Jpeg, Bmp };
struct LooseEntry {
    std::string_view Name;      // "COPERTINA", "SFONDO", "SFONDO1", "PANNELLO", "NOMAPPA", "Tibo" (the icon)
    LooseForm Form;
    int Width, Height;
    int Depth;                  // 24 for JPEG, 8 or 4 for BMP
};

// An 8 x 8 map cell with its exact pixels: rows top to bottom, one character a pixel.
struct MapCellEntry {
    std::string_view Name;
    std::string_view Rows[8];
};
// The colours of the map cells' characters.
Rgb MapCellColour(char c);

std::span<const PictureList> PictureLists();   // SpriteTibo, ComponentiLabirinto, Nemici, Sfondo
const PictureList& FindPictureList(std::string_view name);
std::span<const SoundEntry> Sounds();           // the list Suoni, in index order
std::span<const FontEntry> Fonts();
std::span<const LooseEntry> LoosePictures();
std::span<const MapCellEntry> MapCells();       // in the order of the form's mini-map fields

// The file name under which an asset is embedded and exported: "Ominodx0.bmp",
// "COPERTINA.jpg", "Sparo.wav", ...
std::string_view PictureExtension();  // ".bmp"
std::string_view SoundExtension();    // ".wav"
std::string_view JpegExtension();     // ".jpg"

// Every asset that is stored as a file, in embedding order: the four picture
// lists in index order (without the entries filled at start-up), the fonts,
// the loose pictures, the map cells and the sounds.
enum class AssetKind { Bmp, Jpeg, Wav };
struct AssetFile {
    std::string FileName;       // "Ominodx0.bmp"
    std::string_view Name;      // "Ominodx0"
    std::string_view Group;     // "SpriteTibo", ..., "Fonts", "Pictures", "MapCells", "Suoni"
    AssetKind Kind;
    int Width = 0, Height = 0, Depth = 0;    // pictures
    const PictureEntry* Picture = nullptr;   // items of a picture list
    const MapCellEntry* MapCell = nullptr;   // map cells
    const SoundEntry* Sound = nullptr;       // sounds
};
std::span<const AssetFile> AssetFiles();
// By file name: the exact name first, otherwise without regard to case, the
// last of equal names winning; nullptr when the name is not an asset's.
const AssetFile* FindAssetFile(std::string_view fileName);
// A picture asset by its name without extension ("Cifre", "PANNELLO",
// "muromappa", "COPERTINA"), with the same rule; nullptr when there is none.
const AssetFile* FindPictureFile(std::string_view name);
using tibo::SameTextIgnoringCase;

}  // namespace tibo::assets
