#pragma once
// One run of the game: the form, its window or none, the scripted input, a
// recording or a playback, screenshots, state dumps and the timing figures.
// Any loop drives it by its one step, which does what is due and says when
// to come back: the desktop's loop sleeps until then, woken early by the
// window's events; the headless loop calls it back to back, the game's own
// clock jumping to each tick; a browser calls it once per frame.
#include <cstdint>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Replay.h"
#include "app/Timing.h"
#include "framework/FrameTimer.h"
#include "shell/Main.h"

namespace tibo {

namespace assets { class AssetStore; }
class TAudioOpening;
class TCapturingPresenter;
class TPlatformWindow;
struct TPlatformEvent;

// How the session's caller comes back to it.
enum class TPace {
    // When the step asks (a loop that sleeps until then), or headless at once:
    // one tick a step, each counted from the moment the last one ran.
    AsAsked,
    // At its own pace, once per frame of the display (a browser): every tick
    // due since the last step runs, on a fixed schedule, so that fifty ticks
    // a second stay fifty at sixty frames a second.
    Frames,
};

// Where a session's state dumps and timing report go: the desktop writes the
// files the command line names, the browser's page prints them as lines of
// its console.
class IRunOutput {
public:
    virtual ~IRunOutput() = default;
    // The game's variables after tick `tick` (--dump-state TICK:FILE).
    virtual void StateDump(int64_t tick, const std::string& file, const nlohmann::json& state) = 0;
    // The timing figures as the game closes (--timing-report FILE).
    virtual void TimingReport(const std::string& file, const nlohmann::json& report) = 0;
};

// The files: a dump with one variable a line, the report indented.
class TFileOutput final : public IRunOutput {
public:
    void StateDump(int64_t tick, const std::string& file, const nlohmann::json& state) override;
    void TimingReport(const std::string& file, const nlohmann::json& report) override;
};

struct TSessionSetup {
    // For the timing report: when the process started and when main() began.
    double StartMs = 0, MainMs = 0;
    TPace Pace = TPace::AsAsked;
    // The clock the session runs on, moved by its caller (tests); none: the
    // machine's, or headless at the AsAsked pace a clock of the session's
    // own that jumps to each tick.
    const IClock* Clock = nullptr;
    // Where dumps and the timing report go; none: their files.
    IRunOutput* Output = nullptr;
};

// What a step says.
struct TStep {
    bool Closed = false;  // the game has closed: Finish, and no more steps
    // When something is next due, on the session's clock; none: nothing is
    // until an event comes (the window is in the background).
    std::optional<int64_t> DueMs;
};

class TSession final : private ITickObserver {
public:
    // Reads the input script or the replay, makes the recording's file, opens
    // the window (unless headless) and makes the form, on the intro.
    TSession(const TProgramOptions& options, const assets::AssetStore& store, const TSessionSetup& setup);
    ~TSession() override;
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;

    // Does what is due now: the window's events, the blinking captions, the
    // tick (at the Frames pace, every tick due), each tick with the scripted
    // events before it and the pictures, dumps and checks after it. A close
    // signal closes the game.
    TStep Step();
    // After the last step: the recording's end, the replay's checks at the
    // close, the form's close (the hall of fame is saved) and the timing
    // report. Raises EReplayDiffers or EInterrupted for a playback that is not
    // whole; whatever goes wrong, the game still closes.
    void Finish();
    // A loop that failed: a recording keeps what it has, cut short, and the
    // game closes all the same; errors of the close are only reported.
    void Abandon() noexcept;

    // The window; none headless.
    TPlatformWindow* Window() { return Window_.get(); }
    // Ticks run so far.
    int64_t Ticks() const { return Tick_; }
    // A tick has shown a picture.
    bool FirstPictureShown() const { return Timing_.FirstPictureShown(); }

private:
    bool BeforeTick() override;
    void AfterTick(bool flipped) override;
    void DeliverPlatformEvent(const TPlatformEvent& e);
    void LetGo(bool keys);
    void Record(const TScriptEvent& e);
    void OpenAudioAfterFirstPicture();
    uint64_t Checksum();

    const TProgramOptions& Options_;
    const assets::AssetStore& Store_;
    TSessionSetup Setup_;
    TFileOutput Files_;
    IRunOutput* Output_;
    TTimingFigures Timing_;
    std::vector<TScriptEvent> Script_;
    size_t NextEvent_ = 0;
    std::vector<TScriptEvent> PendingReleases_;  // "press" events, let go before the next tick
    int64_t Tick_ = 0;
    int64_t ScheduledDue_ = 0;              // when the next tick was due, for the jitter
    std::optional<int64_t> LastTick_;       // --frames, or the end of a replay
    std::optional<TReplay> Playback_;       // --replay
    std::optional<TPlaybackChecks> Checks_;
    bool WindowClosed_ = false;             // the player closed the window (not the game)
    std::unique_ptr<TRecorder> Recorder_;   // --record
    TManualClock VirtualClock_;             // headless: the session moves it itself
    TSteadyClock SteadyClock_;
    const IClock* Clock_ = nullptr;
    std::unique_ptr<TPlatformWindow> Window_;
    bool AudioAsked_ = false;
    std::unique_ptr<TAudioOpening> AudioOpening_;   // goes before the window: it waits for its thread
    std::unique_ptr<ISoundBackend> Audio_;          // outlives the form, whose sounds it plays
    std::unique_ptr<TCapturingPresenter> Presenter_;
    std::unique_ptr<IFormHost> Host_;
    std::unique_ptr<TMainForm> Form_;
};

// Delivers one scripted event to the form as the window would.
void DeliverScriptEvent(TMainForm& form, const TScriptEvent& e);
// Lets go the key or pad button of a "press" event (before the next tick).
void ReleaseScriptPress(TMainForm& form, const TScriptEvent& press);

}  // namespace tibo
