#pragma once
// Sound recipes: the editable source of the game's sounds. The format (rate,
// bits, channels, length) comes from the catalogue; the recipe says what to
// play, one voice a line, mixed together:
//
//   # wave    start  length  from-Hz  to-Hz  level  envelope  [pan]
//   square    0.000  0.300   880      220    0.30   decay
//   noise     0.000  0.779   3000     300    0.25   decay
//   notes square 0.0 0.25 0.20 pluck  C5 E5 G5*2 - C6
//
// Waves: sine, square, triangle, saw, noise (for noise the frequency is how
// often a new random value is taken; the pitch glides exponentially from
// from-Hz to to-Hz). Envelopes: flat, decay, pluck, fade, swell, rise.
// Times are seconds, levels 0..1 of full scale, pan -1 (left) .. 1 (right).
// A "notes" line plays a melody: wave, start, seconds a step, level, envelope,
// then notes (C4, F#5, Bb3; "*2" holds a note two steps; "-" is a rest).
#include <cstdint>
#include <string>
#include <vector>

#include "assets/Catalogue.h"

namespace tibo::assets {

// Renders the recipe to the catalogue's format: interleaved samples as stored
// in the WAVE file (8-bit unsigned or 16-bit signed little-endian), exactly
// `sound.Frames()` frames. Raises std::runtime_error naming `where` and the
// line on a bad recipe, a voice that runs past the end or a mix that would clip.
std::vector<uint8_t> RenderSoundRecipe(const std::string& text, const SoundEntry& sound, const std::string& where);

}  // namespace tibo::assets
