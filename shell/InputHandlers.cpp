// Keys and clicks only set the game's variables; the next frame acts on them.
// Two keys act at once, whatever the screen: M mutes the sound (except in the
// name entry, where it types an M) and F12 saves a screenshot. F1 (or the pad's
// Back) opens the help page over any screen; while it is shown nothing else
// runs, and the next key, button or click closes it.
#include "shell/Main.h"

#include <cstdio>
#include <ctime>
#include <string_view>

#include "framework/Files.h"
#include "framework/ImageCodec.h"
#include "framework/KeyCodes.h"

namespace tibo {
namespace {

// Far more than a screenshot of the game's picture takes.
constexpr size_t MaxScreenshotBytes = 16u << 20;

// How long "SCREENSHOT SAVED" stays on the screen, in frames.
constexpr int ScreenshotNoticeLength = 100;

bool Inside(int v, int low, int high) { return v >= low && v <= high; }

// The letters the pad offers for a name, in the order up goes through them.
constexpr std::string_view PadLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ";

// The character a key types into a name: letters, digits (the keypad's too)
// and space, the characters the font draws; 0 for every other key.
char NameCharacter(int key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9') || key == VkSpace) return static_cast<char>(key);
    if (key >= VkPad0 && key <= VkPad9) return static_cast<char>('0' + key - VkPad0);
    return 0;
}

// Keys that leave the help page: all but the modifiers, the lock keys and the
// two keys that act everywhere (M and F12 do their work and the page stays).
bool LeavesHelp(int key) {
    switch (key) {
        case VkShift: case VkCtrl: case VkAlt: case VkCapsLock: case VkLeftSystem: case VkRightSystem: case VkMenu:
        case VkNumLock: case VkScrollLock:
        case VkM: case VkF12:
            return false;
        default:
            return true;
    }
}

char NextPadLetter(char letter, int step) {
    const size_t at = PadLetters.find(letter);
    const int n = static_cast<int>(PadLetters.size());
    const int i = at == std::string_view::npos ? 0 : static_cast<int>(at);
    return PadLetters[static_cast<size_t>(((i + step) % n + n) % n)];
}

}  // namespace

std::string ScreenshotPath(const std::string& folder, std::time_t now, int n) {
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    return JoinPath(folder, "tibo-" + std::string(stamp) + "-" + std::to_string(n) + ".png");
}

std::vector<std::string> TakeLeftoverScreenshots(const std::string& folder) {
    std::vector<std::string> named;
    auto isScreenshot = [](std::string_view name) { return name.starts_with("tibo-") && name.ends_with(".png"); };
    for (const TLeftoverFile& file : LeftoverNewFilesIn(folder, isScreenshot)) {
        try {
            TPictureHeader header;
            // Cut short by the kill, or no picture at all: nothing to keep.
            if (file.Regular && ReadPictureHeader(ReadFileBytes(file.Path, MaxScreenshotBytes), header).empty() &&
                header.Complete) {
                // "tibo-STAMP-N.png": the others of its series are STAMP-2, -3...
                const std::string stem = file.Name.substr(0, file.Name.rfind('-'));
                named.push_back(TakeFreeName(file.Path, [&](int n) { return JoinPath(folder, stem + "-" + std::to_string(n) + ".png"); }));
                continue;
            }
        } catch (const std::exception& e) {
            std::fprintf(stderr, "tibo: a screenshot left unfinished stays in %s: %s\n", file.Path.c_str(), e.what());
            continue;
        }
        RemoveFile(file.Path);
    }
    return named;
}

void TMainForm::SaveScreenshot() {
    const TSurface* picture = MainScreen.Surface();
    if (picture == nullptr) return;
    const std::time_t now = std::time(nullptr);
    // Said on the screen too, for a moment (the next frames draw it).
    Vars.ScreenshotNoticeFrames = ScreenshotNoticeLength;
    try {
        if (!Options_.WriteFiles) throw EFileError("a replay playing back writes no files");
        // The first number of this second that no file has, taken only once the picture is whole.
        const std::string path = WriteFileAsNew([&](int n) { return ScreenshotPath(Options_.ConfigDir, now, n); },
                                                EncodePng(picture->ToBitmap()));
        Vars.ScreenshotFailed = false;
        std::printf("tibo: screenshot saved to %s\n", path.c_str());
    } catch (const std::exception& e) {
        // A full disk is no reason to end the game.
        Vars.ScreenshotFailed = true;
        std::fprintf(stderr, "tibo: no screenshot: %s\n", e.what());
    }
    std::fflush(stdout);
}

void TMainForm::KeyDownEvent(int key) {
    // The key that closed the help page counts for nothing until it is let go:
    // neither its repeats nor the hero see it.
    if (key != 0 && key == Vars.HelpClosingKey) return;
    // A key held since before the page opened (F1 itself, say) repeats: that is no new press.
    const bool repeat = Input.Keyboard.Held(key);
    if (Vars.HelpShown && !repeat && LeavesHelp(key)) {
        Vars.HelpClosingKey = key;
        CloseHelp();
        return;
    }
    Input.Keyboard.KeyDown(key);
    FormKeyDown(key, repeat);
}

void TMainForm::KeyUpEvent(int key) {
    if (key == Vars.HelpClosingKey) Vars.HelpClosingKey = 0;
    Input.Keyboard.KeyUp(key);
}

void TMainForm::OpenHelp() {
    Vars.HelpShown = true;
    DrawHelpPage();
}

void TMainForm::CloseHelp() { Vars.HelpShown = false; }

void TMainForm::FormKeyDown(int key, bool repeat) {
    if (key == VkF12) SaveScreenshot();
    if (key == VkM && (Vars.GameState != gsNameEntry || Vars.HelpShown)) SoundDevice.SetMuted(!SoundDevice.Muted());
    // Behind the help page every screen waits: the keys that close it are
    // handled as the window delivers them (KeyDownEvent).
    if (Vars.HelpShown) return;
    // In a game Escape asks first; the question takes the next key (not the
    // keyboard's repeat of one held, nor M or F12, which act at once).
    const bool actsEverywhere = key == VkM || key == VkF12;
    if (Vars.QuitQuestion > 0) {
        if (repeat || actsEverywhere) return;
        if (key == VkEscape) Quit();
        else ReturnFromQuit();
        return;
    }
    if (key == VkEscape && InGame()) {
        if (!repeat) AskQuit();
        return;
    }
    if (key == VkF1) {
        if (!repeat) OpenHelp();
        return;
    }
    if (EndSkippable() && !repeat && !actsEverywhere) Vars.SkipEnd = true;
    if (key == VkP) {
        if (Vars.GameState == gsPlaying) PauseGame();
        else if (Vars.GameState == gsPaused) ResumeGame();
    }
    switch (Vars.GameState) {
        case gsIntro:
        case gsHallOfFame:
            // The keys that act everywhere leave these screens as they are.
            if (key != VkEscape && key != VkM && key != VkF12) Vars.AnyKey = true;
            break;
        case gsNameEntry:
            // Letters, digits and space type; Delete and Backspace take the last
            // character back; every other key (arrows, paging keys) types nothing.
            if (key == VkDelete || key == VkBackspace) DeleteNameLetter();
            else if (const char c = NameCharacter(key)) AddNameLetter(c);
            if (key == VkEnter) Vars.NameDone = true;
            break;
        case gsLevelChoice:
            // As on the pad: left takes PYRAMID, listed first, right MINE.
            if (key == VkUp) StepLevel(-1);
            else if (key == VkDown) StepLevel(1);
            else if (key == VkLeft) Vars.ChosenSetting = SettingPyramid;
            else if (key == VkRight) Vars.ChosenSetting = SettingMine;
            else if (key == VkEnter && Vars.ChosenLevel > 0) StartChosenLevel();
            break;
        default:
            break;
    }
    // Outside a game Escape closes the window at once.
    if (key == VkEscape) Close();
}

void TMainForm::PadButtonEvent(TPadButton button, bool down) {
    // The button that closes the help page is not held for the game: no shot
    // or bomb comes of it.
    if (down && Vars.HelpShown) {
        CloseHelp();
        return;
    }
    Pad.SetButton(button, down);
    Input.Joystick.SetStates(Pad.States());
    if (down) FormPadButton(button);
}

void TMainForm::PadStickEvent(int x, int y) {
    const TInputStates before = StickDirections(Pad.StickX(), Pad.StickY());
    Pad.SetStick(x, y);
    Input.Joystick.SetStates(Pad.States());
    // Leaning into a direction steps through the menus as the D-pad does.
    const TInputStates entered = StickDirections(x, y) & ~before;
    const std::pair<int, TPadButton> directions[] = {
        {StateUp, TPadButton::Up}, {StateDown, TPadButton::Down}, {StateLeft, TPadButton::Left}, {StateRight, TPadButton::Right}};
    for (auto [state, button] : directions)
        if ((entered & StateBit(state)) != 0) FormPadButton(button);
}

void TMainForm::FormPadButton(TPadButton button) {
    using B = TPadButton;
    if (Vars.HelpShown) {
        CloseHelp();
        return;
    }
    if (Vars.QuitQuestion > 0) {
        ReturnFromQuit();
        return;
    }
    if (button == B::Back) {
        OpenHelp();
        return;
    }
    if (EndSkippable()) Vars.SkipEnd = true;
    switch (Vars.GameState) {
        case gsIntro:
        case gsHallOfFame:
            Vars.AnyKey = true;
            break;
        case gsNameEntry:
            PadNameEntry(button);
            break;
        case gsLevelChoice:
            // The settings are listed PYRAMID first: left takes it, right MINE.
            if (button == B::Up) StepLevel(-1);
            else if (button == B::Down) StepLevel(1);
            else if (button == B::Left) Vars.ChosenSetting = SettingPyramid;
            else if (button == B::Right) Vars.ChosenSetting = SettingMine;
            else if ((button == B::South || button == B::Start) && Vars.ChosenLevel > 0) StartChosenLevel();
            break;
        case gsPlaying:
            if (button == B::Start) PauseGame();
            break;
        case gsPaused:
            if (button == B::Start) ResumeGame();
            break;
        default:
            break;
    }
}

// Up and down choose the letter, south adds it, west deletes the last one and
// Start ends the name.
void TMainForm::PadNameEntry(TPadButton button) {
    using B = TPadButton;
    Vars.PadNaming = true;
    if (button == B::Start) Vars.NameDone = true;
    if (button == B::Up) Vars.PadLetter = NextPadLetter(Vars.PadLetter, 1);
    else if (button == B::Down) Vars.PadLetter = NextPadLetter(Vars.PadLetter, -1);
    else if (button == B::South) AddNameLetter(Vars.PadLetter);
    else if (button == B::West) DeleteNameLetter();
}

// The level choice's list: up and down, from level 1 to level 5.
void TMainForm::StepLevel(int step) {
    if (step < 0 && Vars.ChosenLevel > 1) --Vars.ChosenLevel;
    else if (step > 0 && Vars.ChosenLevel < 5) ++Vars.ChosenLevel;
}

// The new entry's name, by keyboard or pad: ten characters at most.
void TMainForm::AddNameLetter(char letter) {
    if (Vars.NewEntryRank < 1 || Vars.NewEntryRank > 10) return;
    std::string& name = Vars.HallOfFame[static_cast<size_t>(Vars.NewEntryRank - 1)].Nome;
    if (name.size() < 10) name.push_back(letter);
}

void TMainForm::DeleteNameLetter() {
    if (Vars.NewEntryRank < 1 || Vars.NewEntryRank > 10) return;
    std::string& name = Vars.HallOfFame[static_cast<size_t>(Vars.NewEntryRank - 1)].Nome;
    if (!name.empty()) name.pop_back();
}

void TMainForm::MainScreenMouseDown(int /*button*/, int x, int y) {
    // A click on the help page only closes it (the page covers the panel's buttons).
    if (Vars.HelpShown) {
        CloseHelp();
        return;
    }
    const uint8_t state = Vars.GameState;
    if (state == gsIntro || state == gsHallOfFame) {
        Vars.AnyKey = true;
        return;
    }
    const bool buttonRow = Inside(y, 424, 441);
    const bool exitButton = buttonRow && Inside(x, 130, 186);
    // EXIT during a game asks first, as Escape does; the question takes the next click.
    if (Vars.QuitQuestion > 0) {
        if (exitButton) Quit();
        else ReturnFromQuit();
        return;
    }
    if (exitButton && InGame()) {
        AskQuit();
        return;
    }
    if (EndSkippable()) Vars.SkipEnd = true;
    if (Vars.GameState == gsPlaying && buttonRow && Inside(x, 8, 60)) PauseGame();
    if (Vars.GameState == gsPaused && buttonRow && Inside(x, 68, 125)) ResumeGame();
    if (exitButton) Close();
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
