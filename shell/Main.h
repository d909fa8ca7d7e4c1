#pragma once
// The main form: owns every component of the game, the game's variables and
// the hall of fame; runs the frame tick through the game states.
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "assets/AssetStore.h"
#include "framework/Display.h"
#include "framework/FieldList.h"
#include "framework/FrameTimer.h"
#include "framework/Gamepad.h"
#include "framework/ImageList.h"
#include "framework/Input.h"
#include "framework/Sound.h"
#include "framework/Sprites.h"
#include "framework/Text.h"
#include "framework/WindowTimer.h"
#include "labyrinth/Play.h"
#include "shell/GameVariables.h"

namespace tibo {

// What the form needs from the window around it.
class IFormHost {
public:
    virtual ~IFormHost() = default;
    virtual void SetCursorVisible(bool visible) = 0;
    // Moves the system pointer to a back-surface pixel.
    virtual void WarpMouse(int x, int y) = 0;
    // The window has the focus and is not minimised: held keys count.
    virtual bool Foreground() const = 0;
};

// No window: the pointer has nowhere to be shown or moved, and the game is
// always in the foreground.
class TNullFormHost final : public IFormHost {
public:
    void SetCursorVisible(bool) override {}
    void WarpMouse(int, int) override {}
    bool Foreground() const override { return true; }
};

// Hears of each tick of the frame timer, around the form's own frame.
class ITickObserver {
public:
    virtual ~ITickObserver() = default;
    // Just before the frame: false when the frame is not to run (what came
    // just before it closed the form).
    virtual bool BeforeTick() = 0;
    // Just after it; `flipped`: it showed a new picture.
    virtual void AfterTick(bool flipped) = 0;
};

struct TFormOptions {
    std::vector<std::string> Arguments;     // positional arguments; the first is the frame rate
    std::string ConfigDir;                  // folder of the settings file
    std::optional<uint64_t> Seed;           // fixed seed for scripted runs
    // False while a replay plays back: nothing the player keeps is written
    // (the hall of fame on disk stays as it is, F12 saves no picture).
    bool WriteFiles = true;
    // The hall of fame the game starts from in memory instead of the file's
    // (a replay starts from the one its recording started from).
    std::optional<THallOfFame> StartingHall;
    // Ticks on a fixed schedule (see TFrameTimer::TSchedule), for a caller
    // that comes at its own pace rather than at each tick's time.
    bool FixedTickSchedule = false;
};

// The main form. What drives it (a session's loop, a test's rig) sees only
// its public face; its components and the game's variables are its own and
// the play's. The state dump reads them as the form's friend, and so may the
// tests (TFormInsides in tests/support/FormInsides.h).
class TMainForm final : public IPlayHost {
public:
    TMainForm(const TFormOptions& options, const assets::AssetStore& assets, const IClock& clock,
              IPresenter* presenter, ISoundBackend* audio, IFormHost& host);
    ~TMainForm() override;
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    // The form is made: the hall of fame is read, the intro begins and the
    // frame timer starts.
    void FormCreate();
    // The window is shown: the drawing surface initialises.
    void Show() { MainScreen.Initialize(); }
    // The form closes: the play stops, the hall of fame is written. Once only.
    void FormClose();
    // Closing the window: FormClose runs once, from the message loop.
    void Close() { CloseRequested_ = true; }
    bool CloseRequested() const { return CloseRequested_; }

    // Events as the window delivers them: keys feed the held-key state and the
    // key handler; mouse moves reach the handler only while it is hooked.
    // On the help page a new press of any key but the modifiers, M and F12
    // closes it and is held for nothing until it goes up.
    void KeyDownEvent(int key);
    void KeyUpEvent(int key);
    void MainScreenMouseDown(int button, int x, int y);
    void DeliverMouseMove(int x, int y) { if (MouseMoveHooked_) MainScreenMouseMove(x, y); }
    bool MouseMoveHooked() const { return MouseMoveHooked_; }
    // Pad events feed the joystick's states; presses reach the button handler.
    void PadButtonEvent(TPadButton button, bool down);
    void PadStickEvent(int x, int y);
    // The window comes to the foreground or goes to the background: in the
    // background the frame timer keeps still and the sounds wait.
    void SetActive(bool active);
    // What is held, to be let go when the window loses the focus: a key (the
    // one that closed the help page counts until it goes up), a pad button,
    // the directions the stick gives.
    bool KeyHeld(int key) const { return Input.Keyboard.Held(key) || key == Vars.HelpClosingKey; }
    bool PadHeld(TPadButton button) const { return Pad.Held(button); }
    TInputStates PadStickDirections() const { return StickDirections(Pad.StickX(), Pad.StickY()); }

    // Runs what is due on the clock: the blinking captions' timer, then a
    // tick of the frame timer, whose observer hears of it. True when a tick ran.
    bool RunDue();
    // When the next tick is due on the clock; none while the frame timer keeps
    // still (stopped, or in the background: only an event changes that).
    std::optional<int64_t> TickDue() const;
    // The earliest of the next tick and the captions' next blink.
    std::optional<int64_t> NextDue() const;
    void SetTickObserver(ITickObserver* observer) { TickObserver_ = observer; }

    // The picture last drawn.
    const TSurface& Screen() { return *MainScreen.Surface(); }
    const THallOfFame& HallOfFame() const { return Vars.HallOfFame; }
    const std::string& SettingsPath() const { return SettingsPath_; }
    // The sounds of the sound list, and the audio device that plays them from
    // when it has opened (it comes after the first picture).
    std::vector<TWave> Sounds();
    void AttachAudio(ISoundBackend* audio) { SoundDevice.AttachBackend(audio); }

private:
    // The state dump reads the form's own values and the game's variables.
    friend nlohmann::json DumpState(TMainForm& form);
    // Tests and benchmarks look inside and set the game up (tests/support/FormInsides.h).
    friend struct TFormInsides;
    friend struct TFormFields;

    // Components.
    TDisplay MainScreen;
    TFrameTimer EngineTimer;
    TImageList SpriteTibo;
    TInput Input;
    TSpriteEngineComponent SpriteEngine;
    TImageList ComponentiLabirinto;
    TImageList Nemici;
    TImageList Sfondo;
    TSoundDevice SoundDevice;
    TWaveList Suoni;
    TStoredDIB Cifre;
    TStoredDIB DIBFontAntico;
    TStoredDIB DIBNoMappa;
    TTimer TimerScritteLampeggianti;

    // Fields.
    TBackgroundSprite* LogoSprite = nullptr;
    std::unique_ptr<TSurface> DigitSurface;
    std::unique_ptr<TSurface> NoMapSurface;
    std::unique_ptr<TSurface> FontSurface;
    std::unique_ptr<TSurface> PictureSurface;
    std::unique_ptr<TSurface> HelpSurface;  // the help page, drawn when it opens
    TBitmap MiniWall, MiniSlopeLeft, MiniSlopeRight, MiniEmpty, MiniBorder, MiniStars, MiniHero;
    TImageSprite* SelectionSprite = nullptr;
    bool TickBusy = false;
    TButtonLatches Latches;  // kept from one game to the next
    TGamepad Pad;            // what the game controllers hold, fed to Input.Joystick

    TGameVariables Vars;
    TRandomizer Randomizer;

    // Events of the form and its components.
    // `repeat`: the key was held already (the keyboard's own repeat).
    void FormKeyDown(int key, bool repeat = false);
    // A pad button pressed (the stick leaning into a direction counts as that
    // direction of the D-pad): the menus' actions and the pause.
    void FormPadButton(TPadButton button);
    void MainScreenMouseMove(int x, int y);
    void EngineTimerTimer(int lagCount);
    void MainScreenInitialize();
    void MainScreenFinalize();
    void MainScreenRestoreSurface();
    void TimerScritteLampeggiantiTimer();
    // The frame timer's tick: the frame, with the observer around it.
    void OnEngineTimer(int lagCount);

    // Screen control.
    void BeginIntro();
    void StopPlay();
    void PauseGame();
    void ResumeGame();
    void LoadPicture(TSurface& surface, const std::string& name);
    // The help page: over whatever screen is on, which waits behind it (a
    // game stays as it was, in the state it was in).
    void OpenHelp();
    void CloseHelp();
    // The picture on the screen as a PNG in the folder of the settings file,
    // under a name of its own (see ScreenshotPath), written whole or not at
    // all; says where on standard output.
    void SaveScreenshot();
    // A new name in the table is kept on disk at once; should that fail, the
    // close tries again and reports why. What another game put in the file
    // meanwhile stays there (see StoreHallEntries).
    void SaveHallOfFame();

    // The play: made by the level set-up, owned while the game lasts.
    void StartLevel();
    TPlay* Play() { return Play_.get(); }
    const TPlay* Play() const { return Play_.get(); }
    // The play variables of the game that ended last, kept until the next one
    // starts; none before the first.
    const TPlayVariables* FinishedPlay() const { return FinishedPlay_.get(); }
    // Escape or EXIT during a game: the game pauses and asks before it is left.
    void AskQuit();
    // The question is answered by anything else, or left unanswered: back to the game.
    void ReturnFromQuit();

    // What the play tells the form.
    uint8_t GameState() const override { return Vars.GameState; }
    void PreviewEnded() override;
    void LevelWon() override;
    void GameOver() override;
    bool GameOverFrame() override;
    bool Blink() const override { return Vars.Blink; }
    int32_t QuitQuestion() const override { return Vars.QuitQuestion; }
    void SetCursorVisible(bool visible) override { Host_.SetCursorVisible(visible); }

    TTextWriter Text();
    TSpriteEngine& Engine() { return *SpriteEngine.Engine(); }

    void LoadFormData();
    void IntroFrame();
    void HallOfFameFrame();
    void NameEntryFrame();
    void LevelChoiceFrame();
    void PlayFrame();
    void HelpFrame();
    void DrawHelpPage();
    // What is shown over every screen: the sign of muted sound and, for a
    // moment after F12, whether the screenshot was saved.
    void DrawOverlays();
    void EndGame();  // the hand-over after the game-over pause
    bool InGame() const { return Vars.GameState >= gsExitPreview && Play_ != nullptr; }
    // The game-over pause may be cut short from its second second on.
    bool EndSkippable() const { return Vars.GameState == gsGameOver && Vars.FrameCounter >= 50; }
    void Quit();  // a game left for good: the play stops and the window closes
    void OpenLevelChoice();
    void StartChosenLevel();   // START: the pointer goes, the level starts next frame
    void PadNameEntry(TPadButton button);
    void StepLevel(int step);
    void AddNameLetter(char letter);
    void DeleteNameLetter();
    std::string HallLine(const HallEntry& entry, bool cursor) const;
    // Puts this game's new entries, those not kept yet, into the file.
    void StoreHallOfFame();

    const assets::AssetStore& Assets_;
    IFormHost& Host_;
    TFormOptions Options_;
    std::string SettingsPath_;
    ITickObserver* TickObserver_ = nullptr;
    bool CloseRequested_ = false;
    bool Closed_ = false;
    bool MouseMoveHooked_ = true;
    std::map<std::string, TBitmap> DecodedPictures_;  // the full-screen pictures, by name
    std::unique_ptr<TPlay> Play_;
    std::unique_ptr<TPlayVariables> FinishedPlay_;
    THallOfFame HallAtStart_;             // the table as the file gave it at the start
    std::vector<HallEntry> HallStored_;   // this game's entries the file has been given
};

// What the state dump and the replay checksum write of the form: the game's
// variables, the play's (between games their starting values), the form's
// own values and every sprite below the engine with its own fields. The
// values marked DumpOnly are left out of the checksum. The list is the
// form's friend: it reads what the form keeps to itself.
struct TFormFields {
    static constexpr auto List = std::tuple{
        Field("Vars", &TMainForm::Vars),
        // Between games the play variables are those of the game that ended last;
        // before the first game, their starting values.
        Field("Play", [](const TMainForm& f) -> const TPlayVariables& {
            static const TPlayVariables NoPlay{};
            return f.Play() != nullptr ? f.Play()->Vars : f.FinishedPlay() != nullptr ? *f.FinishedPlay() : NoPlay;
        }),
        Field("GameStateName", [](const TMainForm& f) { return GameStateName(f.Vars.GameState); }),
        Field("Interval", [](const TMainForm& f) { return f.EngineTimer.Interval(); }),
        Field("MouseMoveHooked", [](const TMainForm& f) { return f.MouseMoveHooked(); }),
        Field("Latches", &TMainForm::Latches),
        Field("Sprites", [](TMainForm& f) -> const TSpriteEngine& { return f.Engine(); }),
        Field("SpriteCount", [](TMainForm& f) { return f.Engine().SpriteCount(); }),
        // What follows the window rather than the game: the frame tick still
        // running, and the timers, which run on the wall clock in a window.
        Field("TickBusy", &TMainForm::TickBusy, TFieldUse::DumpOnly),
        Field("TimerEnabled", [](const TMainForm& f) { return f.EngineTimer.Enabled(); }, TFieldUse::DumpOnly),
        Field("BlinkTimerEnabled", [](const TMainForm& f) { return f.TimerScritteLampeggianti.Enabled(); }, TFieldUse::DumpOnly),
        // The sound device's switch, and the sounds asked for since the last
        // dump, which the dump takes away.
        Field("Muted", [](const TMainForm& f) { return f.SoundDevice.Muted(); }, TFieldUse::DumpOnly),
        Field("Sounds", [](TMainForm& f) -> const std::vector<std::string>& { return f.Suoni.Items.PlayRequests; },
              TFieldUse::DumpOnly),
    };
};

// The N-th name of a screenshot taken at `now` in `folder`:
// tibo-YYYYMMDD-HHMMSS-N.png, local time, N from 1 (the first one free is taken).
std::string ScreenshotPath(const std::string& folder, std::time_t now, int n);
// Screenshots a killed game left unnamed in `folder`: a whole picture takes
// the first free name of its own series, a picture cut short is removed.
// Returns the names given.
std::vector<std::string> TakeLeftoverScreenshots(const std::string& folder);

// The interval of the frame timer for the first command-line argument.
int FrameIntervalFromArgument(const std::vector<std::string>& arguments);

}  // namespace tibo
