#pragma once
// The play screen's frame "PANNELLO": a carved sandstone wall round the
// see-through play window, with the gauges, counters, map window and buttons.
#include <cstddef>  // framework/Bitmap.h uses size_t without including it

#include "framework/Bitmap.h"

namespace tibo::assets {

// 640 x 480, 8-bit colours (fewer than 256), fuchsia exactly on the play window.
TBitmap DrawPanel();

}  // namespace tibo::assets
