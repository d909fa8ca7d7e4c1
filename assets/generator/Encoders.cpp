#include "assets/generator/Encoders.h"

#include <cstring>
#include <stdexcept>
#include <string>
#include <unordered_map>

#include "assets/FileFormats.h"

namespace tibo::assets {
namespace {

// Appends bytes by resizing and copying (vector::insert here trips a false
// buffer-overflow warning of GCC 12 at -O2).
void Append(std::vector<uint8_t>& out, const uint8_t* data, size_t size) {
    if (size == 0) return;
    const size_t at = out.size();
    out.resize(at + size);
    std::memcpy(out.data() + at, data, size);
}

void PutTag(std::vector<uint8_t>& out, const char* tag) { Append(out, reinterpret_cast<const uint8_t*>(tag), 4); }

}  // namespace

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

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

    const size_t rowBytes = BmpRowBytes(width, depth);
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

std::vector<uint8_t> EncodeWav(const PcmFormat& format, std::span<const uint8_t> samples) {
    if (format.Bits != 8 && format.Bits != 16) throw std::invalid_argument("PCM sounds have 8 or 16 bits");
    if (format.Channels < 1 || format.Channels > 2) throw std::invalid_argument("PCM sounds have 1 or 2 channels");
    const auto block = static_cast<uint16_t>(format.Channels * format.Bits / 8);
    if (samples.size() % block != 0) throw std::invalid_argument("the samples do not fill whole frames");
    const size_t pad = samples.size() % 2;
    std::vector<uint8_t> out;
    out.reserve(44 + samples.size() + pad);
    PutTag(out, "RIFF");
    Put32(out, static_cast<uint32_t>(4 + 8 + 16 + 8 + samples.size() + pad));
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, static_cast<uint32_t>(format.Channels));
    Put32(out, static_cast<uint32_t>(format.Rate));
    Put32(out, static_cast<uint32_t>(format.Rate) * block);
    Put16(out, block);
    Put16(out, static_cast<uint32_t>(format.Bits));
    PutTag(out, "data");
    Put32(out, static_cast<uint32_t>(samples.size()));
    Append(out, samples.data(), samples.size());
    if (pad != 0) out.push_back(0);
    return out;
}

}  // namespace tibo::assets
