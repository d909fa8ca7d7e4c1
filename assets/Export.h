#pragma once
#include <string>

#include "assets/AssetStore.h"

namespace tibo::assets {

// Writes every asset of the store into `dir` under its file name, plus
// "contact-sheet.png" showing every picture with its name. Raises on failure.
void ExportAssets(const AssetStore& store, const std::string& dir);

}  // namespace tibo::assets
