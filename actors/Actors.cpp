#include "actors/Actors.h"

#include "framework/FieldWriter.h"
#include "labyrinth/Play.h"

namespace tibo {

int32_t CellScreenX(const TPlayVariables& v, int32_t column, int32_t offsetX) {
    return v.FieldOriginX + v.ShakeX + v.ViewOffsetX + 32 * (column - v.ViewColumn) + offsetX;
}

int32_t CellScreenY(const TPlayVariables& v, int32_t row, int32_t offsetY) {
    return v.FieldOriginY + v.ShakeY + v.ViewOffsetY + 32 * (row - v.ViewRow) + offsetY;
}

namespace {

// Puts a sprite on the screen at its maze cell.
void PlaceAtCell(TImageSprite& sprite, int32_t column, int32_t row, int32_t offsetX, int32_t offsetY) {
    const TPlayVariables& v = PlayOf(sprite).Vars;
    sprite.X = CellScreenX(v, column, offsetX);
    sprite.Y = CellScreenY(v, row, offsetY);
}

}  // namespace

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
    X = v.FieldOriginX + v.ShakeX + 32 * v.HeroScreenColumn + v.HeroOffsetX;
    Y = v.FieldOriginY + v.ShakeY + 32 * v.HeroScreenRow + v.HeroOffsetY;
}

void TTiboSprite::Describe(TFieldWriter& w) const {
    TImageSprite::Describe(w);
    w.Field("Counter", Counter);
    w.Field("Hurt", Hurt);
    w.Field("HeroState", static_cast<int32_t>(HeroState));
}

void TVermeSprite::Advance(int32_t moveCount) {
    TImageSprite::Advance(moveCount);
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
