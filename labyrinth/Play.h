#pragma once
// The game being played: the labyrinth, the hero and the view, the player's
// counters and the play's own surfaces. It runs the play frame with its
// panel, the mini-map, the torch and the exit preview; the sprites of the
// play reach it through their engine. The form that owns it keeps the game
// states and hears from it how the game goes.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>

#include "framework/Display.h"
#include "framework/FieldList.h"
#include "framework/ImageList.h"
#include "framework/Input.h"
#include "framework/Sound.h"
#include "framework/Sprites.h"
#include "framework/Text.h"
#include "labyrinth/GameState.h"
#include "labyrinth/Maze.h"
#include "labyrinth/Random.h"

namespace tibo {

// The exit preview's hint, across the bottom of the play window.
inline constexpr std::string_view PreviewHint = "PRESS FIRE TO SKIP";
inline constexpr int PreviewHintX = 44, PreviewHintY = 346;

class TMummiaSprite;

// The fire and bomb buttons must be let go between two shots or two bombs;
// what they last saw carries over from one game to the next.
struct TButtonLatches {
    bool FireLatch = false;
    bool BombLatch = false;

    static constexpr auto Fields = std::tuple{
        Field("FireLatch", &TButtonLatches::FireLatch),
        Field("BombLatch", &TButtonLatches::BombLatch),
    };
};
static_assert(ListsEveryMember<TButtonLatches>(), "each latch has its line in TButtonLatches::Fields");

// Health and oxygen when full: a level starts with both full, and the panel's
// gauges and percentages measure them against it.
constexpr int32_t FullGauge = 20000;

// The play's program-wide variables: one set per game.
struct TPlayVariables {
    int32_t Score = 0;
    int32_t BestScore = 0;

    // The play field's origin on the screen and its shake.
    int32_t FieldOriginX = 44;
    int32_t FieldOriginY = 82;
    int32_t ShakeX = 0;
    int32_t ShakeY = 0;

    // The labyrinth of the running game.
    TMaze Maze;
    int8_t MummyCount = 0;
    int8_t GhostCount = 0;

    // The view: the maze cell at the window's top-left, its scrolling offsets,
    // and what the maze surface was last composed for.
    int32_t ViewColumn = 0;
    int32_t ViewRow = 0;
    int32_t ViewOffsetX = 0;
    int32_t ViewOffsetY = 0;
    int8_t ExplosionCount = 0;
    bool ViewDirty = false;
    bool CellDirty = false;
    int32_t DirtyColumn = 0;
    int32_t DirtyRow = 0;
    int32_t DrawnViewColumn = 0;
    int32_t DrawnViewRow = 0;
    int32_t SavedViewColumn = 0;
    int32_t SavedViewRow = 0;

    // The exit preview: its phase, and a fire button's request to cut it short.
    int32_t PreviewPhase = 0;
    bool PreviewSkip = false;

    // The map and the torch: steps left and the hero cell last counted.
    int32_t MapSteps = 0;
    int32_t MapColumn = 0;
    int32_t MapRow = 0;
    int32_t TorchSteps = 0;
    int32_t TorchColumn = 0;
    int32_t TorchRow = 0;

    // The player's resources.
    int32_t Health = 0;  // FullGauge at the start of a level
    int32_t Oxygen = 0;
    int32_t Shots = 0;
    int32_t Bombs = 0;
    int32_t ShotsInFlight = 0;
    int32_t BombsLive = 0;
    // The cell of the bomb laid last: blasts break walls within 5 cells of it.
    int32_t LastBombColumn = 0;
    int32_t LastBombRow = 0;

    // The hero's cell, his place in the window and his movement.
    int32_t HeroColumn = 0;
    int32_t HeroRow = 0;
    int32_t HeroScreenColumn = 4;
    int32_t HeroScreenRow = 4;
    int32_t HeroOffsetX = 0;
    int32_t HeroOffsetY = 0;
    int32_t StepX = 4;
    int32_t StepY = 4;
    int8_t StepLimit = 28;
    uint8_t MoveState = 4;
    int8_t Facing = 1;
    bool StepToggle = true;

    // The hero has climbed out (his victory began), and the points his health
    // and oxygen have given so far in the count-down that follows.
    bool Escaped = false;
    int32_t EscapeBonus = 0;

    // Every variable above, as the state dump and the replay checksum write it;
    // the labyrinth's fields stand beside the others.
    static constexpr auto Fields = std::tuple{
        Field("Score", &TPlayVariables::Score),
        Field("BestScore", &TPlayVariables::BestScore),
        Field("FieldOriginX", &TPlayVariables::FieldOriginX),
        Field("FieldOriginY", &TPlayVariables::FieldOriginY),
        Field("ShakeX", &TPlayVariables::ShakeX),
        Field("ShakeY", &TPlayVariables::ShakeY),
        Field("Maze", &TPlayVariables::Maze),
        Field("MummyCount", &TPlayVariables::MummyCount),
        Field("GhostCount", &TPlayVariables::GhostCount),
        Field("ViewColumn", &TPlayVariables::ViewColumn),
        Field("ViewRow", &TPlayVariables::ViewRow),
        Field("ViewOffsetX", &TPlayVariables::ViewOffsetX),
        Field("ViewOffsetY", &TPlayVariables::ViewOffsetY),
        Field("ExplosionCount", &TPlayVariables::ExplosionCount),
        Field("ViewDirty", &TPlayVariables::ViewDirty),
        Field("CellDirty", &TPlayVariables::CellDirty),
        Field("DirtyColumn", &TPlayVariables::DirtyColumn),
        Field("DirtyRow", &TPlayVariables::DirtyRow),
        Field("DrawnViewColumn", &TPlayVariables::DrawnViewColumn),
        Field("DrawnViewRow", &TPlayVariables::DrawnViewRow),
        Field("SavedViewColumn", &TPlayVariables::SavedViewColumn),
        Field("SavedViewRow", &TPlayVariables::SavedViewRow),
        Field("PreviewPhase", &TPlayVariables::PreviewPhase),
        Field("PreviewSkip", &TPlayVariables::PreviewSkip),
        Field("MapSteps", &TPlayVariables::MapSteps),
        Field("MapColumn", &TPlayVariables::MapColumn),
        Field("MapRow", &TPlayVariables::MapRow),
        Field("TorchSteps", &TPlayVariables::TorchSteps),
        Field("TorchColumn", &TPlayVariables::TorchColumn),
        Field("TorchRow", &TPlayVariables::TorchRow),
        Field("Health", &TPlayVariables::Health),
        Field("Oxygen", &TPlayVariables::Oxygen),
        Field("Shots", &TPlayVariables::Shots),
        Field("Bombs", &TPlayVariables::Bombs),
        Field("ShotsInFlight", &TPlayVariables::ShotsInFlight),
        Field("BombsLive", &TPlayVariables::BombsLive),
        Field("LastBombColumn", &TPlayVariables::LastBombColumn),
        Field("LastBombRow", &TPlayVariables::LastBombRow),
        Field("HeroColumn", &TPlayVariables::HeroColumn),
        Field("HeroRow", &TPlayVariables::HeroRow),
        Field("HeroScreenColumn", &TPlayVariables::HeroScreenColumn),
        Field("HeroScreenRow", &TPlayVariables::HeroScreenRow),
        Field("HeroOffsetX", &TPlayVariables::HeroOffsetX),
        Field("HeroOffsetY", &TPlayVariables::HeroOffsetY),
        Field("StepX", &TPlayVariables::StepX),
        Field("StepY", &TPlayVariables::StepY),
        Field("StepLimit", &TPlayVariables::StepLimit),
        Field("MoveState", &TPlayVariables::MoveState),
        Field("Facing", &TPlayVariables::Facing),
        Field("StepToggle", &TPlayVariables::StepToggle),
        Field("Escaped", &TPlayVariables::Escaped),
        Field("EscapeBonus", &TPlayVariables::EscapeBonus),
    };
};
static_assert(ListsEveryMember<TPlayVariables>(), "each play variable has its line in TPlayVariables::Fields");

// The form's components the play works with; they outlive it.
struct TPlayComponents {
    TDisplay& MainScreen;
    TImageList& SpriteTibo;
    TImageList& ComponentiLabirinto;
    TImageList& Nemici;
    TImageList& Sfondo;
    TWaveList& Suoni;
    TInput& Input;
    TSpriteEngineComponent& SpriteEngine;
    TRandomizer& Randomizer;
    const TSurface& DigitSurface;
    const TSurface& FontSurface;
    const TSurface& NoMapSurface;
    TMiniTiles MiniTiles;
    TButtonLatches& Latches;
};

// How long the question whether to quit stays up: 150 frames, three seconds
// at 50 frames a second.
constexpr int32_t QuitQuestionFrames = 150;

// What the play tells the game around it, and the little it asks of it.
class IPlayHost {
public:
    virtual ~IPlayHost() = default;
    virtual uint8_t GameState() const = 0;
    // The preview has reached the hero: play begins.
    virtual void PreviewEnded() = 0;
    // The hero has climbed into the exit.
    virtual void LevelWon() = 0;
    // The hero died, or his victory count-down ended: the game-over pause begins.
    virtual void GameOver() = 0;
    // One frame of the game-over pause; true once it is over.
    virtual bool GameOverFrame() = 0;
    // The flashing captions' phase.
    virtual bool Blink() const = 0;
    // Frames the question whether to quit stays up (the game is paused then); 0 when not asked.
    virtual int32_t QuitQuestion() const = 0;
    virtual void SetCursorVisible(bool visible) = 0;
};

class TPlay final : public TSpriteOwner, public TPlayComponents {
public:
    // A game at a level (1 to 5) and setting, to be set up by StartLevel.
    TPlay(const TPlayComponents& components, IPlayHost& host, uint8_t level, uint8_t setting, int32_t bestScore);
    ~TPlay() override;
    TPlay(const TPlay&) = delete;
    TPlay& operator=(const TPlay&) = delete;

    // The components come by the form's names, from TPlayComponents.
    IPlayHost& Host;

    const uint8_t ChosenLevel;
    const uint8_t ChosenSetting;
    TPlayVariables Vars;
    TBackgroundSprite* PanelSprite = nullptr;
    std::unique_ptr<TSurface> MazeSurface;
    std::unique_ptr<TSurface> MapSurface;
    TBitmap MiniCanvas;

    // The level set-up: the panel, the hero, the labyrinth with its drops, the
    // mini-map, the walkers, mummies and ghosts, and every counter.
    void StartLevel();
    void PlaceMummy(bool checkRows, TMummiaSprite& mummy);
    void BuildMiniMap();
    void ComposeView();
    void DrawCell(int c, int r);
    // A frame of play; true when the game-over pause has ended and the game
    // is to be handed over (nothing more is drawn then).
    bool PlayFrame();
    void ExitPreviewFrame();
    // The drawing surface was restored: the panel and the field at their places.
    void RestoreSurface();

    // A blast sprite has burnt out: the shake stops with the last one. (The
    // blasts, kills and score labels themselves are the actors' own: Weapons.)
    void BlastEnded();

    // One frame of the count-down after a victory: 100 of health and of oxygen
    // become 4 and 2 points. False when nothing was left to count.
    bool CountEscapeBonus();
    // The rest of the count-down at once, after a victory (the score it would reach).
    void FinishEscapeBonus();

    TSpriteEngine& Engine() { return *SpriteEngine.Engine(); }
    void PlaySound(const std::string& name) { Suoni.Items.Find(name).Play(false); }
    TTextWriter Text();

private:
    void DrawScores();
    void DrawGauges();
    void DrawSupplies();
    void DrawCaptions();
    void DrawPercentages();
    void DrawMapWindow();
};

// The play a sprite of the game belongs to.
TPlay& PlayOf(const TSprite& sprite);

}  // namespace tibo
