#include "app/Harness.h"

#include "app/Replay.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "assets/AssetStore.h"
#include "assets/Export.h"
#include "assets/FormData.h"
#include "framework/Files.h"
#include "framework/GamepadMappings.h"
#include "framework/ImageCodec.h"
#include "framework/platform/Platform.h"
#include "framework/platform/Process.h"
#include "shell/Main.h"
#include "shell/StateDump.h"

namespace tibo {
namespace {

// Community mappings for more game controllers, read from the settings folder when there.
constexpr const char* GamepadMappingsFileName = "gamecontrollerdb.txt";

// Passes the picture on to the window, if any, and keeps a copy of it while
// asked to (for screenshots).
class TCapturingPresenter final : public IPresenter {
public:
    explicit TCapturingPresenter(IPresenter* inner) : Inner_(inner) {}
    bool Capture = false;
    bool Present(const TSurface& back) override {
        if (Inner_ && !Inner_->Present(back)) return false;
        if (Capture) {
            Shown_.SetSize(back.Width(), back.Height());
            Shown_.Draw(0, 0, &back, false);
            HasShown_ = true;
        }
        return true;
    }
    bool Lost() const override { return Inner_ && Inner_->Lost(); }
    bool Restore() override { return !Inner_ || Inner_->Restore(); }
    bool Active() const override { return !Inner_ || Inner_->Active(); }
    const TSurface* Shown() const { return HasShown_ ? &Shown_ : nullptr; }
private:
    IPresenter* Inner_;
    TSurface Shown_;
    bool HasShown_ = false;
};

class TWindowHost final : public IFormHost {
public:
    explicit TWindowHost(TPlatformWindow& window) : Window_(window) {}
    void SetCursorVisible(bool visible) override { Window_.SetCursorVisible(visible); }
    void WarpMouse(int x, int y) override { Window_.WarpMouse(x, y); }
    bool Foreground() const override { return Window_.Focused() && !Window_.Minimized(); }
private:
    TPlatformWindow& Window_;
};

double MonotonicMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// One line a variable: readable, and compact even with the labyrinth's grids in it.
std::string DumpText(const nlohmann::json& state) {
    std::string text = "{\n";
    bool first = true;
    for (auto it = state.begin(); it != state.end(); ++it) {
        if (!first) text += ",\n";
        first = false;
        // A name need not be valid UTF-8: bytes that are not are shown as U+FFFD.
        const auto replace = nlohmann::json::error_handler_t::replace;
        text += " " + nlohmann::json(it.key()).dump(-1, ' ', false, replace) + ": " + it.value().dump(-1, ' ', false, replace);
    }
    return text + "\n}\n";
}

// A file named on the command line; one that cannot be read is a bad command line.
std::string ReadArgumentFile(const char* option, const std::string& path) {
    try {
        const std::vector<uint8_t> bytes = ReadFileBytes(path);
        return std::string(bytes.begin(), bytes.end());
    } catch (const EFileError& e) {
        throw EUsageError(std::string(option) + ": " + e.what());
    }
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5));
    return v[i];
}

// One run of the game: the form, its window or none, and the harness around it.
class TSession final : public ITickObserver {
public:
    // `startMs`: the process's start; `mainMs`: when main() began.
    TSession(const TProgramOptions& options, const assets::AssetStore& store, double startMs, double mainMs)
        : Options_(options), Store_(store), StartMs_(startMs), MainMs_(mainMs) {}

    int Run();

private:
    void Loop();
    bool BeforeTick() override;
    void AfterTick(bool flipped) override;
    void DeliverPlatformEvent(const TPlatformEvent& e);
    void WaitForNextTick();
    void LetGo(bool keys);
    void OpenAudioAfterFirstPicture();
    void WriteTimingReport() const;
    // Replays: what the recording gets, and the checks of a playback.
    void Record(TScriptEvent e);
    void FinishRecording();
    void CheckReplay();
    void CheckReplayEnd();

    const TProgramOptions& Options_;
    const assets::AssetStore& Store_;
    double StartMs_;
    double MainMs_;
    std::vector<TScriptEvent> Script_;
    size_t NextEvent_ = 0;
    std::vector<TScriptEvent> PendingReleases_;  // "press" events, let go before the next tick
    int64_t Tick_ = 0;
    std::unique_ptr<TPlatformWindow> Window_;
    bool AudioAsked_ = false;
    std::unique_ptr<TAudioOpening> AudioOpening_;   // goes before the window: it waits for its thread
    std::unique_ptr<ISoundBackend> Audio_;          // outlives the form, whose sounds it plays
    std::unique_ptr<TCapturingPresenter> Presenter_;
    std::unique_ptr<IFormHost> Host_;
    std::unique_ptr<TMainForm> Form_;
    TManualClock VirtualClock_;  // the headless loop moves it itself
    TSteadyClock SteadyClock_;
    // Timing figures of a real window.
    std::vector<double> Jitter_;
    double FirstFlipMs_ = -1;
    double CpuAtFirstTick_ = 0, WallAtFirstTick_ = 0;
    int64_t ScheduledDue_ = 0;
    std::optional<int64_t> LastTick_;       // --frames, or the end of a replay
    std::optional<TReplay> Recording_;      // --record: its header
    std::unique_ptr<TPartialFile> RecordFile_;  // --record: written as the game runs
    std::optional<TReplay> Playback_;       // --replay
};

int TSession::Run() {
    if (!Options_.InputFile.empty()) Script_ = ParseInputScript(ReadArgumentFile("--input", Options_.InputFile), Options_.InputFile);
    LastTick_ = Options_.Frames;
    TFormOptions formOptions;
    formOptions.Arguments = Options_.Arguments;
    formOptions.Seed = Options_.Seed;
    if (!Options_.ReplayFile.empty()) {
        Playback_ = ParseReplay(ReadArgumentFile("--replay", Options_.ReplayFile), Options_.ReplayFile);
        Script_ = Playback_->Events;
        formOptions.Seed = Playback_->Seed;
        // The hall of fame decides where a game ends: a replay starts from the
        // one its recording started from, in memory only.
        formOptions.StartingHall = Playback_->Hall;
        // A replay is watched, not played: the player's files stay as they are.
        formOptions.WriteFiles = false;
        formOptions.Arguments.clear();
        if (Playback_->Rate) formOptions.Arguments.push_back(*Playback_->Rate);
        LastTick_ = std::min(LastTick_.value_or(INT64_MAX), Playback_->LastTick());
        // A picture or a dump after the replay's last tick would never be made
        // (a whole replay's game closes before the tick after its end).
        const int64_t last = std::min(Options_.Frames.value_or(INT64_MAX), Playback_->End.value_or(Playback_->LastTick()));
        for (const auto* list : {&Options_.Screenshots, &Options_.Dumps}) {
            if (!list->empty() && list->rbegin()->first > last)
                throw EUsageError(Format("%s at tick %lld comes after the replay's last tick, %lld: it would never be made",
                                         list == &Options_.Screenshots ? "--screenshot" : "--dump-state",
                                         static_cast<long long>(list->rbegin()->first), static_cast<long long>(last)));
        }
    }
    if (!Options_.RecordFile.empty()) {
        // A game without a seed re-seeds from the clock: the recording fixes the
        // seed it uses instead, so that the replay repeats it.
        Recording_.emplace();
        Recording_->Seed = Options_.Seed.value_or(static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) &
                                                  0x7FFFFFFFFFFFFFFFULL);
        if (!Options_.Arguments.empty()) Recording_->Rate = Options_.Arguments[0];
        formOptions.Seed = Recording_->Seed;
        // A path that cannot be written is found now, not when the game closes.
        try {
            RecordFile_ = std::make_unique<TPartialFile>(Options_.RecordFile);
        } catch (const EFileError& e) {
            throw EUsageError(std::string("--record: ") + e.what());
        }
    }
    formOptions.ConfigDir = Options_.ConfigDir ? *Options_.ConfigDir : UserConfigDir();
    if (formOptions.ConfigDir.empty())
        throw EFrameworkError("No folder can hold the hall of fame: $XDG_DATA_HOME/tibo and $HOME/.local/share/tibo "
                              "cannot be made; name one with --config-dir");
    // A folder named on the command line may not exist yet; a failure here shows
    // when the hall of fame is written, with the reason.
    std::error_code ignored;
    if (formOptions.WriteFiles) std::filesystem::create_directories(formOptions.ConfigDir, ignored);

    const IClock* clock = &VirtualClock_;
    if (Options_.Headless) {
        Host_ = std::make_unique<TNullFormHost>();
        Presenter_ = std::make_unique<TCapturingPresenter>(nullptr);
    } else {
        TWindowOptions windowOptions;
        windowOptions.Title = GameTitle;
        windowOptions.Windowed = Options_.Windowed;
        windowOptions.Icon = assets::LoadBitmap(Store_, "Tibo");
        // Read by the game's own reader: a FIFO, a huge file or endless lines
        // never hold up the start.
        TGamepadMappings mappings = ReadGamepadMappings(JoinPath(formOptions.ConfigDir, GamepadMappingsFileName), PlatformName());
        for (const std::string& warning : mappings.Warnings) std::fprintf(stderr, "tibo: warning: %s\n", warning.c_str());
        windowOptions.GamepadMappings = std::move(mappings.Text);
        Window_ = TPlatformWindow::Open(windowOptions);
        Host_ = std::make_unique<TWindowHost>(*Window_);
        Presenter_ = std::make_unique<TCapturingPresenter>(Window_.get());
        clock = &SteadyClock_;
    }
    Form_ = std::make_unique<TMainForm>(formOptions, Store_, *clock, Presenter_.get(), Audio_.get(), *Host_);
    TMainForm& form = *Form_;
    form.SetTickObserver(this);
    form.FormCreate();
    if (Recording_) {
        Recording_->Hall = form.HallOfFame();
        RecordFile_->Append(ReplayHeaderText(*Recording_));
        RecordFile_->Flush();
    }
    // The window is shown: the drawing surface initialises.
    form.Show();
    if (Window_) form.SetActive(Host_->Foreground());

    try {
        Loop();
        if (Playback_ && CaughtCloseSignal() != 0)
            throw EInterrupted(Format("replay interrupted by %s after tick %lld: it played back the same up to there",
                                      SignalName(CaughtCloseSignal()), static_cast<long long>(Tick_)),
                               CaughtCloseSignal());
        if (Recording_) FinishRecording();
        if (Playback_) CheckReplayEnd();
    } catch (...) {
        // A recording the game did not close keeps what it has, cut short.
        if (RecordFile_ && RecordFile_->InProgress()) {
            try {
                RecordFile_->Flush();
                std::fprintf(stderr, "tibo: the recording is cut short; what it has is kept in %s\n", RecordFile_->PartialPath().c_str());
            } catch (const std::exception& e) {
                std::fprintf(stderr, "tibo: %s\n", e.what());
            }
        }
        // The game still closes, so that the hall of fame is saved; the first
        // error is the one reported.
        try {
            form.FormClose();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "tibo: %s\n", e.what());
        }
        throw;
    }
    form.FormClose();
    if (!Options_.TimingReport.empty()) WriteTimingReport();
    return 0;
}

void TSession::Loop() {
    TMainForm& form = *Form_;
    while (!form.CloseRequested()) {
        if (CaughtCloseSignal() != 0) {
            form.Close();
            break;
        }
        if (Window_) {
            OpenAudioAfterFirstPicture();
            while (auto e = Window_->PollEvent()) {
                DeliverPlatformEvent(*e);
                if (form.CloseRequested()) break;
            }
            if (form.CloseRequested()) break;
            form.RunDue();
            if (!form.CloseRequested()) WaitForNextTick();
        } else {
            const std::optional<int64_t> due = form.TickDue();
            if (!due) throw EFrameworkError("the frame timer stopped and nothing can restart it");
            VirtualClock_.Now = std::max(VirtualClock_.NowMs() + 1, *due);
            form.RunDue();
        }
    }
}

bool TSession::BeforeTick() {
    TMainForm& form = *Form_;
    const int64_t tick = Tick_ + 1;
    // The timing report counts from the first tick, with or without a window.
    const double now = MonotonicMs();
    if (tick == 1) {
        CpuAtFirstTick_ = ProcessCpuSeconds();
        WallAtFirstTick_ = now;
    } else if (Window_ && ScheduledDue_ > 0) {
        Jitter_.push_back(std::fabs(now - static_cast<double>(ScheduledDue_)));
    }
    // Scripted events of this tick, just before it runs.
    for (const TScriptEvent& press : PendingReleases_) ReleaseScriptPress(form, press);
    PendingReleases_.clear();
    while (NextEvent_ < Script_.size() && Script_[NextEvent_].Tick <= tick) {
        const TScriptEvent& e = Script_[NextEvent_++];
        Record(e);
        DeliverScriptEvent(form, e);
        if (e.What == TScriptEvent::Action::Press || e.What == TScriptEvent::Action::PadPress) PendingReleases_.push_back(e);
        if (form.CloseRequested()) return false;
    }
    Tick_ = tick;
    Presenter_->Capture = Options_.Screenshots.count(tick) > 0;  // copy only the pictures asked for
    return true;
}

void TSession::AfterTick(bool flipped) {
    TMainForm& form = *Form_;
    if (FirstFlipMs_ < 0 && flipped) FirstFlipMs_ = MonotonicMs() - StartMs_;
    auto [shotsBegin, shotsEnd] = Options_.Screenshots.equal_range(Tick_);
    for (auto it = shotsBegin; it != shotsEnd; ++it) {
        // The picture this tick showed; without a flip, the last one drawn.
        const TSurface* shown = flipped ? Presenter_->Shown() : nullptr;
        SavePng((shown ? *shown : form.Screen()).ToBitmap(), it->second);
    }
    auto [dumpsBegin, dumpsEnd] = Options_.Dumps.equal_range(Tick_);
    for (auto it = dumpsBegin; it != dumpsEnd; ++it) {
        nlohmann::json state = DumpState(form);
        state["Tick"] = Tick_;
        const std::string text = DumpText(state);
        WriteFileText(it->second, text);
    }
    if (RecordFile_ && Tick_ % ReplayCheckEvery == 0) {
        // On disk at every check: a kill or a crash loses at most the ticks since.
        RecordFile_->Append(ReplayCheckLine(Tick_, StateChecksum(form)));
        RecordFile_->Flush();
    }
    if (Playback_) CheckReplay();
    if (LastTick_ && Tick_ >= *LastTick_) form.Close();
    ScheduledDue_ = form.TickDue().value_or(0);
}

void TSession::DeliverPlatformEvent(const TPlatformEvent& e) {
    TMainForm& form = *Form_;
    using K = TPlatformEvent::Kind;
    using A = TScriptEvent::Action;
    // Keys, the mouse and the pad reach the game as the script events that do
    // the same, so that the recording gets exactly what the game got. A replay
    // plays by itself: the player's own do not reach it.
    TScriptEvent s;
    s.Tick = Tick_ + 1;
    s.Key = e.Key;
    s.X = e.X;
    s.Y = e.Y;
    bool record = true;
    switch (e.Type) {
        case K::KeyDown: s.What = A::Down; break;
        case K::KeyUp: s.What = A::Up; break;
        case K::MouseDown: s.What = A::Click; break;
        // A move nothing listens to changes nothing.
        case K::MouseMove: s.What = A::Move; record = form.MouseMoveHooked(); break;
        case K::PadDown: s.What = A::PadDown; s.Key = e.Button; break;
        case K::PadUp: s.What = A::PadUp; s.Key = e.Button; break;
        // The stick only counts by the directions it gives.
        case K::PadStick:
            s.What = A::PadStick;
            record = StickDirections(e.X, e.Y) != form.PadStickDirections();
            break;
        case K::PadRemoved:
            // What an unplugged pad held is let go.
            if (!Playback_) LetGo(false);
            return;
        case K::Quit:
            form.Close();
            return;
        case K::Activated:
            form.SetActive(true);
            return;
        case K::Deactivated:
            // Keys and pad buttons let go while another window has the focus
            // never report it (a replay holds and lets go its keys itself).
            if (!Playback_) LetGo(true);
            form.SetActive(false);
            return;
        case K::MouseUp:
        case K::RenderReset:
            return;
    }
    if (Playback_) return;
    if (record) Record(s);
    DeliverScriptEvent(form, s);
}

// Everything held is let go, the keyboard's keys too when `keys`: the pad's
// buttons one by one, then the stick centred, each as the recording has it.
void TSession::LetGo(bool keys) {
    TMainForm& form = *Form_;
    TScriptEvent s;
    s.Tick = Tick_ + 1;
    auto send = [&](TScriptEvent::Action what, int key, bool record) {
        s.What = what;
        s.Key = key;
        if (record) Record(s);
        DeliverScriptEvent(form, s);
    };
    for (int vk = 1; keys && vk < 256; ++vk)
        if (form.KeyHeld(vk)) send(TScriptEvent::Action::Up, vk, true);
    for (int b = 0; b < PadButtonCount; ++b)
        if (form.PadHeld(static_cast<TPadButton>(b))) send(TScriptEvent::Action::PadUp, b, true);
    send(TScriptEvent::Action::PadStick, 0, form.PadStickDirections() != 0);
}

void TSession::OpenAudioAfterFirstPicture() {
    // The first picture waits neither for the audio device nor for its copies
    // of the sounds, nor shares the processor with them: they are made on a
    // thread of their own once it is shown, and become audible when ready.
    // (The intro plays no sound in its first seconds.)
    if (!AudioAsked_ && FirstFlipMs_ >= 0) {
        AudioAsked_ = true;
        AudioOpening_ = TAudioOpening::Start(Form_->Sounds());
    }
    if (!AudioOpening_ || !AudioOpening_->Finished()) return;
    Audio_ = AudioOpening_->Take();
    AudioOpening_.reset();
    if (Audio_) Form_->AttachAudio(Audio_.get());
}

void TSession::WaitForNextTick() {
    const std::optional<int64_t> due = Form_->NextDue();
    if (!due) {
        Window_->WaitEvent(50);  // inactive or stopped: only events can change that
        return;
    }
    // Sleeps to the exact deadline, waking early for events (the loop handles them).
    Window_->WaitUntil(*due);
}

void TSession::WriteTimingReport() const {
    nlohmann::json report = nlohmann::json::object();
    report["ticks"] = Tick_;
    report["cpu_seconds"] = ProcessCpuSeconds() - CpuAtFirstTick_;
    report["wall_seconds"] = (MonotonicMs() - WallAtFirstTick_) / 1000.0;
    report["jitter_ms_p50"] = Percentile(Jitter_, 0.50);
    report["jitter_ms_p99"] = Percentile(Jitter_, 0.99);
    report["jitter_ms_max"] = Jitter_.empty() ? 0.0 : *std::max_element(Jitter_.begin(), Jitter_.end());
    report["first_flip_ms"] = FirstFlipMs_;   // from the process's start
    report["main_ms"] = MainMs_ - StartMs_;     // of which before main()
    report["presentation"] = Window_ ? Window_->PresentationName() : "none";
    report["peak_rss_kb"] = ProcessPeakRssKb();
    const std::string text = report.dump(1);
    WriteFileText(Options_.TimingReport, text);
}

void TSession::Record(TScriptEvent e) {
    if (RecordFile_) RecordFile_->Append(ScriptEventLine(e) + "\n");
}

void TSession::FinishRecording() {
    // The last tick that ran and the state the game closed in, whatever closed
    // it: what events after that tick did (a name typed, Escape) counts too.
    RecordFile_->Append(ReplayEndLine(Tick_, StateChecksum(*Form_)));
    RecordFile_->Finish();
}

// The check of the tick that has just run.
void TSession::CheckReplay() {
    const auto it = Playback_->Checks.find(Tick_);
    if (it != Playback_->Checks.end() && it->second != StateChecksum(*Form_))
        throw EReplayDiffers(Format("replay differs at tick %lld", static_cast<long long>(Tick_)));
}

// At the close: a check the game never came to is a difference too, and so
// are another last tick and another state at the close.
void TSession::CheckReplayEnd() {
    const TReplay& r = *Playback_;
    const auto after = r.Checks.upper_bound(Tick_);
    if (after != r.Checks.end() && after->first <= *LastTick_)
        throw EReplayDiffers(Format("replay differs at tick %lld: the game closed after tick %lld", static_cast<long long>(after->first),
                                    static_cast<long long>(Tick_)));
    // A replay without its end line never passes as whole.
    if (r.CutShort())
        throw EReplayDiffers(Format("replay cut short: it has no '# end' line; it played back the same to its last tick, %lld",
                                    static_cast<long long>(Tick_)));
    if (*LastTick_ < r.LastTick()) return;  // --frames stopped it before its end: the same so far
    const int64_t end = *r.End;
    if (Tick_ != end)
        throw EReplayDiffers(Format("replay differs at its end: the game closed after tick %lld, the recorded one after tick %lld",
                                    static_cast<long long>(Tick_), static_cast<long long>(end)));
    if (r.EndSum && *r.EndSum != StateChecksum(*Form_))
        throw EReplayDiffers(Format("replay differs at its end, after tick %lld: the game closed in another state", static_cast<long long>(end)));
}

}  // namespace

void DeliverScriptEvent(TMainForm& form, const TScriptEvent& e) {
    using A = TScriptEvent::Action;
    switch (e.What) {
        case A::Down:
        case A::Press:
            form.KeyDownEvent(e.Key);
            break;
        case A::Up:
            form.KeyUpEvent(e.Key);
            break;
        case A::Click:
            form.MainScreenMouseDown(1, e.X, e.Y);
            break;
        case A::Move:
            form.DeliverMouseMove(e.X, e.Y);
            break;
        case A::PadDown:
        case A::PadPress:
            form.PadButtonEvent(static_cast<TPadButton>(e.Key), true);
            break;
        case A::PadUp:
            form.PadButtonEvent(static_cast<TPadButton>(e.Key), false);
            break;
        case A::PadStick:
            form.PadStickEvent(e.X, e.Y);
            break;
    }
}

void ReleaseScriptPress(TMainForm& form, const TScriptEvent& press) {
    if (press.What == TScriptEvent::Action::PadPress) form.PadButtonEvent(static_cast<TPadButton>(press.Key), false);
    else form.KeyUpEvent(press.Key);
}

int RunProgram(int argc, char** argv) {
    const double mainMs = MonotonicMs();
    const double startMs = ProcessStartMs(mainMs);
    CatchCloseSignals();
    TProgramOptions options;
    try {
        options = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const EUsageError& e) {
        std::fprintf(stderr, "tibo: %s\nTry 'tibo --help'.\n", e.what());
        return 2;
    }
    for (const std::string& warning : options.Warnings) std::fprintf(stderr, "tibo: warning: %s\n", warning.c_str());
    if (options.Help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (options.Version) {
        std::printf("%s\n", GameTitle);
        return 0;
    }
    try {
        assets::AssetStore store;
        if (options.AssetsDir) store.OverrideFrom(*options.AssetsDir);
        if (options.ExportDir) {
            assets::ExportAssets(store, *options.ExportDir);
            return 0;
        }
        TSession session(options, store, startMs, mainMs);
        return session.Run();
    } catch (const EReplayDiffers& e) {
        std::fprintf(stderr, "tibo: %s\n", e.what());
        return 3;
    } catch (const EInterrupted& e) {
        std::fprintf(stderr, "tibo: %s\n", e.what());
        return 128 + e.Signal;
    } catch (const EUsageError& e) {
        std::fprintf(stderr, "tibo: %s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tibo: %s\n", e.what());
        return 1;
    }
}

}  // namespace tibo
