#include "assets/FormData.h"

#include "assets/Catalogue.h"
#include "assets/FileFormats.h"
#include "framework/ImageCodec.h"

namespace tibo::assets {
namespace {

TBitmap Decode(const AssetStore& store, const std::string& fileName) {
    try {
        return DecodePicture(store.Get(fileName));
    } catch (const EAssetError&) {
        throw;
    } catch (const std::exception& e) {
        throw EAssetError(fileName + ": " + e.what());
    }
}

}  // namespace

void LoadPictureList(TImageList& list, const std::string& listName, const AssetStore& store) {
    const PictureList* catalogue = nullptr;
    for (const PictureList& l : PictureLists())
        if (SameTextIgnoringCase(l.Name, listName)) catalogue = &l;
    if (!catalogue) throw EAssetError("Picture list '" + listName + "' not found");
    for (const PictureEntry& e : catalogue->Entries) {
        TPictureItem& item = list.Items.Add();
        item.SetName(std::string(e.Name));
        if (!e.FilledAtStartup) item.Picture = Decode(store, std::string(e.Name) + std::string(PictureExtension()));
        item.PatternWidth = e.PatternWidth;
        item.PatternHeight = e.PatternHeight;
        item.SystemMemory = false;
        item.Transparent = e.Transparent;
        item.SetTransparentColor(e.TransparentColor);
    }
}

void LoadWaveList(TWaveList& list, const AssetStore& store) {
    for (const SoundEntry& s : Sounds()) {
        const std::string fileName = std::string(s.Name) + std::string(SoundExtension());
        TWaveItem& item = list.Items.Add();
        item.SetName(std::string(s.Name));
        try {
            item.Wave = ReadWave(store.Get(fileName));
        } catch (const EAssetError&) {
            throw;
        } catch (const std::exception& e) {
            throw EAssetError(fileName + ": " + e.what());
        }
        item.Looped = false;
        item.SetMaxPlayingCount(0);
    }
}

void LoadFormLists(const TFormLists& lists, const AssetStore& store) {
    LoadPictureList(lists.SpriteTibo, "SpriteTibo", store);
    LoadPictureList(lists.ComponentiLabirinto, "ComponentiLabirinto", store);
    LoadPictureList(lists.Nemici, "Nemici", store);
    LoadPictureList(lists.Sfondo, "Sfondo", store);
    LoadWaveList(lists.Suoni, store);
}

void LoadPanel(TImageList& sfondo, const AssetStore& store) {
    sfondo.Items.Items(0).Picture = LoadBitmap(store, "PANNELLO");
}

void LoadMiniMapTiles(const std::array<TBitmap*, 7>& tiles, const AssetStore& store) {
    static constexpr std::array<const char*, 7> Names{"muromappa",  "muroraccsxmappa", "muroraccdxmappa", "vuotomappa",
                                                      "bordomappa", "stellemappa",     "ominomappa"};
    for (size_t i = 0; i < tiles.size(); ++i) *tiles[i] = LoadBitmap(store, Names[i]);
}

TBitmap LoadBitmap(const AssetStore& store, const std::string& name) {
    const AssetFile* f = FindPictureFile(name);
    if (!f) throw EAssetError("Picture '" + name + "' not found");
    return Decode(store, f->FileName);
}

}  // namespace tibo::assets
