// Any bytes as a picture: of an asset folder (the checks of --assets, then the
// decoder they end in) and as the decoder sees any BMP, PNG or JPEG file.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "assets/AssetStore.h"
#include "assets/Catalogue.h"
#include "framework/ImageCodec.h"

namespace {

// The first picture asset of each kind whose size matches the header, so that
// the checks go past the size and reach the decoder.
void CheckAsAssets(std::span<const uint8_t> bytes, const tibo::TPictureHeader& header) {
    using tibo::assets::AssetKind;
    bool bmp = false, jpeg = false;
    for (const tibo::assets::AssetFile& f : tibo::assets::AssetFiles()) {
        if (f.Kind == AssetKind::Wav || f.Width != header.Width || f.Height != header.Height) continue;
        bool& seen = f.Kind == AssetKind::Bmp ? bmp : jpeg;
        if (seen) continue;
        seen = true;
        (void)tibo::assets::CheckAsset(f.FileName, bytes);
    }
    if (!bmp) (void)tibo::assets::CheckAsset("Ominodx0.bmp", bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    tibo::TPictureHeader header;
    (void)tibo::ReadPictureHeader(bytes, header);
    CheckAsAssets(bytes, header);
    try {
        const tibo::TBitmap picture = tibo::DecodePicture(bytes);
        if (picture.Width <= 0 || picture.Height <= 0 || picture.Width > tibo::MaxPictureSide ||
            picture.Height > tibo::MaxPictureSide)
            std::abort();
        if (picture.Pixels.size() != static_cast<size_t>(picture.Width) * static_cast<size_t>(picture.Height))
            std::abort();
    } catch (const std::exception&) {
        // refused with a reason: what a bad file must give
    }
    return 0;
}
