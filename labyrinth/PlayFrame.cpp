// One frame of play: the labyrinth through its window, the sprites, the panel.
#include <algorithm>

#include "assets/MiniFont.h"
#include "labyrinth/Play.h"

namespace tibo {
namespace {

constexpr int CellSize = 32;
constexpr int PictureIlluminato = 31;

// The picture of a cell code in the list ComponentiLabirinto; -1 for none.
int CellPicture(uint8_t code, bool pyramid) {
    switch (code) {
        case CellBorder: return 0;
        case CellWall: return pyramid ? 11 : 5;
        case CellBrokenWall: return pyramid ? 10 : 9;
        case CellRopeTop: return 2;
        case CellRope: return 3;
        case CellRopeEnd: return 4;
        case CellExit: return 1;
        case CellTreasure: return 21;
        case CellPrize1: return 17;
        case CellPrize2: return 18;
        case CellPrize3: return 19;
        case CellTorch: return 32;
        case CellEnergy: return 15;
        case CellMap: return 16;
        case CellSky1: return 12;
        case CellSky2: return 13;
        case CellSky3: return 14;
        case CellSlopeLeft: return 7;
        case CellSlopeRight: return 6;
        case CellBombs: return 20;
        default: return -1;
    }
}

// Cells that never show the torch's light under them.
bool Unlit(uint8_t code) {
    return code == CellBorder || code == CellWall || code == CellBrokenWall || (code >= CellSky1 && code <= CellSky3) ||
           code == CellSlopeLeft || code == CellSlopeRight;
}

// Health and oxygen may end below zero (a last hit, the victory's count-down):
// the gauges and percentages show an empty bar and 0 then.
int32_t Gauge(int32_t value) { return std::max(value, 0); }
int GaugeHeight(int32_t value) { return RoundEven(Gauge(value) / double{FullGauge} * 162); }
int Percent(int32_t value) { return RoundEven(Gauge(value) / double{FullGauge} * 100); }
// The two bars of the panel: their left edges and their width.
constexpr int OxygenBarLeft = 483, HealthBarLeft = 535, GaugeWidth = 24;

}  // namespace

void TPlay::DrawCell(int c, int r) {
    const TMaze& m = Vars.Maze;
    const int x = Vars.ViewColumn + c, y = Vars.ViewRow + r;
    const int px = (c + 1) * CellSize, py = (r + 1) * CellSize;
    const bool inside = m.Inside(x, y);
    const uint8_t outside = y < 4 ? uint8_t{CellPassage} : uint8_t{CellBorder};
    const uint8_t code = inside ? m.Cell(x, y) : outside;
    if (inside && !Unlit(code) && m.Path(x, y) == PathLit)
        ComponentiLabirinto.Items.Items(PictureIlluminato).Draw(MazeSurface.get(), px, py, 0);
    const int picture = CellPicture(code, ChosenSetting == SettingPyramid);
    if (picture >= 0) ComponentiLabirinto.Items.Items(picture).Draw(MazeSurface.get(), px, py, 0);
}

void TPlay::ComposeView() {
    TPlayVariables& v = Vars;
    if (v.ViewDirty || v.ViewColumn != v.DrawnViewColumn || v.ViewRow != v.DrawnViewRow) {
        v.ViewDirty = false;
        v.DrawnViewColumn = v.ViewColumn;
        v.DrawnViewRow = v.ViewRow;
        MazeSurface->Fill(0);
        TPictureItem& skyStrip = Sfondo.Items.Find("UscitaStelle");
        for (int c = -1; c <= 10; ++c) {
            if (ChosenSetting == SettingMine && v.ViewRow < 5)
                skyStrip.Draw(MazeSurface.get(), (c + 1) * CellSize + v.ViewOffsetX, -CellSize * v.ViewRow + v.ViewOffsetY, 0);
            for (int r = -1; r <= 10; ++r) DrawCell(c, r);
        }
    }
    if (v.CellDirty) {
        v.CellDirty = false;
        const int x = (v.DirtyColumn - v.ViewColumn + 1) * CellSize, y = (v.DirtyRow - v.ViewRow + 1) * CellSize;
        if (v.Maze.Path(v.DirtyColumn, v.DirtyRow) == PathLit)
            ComponentiLabirinto.Items.Items(PictureIlluminato).Draw(MazeSurface.get(), x, y, 0);
        else
            MazeSurface->FillRect(Bounds(x, y, CellSize, CellSize), 0);
    }
}

void TPlay::DrawScores() {
    TTextWriter text = Text();
    text.PutNumber(52, 390, Vars.Score);
    text.PutNumber(142, 390, Vars.BestScore);
}

void TPlay::DrawGauges() {
    // The panel shows full bars; the empty part of each is blacked out.
    TSurface& screen = *MainScreen.Surface();
    screen.FillRect(TRect{OxygenBarLeft, 85, OxygenBarLeft + GaugeWidth, 247 - GaugeHeight(Vars.Oxygen)}, 0);
    screen.FillRect(TRect{HealthBarLeft, 85, HealthBarLeft + GaugeWidth, 247 - GaugeHeight(Vars.Health)}, 0);
}

void TPlay::DrawSupplies() {
    // Seven icons of each; those the player has not got are blacked out.
    TSurface& screen = *MainScreen.Surface();
    if (Vars.Shots < 7) screen.FillRect(TRect{364 + 32 * Vars.Shots, 266, 587, 297}, 0);
    if (Vars.Bombs < 7) screen.FillRect(TRect{364 + 32 * Vars.Bombs, 309, 587, 340}, 0);
}

void TPlay::DrawCaptions() {
    const TPlayVariables& v = Vars;
    const TTextWriter text = Text();
    const uint8_t state = Host.GameState();
    // The new captions are centred on the play window.
    auto centred = [&](int y, const std::string& caption) {
        text.PutText(v.FieldOriginX + 144 - 8 * static_cast<int>(caption.size()), y, 255, false, caption);
    };
    if (state == gsPaused) {
        if (const int32_t left = Host.QuitQuestion(); left > 0) {
            // Flashes in steps of 15 frames, shown first.
            if ((QuitQuestionFrames - left) / 15 % 2 == 0) centred(220, "ESC AGAIN TO QUIT");
            centred(244, "OTHER KEY: GO ON");
        } else if (Host.Blink()) {
            text.PutText(130, 220, 255, false, "PAUSED");
        }
        return;
    }
    if (state != gsLevelWon && state != gsGameOver) return;
    if (v.Escaped) {
        // A win reads as one, steady while he stands in the open and flashing
        // once the game is over; the bonus counts up under it.
        if (state == gsLevelWon || Host.Blink()) centred(220, "YOU ESCAPED!");
        if (v.EscapeBonus > 0) centred(244, "BONUS " + std::to_string(v.EscapeBonus));
    } else if (state == gsGameOver && Host.Blink()) {
        text.PutText(130, 220, 255, false, "GAME OVER");
    }
}

void TPlay::DrawPercentages() {
    // A small font carried in the game: no system font is needed. Each figure
    // is centred in its bar, its characters set close, so that "100%" too
    // stays inside the 24 pixels of the bar.
    TSurface& screen = *MainScreen.Surface();
    const TDeviceColor white = screen.DeviceColor(0xFFFFFF);
    const auto put = [&](int barLeft, int32_t value) {
        const std::string figure = std::to_string(Percent(value)) + "%";
        assets::DrawTightMiniText(screen, barLeft + (GaugeWidth - assets::TightMiniTextWidth(figure)) / 2, 180, figure, white);
    };
    put(OxygenBarLeft, Vars.Oxygen);
    put(HealthBarLeft, Vars.Health);
}

void TPlay::DrawMapWindow() {
    TPlayVariables& v = Vars;
    TSurface& screen = *MainScreen.Surface();
    if (v.MapSteps > 0) {
        const int mx = v.HeroColumn * 8 + v.HeroOffsetX / 4 - v.ViewOffsetX / 4;
        const int my = (v.HeroRow + 1) * 8 + v.HeroOffsetY / 4 - v.ViewOffsetY / 4;
        screen.Draw(364, 92, TRect{mx, my, mx + 105, my + 160}, MapSurface.get(), false);
        screen.Draw(412, 172, TRect{0, 0, 8, 8}, MapSurface.get(), false);
        if (v.HeroColumn != v.MapColumn || v.HeroRow != v.MapRow) {
            --v.MapSteps;
            v.MapColumn = v.HeroColumn;
            v.MapRow = v.HeroRow;
        }
    } else {
        screen.Draw(364, 92, TRect{0, 0, 105, 160}, &NoMapSurface, false);
    }
}

bool TPlay::PlayFrame() {
    TPlayVariables& v = Vars;
    // The pointer stays visible in play: the panel's Pause, Unpause and Exit
    // areas are worked with it.
    Host.SetCursorVisible(true);
    ComposeView();
    TSurface& screen = *MainScreen.Surface();
    screen.Fill(0);
    if (v.ExplosionCount > 0) {
        const int n = v.ExplosionCount;
        v.ShakeX = Randomizer.Random(n) - n / 2;
        v.ShakeY = Randomizer.Random(n) - n / 2;
    }
    screen.Draw(v.FieldOriginX + v.ViewOffsetX + v.ShakeX - CellSize, v.FieldOriginY + v.ViewOffsetY + v.ShakeY - CellSize,
                MazeSurface->ClientRect(), MazeSurface.get(), false);
    if (Host.GameState() != gsPaused) {
        SpriteEngine.Move(10);
        SpriteEngine.FreeRetired();
    }
    SpriteEngine.Draw();
    DrawScores();
    DrawCaptions();
    if (Host.GameState() == gsGameOver && Host.GameOverFrame()) return true;
    DrawGauges();
    DrawSupplies();
    DrawMapWindow();
    if (v.TorchSteps > 0 && (v.HeroColumn != v.TorchColumn || v.HeroRow != v.TorchRow)) {
        if (--v.TorchSteps == 0) {
            ClearTorchPath(v.Maze);
        } else {
            v.TorchColumn = v.HeroColumn;
            v.TorchRow = v.HeroRow;
        }
    }
    DrawPercentages();
    return false;
}

}  // namespace tibo
