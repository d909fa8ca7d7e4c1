#pragma once
// One game in memory, form and all, without a window: ticked by hand at 20 ms
// a tick, with keys, clicks, pad buttons and scripts delivered as the window
// delivers them; and a look at the text the game's font has put on the screen.
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "actors/Actors.h"
#include "app/CommandLine.h"
#include "app/Session.h"
#include "assets/AssetStore.h"
#include "framework/FrameTimer.h"
#include "framework/KeyCodes.h"
#include "shell/Main.h"
#include "tests/support/FormInsides.h"
#include "tests/support/PlayRig.h"
#include "tests/support/TempDir.h"

namespace tibo::testing_support {

class FakeHost final : public IFormHost {
public:
    void SetCursorVisible(bool visible) override { CursorVisible = visible; }
    void WarpMouse(int x, int y) override { WarpX = x; WarpY = y; }
    bool Foreground() const override { return true; }
    bool CursorVisible = true;
    int WarpX = -1, WarpY = -1;
};

// One game in memory, ticked by hand at 20 ms a tick.
struct Game {
    explicit Game(const std::string& configDir, std::vector<std::string> args = {}, uint64_t seed = 7)
        : form(Options(configDir, std::move(args), seed), BuiltInAssets(), clock, nullptr, nullptr, host) {
        form.FormCreate();
        form.Show();
    }
    static TFormOptions Options(const std::string& dir, std::vector<std::string> args, uint64_t seed) {
        TFormOptions o;
        o.ConfigDir = dir;
        o.Seed = seed;
        o.Arguments = std::move(args);
        return o;
    }
    // Ticks as a session runs them: the clock moves on, what is due runs.
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            clock.Now += 20;
            ASSERT_TRUE(form.RunDue()) << "the frame timer keeps still";
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
        ASSERT_EQ(inside.Vars.GameState, gsPlaying);
    }
    // Intro, hall of fame (opened by a key) and into the level choice.
    void ToLevelChoice() {
        Key('A');
        Tick(3);
        ASSERT_EQ(inside.Vars.GameState, gsLevelChoice);
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
    // Through the intro and the level choice (level 1 of the setting) into
    // play, the preview skipped with a fire button held for two ticks.
    void StartPlaying(uint8_t setting) {
        Script(std::string("1 press A\n4 click 300 ") + (setting == SettingPyramid ? "60" : "90") +
                   "\n5 press Enter\n7 down Space\n9 up Space\n",
               9);
        while (inside.Vars.GameState == gsExitPreview) Tick();
    }
    TPlayVariables& V() { return inside.Play()->Vars; }
    TTiboSprite& Hero() {
        for (int32_t i = 0; i < inside.Engine().Count(); ++i)
            if (auto* hero = dynamic_cast<TTiboSprite*>(inside.Engine().Items(i))) return *hero;
        throw std::logic_error("no hero");
    }
    // Puts the hero, standing, one cell under the exit with the way up open,
    // and climbs: he escapes, and the victory begins.
    void Escape() {
        TPlayVariables& v = V();
        RetireEnemies(inside.Engine());
        v.HeroColumn = v.Maze.ExitColumn;
        v.HeroRow = v.Maze.ExitRow + 1;
        v.HeroScreenColumn = v.HeroScreenRow = 4;
        v.ViewColumn = v.HeroColumn - 4;
        v.ViewRow = v.HeroRow - 4;
        v.ViewDirty = true;
        form.KeyDownEvent(VkUp);
        while (!v.Escaped) Tick();
        form.KeyUpEvent(VkUp);
    }
    // Whether the screen shows the text in the game's font from (x, y): every
    // drawn pixel of its glyphs there.
    bool ShowsText(int x, int y, std::string_view text) {
        const TSurface& screen = *inside.MainScreen.Surface();
        const TSurface& font = *inside.FontSurface;
        bool drawn = false;
        for (char ch : text) {
            const int g = ch - 32;
            for (int j = 0; j < 16; ++j)
                for (int i = 0; i < 16; ++i) {
                    const TDeviceColor c = font.Pixel(16 * (g % 20) + i, 16 * (g / 20) + j);
                    if (c == font.TransparentColor()) continue;
                    drawn = true;
                    if (screen.Pixel(x + i, y + j) != c) return false;
                }
            x += 16;
        }
        return drawn;
    }
    // The same, centred on the play window as its captions are.
    bool ShowsCaption(int y, std::string_view text) {
        return ShowsText(44 + 144 - 8 * static_cast<int>(text.size()), y, text);
    }

    TManualClock clock;
    FakeHost host;
    TMainForm form;
    TFormInsides inside{form};
};

// A game with a settings folder of its own, gone with it.
struct TOwnFolder {
    TempDir Folder;
};
struct TFormRig : TOwnFolder, Game {
    explicit TFormRig(uint64_t seed = 7) : Game(Folder.Path(), {}, seed) {}
};

}  // namespace tibo::testing_support
