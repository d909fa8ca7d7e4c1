#pragma once
// Decoding and encoding of pictures (BMP, PNG, JPEG) in memory.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "framework/Bitmap.h"

namespace tibo {

// Decodes a BMP, PNG or JPEG file held in memory; raises EPictureError when it cannot.
// BitCount is the depth stored in the file (BMP), 24 for JPEG, 24 or 32 for PNG.
TBitmap DecodePicture(std::span<const uint8_t> file);
TBitmap LoadPictureFile(const std::string& path);

std::vector<uint8_t> EncodePng(const TBitmap& picture);
std::vector<uint8_t> EncodeJpeg(const TBitmap& picture, int quality);
// Writes a PNG file; raises EPictureError naming the file on failure.
void SavePng(const TBitmap& picture, const std::string& path);

}  // namespace tibo
