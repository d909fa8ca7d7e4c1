#pragma once
// Sound recipes: the editable source of the game's sounds. The format (rate,
// bits, channels, length) comes from the catalogue; the recipe says what to
// play, one voice a line, mixed together:
//
//   # wave    start  length  from-Hz  to-Hz  level  envelope  [pan]  [options]
//   square    0.000  0.300   880      220    0.30   decay
//   noise     0.000  0.779   3000     300    0.25   decay     lowpass=2000:200
//   notes square 0.0 0.25 0.20 pluck  C5 E5 G5*2 - C6 C4+E4+G4*4  gate=0.8
//   peak -4
//
// Waves: sine, square, triangle, saw, noise (for noise the frequency is how
// often a new random value is taken, 0 for every sample; the pitch glides
// exponentially from from-Hz to to-Hz). Square, saw and triangle are
// band-limited, so high notes do not alias.
// Envelopes, over the whole voice: flat, decay, pluck (a faster decay), fade
// (linear to silence), swell (up and down), rise. Times are seconds, levels
// 0..1 of full scale, pan -1 (left) .. 1 (right).
//
// A "notes" line plays a melody: wave, start, seconds a step, level, envelope,
// then notes (C4, F#5, Bb3; "*2" holds a note two steps; "-" is a rest;
// "C4+E4+G4" is a chord, each note at the line's level). Each note is a voice
// of its own.
//
// Options, name=value, may follow the fixed fields of any voice line; on a
// notes line they may stand anywhere among the notes and apply to every note.
// A pair is written a:b.
//   pan=P              as the positional pan
//   attack=S           fade in over S seconds (on top of the envelope)
//   release=S          fade out over the last S seconds
//   gate=F             notes only: each note sounds F (0..1] of its steps
//   width=W            square only: the pulse's high part, 0.05..0.95 of a cycle
//   detune=C           two oscillators C cents apart (0..100), not for noise
//   vibrato=HZ:SEMI    pitch wobbles HZ times a second by up to SEMI semitones
//   tremolo=HZ:DEPTH   loudness dips HZ times a second by DEPTH (0..1)
//   lowpass=HZ[:HZ2]   12 dB/octave low-pass, the cut-off gliding to HZ2
//   highpass=HZ[:HZ2]  the same, high-pass
//   resonance=Q        the filters' Q, 0.5..20 (0.707 when not given)
//   echo=S:F           repeats every S seconds, each F (0..0.95) of the last
//   reverb=S:MIX       a room tail dying away (by 60 dB) in S seconds, at MIX
//                      (0..1) of the voice's level
// Echoes and reverb ring on after the voice, until the end of the sound at most.
//
// "peak DB" (-40..-1) scales the finished mix so its loudest sample is DB
// decibels below full scale; without it the levels stand as written.
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
