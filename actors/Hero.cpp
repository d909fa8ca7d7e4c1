// Tibo: walking, climbing and ropes; his shots and bombs, pick-ups, damage,
// death and victory.
#include "actors/Actors.h"
#include "framework/FieldWriter.h"
#include "labyrinth/Play.h"

namespace tibo {

void TTiboSprite::Advance(int32_t moveCount) {
    TImageSprite::Advance(moveCount);
    TPlay& play = PlayOf(*this);
    TPlayVariables& v = play.Vars;
    if (play.Host.GameState() == gsExitPreview) {
        // The view travels from the exit down to the hero; a fire button skips it.
        X = 32 * (v.HeroColumn - v.ViewColumn) + v.FieldOriginX + v.ViewOffsetX;
        Y = 32 * (v.HeroRow - v.ViewRow) + v.FieldOriginY + v.ViewOffsetY;
        play.Input.Update();
        if (play.Input.IsPressed(StateButton1) || play.Input.IsPressed(StateButton2)) v.PreviewSkip = true;
        return;
    }
    if (HeroState == 0 || HeroState == 1) --v.Oxygen;
    switch (HeroState) {
        case 0: Playing(play); break;
        case 1: Escaping(play); break;
        default: break;  // the victory and the dying hero stand where they are
    }
}

void TTiboSprite::Playing(TPlay& play) {
    TPlayVariables& v = play.Vars;
    const uint8_t move = v.MoveState;
    if (move <= 3 && AdvanceStep(play) && move == 2 && v.HeroRow == 4) {
        // Climbed into the exit row: the level is won, and nothing more of the
        // playing frame runs (no new move, no shot, no bomb); the escape climbs on.
        HeroState = 1;
        play.Host.LevelWon();
        play.PlaySound("Vinto");
        PlaceOnScreen(play);
        return;
    }
    // Standing, or on the frame a step completes: the next move, so that a held
    // direction walks on without a pause.
    if (v.MoveState == 4) ChooseMove(play);
    PlaceOnScreen(play);
}

void TTiboSprite::Escaping(TPlay& play) {
    TPlayVariables& v = play.Vars;
    // Out through the exit: always up, without input.
    v.MoveState = 2;
    if (AdvanceStep(play) && v.HeroRow <= 3) {
        HeroState = 2;
        ShowPicture(play.SpriteTibo.Items.Find("Vittoria"));
        FrameCount = Image->PatternTotal();
        FrameLooped = true;
        FrameSpeed = 0.004;
        FramePos = 0;
        Counter = 0;
    }
    PlaceOnScreen(play);
}

bool TTiboSprite::AdvanceStep(TPlay& play) {
    TPlayVariables& v = play.Vars;
    const uint8_t move = v.MoveState;
    const bool sideways = move <= 1;
    const int32_t sign = (move == 0 || move == 3) ? 1 : -1;  // right and down grow the cell numbers
    int32_t& screenCell = sideways ? v.HeroScreenColumn : v.HeroScreenRow;
    int32_t& heroOffset = sideways ? v.HeroOffsetX : v.HeroOffsetY;
    int32_t& viewOffset = sideways ? v.ViewOffsetX : v.ViewOffsetY;
    const int32_t step = sideways ? v.StepX : v.StepY;
    // At the edge of the central zone the view scrolls and the hero stays put.
    const bool scrolling = screenCell == (sign > 0 ? 6 : 2);
    const int32_t travelled = scrolling ? -sign * viewOffset : sign * heroOffset;

    // The picture from the offset before this frame's move: legs apart in the
    // first half of a step, together in the second.
    const bool firstHalf = travelled <= 16;
    if (sideways) ShowImage(move == 0 ? (firstHalf ? "OminoDx1" : "OminoDx0") : (firstHalf ? "OminoSx1" : "OminoSx0"));
    else SetClimbPicture(firstHalf);

    bool completed = false;
    if (travelled < v.StepLimit) {
        if (scrolling) viewOffset -= sign * step;
        else heroOffset += sign * step;
    } else {
        completed = true;
        (scrolling ? viewOffset : heroOffset) = 0;
        (sideways ? v.HeroColumn : v.HeroRow) += sign;
        if (scrolling) (sideways ? v.ViewColumn : v.ViewRow) += sign;
        else screenCell += sign;
        v.MoveState = 4;
        if (sideways) {
            PlayStep();
            if (IsRopeCell(v.Maze.At(v.HeroColumn, v.HeroRow))) {
                SetClimbPicture(false);
                PlayJump();
            }
        }
    }
    if (sideways) v.Facing = move == 0 ? 1 : -1;
    return completed;
}

void TTiboSprite::ChooseMove(TPlay& play) {
    TPlayVariables& v = play.Vars;
    play.Input.Update();
    const TInput& in = play.Input;
    const TMaze& m = v.Maze;
    const int x = v.HeroColumn, y = v.HeroRow;
    const bool rightOpen = !IsWallCell(m.At(x + 1, y)), leftOpen = !IsWallCell(m.At(x - 1, y));
    const bool onRope = IsRopeCell(m.At(x, y));
    if (in.IsPressed(StateRight) && rightOpen) {
        v.MoveState = 0;
    } else if (in.IsPressed(StateLeft) && leftOpen) {
        v.MoveState = 1;
    } else if (in.IsPressed(StateUp) && !IsWallCell(m.At(x, y - 1))) {
        v.MoveState = 2;
    } else if (in.IsPressed(StateDown) && !IsWallCell(m.At(x, y + 1))) {
        v.MoveState = 3;
    } else if (in.IsPressed(StateRight) && onRope && v.Facing == 1) {
        // Against a wall on a rope: swing round to the rope's other side.
        v.Facing = -1;
        SetClimbPicture(false);
    } else if (in.IsPressed(StateLeft) && onRope && v.Facing == -1) {
        v.Facing = 1;
        SetClimbPicture(false);
    }
}

void TTiboSprite::PlaceOnScreen(TPlay& play) {
    const TPlayVariables& v = play.Vars;
    X = v.FieldOriginX + v.ShakeX + 32 * v.HeroScreenColumn + v.HeroOffsetX;
    Y = v.FieldOriginY + v.ShakeY + 32 * v.HeroScreenRow + v.HeroOffsetY;
}

void TTiboSprite::ShowImage(const char* name) { Image = &PlayOf(*this).SpriteTibo.Items.Find(name); }

void TTiboSprite::SetClimbPicture(bool firstHalf) {
    const bool left = PlayOf(*this).Vars.Facing == -1;
    ShowImage(firstHalf ? (left ? "OmCoSx1" : "OmCoDx1") : (left ? "OmCoSx0" : "OmCoDx0"));
}

void TTiboSprite::PlayStep() {
    TPlay& play = PlayOf(*this);
    play.PlaySound(play.Vars.StepToggle ? "Passo1" : "Passo2");
    play.Vars.StepToggle = !play.Vars.StepToggle;
}

void TTiboSprite::PlayJump() { PlayOf(*this).PlaySound("Salto"); }

void TTiboSprite::Collided(TSprite&, bool&) {}

void TTiboSprite::HeroDies() {}

void TTiboSprite::Describe(TFieldWriter& w) const {
    TImageSprite::Describe(w);
    w.Field("Counter", Counter);
    w.Field("Hurt", Hurt);
    w.Field("HeroState", static_cast<int32_t>(HeroState));
}

}  // namespace tibo
