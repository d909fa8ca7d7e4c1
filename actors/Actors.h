#pragma once
// The sprites of the play: the hero, the walkers, the mummies, the ghosts and
// the drops; shots, bombs with their blasts, and the floating score labels.
// Each reaches its play through its engine (PlayOf).
#include <cstdint>

#include "framework/Sprites.h"

namespace tibo {

struct TPlayVariables;

// The screen position of a thing in maze cell (column, row) with pixel offsets.
int32_t CellScreenX(const TPlayVariables& v, int32_t column, int32_t offsetX);
int32_t CellScreenY(const TPlayVariables& v, int32_t row, int32_t offsetY);
// Puts a sprite of the play on the screen at its cell.
void PlaceAtCell(TImageSprite& sprite, int32_t column, int32_t row, int32_t offsetX, int32_t offsetY);

class TPlay;

// Where the hero is in his level.
enum THeroState : uint8_t { hsPlaying = 0, hsEscaping = 1, hsVictory = 2, hsDying = 3 };
// The five kinds of walker; a level draws each walker's kind from these numbers.
enum TWalkerKind : uint8_t { wkBat = 0, wkWorm = 1, wkBigBird = 2, wkRoundMonster = 3, wkMonster = 4 };
// A walking mummy's mode is also its step (-1 left, 1 right); a falling one
// remembers the way it walked, to walk on that way when it lands.
enum TMummyMode : int8_t { mmWalkingLeft = -1, mmWalkingRight = 1, mmFallingLeft = 3, mmFallingRight = 4 };

// The explosion, played once: a blast fragment, a monster killed, the hero dying.
void ShowExplosion(TImageSprite& sprite, TPlay& play);

// A walker's picture for its kind and way (1 right, -1 left).
const char* WalkerPicture(uint8_t kind, int8_t direction);

// Tibo: walks and climbs a cell at a time, sliding across the window or
// scrolling the view under him near its edges.
class TTiboSprite final : public TImageSprite {
public:
    explicit TTiboSprite(TSprite* parent) : TImageSprite(parent) {}
    void Advance(int32_t moveCount) override;
    const char* ClassName() const override { return "TTiboSprite"; }
    void Describe(TFieldWriter& w) const override;

    int32_t Counter = 0;
    bool Hurt = false;
    THeroState HeroState = hsPlaying;
    // Frames of play left in which nothing touches him, from the start of a game.
    int32_t StartProtection = 0;

    void Collided(TSprite& other, bool& done) override;
    // The climbing picture for the way he faces (image only).
    void SetClimbPicture(bool firstHalf);
    void PlayStep();
    void PlayJump();
    // Health gone, oxygen gone or caught in a blast: he explodes.
    void HeroDies();

private:
    void Playing(TPlay& play);
    void Escaping(TPlay& play);
    void Victory(TPlay& play);
    void Dying(TPlay& play);
    // The fire and bomb buttons, read while he stands.
    void FireAndBombs(TPlay& play);
    void PickUp(TPlay& play);
    // One frame of the step in progress; true on the frame it completes.
    bool AdvanceStep(TPlay& play);
    void ChooseMove(TPlay& play);
    void PlaceOnScreen(TPlay& play);
    void ShowImage(const char* name);
};

class TVermeSprite final : public TImageSprite {
public:
    explicit TVermeSprite(TSprite* parent) : TImageSprite(parent) {}
    void Advance(int32_t moveCount) override;
    const char* ClassName() const override { return "TVermeSprite"; }
    void Describe(TFieldWriter& w) const override;

    bool Alive = true;
    TWalkerKind Kind = wkBat;
    int8_t Direction = 1;
    int8_t OffsetX = 0;
    int32_t Column = 0;
    int32_t Row = 0;
};

class TMummiaSprite final : public TImageSprite {
public:
    explicit TMummiaSprite(TSprite* parent) : TImageSprite(parent) {}
    void Advance(int32_t moveCount) override;
    const char* ClassName() const override { return "TMummiaSprite"; }
    void Describe(TFieldWriter& w) const override;

    bool Alive = true;
    TMummyMode Mode{};  // none (0) until the mummy is placed
    uint8_t Turns = 0;
    int8_t OffsetX = 0;
    int8_t OffsetY = 0;
    int32_t Column = 0;
    int32_t Row = 0;
};

class TFantasmaSprite final : public TImageSprite {
public:
    explicit TFantasmaSprite(TSprite* parent) : TImageSprite(parent) {}
    void Advance(int32_t moveCount) override;
    const char* ClassName() const override { return "TFantasmaSprite"; }
    void Describe(TFieldWriter& w) const override;

    bool Alive = true;
    uint8_t Heading = 0;  // 0 right, 1 up, 2 left, 3 down
    int8_t PictureSide = 1;
    int8_t OffsetX = 0;
    int8_t OffsetY = 0;
    int32_t Column = 0;
    int32_t Row = 0;
};

class TGocciaSprite final : public TImageSprite {
public:
    explicit TGocciaSprite(TSprite* parent) : TImageSprite(parent) {}
    void Advance(int32_t moveCount) override;
    const char* ClassName() const override { return "TGocciaSprite"; }
    void Describe(TFieldWriter& w) const override;

    int32_t Column = 0;
    int32_t Row = 0;
};

// A shot: flies along its row, 4 pixels a frame, until a wall or a monster.
class TProiettileSprite final : public TImageSprite {
public:
    explicit TProiettileSprite(TSprite* parent) : TImageSprite(parent) {}
    void Collided(TSprite& other, bool& done) override;
    void Advance(int32_t moveCount) override;
    const char* ClassName() const override { return "TProiettileSprite"; }
    void Describe(TFieldWriter& w) const override;

    int8_t Direction = 1;  // 1 right, -1 left
    int8_t OffsetX = 0;
    int32_t Column = 0;
    int32_t Row = 0;
};

// A laid bomb (burning, sliding down ropes, then exploding) or one fragment
// of a blast line.
class TBombaSprite final : public TImageSprite {
public:
    explicit TBombaSprite(TSprite* parent) : TImageSprite(parent) {}
    void Collided(TSprite& other, bool& done) override;
    void Advance(int32_t moveCount) override;
    const char* ClassName() const override { return "TBombaSprite"; }
    void Describe(TFieldWriter& w) const override;

    int8_t DropOffset = 0;   // pixels slid down a rope from the cell
    int32_t Column = 0;
    int32_t Row = 0;
    bool Lit = false;        // a laid bomb's fuse is burning
    bool Spreading = false;  // fragment: the next one is still to come
    bool Stopped = false;    // fragment: sits in a breakable wall, ends its line
    bool Fragment = false;
    int8_t DeltaX = 0;       // fragment: the way its blast line runs
    int8_t DeltaY = 0;
};

// A shot leaving a cell toward `direction` (1 right, -1 left), counted in flight.
TProiettileSprite& LaunchShot(TPlay& play, int32_t column, int32_t row, int8_t direction);
// A bomb laid and lit in a cell, counted live; it becomes the latest bomb.
TBombaSprite& LayBomb(TPlay& play, int32_t column, int32_t row);
// A rising label "Bonus<value>" at the cell, and the points at once.
void SpawnBonus(TPlay& play, int32_t column, int32_t row, int32_t offsetX, int32_t value, int32_t offsetY);

// A score label rising from where points were won.
class TBonusSprite final : public TImageSprite {
public:
    explicit TBonusSprite(TSprite* parent) : TImageSprite(parent) {}
    void Advance(int32_t moveCount) override;
    const char* ClassName() const override { return "TBonusSprite"; }
    void Describe(TFieldWriter& w) const override;

    int32_t Counter = 0;
    int32_t Column = 0;
    int32_t Row = 0;
    int8_t OffsetX = 0;
    int8_t OffsetY = 0;
};

}  // namespace tibo
