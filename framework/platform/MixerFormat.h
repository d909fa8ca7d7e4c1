#pragma once
// Sounds in the format of the mixer, for the audio device (SdlAudio.cpp).
#include <SDL.h>

#include <cstdint>
#include <vector>

#include "framework/Sound.h"
#include "framework/platform/MixerLibrary.h"

namespace tibo {

// The mixer's sample format.
struct TMixSpec {
    int Rate = 0;
    Uint16 Format = AUDIO_S16SYS;
    int Channels = 2;
    static TMixSpec OfMixer(const TMixLibrary& mix) {
        TMixSpec spec;
        mix.QuerySpec(&spec.Rate, &spec.Format, &spec.Channels);
        return spec;
    }
};

// The wave's PCM in the mixer's format, or nothing if it cannot be converted.
std::vector<uint8_t> Convert(const TWave& wave, const TMixSpec& spec);

}  // namespace tibo
