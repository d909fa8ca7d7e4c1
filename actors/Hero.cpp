// Tibo: walking, climbing and ropes; his shots and bombs, pick-ups, damage,
// death and victory.
#include <algorithm>

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
    if (HeroState == hsPlaying || HeroState == hsEscaping) --v.Oxygen;
    switch (HeroState) {
        case hsPlaying: Playing(play); break;
        case hsEscaping: Escaping(play); break;
        case hsVictory: Victory(play); break;
        default: Dying(play); break;
    }
}

void TTiboSprite::Playing(TPlay& play) {
    TPlayVariables& v = play.Vars;
    const uint8_t move = v.MoveState;
    if (move <= 3 && AdvanceStep(play) && move == 2 && v.HeroRow == 4) {
        // Climbed into the exit row: the level is won, and nothing more of the
        // playing frame runs (no new move, no shot, no bomb); the escape climbs on.
        HeroState = hsEscaping;
        play.Host.LevelWon();
        play.PlaySound("Vinto");
        PlaceOnScreen(play);
        return;
    }
    // Standing, or on the frame a step completes: the next move, so that a held
    // direction walks on without a pause; then the fire and bomb buttons.
    if (v.MoveState == 4) {
        ChooseMove(play);
        FireAndBombs(play);
    }
    PlaceOnScreen(play);
    PickUp(play);
    // Dying ends none of this frame: the hurt phase still counts, so that the
    // cross comes 80 frames after a death in it.
    if (v.Health <= 0 || v.Oxygen <= 0) HeroDies();
    if (StartProtection > 0) {
        --StartProtection;  // the start of the game, protected as a hurt phase
    } else if (!Hurt) {
        ImageCheck = true;
        CheckCollisions();
    } else if (++Counter > 60) {
        Hurt = false;  // 61 frames in which nothing touches him
    }
}

void TTiboSprite::Escaping(TPlay& play) {
    TPlayVariables& v = play.Vars;
    // Out through the exit: always up, without input.
    v.MoveState = 2;
    if (AdvanceStep(play) && v.HeroRow <= 3) {
        HeroState = hsVictory;
        v.Escaped = true;
        PlayAnimation(play.SpriteTibo.Items.Find("Vittoria"), true, 0.004);
        Counter = 0;
    }
    PlaceOnScreen(play);
    // Oxygen still runs out on the way up.
    if (HeroState == hsEscaping && (v.Health <= 0 || v.Oxygen <= 0)) HeroDies();
}

void TTiboSprite::Victory(TPlay& play) {
    Collides = true;
    // What is left of health and oxygen turns into points.
    if (Counter > 300) play.CountEscapeBonus();
    if (Counter < 450) {
        ++Counter;
        return;
    }
    if (FrameLooped) {
        FrameLooped = false;
        play.PlaySound("GameOver");
        play.Host.GameOver();
    }
}

bool TPlay::CountEscapeBonus() {
    TPlayVariables& v = Vars;
    const int32_t before = v.EscapeBonus;
    if (v.Health > 0) {
        v.Health -= 100;
        v.EscapeBonus += 4;
    }
    if (v.Oxygen > 0) {
        v.Oxygen -= 100;
        v.EscapeBonus += 2;
    }
    v.Score += v.EscapeBonus - before;
    return v.EscapeBonus != before;
}

void TPlay::FinishEscapeBonus() {
    if (!Vars.Escaped) return;
    while (CountEscapeBonus()) {
    }
}

void TTiboSprite::Dying(TPlay& play) {
    const TPlayVariables& v = play.Vars;
    Collides = true;
    if (++Counter > 80) {
        FrameCount = 0;
        ShowPicture(play.SpriteTibo.Items.Find("Croce"));
        X = v.FieldOriginX + 32 * v.HeroScreenColumn + v.HeroOffsetX;
        Y = v.FieldOriginY + 32 * v.HeroScreenRow + v.HeroOffsetY;
    }
}

void TTiboSprite::HeroDies() {
    TPlay& play = PlayOf(*this);
    play.Vars.Health = 0;
    ShowExplosion(*this, play);
    HeroState = hsDying;
    play.PlaySound("GameOver");
    play.Host.GameOver();
}

void TTiboSprite::Collided(TSprite& other, bool& /*done*/) {
    if (HeroState != hsPlaying) return;
    TPlay& play = PlayOf(*this);
    TPlayVariables& v = play.Vars;
    // Monsters and drops hurt and give a moment's protection; a blast only hurts,
    // every frame it touches him. An exploding enemy still hurts.
    auto hurt = [&](int32_t damage, const char* sound) {
        if (sound) play.PlaySound(sound);
        Hurt = true;
        Counter = 0;
        v.Health -= damage;
    };
    if (dynamic_cast<TFantasmaSprite*>(&other)) {
        hurt(1500, "Fantasma");
    } else if (dynamic_cast<TVermeSprite*>(&other) || dynamic_cast<TMummiaSprite*>(&other)) {
        hurt(1500, "Ouch");
    } else if (dynamic_cast<TGocciaSprite*>(&other)) {
        hurt(300, nullptr);
    } else if (auto* bomb = dynamic_cast<TBombaSprite*>(&other); bomb && !bomb->Lit) {
        v.Health -= 1000;
        if (v.Health <= 0) HeroDies();
    }
}

void TTiboSprite::FireAndBombs(TPlay& play) {
    TPlayVariables& v = play.Vars;
    TButtonLatches& latches = play.Latches;
    // One press, one shot or one bomb: the button must be let go in between.
    // A button pressed anew since the last read was let go in between, even
    // if it is held again now (or already let go: the press is kept for this read).
    if (play.Input.WentDown(StateButton1)) latches.FireLatch = true;
    if (play.Input.WentDown(StateButton2)) latches.BombLatch = true;
    if (!play.Input.IsPressed(StateButton1)) {
        latches.FireLatch = true;
    } else if (v.ShotsInFlight < 3 && latches.FireLatch && v.Shots > 0) {
        --v.Shots;
        play.PlaySound("Sparo");
        LaunchShot(play, v.HeroColumn, v.HeroRow, v.Facing);
        latches.FireLatch = false;
    }
    if (!play.Input.IsPressed(StateButton2)) {
        latches.BombLatch = true;
    } else if (v.BombsLive < 5 && latches.BombLatch && v.Bombs > 0) {
        --v.Bombs;
        LayBomb(play, v.HeroColumn, v.HeroRow);  // without a sound
        latches.BombLatch = false;
    }
}

void TTiboSprite::PickUp(TPlay& play) {
    TPlayVariables& v = play.Vars;
    const int x = v.HeroColumn, y = v.HeroRow;
    uint8_t& cell = v.Maze.Cell(x, y);
    auto taken = [&] {
        cell = CellPassage;
        v.CellDirty = true;
        v.DirtyColumn = x;
        v.DirtyRow = y;
    };
    switch (cell) {
        case CellTreasure:
            SpawnBonus(play, x, y, 0, 400, 0);
            play.PlaySound("Tesoro");
            taken();
            break;
        case CellPrize1:
        case CellPrize2:
        case CellPrize3:
            SpawnBonus(play, x, y, 0, 300, 0);
            play.PlaySound("Tesoro");
            taken();
            break;
        case CellMap:
            SpawnBonus(play, x, y, 0, 500, 0);
            play.PlaySound("Mappa");
            taken();
            v.MapSteps = 20 * play.ChosenLevel + 20;
            v.MapColumn = x;
            v.MapRow = y;
            break;
        case CellTorch:
            TraceTorchPath(v.Maze, x, y);
            SpawnBonus(play, x, y, 0, 500, 0);
            play.PlaySound("Mappa");
            cell = CellPassage;
            v.ViewDirty = true;
            v.TorchSteps = 40 * play.ChosenLevel + 40;
            v.TorchColumn = x;
            v.TorchRow = y;
            break;
        case CellEnergy:
            taken();
            v.Health = std::min(v.Health + 2000, FullGauge);
            v.Oxygen = std::min(v.Oxygen + 2500, FullGauge);
            break;
        case CellBombs:
            taken();
            // Two shots and a bomb, up to the seven of each the panel shows.
            v.Shots = std::min(v.Shots + 2, 7);
            v.Bombs = std::min(v.Bombs + 1, 7);
            play.PlaySound("BonusColpiBombe");
            break;
        default:
            break;
    }
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

void TTiboSprite::Describe(TFieldWriter& w) const {
    TImageSprite::Describe(w);
    w.Field("Counter", Counter);
    w.Field("Hurt", Hurt);
    w.Field("HeroState", static_cast<int32_t>(HeroState));
    w.Field("StartProtection", StartProtection);
}

}  // namespace tibo
