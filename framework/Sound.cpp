#include "framework/Sound.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "framework/Errors.h"
#include "framework/Names.h"

namespace tibo {

// --- a sound -----------------------------------------------------------------

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
