// tibo_assetgen: turns the editable sources of the game's pictures and sounds
// into the files the game carries (palette BMPs, JPEGs, PCM WAVs) and into the
// C++ source that embeds them.
//
//   tibo_assetgen --sources <assets dir> --out <files dir> --embed <EmbeddedAssets.cpp>
//   tibo_assetgen --sources <assets dir> --icons <dir>
//
// The second form draws the desktop's icons from the window icon Tibo
// (Icons.h): <dir>/<size>/tibo.png for the sizes 32, 48, 64, 128 and 256.
//
// Sources, under the assets folder:
//   art/<list>/<Name>.pix   the items of the picture lists (PixelArt.h)
//   art/Fonts/<Name>.pix    the digit and text fonts
//   art/Pictures/<Name>.pix the loose pictures in pixel art: NOMAPPA and the icon Tibo
//   sounds/<Name>.snd       sound recipes (SoundRecipe.h)
// The panel and the three full-screen JPEGs are drawn by Scenes.cpp; the map
// cells are the exact pixels of the catalogue.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "assets/Catalogue.h"
#include "assets/generator/Embed.h"
#include "assets/generator/Encoders.h"
#include "assets/generator/Icons.h"
#include "assets/generator/PixelArt.h"
#include "assets/generator/Scenes.h"
#include "assets/generator/SoundRecipe.h"
#include "framework/Bitmap.h"
#include "framework/ImageCodec.h"

namespace fs = std::filesystem;
using namespace tibo;
using namespace tibo::assets;

namespace {

constexpr int JpegQuality = 90;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(path.string() + ": cannot be read");
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteBytes(const fs::path& path, const std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error(path.string() + ": cannot be written");
}

std::string HexColour(Rgb c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%06X", c & 0xFFFFFFu);
    return buf;
}

// On screen a colour is its RGB565 value: a pixel meant to be seen must not
// turn into the transparent colour there.
void CheckKey(const std::string& where, int width, int height, Rgb key, auto pixelAt) {
    const uint16_t screenKey = ToRgb565(key);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb c = pixelAt(x, y);
            if (c != key && ToRgb565(c) == screenKey)
                throw std::runtime_error(where + ": the colour " + HexColour(c) + " at (" + std::to_string(x) + ", " +
                                         std::to_string(y) + ") shows as the transparent colour " + HexColour(key) +
                                         " on screen");
        }
}

class Generator {
public:
    explicit Generator(fs::path sources) : Sources_(std::move(sources)) {}

    std::vector<NamedBytes> Run() {
        std::vector<NamedBytes> files;
        for (const AssetFile& f : AssetFiles()) files.push_back({f.FileName, Make(f)});
        CheckNoStraySources();
        return files;
    }

private:
    std::vector<uint8_t> Make(const AssetFile& f) {
        if (f.Kind == AssetKind::Wav) return MakeSound(f);
        if (f.MapCell) return MakeMapCell(*f.MapCell);
        if (f.Name == "PANNELLO") return MakePanel(f);
        if (f.Kind == AssetKind::Jpeg) {
            const TBitmap picture = DrawScene(f.Name);
            if (picture.Width != f.Width || picture.Height != f.Height)
                throw std::runtime_error(std::string(f.Name) + ": the drawing has the wrong size");
            return EncodeJpeg(picture, JpegQuality);
        }
        return MakePixelArt(f);
    }

    std::string Read(const fs::path& relative) {
        Read_.insert(fs::weakly_canonical(Sources_ / relative));
        return ReadText(Sources_ / relative);
    }

    std::vector<uint8_t> MakePixelArt(const AssetFile& f) {
        const fs::path relative = fs::path("art") / std::string(f.Group) / (std::string(f.Name) + ".pix");
        const std::string where = relative.string();
        const PixelArt art = ParsePixelArt(Read(relative), where);
        if (art.Width != f.Width || art.Height != f.Height)
            throw std::runtime_error(where + ": the picture is " + std::to_string(art.Width) + "x" +
                                     std::to_string(art.Height) + ", it must be " + std::to_string(f.Width) + "x" +
                                     std::to_string(f.Height));
        if (art.Palette.size() > (size_t{1} << f.Depth))
            throw std::runtime_error(where + ": " + std::to_string(art.Palette.size()) + " colours, a " +
                                     std::to_string(f.Depth) + "-bit picture holds " +
                                     std::to_string(1 << f.Depth));
        auto at = [&](int x, int y) { return art.At(x, y); };
        if (f.Picture && f.Picture->Transparent) CheckKey(where, art.Width, art.Height, f.Picture->TransparentColor, at);
        if (f.Group == "Fonts") {
            CheckKey(where, art.Width, art.Height, Black, at);  // fonts are drawn keyed on black
            if (f.Name == "DIBFontAntico") CheckEmptyFontCells(art, where);
        }
        return EncodeIndexedBmp(art.Width, art.Height, f.Depth, art.Palette, art.Indices);
    }

    // The text font has no glyphs for # $ % & * / < = > @, and its last cell is unused.
    static void CheckEmptyFontCells(const PixelArt& art, const std::string& where) {
        const std::string_view empty = "#$%&*/<=>@";
        for (int cell = 0; cell < 60; ++cell) {
            const char c = static_cast<char>(32 + cell);
            if (cell != 59 && empty.find(c) == std::string_view::npos) continue;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    if (art.At(16 * (cell % 20) + x, 16 * (cell / 20) + y) != Black)
                        throw std::runtime_error(where + ": cell " + std::to_string(cell) + " must stay empty (black)");
        }
    }

    static std::vector<uint8_t> MakePanel(const AssetFile& f) {
        const TBitmap panel = DrawScene(f.Name);
        if (panel.Width != f.Width || panel.Height != f.Height)
            throw std::runtime_error("PANNELLO: the drawing has the wrong size");
        // The play window is see-through, and nothing else may be.
        CheckKey("PANNELLO", panel.Width, panel.Height, Fuchsia, [&](int x, int y) {
            const bool window = x >= 44 && x <= 331 && y >= 82 && y <= 369;
            const Rgb c = panel.At(x, y);
            if (window != (c == Fuchsia))
                throw std::runtime_error("PANNELLO: the play window x 44..331, y 82..369 must be fuchsia, and only it");
            return c;
        });
        return EncodeIndexedBmp(panel, f.Depth);
    }

    static std::vector<uint8_t> MakeMapCell(const MapCellEntry& cell) {
        static constexpr std::string_view Keys = ".SGOYC";
        std::vector<Rgb> palette;
        for (char k : Keys) palette.push_back(MapCellColour(k));
        std::vector<uint8_t> indices;
        for (const std::string_view row : cell.Rows)
            for (char k : row) {
                const auto i = Keys.find(k);
                if (i == std::string_view::npos || row.size() != 8)
                    throw std::runtime_error(std::string(cell.Name) + ": bad map cell row");
                indices.push_back(static_cast<uint8_t>(i));
            }
        return EncodeIndexedBmp(8, 8, 4, palette, indices);
    }

    std::vector<uint8_t> MakeSound(const AssetFile& f) {
        const fs::path relative = fs::path("sounds") / (std::string(f.Name) + ".snd");
        const std::vector<uint8_t> samples = RenderSoundRecipe(Read(relative), *f.Sound, relative.string());
        return EncodeWav({f.Sound->Rate, f.Sound->Bits, f.Sound->Channels}, samples);
    }

    // Every file under art/ and sounds/ must be the source of an asset, so that
    // a misspelt name is caught instead of silently ignored.
    void CheckNoStraySources() const {
        for (const char* dir : {"art", "sounds"}) {
            if (!fs::exists(Sources_ / dir)) continue;
            for (const auto& entry : fs::recursive_directory_iterator(Sources_ / dir)) {
                if (!entry.is_regular_file()) continue;
                if (entry.path().filename().string().starts_with(".")) continue;
                if (!Read_.count(fs::weakly_canonical(entry.path())))
                    throw std::runtime_error(entry.path().string() + ": not the source of any asset of the catalogue");
            }
        }
    }

    fs::path Sources_;
    std::set<fs::path> Read_;
};

int Usage() {
    std::fprintf(stderr, "usage: tibo_assetgen --sources <assets dir> --out <files dir> --embed <file.cpp>\n"
                         "       tibo_assetgen --sources <assets dir> --icons <dir>\n");
    return 2;
}

void MakeIcons(const fs::path& sources, const fs::path& out) {
    const fs::path source = sources / "art" / "Pictures" / "Tibo.pix";
    const PixelArt art = ParsePixelArt(ReadText(source), source.string());
    for (const int size : {32, 48, 64, 128, 256}) {
        const IconImage icon = IconOfSize(art, size);
        const std::vector<uint8_t> png = EncodePngWithAlpha(icon.Width, icon.Height, icon.Pixels);
        fs::create_directories(out / std::to_string(size));
        WriteBytes(out / std::to_string(size) / "tibo.png",
                   std::string_view(reinterpret_cast<const char*>(png.data()), png.size()));
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string sources, out, embed, icons;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return Usage();
        if (arg == "--sources") sources = argv[++i];
        else if (arg == "--out") out = argv[++i];
        else if (arg == "--embed") embed = argv[++i];
        else if (arg == "--icons") icons = argv[++i];
        else return Usage();
    }
    if (!icons.empty() && !sources.empty() && out.empty() && embed.empty()) {
        try {
            MakeIcons(sources, icons);
            return 0;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "tibo_assetgen: %s\n", e.what());
            return 1;
        }
    }
    if (sources.empty() || out.empty() || embed.empty()) return Usage();
    try {
        const std::vector<NamedBytes> files = Generator(sources).Run();
        fs::create_directories(out);
        size_t total = 0;
        for (const NamedBytes& f : files) {
            WriteBytes(fs::path(out) / f.Name,
                       std::string_view(reinterpret_cast<const char*>(f.Bytes.data()), f.Bytes.size()));
            total += f.Bytes.size();
        }
        const std::string source = EmbeddedSource(files);
        // Rewrite the embedding source only when it changes, to spare a recompile.
        if (!fs::exists(embed) || ReadText(embed) != source) {
            if (fs::path(embed).has_parent_path()) fs::create_directories(fs::path(embed).parent_path());
            WriteBytes(embed, source);
        }
        std::printf("tibo_assetgen: %zu files, %zu bytes\n", files.size(), total);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tibo_assetgen: %s\n", e.what());
        return 1;
    }
}
