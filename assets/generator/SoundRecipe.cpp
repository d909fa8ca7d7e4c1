#include "assets/generator/SoundRecipe.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace tibo::assets {
namespace {

constexpr double TwoPi = 2 * std::numbers::pi;

enum class Wave { Sine, Square, Triangle, Saw, Noise };
enum class Envelope { Flat, Decay, Pluck, Fade, Swell, Rise };

// A slow sine that moves the pitch (vibrato) or the loudness (tremolo).
struct Wobble {
    double Rate = 0, Depth = 0;
};

// A filter's cut-off gliding over the voice; From 0 leaves the filter out.
struct Cutoff {
    double From = 0, To = 0;
};

struct Voice {
    Wave Shape = Wave::Sine;
    double Start = 0, Length = 0, From = 0, To = 0, Level = 0, Pan = 0;
    Envelope Env = Envelope::Flat;
    uint32_t Seed = 1;
    double Attack = 0, Release = 0, Width = 0.5, Detune = 0;
    Wobble Vibrato, Tremolo;
    Cutoff LowPass, HighPass;
    double Resonance = std::numbers::sqrt2 / 2;
    double EchoDelay = 0, EchoFeedback = 0;
    double ReverbTime = 0, ReverbMix = 0;
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

// "0.5" or "6:0.3": the numbers of an option's value, nothing when malformed.
std::optional<std::vector<double>> ParseNumbers(const std::string& text) {
    std::vector<double> values;
    size_t begin = 0;
    while (true) {
        const size_t end = text.find(':', begin);
        const std::string part = text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
        char* stop = nullptr;
        const double value = std::strtod(part.c_str(), &stop);
        if (part.empty() || *stop != '\0' || !std::isfinite(value)) return std::nullopt;
        values.push_back(value);
        if (end == std::string::npos) return values;
        begin = end + 1;
    }
}

// Applies one name=value option to the voice (and to `gate` on a notes line).
// Returns what is wrong with it, or an empty string.
std::string ApplyOption(const std::string& token, bool notesLine, double nyquist, Voice& v, double& gate) {
    const size_t equals = token.find('=');
    const std::string name = token.substr(0, equals);
    const std::optional<std::vector<double>> parsed = ParseNumbers(token.substr(equals + 1));
    const std::vector<double> x = parsed.value_or(std::vector<double>{});
    const auto within = [](double value, double low, double high) { return value >= low && value <= high; };
    const auto one = [&](double low, double high) { return x.size() == 1 && within(x[0], low, high); };
    const auto two = [&](double low0, double high0, double low1, double high1) {
        return x.size() == 2 && within(x[0], low0, high0) && within(x[1], low1, high1);
    };
    const auto wrong = [&](const std::string& expected) { return "option '" + token + "': expected " + expected; };

    if (name == "pan") {
        if (!one(-1, 1)) return wrong("pan=-1..1");
        v.Pan = x[0];
    } else if (name == "attack" || name == "release") {
        if (!one(0, 60)) return wrong(name + "=seconds");
        (name == "attack" ? v.Attack : v.Release) = x[0];
    } else if (name == "gate") {
        if (!notesLine) return "option 'gate' is for notes lines";
        if (!one(0.01, 1)) return wrong("gate=0.01..1");
        gate = x[0];
    } else if (name == "width") {
        if (v.Shape != Wave::Square) return "option 'width' needs a square wave";
        if (!one(0.05, 0.95)) return wrong("width=0.05..0.95");
        v.Width = x[0];
    } else if (name == "detune") {
        if (v.Shape == Wave::Noise) return "option 'detune' needs a pitched wave";
        if (!one(0, 100)) return wrong("detune=0..100 cents");
        v.Detune = x[0];
    } else if (name == "vibrato" || name == "tremolo") {
        const bool pitch = name == "vibrato";
        if (!two(0.1, 100, 0, pitch ? 12 : 1)) return wrong(name + (pitch ? "=Hz:0..12 semitones" : "=Hz:0..1"));
        (pitch ? v.Vibrato : v.Tremolo) = {x[0], x[1]};
    } else if (name == "lowpass" || name == "highpass") {
        if (!one(20, nyquist) && !two(20, nyquist, 20, nyquist)) return wrong(name + "=Hz[:Hz] from 20 Hz to half the rate");
        (name == "lowpass" ? v.LowPass : v.HighPass) = {x[0], x.back()};
    } else if (name == "resonance") {
        if (!one(0.5, 20)) return wrong("resonance=0.5..20");
        v.Resonance = x[0];
    } else if (name == "echo") {
        if (!two(0.01, 2, 0, 0.95)) return wrong("echo=seconds:0..0.95");
        v.EchoDelay = x[0];
        v.EchoFeedback = x[1];
    } else if (name == "reverb") {
        if (!two(0.1, 10, 0, 1)) return wrong("reverb=seconds:0..1");
        v.ReverbTime = x[0];
        v.ReverbMix = x[1];
    } else {
        return "unknown option '" + name + "'";
    }
    return "";
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

// The correction that rounds off a jump of a wave at phase 0, t the phase and
// dt the phase step a sample: without it square and saw waves alias badly.
// (The jump is 2, from -1 to 1; spread over one sample each side.)
double Blep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

// The same for a sudden change of slope, one sample per unit of the change:
// it rounds off the corners of a triangle wave.
double Blamp(double t, double dt) {
    if (t < dt) {
        t = 1.0 - t / dt;
        return t * t * t / 6.0;
    }
    if (t > 1.0 - dt) {
        t = 1.0 + (t - 1.0) / dt;
        return t * t * t / 6.0;
    }
    return 0.0;
}

double Wrap(double phase) { return phase - std::floor(phase); }

// One oscillator: a wave between -1 and 1 at a frequency that may change
// every sample.
class Oscillator {
public:
    Oscillator(Wave shape, double width, uint32_t seed)
        : Shape_(shape), Width_(width), Random_(seed * 2654435761u + 12345u) {
        if (Random_ == 0) Random_ = 1;
    }

    double Next(double freq, int rate) {
        const double dt = std::min(freq / rate, 0.5);
        const double p = Phase_;
        double s = 0;
        switch (Shape_) {
            case Wave::Sine: s = std::sin(TwoPi * p); break;
            case Wave::Square: {
                // A pulse high for Width_ of the cycle, centred on zero and
                // scaled back to a peak of 1.
                const double offset = 2 * Width_ - 1;
                s = (p < Width_ ? 1.0 : -1.0) + Blep(p, dt) - Blep(Wrap(p + 1 - Width_), dt);
                s = (s - offset) / (1 + std::abs(offset));
                break;
            }
            case Wave::Triangle:
                // The slope turns by 8 a cycle at the bottom and back at the top.
                s = (p < 0.5 ? 4 * p - 1 : 3 - 4 * p) + 8 * dt * (Blamp(p, dt) - Blamp(Wrap(p + 0.5), dt));
                break;
            case Wave::Saw: s = 2 * p - 1 - Blep(p, dt); break;
            case Wave::Noise:
                if (NewValue_ || freq <= 0) Held_ = static_cast<double>(NextRandom(Random_) % 65536) / 32767.5 - 1.0;
                s = Held_;
                break;
        }
        Phase_ += freq / rate;
        NewValue_ = Phase_ >= 1.0;
        Phase_ = Wrap(Phase_);
        return s;
    }

private:
    Wave Shape_;
    double Width_;
    uint32_t Random_;
    double Phase_ = 0, Held_ = 0;
    bool NewValue_ = true;
};

enum class Pass { Low, High };

// A state-variable filter, 12 dB an octave, whose cut-off glides exponentially
// over the samples.
void Filter(std::vector<double>& s, Cutoff cut, Pass pass, double q, int rate) {
    if (cut.From <= 0 || s.empty()) return;
    const double k = 1 / q;
    double ic1 = 0, ic2 = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = s.size() > 1 ? static_cast<double>(i) / static_cast<double>(s.size() - 1) : 0.0;
        const double f = std::min(cut.From * std::pow(cut.To / cut.From, t), 0.49 * rate);
        const double g = std::tan(std::numbers::pi * f / rate);
        const double a1 = 1 / (1 + g * (g + k)), a2 = g * a1, a3 = g * a2;
        const double v3 = s[i] - ic2;
        const double v1 = a1 * ic1 + a2 * v3;
        const double v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2 * v1 - ic1;
        ic2 = 2 * v2 - ic2;
        s[i] = pass == Pass::Low ? v2 : s[i] - k * v1 - v2;
    }
}

// Repeats every `delay` seconds, each `feedback` times the one before.
void AddEcho(std::vector<double>& s, double delay, double feedback, int rate) {
    const auto d = static_cast<size_t>(std::max<int64_t>(1, std::llround(delay * rate)));
    for (size_t i = d; i < s.size(); ++i) s[i] += feedback * s[i - d];
}

// A small room: four damped comb filters side by side, then two all-pass
// filters to thicken the echoes. Each comb is scaled to pass as much energy
// as it takes in, so `mix` sets the tail's level against the dry voice.
void AddReverb(std::vector<double>& s, double seconds, double mix, int rate) {
    static constexpr double CombMs[4] = {29.7, 37.1, 41.1, 43.7};
    static constexpr double AllPassMs[2] = {5.0, 1.7};
    static constexpr double AllPassGain = 0.7;
    static constexpr double Damping = 0.25;  // how much each pass dulls the highs
    const auto delay = [rate](double ms) { return static_cast<size_t>(std::max<int64_t>(1, std::llround(ms * rate / 1000))); };
    std::vector<double> wet(s.size(), 0.0);
    for (double ms : CombMs) {
        const size_t d = delay(ms);
        const double g = std::pow(10.0, -3.0 * static_cast<double>(d) / (seconds * rate));
        const double scale = std::sqrt(1 - g * g) / 2;
        std::vector<double> line(d, 0.0);
        double damped = 0;
        for (size_t i = 0; i < s.size(); ++i) {
            const double out = line[i % d];
            damped = out + Damping * (damped - out);
            line[i % d] = s[i] + g * damped;
            wet[i] += out * scale;
        }
    }
    for (double ms : AllPassMs) {
        const size_t d = delay(ms);
        std::vector<double> line(d, 0.0);
        for (size_t i = 0; i < s.size(); ++i) {
            const double delayed = line[i % d];
            const double v = wet[i] + AllPassGain * delayed;
            wet[i] = delayed - AllPassGain * v;
            line[i % d] = v;
        }
    }
    for (size_t i = 0; i < s.size(); ++i) s[i] += mix * wet[i];
}

// How long the voice rings on after its end, in samples.
int64_t TailSamples(const Voice& v, int rate) {
    double seconds = 0;
    if (v.EchoFeedback > 0) seconds += v.EchoDelay * std::ceil(std::log(0.001) / std::log(v.EchoFeedback));
    if (v.ReverbMix > 0) seconds += v.ReverbTime;
    return std::llround(seconds * rate);
}

// The voice alone, from its first sample: its own length, then the ring of
// its echoes and reverb, at most `room` samples (up to the sound's end).
std::vector<double> RenderVoice(const Voice& v, int rate, int64_t room) {
    const int64_t count = std::llround(v.Length * rate);
    std::vector<double> s(static_cast<size_t>(std::clamp<int64_t>(count, 0, room)));
    const double spread = std::pow(2.0, v.Detune / 1200.0);
    Oscillator low(v.Shape, v.Width, v.Seed), high(v.Shape, v.Width, v.Seed + 1);
    const auto ramp = [](double seconds, double over) { return over > 0 ? std::min(1.0, seconds / over) : 1.0; };
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = count > 1 ? static_cast<double>(i) / static_cast<double>(count - 1) : 0.0;
        const double seconds = static_cast<double>(i) / rate;
        double freq = (v.From > 0 && v.To > 0) ? v.From * std::pow(v.To / v.From, t) : v.From;
        if (v.Vibrato.Depth > 0) freq *= std::pow(2.0, v.Vibrato.Depth / 12 * std::sin(TwoPi * v.Vibrato.Rate * seconds));
        const double wave =
            v.Detune > 0 ? (low.Next(freq / spread, rate) + high.Next(freq * spread, rate)) / 2 : low.Next(freq, rate);
        double gain = v.Level * Gain(v.Env, t, v.Length);
        gain *= ramp(seconds, v.Attack) * ramp(static_cast<double>(count - 1) / rate - seconds, v.Release);
        if (v.Tremolo.Depth > 0) gain *= 1 - v.Tremolo.Depth * (0.5 - 0.5 * std::cos(TwoPi * v.Tremolo.Rate * seconds));
        s[i] = wave * gain;
    }
    Filter(s, v.LowPass, Pass::Low, v.Resonance, rate);
    Filter(s, v.HighPass, Pass::High, v.Resonance, rate);

    const int64_t tail = TailSamples(v, rate);
    if (tail == 0) return s;
    const size_t dry = s.size();
    s.resize(static_cast<size_t>(std::min(count + tail, room)), 0.0);
    if (v.EchoFeedback > 0) AddEcho(s, v.EchoDelay, v.EchoFeedback, rate);
    if (v.ReverbMix > 0) AddReverb(s, v.ReverbTime, v.ReverbMix, rate);
    // The tail is cut where it has died away or where the sound ends, maybe
    // while it still rings: fade its last 5 ms so the cut does not click.
    const size_t fade = std::min(s.size() - dry, static_cast<size_t>(0.005 * rate) + 1);
    for (size_t i = 0; i < fade; ++i) s[s.size() - 1 - i] *= static_cast<double>(i) / static_cast<double>(fade);
    return s;
}

void MixIn(const Voice& v, const std::vector<double>& s, int rate, int channels, std::vector<double>& mix) {
    const auto first = static_cast<size_t>(std::llround(v.Start * rate));
    const size_t frames = mix.size() / static_cast<size_t>(channels);
    for (size_t i = 0; i < s.size() && first + i < frames; ++i) {
        const size_t at = (first + i) * static_cast<size_t>(channels);
        if (channels == 1) {
            mix[at] += s[i];
        } else {
            mix[at] += s[i] * std::min(1.0, 1.0 - v.Pan);
            mix[at + 1] += s[i] * std::min(1.0, 1.0 + v.Pan);
        }
    }
}

// Reads a recipe line by line, mixing each voice in as it comes.
class Recipe {
public:
    Recipe(const SoundEntry& sound, const std::string& where)
        : Sound_(sound),
          Where_(where),
          Frames_(sound.Frames()),
          Mix_(static_cast<size_t>(Frames_) * static_cast<size_t>(sound.Channels), 0.0) {}

    void Read(const std::string& text) {
        std::istringstream in(text);
        std::string line;
        while (std::getline(in, line)) {
            ++LineNo_;
            std::istringstream fields(line);
            std::string first;
            if (!(fields >> first) || first[0] == '#') continue;
            std::vector<std::string> rest;
            for (std::string token; fields >> token && token[0] != '#';) rest.push_back(token);
            if (first == "peak") ReadPeak(rest);
            else if (first == "notes") ReadNotes(rest);
            else ReadVoice(first, rest);
        }
        LineNo_ = 0;
    }

    std::vector<uint8_t> Samples() {
        if (Voices_ == 0) Fail("the recipe plays nothing");
        double loudest = 0;
        for (double s : Mix_) loudest = std::max(loudest, std::abs(s));
        if (Peak_ && loudest > 0) {
            const double scale = std::pow(10.0, *Peak_ / 20) / loudest;
            for (double& s : Mix_) s *= scale;
            loudest *= scale;
        }
        if (loudest > 0.9) Fail("the mix peaks at " + std::to_string(loudest) + " and would clip; lower the levels");

        std::vector<uint8_t> out;
        out.reserve(Mix_.size() * static_cast<size_t>(Sound_.Bits / 8));
        for (double s : Mix_) {
            if (Sound_.Bits == 8) {
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

private:
    [[noreturn]] void Fail(const std::string& why) const {
        throw std::runtime_error(Where_ + (LineNo_ > 0 ? ":" + std::to_string(LineNo_) : "") + ": " + why);
    }

    double Seconds() const { return static_cast<double>(Frames_) / Sound_.Rate; }

    // The leading numbers and words of a line, read like a stream.
    static std::istringstream Fields(const std::vector<std::string>& rest, size_t count) {
        std::string joined;
        for (size_t i = 0; i < std::min(count, rest.size()); ++i) joined += rest[i] + " ";
        return std::istringstream(joined);
    }

    void Option(const std::string& token, bool notesLine, Voice& v, double& gate) const {
        const std::string fault = ApplyOption(token, notesLine, Sound_.Rate / 2.0, v, gate);
        if (!fault.empty()) Fail(fault);
    }

    // peak DB
    void ReadPeak(const std::vector<std::string>& rest) {
        if (Peak_) Fail("peak given twice");
        const auto db = rest.size() == 1 ? ParseNumbers(rest[0]) : std::nullopt;
        if (!db || db->size() != 1 || (*db)[0] < -40 || (*db)[0] > -1) Fail("expected: peak -40..-1 (dB)");
        Peak_ = (*db)[0];
    }

    // wave start length from-Hz to-Hz level envelope [pan] [options]
    void ReadVoice(const std::string& wave, const std::vector<std::string>& rest) {
        Voice v;
        std::string envelope;
        if (!ParseWave(wave, v.Shape)) Fail("unknown wave '" + wave + "'");
        std::istringstream fields = Fields(rest, 6);
        if (rest.size() < 6 || !(fields >> v.Start >> v.Length >> v.From >> v.To >> v.Level >> envelope))
            Fail("expected: wave start length from-Hz to-Hz level envelope [pan]");
        if (!ParseEnvelope(envelope, v.Env)) Fail("unknown envelope '" + envelope + "'");
        if (v.From < 0 || v.To < 0 || v.From > Sound_.Rate / 2.0 || v.To > Sound_.Rate / 2.0)
            Fail("frequencies must be between 0 and half the rate");
        size_t i = 6;
        if (i < rest.size() && rest[i].find('=') == std::string::npos) {
            const auto pan = ParseNumbers(rest[i]);
            if (!pan || pan->size() != 1) Fail("bad pan '" + rest[i] + "'");
            v.Pan = (*pan)[0];
            ++i;
        }
        double gate = 1;
        for (; i < rest.size(); ++i) {
            if (rest[i].find('=') == std::string::npos) Fail("unexpected '" + rest[i] + "'");
            Option(rest[i], false, v, gate);
        }
        Place(v);
    }

    // notes wave start step level envelope notes-and-options...
    void ReadNotes(const std::vector<std::string>& rest) {
        Voice v;
        std::string wave, envelope;
        double step = 0;
        std::istringstream fields = Fields(rest, 5);
        if (rest.size() < 5 || !(fields >> wave >> v.Start >> step >> v.Level >> envelope))
            Fail("expected: notes wave start step level envelope notes...");
        if (!ParseWave(wave, v.Shape)) Fail("unknown wave '" + wave + "'");
        if (!ParseEnvelope(envelope, v.Env)) Fail("unknown envelope '" + envelope + "'");
        if (step <= 0) Fail("step must be above 0");
        // Options first, wherever they stand: they apply to every note.
        double gate = 1;
        std::vector<std::string> notes;
        for (size_t i = 5; i < rest.size(); ++i) {
            if (rest[i].find('=') != std::string::npos) Option(rest[i], true, v, gate);
            else notes.push_back(rest[i]);
        }
        double at = v.Start;
        for (std::string note : notes) {
            int hold = 1;
            const auto star = note.find('*');
            if (star != std::string::npos) {
                hold = std::atoi(note.c_str() + star + 1);
                note.resize(star);
                if (hold < 1) Fail("bad hold in '" + note + "'");
            }
            if (note != "-") {
                // A chord: every note of it starts together.
                for (size_t begin = 0; begin <= note.size();) {
                    const size_t plus = std::min(note.find('+', begin), note.size());
                    const std::string name = note.substr(begin, plus - begin);
                    const double f = NoteFrequency(name);
                    if (f <= 0) Fail("unknown note '" + name + "'");
                    Voice n = v;
                    n.Start = at;
                    n.Length = step * hold * gate;
                    n.From = n.To = f;
                    Place(n);
                    begin = plus + 1;
                }
            }
            at += step * hold;
        }
    }

    void Place(Voice& v) {
        if (v.Start < 0 || v.Length <= 0) Fail("start must be 0 or more and length above 0");
        if (v.Start + v.Length > Seconds() + 1.0 / Sound_.Rate)
            Fail("the voice ends at " + std::to_string(v.Start + v.Length) + " s, after the sound's end at " +
                 std::to_string(Seconds()) + " s");
        if (v.Level < 0 || v.Level > 1) Fail("level must be between 0 and 1");
        if (v.Pan < -1 || v.Pan > 1) Fail("pan must be between -1 and 1");
        if (v.Pan != 0 && Sound_.Channels == 1) Fail("pan needs a stereo sound");
        v.Seed = static_cast<uint32_t>(LineNo_) * 7919u + static_cast<uint32_t>(v.Start * 1000);
        const int64_t room = Frames_ - std::llround(v.Start * Sound_.Rate);
        MixIn(v, RenderVoice(v, Sound_.Rate, room), Sound_.Rate, Sound_.Channels, Mix_);
        ++Voices_;
    }

    const SoundEntry& Sound_;
    const std::string& Where_;
    int Frames_;
    std::vector<double> Mix_;
    int LineNo_ = 0;
    int Voices_ = 0;
    std::optional<double> Peak_;
};

}  // namespace

std::vector<uint8_t> RenderSoundRecipe(const std::string& text, const SoundEntry& sound, const std::string& where) {
    Recipe recipe(sound, where);
    recipe.Read(text);
    return recipe.Samples();
}

}  // namespace tibo::assets
