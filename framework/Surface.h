#pragma once
// Off-screen and back surfaces: RGB565 pixel buffers with a source colour key,
// clipped copies (plain or colour-keyed), translucent copies and fills.
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/Bitmap.h"
#include "framework/Geometry.h"

namespace tibo {

class TSurface;

// The display device every surface belongs to; it knows its surfaces.
class TDisplayDevice {
public:
    TDisplayDevice() = default;
    TDisplayDevice(const TDisplayDevice&) = delete;
    TDisplayDevice& operator=(const TDisplayDevice&) = delete;
    ~TDisplayDevice();
    size_t SurfaceCount() const { return Surfaces_.size(); }
    size_t PixelBytes() const;  // memory held by the surfaces' pixels

private:
    friend class TSurface;
    void Add(TSurface* s);
    void Remove(TSurface* s);
    std::vector<TSurface*> Surfaces_;
};

class TSurface {
public:
    explicit TSurface(TDisplayDevice* device = nullptr);
    TSurface(const TSurface&) = delete;
    TSurface& operator=(const TSurface&) = delete;
    ~TSurface();

    // Makes an off-screen surface of w x h (black, colour key 0); w or h <= 0 releases it.
    void SetSize(int w, int h);
    bool Valid() const { return Width_ > 0 && Height_ > 0; }
    int Width() const { return Width_; }
    int Height() const { return Height_; }
    TRect ClientRect() const { return {0, 0, Width_, Height_}; }
    TDisplayDevice* Device() const { return Device_; }
    bool SystemMemory = false;

    // Loads a picture (or a part of it): the surface takes its size.
    void LoadFromGraphic(const TBitmap& picture);
    void LoadFromGraphic(const TBitmap& picture, const TRect& part);

    // Copies the source rectangle s of `source` to (x, y), clipped on both sides;
    // with `transparent`, pixels equal to the source's colour key are skipped.
    void Draw(int x, int y, const TRect& s, const TSurface* source, bool transparent);
    void Draw(int x, int y, const TSurface* source, bool transparent);
    // Translucent copy, the source rectangle scaled onto the destination one.
    void DrawBlended(const TRect& dest, const TRect& s, const TSurface* source, bool transparent, int alpha);
    void Fill(TDeviceColor c);
    void FillRect(const TRect& r, TDeviceColor c);

    // The pixel value this surface uses for a colour (0 without pixels).
    TDeviceColor DeviceColor(TColor c) const { return Valid() ? ToRgb565(c) : 0; }
    TDeviceColor TransparentColor() const { return Key_; }
    void SetTransparentColor(TDeviceColor key);

    // Pixel access; outside the surface reads give 0 and writes do nothing.
    TDeviceColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TDeviceColor c);
    // Direct access to the rows (pitch = Width). Ask again after each change of size.
    const uint16_t* Bits() const { return Pixels_.data(); }
    uint16_t* MutableBits() { Changed(); return Pixels_.data(); }

    // Copies the pixels out as 0xRRGGBB (for screenshots and tests).
    TBitmap ToBitmap() const;

private:
    friend class TDisplayDevice;
    struct Span { int32_t Start; int32_t Length; };
    void Changed() { ++Version_; }
    const std::vector<Span>& Spans() const;  // rebuilt when the pixels or the key changed
    void KeyedRows(int x, int y, const TRect& s, const TSurface& source);

    TDisplayDevice* Device_ = nullptr;
    int Width_ = 0, Height_ = 0;
    std::vector<uint16_t> Pixels_;
    TDeviceColor Key_ = 0;
    uint64_t Version_ = 1;
    // Opaque runs of each row for colour-keyed copies, rebuilt after a change.
    mutable std::vector<Span> SpanCache_;
    mutable std::vector<uint32_t> RowStart_;  // Height_+1 offsets into SpanCache_
    mutable uint64_t SpanVersion_ = 0;
    mutable TDeviceColor SpanKey_ = 0;
};

}  // namespace tibo
