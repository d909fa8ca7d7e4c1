#include "assets/Export.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "assets/Catalogue.h"
#include "assets/MiniFont.h"
#include "framework/Files.h"
#include "framework/ImageCodec.h"

namespace tibo::assets {
namespace {

constexpr int SheetWidth = 1400, Margin = 16, Gap = 14, FrameGap = 3;
constexpr TColor Background = 0x404040, Outline = 0x707070, LabelColour = 0xE8E8E8, HeadingColour = 0xFFD040;

// One picture on the sheet.
struct Tile {
    std::string Label;
    TBitmap Picture;
    int FrameWidth = 0;        // 0: one frame; otherwise frames side by side, split with gaps
    int Numerator = 1, Denominator = 1;  // scale
    int X = 0, Y = 0;          // top-left of the label
    int DrawnFrameWidth() const { return (FrameWidth > 0 ? FrameWidth : Picture.Width) * Numerator / Denominator; }
    int Frames() const { return FrameWidth > 0 ? Picture.Width / FrameWidth : 1; }
    int PictureWidth() const { return Frames() * DrawnFrameWidth() + (Frames() - 1) * FrameGap; }
    int PictureHeight() const { return Picture.Height * Numerator / Denominator; }
    int Width() const { return std::max(PictureWidth() + 2, MiniTextWidth(Label)); }
    int Height() const { return MiniGlyphHeight + 4 + PictureHeight() + 2; }
};

struct Heading {
    std::string Text;
    int X = 0, Y = 0;
};

void Scale(const AssetFile& f, Tile& t) {
    if (f.MapCell) t.Numerator = 6;
    else if (f.Width >= 640) t.Denominator = 2;
    else if (f.Width <= 480 && f.Height <= 200) t.Numerator = 2;
}

void FillRect(TBitmap& b, int x0, int y0, int w, int h, TColor c) {
    for (int y = std::max(y0, 0); y < std::min(y0 + h, b.Height); ++y)
        for (int x = std::max(x0, 0); x < std::min(x0 + w, b.Width); ++x)
            b.Pixels[static_cast<size_t>(y) * static_cast<size_t>(b.Width) + static_cast<size_t>(x)] = c;
}

void DrawTile(TBitmap& sheet, const Tile& t) {
    DrawMiniText(sheet, t.X, t.Y, t.Label, LabelColour);
    const int top = t.Y + MiniGlyphHeight + 4;
    const int fw = t.DrawnFrameWidth(), fh = t.PictureHeight();
    const int sourceFrame = t.FrameWidth > 0 ? t.FrameWidth : t.Picture.Width;
    for (int frame = 0; frame < t.Frames(); ++frame) {
        const int left = t.X + 1 + frame * (fw + FrameGap);
        FillRect(sheet, left - 1, top, fw + 2, fh + 2, Outline);
        for (int y = 0; y < fh; ++y)
            for (int x = 0; x < fw; ++x) {
                const int sx = frame * sourceFrame + x * t.Denominator / t.Numerator;
                const int sy = y * t.Denominator / t.Numerator;
                const int dx = left + x, dy = top + 1 + y;
                if (dx < sheet.Width && dy < sheet.Height)
                    sheet.Pixels[static_cast<size_t>(dy) * static_cast<size_t>(sheet.Width) + static_cast<size_t>(dx)] =
                        t.Picture.At(sx, sy);
            }
    }
}

// Every picture of the store, grouped as in the catalogue, each with its name
// (and its index in its list), frames apart, on dark grey so that black shows.
TBitmap ContactSheet(const AssetStore& store) {
    std::vector<Tile> tiles;
    std::vector<Heading> headings;
    std::string_view group;
    int x = Margin, y = Margin, rowHeight = 0;
    auto newRow = [&] {
        y += rowHeight + (rowHeight > 0 ? Gap : 0);
        x = Margin;
        rowHeight = 0;
    };
    for (const AssetFile& f : AssetFiles()) {
        if (f.Kind == AssetKind::Wav) continue;
        if (f.Group != group) {
            group = f.Group;
            newRow();
            if (!headings.empty() || !tiles.empty()) y += Gap;
            headings.push_back({std::string(group), x, y});
            y += 2 * MiniGlyphHeight + Gap;
        }
        Tile t;
        t.Label = std::string(f.Name);
        if (f.Picture) {
            const PictureList& list = FindPictureList(f.Group);
            for (size_t i = 0; i < list.Entries.size(); ++i)
                if (&list.Entries[i] == f.Picture) t.Label = std::to_string(i) + " " + t.Label;
            t.FrameWidth = f.Picture->PatternWidth;
        }
        t.Picture = DecodePicture(store.Get(f.FileName));
        if (t.FrameWidth > 0 && t.Picture.Width % t.FrameWidth != 0) t.FrameWidth = 0;
        Scale(f, t);
        if (x > Margin && x + t.Width() > SheetWidth - Margin) newRow();
        t.X = x;
        t.Y = y;
        x += t.Width() + Gap;
        rowHeight = std::max(rowHeight, t.Height());
        tiles.push_back(std::move(t));
    }
    newRow();
    TBitmap sheet;
    sheet.Resize(SheetWidth, y + Margin, Background);
    for (const Heading& h : headings) DrawMiniText(sheet, h.X, h.Y, h.Text, HeadingColour, 2);
    for (const Tile& t : tiles) DrawTile(sheet, t);
    return sheet;
}

}  // namespace

void ExportAssets(const AssetStore& store, const std::string& dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec || !std::filesystem::is_directory(dir))
        throw EAssetError("Asset folder '" + dir + "' cannot be made: " + (ec ? ec.message() : "not a folder"));
    try {
        for (const std::string& name : store.Names()) WriteFileBytes(JoinPath(dir, name), store.Get(name));
        SavePng(ContactSheet(store), JoinPath(dir, "contact-sheet.png"));
    } catch (const EAssetError&) {
        throw;
    } catch (const std::exception& e) {
        throw EAssetError(std::string("Assets cannot be exported: ") + e.what());
    }
}

}  // namespace tibo::assets
