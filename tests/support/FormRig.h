#pragma once
// One game in memory, form and all, without a window: ticked by hand at 20 ms
// a tick, with keys, clicks and scripts delivered as the window delivers them.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/Harness.h"
#include "assets/AssetStore.h"
#include "framework/FrameTimer.h"
#include "shell/Main.h"
#include "tests/support/TempDir.h"

namespace tibo::testing_support {

class FakeHost final : public IFormHost {
public:
    void SetCursorVisible(bool visible) override { CursorVisible = visible; }
    void WarpMouse(int x, int y) override { WarpX = x; WarpY = y; }
    bool CursorVisible = true;
    int WarpX = -1, WarpY = -1;
};

inline const assets::AssetStore& Store() {
    static const assets::AssetStore store;  // read-only, shared by the tests
    return store;
}

// One game in memory, ticked by hand at 20 ms a tick.
struct Game {
    explicit Game(const std::string& configDir, std::vector<std::string> args = {})
        : form(Options(configDir, std::move(args)), Store(), clock, nullptr, nullptr, host) {
        form.FormCreate();
        form.MainScreen.Initialize();
    }
    static TFormOptions Options(const std::string& dir, std::vector<std::string> args) {
        TFormOptions o;
        o.ConfigDir = dir;
        o.Seed = 7;
        o.Arguments = std::move(args);
        return o;
    }
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            clock.Now += 20;
            form.TimerScritteLampeggianti.Poll();
            form.EngineTimerTimer(1);
        }
    }
    void Key(int vk) {
        form.KeyDownEvent(vk);
        form.KeyUpEvent(vk);
    }
    // Holds a fire button through the exit preview, which skips it.
    void SkipPreview() {
        form.KeyDownEvent(' ');
        Tick(2);
        form.KeyUpEvent(' ');
        Tick();
        ASSERT_EQ(form.Vars.GameState, gsPlaying);
    }
    // Intro, hall of fame (opened by a key) and into the level choice.
    void ToLevelChoice() {
        Key('A');
        Tick(3);
        ASSERT_EQ(form.Vars.GameState, gsLevelChoice);
    }
    // Runs a script's events as the session does, each before the tick it names
    // (counted from this call), a press let go before the next tick.
    void Script(const std::string& text, int ticks) {
        const std::vector<TScriptEvent> events = ParseInputScript(text, "script");
        size_t next = 0;
        std::vector<TScriptEvent> presses;
        for (int tick = 1; tick <= ticks; ++tick) {
            for (const TScriptEvent& press : presses) ReleaseScriptPress(form, press);
            presses.clear();
            for (; next < events.size() && events[next].Tick <= tick; ++next) {
                DeliverScriptEvent(form, events[next]);
                const auto what = events[next].What;
                if (what == TScriptEvent::Action::Press || what == TScriptEvent::Action::PadPress) presses.push_back(events[next]);
            }
            Tick();
        }
    }
    TManualClock clock;
    FakeHost host;
    TMainForm form;
};

}  // namespace tibo::testing_support
