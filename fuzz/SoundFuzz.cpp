// Any bytes as a sound of an asset folder: the checks of --assets accept or
// refuse them with a reason, never crash.
#include <cstdint>
#include <span>

#include "assets/AssetStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    // Sounds of either format and of several lengths, as the seeds are.
    for (const char* name : {"Salto.wav", "Passo1.wav", "Esplosione.wav"})
        (void)tibo::assets::CheckAsset(name, bytes);
    return 0;
}
