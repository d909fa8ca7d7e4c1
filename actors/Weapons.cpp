// Shots, laid bombs and their blasts, the kills and the rising score labels.
#include "actors/Actors.h"
#include "framework/FieldWriter.h"
#include "labyrinth/Play.h"

namespace tibo {

// Not built yet: shots, bombs and labels stand in their cells.
void TProiettileSprite::Advance(int32_t moveCount) {
    TImageSprite::Advance(moveCount);
    PlaceAtCell(*this, Column, Row, OffsetX, 0);
}

void TProiettileSprite::Collided(TSprite&, bool&) {}

void TProiettileSprite::Describe(TFieldWriter& w) const {
    TImageSprite::Describe(w);
    w.Field("Direction", static_cast<int32_t>(Direction));
    w.Field("OffsetX", static_cast<int32_t>(OffsetX));
    w.Field("Column", Column);
    w.Field("Row", Row);
}

void TBombaSprite::Advance(int32_t moveCount) {
    TImageSprite::Advance(moveCount);
    PlaceAtCell(*this, Column, Row, 0, DropOffset);
}

void TBombaSprite::Collided(TSprite&, bool&) {}

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

void TBonusSprite::Advance(int32_t moveCount) {
    TImageSprite::Advance(moveCount);
    PlaceAtCell(*this, Column, Row, OffsetX, OffsetY);
}

void TBonusSprite::Describe(TFieldWriter& w) const {
    TImageSprite::Describe(w);
    w.Field("Counter", Counter);
    w.Field("Column", Column);
    w.Field("Row", Row);
    w.Field("OffsetX", static_cast<int32_t>(OffsetX));
    w.Field("OffsetY", static_cast<int32_t>(OffsetY));
}

void TPlay::SpawnBlast(int32_t, int32_t, int32_t, int32_t) {}
void TPlay::KillWalker(TVermeSprite&) {}
void TPlay::KillMummy(TMummiaSprite&) {}
void TPlay::KillGhost(TFantasmaSprite&) {}
void TPlay::SpawnBonus(int32_t, int32_t, int32_t, int32_t, int32_t) {}

}  // namespace tibo
