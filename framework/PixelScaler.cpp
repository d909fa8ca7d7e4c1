#include "framework/PixelScaler.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace tibo {

namespace {
template <typename TPixel>
void ScaleRows(const uint16_t* picture, int w, int h, const TViewMapping::TView& view, uint8_t* buffer, int pitch,
               const uint32_t* table, const int* columns, int firstDy, int endDy) {
    uint8_t* const first = buffer + static_cast<ptrdiff_t>(view.Y) * pitch + static_cast<ptrdiff_t>(view.X) * sizeof(TPixel);
    const size_t rowBytes = static_cast<size_t>(view.W) * sizeof(TPixel);
    const int whole = view.W % w == 0 ? view.W / w : 0;   // a whole multiple across
    int lastSource = -1;
    const uint8_t* lastRow = nullptr;
    for (int dy = firstDy; dy < endDy; ++dy) {
        uint8_t* const rowStart = first + static_cast<ptrdiff_t>(dy) * pitch;
        const int sy = static_cast<int>(static_cast<int64_t>(dy) * h / view.H);
        if (sy == lastSource) {
            std::memcpy(rowStart, lastRow, rowBytes);
            continue;
        }
        auto* row = reinterpret_cast<TPixel*>(rowStart);
        const uint16_t* src = picture + static_cast<ptrdiff_t>(sy) * w;
        if (whole == 1) {
            for (int x = 0; x < w; ++x) row[x] = static_cast<TPixel>(table[src[x]]);
        } else if (whole == 2) {
            for (int x = 0; x < w; ++x) {
                const auto v = static_cast<TPixel>(table[src[x]]);
                row[2 * x] = v;
                row[2 * x + 1] = v;
            }
        } else if (whole > 2) {
            for (int x = 0; x < w; ++x) {
                const auto v = static_cast<TPixel>(table[src[x]]);
                std::fill_n(row + static_cast<ptrdiff_t>(x) * whole, whole, v);
            }
        } else {
            for (int dx = 0; dx < view.W; ++dx) row[dx] = static_cast<TPixel>(table[src[columns[dx]]]);
        }
        lastSource = sy;
        lastRow = rowStart;
    }
}

// The smallest d with d * h / viewH >= row (buffer row d shows picture row d * h / viewH).
int FirstBufferRowShowing(int row, int h, int viewH) {
    return static_cast<int>((static_cast<int64_t>(row) * viewH + h - 1) / h);
}
}  // namespace

void TPixelScaler::BufferRows(int h, int viewH, int firstRow, int endRow, int& first, int& end) {
    if (h <= 0 || viewH <= 0) {
        first = end = 0;
        return;
    }
    if (endRow < 0 || endRow > h) endRow = h;
    firstRow = std::clamp(firstRow, 0, endRow);
    first = FirstBufferRowShowing(firstRow, h, viewH);
    end = endRow >= h ? viewH : FirstBufferRowShowing(endRow, h, viewH);
}

void TPixelScaler::Scale(const uint16_t* picture, int w, int h, const TViewMapping::TView& view, uint8_t* buffer,
                         int pitch, int bytesPerPixel, int firstRow, int endRow) {
    if (picture == nullptr || buffer == nullptr || w <= 0 || h <= 0 || view.W <= 0 || view.H <= 0) return;
    if (Table.size() < 65536) return;
    if (ColumnsFor_[0] != w || ColumnsFor_[1] != view.W) {
        Columns_.resize(static_cast<size_t>(view.W));
        for (int dx = 0; dx < view.W; ++dx) {
            Columns_[static_cast<size_t>(dx)] = static_cast<int>(static_cast<int64_t>(dx) * w / view.W);
        }
        ColumnsFor_[0] = w;
        ColumnsFor_[1] = view.W;
    }
    int firstDy = 0, endDy = 0;
    BufferRows(h, view.H, firstRow, endRow, firstDy, endDy);
    if (bytesPerPixel == 4) {
        ScaleRows<uint32_t>(picture, w, h, view, buffer, pitch, Table.data(), Columns_.data(), firstDy, endDy);
    } else if (bytesPerPixel == 2) {
        ScaleRows<uint16_t>(picture, w, h, view, buffer, pitch, Table.data(), Columns_.data(), firstDy, endDy);
    }
}

TRowRun NextChangedRows(const uint16_t* picture, const uint16_t* shown, int w, int h, int from, bool toEnd) {
    const size_t rowBytes = static_cast<size_t>(w) * sizeof(uint16_t);
    const auto same = [&](int row) {
        const size_t at = static_cast<size_t>(row) * static_cast<size_t>(w);
        return std::memcmp(picture + at, shown + at, rowBytes) == 0;
    };
    int y = std::max(from, 0);
    while (y < h && same(y)) ++y;
    if (y >= h) return {h, h};
    int end = y + 1;
    // Runs of changed rows, joined across short gaps of unchanged ones.
    for (int gap = 0; end < h && gap < 8; ++end) gap = same(end) ? gap + 1 : 0;
    while (end > y + 1 && same(end - 1)) --end;
    if (toEnd) end = h;
    return {y, end};
}

}  // namespace tibo
