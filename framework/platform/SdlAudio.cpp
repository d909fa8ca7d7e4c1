// The audio device through SDL_mixer. Each sound is converted once to the
// mixer's format; every buffer (a sound's master or one of its copies) owns a
// mixer channel of its own, so that Playing and Stop concern that buffer alone.
//
// Volume is hundredths of a decibel below full (0 full, -10000 silent) and is
// mapped onto the channel volume; Pan (-10000 left .. 10000 right, the other
// side lowered by that many hundredths of a decibel) onto the mixer's panning.
// Frequency is not applied: sounds play at their recorded rate.
//
// The table of SDL_mixer's functions (MixerLibrary.h) is filled as the device
// opens and goes with it to the back end and its buffers; the sounds'
// conversion to the mixer's format is in MixerFormat.h.
#include <SDL.h>
#include <SDL_mixer.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "framework/Errors.h"
#include "framework/platform/MixerFormat.h"
#include "framework/platform/MixerLibrary.h"
#include "framework/platform/Platform.h"

namespace tibo {

namespace {

// The mixer as the buffers see it; shared so that a buffer outliving the
// back end does not touch a closed mixer.
struct TMixerState {
    explicit TMixerState(std::shared_ptr<const TMixLibrary> mix) : Mix(std::move(mix)) {}
    std::shared_ptr<const TMixLibrary> Mix;
    bool Open = true;
    int Allocated = 0;
    std::vector<int> FreeChannels;

    int TakeChannel() {
        if (!Open) return -1;
        if (FreeChannels.empty()) {
            const int wanted = std::max(16, Allocated * 2);
            const int got = Mix->AllocateChannels(wanted);
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
        if (Open) Mix->HaltChannel(ch);
        FreeChannels.push_back(ch);
    }
};

// A sound in the mixer's format; the chunk points into Bytes.
struct TSamples {
    std::shared_ptr<const TMixLibrary> Mix;
    std::vector<uint8_t> Bytes;
    Mix_Chunk* Chunk = nullptr;
    explicit TSamples(std::shared_ptr<const TMixLibrary> mix) : Mix(std::move(mix)) {}
    TSamples(const TSamples&) = delete;
    TSamples& operator=(const TSamples&) = delete;
    ~TSamples() {
        if (Chunk != nullptr) Mix->FreeChunk(Chunk);
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
        if (Usable()) Mix().HaltChannel(Channel_);
    }
    // The mixer always starts a sound at its beginning; rewinding one that
    // plays starts it again.
    void Rewind() override {
        if (Playing()) Start();
    }
    bool Playing() const override { return Usable() && Mix().Playing(Channel_) != 0; }
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
    const TMixLibrary& Mix() const { return *Mixer_->Mix; }
    bool Usable() const { return Mixer_->Open && Channel_ >= 0 && Samples_->Chunk != nullptr; }

    void Start() {
        ApplyVolume();
        if (Mix().PlayChannel(Channel_, Samples_->Chunk, Looping_ ? -1 : 0) < 0) return;
        // The mixer drops a channel's effects when it stops: pan again each time.
        ApplyPan();
    }

    static double Gain(int32_t hundredthsDb) {
        const double db = std::min(std::abs(static_cast<double>(hundredthsDb)), 10000.0) / 100.0;
        return std::pow(10.0, -db / 20.0);
    }

    void ApplyVolume() { Mix().Volume(Channel_, static_cast<int>(std::lround(Gain(Volume_) * MIX_MAX_VOLUME))); }

    void ApplyPan() {
        if (Pan_ == 0) {
            Mix().SetPanning(Channel_, 255, 255);
            return;
        }
        const auto lowered = static_cast<Uint8>(std::lround(Gain(Pan_) * 255.0));
        if (Pan_ > 0) {
            Mix().SetPanning(Channel_, lowered, 255);
        } else {
            Mix().SetPanning(Channel_, 255, lowered);
        }
    }

    std::shared_ptr<TMixerState> Mixer_;
    std::shared_ptr<TSamples> Samples_;
    int Channel_;
    bool Looping_ = false;
    int32_t Pan_ = 0;
    int32_t Volume_ = 0;
};

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
    TMixBackend(std::shared_ptr<const TMixLibrary> mix, std::vector<TPrepared> prepared)
        : Mixer_(std::make_shared<TMixerState>(std::move(mix))), Spec_(TMixSpec::OfMixer(Mix())),
          Prepared_(std::move(prepared)) {
        Mixer_->Allocated = Mix().AllocateChannels(-1);
        for (int ch = Mixer_->Allocated - 1; ch >= 0; --ch) Mixer_->FreeChannels.push_back(ch);
    }
    ~TMixBackend() override {
        Mix().HaltChannel(-1);
        Mixer_->Open = false;
        Mix().CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    TMixBackend(const TMixBackend&) = delete;
    TMixBackend& operator=(const TMixBackend&) = delete;

    std::unique_ptr<ISoundBuffer> CreateBuffer(const TWave& wave) override {
        auto samples = std::make_shared<TSamples>(Mixer_->Mix);
        const auto ready = std::find_if(Prepared_.begin(), Prepared_.end(),
                                        [&wave](const TPrepared& p) { return SameWave(p.Source, wave); });
        if (ready != Prepared_.end()) {
            samples->Bytes = std::move(ready->Bytes);
            Prepared_.erase(ready);
        } else {
            samples->Bytes = Convert(wave, Spec_);
        }
        if (samples->Bytes.empty()) throw ESoundError(Format(msg::CannotLock, "Sound Buffer"));
        samples->Chunk = Mix().QuickLoad_RAW(samples->Bytes.data(), static_cast<Uint32>(samples->Bytes.size()));
        if (samples->Chunk == nullptr) throw ESoundError(Format(msg::CannotLock, "Sound Buffer"));
        return std::make_unique<TMixBuffer>(Mixer_, std::move(samples));
    }

    std::unique_ptr<ISoundBuffer> Duplicate(ISoundBuffer& master) override {
        auto* mix = dynamic_cast<TMixBuffer*>(&master);
        if (mix == nullptr) return nullptr;
        return std::make_unique<TMixBuffer>(Mixer_, mix->Samples());
    }

    void SetMuted(bool muted) override { Mix().MasterVolume(muted ? 0 : MIX_MAX_VOLUME); }
    void SetPaused(bool paused) override {
        if (paused) Mix().Pause(-1);
        else Mix().Resume(-1);
    }

private:
    const TMixLibrary& Mix() const { return *Mixer_->Mix; }

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
bool OpenMixer(TMixLibrary& mix) {
    if (!mix.Find()) return false;
    // Only as long as needed: the window's thread may have something to say.
    const TQuietErrors quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    for (const int rate : {44100, 22050}) {
        if (mix.OpenAudio(rate, AUDIO_S16SYS, 2, 1024) == 0) return true;
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
            Mix_->CloseAudio();
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
        return std::make_unique<TMixBackend>(Mix_, std::move(Prepared_));
    }

private:
    static int Open(void* self) {
        auto* opening = static_cast<TSdlAudioOpening*>(self);
        opening->Opened_ = OpenMixer(*opening->Mix_);
        if (opening->Opened_) {
            // The device's own thread is running (at its own priority); the
            // conversion gives way to the game's pictures on a busy processor.
            SDL_SetThreadPriority(SDL_THREAD_PRIORITY_LOW);
            const TMixSpec spec = TMixSpec::OfMixer(*opening->Mix_);
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
    std::shared_ptr<TMixLibrary> Mix_ = std::make_shared<TMixLibrary>();   // filled as the mixer is opened
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
