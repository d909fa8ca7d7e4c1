#include "assets/generator/Formats.h"

#include <cstring>
#include <stdexcept>
#include <unordered_map>

#include "framework/Sound.h"

namespace tibo::assets {
namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
// Appends bytes by resizing and copying (vector::insert here trips a false
// buffer-overflow warning of GCC 12 at -O2).
void Append(std::vector<uint8_t>& out, const uint8_t* data, size_t size) {
    if (size == 0) return;
    const size_t at = out.size();
    out.resize(at + size);
    std::memcpy(out.data() + at, data, size);
}

uint32_t Get16(std::span<const uint8_t> f, size_t at) {
    return static_cast<uint32_t>(f[at]) | static_cast<uint32_t>(f[at + 1]) << 8;
}
uint32_t Get32(std::span<const uint8_t> f, size_t at) { return Get16(f, at) | Get16(f, at + 2) << 16; }
bool TagAt(std::span<const uint8_t> f, size_t at, const char* tag) {
    for (size_t i = 0; i < 4; ++i)
        if (f[at + i] != static_cast<uint8_t>(tag[i])) return false;
    return true;
}

size_t RowBytes(int width, int depth) {
    return (static_cast<size_t>(width) * static_cast<size_t>(depth) + 31) / 32 * 4;
}

}  // namespace

std::vector<uint8_t> EncodeIndexedBmp(int width, int height, int depth, std::span<const Rgb> palette,
                                      std::span<const uint8_t> indices) {
    if (depth != 4 && depth != 8) throw std::invalid_argument("a palette bitmap has 4 or 8 bits a pixel");
    if (width <= 0 || height <= 0) throw std::invalid_argument("a bitmap needs a positive size");
    const size_t colours = size_t{1} << depth;
    if (palette.empty() || palette.size() > colours)
        throw std::invalid_argument("a " + std::to_string(depth) + "-bit bitmap holds 1 to " +
                                    std::to_string(colours) + " colours, not " + std::to_string(palette.size()));
    if (indices.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
        throw std::invalid_argument("the pixel count does not match the size");
    for (uint8_t i : indices)
        if (i >= palette.size()) throw std::invalid_argument("a pixel names a colour beyond the palette");

    const size_t rowBytes = RowBytes(width, depth);
    const size_t imageBytes = rowBytes * static_cast<size_t>(height);
    const size_t offset = 14 + 40 + 4 * colours;
    std::vector<uint8_t> out;
    out.reserve(offset + imageBytes);
    out.push_back('B');
    out.push_back('M');
    Put32(out, static_cast<uint32_t>(offset + imageBytes));
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(offset));
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));  // positive: rows stored bottom-up
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(depth));
    Put32(out, 0);  // no compression
    Put32(out, static_cast<uint32_t>(imageBytes));
    Put32(out, 2835);  // 72 dots an inch
    Put32(out, 2835);
    Put32(out, static_cast<uint32_t>(colours));
    Put32(out, 0);
    for (size_t i = 0; i < colours; ++i) {
        const Rgb c = i < palette.size() ? palette[i] : 0;
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(static_cast<uint8_t>(c >> 8));
        out.push_back(static_cast<uint8_t>(c >> 16));
        out.push_back(0);
    }
    for (int y = height - 1; y >= 0; --y) {
        const uint8_t* row = indices.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
        std::vector<uint8_t> packed(rowBytes, 0);
        for (int x = 0; x < width; ++x) {
            if (depth == 8) {
                packed[static_cast<size_t>(x)] = row[x];
            } else {
                const size_t at = static_cast<size_t>(x) / 2;
                packed[at] = static_cast<uint8_t>(packed[at] | (x % 2 == 0 ? row[x] << 4 : row[x]));
            }
        }
        Append(out, packed.data(), packed.size());
    }
    return out;
}

std::vector<uint8_t> EncodeIndexedBmp(const TBitmap& picture, int depth) {
    std::vector<Rgb> palette;
    std::unordered_map<Rgb, uint8_t> index;
    std::vector<uint8_t> indices;
    indices.reserve(picture.Pixels.size());
    const size_t limit = size_t{1} << (depth == 4 || depth == 8 ? depth : 8);
    for (TColor c : picture.Pixels) {
        c &= 0xFFFFFF;
        auto it = index.find(c);
        if (it == index.end()) {
            if (palette.size() == limit)
                throw std::invalid_argument("the picture has more than " + std::to_string(limit) + " colours");
            it = index.emplace(c, static_cast<uint8_t>(palette.size())).first;
            palette.push_back(c);
        }
        indices.push_back(it->second);
    }
    return EncodeIndexedBmp(picture.Width, picture.Height, depth, palette, indices);
}

std::string ReadBmpInfo(std::span<const uint8_t> file, BmpInfo& info) {
    if (file.size() < 2 || file[0] != 'B' || file[1] != 'M') return "not a BMP file";
    if (file.size() < 14 + 12) return "BMP file is truncated";
    const uint32_t offset = Get32(file, 10);
    const uint32_t headerSize = Get32(file, 14);
    if (headerSize < 12 || 14 + static_cast<size_t>(headerSize) > file.size()) return "BMP header is damaged";
    int64_t height = 0;
    if (headerSize == 12) {
        info.Width = static_cast<int>(Get16(file, 18));
        height = static_cast<int16_t>(Get16(file, 20));
        info.Depth = static_cast<int>(Get16(file, 24));
        info.Compression = 0;
    } else {
        if (headerSize < 40) return "BMP header is damaged";
        info.Width = static_cast<int32_t>(Get32(file, 18));
        height = static_cast<int32_t>(Get32(file, 22));
        info.Depth = static_cast<int>(Get16(file, 28));
        info.Compression = static_cast<int>(Get32(file, 30));
    }
    info.Height = static_cast<int>(height < 0 ? -height : height);
    if (info.Width <= 0 || info.Height <= 0 || info.Width > 16384 || info.Height > 16384)
        return "BMP size " + std::to_string(info.Width) + "x" + std::to_string(height) + " is invalid";
    if (info.Depth != 1 && info.Depth != 4 && info.Depth != 8 && info.Depth != 16 && info.Depth != 24 &&
        info.Depth != 32)
        return "BMP depth " + std::to_string(info.Depth) + " is invalid";
    if (offset > file.size()) return "BMP file is truncated";
    if (info.Compression == 0 || info.Compression == 3) {
        const size_t need = RowBytes(info.Width, info.Depth) * static_cast<size_t>(info.Height);
        if (file.size() - offset < need) return "BMP file is truncated";
    }
    return "";
}

std::vector<uint8_t> EncodeWav(const PcmFormat& format, std::span<const uint8_t> samples) {
    if (format.Bits != 8 && format.Bits != 16) throw std::invalid_argument("PCM sounds have 8 or 16 bits");
    if (format.Channels < 1 || format.Channels > 2) throw std::invalid_argument("PCM sounds have 1 or 2 channels");
    const auto block = static_cast<uint16_t>(format.Channels * format.Bits / 8);
    if (samples.size() % block != 0) throw std::invalid_argument("the samples do not fill whole frames");
    TWave wave;
    wave.Format.FormatTag = 1;
    wave.Format.Channels = static_cast<uint16_t>(format.Channels);
    wave.Format.SamplesPerSec = static_cast<uint32_t>(format.Rate);
    wave.Format.AvgBytesPerSec = static_cast<uint32_t>(format.Rate) * block;
    wave.Format.BlockAlign = block;
    wave.Format.BitsPerSample = static_cast<uint16_t>(format.Bits);
    wave.Data.assign(samples.begin(), samples.end());
    return wave.ToRiff();
}

std::string ReadWavInfo(std::span<const uint8_t> file, WavInfo& info) {
    if (file.size() < 12 || !TagAt(file, 0, "RIFF") || !TagAt(file, 8, "WAVE")) return "not a WAVE file";
    bool haveFormat = false, haveData = false;
    size_t at = 12;
    while (at + 8 <= file.size() && !haveData) {
        const size_t size = Get32(file, at + 4);
        const size_t body = at + 8;
        if (TagAt(file, at, "fmt ")) {
            if (size < 16 || body + 16 > file.size()) return "WAVE format chunk is damaged";
            info.FormatTag = static_cast<int>(Get16(file, body));
            info.Format.Channels = static_cast<int>(Get16(file, body + 2));
            info.Format.Rate = static_cast<int>(Get32(file, body + 4));
            const uint32_t block = Get16(file, body + 12);
            info.Format.Bits = static_cast<int>(Get16(file, body + 14));
            if (info.FormatTag != 1) return "WAVE file is not uncompressed PCM";
            // Both fields are 16 bits: their product is taken in 32 unsigned bits.
            const uint32_t bitsPerFrame = Get16(file, body + 2) * uint32_t{Get16(file, body + 14)};
            if (info.Format.Channels < 1 || info.Format.Bits < 8 || info.Format.Bits % 8 != 0 ||
                block != bitsPerFrame / 8)
                return "WAVE format chunk is damaged";
            haveFormat = true;
        } else if (TagAt(file, at, "data")) {
            if (!haveFormat) return "WAVE data comes before its format";
            if (size > file.size() - body) return "WAVE file is truncated";
            info.DataOffset = body;
            info.DataSize = size;
            info.Frames = static_cast<int64_t>(size / static_cast<size_t>(info.Format.Channels * info.Format.Bits / 8));
            haveData = true;
        }
        if (size > file.size() - body) break;
        at = body + size + size % 2;
    }
    if (!haveFormat) return "WAVE file has no format chunk";
    if (!haveData) return "WAVE file has no data chunk";
    return "";
}

bool LooksLikeJpeg(std::span<const uint8_t> file) {
    return file.size() >= 3 && file[0] == 0xFF && file[1] == 0xD8 && file[2] == 0xFF;
}

}  // namespace tibo::assets
