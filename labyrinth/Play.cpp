#include "labyrinth/Play.h"

namespace tibo {

TPlay::TPlay(const TPlayComponents& components, IPlayHost& host, uint8_t level, uint8_t setting, int32_t bestScore)
    : TPlayComponents(components), Host(host), ChosenLevel(level), ChosenSetting(setting) {
    Vars.BestScore = bestScore;
    TDisplayDevice& device = MainScreen.Device();
    MazeSurface = std::make_unique<TSurface>(&device);
    MazeSurface->SetSize(384, 384);
    MapSurface = std::make_unique<TSurface>(&device);
    MapSurface->SetSize(105, 160);
    Engine().SetOwner(this);
}

TPlay::~TPlay() {
    if (Engine().Owner() == this) Engine().SetOwner(nullptr);
}

void TPlay::RestoreSurface() {
    if (PanelSprite) {
        PanelSprite->X = 0;
        PanelSprite->Y = 0;
    }
    Vars.FieldOriginX = 44;
    Vars.FieldOriginY = 82;
    Vars.ShakeX = 0;
    Vars.ShakeY = 0;
}

void TPlay::BlastEnded() {
    if (--Vars.ExplosionCount == 0) Vars.ShakeX = Vars.ShakeY = 0;
}

TTextWriter TPlay::Text() { return TTextWriter(MainScreen.Surface(), &FontSurface, &DigitSurface); }

TPlay& PlayOf(const TSprite& sprite) { return static_cast<TPlay&>(*sprite.Engine()->Owner()); }

}  // namespace tibo
