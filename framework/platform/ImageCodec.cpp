// Pictures in memory through SDL2_image: BMP, PNG and JPEG.
#include "framework/ImageCodec.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdint>
#include <cstring>

#include "framework/Errors.h"
#include "framework/Files.h"

namespace tibo {
namespace {

struct SurfaceDeleter { void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); } };
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) { return Le16(p) | (static_cast<uint32_t>(Le16(p + 2)) << 16); }
uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
uint32_t Be32(const uint8_t* p) { return (static_cast<uint32_t>(Be16(p)) << 16) | Be16(p + 2); }

std::string ReadJpegHeader(std::span<const uint8_t> f, TPictureHeader& h) {
    bool frame = false, scan = false;
    size_t at = 2;
    while (at < f.size()) {
        if (f[at] != 0xFF) return "the JPEG file is damaged: no marker where one belongs";
        while (at < f.size() && f[at] == 0xFF) ++at;  // fill bytes
        if (at >= f.size()) break;
        const uint8_t marker = f[at++];
        if (marker == 0xD9) {
            h.Complete = frame && scan;
            break;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
        if (at + 2 > f.size()) break;
        const size_t length = Be16(&f[at]);
        if (length < 2 || at + length > f.size()) break;  // cut short
        const bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (startOfFrame && !frame) {
            if (length < 7) return "the JPEG frame header is damaged";
            h.Height = Be16(&f[at + 3]);
            h.Width = Be16(&f[at + 5]);
            frame = true;
        }
        at += length;
        if (marker == 0xDA) {
            scan = true;
            // The coded data runs to the next marker that is neither a stuffed
            // byte nor a restart marker.
            while (at + 1 < f.size()) {
                if (f[at] == 0xFF && f[at + 1] != 0x00 && f[at + 1] != 0xFF && (f[at + 1] < 0xD0 || f[at + 1] > 0xD7)) break;
                ++at;
            }
            if (at + 1 >= f.size()) break;
        }
    }
    if (!frame) return "the JPEG file has no frame header";
    return "";
}

std::string ReadPngHeader(std::span<const uint8_t> f, TPictureHeader& h) {
    if (f.size() < 24 || std::memcmp(&f[12], "IHDR", 4) != 0) return "the PNG header is damaged";
    const uint32_t w = Be32(&f[16]), h32 = Be32(&f[20]);
    h.Width = w > 0x7FFFFFFF ? -1 : static_cast<int>(w);
    h.Height = h32 > 0x7FFFFFFF ? -1 : static_cast<int>(h32);
    for (size_t at = 8; at + 12 <= f.size();) {
        const uint64_t length = Be32(&f[at]);
        if (std::memcmp(&f[at + 4], "IEND", 4) == 0) {
            h.Complete = true;
            break;
        }
        if (at + 12 + length > f.size()) break;
        at += 12 + static_cast<size_t>(length);
    }
    return "";
}

}  // namespace

std::string ReadPictureHeader(std::span<const uint8_t> f, TPictureHeader& h) {
    h = TPictureHeader{};
    if (f.size() >= 3 && f[0] == 0xFF && f[1] == 0xD8 && f[2] == 0xFF) return ReadJpegHeader(f, h);
    if (f.size() >= 8 && std::memcmp(f.data(), "\x89PNG\r\n\x1A\n", 8) == 0) return ReadPngHeader(f, h);
    if (f.size() >= 2 && f[0] == 'B' && f[1] == 'M') {
        if (f.size() < 26) return "the BMP header is damaged";
        const uint32_t headerSize = Le32(&f[14]);
        if (headerSize == 12) {
            h.Width = Le16(&f[18]);
            h.Height = static_cast<int16_t>(Le16(&f[20]));
        } else {
            h.Width = static_cast<int32_t>(Le32(&f[18]));
            h.Height = static_cast<int32_t>(Le32(&f[22]));
        }
        if (h.Height < 0 && h.Height != INT32_MIN) h.Height = -h.Height;
        h.Complete = true;
        return "";
    }
    return "not a BMP, PNG or JPEG file";
}

namespace {

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
std::vector<uint8_t> EncodeSurface(const SurfacePtr& s, SaveFn save) {
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

template <typename SaveFn>
std::vector<uint8_t> Encode(const TBitmap& picture, SaveFn save) {
    if (picture.Empty()) throw EPictureError("Picture cannot be encoded: it is empty");
    return EncodeSurface(ToBitmapSurface(picture), save);
}

}  // namespace

TBitmap DecodePicture(std::span<const uint8_t> file) {
    if (file.empty()) throw EPictureError("Picture is invalid: the data is empty");
    // The header first: a forged size would cost gigabytes before any check.
    TPictureHeader header;
    if (const std::string problem = ReadPictureHeader(file, header); !problem.empty())
        throw EPictureError("Picture is invalid: " + problem);
    if (header.Width <= 0 || header.Height <= 0 || header.Width > MaxPictureSide || header.Height > MaxPictureSide)
        throw EPictureError(Format("Picture is invalid: its header claims %dx%d pixels (at most %dx%d)", header.Width,
                                   header.Height, MaxPictureSide, MaxPictureSide));
    if (!header.Complete) throw EPictureError("Picture is invalid: the file is incomplete (cut short)");
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

std::vector<uint8_t> EncodePngWithAlpha(int width, int height, std::span<const uint32_t> argb) {
    if (width <= 0 || height <= 0 || argb.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
        throw EPictureError("Picture cannot be encoded: it is empty or its size is wrong");
    SurfacePtr s(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32));
    if (!s) throw EPictureError(Format("Picture cannot be encoded: %s", SDL_GetError()));
    for (int y = 0; y < height; ++y) {
        auto* row = static_cast<uint8_t*>(s->pixels) + static_cast<ptrdiff_t>(y) * s->pitch;
        for (int x = 0; x < width; ++x) {
            const uint32_t c = argb[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
            row[4 * x] = static_cast<uint8_t>(c >> 16);
            row[4 * x + 1] = static_cast<uint8_t>(c >> 8);
            row[4 * x + 2] = static_cast<uint8_t>(c);
            row[4 * x + 3] = static_cast<uint8_t>(c >> 24);
        }
    }
    return EncodeSurface(s, [](SDL_Surface* surface, SDL_RWops* rw) { return IMG_SavePNG_RW(surface, rw, 0); });
}

std::vector<uint8_t> EncodeJpeg(const TBitmap& picture, int quality) {
    return Encode(picture, [quality](SDL_Surface* s, SDL_RWops* rw) { return IMG_SaveJPG_RW(s, rw, 0, quality); });
}

void SavePng(const TBitmap& picture, const std::string& path) {
    const std::vector<uint8_t> png = EncodePng(picture);
    WriteFileBytes(path, png);
}

}  // namespace tibo
