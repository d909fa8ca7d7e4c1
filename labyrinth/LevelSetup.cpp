// Setting up a game: the panel, the hero, the labyrinth with its drops, the
// mini-map, the walkers, mummies and ghosts, and every counter.
#include <algorithm>

#include "actors/Actors.h"
#include "labyrinth/Play.h"

namespace tibo {
namespace {

bool Solid(uint8_t code) { return code == CellWall || code == CellBrokenWall; }
bool Sky(uint8_t code) { return code >= CellSky1 && code <= CellSky3; }

// A cell a walker or a mummy can stand on: open, with solid ground under it
// and its neighbours, and not shut in on both sides.
bool IsFloor(const TMaze& m, int x, int y) {
    return !Solid(m.Cell(x, y)) && Solid(m.Cell(x - 1, y + 1)) && Solid(m.Cell(x, y + 1)) && Solid(m.Cell(x + 1, y + 1)) &&
           !(Solid(m.Cell(x - 1, y)) && Solid(m.Cell(x + 1, y)));
}

// Floor cells in the player's sight a mummy's new place may fall on before
// the sight no longer counts.
constexpr int MummyPlacesInSight = 100;

template <typename T, typename Pred>
bool AnyOf(TSpriteEngine& engine, Pred pred) {
    for (int32_t i = 0; i < engine.Count(); ++i)
        if (auto* s = dynamic_cast<T*>(engine.Items(i)); s && pred(*s)) return true;
    return false;
}

template <typename T>
std::vector<T*> AllOf(TSpriteEngine& engine) {
    std::vector<T*> found;
    for (int32_t i = 0; i < engine.Count(); ++i)
        if (auto* s = dynamic_cast<T*>(engine.Items(i))) found.push_back(s);
    return found;
}

}  // namespace

void TPlay::PlaceMummy(bool checkRows, TMummiaSprite& mummy) {
    const TPlayVariables& v = Vars;
    const TMaze& m = v.Maze;
    // In play (no row check) a mummy turns up out of the player's sight: not in
    // the window, nor in the cells next to it that a scroll or a shake shows in
    // part. Should a hundred floor cells in a row lie there, the labyrinth has
    // no other: then anywhere but on the hero.
    auto inSight = [&v](int x, int y) {
        return x >= v.ViewColumn - 1 && x <= v.ViewColumn + 9 && y >= v.ViewRow - 1 && y <= v.ViewRow + 9;
    };
    int x = 0, y = 0, seen = 0;
    for (;;) {
        x = Randomizer.Random(m.MazeWidth - 3) + 2;
        y = Randomizer.Random(m.MazeHeight - 9) + 4;
        if (!IsFloor(m, x, y)) continue;
        if (checkRows && AnyOf<TMummiaSprite>(Engine(), [y](const TMummiaSprite& s) { return s.Row == y; })) continue;
        if (!checkRows && (x == v.HeroColumn && y == v.HeroRow)) continue;
        if (!checkRows && inSight(x, y) && ++seen <= MummyPlacesInSight) continue;
        break;
    }
    if (Randomizer.Random(2) == 0) {
        mummy.Mode = mmWalkingLeft;
        mummy.ShowPicture(Nemici.Items.Find("MummiaSx0"));
    } else {
        mummy.Mode = mmWalkingRight;
        mummy.ShowPicture(Nemici.Items.Find("MummiaDx0"));
    }
    mummy.ImageCheck = true;
    mummy.Column = x;
    mummy.Row = y;
}

void TPlay::StartLevel() {
    TPlayVariables& v = Vars;
    TMaze& m = v.Maze;
    const int level = ChosenLevel;
    const bool pyramid = ChosenSetting == SettingPyramid;

    PanelSprite = new TBackgroundSprite(&Engine());
    PanelSprite->Image = &Sfondo.Items.Find("Sfondo");
    PanelSprite->SetGrid(PanelSprite->Image->Picture.Width, PanelSprite->Image->Picture.Height);
    PanelSprite->X = 0;
    PanelSprite->Y = 0;
    PanelSprite->SetZ(100);

    auto* hero = new TTiboSprite(&Engine());
    hero->ShowPicture(SpriteTibo.Items.Find("OminoDx0"));
    hero->HeroState = hsPlaying;
    hero->Hurt = false;
    // Monsters may be placed at or beside his start: the first 61 frames of
    // play protect him as a hurt phase does, so nothing touches him before he can move.
    hero->StartProtection = 61;
    hero->SetZ(2);
    hero->ImageCheck = true;

    v.MummyCount = pyramid ? 10 : 0;
    v.GhostCount = 10;
    SetMazeSize(m, level);
    BuildMaze(m, level, ChosenSetting, Randomizer, [this](int x, int y) {
        auto* drop = new TGocciaSprite(&Engine());
        drop->Column = x;
        drop->Row = y;
        drop->PlayAnimation(Nemici.Items.Find("Gocce"), true, 0.02);
        drop->ImageCheck = false;
        drop->FramePos = Randomizer.Random(12);  // neighbouring drops drip out of step
    });
    BuildMiniMap();

    // Walkers: ten of random kinds, each on a floor of a row of its own.
    for (int i = 0; i < 10; ++i) {
        auto* walker = new TVermeSprite(&Engine());
        walker->Kind = static_cast<TWalkerKind>(Randomizer.Random(5));
        walker->Direction = -1;
        if (walker->Kind != wkBat) walker->Direction = Randomizer.Random(2) == 0 ? 1 : -1;
        TPictureItem& picture = Nemici.Items.Find(WalkerPicture(walker->Kind, walker->Direction));
        if (walker->Kind != wkWorm) walker->PlayAnimation(picture, true, 0.02);
        else walker->ShowPicture(picture);  // the worm has one picture
        walker->ImageCheck = true;
    }
    for (TVermeSprite* walker : AllOf<TVermeSprite>(Engine())) {
        int x = 0, y = 0;
        do {
            x = Randomizer.Random(m.MazeWidth - 3) + 2;
            y = Randomizer.Random(m.MazeHeight - 5) + 4;
        } while (!IsFloor(m, x, y) || AnyOf<TVermeSprite>(Engine(), [y](const TVermeSprite& s) { return s.Row == y; }));
        walker->Column = x;
        walker->Row = y;
    }

    for (int i = 0; i < v.MummyCount; ++i) new TMummiaSprite(&Engine());
    for (TMummiaSprite* mummy : AllOf<TMummiaSprite>(Engine())) PlaceMummy(true, *mummy);

    for (int i = 0; i < v.GhostCount; ++i) {
        auto* ghost = new TFantasmaSprite(&Engine());
        // It sets off to the right facing right; its side toggle says so, so
        // that its first turn to the left shows it facing left.
        ghost->ShowPicture(Nemici.Items.Find("FantasmaDx"));
        ghost->PictureSide = -1;
        ghost->ImageCheck = true;
        int x = 0, y = 0;
        for (;;) {
            x = Randomizer.Random(m.MazeWidth - 3) + 2;
            y = Randomizer.Random(m.MazeHeight - 5) + 4;
            const uint8_t here = m.Cell(x, y), right = m.Cell(x + 1, y);
            if (here == CellWall || Sky(here) || here == CellSlopeLeft || here == CellSlopeRight) continue;
            if (right == CellWall || right == CellSlopeRight) continue;
            if (AnyOf<TFantasmaSprite>(Engine(), [x, y](const TFantasmaSprite& s) { return s.Column == x && s.Row == y; })) continue;
            break;
        }
        ghost->Column = x;
        ghost->Row = y;
    }

    // The hero on the lowest corridor row, four cells in from the window's corner.
    const int bottom = m.MazeHeight - 2;
    int heroColumn = 0;
    do {
        heroColumn = Randomizer.Random(m.MazeWidth) + 1;
    } while (m.Cell(heroColumn, bottom) != CellPassage);
    v.ViewColumn = heroColumn - 4;
    v.ViewRow = m.MazeHeight - 6;
    v.HeroColumn = heroColumn;
    v.HeroRow = bottom;

    v.Score = 0;
    v.Oxygen = v.Health = FullGauge;
    v.Shots = std::min(pyramid ? 2 * level : 4 * level, 7);
    v.Bombs = std::min(pyramid ? 2 * level : 3 * level, 7);
    v.MapSteps = v.TorchSteps = 0;
    v.MapColumn = v.MapRow = v.TorchColumn = v.TorchRow = 0;
    v.ShotsInFlight = v.BombsLive = 0;
    v.ExplosionCount = 0;
    v.ShakeX = v.ShakeY = 0;
    v.StepX = v.StepY = 4;
    v.StepLimit = static_cast<int8_t>(32 - v.StepX);
    v.HeroScreenColumn = v.HeroScreenRow = 4;
    v.HeroOffsetX = v.HeroOffsetY = 0;
    v.ViewOffsetX = v.ViewOffsetY = 0;
    v.MoveState = 4;
    v.Facing = 1;
    v.StepToggle = true;
    v.ViewDirty = true;
    v.DrawnViewColumn = v.DrawnViewRow = 0;
    v.CellDirty = false;
    v.PreviewPhase = 0;
    v.PreviewSkip = false;
    v.Escaped = false;
    v.EscapeBonus = 0;

    // A tap of fire or bomb while the hero walks counts at his next read;
    // presses made on the screens before the game do not.
    Input.KeptPresses = StateBit(StateButton1) | StateBit(StateButton2);
    Input.ForgetPresses();
}

}  // namespace tibo
