#pragma once
// Fills the form's components from the assets: the picture lists, the sound
// list, the stored bitmaps and the loose pictures.
#include <array>
#include <string>

#include "assets/AssetStore.h"
#include "framework/Bitmap.h"
#include "framework/ImageList.h"
#include "framework/Sound.h"

namespace tibo::assets {

// Fills an image list with the entries of the catalogue list of that name
// ("SpriteTibo", "ComponentiLabirinto", "Nemici", "Sfondo"): names, pictures,
// pattern sizes, transparency. Entries filled at start-up stay empty.
void LoadPictureList(TImageList& list, const std::string& listName, const AssetStore& store);
// Fills the sound list Suoni in catalogue order.
void LoadWaveList(TWaveList& list, const AssetStore& store);

// The form's picture lists and its sound list, each filled as above: what the
// form loads when it is made, and what a play without a form loads likewise.
struct TFormLists {
    TImageList& SpriteTibo;
    TImageList& ComponentiLabirinto;
    TImageList& Nemici;
    TImageList& Sfondo;
    TWaveList& Suoni;
};
void LoadFormLists(const TFormLists& lists, const AssetStore& store);
// The play panel "PANNELLO" into the first item of Sfondo, left empty for it.
void LoadPanel(TImageList& sfondo, const AssetStore& store);
// The eight-by-eight tiles of the mini-map in this order: wall, slope left,
// slope right, empty, border, stars, hero ("muromappa", "muroraccsxmappa",
// "muroraccdxmappa", "vuotomappa", "bordomappa", "stellemappa", "ominomappa").
void LoadMiniMapTiles(const std::array<TBitmap*, 7>& tiles, const AssetStore& store);
// Decodes one picture asset by name without extension ("Cifre", "PANNELLO",
// "muromappa", "COPERTINA"), finding its file by the catalogue.
TBitmap LoadBitmap(const AssetStore& store, const std::string& name);

}  // namespace tibo::assets
