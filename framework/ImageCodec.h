#pragma once
// Decoding and encoding of pictures (BMP, PNG, JPEG) in memory.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "framework/Bitmap.h"

namespace tibo {

// What the headers of a BMP, PNG or JPEG file say, read without decoding it.
struct TPictureHeader {
    int Width = 0, Height = 0;
    // PNG: the chunks run to the end chunk; JPEG: the markers run from a frame
    // and a scan to the end-of-image marker (a file cut short has none). BMP: true.
    bool Complete = false;
};
// Returns "" or what is wrong with the headers.
std::string ReadPictureHeader(std::span<const uint8_t> file, TPictureHeader& header);

// The largest picture decoded, in either direction: far more than the game's
// pictures, far less than what a forged header may claim.
inline constexpr int MaxPictureSide = 4096;

// Decodes a BMP, PNG or JPEG file held in memory; raises EPictureError when it
// cannot, when its header claims more than MaxPictureSide pixels a side (checked
// before decoding) or when it is incomplete.
// BitCount is the depth stored in the file (BMP), 24 for JPEG, 24 or 32 for PNG.
TBitmap DecodePicture(std::span<const uint8_t> file);
TBitmap LoadPictureFile(const std::string& path);

std::vector<uint8_t> EncodePng(const TBitmap& picture);
// A PNG of 8-bit RGBA from 0xAARRGGBB pixels, rows from the top (alpha 0 is clear).
std::vector<uint8_t> EncodePngWithAlpha(int width, int height, std::span<const uint32_t> argb);
std::vector<uint8_t> EncodeJpeg(const TBitmap& picture, int quality);
// Writes a PNG file; raises EPictureError naming the file on failure.
void SavePng(const TBitmap& picture, const std::string& path);

}  // namespace tibo
