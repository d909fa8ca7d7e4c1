// Pictures in memory through SDL2_image: BMP, PNG and JPEG.
#include "framework/ImageCodec.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstring>

#include "framework/Errors.h"
#include "framework/Files.h"

namespace tibo {
namespace {

struct SurfaceDeleter { void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); } };
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// The depth stored in a file's header: BMP's bits per pixel, 24 for JPEG, PNG by its colour type.
int StoredDepth(std::span<const uint8_t> f) {
    if (f.size() >= 30 && f[0] == 'B' && f[1] == 'M') return Le16(f.data() + 28);
    if (f.size() >= 26 && f[0] == 0x89 && f[1] == 'P' && f[2] == 'N' && f[3] == 'G') {
        const int colourType = f[25];
        const int bitDepth = f[24];
        switch (colourType) {
            case 3: return bitDepth;          // palette
            case 6: return 32;                // RGBA
            case 4: return 16;                // grey + alpha
            case 0: return bitDepth;          // grey
            default: return 24;
        }
    }
    return 24;
}

SurfacePtr ToBitmapSurface(const TBitmap& picture) {
    SurfacePtr s(SDL_CreateRGBSurfaceWithFormat(0, picture.Width, picture.Height, 24, SDL_PIXELFORMAT_RGB24));
    if (!s) throw EPictureError(Format("Picture cannot be encoded: %s", SDL_GetError()));
    for (int y = 0; y < picture.Height; ++y) {
        auto* row = static_cast<uint8_t*>(s->pixels) + static_cast<ptrdiff_t>(y) * s->pitch;
        for (int x = 0; x < picture.Width; ++x) {
            const TColor c = picture.At(x, y);
            row[3 * x] = static_cast<uint8_t>(c >> 16);
            row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(c);
        }
    }
    return s;
}

struct MemoryWriter {
    std::vector<uint8_t> Bytes;
    static size_t Write(SDL_RWops* ctx, const void* ptr, size_t size, size_t num) {
        auto* self = static_cast<MemoryWriter*>(ctx->hidden.unknown.data1);
        const auto* p = static_cast<const uint8_t*>(ptr);
        self->Bytes.insert(self->Bytes.end(), p, p + size * num);
        return num;
    }
};

template <typename SaveFn>
std::vector<uint8_t> Encode(const TBitmap& picture, SaveFn save) {
    if (picture.Empty()) throw EPictureError("Picture cannot be encoded: it is empty");
    SurfacePtr s = ToBitmapSurface(picture);
    MemoryWriter writer;
    SDL_RWops* rw = SDL_AllocRW();
    if (!rw) throw EPictureError(Format("Picture cannot be encoded: %s", SDL_GetError()));
    rw->type = SDL_RWOPS_UNKNOWN;
    rw->hidden.unknown.data1 = &writer;
    rw->write = &MemoryWriter::Write;
    rw->size = [](SDL_RWops*) -> Sint64 { return -1; };
    rw->seek = [](SDL_RWops*, Sint64, int) -> Sint64 { return -1; };
    rw->read = [](SDL_RWops*, void*, size_t, size_t) -> size_t { return 0; };
    rw->close = [](SDL_RWops* ctx) -> int { SDL_FreeRW(ctx); return 0; };
    const int rc = save(s.get(), rw);
    SDL_RWclose(rw);
    if (rc != 0 || writer.Bytes.empty()) throw EPictureError(Format("Picture cannot be encoded: %s", SDL_GetError()));
    return std::move(writer.Bytes);
}

}  // namespace

TBitmap DecodePicture(std::span<const uint8_t> file) {
    if (file.empty()) throw EPictureError("Picture is invalid: the data is empty");
    SDL_RWops* rw = SDL_RWFromConstMem(file.data(), static_cast<int>(file.size()));
    if (!rw) throw EPictureError(Format("Picture is invalid: %s", SDL_GetError()));
    SurfacePtr loaded(IMG_Load_RW(rw, 1));
    if (!loaded) throw EPictureError(Format("Picture is invalid: %s", IMG_GetError()));
    SurfacePtr rgb(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_RGB24, 0));
    if (!rgb) throw EPictureError(Format("Picture is invalid: %s", SDL_GetError()));
    TBitmap out;
    out.BitCount = StoredDepth(file);
    out.Resize(rgb->w, rgb->h);
    for (int y = 0; y < rgb->h; ++y) {
        const auto* row = static_cast<const uint8_t*>(rgb->pixels) + static_cast<ptrdiff_t>(y) * rgb->pitch;
        TColor* dst = out.Pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(out.Width);
        for (int x = 0; x < rgb->w; ++x)
            dst[x] = (TColor{row[3 * x]} << 16) | (TColor{row[3 * x + 1]} << 8) | TColor{row[3 * x + 2]};
    }
    return out;
}

TBitmap LoadPictureFile(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    try {
        return DecodePicture(bytes);
    } catch (const EPictureError& e) {
        throw EPictureError(path + ": " + e.what());
    }
}

std::vector<uint8_t> EncodePng(const TBitmap& picture) {
    return Encode(picture, [](SDL_Surface* s, SDL_RWops* rw) { return IMG_SavePNG_RW(s, rw, 0); });
}

std::vector<uint8_t> EncodeJpeg(const TBitmap& picture, int quality) {
    return Encode(picture, [quality](SDL_Surface* s, SDL_RWops* rw) { return IMG_SaveJPG_RW(s, rw, 0, quality); });
}

void SavePng(const TBitmap& picture, const std::string& path) {
    const std::vector<uint8_t> png = EncodePng(picture);
    WriteFileBytes(path, png);
}

}  // namespace tibo
