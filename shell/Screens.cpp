// The frame handlers of the screens: intro, hall of fame, name entry, level
// choice, and the play screens.
#include <array>
#include <string_view>

#include "shell/Main.h"

namespace tibo {
namespace {

constexpr std::string_view WebAddress = "WWW.BREVANTI.EXAMPLE";

constexpr std::array<std::string_view, 20> ScrollText = {
    "", "", "", "", "", "", "",
    "TIBO IS TRAPPED IN THE BOTTOM OF A",
    "DEEP UNDERGROUND. HELP HIM FIND THE",
    "WAY OUT COLLECTING MOST OF TREASURES",
    "BUT.. DARK GALLERIES ARE DANGEROUS",
    "SO KEEP OUT THE MONSTERS AND BE CAREFUL",
    "ABOUT OXYGEN AND HEALTH!!!",
    "",
    "KEYBOARD: CURSORS TO MOVE",
    "SPACEBAR TO FIRE, ENTER FOR BOMBS",
    "",
    "JOYSTICK: 4 DIRECTIONS, BUTTON 1 TO",
    "FIRE, BUTTON 2 FOR BOMBS",
    "",
};

constexpr TColor HighlightColour = (99u << 16) | (66u << 8) | 33u;

// The keys of the level choice, shown on it, and the name entry's keys.
constexpr std::string_view SettingKeysLine = "LEFT: PYRAMID   RIGHT: MINE";
constexpr std::string_view LevelKeysLine = "UP, DOWN: LEVEL  ENTER: START  F1: HELP";
constexpr int SettingKeysRow = 48, LevelKeysRow = 347;
constexpr int HintOpacity = 170;  // the key lines are dimmer than the captions they explain
constexpr std::string_view NameKeysLine = "TYPE  DEL, BACKSPACE: ERASE  ENTER: OK";
constexpr int NameKeysRow = 400;

}  // namespace

std::string TMainForm::HallLine(const HallEntry& entry, bool cursor) const {
    std::string line = entry.Nome + (cursor ? "+" : "") + "..........";
    line.resize(10);
    return line + FormatPoints(5, 0, entry.Punti) + " lev." + std::to_string(entry.Livello);
}

void TMainForm::IntroFrame() {
    int32_t k = Vars.FrameCounter;
    if (k > 450 || Vars.AnyKey) {
        if (LogoSprite) LogoSprite->Retire();
        SpriteEngine.FreeRetired();
        LogoSprite = nullptr;
        LoadPicture(*PictureSurface, "SFONDO");
        Vars.GameState = gsHallOfFame;
        k = 0;  // AnyKey stays set: a key on the intro also leaves the hall of fame
    }
    Host_.SetCursorVisible(false);
    TSurface& screen = *MainScreen.Surface();
    screen.Fill(0);
    if (k > 200) {
        screen.Draw(0, 0, Bounds(0, 0, 640, 480), PictureSurface.get(), true);
    } else {
        const int opacity = k <= 100 ? 255 : RoundEven(255 - (k - 100) * 2.5);
        SpriteEngine.Move(10);
        SpriteEngine.Draw();
        TTextWriter text = Text();
        text.PutCentred(200, "BREVANTI", opacity);
        text.PutCentred(240, "PRESENTS", opacity);
        text.PutCentred(440, WebAddress, 255);
        if (LogoSprite) {
            LogoSprite->X += 1;
            LogoSprite->Y += 1;
        }
        if (k == 200) LoadPicture(*PictureSurface, "COPERTINA");
    }
    Vars.FrameCounter = k + 1;
}

void TMainForm::HallOfFameFrame() {
    const int32_t k = Vars.FrameCounter;
    if (k > 650) {
        BeginIntro();
        Vars.GameState = gsIntro;
        return;
    }
    if (Vars.AnyKey) {
        OpenLevelChoice();
        return;
    }
    Host_.SetCursorVisible(false);
    TSurface& screen = *MainScreen.Surface();
    screen.Fill(0);
    screen.Draw(0, 0, Bounds(0, 0, 640, 480), PictureSurface.get(), true);
    TTextWriter text = Text();
    text.PutCentred(60, "Hall of Fame", 255);
    if (k % 15 > 7) text.PutCentred(410, "press any key", 255);
    const int left = std::min(3 * k - 256, 144);
    const int right = std::max(544 - 3 * k, 144);
    for (int n = 10; n >= 1; --n) {
        if (n == 1 && k % 50 >= 25) continue;
        const HallEntry& entry = Vars.HallOfFame[static_cast<size_t>(n - 1)];
        text.PutText(n % 2 == 1 ? right : left, 135 + 25 * (n - 1), 255, false, HallLine(entry, false));
    }
    Vars.FrameCounter = k + 1;
}

void TMainForm::NameEntryFrame() {
    int32_t k = Vars.FrameCounter;
    if (Vars.NameDone) {
        SaveHallOfFame();
        BeginIntro();
        Vars.GameState = gsIntro;
        k = Vars.FrameCounter;  // the intro's counter: its first frame sees 1
    }
    Host_.SetCursorVisible(false);
    TSurface& screen = *MainScreen.Surface();
    screen.Fill(0);
    TTextWriter text = Text();
    text.PutCentred(0, "You entered the hall of fame!", 255);
    for (int n = 1; n <= 10; ++n) {
        const HallEntry& entry = Vars.HallOfFame[static_cast<size_t>(n - 1)];
        const int y = 100 + 25 * (n - 1);
        if (n != Vars.NewEntryRank) {
            text.PutCentred(y, HallLine(entry, false), 255);
        } else if (Vars.PadNaming) {
            // The name stays; the letter the pad would add flashes with the cursor.
            HallEntry shown = entry;
            if (shown.Nome.size() < 10) shown.Nome += k % 30 < 15 ? '+' : Vars.PadLetter;
            text.PutCentred(y, HallLine(shown, false), 255);
        } else if (k % 30 < 15) {
            text.PutCentred(y, HallLine(entry, true), 255);
        }
    }
    text.PutCentred(NameKeysRow, NameKeysLine, 255);
    Vars.FrameCounter = (k + 1) % 30;
}

void TMainForm::OpenLevelChoice() {
    SelectionSprite = new TImageSprite(&Engine());
    Host_.WarpMouse(50, 50);
    SelectionSprite->X = 50;
    SelectionSprite->Y = 50;
    SelectionSprite->SetZ(0);
    SelectionSprite->PlayAnimation(Sfondo.Items.Find("Selezione"), true, 0.01);
    Vars.FrameCounter = 0;
    MouseMoveHooked_ = true;
    Vars.GameState = gsLevelChoice;
    Vars.ChosenLevel = 1;
    Vars.ChosenSetting = 0;
    Vars.StartRequested = false;
}

void TMainForm::StartChosenLevel() {
    if (SelectionSprite) {
        SelectionSprite->Retire();
        SpriteEngine.FreeRetired();
        SelectionSprite = nullptr;  // freed: later moves, clicks and Enter must not reach it
    }
    Vars.StartRequested = true;
}

void TMainForm::LevelChoiceFrame() {
    if (Vars.StartRequested) {
        MouseMoveHooked_ = false;
        StartLevel();
        return;
    }
    if (Vars.FrameCounter == 0) {
        LoadPicture(*PictureSurface, "SFONDO1");
        Vars.FrameCounter = 1;
        Vars.ScrollFirstLine = 1;
        Vars.ScrollOffset = 384;
    }
    Host_.SetCursorVisible(false);
    TSurface& screen = *MainScreen.Surface();
    screen.Fill(0);
    screen.Draw(0, 0, Bounds(0, 0, 640, 480), PictureSurface.get(), true);
    const TDeviceColor highlight = screen.DeviceColor(HighlightColour);
    screen.FillRect(Vars.ChosenSetting == 1 ? TRect{200, 70, 440, 94} : TRect{200, 95, 440, 119}, highlight);
    if (Vars.ChosenLevel != 0) {
        const int top = 145 + 25 * (Vars.ChosenLevel - 1);
        screen.FillRect(TRect{50, top, 590, top + 24}, highlight);
    }
    TTextWriter text = Text();
    text.PutCentred(25, "Choose the level", 255);
    text.PutCentred(75, "PYRAMID", 255);
    text.PutCentred(100, "MINE", 255);
    text.PutText(100, 150, 255, false, "Level 1 (beginner)");
    text.PutText(100, 175, 255, false, "Level 2 (normal)");
    text.PutText(100, 200, 255, false, "Level 3 (advanced)");
    text.PutText(100, 225, 255, false, "Level 4 (difficult)");
    text.PutText(100, 250, 255, false, "Level 5 (champion)");
    text.PutCentred(300, "START", 255);
    text.PutCentred(325, "EXIT", 255);
    text.PutCentred(SettingKeysRow, SettingKeysLine, HintOpacity);
    text.PutCentred(LevelKeysRow, LevelKeysLine, HintOpacity);
    for (int i = 0; i < 7; ++i) {
        const int y = Vars.ScrollOffset + 20 * i;
        if (y > 356) text.PutTextClipTop(y, ScrollText[static_cast<size_t>((Vars.ScrollFirstLine + i) % 20)], 372);
    }
    if (++Vars.FrameCounter == 3) {
        Vars.FrameCounter = 1;
        if (--Vars.ScrollOffset < 353) {
            Vars.ScrollFirstLine = static_cast<uint8_t>((Vars.ScrollFirstLine + 1) % 20);
            Vars.ScrollOffset = 372;
        }
    }
    SpriteEngine.Move(10);
    SpriteEngine.Draw();
}

}  // namespace tibo
