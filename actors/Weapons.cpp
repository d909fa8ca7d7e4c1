// Shots, laid bombs and their blasts, the kills and the rising score labels.
#include <cstdlib>
#include <string>

#include "actors/Actors.h"
#include "framework/FieldWriter.h"
#include "labyrinth/Play.h"

namespace tibo {

void ShowExplosion(TImageSprite& sprite, TPlay& play) { sprite.PlayAnimation(play.Sfondo.Items.Find("Esplosione"), false, 0.015); }

namespace {

// The whole part of a sprite's animation position: the picture it shows.
int32_t FrameIndex(const TImageSprite& sprite) { return static_cast<int32_t>(sprite.FramePos); }

// A blast enters the cell unless it is the exit or a wall that cannot break;
// a wall breaks only sideways, and only when there is more labyrinth behind it
// (not the border, the sky, a slope, or the world outside the grid).
void SpawnBlast(TPlay& play, int32_t column, int32_t row, int32_t dx, int32_t dy) {
    TMaze& m = play.Vars.Maze;
    if (!m.Inside(column, row)) return;
    const uint8_t here = m.At(column, row);
    bool breakable = false;
    if (dx != 0 && IsWallCell(here)) {
        const uint8_t beyond = m.At(column + dx, row);
        breakable = beyond != CellBorder && !(beyond >= CellSky1 && beyond <= CellSky3) && beyond != CellSlopeLeft &&
                    beyond != CellSlopeRight;
    }
    if (here == CellExit || (IsWallCell(here) && !breakable)) return;

    ++play.Vars.ExplosionCount;
    auto* fragment = new TBombaSprite(&play.Engine());
    fragment->X = 0;
    fragment->Y = 0;
    fragment->SetZ(1);
    fragment->Column = column;
    fragment->Row = row;
    fragment->DropOffset = 0;
    fragment->Stopped = breakable;
    fragment->Lit = false;
    play.PlaySound("Esplosione");
    fragment->Fragment = true;
    fragment->Spreading = !breakable;
    fragment->DeltaX = static_cast<int8_t>(dx);
    fragment->DeltaY = static_cast<int8_t>(dy);
    ShowExplosion(*fragment, play);
}

// A monster dies: it explodes where it is and leaves its points behind (a
// walker 100, a mummy 150, a ghost 200).
template <typename T>
void Kill(TPlay& play, T& monster, int32_t value, int32_t offsetY) {
    if (!monster.Alive) return;
    play.PlaySound("MostroKilled");
    monster.Alive = false;
    ShowExplosion(monster, play);
    SpawnBonus(play, monster.Column, monster.Row, monster.OffsetX, value, offsetY);
}

// Whatever a shot or a blast touches that is a live monster dies.
// Returns true when it killed one.
bool KillMonster(TPlay& play, TSprite& other) {
    if (auto* walker = dynamic_cast<TVermeSprite*>(&other); walker && walker->Alive) {
        Kill(play, *walker, 100, 0);
        return true;
    }
    if (auto* ghost = dynamic_cast<TFantasmaSprite*>(&other); ghost && ghost->Alive) {
        Kill(play, *ghost, 200, ghost->OffsetY);
        return true;
    }
    if (auto* mummy = dynamic_cast<TMummiaSprite*>(&other); mummy && mummy->Alive) {
        Kill(play, *mummy, 150, mummy->OffsetY);
        return true;
    }
    return false;
}

}  // namespace

// A shot crosses a cell in 7 frames: six moves of 4 pixels, then a jump of 8
// into the next cell. Half-way across it looks at the next cell: a wall ends it.
void TProiettileSprite::Advance(int32_t moveCount) {
    TImageSprite::Advance(moveCount);
    TPlay& play = PlayOf(*this);
    TPlayVariables& v = play.Vars;
    OffsetX = static_cast<int8_t>(OffsetX + 4 * Direction);
    if (OffsetX == 16 || OffsetX == -16) {
        const int32_t next = Column + Direction;
        // The labyrinth's edge stops it too, so that no shot flies on for ever.
        if (IsWallCell(v.Maze.At(next, Row)) || !v.Maze.Inside(next, Row)) {
            --v.ShotsInFlight;
            Retire();
            return;
        }
    }
    if (OffsetX == 28 || OffsetX == -28) {
        Column += Direction;
        OffsetX = 0;
    }
    PlaceAtCell(*this, Column, Row, OffsetX, 0);
    ImageCheck = true;
    CheckCollisions();
}

// One kill a shot: the first live monster it touches; dying ones let it through.
void TProiettileSprite::Collided(TSprite& other, bool& done) {
    if (!KillMonster(PlayOf(*this), other)) return;
    --PlayOf(*this).Vars.ShotsInFlight;
    done = true;
    Retire();
}

void TProiettileSprite::Describe(TFieldWriter& w) const {
    TImageSprite::Describe(w);
    w.Field("Direction", static_cast<int32_t>(Direction));
    w.Field("OffsetX", static_cast<int32_t>(OffsetX));
    w.Field("Column", Column);
    w.Field("Row", Row);
}

namespace {

// A fragment passes the blast on to the next cell of its line, then burns out
// and leaves its mark on its own cell.
void AdvanceFragment(TBombaSprite& f, TPlay& play) {
    TPlayVariables& v = play.Vars;
    TMaze& m = v.Maze;
    const int32_t frame = FrameIndex(f);
    if (frame == 1 && f.Spreading) {
        f.Spreading = false;
        SpawnBlast(play, f.Column + f.DeltaX, f.Row + f.DeltaY, f.DeltaX, f.DeltaY);
    }
    if (frame == 4) {
        // Fragments only ever stand inside the labyrinth (SpawnBlast sees to it).
        uint8_t& cell = m.Cell(f.Column, f.Row);
        if (!f.Stopped && (IsWallCell(cell) || cell == CellRopeTop || cell == CellRope || cell == CellRopeEnd)) {
            // A rope, or a wall that closed in on the line: left as it is.
        } else if (IsWallCell(cell)) {
            // Walls break only near the latest bomb: cracked first, opened by the next blast.
            if (std::abs(f.Column - v.LastBombColumn) <= 5 && std::abs(f.Row - v.LastBombRow) <= 5) {
                if (cell == CellWall) {
                    cell = CellBrokenWall;
                } else {
                    cell = CellPassage;
                    ClearMiniMapCell(play.MiniCanvas, f.Column, f.Row);
                    play.MapSurface->LoadFromGraphic(play.MiniCanvas);
                }
            }
        } else {
            // Whatever lay here is gone, without reward.
            cell = CellPassage;
        }
        v.ViewDirty = true;
        play.BlastEnded();
        f.Retire();
        return;
    }
    f.ImageCheck = true;
    f.CheckCollisions();
}

}  // namespace

void TBombaSprite::Advance(int32_t moveCount) {
    TImageSprite::Advance(moveCount);
    PlaceAtCell(*this, Column, Row, 0, DropOffset);
    TPlay& play = PlayOf(*this);
    if (Fragment) {
        AdvanceFragment(*this, play);
        return;
    }
    TPlayVariables& v = play.Vars;
    const int32_t frame = FrameIndex(*this);
    // A burning bomb on a rope slides down it, a cell every 7 frames.
    if (IsRopeCell(v.Maze.At(Column, Row)) && frame <= 5 && Lit) {
        DropOffset = static_cast<int8_t>(DropOffset + 4);
        if (DropOffset == 28) {
            DropOffset = 0;
            ++Row;
        }
    }
    if (frame == 5 && Lit) {
        ++v.ExplosionCount;
        Lit = false;
        play.PlaySound("Esplosione");
        SpawnBlast(play, Column - 1, Row, -1, 0);
        SpawnBlast(play, Column + 1, Row, 1, 0);
        SpawnBlast(play, Column, Row - 1, 0, -1);
        SpawnBlast(play, Column, Row + 1, 0, 1);
    }
    if (frame == 10) {
        --v.BombsLive;
        play.BlastEnded();
        Retire();
        return;
    }
    if (!Lit) {
        ImageCheck = true;
        CheckCollisions();
    }
}

// Never done: one blast sprite kills everything it touches.
void TBombaSprite::Collided(TSprite& other, bool&) { KillMonster(PlayOf(*this), other); }

void TBombaSprite::Describe(TFieldWriter& w) const {
    TImageSprite::Describe(w);
    w.Field("DropOffset", static_cast<int32_t>(DropOffset));
    w.Field("Column", Column);
    w.Field("Row", Row);
    w.Field("Lit", Lit);
    w.Field("Spreading", Spreading);
    w.Field("Stopped", Stopped);
    w.Field("Fragment", Fragment);
    w.Field("DeltaX", static_cast<int32_t>(DeltaX));
    w.Field("DeltaY", static_cast<int32_t>(DeltaY));
}

// A label rises a pixel every third frame and is gone after 51 frames.
void TBonusSprite::Advance(int32_t moveCount) {
    TImageSprite::Advance(moveCount);
    ++Counter;
    if (Counter % 3 == 0) OffsetY = static_cast<int8_t>(OffsetY - 1);
    PlaceAtCell(*this, Column, Row, OffsetX, OffsetY);
    if (Counter > 50) Retire();
}

void TBonusSprite::Describe(TFieldWriter& w) const {
    TImageSprite::Describe(w);
    w.Field("Counter", Counter);
    w.Field("Column", Column);
    w.Field("Row", Row);
    w.Field("OffsetX", static_cast<int32_t>(OffsetX));
    w.Field("OffsetY", static_cast<int32_t>(OffsetY));
}

TProiettileSprite& LaunchShot(TPlay& play, int32_t column, int32_t row, int8_t direction) {
    auto* shot = new TProiettileSprite(&play.Engine());
    shot->ShowPicture(play.Sfondo.Items.Find(direction == 1 ? "ProiettileDx" : "ProiettileSx"));
    shot->ImageCheck = true;
    shot->Column = column;
    shot->Row = row;
    shot->OffsetX = 0;
    shot->Direction = direction;
    ++play.Vars.ShotsInFlight;
    return *shot;
}

TBombaSprite& LayBomb(TPlay& play, int32_t column, int32_t row) {
    TPlayVariables& v = play.Vars;
    ++v.BombsLive;
    v.LastBombColumn = column;
    v.LastBombRow = row;
    auto* bomb = new TBombaSprite(&play.Engine());
    bomb->Column = column;
    bomb->Row = row;
    bomb->SetZ(1);
    bomb->DropOffset = 0;
    bomb->Lit = true;
    bomb->Fragment = false;
    bomb->Stopped = false;
    bomb->PlayAnimation(play.Sfondo.Items.Find("EsplosioneBomba"), false, 0.005);
    return *bomb;
}

void SpawnBonus(TPlay& play, int32_t column, int32_t row, int32_t offsetX, int32_t value, int32_t offsetY) {
    auto* label = new TBonusSprite(&play.Engine());
    label->ShowPicture(play.ComponentiLabirinto.Items.Find("Bonus" + std::to_string(value)));
    label->SetZ(2);
    label->Counter = 0;
    label->Column = column;
    label->Row = row;
    label->OffsetX = static_cast<int8_t>(offsetX);
    label->OffsetY = static_cast<int8_t>(offsetY + 16);
    PlaceAtCell(*label, column, row, label->OffsetX, label->OffsetY);
    play.Vars.Score += value;
}

}  // namespace tibo
