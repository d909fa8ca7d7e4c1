// The game in the browser, for now: the form in the page's canvas, driven one
// step at a time by the browser's timer instead of the desktop's blocking
// loop (which would freeze the tab). A stepping stone: it repeats the window
// loop's work of app/Harness.cpp (events in, ticks due, audio after the first
// picture) until one game run is a session with a step of its own, which this
// will then call once per browser frame.
//
// The page's address may carry `?seed=N` and `?frames=T`. Lines for tests and
// players go to the browser's console: `tibo-first-picture MS` (milliseconds
// since the page's navigation began) and `tibo-exit N` when the game closes.
#include <emscripten.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Harness.h"
#include "assets/AssetStore.h"
#include "framework/Files.h"
#include "framework/GamepadMappings.h"
#include "framework/platform/Platform.h"
#include "shell/Main.h"

namespace tibo {
namespace {

constexpr const char* GamepadMappingsFileName = "gamecontrollerdb.txt";

class TWindowHost final : public IFormHost {
public:
    explicit TWindowHost(TPlatformWindow& window) : Window_(window) {}
    void SetCursorVisible(bool visible) override { Window_.SetCursorVisible(visible); }
    void WarpMouse(int x, int y) override { Window_.WarpMouse(x, y); }
private:
    TPlatformWindow& Window_;
};

// The options the page's address gives, as command-line words: "?seed=5&frames=100"
// gives "--seed 5 --frames 100". Only those two are understood yet.
std::vector<std::string> QueryArguments() {
    const std::string query = emscripten_run_script_string("location.search");
    std::vector<std::string> args;
    size_t at = query.empty() || query[0] != '?' ? 0 : 1;
    while (at < query.size()) {
        size_t end = query.find('&', at);
        if (end == std::string::npos) end = query.size();
        const std::string pair = query.substr(at, end - at);
        at = end + 1;
        const size_t eq = pair.find('=');
        const std::string name = pair.substr(0, eq);
        if (name != "seed" && name != "frames") {
            if (!name.empty()) std::fprintf(stderr, "tibo: warning: ?%s is not understood in the browser yet\n", name.c_str());
            continue;
        }
        args.push_back("--" + name);
        if (eq != std::string::npos) args.push_back(pair.substr(eq + 1));
    }
    return args;
}

// One game in the page.
class TWebGame {
public:
    TWebGame(const TProgramOptions& options, const assets::AssetStore& store) : Options_(options), Store_(store) {}

    void Start() {
        TFormOptions formOptions;
        formOptions.Seed = Options_.Seed;
        // The browser's own file system, in memory: the hall of fame lasts as
        // long as the page.
        formOptions.ConfigDir = UserConfigDir();
        TWindowOptions windowOptions;
        windowOptions.Title = GameTitle;
        windowOptions.Windowed = true;
        TGamepadMappings mappings = ReadGamepadMappings(JoinPath(formOptions.ConfigDir, GamepadMappingsFileName), PlatformName());
        for (const std::string& warning : mappings.Warnings) std::fprintf(stderr, "tibo: warning: %s\n", warning.c_str());
        windowOptions.GamepadMappings = std::move(mappings.Text);
        Window_ = TPlatformWindow::Open(windowOptions);
        Host_ = std::make_unique<TWindowHost>(*Window_);
        Form_ = std::make_unique<TMainForm>(formOptions, Store_, Clock_, Window_.get(), nullptr, *Host_);
        TMainForm& form = *Form_;
        form.Input.IsForeground = [this] { return Window_->Active(); };
        form.EngineTimer.OnTimer = [this](TFrameTimer&, int lag) { OnTick(lag); };
        form.FormCreate();
        form.MainScreen.Initialize();
        form.EngineTimer.SetApplicationActive(Window_->Active());
    }

    // What is due now: events, the blinking texts' timer, a tick. False once
    // the game has closed.
    bool Step() {
        TMainForm& form = *Form_;
        OpenAudioAfterFirstPicture();
        while (!form.CloseRequested()) {
            const auto e = Window_->PollEvent();
            if (!e) break;
            Deliver(*e);
        }
        if (!form.CloseRequested()) {
            form.TimerScritteLampeggianti.Poll();
            form.EngineTimer.Idle();
        }
        if (!form.CloseRequested()) return true;
        form.FormClose();
        return false;
    }

    // Milliseconds between two calls of Step.
    int Interval() const { return Form_->EngineTimer.Interval(); }

private:
    void OnTick(int lag) {
        TMainForm& form = *Form_;
        ++Tick_;
        const uint64_t flips = form.MainScreen.FlipCount();
        form.EngineTimerTimer(lag);
        if (!FirstPictureShown_ && form.MainScreen.FlipCount() > flips) {
            FirstPictureShown_ = true;
            std::printf("tibo-first-picture %.0f\n", emscripten_get_now());
        }
        if (Options_.Frames && Tick_ >= *Options_.Frames) form.Close();
    }

    void Deliver(const TPlatformEvent& e) {
        TMainForm& form = *Form_;
        using K = TPlatformEvent::Kind;
        using A = TScriptEvent::Action;
        TScriptEvent s;
        s.Key = e.Key;
        s.X = e.X;
        s.Y = e.Y;
        switch (e.Type) {
            case K::KeyDown: s.What = A::Down; break;
            case K::KeyUp: s.What = A::Up; break;
            case K::MouseDown: s.What = A::Click; break;
            case K::MouseMove: s.What = A::Move; break;
            case K::PadDown: s.What = A::PadDown; s.Key = e.Button; break;
            case K::PadUp: s.What = A::PadUp; s.Key = e.Button; break;
            case K::PadStick: s.What = A::PadStick; break;
            case K::Quit:
                form.Close();
                return;
            case K::Activated:
                form.EngineTimer.SetApplicationActive(true);
                form.SoundDevice.SetPaused(false);
                return;
            case K::Deactivated:
                form.EngineTimer.SetApplicationActive(false);
                form.SoundDevice.SetPaused(true);
                return;
            case K::PadRemoved:
            case K::MouseUp:
            case K::RenderReset:
                return;
        }
        DeliverScriptEvent(form, s);
    }

    // The browser has no threads to open the audio on: it opens here, once
    // the first picture is out. Browsers keep it silent until the first key
    // or click; the game runs on meanwhile.
    void OpenAudioAfterFirstPicture() {
        if (AudioAsked_ || !FirstPictureShown_) return;
        AudioAsked_ = true;
        std::vector<TWave> sounds;
        Form_->Suoni.Items.ForEach([&sounds](TWaveItem& item) { sounds.push_back(item.Wave); });
        Audio_ = TAudioOpening::Start(std::move(sounds))->Take();
        if (Audio_) Form_->SoundDevice.AttachBackend(Audio_.get());
    }

    const TProgramOptions& Options_;
    const assets::AssetStore& Store_;
    TSteadyClock Clock_;
    std::unique_ptr<TPlatformWindow> Window_;
    std::unique_ptr<ISoundBackend> Audio_;   // outlives the form, whose sounds it plays
    std::unique_ptr<IFormHost> Host_;
    std::unique_ptr<TMainForm> Form_;
    int64_t Tick_ = 0;
    bool FirstPictureShown_ = false;
    bool AudioAsked_ = false;
};

// Everything the page keeps between browser frames.
struct TPage {
    TProgramOptions Options;
    assets::AssetStore Store;
    std::unique_ptr<TWebGame> Game;
};

void Exit(TPage* page, int status) {
    emscripten_cancel_main_loop();
    std::printf("tibo-exit %d\n", status);
    delete page;
}

void Frame(void* arg) {
    auto* page = static_cast<TPage*>(arg);
    try {
        if (!page->Game->Step()) Exit(page, 0);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tibo: %s\n", e.what());
        Exit(page, 1);
    }
}

}  // namespace
}  // namespace tibo

int main() {
    using namespace tibo;
    auto page = std::make_unique<TPage>();
    try {
        page->Options = ParseCommandLine(QueryArguments());
        page->Game = std::make_unique<TWebGame>(page->Options, page->Store);
        page->Game->Start();
    } catch (const EUsageError& e) {
        std::fprintf(stderr, "tibo: %s\n", e.what());
        std::printf("tibo-exit 2\n");
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tibo: %s\n", e.what());
        std::printf("tibo-exit 1\n");
        return 1;
    }
    // Called every frame interval by the browser's timer; main returns and the
    // page lives on, owning what the game needs.
    const int interval = page->Game->Interval();
    emscripten_set_main_loop_arg(Frame, page.release(), 0, 0);
    emscripten_set_main_loop_timing(EM_TIMING_SETTIMEOUT, interval);
    return 0;
}
