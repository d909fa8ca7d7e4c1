#include "assets/generator/SoundRecipe.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <sstream>
#include <stdexcept>

namespace tibo::assets {
namespace {

enum class Wave { Sine, Square, Triangle, Saw, Noise };
enum class Envelope { Flat, Decay, Pluck, Fade, Swell, Rise };

struct Voice {
    Wave Shape = Wave::Sine;
    double Start = 0, Length = 0, From = 0, To = 0, Level = 0, Pan = 0;
    Envelope Env = Envelope::Flat;
    uint32_t Seed = 1;
};

bool ParseWave(const std::string& s, Wave& w) {
    if (s == "sine") w = Wave::Sine;
    else if (s == "square") w = Wave::Square;
    else if (s == "triangle") w = Wave::Triangle;
    else if (s == "saw") w = Wave::Saw;
    else if (s == "noise") w = Wave::Noise;
    else return false;
    return true;
}

bool ParseEnvelope(const std::string& s, Envelope& e) {
    if (s == "flat") e = Envelope::Flat;
    else if (s == "decay") e = Envelope::Decay;
    else if (s == "pluck") e = Envelope::Pluck;
    else if (s == "fade") e = Envelope::Fade;
    else if (s == "swell") e = Envelope::Swell;
    else if (s == "rise") e = Envelope::Rise;
    else return false;
    return true;
}

// "A4" = 440 Hz; "C#5", "Bb3". Returns 0 when not a note.
double NoteFrequency(const std::string& s) {
    static constexpr int Semitones[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G from C
    if (s.size() < 2 || s[0] < 'A' || s[0] > 'G') return 0;
    int semitone = Semitones[s[0] - 'A'];
    size_t i = 1;
    if (s[i] == '#') { ++semitone; ++i; }
    else if (s[i] == 'b') { --semitone; ++i; }
    if (i + 1 != s.size() || s[i] < '0' || s[i] > '8') return 0;
    const int octave = s[i] - '0';
    const int fromA4 = (octave - 4) * 12 + semitone - 9;
    return 440.0 * std::pow(2.0, fromA4 / 12.0);
}

// Gain of an envelope at t (0..1 of the voice), with short ramps against clicks.
double Gain(Envelope env, double t, double seconds) {
    const double ramp = std::min(1.0, std::min(t, 1.0 - t) * seconds / 0.004);
    switch (env) {
        case Envelope::Flat: return ramp;
        case Envelope::Decay: return ramp * std::exp(-4.0 * t);
        case Envelope::Pluck: return ramp * std::exp(-9.0 * t);
        case Envelope::Fade: return ramp * (1.0 - t);
        case Envelope::Swell: return ramp * (t < 0.5 ? 2 * t : 2 * (1 - t));
        case Envelope::Rise: return ramp * t;
    }
    return 0;
}

uint32_t NextRandom(uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

void Render(const Voice& v, int rate, int channels, std::vector<double>& mix) {
    const int64_t first = std::llround(v.Start * rate);
    const int64_t count = std::llround(v.Length * rate);
    const int64_t frames = static_cast<int64_t>(mix.size()) / channels;
    double phase = 0, held = 0;
    uint32_t random = v.Seed * 2654435761u + 12345u;
    if (random == 0) random = 1;
    for (int64_t i = 0; i < count && first + i < frames; ++i) {
        const double t = count > 1 ? static_cast<double>(i) / static_cast<double>(count - 1) : 0.0;
        const double freq = (v.From > 0 && v.To > 0) ? v.From * std::pow(v.To / v.From, t) : v.From;
        const double before = phase;
        phase += freq / rate;
        phase -= std::floor(phase);
        double s = 0;
        switch (v.Shape) {
            case Wave::Sine: s = std::sin(2 * std::numbers::pi * phase); break;
            case Wave::Square: s = phase < 0.5 ? 1.0 : -1.0; break;
            case Wave::Triangle: s = phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase; break;
            case Wave::Saw: s = 2 * phase - 1; break;
            case Wave::Noise:
                if (freq <= 0 || phase < before || i == 0)
                    held = static_cast<double>(NextRandom(random) % 65536) / 32767.5 - 1.0;
                s = held;
                break;
        }
        const double value = s * v.Level * Gain(v.Env, t, v.Length);
        const size_t at = static_cast<size_t>((first + i) * channels);
        if (channels == 1) {
            mix[at] += value;
        } else {
            mix[at] += value * std::min(1.0, 1.0 - v.Pan);
            mix[at + 1] += value * std::min(1.0, 1.0 + v.Pan);
        }
    }
}

}  // namespace

std::vector<uint8_t> RenderSoundRecipe(const std::string& text, const SoundEntry& sound, const std::string& where) {
    const int frames = sound.Frames();
    const double end = static_cast<double>(frames) / sound.Rate;
    std::vector<double> mix(static_cast<size_t>(frames) * static_cast<size_t>(sound.Channels), 0.0);
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    auto fail = [&](const std::string& why) -> void {
        throw std::runtime_error(where + (lineNo > 0 ? ":" + std::to_string(lineNo) : "") + ": " + why);
    };
    auto place = [&](Voice& v) {
        if (v.Start < 0 || v.Length <= 0) fail("start must be 0 or more and length above 0");
        if (v.Start + v.Length > end + 1.0 / sound.Rate)
            fail("the voice ends at " + std::to_string(v.Start + v.Length) + " s, after the sound's end at " +
                 std::to_string(end) + " s");
        if (v.Level < 0 || v.Level > 1) fail("level must be between 0 and 1");
        if (v.Pan < -1 || v.Pan > 1) fail("pan must be between -1 and 1");
        v.Seed = static_cast<uint32_t>(lineNo) * 7919u + static_cast<uint32_t>(v.Start * 1000);
        Render(v, sound.Rate, sound.Channels, mix);
    };
    int voices = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        std::istringstream fields(line);
        std::string first;
        if (!(fields >> first) || first[0] == '#') continue;
        Voice v;
        std::string envelope, extra;
        if (first == "notes") {
            std::string wave;
            double step = 0;
            if (!(fields >> wave >> v.Start >> step >> v.Level >> envelope)) fail("expected: notes wave start step level envelope notes...");
            if (!ParseWave(wave, v.Shape)) fail("unknown wave '" + wave + "'");
            if (!ParseEnvelope(envelope, v.Env)) fail("unknown envelope '" + envelope + "'");
            if (step <= 0) fail("step must be above 0");
            std::string note;
            double at = v.Start;
            while (fields >> note) {
                if (note[0] == '#') break;
                int hold = 1;
                const auto star = note.find('*');
                if (star != std::string::npos) {
                    hold = std::atoi(note.c_str() + star + 1);
                    note.resize(star);
                    if (hold < 1) fail("bad hold in '" + note + "'");
                }
                if (note != "-") {
                    const double f = NoteFrequency(note);
                    if (f <= 0) fail("unknown note '" + note + "'");
                    Voice n = v;
                    n.Start = at;
                    n.Length = step * hold;
                    n.From = n.To = f;
                    place(n);
                    ++voices;
                }
                at += step * hold;
            }
            continue;
        }
        if (!ParseWave(first, v.Shape)) fail("unknown wave '" + first + "'");
        if (!(fields >> v.Start >> v.Length >> v.From >> v.To >> v.Level >> envelope))
            fail("expected: wave start length from-Hz to-Hz level envelope [pan]");
        if (!ParseEnvelope(envelope, v.Env)) fail("unknown envelope '" + envelope + "'");
        if (v.From < 0 || v.To < 0 || v.From > sound.Rate / 2.0 || v.To > sound.Rate / 2.0)
            fail("frequencies must be between 0 and half the rate");
        if (fields >> extra) {
            if (extra[0] != '#') {
                try {
                    v.Pan = std::stod(extra);
                } catch (const std::exception&) {
                    fail("bad pan '" + extra + "'");
                }
            }
        }
        if (v.Pan != 0 && sound.Channels == 1) fail("pan needs a stereo sound");
        place(v);
        ++voices;
    }
    lineNo = 0;
    if (voices == 0) fail("the recipe plays nothing");
    double peak = 0;
    for (double s : mix) peak = std::max(peak, std::abs(s));
    if (peak > 0.9) fail("the mix peaks at " + std::to_string(peak) + " and would clip; lower the levels");

    std::vector<uint8_t> out;
    out.reserve(mix.size() * static_cast<size_t>(sound.Bits / 8));
    for (double s : mix) {
        if (sound.Bits == 8) {
            out.push_back(static_cast<uint8_t>(std::lround(128.0 + 127.0 * s)));
        } else {
            const auto v = static_cast<int16_t>(std::lround(32767.0 * s));
            const auto u = static_cast<uint16_t>(v);
            out.push_back(static_cast<uint8_t>(u & 0xFF));
            out.push_back(static_cast<uint8_t>(u >> 8));
        }
    }
    return out;
}

}  // namespace tibo::assets
