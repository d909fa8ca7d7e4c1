#pragma once
// The sound device and the sound list: named PCM sounds, played by name, with
// any number of overlapping copies, reused once silent.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tibo {

struct TWaveFormat {
    uint16_t FormatTag = 1;   // 1 = PCM
    uint16_t Channels = 1;
    uint32_t SamplesPerSec = 11025;
    uint32_t AvgBytesPerSec = 11025;
    uint16_t BlockAlign = 1;
    uint16_t BitsPerSample = 8;
};

// A sound: its format record and its samples, as a RIFF WAVE file holds them
// (the assets read them, see assets/FileFormats.h).
class TWave {
public:
    TWaveFormat Format;
    std::vector<uint8_t> Data;
    double Seconds() const;
    bool Empty() const { return Data.empty(); }
};

// One playable buffer of the audio back end.
class ISoundBuffer {
public:
    virtual ~ISoundBuffer() = default;
    virtual void Play(bool looping) = 0;
    virtual void Stop() = 0;
    virtual void Rewind() = 0;
    virtual bool Playing() const = 0;
    virtual void SetFrequency(int32_t hz) = 0;   // 0 = the recorded rate
    virtual void SetPan(int32_t pan) = 0;        // 0 = centre
    virtual void SetVolume(int32_t volume) = 0;  // 0 = full volume (hundredths of a decibel below)
};

// The audio back end that stands in for the sound service.
class ISoundBackend {
public:
    virtual ~ISoundBackend() = default;
    virtual std::unique_ptr<ISoundBuffer> CreateBuffer(const TWave& wave) = 0;
    // A copy that shares the master's samples.
    virtual std::unique_ptr<ISoundBuffer> Duplicate(ISoundBuffer& master) = 0;
    // Muted, every sound plays on without being heard.
    virtual void SetMuted(bool) {}
    // Paused, the sounds that play stop where they are and go on from there
    // when let go.
    virtual void SetPaused(bool) {}
};

enum class TSoundNotify { Destroying, Initializing, Initialized, Finalizing, Restored };
using TSoundNotifyEvent = std::function<void(TSoundNotify)>;

class TSoundDevice {
public:
    // `owner` is the form; `backend` may be nullptr when there is no audio device.
    TSoundDevice(const void* owner, ISoundBackend* backend);
    ~TSoundDevice();
    TSoundDevice(const TSoundDevice&) = delete;
    TSoundDevice& operator=(const TSoundDevice&) = delete;

    // Raises "Form not found" without an owner (EFrameworkError, not swallowed
    // by AutoInitialize) and "Primary Buffer cannot be made" (ESoundError)
    // without a back end.
    void Initialize();
    void AutoInitialize();      // swallows sound errors: the game runs silently
    void Finalize();
    // A back end that comes later (the audio device opens while the game
    // already runs): the device lets go of the old one, if any, and
    // initialises again with the new one, silently on failure. Sounds played
    // before that were not heard.
    void AttachBackend(ISoundBackend* backend);
    bool Initialized() const { return Initialized_; }
    ISoundBackend* Backend() const { return Backend_; }
    // The player's mute (kept with or without a back end) and the pause while
    // the window is not active; both reach the back end at once.
    void SetMuted(bool muted);
    bool Muted() const { return Muted_; }
    void SetPaused(bool paused);
    bool Paused() const { return Paused_; }

    void RegisterNotify(TSoundNotifyEvent callback, const void* owner);
    void UnregisterNotify(const void* owner);

private:
    void Notify(TSoundNotify kind);
    struct Listener { TSoundNotifyEvent Callback; const void* Owner; };
    const void* Owner_;
    ISoundBackend* Backend_;
    bool Initialized_ = false;
    bool Muted_ = false;
    bool Paused_ = false;
    std::vector<Listener> Listeners_;
};

class TWaveItems;

class TWaveItem {
public:
    explicit TWaveItem(TWaveItems* owner);
    const std::string& Name() const { return Name_; }
    void SetName(const std::string& name);
    bool Looped = false;
    int32_t MaxPlayingCount() const { return MaxPlayingCount_; }
    void SetMaxPlayingCount(int32_t n) { MaxPlayingCount_ = n < 0 ? 0 : n; }
    TWave Wave;
    int32_t Frequency = 0, Pan = 0, Volume = 0;

    void Play(bool wait = false);
    void Stop();   // stops the master buffer and every copy
    bool Initialized() const { return Initialized_; }
    size_t CopyCount() const { return Copies_.size(); }
    const std::vector<std::unique_ptr<ISoundBuffer>>& Copies() const { return Copies_; }
    uint64_t NamingOrder() const { return NamingOrder_; }

    // Driven by the sound list's device notifications.
    void Initialize();
    void Finalize();
    void Restore(ISoundBackend& backend);

private:
    void ReleaseBuffers();
    TWaveItems* Owner_;
    std::string Name_;
    uint64_t NamingOrder_ = 0;
    int32_t MaxPlayingCount_ = 0;
    bool Initialized_ = false;
    ISoundBackend* Backend_ = nullptr;
    std::unique_ptr<ISoundBuffer> Master_;
    std::vector<std::unique_ptr<ISoundBuffer>> Copies_;
};

class TWaveItems {
public:
    TWaveItem& Add();
    TWaveItem& Add(const std::string& name);
    int Count() const { return static_cast<int>(Items_.size()); }
    TWaveItem& Items(int index);
    // Case-insensitive; the last-named of equal names wins; raises "Wave '%s' not found".
    TWaveItem& Find(const std::string& name);
    uint64_t NextNamingOrder() { return ++NamingCounter_; }
    void ForEach(const std::function<void(TWaveItem&)>& action);

    // Names of the sounds whose playing was requested, in order, device or not.
    std::vector<std::string> PlayRequests;

private:
    std::vector<std::unique_ptr<TWaveItem>> Items_;
    uint64_t NamingCounter_ = 0;
};

class TWaveList {
public:
    explicit TWaveList(TSoundDevice* device);
    ~TWaveList();
    TWaveList(const TWaveList&) = delete;
    TWaveList& operator=(const TWaveList&) = delete;
    // Add the items before the device initialises (as the form loads them):
    // items added later stay silent until the device is initialised again.
    TWaveItems Items;
    TSoundDevice* SoundDevice() const { return Device_; }

private:
    void DeviceNotify(TSoundNotify kind);
    TSoundDevice* Device_;
};

}  // namespace tibo
