// The walkers, mummies, ghosts and drops.
#include <cmath>
#include <cstdlib>

#include "actors/Actors.h"
#include "framework/FieldWriter.h"
#include "labyrinth/Play.h"

namespace tibo {
namespace {

// Walls stop every enemy, and so does the border round the labyrinth (all
// there is outside the grid), so that none can ever wander out of it.
bool Blocks(uint8_t code) { return IsWallCell(code) || code == CellBorder; }

// A killed enemy stays where it died while its explosion plays, and goes on
// the explosion's last frame. True when the enemy is dead.
template <typename T>
bool DeadStep(T& enemy, int32_t offsetX, int32_t offsetY) {
    if (enemy.Alive) return false;
    PlaceAtCell(enemy, enemy.Column, enemy.Row, offsetX, offsetY);
    if (std::trunc(enemy.FramePos) == 4) enemy.Retire();
    return true;
}

void WalkerStep(TVermeSprite& w, TPlay& play) {
    const uint8_t ahead = play.Vars.Maze.At(w.Column + w.Direction, w.Row);
    const bool stopsAtRopes = w.Kind == wkWorm || w.Kind == wkMonster;
    if (Blocks(ahead) || (stopsAtRopes && IsRopeCell(ahead))) {
        w.Direction = static_cast<int8_t>(-w.Direction);
        if (w.Kind != wkBat) w.Image = &play.Nemici.Items.Find(WalkerPicture(w.Kind, w.Direction));
        return;
    }
    w.OffsetX = static_cast<int8_t>(w.OffsetX + 2 * w.Direction);
    if (std::abs(w.OffsetX) >= 32) {
        w.OffsetX = 0;
        w.Column += w.Direction;
    }
}

void MummyStep(TMummiaSprite& m, TPlay& play) {
    const TMaze& maze = play.Vars.Maze;
    auto show = [&](const char* name) { m.Image = &play.Nemici.Items.Find(name); };
    if (m.Mode == mmFallingLeft || m.Mode == mmFallingRight) {
        if (Blocks(maze.At(m.Column, m.Row + 1))) {
            // Landed: on along the way it was walking before the fall.
            m.Mode = m.Mode == mmFallingLeft ? mmWalkingLeft : mmWalkingRight;
            m.Turns = 0;
            show(m.Mode == mmWalkingLeft ? "MummiaSx0" : "MummiaDx0");
            return;
        }
        m.OffsetY = static_cast<int8_t>(m.OffsetY + 4);
        if (m.OffsetY >= 32) {
            m.OffsetY = 0;
            ++m.Row;
            m.Turns = 0;
        }
        return;
    }
    if (IsRopeCell(maze.At(m.Column, m.Row))) {
        m.Mode = m.Mode == mmWalkingLeft ? mmFallingLeft : mmFallingRight;
        show(m.Mode == mmFallingLeft ? "MummiaSxCade" : "MummiaDxCade");
        m.Turns = 0;
        return;
    }
    if (Blocks(maze.At(m.Column + m.Mode, m.Row))) {
        m.Mode = static_cast<TMummyMode>(-m.Mode);
        if (++m.Turns >= 2) {
            // Stuck between two walls: it vanishes and turns up somewhere else.
            play.PlaceMummy(false, m);
            m.OffsetX = m.OffsetY = 0;
            m.Turns = 0;
        }
        show(m.Mode == mmWalkingLeft ? "MummiaSx0" : "MummiaDx0");
        return;
    }
    m.OffsetX = static_cast<int8_t>(m.OffsetX + m.Mode);
    if (std::abs(m.OffsetX) >= 32) {
        m.OffsetX = 0;
        m.Column += m.Mode;
    }
    if (m.Mode == mmWalkingLeft)
        show(m.OffsetX >= -15 && m.OffsetX <= -1 ? "MummiaSx1" : "MummiaSx0");
    else
        show(m.OffsetX >= 1 && m.OffsetX <= 15 ? "MummiaDx1" : "MummiaDx0");
}

constexpr int HeadingX[4] = {1, 0, -1, 0};
constexpr int HeadingY[4] = {0, -1, 0, 1};

void GhostStep(TFantasmaSprite& g, TPlay& play) {
    const uint8_t old = g.Heading & 3;
    g.OffsetX = static_cast<int8_t>(g.OffsetX + HeadingX[old]);
    g.OffsetY = static_cast<int8_t>(g.OffsetY + HeadingY[old]);
    if (std::abs(g.OffsetX) < 32 && std::abs(g.OffsetY) < 32) return;
    g.Column += HeadingX[old];
    g.Row += HeadingY[old];
    g.OffsetX = g.OffsetY = 0;

    // In a new cell: the first open way of its left, straight on, its right,
    // and back. Walls and the exit are closed to ghosts.
    const TMaze& maze = play.Vars.Maze;
    const uint8_t back = static_cast<uint8_t>((old + 2) % 4);
    g.Heading = back;
    for (int turn = 1; turn <= 4; ++turn) {
        const uint8_t h = static_cast<uint8_t>((back + 4 - turn) % 4);
        const uint8_t code = maze.At(g.Column + HeadingX[h], g.Row + HeadingY[h]);
        if (!Blocks(code) && code != CellExit) {
            g.Heading = h;
            break;
        }
    }
    if (g.PictureSide == -1 && g.Heading == 2) {
        g.Image = &play.Nemici.Items.Find("FantasmaSx");
        g.PictureSide = 1;
    }
    if (g.PictureSide == 1 && g.Heading == 0) {
        g.Image = &play.Nemici.Items.Find("FantasmaDx");
        g.PictureSide = -1;
    }
}

}  // namespace

const char* WalkerPicture(uint8_t kind, int8_t direction) {
    static constexpr const char* Pictures[5][2] = {{"Pipistrello", "Pipistrello"},
                                                   {"VermeSx", "VermeDx"},
                                                   {"UccellaccioSx", "UccellaccioDx"},
                                                   {"MostroTondoSx", "MostroTondoDx"},
                                                   {"MostroSx", "MostroDx"}};
    return Pictures[kind <= 4 ? kind : 0][direction == 1 ? 1 : 0];
}

void TVermeSprite::Advance(int32_t moveCount) {
    TImageSprite::Advance(moveCount);
    if (DeadStep(*this, OffsetX, 0)) return;
    WalkerStep(*this, PlayOf(*this));
    PlaceAtCell(*this, Column, Row, OffsetX, 0);
}

void TVermeSprite::Describe(TFieldWriter& w) const {
    TImageSprite::Describe(w);
    w.Field("Alive", Alive);
    w.Field("Kind", static_cast<int32_t>(Kind));
    w.Field("Direction", static_cast<int32_t>(Direction));
    w.Field("OffsetX", static_cast<int32_t>(OffsetX));
    w.Field("Column", Column);
    w.Field("Row", Row);
}

void TMummiaSprite::Advance(int32_t moveCount) {
    TImageSprite::Advance(moveCount);
    if (DeadStep(*this, OffsetX, OffsetY)) return;
    MummyStep(*this, PlayOf(*this));
    PlaceAtCell(*this, Column, Row, OffsetX, OffsetY);
}

void TMummiaSprite::Describe(TFieldWriter& w) const {
    TImageSprite::Describe(w);
    w.Field("Alive", Alive);
    w.Field("Mode", static_cast<int32_t>(Mode));
    w.Field("Turns", static_cast<int32_t>(Turns));
    w.Field("OffsetX", static_cast<int32_t>(OffsetX));
    w.Field("OffsetY", static_cast<int32_t>(OffsetY));
    w.Field("Column", Column);
    w.Field("Row", Row);
}

void TFantasmaSprite::Advance(int32_t moveCount) {
    TImageSprite::Advance(moveCount);
    if (DeadStep(*this, OffsetX, OffsetY)) return;
    GhostStep(*this, PlayOf(*this));
    PlaceAtCell(*this, Column, Row, OffsetX, OffsetY);
}

void TFantasmaSprite::Describe(TFieldWriter& w) const {
    TImageSprite::Describe(w);
    w.Field("Alive", Alive);
    w.Field("Heading", static_cast<int32_t>(Heading));
    w.Field("PictureSide", static_cast<int32_t>(PictureSide));
    w.Field("OffsetX", static_cast<int32_t>(OffsetX));
    w.Field("OffsetY", static_cast<int32_t>(OffsetY));
    w.Field("Column", Column);
    w.Field("Row", Row);
}

// A drop never moves: its animation drips within its cell.
void TGocciaSprite::Advance(int32_t moveCount) {
    TImageSprite::Advance(moveCount);
    PlaceAtCell(*this, Column, Row, 0, 0);
}

void TGocciaSprite::Describe(TFieldWriter& w) const {
    TImageSprite::Describe(w);
    w.Field("Column", Column);
    w.Field("Row", Row);
}

}  // namespace tibo
