#include "framework/Sound.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "framework/Errors.h"
#include "framework/Names.h"

namespace tibo {

// --- RIFF WAVE files ------------------------------------------------------------

namespace {

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void PutId(std::vector<uint8_t>& out, const char* id) {
    for (size_t i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(id[i]));
}

bool IsId(const uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

// A chunk id is four printable ASCII characters.
bool LooksLikeChunkId(std::span<const uint8_t> file, size_t pos) {
    if (pos + 8 > file.size()) return false;
    for (size_t i = 0; i < 4; ++i) {
        if (file[pos + i] < 0x20 || file[pos + i] > 0x7E) return false;
    }
    return true;
}

[[noreturn]] void Invalid() { throw EWaveError(msg::WaveInvalid); }

// The PCM subformat of WAVE_FORMAT_EXTENSIBLE files (after its first two bytes).
constexpr uint8_t PcmGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                     0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

}  // namespace

TWave TWave::FromRiff(std::span<const uint8_t> file) {
    if (file.size() < 12 || !IsId(file.data(), "RIFF") || !IsId(file.data() + 8, "WAVE")) Invalid();
    // The RIFF size is trusted only as far as the file goes.
    const size_t end = std::min<size_t>(file.size(), size_t{8} + Le32(file.data() + 4));
    const std::span<const uint8_t> body = file.first(std::max<size_t>(end, 12));

    TWave wave;
    bool haveFormat = false, haveData = false;
    size_t pos = 12;
    while (pos + 8 <= body.size()) {
        const uint8_t* head = body.data() + pos;
        const uint32_t size = Le32(head + 4);
        const size_t start = pos + 8;
        const size_t left = body.size() - start;
        if (IsId(head, "fmt ")) {
            if (size < 16 || size > left) Invalid();
            const uint8_t* f = body.data() + start;
            TWaveFormat fmt;
            fmt.FormatTag = Le16(f);
            fmt.Channels = Le16(f + 2);
            fmt.SamplesPerSec = Le32(f + 4);
            fmt.AvgBytesPerSec = Le32(f + 8);
            fmt.BlockAlign = Le16(f + 12);
            fmt.BitsPerSample = Le16(f + 14);
            if (fmt.FormatTag == 0xFFFE && size >= 40 && Le16(f + 24) == 1 &&
                std::memcmp(f + 26, PcmGuidTail, sizeof PcmGuidTail) == 0) {
                fmt.FormatTag = 1;   // extensible, PCM inside
            }
            if (fmt.FormatTag != 1) Invalid();
            const bool bitsOk = fmt.BitsPerSample == 8 || fmt.BitsPerSample == 16 ||
                                fmt.BitsPerSample == 24 || fmt.BitsPerSample == 32;
            if (!bitsOk || fmt.Channels == 0 || fmt.SamplesPerSec == 0 ||
                fmt.BlockAlign != fmt.Channels * (fmt.BitsPerSample / 8)) {
                Invalid();
            }
            wave.Format = fmt;
            haveFormat = true;
        } else if (IsId(head, "data")) {
            // Streaming writers leave the size too large: keep what is there.
            const size_t n = std::min<size_t>(size, left);
            wave.Data.assign(body.begin() + static_cast<std::ptrdiff_t>(start),
                             body.begin() + static_cast<std::ptrdiff_t>(start + n));
            haveData = true;
        } else if (size > left) {
            if (haveFormat && haveData) break;   // trailing junk after what we need
            Invalid();
        }
        size_t next = start + size;
        // Chunks of odd size are followed by a pad byte (0), which some writers
        // leave out: then the next chunk's id starts right there.
        if ((size & 1) != 0) {
            const bool padByte = next < body.size() && body[next] == 0;
            if (padByte || !LooksLikeChunkId(body, next)) ++next;
        }
        if (next <= pos) break;
        pos = next;
    }
    if (!haveFormat || !haveData) Invalid();
    // Only whole sample frames.
    wave.Data.resize(wave.Data.size() - wave.Data.size() % wave.Format.BlockAlign);
    return wave;
}

std::vector<uint8_t> TWave::ToRiff() const {
    std::vector<uint8_t> out;
    const size_t pad = Data.size() & 1;
    out.reserve(44 + Data.size() + pad);
    PutId(out, "RIFF");
    Put32(out, static_cast<uint32_t>(4 + 8 + 16 + 8 + Data.size() + pad));
    PutId(out, "WAVE");
    PutId(out, "fmt ");
    Put32(out, 16);
    Put16(out, Format.FormatTag);
    Put16(out, Format.Channels);
    Put32(out, Format.SamplesPerSec);
    Put32(out, Format.AvgBytesPerSec);
    Put16(out, Format.BlockAlign);
    Put16(out, Format.BitsPerSample);
    PutId(out, "data");
    Put32(out, static_cast<uint32_t>(Data.size()));
    out.insert(out.end(), Data.begin(), Data.end());
    if (pad != 0) out.push_back(0);
    return out;
}

double TWave::Seconds() const {
    const double perSecond = static_cast<double>(Format.BlockAlign) * Format.SamplesPerSec;
    return perSecond > 0 ? static_cast<double>(Data.size()) / perSecond : 0.0;
}

// --- the sound device ---------------------------------------------------------

TSoundDevice::TSoundDevice(const void* owner, ISoundBackend* backend) : Owner_(owner), Backend_(backend) {}

TSoundDevice::~TSoundDevice() {
    try {
        Finalize();
    } catch (...) {
        // A listener failing while the program closes must not stop the close.
    }
    Notify(TSoundNotify::Destroying);
}

void TSoundDevice::Initialize() {
    Finalize();
    if (Owner_ == nullptr) throw EFrameworkError(msg::FormNotFound);
    Notify(TSoundNotify::Initializing);
    if (Backend_ == nullptr) throw ESoundError(Format(msg::CannotMake, "Primary Buffer"));
    Initialized_ = true;
    Notify(TSoundNotify::Initialized);
    Notify(TSoundNotify::Restored);
}

void TSoundDevice::AutoInitialize() {
    try {
        Initialize();
    } catch (const ESoundError&) {
        // No sound: the game runs silently.
    } catch (const EWaveError&) {
    }
}

void TSoundDevice::AttachBackend(ISoundBackend* backend) {
    Finalize();
    Backend_ = backend;
    AutoInitialize();
    // A device that arrives late (it opens after the first picture) hears
    // whether the player has muted the game or the window is in the background.
    if (Backend_ != nullptr) {
        Backend_->SetMuted(Muted_);
        Backend_->SetPaused(Paused_);
    }
}

void TSoundDevice::Finalize() {
    if (!Initialized_) return;
    Initialized_ = false;
    Notify(TSoundNotify::Finalizing);
}

void TSoundDevice::SetMuted(bool muted) {
    Muted_ = muted;
    if (Backend_ != nullptr) Backend_->SetMuted(muted);
}

void TSoundDevice::SetPaused(bool paused) {
    Paused_ = paused;
    if (Backend_ != nullptr) Backend_->SetPaused(paused);
}

void TSoundDevice::RegisterNotify(TSoundNotifyEvent callback, const void* owner) {
    UnregisterNotify(owner);
    Listeners_.push_back({callback, owner});
    if (Initialized_) {
        callback(TSoundNotify::Initialized);
        callback(TSoundNotify::Restored);
    }
}

void TSoundDevice::UnregisterNotify(const void* owner) {
    const auto it = std::find_if(Listeners_.begin(), Listeners_.end(),
                                 [owner](const Listener& l) { return l.Owner == owner; });
    if (it == Listeners_.end()) return;
    const TSoundNotifyEvent callback = it->Callback;
    Listeners_.erase(it);
    if (Initialized_ && callback) callback(TSoundNotify::Finalizing);
}

void TSoundDevice::Notify(TSoundNotify kind) {
    // From the last registered to the first; a copy, as listeners may leave.
    const std::vector<Listener> listeners = Listeners_;
    for (auto it = listeners.rbegin(); it != listeners.rend(); ++it) {
        if (it->Callback) it->Callback(kind);
    }
}

// --- sound items --------------------------------------------------------------

TWaveItem::TWaveItem(TWaveItems* owner) : Owner_(owner) {}

void TWaveItem::SetName(const std::string& name) {
    Name_ = name;
    NamingOrder_ = Owner_ != nullptr ? Owner_->NextNamingOrder() : 0;
}

void TWaveItem::ReleaseBuffers() {
    // Copies share the master's samples: they go first.
    Copies_.clear();
    Master_.reset();
}

void TWaveItem::Initialize() {
    ReleaseBuffers();
    Initialized_ = true;
}

void TWaveItem::Finalize() {
    ReleaseBuffers();
    Initialized_ = false;
    Backend_ = nullptr;
}

void TWaveItem::Restore(ISoundBackend& backend) {
    if (!Initialized_ || Wave.Empty()) return;
    if (!Master_) {
        Master_ = backend.CreateBuffer(Wave);
        if (!Master_) throw ESoundError(Format(msg::CannotLock, "Sound Buffer"));
    }
    Backend_ = &backend;
    Master_->SetFrequency(Frequency);
    Master_->SetPan(Pan);
    Master_->SetVolume(Volume);
}

void TWaveItem::Play(bool wait) {
    // Every request is logged, sound or not (the state dump reads the log).
    if (Owner_ != nullptr) Owner_->PlayRequests.push_back(Name_);
    if (!Initialized_ || !Master_ || Backend_ == nullptr) return;

    if (Looped) {
        Master_->Stop();
        Master_->Rewind();
        Master_->Play(true);
        return;
    }

    ISoundBuffer* chosen = nullptr;
    for (const auto& copy : Copies_) {
        if (!copy->Playing()) {
            chosen = copy.get();
            break;
        }
    }
    if (chosen == nullptr) {
        const bool mayGrow = MaxPlayingCount_ == 0 || Copies_.size() < static_cast<size_t>(MaxPlayingCount_);
        if (mayGrow) {
            std::unique_ptr<ISoundBuffer> copy = Backend_->Duplicate(*Master_);
            if (!copy) return;
            chosen = copy.get();
            Copies_.push_back(std::move(copy));
        } else {
            // The copy started longest ago is cut short and goes to the end.
            std::rotate(Copies_.begin(), Copies_.begin() + 1, Copies_.end());
            chosen = Copies_.back().get();
        }
    }
    chosen->Stop();
    chosen->Rewind();
    chosen->SetFrequency(Frequency);
    chosen->SetPan(Pan);
    chosen->SetVolume(Volume);
    chosen->Play(false);

    if (wait) {
        while (chosen->Playing()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void TWaveItem::Stop() {
    if (Master_) Master_->Stop();
    for (const auto& copy : Copies_) copy->Stop();
}

// --- the list of items ----------------------------------------------------------

TWaveItem& TWaveItems::Add() {
    Items_.push_back(std::make_unique<TWaveItem>(this));
    return *Items_.back();
}

TWaveItem& TWaveItems::Add(const std::string& name) {
    TWaveItem& item = Add();
    item.SetName(name);
    return item;
}

TWaveItem& TWaveItems::Items(int index) {
    if (index < 0 || index >= Count()) throw EListError(Format(msg::ListIndexError, index));
    return *Items_[static_cast<size_t>(index)];
}

TWaveItem& TWaveItems::Find(const std::string& name) {
    TWaveItem* found = nullptr;
    for (const auto& item : Items_) {
        if (SameTextIgnoringCase(item->Name(), name) &&
            (found == nullptr || item->NamingOrder() > found->NamingOrder())) {
            found = item.get();
        }
    }
    if (found == nullptr) throw EWaveError(Format(msg::WaveNotFound, name.c_str()));
    return *found;
}

void TWaveItems::ForEach(const std::function<void(TWaveItem&)>& action) {
    for (const auto& item : Items_) action(*item);
}

// --- the sound list ---------------------------------------------------------------

TWaveList::TWaveList(TSoundDevice* device) : Device_(device) {
    if (Device_ != nullptr) Device_->RegisterNotify([this](TSoundNotify kind) { DeviceNotify(kind); }, this);
}

TWaveList::~TWaveList() {
    if (Device_ != nullptr) Device_->UnregisterNotify(this);
}

void TWaveList::DeviceNotify(TSoundNotify kind) {
    switch (kind) {
        case TSoundNotify::Destroying:
            Device_ = nullptr;
            break;
        case TSoundNotify::Initialized:
            Items.ForEach([](TWaveItem& item) { item.Initialize(); });
            break;
        case TSoundNotify::Finalizing:
            Items.ForEach([](TWaveItem& item) { item.Finalize(); });
            break;
        case TSoundNotify::Restored:
            if (Device_ != nullptr && Device_->Backend() != nullptr) {
                ISoundBackend& backend = *Device_->Backend();
                Items.ForEach([&backend](TWaveItem& item) { item.Restore(backend); });
            }
            break;
        case TSoundNotify::Initializing:
            break;
    }
}

}  // namespace tibo
