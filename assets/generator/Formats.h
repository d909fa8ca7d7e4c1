#pragma once
// The file formats of the game's assets, written and read by hand so that the
// stored depth is exactly the one the game expects: Windows bitmaps with a
// palette (4 or 8 bits a pixel) and uncompressed PCM RIFF WAVE sounds.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "assets/Catalogue.h"
#include "framework/Bitmap.h"

namespace tibo::assets {

// A bottom-up, uncompressed bitmap of `depth` (4 or 8) bits a pixel with a
// full colour table; `indices` holds width * height palette indices, rows from
// the top. Raises std::invalid_argument on inconsistent input.
std::vector<uint8_t> EncodeIndexedBmp(int width, int height, int depth, std::span<const Rgb> palette,
                                      std::span<const uint8_t> indices);
// The same for a picture of few colours: the palette is made of its colours in
// order of first appearance; raises when there are more than 2^depth.
std::vector<uint8_t> EncodeIndexedBmp(const TBitmap& picture, int depth);

struct BmpInfo {
    int Width = 0, Height = 0;   // Height is positive also for top-down files
    int Depth = 0;               // bits a pixel
    int Compression = 0;         // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
};
// Reads and checks the headers of a BMP file; returns "" or what is wrong.
std::string ReadBmpInfo(std::span<const uint8_t> file, BmpInfo& info);

struct PcmFormat {
    int Rate = 11025;
    int Bits = 8;        // 8 (unsigned) or 16 (signed, little-endian)
    int Channels = 1;
};
// A RIFF WAVE file holding `samples` (interleaved, already in the stored form).
std::vector<uint8_t> EncodeWav(const PcmFormat& format, std::span<const uint8_t> samples);

struct WavInfo {
    int FormatTag = 0;   // 1 = PCM
    PcmFormat Format;
    int64_t Frames = 0;  // samples per channel
    size_t DataOffset = 0, DataSize = 0;
};
// Reads and checks the chunks of a WAVE file; returns "" or what is wrong.
std::string ReadWavInfo(std::span<const uint8_t> file, WavInfo& info);

bool LooksLikeJpeg(std::span<const uint8_t> file);

}  // namespace tibo::assets
