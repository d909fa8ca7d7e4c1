#include "framework/Surface.h"

#include <algorithm>
#include <cstring>

namespace tibo {

TDisplayDevice::~TDisplayDevice() {
    // Surfaces that outlive their device forget it.
    for (TSurface* s : Surfaces_) s->Device_ = nullptr;
}

size_t TDisplayDevice::PixelBytes() const {
    size_t total = 0;
    for (const TSurface* s : Surfaces_) total += static_cast<size_t>(s->Width()) * static_cast<size_t>(s->Height()) * 2;
    return total;
}

void TDisplayDevice::Add(TSurface* s) { Surfaces_.push_back(s); }

void TDisplayDevice::Remove(TSurface* s) {
    auto it = std::find(Surfaces_.begin(), Surfaces_.end(), s);
    if (it != Surfaces_.end()) Surfaces_.erase(it);
}

TSurface::TSurface(TDisplayDevice* device) : Device_(device) {
    if (Device_) Device_->Add(this);
}

TSurface::~TSurface() {
    if (Device_) Device_->Remove(this);
}

void TSurface::SetSize(int w, int h) {
    if (w <= 0 || h <= 0) {
        Width_ = Height_ = 0;
        Pixels_.clear();
        Pixels_.shrink_to_fit();
    } else {
        Width_ = w;
        Height_ = h;
        Pixels_.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    }
    Key_ = 0;
    Changed();
}

void TSurface::LoadFromGraphic(const TBitmap& picture) {
    LoadFromGraphic(picture, TRect{0, 0, picture.Width, picture.Height});
}

void TSurface::LoadFromGraphic(const TBitmap& picture, const TRect& part) {
    SetSize(part.Width(), part.Height());
    if (!Valid()) return;
    const TRect inside = IntersectRect(part, TRect{0, 0, picture.Width, picture.Height});
    for (int y = inside.Top; y < inside.Bottom; ++y) {
        uint16_t* row = Pixels_.data() + static_cast<size_t>(y - part.Top) * static_cast<size_t>(Width_);
        for (int x = inside.Left; x < inside.Right; ++x) row[x - part.Left] = ToRgb565(picture.At(x, y));
    }
    Changed();
}

void TSurface::SetTransparentColor(TDeviceColor key) { Key_ = key & 0xFFFF; }

TDeviceColor TSurface::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width_ || y >= Height_) return 0;
    return Pixels_[static_cast<size_t>(y) * static_cast<size_t>(Width_) + static_cast<size_t>(x)];
}

void TSurface::SetPixel(int x, int y, TDeviceColor c) {
    if (x < 0 || y < 0 || x >= Width_ || y >= Height_) return;
    Pixels_[static_cast<size_t>(y) * static_cast<size_t>(Width_) + static_cast<size_t>(x)] = static_cast<uint16_t>(c);
    Changed();
}

TBitmap TSurface::ToBitmap() const {
    TBitmap out;
    out.BitCount = 16;
    out.Resize(Width_, Height_);
    for (size_t i = 0; i < Pixels_.size(); ++i) out.Pixels[i] = FromRgb565(Pixels_[i]);
    return out;
}

const std::vector<TSurface::Span>& TSurface::Spans() const {
    if (SpanVersion_ != Version_ || SpanKey_ != Key_) {
        SpanCache_.clear();
        RowStart_.assign(static_cast<size_t>(Height_) + 1, 0);
        const auto key = static_cast<uint16_t>(Key_);
        for (int y = 0; y < Height_; ++y) {
            RowStart_[static_cast<size_t>(y)] = static_cast<uint32_t>(SpanCache_.size());
            const uint16_t* row = Pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(Width_);
            int x = 0;
            while (x < Width_) {
                while (x < Width_ && row[x] == key) ++x;
                const int start = x;
                while (x < Width_ && row[x] != key) ++x;
                if (x > start) SpanCache_.push_back({start, x - start});
            }
        }
        RowStart_[static_cast<size_t>(Height_)] = static_cast<uint32_t>(SpanCache_.size());
        SpanVersion_ = Version_;
        SpanKey_ = Key_;
    }
    return SpanCache_;
}

void TSurface::KeyedRows(int x, int y, const TRect& s, const TSurface& source) {
    const std::vector<Span>& spans = source.Spans();
    for (int sy = s.Top; sy < s.Bottom; ++sy) {
        const uint16_t* srcRow = source.Pixels_.data() + static_cast<size_t>(sy) * static_cast<size_t>(source.Width_);
        uint16_t* dstRow = Pixels_.data() + static_cast<size_t>(y + sy - s.Top) * static_cast<size_t>(Width_) + x - s.Left;
        const uint32_t end = source.RowStart_[static_cast<size_t>(sy) + 1];
        for (uint32_t i = source.RowStart_[static_cast<size_t>(sy)]; i < end; ++i) {
            const int a = std::max(spans[i].Start, s.Left);
            const int b = std::min(spans[i].Start + spans[i].Length, s.Right);
            if (a < b) std::memcpy(dstRow + a, srcRow + a, static_cast<size_t>(b - a) * 2);
        }
    }
}

void TSurface::Draw(int x, int y, const TRect& src, const TSurface* source, bool transparent) {
    if (!source || !source->Valid() || !Valid() || x > Width_ || y > Height_) return;
    TRect s = src;
    if (s.Right < s.Left || s.Bottom < s.Top) return;  // mirrored copies are not supported
    // Clip the source rectangle to the source, moving the destination along.
    if (s.Left < 0) { x -= s.Left; s.Left = 0; }
    if (s.Top < 0) { y -= s.Top; s.Top = 0; }
    s.Right = std::min(s.Right, source->Width_);
    s.Bottom = std::min(s.Bottom, source->Height_);
    // Clip the destination, moving the source along.
    if (x < 0) { s.Left -= x; x = 0; }
    if (y < 0) { s.Top -= y; y = 0; }
    s.Right = std::min(s.Right, s.Left + (Width_ - x));
    s.Bottom = std::min(s.Bottom, s.Top + (Height_ - y));
    if (s.IsEmpty()) return;

    if (source == this) {
        // Copying a surface onto itself: take the source pixels first.
        TSurface copy;
        copy.SetSize(Width_, Height_);
        copy.Pixels_ = Pixels_;
        copy.Key_ = Key_;
        Draw(x, y, s, &copy, transparent);
        return;
    }
    if (transparent) {
        KeyedRows(x, y, s, *source);
    } else {
        const size_t bytes = static_cast<size_t>(s.Width()) * 2;
        for (int sy = s.Top; sy < s.Bottom; ++sy) {
            std::memcpy(Pixels_.data() + static_cast<size_t>(y + sy - s.Top) * static_cast<size_t>(Width_) + x,
                        source->Pixels_.data() + static_cast<size_t>(sy) * static_cast<size_t>(source->Width_) + s.Left, bytes);
        }
    }
    Changed();
}

void TSurface::Draw(int x, int y, const TSurface* source, bool transparent) {
    if (!source) return;
    Draw(x, y, source->ClientRect(), source, transparent);
}

void TSurface::DrawBlended(const TRect& dest, const TRect& s, const TSurface* source, bool transparent, int alpha) {
    if (!source || !source->Valid() || !Valid() || alpha <= 0) return;
    if (dest.IsEmpty() || s.IsEmpty()) return;
    const TRect d = IntersectRect(dest, ClientRect());
    if (d.IsEmpty()) return;
    // Step through the source in 16.16 fixed point, scaling s onto dest.
    const int64_t stepX = (static_cast<int64_t>(s.Width()) << 16) / dest.Width();
    const int64_t stepY = (static_cast<int64_t>(s.Height()) << 16) / dest.Height();
    const auto key = static_cast<uint16_t>(source->Key_);
    const int a = std::min(alpha, 255);
    for (int dy = d.Top; dy < d.Bottom; ++dy) {
        const int64_t sy = s.Top + ((static_cast<int64_t>(dy - dest.Top) * stepY) >> 16);
        if (sy < 0 || sy >= source->Height_) continue;
        const uint16_t* srcRow = source->Pixels_.data() + static_cast<size_t>(sy) * static_cast<size_t>(source->Width_);
        uint16_t* dstRow = Pixels_.data() + static_cast<size_t>(dy) * static_cast<size_t>(Width_);
        for (int dx = d.Left; dx < d.Right; ++dx) {
            const int64_t sx = s.Left + ((static_cast<int64_t>(dx - dest.Left) * stepX) >> 16);
            if (sx < 0 || sx >= source->Width_) continue;
            const uint16_t p = srcRow[sx];
            if (transparent && p == key) continue;
            if (a >= 255) {
                dstRow[dx] = p;
                continue;
            }
            const TColor sc = FromRgb565(p), dc = FromRgb565(dstRow[dx]);
            TColor mixed = 0;
            for (int shift = 0; shift <= 16; shift += 8) {
                const uint32_t sv = (sc >> shift) & 0xFF, dv = (dc >> shift) & 0xFF;
                mixed |= ((sv * static_cast<uint32_t>(a) + dv * static_cast<uint32_t>(255 - a)) / 256) << shift;
            }
            dstRow[dx] = ToRgb565(mixed);
        }
    }
    Changed();
}

void TSurface::Fill(TDeviceColor c) {
    const auto pixel = static_cast<uint16_t>(c);
    if ((pixel & 0xFF) == (pixel >> 8)) {
        std::memset(Pixels_.data(), pixel & 0xFF, Pixels_.size() * 2);  // black, white and the like
    } else if (!Pixels_.empty()) {
        // One row by hand, the others copied from it.
        const auto width = static_cast<size_t>(Width_);
        std::fill(Pixels_.begin(), Pixels_.begin() + static_cast<ptrdiff_t>(width), pixel);
        for (size_t row = 1; row < static_cast<size_t>(Height_); ++row)
            std::memcpy(Pixels_.data() + row * width, Pixels_.data(), width * 2);
    }
    Changed();
}

void TSurface::FillRect(const TRect& r, TDeviceColor c) {
    const TRect d = IntersectRect(r, ClientRect());
    if (d.IsEmpty()) return;
    for (int y = d.Top; y < d.Bottom; ++y) {
        uint16_t* row = Pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(Width_);
        std::fill(row + d.Left, row + d.Right, static_cast<uint16_t>(c));
    }
    Changed();
}

}  // namespace tibo
