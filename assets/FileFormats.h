#pragma once
// The asset files as the game reads them at run time: the headers of BMP and
// JPEG pictures, checked before a picture of an asset folder is decoded, and
// RIFF WAVE sounds, whose one parser both checks a sound and loads it into the
// sound list. Writing these files is the asset generator's business
// (assets/generator/Encoders.h); the game carries no writer.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "framework/Sound.h"

namespace tibo::assets {

struct BmpInfo {
    int Width = 0, Height = 0;   // Height is positive also for top-down files
    int Depth = 0;               // bits a pixel
    int Compression = 0;         // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
};
// Reads and checks the headers of a BMP file; returns "" or what is wrong.
std::string ReadBmpInfo(std::span<const uint8_t> file, BmpInfo& info);
// The bytes of one stored row: whole 32-bit words.
size_t BmpRowBytes(int width, int depth);

bool LooksLikeJpeg(std::span<const uint8_t> file);

// What a RIFF WAVE file holds. PCM of 8, 16, 24 or 32 bits (an extensible
// format with PCM inside counts as PCM); chunks in any order, unknown chunks
// skipped, odd chunks with or without their pad byte; the RIFF size is trusted
// only as far as the file goes.
struct WavInfo {
    TWaveFormat Format;      // the "fmt " chunk, FormatTag 1
    size_t DataOffset = 0;   // where the samples start in the file
    size_t DataSize = 0;     // what the "data" chunk claims to hold
    size_t DataHeld = 0;     // what of it the file holds: less when the file is cut short
    int64_t Frames = 0;      // sample frames of DataSize
};
// Reads and checks the chunks of a WAVE file; returns "" or what is wrong. A
// data chunk that claims more than the file holds is "WAVE file is truncated".
std::string ReadWavInfo(std::span<const uint8_t> file, WavInfo& info);

// The sound of a WAVE file as the sound list plays it: its format and its whole
// sample frames. A data chunk that claims more than the file holds keeps what
// is there (streaming writers leave the size too large); any other fault
// ReadWavInfo finds raises EWaveError "Wave is invalid".
TWave ReadWave(std::span<const uint8_t> file);

}  // namespace tibo::assets
