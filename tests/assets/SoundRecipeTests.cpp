// The sound recipes' synthesis: options, chords, the peak line, band-limited
// waves, filters, wobbles and the tails of echoes and reverb.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "assets/Catalogue.h"
#include "assets/generator/SoundRecipe.h"

namespace tibo::assets {
namespace {

constexpr int Rate = 22050;

// Renders a mono 16-bit recipe and gives its samples as -1..1.
std::vector<double> Render(const std::string& text, double seconds, int rate = Rate) {
    const SoundEntry sound{"T", rate, 16, 1, seconds};
    const std::vector<uint8_t> bytes = RenderSoundRecipe(text, sound, "t.snd");
    std::vector<double> s;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        s.push_back(static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8) / 32767.0);
    return s;
}

std::string Fault(const std::string& text, int channels = 1) {
    try {
        RenderSoundRecipe(text, SoundEntry{"T", 11025, 8, channels, 0.5}, "x.snd");
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "accepted";
}

// Loudness of samples [from, to) seconds.
double Rms(const std::vector<double>& s, double from, double to, int rate = Rate) {
    const auto a = static_cast<size_t>(from * rate), b = std::min(s.size(), static_cast<size_t>(to * rate));
    double sum = 0;
    for (size_t i = a; i < b; ++i) sum += s[i] * s[i];
    return std::sqrt(sum / static_cast<double>(b - a));
}

// The amplitude of one frequency in the samples (a single DFT bin).
double Amplitude(const std::vector<double>& s, double hz, int rate) {
    double re = 0, im = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double a = 2 * std::numbers::pi * hz * static_cast<double>(i) / rate;
        re += s[i] * std::cos(a);
        im += s[i] * std::sin(a);
    }
    return 2 * std::hypot(re, im) / static_cast<double>(s.size());
}

double Peak(const std::vector<double>& s) {
    double p = 0;
    for (double v : s) p = std::max(p, std::abs(v));
    return p;
}

TEST(SoundRecipeOptions, BadOptionsAreNamedWithTheirLine) {
    EXPECT_EQ(Fault("sine 0 0.1 440 440 0.3 flat sparkle=1\n"), "x.snd:1: unknown option 'sparkle'");
    EXPECT_EQ(Fault("sine 0 0.1 440 440 0.3 flat width=0.3\n"), "x.snd:1: option 'width' needs a square wave");
    EXPECT_EQ(Fault("noise 0 0.1 0 0 0.3 flat detune=5\n"), "x.snd:1: option 'detune' needs a pitched wave");
    EXPECT_EQ(Fault("square 0 0.1 440 440 0.3 flat gate=0.5\n"), "x.snd:1: option 'gate' is for notes lines");
    EXPECT_EQ(Fault("#\nsine 0 0.1 440 440 0.3 flat vibrato=5\n"),
              "x.snd:2: option 'vibrato=5': expected vibrato=Hz:0..12 semitones");
    EXPECT_EQ(Fault("sine 0 0.1 440 440 0.3 flat lowpass=9000\n"),
              "x.snd:1: option 'lowpass=9000': expected lowpass=Hz[:Hz] from 20 Hz to half the rate");
    EXPECT_EQ(Fault("sine 0 0.1 440 440 0.3 flat echo=0.1:1.5\n"), "x.snd:1: option 'echo=0.1:1.5': expected echo=seconds:0..0.95");
    EXPECT_EQ(Fault("sine 0 0.1 440 440 0.3 flat attack=x\n"), "x.snd:1: option 'attack=x': expected attack=seconds");
    EXPECT_EQ(Fault("sine 0 0.1 440 440 0.3 flat 0.5 0.5\n", 2), "x.snd:1: unexpected '0.5'");
    EXPECT_EQ(Fault("notes sine 0 0.1 0.3 flat C4 pan=0.5\n"), "x.snd:1: pan needs a stereo sound");
    EXPECT_EQ(Fault("notes sine 0 0.1 0.3 flat C4+X4\n"), "x.snd:1: unknown note 'X4'");
    EXPECT_EQ(Fault("peak -3\npeak -4\nsine 0 0.1 440 440 0.3 flat\n"), "x.snd:2: peak given twice");
    EXPECT_EQ(Fault("peak 0\nsine 0 0.1 440 440 0.3 flat\n"), "x.snd:1: expected: peak -40..-1 (dB)");
    // Positional pan and options together; options anywhere on a notes line.
    EXPECT_EQ(Fault("square 0 0.1 440 440 0.3 flat -0.5 width=0.3 pan=0.2\n", 2), "accepted");
    EXPECT_EQ(Fault("notes triangle 0 0.1 0.2 pluck C4 gate=0.5 E4+G4*2 - release=0.02 C5\n"), "accepted");
}

TEST(SoundRecipeNotes, AChordIsItsNotesPlayedTogether) {
    const auto chord = Render("notes sine 0 0.2 0.2 flat C4+E4+G4*2\n", 0.4);
    const auto apart = Render(
        "notes sine 0 0.2 0.2 flat C4*2\nnotes sine 0 0.2 0.2 flat E4*2\nnotes sine 0 0.2 0.2 flat G4*2\n", 0.4);
    ASSERT_EQ(chord.size(), apart.size());
    for (size_t i = 0; i < chord.size(); ++i) ASSERT_NEAR(chord[i], apart[i], 2.0 / 32767) << i;
    EXPECT_GT(Peak(chord), 0.3);
}

TEST(SoundRecipeNotes, GateShortensEachNote) {
    const auto s = Render("notes square 0 0.1 0.5 flat A4 A4 gate=0.5\n", 0.2);
    EXPECT_GT(Rms(s, 0.00, 0.05), 0.4);
    EXPECT_LT(Rms(s, 0.051, 0.1), 0.001);
    EXPECT_GT(Rms(s, 0.10, 0.15), 0.4);
    EXPECT_LT(Rms(s, 0.151, 0.2), 0.001);
}

TEST(SoundRecipeMix, PeakScalesTheMixToItsDecibels) {
    const auto s = Render("peak -6\nsine 0 0.2 440 440 0.1 decay\nnoise 0.1 0.1 0 0 0.05 flat\n", 0.2);
    EXPECT_NEAR(Peak(s), std::pow(10.0, -6.0 / 20), 0.001);
    // Without it a mix that would clip is refused; with it the same mix is fine.
    const std::string loud = "square 0 0.2 440 440 0.6 flat\nsquare 0 0.2 440 440 0.6 flat\n";
    EXPECT_NE(Fault(loud).find("would clip"), std::string::npos);
    EXPECT_NEAR(Peak(Render("peak -3\n" + loud, 0.2)), std::pow(10.0, -3.0 / 20), 0.001);
}

TEST(SoundRecipeWaves, SquareSawAndTriangleDoNotAlias) {
    // 1500 Hz at 11025: the 7th harmonic (10500 Hz) would fold back to 525 Hz
    // and the 9th (13500 Hz) to 2475 Hz, where nothing of the wave belongs.
    for (const char* wave : {"square", "saw", "triangle"}) {
        SCOPED_TRACE(wave);
        const auto s = Render(std::string(wave) + " 0 0.5 1500 1500 0.5 flat\n", 0.5, 11025);
        const double fundamental = Amplitude(s, 1500, 11025);
        EXPECT_GT(fundamental, 0.25);
        EXPECT_LT(Amplitude(s, 525, 11025), fundamental / 300);
        EXPECT_LT(Amplitude(s, 2475, 11025), fundamental / 100);
    }
}

TEST(SoundRecipeWaves, PulseWidthSetsTheHighPartAndKeepsThePeak) {
    const auto s = Render("square 0 0.5 100 100 0.5 flat width=0.25\n", 0.5);
    const auto high = std::count_if(s.begin(), s.end(), [](double v) { return v > 0.1; });
    EXPECT_NEAR(static_cast<double>(high) / static_cast<double>(s.size()), 0.25, 0.02);
    EXPECT_NEAR(Peak(s), 0.5, 0.01);
    double sum = 0;
    for (double v : s) sum += v;
    EXPECT_NEAR(sum / static_cast<double>(s.size()), 0.0, 0.01);  // centred, no thump
}

TEST(SoundRecipeWaves, DetunedOscillatorsBeat) {
    // 440 Hz spread by +-20 cents: the two beat about 10 times a second.
    const auto s = Render("sine 0 1.0 440 440 0.5 flat detune=20\n", 1.0);
    double low = 1, high = 0;
    for (double t = 0.05; t < 0.9; t += 0.002) {
        low = std::min(low, Rms(s, t, t + 0.004));
        high = std::max(high, Rms(s, t, t + 0.004));
    }
    EXPECT_LT(low, 0.05);
    EXPECT_GT(high, 0.3);
    EXPECT_LT(Amplitude(s, 440, Rate), 0.05);  // no partial at the centre itself
    EXPECT_GT(Amplitude(s, 440 * std::pow(2.0, 20 / 1200.0), Rate), 0.2);
}

TEST(SoundRecipeWobble, VibratoSwingsThePitchAndTremoloTheLoudness) {
    // 440 Hz swinging by a semitone either way, five times a second: the time
    // between rising zero crossings spans 415..466 Hz.
    const auto s = Render("sine 0 1.0 440 440 0.5 flat vibrato=5:1\n", 1.0);
    double low = 1e9, high = 0, last = -1;
    int crossings = 0;
    for (size_t i = 1; i < s.size(); ++i) {
        if (s[i - 1] >= 0 || s[i] < 0) continue;
        const double t = (static_cast<double>(i) - s[i] / (s[i] - s[i - 1])) / Rate;
        if (last >= 0) {
            low = std::min(low, 1 / (t - last));
            high = std::max(high, 1 / (t - last));
        }
        last = t;
        ++crossings;
    }
    EXPECT_NEAR(low, 415.3, 4);
    EXPECT_NEAR(high, 466.2, 4);
    EXPECT_NEAR(crossings, 440, 3);

    const auto t = Render("sine 0 1.0 440 440 0.5 flat tremolo=4:0.8\n", 1.0);
    EXPECT_NEAR(Rms(t, 0.245, 0.255) / Rms(t, 0.12, 0.13), 5, 0.3);  // full, and 1 - 0.8 at the dip
}

TEST(SoundRecipeShape, AttackAndReleaseRampTheEnds) {
    const auto s = Render("sine 0 0.5 1000 1000 0.5 flat attack=0.1 release=0.2\n", 0.5);
    EXPECT_NEAR(Peak({s.begin(), s.begin() + Rate / 20}), 0.25, 0.01);  // half way up at 0.05 s
    EXPECT_NEAR(Peak({s.begin() + Rate / 10, s.begin() + Rate * 3 / 10}), 0.5, 0.01);
    EXPECT_NEAR(Peak({s.begin() + Rate * 4 / 10, s.end()}), 0.25, 0.01);  // half way down 0.1 s before the end
}

TEST(SoundRecipeFilters, LowPassAndHighPassKeepTheirSideOfTheCutOff) {
    const std::string noise = "noise 0 0.5 0 0 0.5 flat";
    const auto open = Render(noise + "\n", 0.5);
    const auto low = Render(noise + " lowpass=500\n", 0.5);
    const auto high = Render(noise + " highpass=4000\n", 0.5);
    // Each frequency's share against the open noise, averaged over a few bins.
    const auto share = [&](const std::vector<double>& s, double hz) {
        double a = 0, b = 0;
        for (double f = hz; f < hz + 50; f += 10) {
            a += Amplitude(s, f, Rate);
            b += Amplitude(open, f, Rate);
        }
        return a / b;
    };
    EXPECT_NEAR(share(low, 100), 1.0, 0.15);
    EXPECT_LT(share(low, 4000), 0.03);  // 12 dB an octave: 1/64 three octaves up
    EXPECT_NEAR(share(high, 9000), 1.0, 0.15);
    EXPECT_LT(share(high, 500), 0.03);
    // Resonance lifts the band around the cut-off by about Q (the same noise
    // at a fifth of the level, to leave room for the lift).
    const auto peaked = Render("noise 0 0.5 0 0 0.1 flat lowpass=2000 resonance=8\n", 0.5);
    EXPECT_NEAR(5 * share(peaked, 1980), 8, 1.5);
    EXPECT_NEAR(5 * share(peaked, 300), 1, 0.15);
    // A cut-off that glides: the hiss is bright at the start and dull at the end.
    const auto glide = Render(noise + " lowpass=8000:200\n", 0.5);
    EXPECT_GT(Rms(glide, 0.0, 0.05), 3 * Rms(glide, 0.45, 0.5));
}

TEST(SoundRecipeTails, EchoRepeatsAfterTheVoiceUntilTheEnd) {
    const auto s = Render("sine 0 0.02 1000 1000 0.5 flat echo=0.1:0.5\n", 0.35);
    ASSERT_EQ(s.size(), static_cast<size_t>(0.35 * Rate + 0.5));
    const double first = Peak({s.begin(), s.begin() + Rate / 50});
    EXPECT_NEAR(first, 0.5, 0.01);
    EXPECT_NEAR(Peak({s.begin() + Rate / 10, s.begin() + Rate * 12 / 100}), first / 2, 0.01);
    EXPECT_NEAR(Peak({s.begin() + Rate / 5, s.begin() + Rate * 22 / 100}), first / 4, 0.01);
    EXPECT_LT(Peak({s.begin() + Rate * 3 / 100, s.begin() + Rate * 9 / 100}), 0.001);  // silence between
    EXPECT_NEAR(Peak({s.begin() + Rate * 3 / 10, s.begin() + Rate * 32 / 100}), first / 8, 0.01);
}

TEST(SoundRecipeTails, ReverbRingsOnAndDiesAway) {
    // A tenth of a second of tone, then a room dying away by 60 dB in a
    // second, cut by the end of the sound at 0.6 s.
    const auto s = Render("triangle 0 0.1 500 500 0.5 flat reverb=1.0:0.5\n", 0.6);
    const double early = Rms(s, 0.15, 0.25), late = Rms(s, 0.45, 0.55);
    EXPECT_GT(early, 0.02);
    EXPECT_LT(early, Rms(s, 0.0, 0.1));
    EXPECT_NEAR(20 * std::log10(early / late), 18, 8);  // 60 dB a second, over 0.3 s
    // Over a long sound the tail carries about as much energy as the dry
    // voice, times the mix: noise with a tail at half its level is
    // sqrt(1 + 0.5^2) times as loud.
    const auto dry = Render("noise 0 1.0 0 0 0.4 flat\n", 1.0);
    const auto wet = Render("noise 0 1.0 0 0 0.4 flat reverb=0.5:0.5\n", 1.0);
    EXPECT_NEAR(Rms(wet, 0.5, 0.9) / Rms(dry, 0.5, 0.9), std::sqrt(1.25), 0.06);
    // Still ringing when the sound ends, yet faded out there: no click.
    EXPECT_GT(Rms(s, 0.55, 0.59), 0.001);
    EXPECT_LT(std::abs(s.back()), 0.0001);
}

}  // namespace
}  // namespace tibo::assets
