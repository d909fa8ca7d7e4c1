#pragma once
// The picture scaled into a window's own pixels by the program, for desktops
// where that beats the graphics card (see TWindowOptions::TPresentation).
#include <cstdint>
#include <vector>

#include "framework/ViewMapping.h"

namespace tibo {

// Nearest-neighbour scaling of an RGB565 picture into a 16- or 32-bit pixel
// buffer (a window's own pixels), through a table from RGB565 to the buffer's
// pixel values.
class TPixelScaler {
public:
    // table[c] is the buffer's pixel for RGB565 value c (65536 entries).
    std::vector<uint32_t> Table;
    // Fills `view` of the buffer (whose rows are `pitch` bytes apart, of
    // `bytesPerPixel` 2 or 4) with the picture of w x h pixels; with a row
    // range, only the buffer rows showing picture rows firstRow..endRow-1.
    void Scale(const uint16_t* picture, int w, int h, const TViewMapping::TView& view, uint8_t* buffer, int pitch,
               int bytesPerPixel, int firstRow = 0, int endRow = -1);
    // The buffer rows (relative to the view's top) that show picture rows
    // firstRow..endRow-1: [first, end).
    static void BufferRows(int h, int viewH, int firstRow, int endRow, int& first, int& end);

private:
    std::vector<int> Columns_;   // source column of each buffer column
    int ColumnsFor_[2] = {0, 0};
};

// Picture rows first..end-1.
struct TRowRun {
    int First = 0, End = 0;
};

// Where a new picture differs from the one shown (both w x h), from row `from`
// on: the first changed row to the last of a run in which fewer than eight
// unchanged rows stand between changed ones (each run is then redrawn and sent
// to the screen as one); with `toEnd`, to the last row of the picture. First is
// h when no row from `from` on changed.
TRowRun NextChangedRows(const uint16_t* picture, const uint16_t* shown, int w, int h, int from, bool toEnd);

}  // namespace tibo
