#include "framework/platform/MixerFormat.h"

#include <algorithm>
#include <cstddef>

namespace tibo {

std::vector<uint8_t> Convert(const TWave& wave, const TMixSpec& spec) {
    const TWaveFormat& f = wave.Format;
    if (f.FormatTag != 1 || f.Channels == 0 || f.BlockAlign == 0 || wave.Data.empty()) return {};
    std::vector<uint8_t> src(wave.Data.begin(),
                             wave.Data.end() - static_cast<std::ptrdiff_t>(wave.Data.size() % f.BlockAlign));
    SDL_AudioFormat srcFormat = AUDIO_U8;
    switch (f.BitsPerSample) {
        case 8: srcFormat = AUDIO_U8; break;
        case 16: srcFormat = AUDIO_S16LSB; break;
        case 32: srcFormat = AUDIO_S32LSB; break;
        case 24: {
            // Widened to 32 bits, which the converter knows.
            std::vector<uint8_t> wide(src.size() / 3 * 4);
            for (size_t i = 0, o = 0; i + 2 < src.size(); i += 3, o += 4) {
                wide[o] = 0;
                wide[o + 1] = src[i];
                wide[o + 2] = src[i + 1];
                wide[o + 3] = src[i + 2];
            }
            src = std::move(wide);
            srcFormat = AUDIO_S32LSB;
            break;
        }
        default: return {};
    }
    if (src.empty()) return {};
    if (srcFormat == spec.Format && f.Channels == spec.Channels && static_cast<int>(f.SamplesPerSec) == spec.Rate) {
        return src;
    }
    // Through a stream, a piece at a time: converting a whole sound at once
    // takes a scratch buffer many times its size (samples widened to floats,
    // doubled for stereo and for the rate), which would show in the peak memory.
    SDL_AudioStream* stream = SDL_NewAudioStream(srcFormat, static_cast<Uint8>(std::min<int>(f.Channels, 255)),
                                                 static_cast<int>(f.SamplesPerSec), spec.Format,
                                                 static_cast<Uint8>(spec.Channels), spec.Rate);
    if (stream == nullptr) return {};
    std::vector<uint8_t> out;
    const double outPerIn = static_cast<double>(spec.Rate) * spec.Channels * SDL_AUDIO_BITSIZE(spec.Format) /
                            (static_cast<double>(f.SamplesPerSec) * f.Channels * SDL_AUDIO_BITSIZE(srcFormat));
    out.reserve(static_cast<size_t>(static_cast<double>(src.size()) * outPerIn) + 4096);
    uint8_t piece[16384];
    const auto drain = [&] {
        for (int got = 0; (got = SDL_AudioStreamGet(stream, piece, sizeof piece)) > 0;) {
            out.insert(out.end(), piece, piece + got);
        }
    };
    bool ok = true;
    const size_t frame = f.Channels * static_cast<size_t>(SDL_AUDIO_BITSIZE(srcFormat) / 8);
    const size_t step = std::max<size_t>(frame, 8192 / frame * frame);
    for (size_t at = 0; ok && at < src.size(); at += step) {
        const size_t n = std::min(step, src.size() - at);
        ok = SDL_AudioStreamPut(stream, src.data() + at, static_cast<int>(n)) == 0;
        drain();
    }
    ok = ok && SDL_AudioStreamFlush(stream) == 0;
    drain();
    SDL_FreeAudioStream(stream);
    if (!ok) return {};
    return out;
}

}  // namespace tibo
