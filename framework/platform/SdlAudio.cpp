// The audio device through SDL_mixer. Each sound is converted once to the
// mixer's format; every buffer (a sound's master or one of its copies) owns a
// mixer channel of its own, so that Playing and Stop concern that buffer alone.
//
// Volume is hundredths of a decibel below full (0 full, -10000 silent) and is
// mapped onto the channel volume; Pan (-10000 left .. 10000 right, the other
// side lowered by that many hundredths of a decibel) onto the mixer's panning.
// Frequency is not applied: sounds play at their recorded rate.
#include <SDL.h>
#include <SDL_mixer.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <type_traits>
#include <vector>

#include "framework/Errors.h"
#include "framework/platform/Platform.h"

namespace tibo {

namespace {

// SDL_mixer is loaded as the audio device is opened (on a thread of its own),
// not with the program: it brings some twenty libraries of its own (music
// formats, a synthesiser, their toolkits) that would slow every start. Once
// loaded it stays to the end of the program.
struct TMixLibrary {
    decltype(&::Mix_OpenAudio) OpenAudio = nullptr;
    decltype(&::Mix_CloseAudio) CloseAudio = nullptr;
    decltype(&::Mix_QuerySpec) QuerySpec = nullptr;
    decltype(&::Mix_AllocateChannels) AllocateChannels = nullptr;
    decltype(&::Mix_QuickLoad_RAW) QuickLoad_RAW = nullptr;
    decltype(&::Mix_FreeChunk) FreeChunk = nullptr;
    decltype(&::Mix_PlayChannel) PlayChannel = nullptr;
    decltype(&::Mix_HaltChannel) HaltChannel = nullptr;
    decltype(&::Mix_Playing) Playing = nullptr;
    decltype(&::Mix_Volume) Volume = nullptr;
    decltype(&::Mix_SetPanning) SetPanning = nullptr;
    decltype(&::Mix_MasterVolume) MasterVolume = nullptr;
    decltype(&::Mix_Pause) Pause = nullptr;
    decltype(&::Mix_Resume) Resume = nullptr;

    // Whether every function was found; the first call loads the library.
    bool Load() {
        std::call_once(Once_, [this] { Loaded_ = Find(); });
        return Loaded_;
    }

private:
    bool Find() {
#if defined(TIBO_MIXER_LINKED)
        // Linked into the program (the browser's build, which loads no libraries).
        OpenAudio = &::Mix_OpenAudio;
        CloseAudio = &::Mix_CloseAudio;
        QuerySpec = &::Mix_QuerySpec;
        AllocateChannels = &::Mix_AllocateChannels;
        QuickLoad_RAW = &::Mix_QuickLoad_RAW;
        FreeChunk = &::Mix_FreeChunk;
        PlayChannel = &::Mix_PlayChannel;
        HaltChannel = &::Mix_HaltChannel;
        Playing = &::Mix_Playing;
        Volume = &::Mix_Volume;
        SetPanning = &::Mix_SetPanning;
        MasterVolume = &::Mix_MasterVolume;
        Pause = &::Mix_Pause;
        Resume = &::Mix_Resume;
        return true;
#else
        void* lib = dlopen("libSDL2_mixer-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (lib == nullptr) return false;
        const auto find = [lib](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(lib, name));
            return function != nullptr;
        };
        return find(OpenAudio, "Mix_OpenAudio") && find(CloseAudio, "Mix_CloseAudio") &&
               find(QuerySpec, "Mix_QuerySpec") && find(AllocateChannels, "Mix_AllocateChannels") &&
               find(QuickLoad_RAW, "Mix_QuickLoad_RAW") && find(FreeChunk, "Mix_FreeChunk") &&
               find(PlayChannel, "Mix_PlayChannel") && find(HaltChannel, "Mix_HaltChannel") &&
               find(Playing, "Mix_Playing") && find(Volume, "Mix_Volume") && find(SetPanning, "Mix_SetPanning") &&
               find(MasterVolume, "Mix_MasterVolume") && find(Pause, "Mix_Pause") && find(Resume, "Mix_Resume");
#endif
    }
    std::once_flag Once_;
    bool Loaded_ = false;
};

TMixLibrary Mix;

// The mixer as the buffers see it; shared so that a buffer outliving the
// back end does not touch a closed mixer.
struct TMixerState {
    bool Open = true;
    int Allocated = 0;
    std::vector<int> FreeChannels;

    int TakeChannel() {
        if (!Open) return -1;
        if (FreeChannels.empty()) {
            const int wanted = std::max(16, Allocated * 2);
            const int got = Mix.AllocateChannels(wanted);
            for (int ch = got - 1; ch >= Allocated; --ch) FreeChannels.push_back(ch);
            Allocated = std::max(Allocated, got);
            if (FreeChannels.empty()) return -1;
        }
        const int ch = FreeChannels.back();
        FreeChannels.pop_back();
        return ch;
    }

    void GiveBack(int ch) {
        if (ch < 0) return;
        if (Open) Mix.HaltChannel(ch);
        FreeChannels.push_back(ch);
    }
};

// A sound in the mixer's format; the chunk points into Bytes.
struct TSamples {
    std::vector<uint8_t> Bytes;
    Mix_Chunk* Chunk = nullptr;
    TSamples() = default;
    TSamples(const TSamples&) = delete;
    TSamples& operator=(const TSamples&) = delete;
    ~TSamples() {
        if (Chunk != nullptr) Mix.FreeChunk(Chunk);
    }
};

class TMixBuffer final : public ISoundBuffer {
public:
    TMixBuffer(std::shared_ptr<TMixerState> mixer, std::shared_ptr<TSamples> samples)
        : Mixer_(std::move(mixer)), Samples_(std::move(samples)), Channel_(Mixer_->TakeChannel()) {}
    ~TMixBuffer() override { Mixer_->GiveBack(Channel_); }
    TMixBuffer(const TMixBuffer&) = delete;
    TMixBuffer& operator=(const TMixBuffer&) = delete;

    const std::shared_ptr<TSamples>& Samples() const { return Samples_; }

    void Play(bool looping) override {
        if (!Usable()) return;
        Looping_ = looping;
        Start();
    }
    void Stop() override {
        if (Usable()) Mix.HaltChannel(Channel_);
    }
    // The mixer always starts a sound at its beginning; rewinding one that
    // plays starts it again.
    void Rewind() override {
        if (Playing()) Start();
    }
    bool Playing() const override { return Usable() && Mix.Playing(Channel_) != 0; }
    void SetFrequency(int32_t) override {}
    void SetPan(int32_t pan) override {
        Pan_ = std::clamp(pan, -10000, 10000);
        if (Playing()) ApplyPan();
    }
    void SetVolume(int32_t volume) override {
        Volume_ = volume;
        if (Usable()) ApplyVolume();
    }

private:
    bool Usable() const { return Mixer_->Open && Channel_ >= 0 && Samples_->Chunk != nullptr; }

    void Start() {
        ApplyVolume();
        if (Mix.PlayChannel(Channel_, Samples_->Chunk, Looping_ ? -1 : 0) < 0) return;
        // The mixer drops a channel's effects when it stops: pan again each time.
        ApplyPan();
    }

    static double Gain(int32_t hundredthsDb) {
        const double db = std::min(std::abs(static_cast<double>(hundredthsDb)), 10000.0) / 100.0;
        return std::pow(10.0, -db / 20.0);
    }

    void ApplyVolume() { Mix.Volume(Channel_, static_cast<int>(std::lround(Gain(Volume_) * MIX_MAX_VOLUME))); }

    void ApplyPan() {
        if (Pan_ == 0) {
            Mix.SetPanning(Channel_, 255, 255);
            return;
        }
        const auto lowered = static_cast<Uint8>(std::lround(Gain(Pan_) * 255.0));
        if (Pan_ > 0) {
            Mix.SetPanning(Channel_, lowered, 255);
        } else {
            Mix.SetPanning(Channel_, 255, lowered);
        }
    }

    std::shared_ptr<TMixerState> Mixer_;
    std::shared_ptr<TSamples> Samples_;
    int Channel_;
    bool Looping_ = false;
    int32_t Pan_ = 0;
    int32_t Volume_ = 0;
};

// The mixer's sample format.
struct TMixSpec {
int Rate = 0;
Uint16 Format = AUDIO_S16SYS;
int Channels = 2;
static TMixSpec OfMixer() {
    TMixSpec spec;
    Mix.QuerySpec(&spec.Rate, &spec.Format, &spec.Channels);
    return spec;
}
};

// The wave's PCM in the mixer's format, or nothing if it cannot be converted.
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

bool SameWave(const TWave& a, const TWave& b) {
    const TWaveFormat& f = a.Format;
    const TWaveFormat& g = b.Format;
    return f.FormatTag == g.FormatTag && f.Channels == g.Channels && f.SamplesPerSec == g.SamplesPerSec &&
           f.BitsPerSample == g.BitsPerSample && f.BlockAlign == g.BlockAlign && a.Data == b.Data;
}

// A sound converted ahead of time, and what it was converted from.
struct TPrepared {
    TWave Source;
    std::vector<uint8_t> Bytes;
};

class TMixBackend final : public ISoundBackend {
public:
    // `prepared`: sounds already in the mixer's format, taken by the first
    // CreateBuffer of each.
    explicit TMixBackend(std::vector<TPrepared> prepared = {})
        : Mixer_(std::make_shared<TMixerState>()), Spec_(TMixSpec::OfMixer()), Prepared_(std::move(prepared)) {
        Mixer_->Allocated = Mix.AllocateChannels(-1);
        for (int ch = Mixer_->Allocated - 1; ch >= 0; --ch) Mixer_->FreeChannels.push_back(ch);
    }
    ~TMixBackend() override {
        Mix.HaltChannel(-1);
        Mixer_->Open = false;
        Mix.CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    TMixBackend(const TMixBackend&) = delete;
    TMixBackend& operator=(const TMixBackend&) = delete;

    std::unique_ptr<ISoundBuffer> CreateBuffer(const TWave& wave) override {
        auto samples = std::make_shared<TSamples>();
        const auto ready = std::find_if(Prepared_.begin(), Prepared_.end(),
                                        [&wave](const TPrepared& p) { return SameWave(p.Source, wave); });
        if (ready != Prepared_.end()) {
            samples->Bytes = std::move(ready->Bytes);
            Prepared_.erase(ready);
        } else {
            samples->Bytes = Convert(wave, Spec_);
        }
        if (samples->Bytes.empty()) throw ESoundError(Format(msg::CannotLock, "Sound Buffer"));
        samples->Chunk = Mix.QuickLoad_RAW(samples->Bytes.data(), static_cast<Uint32>(samples->Bytes.size()));
        if (samples->Chunk == nullptr) throw ESoundError(Format(msg::CannotLock, "Sound Buffer"));
        return std::make_unique<TMixBuffer>(Mixer_, std::move(samples));
    }

    std::unique_ptr<ISoundBuffer> Duplicate(ISoundBuffer& master) override {
        auto* mix = dynamic_cast<TMixBuffer*>(&master);
        if (mix == nullptr) return nullptr;
        return std::make_unique<TMixBuffer>(Mixer_, mix->Samples());
    }

    void SetMuted(bool muted) override { Mix.MasterVolume(muted ? 0 : MIX_MAX_VOLUME); }
    void SetPaused(bool paused) override {
        if (paused) Mix.Pause(-1);
        else Mix.Resume(-1);
    }

private:
    std::shared_ptr<TMixerState> Mixer_;
    TMixSpec Spec_;
    std::vector<TPrepared> Prepared_;
};

}  // namespace

namespace {
// Sound libraries report a missing sound card on the standard error at length
// (ALSA's "cannot find card '0'" and more). A machine without sound is normal
// for this game: those lines are held back while the device is tried.
class TQuietErrors {
public:
    TQuietErrors() {
        std::fflush(stderr);
        Saved_ = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (Saved_ >= 0 && null >= 0) dup2(null, STDERR_FILENO);
        if (null >= 0) close(null);
    }
    ~TQuietErrors() {
        std::fflush(stderr);
        if (Saved_ >= 0) {
            dup2(Saved_, STDERR_FILENO);
            close(Saved_);
        }
    }
    TQuietErrors(const TQuietErrors&) = delete;
    TQuietErrors& operator=(const TQuietErrors&) = delete;

private:
    int Saved_ = -1;
};
}  // namespace

namespace {
// SDL's audio started and the mixer opened; false when there is no device
// (and SDL's audio is then stopped again).
bool OpenMixer() {
    if (!Mix.Load()) return false;
    // Only as long as needed: the window's thread may have something to say.
    const TQuietErrors quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    for (const int rate : {44100, 22050}) {
        if (Mix.OpenAudio(rate, AUDIO_S16SYS, 2, 1024) == 0) return true;
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
}

class TSdlAudioOpening final : public TAudioOpening {
public:
    explicit TSdlAudioOpening(std::vector<TWave> sounds) {
        for (TWave& wave : sounds) Prepared_.push_back(TPrepared{std::move(wave), {}});
        // An SDL thread: SDL frees what it keeps for the thread (its error
        // message) when the thread ends, which it does not for other threads.
        Thread_ = SDL_CreateThread(&TSdlAudioOpening::Open, "tibo-audio", this);
        if (Thread_ == nullptr) Open(this);   // no thread to be had: here and now
    }
    ~TSdlAudioOpening() override {
        Wait();
        // A device opened but never taken is closed here.
        if (Opened_) {
            Mix.CloseAudio();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    }
    TSdlAudioOpening(const TSdlAudioOpening&) = delete;
    TSdlAudioOpening& operator=(const TSdlAudioOpening&) = delete;

    bool Finished() const override { return Finished_.load(std::memory_order_acquire); }

    std::unique_ptr<ISoundBackend> Take() override {
        Wait();
        if (!Opened_) return nullptr;
        Opened_ = false;
        std::erase_if(Prepared_, [](const TPrepared& p) { return p.Bytes.empty(); });
        return std::make_unique<TMixBackend>(std::move(Prepared_));
    }

private:
    static int Open(void* self) {
        auto* opening = static_cast<TSdlAudioOpening*>(self);
        opening->Opened_ = OpenMixer();
        if (opening->Opened_) {
            // The device's own thread is running (at its own priority); the
            // conversion gives way to the game's pictures on a busy processor.
            SDL_SetThreadPriority(SDL_THREAD_PRIORITY_LOW);
            const TMixSpec spec = TMixSpec::OfMixer();
            for (TPrepared& p : opening->Prepared_) p.Bytes = Convert(p.Source, spec);
        }
        opening->Finished_.store(true, std::memory_order_release);
        return 0;
    }
    void Wait() {
        if (Thread_ != nullptr) SDL_WaitThread(Thread_, nullptr);
        Thread_ = nullptr;
    }
    // Written by the thread before it ends; read after joining it.
    bool Opened_ = false;
    std::vector<TPrepared> Prepared_;
    std::atomic<bool> Finished_{false};
    SDL_Thread* Thread_ = nullptr;
};
}  // namespace

std::unique_ptr<TAudioOpening> TAudioOpening::Start(std::vector<TWave> sounds) {
    return std::make_unique<TSdlAudioOpening>(std::move(sounds));
}

}  // namespace tibo
