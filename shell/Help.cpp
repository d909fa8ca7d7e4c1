// The help page (F1 or the pad's Back, over any screen) and what is shown
// over every screen: the sign of muted sound and the screenshot notice.
#include <array>
#include <string_view>

#include "shell/Main.h"

namespace tibo {
namespace {

// The controls: what, by key, by pad; beside them the keys that act anywhere.
struct THelpControl {
    std::string_view What, Keys, Pad, Other;
};
constexpr std::array<THelpControl, 5> Controls = {{
    {"MOVE", "ARROWS", "D-PAD", "M: SOUND"},
    {"FIRE", "SPACE, Z", "A", "F11: FULL SCREEN"},
    {"BOMB", "ENTER, X", "B", "F12: SCREENSHOT"},
    {"PAUSE", "P", "START", "ESC: QUIT"},
    {"HELP", "F1", "BACK", ""},
}};
constexpr int WhatX = 8, KeysX = 112, PadX = 264, OtherX = 376;

// A pick-up: its pictures in ComponentiLabirinto (one to three), and what it gives.
struct THelpPickUp {
    std::array<int, 3> Pictures;
    int Count;
    std::string_view Text;
};
constexpr std::array<THelpPickUp, 6> PickUps = {{
    {{21, 0, 0}, 1, "400 POINTS"},         // treasure
    {{17, 18, 19}, 3, "300 POINTS"},       // the three prizes
    {{16, 0, 0}, 1, "MAP, 500 POINTS"},    // map
    {{32, 0, 0}, 1, "TORCH, 500 POINTS"},  // torch
    {{15, 0, 0}, 1, "+HEALTH, +OXYGEN"},   // energy
    {{20, 0, 0}, 1, "+2 SHOTS, +1 BOMB"},  // bombs
}};

// The enemies in Nemici, each group followed by the points a kill gives.
struct THelpEnemies {
    std::array<std::string_view, 5> Pictures;
    int Count;
    std::string_view Points;
};
constexpr std::array<THelpEnemies, 3> Enemies = {{
    {{"Pipistrello", "VermeDx", "UccellaccioDx", "MostroTondoDx", "MostroDx"}, 5, "100"},  // walkers
    {{"Mummiadx0"}, 1, "150"},
    {{"FantasmaDx"}, 1, "200"},
}};
constexpr int DropPattern = 6;  // the drop half-way down its drip

constexpr std::array<std::string_view, 2> EnemyLines = {
    "A TOUCH HURTS; SHOOT THEM FOR POINTS.",
    "MUMMIES: PYRAMID ONLY. DROPS NEVER DIE.",
};

constexpr std::array<std::string_view, 8> RulesLines = {
    "MAP: THE PANEL SHOWS THE LABYRINTH.",
    "TORCH: THE WAY OUT IS LIT FOR A WHILE.",
    "A BLAST KILLS IN A MOMENT, TIBO TOO!",
    "IT RUNS ALONG CORRIDORS AND ROPES,",
    "BURNS PICK-UPS AND CRACKS SIDE WALLS.",
    "OXYGEN RUNS OUT, MONSTERS TAKE HEALTH:",
    "AT ZERO TIBO DIES. ENERGY ADDS TO BOTH.",
    "CLIMB TO THE EXIT IN THE ROOF!",
};

constexpr int Line = 17;         // the pitch of text lines
constexpr int PictureRow = 34;   // the pitch of rows of 32 x 32 pictures
constexpr int Dimming = 70;      // how much of the background picture shows, of 255
constexpr int Dim = 170;         // the opacity of the words that name what the rest is

// The sign of muted sound: a speaker crossed out in red, on a dark badge
// with a gold edge, as the panel's boxes are.
constexpr std::array<std::string_view, 20> MutedSign = {
    ".gggggggggggggggggggggggg.",
    "gbbbbbbbbbbbbbbbbbbbbbbbbg",
    "gbbbbbbbbbbbWbbbbbbbbbbbbg",
    "gbbbbbbbbbbWWbbbbbbbbbbbbg",
    "gbbbbbbbbbWWWbbbbbbbbbbbbg",
    "gbbbbbbbbWWWWbbbbbbbbbbbbg",
    "gbbbbbbbWWWWWbbRRbbbbRRbbg",
    "gbbbWWWWWWWWWbbbRRbbRRbbbg",
    "gbbbWWWWWWWWWbbbbRRRRbbbbg",
    "gbbbWWWWWWWWWbbbbbRRbbbbbg",
    "gbbbWWWWWWWWWbbbbbRRbbbbbg",
    "gbbbWWWWWWWWWbbbbRRRRbbbbg",
    "gbbbWWWWWWWWWbbbRRbbRRbbbg",
    "gbbbbbbbWWWWWbbRRbbbbRRbbg",
    "gbbbbbbbbWWWWbbbbbbbbbbbbg",
    "gbbbbbbbbbWWWbbbbbbbbbbbbg",
    "gbbbbbbbbbbWWbbbbbbbbbbbbg",
    "gbbbbbbbbbbbWbbbbbbbbbbbbg",
    "gbbbbbbbbbbbbbbbbbbbbbbbbg",
    ".gggggggggggggggggggggggg.",
};
constexpr int MutedSignX = 610, MutedSignY = 4;

}  // namespace

void TMainForm::DrawHelpPage() {
    if (!MainScreen.Surface() || !FontSurface || !HelpSurface) return;
    TSurface& page = *HelpSurface;
    page.SetSize(640, 480);
    page.Fill(0);
    // The hall of fame's wall, dimmed, behind the text.
    TSurface wall(&MainScreen.Device());
    LoadPicture(wall, "SFONDO");
    page.DrawBlended(page.ClientRect(), wall.ClientRect(), &wall, false, Dimming);
    const TTextWriter text(&page, FontSurface.get(), DigitSurface.get());

    text.PutCentred(4, "HOW TO PLAY", 255);
    int y = 26;
    text.PutText(KeysX, y, Dim, false, "KEYS");
    text.PutText(PadX, y, Dim, false, "PAD");
    y += Line;
    for (const THelpControl& c : Controls) {
        text.PutText(WhatX, y, Dim, false, c.What);
        text.PutText(KeysX, y, 255, false, c.Keys);
        text.PutText(PadX, y, 255, false, c.Pad);
        text.PutText(OtherX, y, 255, false, c.Other);
        y += Line;
    }

    const TDeviceColor rule = page.DeviceColor(0x9A6410);
    const auto separate = [&] {
        page.FillRect(TRect{8, y + 2, 632, y + 3}, rule);
        y += 5;
    };
    separate();
    for (size_t i = 0; i < PickUps.size(); ++i) {
        const THelpPickUp& p = PickUps[i];
        const int x = i % 2 == 0 ? 8 : 328;
        const int row = y + PictureRow * static_cast<int>(i / 2);
        for (int k = 0; k < p.Count; ++k)
            ComponentiLabirinto.Items.Items(p.Pictures[static_cast<size_t>(k)]).Draw(&page, x + PictureRow * k, row, 0);
        text.PutText(x + PictureRow * p.Count + 2, row + 8, 255, false, p.Text);
    }
    y += PictureRow * 3 - 2;
    separate();

    int x = 8;
    for (const THelpEnemies& group : Enemies) {
        for (int k = 0; k < group.Count; ++k, x += PictureRow)
            Nemici.Items.Find(std::string(group.Pictures[static_cast<size_t>(k)])).Draw(&page, x, y, 0);
        text.PutText(x + 2, y + 8, 255, false, group.Points);
        x += 16 * static_cast<int>(group.Points.size()) + 18;
    }
    Nemici.Items.Find("Gocce").Draw(&page, x, y, DropPattern);
    y += PictureRow + 4;
    for (std::string_view line : EnemyLines) {
        text.PutText(8, y, 255, false, line);
        y += Line;
    }

    separate();
    for (std::string_view line : RulesLines) {
        text.PutText(8, y, 255, false, line);
        y += Line;
    }
    text.PutCentred(458, "ANY KEY: BACK", 255);
}

void TMainForm::HelpFrame() {
    Host_.SetCursorVisible(false);
    TSurface& screen = *MainScreen.Surface();
    if (HelpSurface && HelpSurface->Valid()) screen.Draw(0, 0, HelpSurface.get(), false);
    else screen.Fill(0);
}

void TMainForm::DrawOverlays() {
    TSurface& screen = *MainScreen.Surface();
    if (SoundDevice.Muted()) {
        const TDeviceColor badge = screen.DeviceColor(0x1C1424), edge = screen.DeviceColor(0xE0A020),
                           speaker = screen.DeviceColor(0xFFFBE0), cross = screen.DeviceColor(0xF03020);
        for (size_t r = 0; r < MutedSign.size(); ++r)
            for (size_t c = 0; c < MutedSign[r].size(); ++c) {
                const char k = MutedSign[r][c];
                if (k == '.') continue;
                const TDeviceColor colour = k == 'b' ? badge : k == 'g' ? edge : k == 'W' ? speaker : cross;
                screen.SetPixel(MutedSignX + static_cast<int>(c), MutedSignY + static_cast<int>(r), colour);
            }
    }
    if (Vars.ScreenshotNoticeFrames > 0) {
        --Vars.ScreenshotNoticeFrames;
        const std::string_view notice = Vars.ScreenshotFailed ? "SCREENSHOT FAILED" : "SCREENSHOT SAVED";
        const int width = 16 * static_cast<int>(notice.size());
        const int left = (screen.Width() - width) / 2;
        screen.FillRect(TRect{left - 7, 0, left + width + 7, 25}, screen.DeviceColor(0xE0A020));
        screen.FillRect(TRect{left - 6, 1, left + width + 6, 24}, screen.DeviceColor(0x1C1424));
        Text().PutCentred(5, notice, 255);
    }
}

}  // namespace tibo
