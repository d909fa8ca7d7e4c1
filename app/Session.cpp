#include "app/Session.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "assets/AssetStore.h"
#include "assets/FormData.h"
#include "framework/Files.h"
#include "framework/GamepadMappings.h"
#include "framework/ImageCodec.h"
#include "framework/platform/Platform.h"
#include "framework/platform/Process.h"
#include "shell/StateDump.h"

namespace tibo {

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

namespace {

// Community mappings for more game controllers, read from the settings folder when there.
constexpr const char* GamepadMappingsFileName = "gamecontrollerdb.txt";
// At the Frames pace, the most ticks one step runs: more than a fixed
// schedule ever has due, a bound for a frame timer of interval 0.
constexpr int MaxTicksPerStep = 2 * TFrameTimer::MaxBacklog;

class TWindowHost final : public IFormHost {
public:
    explicit TWindowHost(TPlatformWindow& window) : Window_(window) {}
    void SetCursorVisible(bool visible) override { Window_.SetCursorVisible(visible); }
    void WarpMouse(int x, int y) override { Window_.WarpMouse(x, y); }
    bool Foreground() const override { return Window_.Focused() && !Window_.Minimized(); }
private:
    TPlatformWindow& Window_;
};

}  // namespace

// One line a variable: readable, and compact even with the labyrinth's grids in it.
void TFileOutput::StateDump(int64_t, const std::string& file, const nlohmann::json& state) {
    std::string text = "{\n";
    bool first = true;
    for (auto it = state.begin(); it != state.end(); ++it) {
        if (!first) text += ",\n";
        first = false;
        // A name need not be valid UTF-8: bytes that are not are shown as U+FFFD.
        const auto replace = nlohmann::json::error_handler_t::replace;
        text += " " + nlohmann::json(it.key()).dump(-1, ' ', false, replace) + ": " + it.value().dump(-1, ' ', false, replace);
    }
    WriteFileText(file, text + "\n}\n");
}

void TFileOutput::TimingReport(const std::string& file, const nlohmann::json& report) { WriteFileText(file, report.dump(1)); }

namespace {

// A file named on the command line; one that cannot be read is a bad command line.
std::string ReadArgumentFile(const char* option, const std::string& path) {
    try {
        const std::vector<uint8_t> bytes = ReadFileBytes(path);
        return std::string(bytes.begin(), bytes.end());
    } catch (const EFileError& e) {
        throw EUsageError(std::string(option) + ": " + e.what());
    }
}

}  // namespace

TSession::TSession(const TProgramOptions& options, const assets::AssetStore& store, const TSessionSetup& setup)
    : Options_(options), Store_(store), Setup_(setup), Output_(setup.Output ? setup.Output : &Files_),
      Timing_(setup.StartMs, setup.MainMs) {
    if (!Options_.InputFile.empty()) Script_ = ParseInputScript(ReadArgumentFile("--input", Options_.InputFile), Options_.InputFile);
    LastTick_ = Options_.Frames;
    TFormOptions formOptions;
    formOptions.Arguments = Options_.Arguments;
    formOptions.Seed = Options_.Seed;
    formOptions.FixedTickSchedule = Setup_.Pace == TPace::Frames;
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
        Checks_.emplace(*Playback_, *LastTick_);
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
    TReplay recording;
    if (!Options_.RecordFile.empty()) {
        // A game without a seed re-seeds from the clock: the recording fixes the
        // seed it uses instead, so that the replay repeats it.
        recording.Seed = Options_.Seed.value_or(static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) &
                                                0x7FFFFFFFFFFFFFFFULL);
        if (!Options_.Arguments.empty()) recording.Rate = Options_.Arguments[0];
        formOptions.Seed = recording.Seed;
        Recorder_ = std::make_unique<TRecorder>(Options_.RecordFile);
    }
    formOptions.ConfigDir = Options_.ConfigDir ? *Options_.ConfigDir : UserConfigDir();
    if (formOptions.ConfigDir.empty())
        throw EFrameworkError("No folder can hold the hall of fame: $XDG_DATA_HOME/tibo and $HOME/.local/share/tibo "
                              "cannot be made; name one with --config-dir");
    // A folder named on the command line may not exist yet; a failure here shows
    // when the hall of fame is written, with the reason.
    std::error_code ignored;
    if (formOptions.WriteFiles) std::filesystem::create_directories(formOptions.ConfigDir, ignored);

    if (Options_.Headless) {
        Host_ = std::make_unique<TNullFormHost>();
        Presenter_ = std::make_unique<TCapturingPresenter>(nullptr);
        Clock_ = Setup_.Pace == TPace::AsAsked ? static_cast<const IClock*>(&VirtualClock_) : &SteadyClock_;
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
        Clock_ = &SteadyClock_;
    }
    if (Setup_.Clock) Clock_ = Setup_.Clock;
    Form_ = std::make_unique<TMainForm>(formOptions, Store_, *Clock_, Presenter_.get(), Audio_.get(), *Host_);
    TMainForm& form = *Form_;
    form.SetTickObserver(this);
    form.FormCreate();
    if (Recorder_) {
        recording.Hall = form.HallOfFame();
        Recorder_->Begin(recording);
    }
    form.Show();
    if (Window_) form.SetActive(Host_->Foreground());
}

TSession::~TSession() = default;

TStep TSession::Step() {
    TMainForm& form = *Form_;
    if (!form.CloseRequested() && CaughtCloseSignal() != 0) form.Close();
    if (form.CloseRequested()) return {true, {}};
    if (Clock_ == &VirtualClock_) {
        const std::optional<int64_t> due = form.TickDue();
        if (!due) throw EFrameworkError("the frame timer stopped and nothing can restart it");
        VirtualClock_.Now = std::max(VirtualClock_.NowMs() + 1, *due);
    }
    if (Window_) {
        OpenAudioAfterFirstPicture();
        while (!form.CloseRequested()) {
            const std::optional<TPlatformEvent> e = Window_->PollEvent();
            if (!e) break;
            DeliverPlatformEvent(*e);
        }
        if (form.CloseRequested()) return {true, {}};
    }
    if (Setup_.Pace == TPace::Frames) {
        for (int i = 0; i < MaxTicksPerStep && !form.CloseRequested() && form.RunDue(); ++i) {
        }
    } else {
        form.RunDue();
    }
    if (form.CloseRequested()) return {true, {}};
    return {false, form.NextDue()};
}

void TSession::Finish() {
    try {
        const int signal = CaughtCloseSignal();
        if (Playback_ && signal != 0)
            throw EInterrupted(Format("replay interrupted by %s after tick %lld: it played back the same up to there",
                                      SignalName(signal), static_cast<long long>(Tick_)),
                               signal);
        // The last tick that ran and the state the game closed in, whatever
        // closed it: what events after that tick did (a name typed, Escape)
        // counts too.
        if (Recorder_) Recorder_->Finish(Tick_, Checksum());
        if (Checks_) Checks_->AtClose(Tick_, [this] { return Checksum(); }, WindowClosed_);
    } catch (...) {
        Abandon();
        throw;
    }
    Form_->FormClose();
    if (!Options_.TimingReport.empty())
        Output_->TimingReport(Options_.TimingReport, Timing_.Report(Tick_, Window_ ? Window_->PresentationName() : "none"));
}

void TSession::Abandon() noexcept {
    if (Recorder_) Recorder_->KeepCutShort();
    // The game still closes, so that the hall of fame is saved; the first
    // error is the one reported.
    try {
        Form_->FormClose();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tibo: %s\n", e.what());
    }
}

uint64_t TSession::Checksum() { return StateChecksum(*Form_); }

bool TSession::BeforeTick() {
    TMainForm& form = *Form_;
    const int64_t tick = Tick_ + 1;
    // The timing report counts from the first tick, with or without a window.
    Timing_.TickBegins(tick, Window_ && ScheduledDue_ > 0 ? std::optional<int64_t>(ScheduledDue_) : std::nullopt);
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
    Timing_.TickEnds();
    if (flipped) Timing_.PictureShown();
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
        Output_->StateDump(Tick_, it->second, state);
    }
    if (Recorder_) Recorder_->AfterTick(Tick_, [this] { return Checksum(); });
    if (Checks_) Checks_->AfterTick(Tick_, [this] { return Checksum(); });
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
            WindowClosed_ = true;
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

void TSession::Record(const TScriptEvent& e) {
    if (Recorder_) Recorder_->Event(e);
}

void TSession::OpenAudioAfterFirstPicture() {
    // The first picture waits neither for the audio device nor for its copies
    // of the sounds, nor shares the processor with them: they are made on a
    // thread of their own once it is shown, and become audible when ready.
    // (The intro plays no sound in its first seconds.)
    if (!AudioAsked_ && Timing_.FirstPictureShown()) {
        AudioAsked_ = true;
        AudioOpening_ = TAudioOpening::Start(Form_->Sounds());
    }
    if (!AudioOpening_ || !AudioOpening_->Finished()) return;
    Audio_ = AudioOpening_->Take();
    AudioOpening_.reset();
    if (Audio_) Form_->AttachAudio(Audio_.get());
}

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

}  // namespace tibo
