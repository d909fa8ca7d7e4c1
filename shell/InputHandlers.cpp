// Keys and clicks only set the game's variables; the next frame acts on them.
// Two keys act at once, whatever the screen: M mutes the sound (except in the
// name entry, where it types an M) and F12 saves a screenshot.
#include "shell/Main.h"

#include <cstdio>
#include <ctime>
#include <filesystem>

#include "framework/Files.h"
#include "framework/ImageCodec.h"

namespace tibo {
namespace {

constexpr int KeyEnter = 13, KeyEscape = 27, KeyDelete = 46, KeyUp = 38, KeyDown = 40, KeyM = 77, KeyP = 80,
              KeyF12 = 123;

bool Inside(int v, int low, int high) { return v >= low && v <= high; }

}  // namespace

std::string ScreenshotPath(const std::string& folder, std::time_t now) {
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    for (int n = 1;; ++n) {
        const std::string path = JoinPath(folder, "tibo-" + std::string(stamp) + "-" + std::to_string(n) + ".png");
        std::error_code ignored;
        if (!std::filesystem::exists(path, ignored)) return path;
    }
}

void TMainForm::SaveScreenshot() {
    const TSurface* picture = MainScreen.Surface();
    if (picture == nullptr) return;
    const std::string path = ScreenshotPath(Options_.ConfigDir, std::time(nullptr));
    try {
        SavePng(picture->ToBitmap(), path);
        std::printf("tibo: screenshot saved to %s\n", path.c_str());
    } catch (const std::exception& e) {
        // A full disk is no reason to end the game.
        std::fprintf(stderr, "tibo: no screenshot: %s\n", e.what());
    }
    std::fflush(stdout);
}

void TMainForm::FormKeyDown(int key) {
    if (key == KeyF12) SaveScreenshot();
    if (key == KeyM && Vars.GameState != gsNameEntry) SoundDevice.SetMuted(!SoundDevice.Muted());
    if (key == KeyP) {
        if (Vars.GameState == gsPlaying) PauseGame();
        else if (Vars.GameState == gsPaused) ResumeGame();
    }
    switch (Vars.GameState) {
        case gsIntro:
        case gsHallOfFame:
            // The keys that act everywhere leave these screens as they are.
            if (key != KeyEscape && key != KeyM && key != KeyF12) Vars.AnyKey = true;
            break;
        case gsNameEntry:
            if (Vars.NewEntryRank >= 1 && Vars.NewEntryRank <= 10) {
                std::string& name = Vars.HallOfFame[static_cast<size_t>(Vars.NewEntryRank - 1)].Nome;
                if (key == KeyDelete) {
                    if (!name.empty()) name.pop_back();
                } else if (key >= 32 && key <= 90) {
                    if (name.size() < 10) name.push_back(static_cast<char>(key));
                }
            }
            if (key == KeyEnter) Vars.NameDone = true;
            break;
        case gsLevelChoice:
            if (key == KeyUp && Vars.ChosenLevel > 1) --Vars.ChosenLevel;
            else if (key == KeyDown && Vars.ChosenLevel < 5) ++Vars.ChosenLevel;
            else if (key == KeyEnter && Vars.ChosenLevel > 0) StartChosenLevel();
            break;
        default:
            break;
    }
    if (key == KeyEscape) {
        if (Vars.GameState == gsPlaying || Vars.GameState == gsGameOver || Vars.GameState == gsPaused) StopPlay();
        Close();
    }
}

void TMainForm::MainScreenMouseDown(int /*button*/, int x, int y) {
    const uint8_t state = Vars.GameState;
    if (state == gsIntro || state == gsHallOfFame) {
        Vars.AnyKey = true;
        return;
    }
    const bool buttonRow = Inside(y, 424, 441);
    if (Vars.GameState == gsPlaying && buttonRow && Inside(x, 8, 60)) PauseGame();
    if (Vars.GameState == gsPaused && buttonRow && Inside(x, 68, 125)) ResumeGame();
    if (buttonRow && Inside(x, 130, 186)) Close();
    if (Vars.GameState != gsLevelChoice) return;
    if (Inside(x, 200, 440)) {
        if (Inside(y, 51, 76)) Vars.ChosenSetting = 1;
        if (Inside(y, 76, 100)) Vars.ChosenSetting = 0;
        if (Inside(y, 276, 300)) StartChosenLevel();
        if (Inside(y, 301, 325)) Close();
    }
    if (Inside(x, 50, 590)) {
        for (int level = 1; level <= 5; ++level) {
            const int top = 126 + 25 * (level - 1);
            if (Inside(y, top, top + 24)) Vars.ChosenLevel = static_cast<uint8_t>(level);
        }
    }
}

void TMainForm::MainScreenMouseMove(int x, int y) {
    if (!SelectionSprite) return;
    SelectionSprite->X = x;
    SelectionSprite->Y = y;
}

}  // namespace tibo
