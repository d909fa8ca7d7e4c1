#pragma once
// A play with no form and no window: the components a game works with, loaded
// from the built-in assets by the main form's own loaders (assets/FormData.h),
// a host that keeps the game state, and ticks that run the play's frames.
#include <cctype>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "actors/Actors.h"
#include "assets/AssetStore.h"
#include "assets/FormData.h"
#include "framework/KeyCodes.h"
#include "labyrinth/Play.h"

namespace tibo::testing_support {

class TTestPlayHost final : public IPlayHost {
public:
    uint8_t State = gsExitPreview;
    int32_t FrameCounter = 0;
    bool BlinkOn = false;
    int32_t QuitFrames = 0;
    int GameOvers = 0;
    uint8_t GameState() const override { return State; }
    void PreviewEnded() override { State = gsPlaying; }
    void LevelWon() override { State = gsLevelWon; }
    void GameOver() override {
        State = gsGameOver;
        FrameCounter = 0;
        ++GameOvers;
    }
    bool GameOverFrame() override { return ++FrameCounter > 500; }
    bool Blink() const override { return BlinkOn; }
    int32_t QuitQuestion() const override { return QuitFrames; }
    void SetCursorVisible(bool) override {}
};

// Picture and sound names are found regardless of case; tests compare them in lower case.
inline std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

inline const assets::AssetStore& BuiltInAssets() {
    static const assets::AssetStore store;
    return store;
}

// Retires every walker, mummy, ghost and drop (their cells stay as they are).
inline void RetireEnemies(TSpriteEngine& engine) {
    for (int32_t i = 0; i < engine.Count(); ++i) {
        TSprite* s = engine.Items(i);
        if (dynamic_cast<TVermeSprite*>(s) || dynamic_cast<TMummiaSprite*>(s) || dynamic_cast<TFantasmaSprite*>(s) ||
            dynamic_cast<TGocciaSprite*>(s))
            s->Retire();
    }
    engine.FreeRetired();
}

class TPlayRig {
public:
    // A game set up at a level and setting from a fixed seed, on the exit preview's first frame.
    TPlayRig(int level, uint8_t setting, uint64_t seed) : Randomizer(seed) {
        const assets::AssetStore& store = BuiltInAssets();
        assets::LoadFormLists({SpriteTibo, ComponentiLabirinto, Nemici, Sfondo, Suoni}, store);
        assets::LoadPanel(Sfondo, store);
        assets::LoadMiniMapTiles({&Tiles[0], &Tiles[1], &Tiles[2], &Tiles[3], &Tiles[4], &Tiles[5], &Tiles[6]}, store);
        SoundDevice.AutoInitialize();
        MainScreen.Initialize();
        TDisplayDevice& device = MainScreen.Device();
        DigitSurface = std::make_unique<TSurface>(&device);
        DigitSurface->LoadFromGraphic(assets::LoadBitmap(store, "Cifre"));
        FontSurface = std::make_unique<TSurface>(&device);
        FontSurface->LoadFromGraphic(assets::LoadBitmap(store, "DIBFontAntico"));
        NoMapSurface = std::make_unique<TSurface>(&device);
        NoMapSurface->LoadFromGraphic(assets::LoadBitmap(store, "NOMAPPA"));
        const TPlayComponents components{MainScreen, SpriteTibo, ComponentiLabirinto, Nemici, Sfondo, Suoni, Input,
                                         SpriteEngine, Randomizer, *DigitSurface, *FontSurface, *NoMapSurface,
                                         TMiniTiles{&Tiles[0], &Tiles[1], &Tiles[2], &Tiles[3], &Tiles[4], &Tiles[5], &Tiles[6]},
                                         Latches};
        Play = std::make_unique<TPlay>(components, Host, static_cast<uint8_t>(level), setting, 10000);
        Play->StartLevel();
    }
    ~TPlayRig() {
        Engine().Clear();
        Play.reset();
    }
    TPlayRig(const TPlayRig&) = delete;
    TPlayRig& operator=(const TPlayRig&) = delete;

    // One frame, as the form's tick runs it; false once the game-over pause has ended.
    bool Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            if (Host.State == gsExitPreview) {
                Play->ExitPreviewFrame();
            } else if (Play->PlayFrame()) {
                return false;
            }
        }
        return true;
    }
    void KeyDown(int vk) { Input.Keyboard.KeyDown(vk); }
    void KeyUp(int vk) { Input.Keyboard.KeyUp(vk); }
    // Holds a fire button through the exit preview, which skips it.
    void SkipPreview() {
        Tick();
        KeyDown(' ');
        Tick(2);
        KeyUp(' ');
        Tick();
    }
    void ClearEnemies() { RetireEnemies(Engine()); }
    // Plays on until the start's protection is over and things touch the hero again.
    void EndStartProtection() {
        while (Hero().StartProtection > 0) Tick();
    }
    // Draws a patch of labyrinth with its top-left cell at (x0, y0), one string
    // a row: '#' wall, 'b' broken wall, '.' passage, 'T' rope top, 'R' rope,
    // 'E' rope end, 'X' exit, '$' treasure, 'H' the hero (on a passage); the
    // view is recomposed. Returns the cells of the letters not listed above,
    // by letter ('a'..'z' except 'b', placed on passages), for the caller's own use.
    std::map<char, std::pair<int, int>> LayPatch(int x0, int y0, const std::vector<std::string>& rows) {
        std::map<char, std::pair<int, int>> marks;
        TPlayVariables& v = Play->Vars;
        for (size_t r = 0; r < rows.size(); ++r)
            for (size_t c = 0; c < rows[r].size(); ++c) {
                const int x = x0 + static_cast<int>(c), y = y0 + static_cast<int>(r);
                const char k = rows[r][c];
                v.Maze.Cell(x, y) = k == '#' ? CellWall : k == 'b' ? CellBrokenWall : k == 'T' ? CellRopeTop
                                  : k == 'R' ? CellRope : k == 'E' ? CellRopeEnd : k == 'X' ? CellExit
                                  : k == '$' ? CellTreasure : CellPassage;
                if (k == 'H') PutHero(x, y);
                else if (k >= 'a' && k <= 'z') marks[k] = {x, y};
            }
        v.ViewDirty = true;
        return marks;
    }
    // Puts the hero, standing, in a cell with the view four cells up and left of him.
    void PutHero(int x, int y) {
        TPlayVariables& v = Play->Vars;
        v.HeroColumn = x;
        v.HeroRow = y;
        v.HeroScreenColumn = v.HeroScreenRow = 4;
        v.ViewColumn = x - 4;
        v.ViewRow = y - 4;
        v.HeroOffsetX = v.HeroOffsetY = v.ViewOffsetX = v.ViewOffsetY = 0;
        v.MoveState = 4;
    }
    // Past the preview with no enemies about, the hero one cell under the
    // exit with the way up open, climbing (Up held): he escapes in a few frames.
    void StartClimbingOut() {
        SkipPreview();
        ClearEnemies();
        PutHero(Play->Vars.Maze.ExitColumn, 5);
        KeyDown(VkUp);
    }
    template <typename T>
    std::vector<T*> All() {
        std::vector<T*> found;
        for (int32_t i = 0; i < Engine().Count(); ++i)
            if (auto* s = dynamic_cast<T*>(Engine().Items(i))) found.push_back(s);
        return found;
    }
    TTiboSprite& Hero() { return *All<TTiboSprite>().at(0); }
    TDeviceColor Pixel(int x, int y) { return MainScreen.Surface()->Pixel(x, y); }
    TSpriteEngine& Engine() { return *SpriteEngine.Engine(); }
    // The sounds asked for since the last call, in order.
    std::vector<std::string> TakeSounds() {
        std::vector<std::string> sounds;
        sounds.swap(Suoni.Items.PlayRequests);
        return sounds;
    }

    const int Owner = 0;  // the components' owner: any address stands for the form
    TDisplay MainScreen{&Owner};
    TImageList SpriteTibo{&MainScreen};
    TInput Input{&Owner};
    TSpriteEngineComponent SpriteEngine{&MainScreen};
    TImageList ComponentiLabirinto{&MainScreen};
    TImageList Nemici{&MainScreen};
    TImageList Sfondo{&MainScreen};
    TSoundDevice SoundDevice{&Owner, nullptr};
    TWaveList Suoni{&SoundDevice};
    TRandomizer Randomizer;
    TBitmap Tiles[7];
    std::unique_ptr<TSurface> DigitSurface, FontSurface, NoMapSurface;
    TButtonLatches Latches;
    TTestPlayHost Host;
    std::unique_ptr<TPlay> Play;
};

}  // namespace tibo::testing_support
