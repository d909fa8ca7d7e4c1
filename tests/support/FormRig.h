#pragma once
// The whole game in memory: the main form with no window, ticked by hand at
// 20 ms a tick, fed keys, clicks and pad buttons as the harness feeds them;
// and a look at the text the game's font has put on the screen.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <stdlib.h>

#include "actors/Actors.h"
#include "app/CommandLine.h"
#include "app/Harness.h"
#include "tests/support/PlayRig.h"
#include "shell/Main.h"

namespace tibo::testing_support {

// A folder of its own for the settings file, gone with the rig.
class TTempFolder {
public:
    TTempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tibo-test-XXXXXX").string();
        Path_ = ::mkdtemp(pattern.data());
    }
    ~TTempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(Path_, ignored);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;
    const std::string& Path() const { return Path_; }

private:
    std::string Path_;
};

class TFormRig {
public:
    explicit TFormRig(uint64_t seed = 7) : Form(Options(Folder.Path(), seed), BuiltInAssets(), Clock, nullptr, nullptr, Host) {
        Form.FormCreate();
        Form.MainScreen.Initialize();
    }

    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            Clock.Now += 20;
            Form.TimerScritteLampeggianti.Poll();
            Form.EngineTimerTimer(1);
        }
    }
    // A script's events, each before the tick it names (counted from this
    // call), a press let go before the next tick; `ticks` ticks in all.
    void Script(const std::string& text, int ticks) {
        const std::vector<TScriptEvent> events = ParseInputScript(text, "script");
        size_t next = 0;
        std::vector<TScriptEvent> presses;
        for (int tick = 1; tick <= ticks; ++tick) {
            for (const TScriptEvent& press : presses) ReleaseScriptPress(Form, press);
            presses.clear();
            for (; next < events.size() && events[next].Tick <= tick; ++next) {
                DeliverScriptEvent(Form, events[next]);
                const auto what = events[next].What;
                if (what == TScriptEvent::Action::Press || what == TScriptEvent::Action::PadPress) presses.push_back(events[next]);
            }
            Tick();
        }
    }
    void Key(int vk) {
        Form.KeyDownEvent(vk);
        Form.KeyUpEvent(vk);
    }
    // Through the intro and the level choice (level 1 of the setting) into
    // play, the preview skipped with a fire button held for two ticks.
    void StartPlaying(uint8_t setting) {
        Script(std::string("1 press A\n4 click 300 ") + (setting == SettingPyramid ? "60" : "90") +
                   "\n5 press Enter\n7 down Space\n9 up Space\n",
               9);
        while (Form.Vars.GameState == gsExitPreview) Tick();
    }
    TPlayVariables& V() { return Form.Play()->Vars; }
    TTiboSprite& Hero() {
        for (int32_t i = 0; i < Form.Engine().Count(); ++i)
            if (auto* hero = dynamic_cast<TTiboSprite*>(Form.Engine().Items(i))) return *hero;
        throw std::logic_error("no hero");
    }
    // Puts the hero, standing, one cell under the exit with the way up open,
    // and climbs: he escapes, and the victory begins.
    void Escape() {
        TPlayVariables& v = V();
        RetireEnemies(Form.Engine());
        v.HeroColumn = v.Maze.ExitColumn;
        v.HeroRow = v.Maze.ExitRow + 1;
        v.HeroScreenColumn = v.HeroScreenRow = 4;
        v.ViewColumn = v.HeroColumn - 4;
        v.ViewRow = v.HeroRow - 4;
        v.ViewDirty = true;
        Form.KeyDownEvent(38);
        while (!v.Escaped) Tick();
        Form.KeyUpEvent(38);
    }
    // Whether the screen shows the text in the game's font from (x, y): every
    // drawn pixel of its glyphs there.
    bool ShowsText(int x, int y, std::string_view text) {
        const TSurface& screen = *Form.MainScreen.Surface();
        const TSurface& font = *Form.FontSurface;
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

    TTempFolder Folder;
    TManualClock Clock;
    TNullFormHost Host;
    TMainForm Form;

private:
    static TFormOptions Options(const std::string& folder, uint64_t seed) {
        TFormOptions o;
        o.ConfigDir = folder;
        o.Seed = seed;
        return o;
    }
};

}  // namespace tibo::testing_support
