#pragma once
// Fills the form's components from the assets: the picture lists, the sound
// list, the stored bitmaps and the loose pictures.
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
// Decodes one picture asset by name without extension ("Cifre", "PANNELLO",
// "muromappa", "COPERTINA"), finding its file by the catalogue.
TBitmap LoadBitmap(const AssetStore& store, const std::string& name);

}  // namespace tibo::assets
