#pragma once
// The full-screen pictures, drawn by code: the play panel "PANNELLO" and the
// three JPEG screens "COPERTINA", "SFONDO" and "SFONDO1".
#include <string_view>

#include "framework/Bitmap.h"

namespace tibo::assets {

// The picture of that name (640 x 480), or an empty bitmap for other names.
TBitmap DrawScene(std::string_view name);

}  // namespace tibo::assets
