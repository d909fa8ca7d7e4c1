#include "actors/Actors.h"

#include "labyrinth/Play.h"

namespace tibo {

int32_t CellScreenX(const TPlayVariables& v, int32_t column, int32_t offsetX) {
    return v.FieldOriginX + v.ShakeX + v.ViewOffsetX + 32 * (column - v.ViewColumn) + offsetX;
}

int32_t CellScreenY(const TPlayVariables& v, int32_t row, int32_t offsetY) {
    return v.FieldOriginY + v.ShakeY + v.ViewOffsetY + 32 * (row - v.ViewRow) + offsetY;
}

void PlaceAtCell(TImageSprite& sprite, int32_t column, int32_t row, int32_t offsetX, int32_t offsetY) {
    const TPlayVariables& v = PlayOf(sprite).Vars;
    sprite.X = CellScreenX(v, column, offsetX);
    sprite.Y = CellScreenY(v, row, offsetY);
}

}  // namespace tibo
