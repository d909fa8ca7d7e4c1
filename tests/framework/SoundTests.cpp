#include "framework/Sound.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "framework/Errors.h"
#include "framework/platform/Platform.h"

namespace tibo {
namespace {

// --- a back end that only keeps account ---------------------------------------

struct TFakeBuffer final : ISoundBuffer {
    explicit TFakeBuffer(int samples) : Samples(samples) {}
    int Samples;              // which wave's samples the buffer plays
    bool IsPlaying = false;
    bool IsLooping = false;
    int Plays = 0, Stops = 0, Rewinds = 0;
    int32_t Frequency = -1, Pan = -1, Volume = -1;
    void Play(bool looping) override {
        IsPlaying = true;
        IsLooping = looping;
        ++Plays;
    }
    void Stop() override {
        IsPlaying = false;
        ++Stops;
    }
    void Rewind() override { ++Rewinds; }
    bool Playing() const override { return IsPlaying; }
    void SetFrequency(int32_t hz) override { Frequency = hz; }
    void SetPan(int32_t pan) override { Pan = pan; }
    void SetVolume(int32_t volume) override { Volume = volume; }
};

struct TFakeBackend final : ISoundBackend {
    int Created = 0, Duplicated = 0;
    bool Muted = false, Paused = false;
    void SetMuted(bool muted) override { Muted = muted; }
    void SetPaused(bool paused) override { Paused = paused; }
    std::unique_ptr<ISoundBuffer> CreateBuffer(const TWave& wave) override {
        ++Created;
        return std::make_unique<TFakeBuffer>(static_cast<int>(wave.Data.size()));
    }
    std::unique_ptr<ISoundBuffer> Duplicate(ISoundBuffer& master) override {
        ++Duplicated;
        return std::make_unique<TFakeBuffer>(static_cast<TFakeBuffer&>(master).Samples);
    }
};

TWave SomeWave(size_t bytes = 100) {
    TWave w;
    w.Data.assign(bytes, 0x80);
    return w;
}

TFakeBuffer& Copy(const TWaveItem& item, size_t i) { return static_cast<TFakeBuffer&>(*item.Copies()[i]); }

class SoundListTest : public ::testing::Test {
protected:
    SoundListTest() : Device(&Form, &Backend), List(&Device) {}
    TWaveItem& AddSound(const std::string& name, size_t bytes = 100) {
        TWaveItem& item = List.Items.Add(name);
        item.Wave = SomeWave(bytes);
        return item;
    }
    int Form = 0;
    TFakeBackend Backend;
    TSoundDevice Device;
    TWaveList List;
};

TEST_F(SoundListTest, QuickPlaysOverlapAndSilentCopiesAreReused) {
    TWaveItem& sparo = AddSound("Sparo");
    Device.Initialize();
    ASSERT_TRUE(sparo.Initialized());
    sparo.Play();
    sparo.Play();
    sparo.Play();
    ASSERT_EQ(sparo.CopyCount(), 3u);
    EXPECT_EQ(Backend.Duplicated, 3);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(Copy(sparo, i).IsPlaying);
        EXPECT_FALSE(Copy(sparo, i).IsLooping);
        EXPECT_EQ(Copy(sparo, i).Samples, 100);   // the master's samples
    }
    // They end; the next play takes the first silent copy and makes none.
    for (size_t i = 0; i < 3; ++i) Copy(sparo, i).IsPlaying = false;
    sparo.Play();
    EXPECT_EQ(sparo.CopyCount(), 3u);
    EXPECT_EQ(Copy(sparo, 0).Plays, 2);
    EXPECT_EQ(Copy(sparo, 1).Plays, 1);
    // Only the second still silent one: it is the one chosen next.
    sparo.Play();
    EXPECT_EQ(Copy(sparo, 1).Plays, 2);
    EXPECT_EQ(Copy(sparo, 2).Plays, 1);
}

TEST_F(SoundListTest, EveryPlayIsRewoundAndGetsTheItemsSettings) {
    TWaveItem& item = AddSound("Bomba");
    item.Frequency = 22050;
    item.Pan = -300;
    item.Volume = -1000;
    Device.Initialize();
    item.Play();
    const TFakeBuffer& c = Copy(item, 0);
    EXPECT_EQ(c.Stops, 1);
    EXPECT_EQ(c.Rewinds, 1);
    EXPECT_EQ(c.Frequency, 22050);
    EXPECT_EQ(c.Pan, -300);
    EXPECT_EQ(c.Volume, -1000);
}

TEST_F(SoundListTest, LoopedSoundPlaysTheMasterOnly) {
    TWaveItem& item = AddSound("Vento");
    item.Looped = true;
    Device.Initialize();
    item.Play();
    item.Play();
    EXPECT_EQ(item.CopyCount(), 0u);
    EXPECT_EQ(Backend.Duplicated, 0);
    EXPECT_EQ(Backend.Created, 1);
    item.Stop();
    // Stop reaches the master: play again and it loops from the start.
    item.Play();
    EXPECT_EQ(item.CopyCount(), 0u);
}

TEST_F(SoundListTest, MaxPlayingCountCutsTheOldestCopyShort) {
    TWaveItem& item = AddSound("Passo");
    item.SetMaxPlayingCount(2);
    Device.Initialize();
    item.Play();
    item.Play();
    ASSERT_EQ(item.CopyCount(), 2u);
    const ISoundBuffer* first = item.Copies()[0].get();
    const ISoundBuffer* second = item.Copies()[1].get();
    item.Play();
    ASSERT_EQ(item.CopyCount(), 2u);
    // The first one started again and went to the end of the list.
    EXPECT_EQ(item.Copies()[0].get(), second);
    EXPECT_EQ(item.Copies()[1].get(), first);
    EXPECT_EQ(Copy(item, 1).Plays, 2);
    EXPECT_EQ(Copy(item, 1).Stops, 2);

    item.SetMaxPlayingCount(-4);
    EXPECT_EQ(item.MaxPlayingCount(), 0);
}

TEST_F(SoundListTest, FindIgnoresCaseAndTheLastNamedWins) {
    TWaveItem& esplosione = AddSound("Esplosione");
    EXPECT_EQ(&List.Items.Find("esplosione"), &esplosione);
    EXPECT_EQ(&List.Items.Find("ESPLOSIONE"), &esplosione);

    TWaveItem& later = AddSound("esplosione");
    EXPECT_EQ(&List.Items.Find("Esplosione"), &later);
    // Renaming the first makes it the last named.
    esplosione.SetName("ESPLOSIONE");
    EXPECT_EQ(&List.Items.Find("Esplosione"), &esplosione);

    try {
        List.Items.Find("Sparo");
        FAIL() << "found a missing sound";
    } catch (const EWaveError& e) {
        EXPECT_STREQ(e.what(), "Wave 'Sparo' not found");
    }
    EXPECT_THROW(List.Items.Find("Esplosion"), EWaveError);
    EXPECT_THROW(List.Items.Items(2), EListError);
}

TEST_F(SoundListTest, PlayRequestsAreLoggedWithOrWithoutADevice) {
    TWaveItem& a = AddSound("Sparo");
    TWaveItem& b = AddSound("Bonus");
    a.Play();   // before the device is up: silent, but logged
    Device.Initialize();
    b.Play();
    a.Play();
    EXPECT_EQ(List.Items.PlayRequests, (std::vector<std::string>{"Sparo", "Bonus", "Sparo"}));
    EXPECT_EQ(a.CopyCount(), 1u);
}

TEST_F(SoundListTest, FinalizeSilencesAndInitializeRestores) {
    TWaveItem& item = AddSound("Sparo");
    TWaveItem& empty = List.Items.Add("Niente");
    Device.Initialize();
    item.Play();
    EXPECT_TRUE(empty.Initialized());
    empty.Play();   // no samples: nothing to play, nothing breaks
    EXPECT_EQ(Backend.Created, 1);

    Device.Finalize();
    EXPECT_FALSE(item.Initialized());
    EXPECT_EQ(item.CopyCount(), 0u);
    item.Play();
    EXPECT_EQ(item.CopyCount(), 0u);

    Device.Initialize();
    EXPECT_TRUE(item.Initialized());
    EXPECT_EQ(Backend.Created, 2);   // the master made again
    item.Play();
    EXPECT_EQ(item.CopyCount(), 1u);

    // The player's mute and the pause of an inactive window go to the back end.
    Device.SetMuted(true);
    Device.SetPaused(true);
    EXPECT_TRUE(Backend.Muted && Backend.Paused);
    Device.SetPaused(false);
    EXPECT_TRUE(Backend.Muted && !Backend.Paused);
}

TEST(SoundDeviceTest, NoBackendMeansSilenceNotFailure) {
    int form = 0;
    TSoundDevice device(&form, nullptr);
    TWaveList list(&device);
    TWaveItem& item = list.Items.Add("Sparo");
    item.Wave = SomeWave();
    try {
        device.Initialize();
        FAIL() << "initialised without a back end";
    } catch (const ESoundError& e) {
        EXPECT_STREQ(e.what(), "Primary Buffer cannot be made");
    }
    EXPECT_NO_THROW(device.AutoInitialize());
    EXPECT_FALSE(device.Initialized());
    EXPECT_FALSE(item.Initialized());
    item.Play();
    EXPECT_EQ(item.CopyCount(), 0u);
    EXPECT_EQ(list.Items.PlayRequests, std::vector<std::string>{"Sparo"});
    device.SetMuted(true);
    EXPECT_TRUE(device.Muted()) << "the player's choice is kept all the same";
}

TEST(SoundDeviceTest, ABackEndThatComesLaterMakesTheListAudible) {
    int form = 0;
    TSoundDevice device(&form, nullptr);
    TWaveList list(&device);
    TWaveItem& shot = list.Items.Add("Sparo");
    shot.Wave = SomeWave();
    shot.Volume = -300;
    TWaveItem& wind = list.Items.Add("Vento");
    wind.Wave = SomeWave(50);
    wind.Looped = true;
    device.AutoInitialize();
    shot.Play();   // before the device opened: not heard, not kept for later
    wind.Play();

    TFakeBackend backend;
    device.AttachBackend(&backend);
    EXPECT_TRUE(device.Initialized());
    EXPECT_EQ(backend.Created, 2);   // every sound's master, none played yet
    EXPECT_EQ(shot.CopyCount(), 0u);
    shot.Play();
    ASSERT_EQ(shot.CopyCount(), 1u);
    EXPECT_TRUE(Copy(shot, 0).IsPlaying);
    EXPECT_EQ(Copy(shot, 0).Volume, -300);

    // Another back end: the old buffers go before the new ones come, and it
    // hears at once that the player muted the game in the meantime.
    device.SetMuted(true);
    TFakeBackend other;
    device.AttachBackend(&other);
    EXPECT_TRUE(other.Muted);
    EXPECT_FALSE(other.Paused);
    EXPECT_EQ(shot.CopyCount(), 0u);
    EXPECT_EQ(other.Created, 2);
    shot.Play();
    EXPECT_EQ(other.Duplicated, 1);
    EXPECT_EQ(backend.Duplicated, 1);

    // And none at all: silence again, requests still logged.
    device.AttachBackend(nullptr);
    EXPECT_FALSE(device.Initialized());
    shot.Play();
    EXPECT_EQ(shot.CopyCount(), 0u);
    EXPECT_EQ(list.Items.PlayRequests, (std::vector<std::string>{"Sparo", "Vento", "Sparo", "Sparo", "Sparo"}));
}

// The real mixer, on SDL's silent audio device: opened in the background with
// some sounds converted there, the others when their buffers are made.
TEST(AudioDeviceTest, OpensInTheBackgroundAndPlays) {
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    TWave shot = SomeWave(11025);              // 1 s of 8-bit mono at 11025 Hz
    TWave tone;
    tone.Format = TWaveFormat{1, 2, 22050, 88200, 4, 16};
    tone.Data.assign(22050 * 4, 0);          // 1 s of 16-bit stereo at 22050 Hz
    for (size_t i = 0; i < tone.Data.size(); i += 4) tone.Data[i + 1] = static_cast<uint8_t>(i % 64);
    TWave late = SomeWave(3000);
    late.Data[0] = 0x10;                      // not among those converted ahead

    // Opened and never taken: closed again.
    TAudioOpening::Start({shot})->Take();
    { auto unused = TAudioOpening::Start({shot}); }

    auto opening = TAudioOpening::Start({shot, tone});
    std::unique_ptr<ISoundBackend> backend = opening->Take();
    EXPECT_TRUE(opening->Finished());
    EXPECT_EQ(opening->Take(), nullptr);
    ASSERT_NE(backend, nullptr) << "the dummy audio device did not open";
    for (const TWave* wave : {&shot, &tone, &late, &shot}) {
        std::unique_ptr<ISoundBuffer> buffer = backend->CreateBuffer(*wave);
        ASSERT_NE(buffer, nullptr);
        buffer->SetVolume(-600);
        buffer->SetPan(2000);
        buffer->Play(false);
        EXPECT_TRUE(buffer->Playing());
        std::unique_ptr<ISoundBuffer> copy = backend->Duplicate(*buffer);
        ASSERT_NE(copy, nullptr);
        copy->Play(true);
        EXPECT_TRUE(copy->Playing());
        buffer->Stop();
        EXPECT_FALSE(buffer->Playing());
        EXPECT_TRUE(copy->Playing());   // each buffer on a channel of its own
    }
    // A buffer outliving its back end is silent, not a crash.
    std::unique_ptr<ISoundBuffer> survivor = backend->CreateBuffer(tone);
    backend.reset();
    survivor->Play(false);
    EXPECT_FALSE(survivor->Playing());
    ::unsetenv("SDL_AUDIODRIVER");
}

TEST(SoundDeviceTest, NeedsAForm) {
    TFakeBackend backend;
    TSoundDevice device(nullptr, &backend);
    EXPECT_THROW(device.Initialize(), EFrameworkError);
    EXPECT_THROW(device.AutoInitialize(), EFrameworkError);
}

TEST(SoundDeviceTest, ListenersHearTheLastRegisteredFirst) {
    std::vector<std::string> heard;   // outlives the device, which still speaks when it goes
    int form = 0;
    const int one = 1, two = 2, three = 3;
    TFakeBackend backend;
    TSoundDevice device(&form, &backend);
    device.RegisterNotify([&](TSoundNotify k) { heard.push_back("1:" + std::to_string(static_cast<int>(k))); }, &one);
    device.RegisterNotify([&](TSoundNotify k) { heard.push_back("2:" + std::to_string(static_cast<int>(k))); }, &two);
    device.Initialize();
    const std::vector<std::string> expected{"2:1", "1:1", "2:2", "1:2", "2:4", "1:4"};
    EXPECT_EQ(heard, expected);

    // A late listener hears at once that the device is up; leaving, that it goes.
    heard.clear();
    device.RegisterNotify([&](TSoundNotify k) { heard.push_back("3:" + std::to_string(static_cast<int>(k))); }, &three);
    device.UnregisterNotify(&three);
    EXPECT_EQ(heard, (std::vector<std::string>{"3:2", "3:4", "3:3"}));

    heard.clear();
    device.Finalize();
    EXPECT_EQ(heard, (std::vector<std::string>{"2:3", "1:3"}));
}

TEST(SoundDeviceTest, ListOutlivingItsDeviceLetsGo) {
    int form = 0;
    TFakeBackend backend;
    auto device = std::make_unique<TSoundDevice>(&form, &backend);
    TWaveList list(device.get());
    TWaveItem& item = list.Items.Add("Sparo");
    item.Wave = SomeWave();
    device->Initialize();
    item.Play();
    device.reset();
    EXPECT_EQ(list.SoundDevice(), nullptr);
    EXPECT_FALSE(item.Initialized());
    EXPECT_EQ(item.CopyCount(), 0u);
}

}  // namespace
}  // namespace tibo
