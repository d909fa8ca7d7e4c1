// The walkers, mummies, ghosts and drops.
#include "actors/Actors.h"
#include "framework/FieldWriter.h"
#include "labyrinth/Play.h"

namespace tibo {

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
