#pragma once
// The asset generator's writers of the game's files, by hand so that the stored
// depth is exactly the one the game expects: Windows bitmaps with a palette (4
// or 8 bits a pixel) and uncompressed PCM RIFF WAVE sounds. The game reads
// them back with assets/FileFormats.h.
#include <cstdint>
#include <span>
#include <vector>

#include "assets/Catalogue.h"
#include "framework/Bitmap.h"

namespace tibo::assets {

// Little-endian values appended to a file being written.
void Put16(std::vector<uint8_t>& out, uint32_t v);
void Put32(std::vector<uint8_t>& out, uint32_t v);

// A bottom-up, uncompressed bitmap of `depth` (4 or 8) bits a pixel with a
// full colour table; `indices` holds width * height palette indices, rows from
// the top. Raises std::invalid_argument on inconsistent input.
std::vector<uint8_t> EncodeIndexedBmp(int width, int height, int depth, std::span<const Rgb> palette,
                                      std::span<const uint8_t> indices);
// The same for a picture of few colours: the palette is made of its colours in
// order of first appearance; raises when there are more than 2^depth.
std::vector<uint8_t> EncodeIndexedBmp(const TBitmap& picture, int depth);

struct PcmFormat {
    int Rate = 11025;
    int Bits = 8;        // 8 (unsigned) or 16 (signed, little-endian)
    int Channels = 1;
};
// A RIFF WAVE file holding `samples` (interleaved, already in the stored form):
// a 16-byte format chunk and the data chunk, padded to an even size.
std::vector<uint8_t> EncodeWav(const PcmFormat& format, std::span<const uint8_t> samples);

}  // namespace tibo::assets
