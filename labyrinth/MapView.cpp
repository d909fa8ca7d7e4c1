// The mini-map and the exit preview.
#include "labyrinth/Play.h"

namespace tibo {

void TPlay::BuildMiniMap() {
    tibo::BuildMiniMap(Vars.Maze, MiniTiles, MiniCanvas);
    MapSurface->LoadFromGraphic(MiniCanvas);
}

void TPlay::ExitPreviewFrame() {
    TPlayVariables& v = Vars;
    Host.SetCursorVisible(true);
    switch (v.PreviewPhase) {
        case 0:
            v.PreviewPhase = 1;
            v.PreviewSkip = false;
            v.SavedViewColumn = v.ViewColumn;
            v.SavedViewRow = v.ViewRow;
            v.ViewOffsetX = v.ViewOffsetY = 0;
            v.ViewRow = v.Maze.ExitRow - 9;
            v.ViewColumn = v.Maze.ExitColumn - 4;
            ComposeView();
            break;
        case 1:
            // Down from the exit, a row every eight frames.
            v.ViewOffsetY -= v.StepY;
            if (v.ViewOffsetY <= -32) {
                v.ViewOffsetY = 0;
                ++v.ViewRow;
                ComposeView();
                if (v.ViewRow == v.HeroRow - 4) {
                    v.ViewColumn = v.Maze.ExitColumn - 4;
                    v.PreviewPhase = v.ViewColumn == v.HeroColumn - 4 ? 500 : 2;
                }
            }
            if (v.PreviewSkip) v.PreviewPhase = 500;
            break;
        case 2: {
            // Sideways to the hero's column.
            const bool right = v.HeroColumn - 4 > v.ViewColumn;
            v.ViewOffsetX += right ? -v.StepX : v.StepX;
            if ((right && v.ViewOffsetX <= -32) || (!right && v.ViewOffsetX >= 32)) {
                v.ViewOffsetX = 0;
                v.ViewColumn += right ? 1 : -1;
                ComposeView();
                if (v.ViewColumn == v.HeroColumn - 4) v.PreviewPhase = 500;
            }
            if (v.PreviewSkip) v.PreviewPhase = 500;
            break;
        }
        default:
            v.ViewColumn = v.SavedViewColumn;
            v.ViewRow = v.SavedViewRow;
            v.ViewOffsetX = v.ViewOffsetY = 0;
            Host.PreviewEnded();
            break;
    }
    TSurface& screen = *MainScreen.Surface();
    screen.Fill(0);
    screen.Draw(v.FieldOriginX + v.ViewOffsetX - 32, v.FieldOriginY + v.ViewOffsetY - 32, MazeSurface->ClientRect(),
                MazeSurface.get(), false);
    SpriteEngine.Move(10);
    SpriteEngine.Draw();
    DrawScores();
    DrawGauges();
    // The shots and bombs the game starts with, as play will show them.
    DrawSupplies();
    screen.Draw(364, 92, TRect{0, 0, 105, 160}, &NoMapSurface, false);
    DrawPercentages();
    // The preview is long at the higher levels: the player is told it can be cut short.
    Text().PutText(PreviewHintX, PreviewHintY, 255, false, PreviewHint);
}

}  // namespace tibo
