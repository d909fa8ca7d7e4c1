#include "shell/Main.h"

#include <algorithm>
#include <cstdio>

#include "assets/FormData.h"
#include "framework/Files.h"
#include "shell/Settings.h"

namespace tibo {

int FrameIntervalFromArgument(const std::vector<std::string>& arguments) {
    int32_t rate = 50;
    if (!arguments.empty() && (!ParseSettingsInteger(arguments.front(), rate) || rate == 0)) rate = 50;
    return 1000 / rate;  // above 1000 gives 0; a negative result is clamped by the timer
}

TMainForm::TMainForm(const TFormOptions& options, const assets::AssetStore& assets, const IClock& clock,
                     IPresenter* presenter, ISoundBackend* audio, IFormHost& host)
    : MainScreen(this),
      EngineTimer(clock),
      SpriteTibo(&MainScreen),
      Input(this),
      SpriteEngine(&MainScreen),
      ComponentiLabirinto(&MainScreen),
      Nemici(&MainScreen),
      Sfondo(&MainScreen),
      SoundDevice(this, audio),
      Suoni(&SoundDevice),
      TimerScritteLampeggianti(clock, 300),
      Randomizer(options.Seed),
      Assets_(assets),
      Host_(host),
      Options_(options),
      SettingsPath_(JoinPath(options.ConfigDir, SettingsFileName)) {
    MainScreen.SetPresenter(presenter);
    MainScreen.OnInitialize = [this] { MainScreenInitialize(); };
    MainScreen.OnFinalize = [this] { MainScreenFinalize(); };
    MainScreen.OnRestoreSurface = [this] { MainScreenRestoreSurface(); };
    EngineTimer.SetEnabled(false);
    EngineTimer.SetInterval(0);
    if (options.FixedTickSchedule) EngineTimer.SetSchedule(TFrameTimer::TSchedule::Fixed);
    EngineTimer.OnTimer = [this](TFrameTimer&, int lag) { OnEngineTimer(lag); };
    TimerScritteLampeggianti.OnTimer = [this] { TimerScritteLampeggiantiTimer(); };
    Input.IsForeground = [this] { return Host_.Foreground(); };
    LoadFormData();
}

TMainForm::~TMainForm() {
    // The drawing surface goes first, while everything its handlers touch is alive.
    MainScreen.Finalize();
    MainScreen.OnInitialize = nullptr;
    MainScreen.OnFinalize = nullptr;
    MainScreen.OnRestoreSurface = nullptr;
    // Sprites go before the pictures they show, and before the play they belong to.
    Engine().Clear();
    Play_.reset();
}

void TMainForm::LoadFormData() {
    assets::LoadFormLists({SpriteTibo, ComponentiLabirinto, Nemici, Sfondo, Suoni}, Assets_);
    Cifre.DIB = assets::LoadBitmap(Assets_, "Cifre");
    DIBFontAntico.DIB = assets::LoadBitmap(Assets_, "DIBFontAntico");
    // The keyboard and the game controllers (as the joystick) are bound.
    Input.Keyboard.Enabled = true;
    Input.Keyboard.BindInputStates = true;
    Input.Joystick.Enabled = true;
    Input.Joystick.BindInputStates = true;
    Input.Mouse.Enabled = false;
    Input.Update();
    SoundDevice.AutoInitialize();
}

void TMainForm::FormCreate() {
    Vars.HallOfFame = Options_.WriteFiles ? OpenHallOfFame(SettingsPath_) : ReadHallOfFame(SettingsPath_);
    if (Options_.WriteFiles)
        for (const std::string& path : TakeLeftoverScreenshots(Options_.ConfigDir))
            std::printf("tibo: screenshot saved to %s (left unnamed by a game that was stopped)\n", path.c_str());
    HallAtStart_ = Vars.HallOfFame;
    if (Options_.StartingHall) Vars.HallOfFame = *Options_.StartingHall;
    assets::LoadMiniMapTiles({&MiniWall, &MiniSlopeLeft, &MiniSlopeRight, &MiniEmpty, &MiniBorder, &MiniStars, &MiniHero},
                             Assets_);
    BeginIntro();
    Vars.GameState = gsIntro;
    Vars.FrameCounter = 0;
    Vars.AnyKey = false;
    TickBusy = false;
    EngineTimer.SetInterval(FrameIntervalFromArgument(Options_.Arguments));
    EngineTimer.SetEnabled(true);
    assets::LoadPanel(Sfondo, Assets_);
    DIBNoMappa.DIB = assets::LoadBitmap(Assets_, "NOMAPPA");
}

void TMainForm::FormClose() {
    if (Closed_) return;
    Closed_ = true;
    StopPlay();
    EngineTimer.SetEnabled(false);
    for (TBitmap* b : {&MiniWall, &MiniSlopeLeft, &MiniSlopeRight, &MiniEmpty, &MiniBorder, &MiniStars, &MiniHero})
        *b = TBitmap{};
    if (Options_.WriteFiles) StoreHallOfFame();
}

void TMainForm::SetActive(bool active) {
    EngineTimer.SetApplicationActive(active);
    SoundDevice.SetPaused(!active);  // the sounds wait with the game
}

bool TMainForm::RunDue() {
    TimerScritteLampeggianti.Poll();
    return EngineTimer.Idle();
}

std::optional<int64_t> TMainForm::TickDue() const {
    if (!EngineTimer.IdleInstalled()) return std::nullopt;
    return EngineTimer.NextDue();
}

std::optional<int64_t> TMainForm::NextDue() const {
    std::optional<int64_t> due = TickDue();
    if (due && TimerScritteLampeggianti.Enabled()) due = std::min(*due, TimerScritteLampeggianti.Due());
    return due;
}

void TMainForm::OnEngineTimer(int lagCount) {
    if (TickObserver_ == nullptr) {
        EngineTimerTimer(lagCount);
        return;
    }
    if (!TickObserver_->BeforeTick()) return;
    const uint64_t flips = MainScreen.FlipCount();
    EngineTimerTimer(lagCount);
    TickObserver_->AfterTick(MainScreen.FlipCount() > flips);
}

std::vector<TWave> TMainForm::Sounds() {
    std::vector<TWave> sounds;
    Suoni.Items.ForEach([&sounds](TWaveItem& item) { sounds.push_back(item.Wave); });
    return sounds;
}

void TMainForm::MainScreenInitialize() {
    MainScreenRestoreSurface();
    TDisplayDevice& device = MainScreen.Device();
    DigitSurface = std::make_unique<TSurface>(&device);
    DigitSurface->LoadFromGraphic(Cifre.DIB);
    NoMapSurface = std::make_unique<TSurface>(&device);
    NoMapSurface->LoadFromGraphic(DIBNoMappa.DIB);
    FontSurface = std::make_unique<TSurface>(&device);
    FontSurface->LoadFromGraphic(DIBFontAntico.DIB);
    PictureSurface = std::make_unique<TSurface>(&device);
    LoadPicture(*PictureSurface, "COPERTINA");
    HelpSurface = std::make_unique<TSurface>(&device);
    if (Vars.HelpShown) DrawHelpPage();
}

void TMainForm::MainScreenFinalize() {
    EngineTimer.SetEnabled(false);
    for (auto* s : {&DigitSurface, &NoMapSurface, &FontSurface, &PictureSurface, &HelpSurface}) s->reset();
}

void TMainForm::MainScreenRestoreSurface() {
    if (Play_) Play_->RestoreSurface();
}

void TMainForm::SaveHallOfFame() {
    if (!Options_.WriteFiles) return;
    try {
        StoreHallOfFame();
    } catch (const std::exception&) {
        // The table stays in memory; FormClose writes it again and says why it cannot.
    }
}

void TMainForm::StoreHallOfFame() {
    // The entries this game added to the table it started from: the file is
    // read again and they join what it holds by then, so that the entries of
    // another game that closed meanwhile stay. The game's own table stays as
    // it is: what it decides is this game's alone (and a replay repeats it).
    const std::vector<HallEntry> fresh = EntriesAdded(EntriesAdded(Vars.HallOfFame, HallAtStart_), HallStored_);
    StoreHallEntries(SettingsPath_, fresh);
    HallStored_.insert(HallStored_.end(), fresh.begin(), fresh.end());
}

void TMainForm::TimerScritteLampeggiantiTimer() { Vars.Blink = !Vars.Blink; }

void TMainForm::LoadPicture(TSurface& surface, const std::string& name) {
    // The JPEG is decoded straight from the embedded bytes, once per run; no
    // temporary file, and no decoding again on every change of screen.
    auto found = DecodedPictures_.find(name);
    if (found == DecodedPictures_.end()) found = DecodedPictures_.emplace(name, assets::LoadBitmap(Assets_, name)).first;
    surface.LoadFromGraphic(found->second);
}

void TMainForm::BeginIntro() {
    LogoSprite = new TBackgroundSprite(&Engine());
    LogoSprite->Wrap = true;
    LogoSprite->Image = &Sfondo.Items.Find("Brevanti");
    LogoSprite->SetGrid(LogoSprite->Image->Picture.Width, LogoSprite->Image->Picture.Height);
    LogoSprite->X = 0;
    LogoSprite->Y = 0;
    LogoSprite->SetZ(0);
    Vars.FrameCounter = 0;
}

void TMainForm::StopPlay() {
    TimerScritteLampeggianti.SetEnabled(false);
    TSpriteEngine& engine = Engine();
    const int32_t count = engine.Count();
    for (int32_t i = 0; i < count; ++i) engine.Items(i)->Retire();
    engine.FreeRetired();
    // Every sprite is gone: forget the ones the form points to, and the play,
    // whose variables stay to be seen until the next game.
    LogoSprite = nullptr;
    SelectionSprite = nullptr;
    if (Play_) FinishedPlay_ = std::make_unique<TPlayVariables>(Play_->Vars);
    Play_.reset();
}

void TMainForm::PauseGame() {
    TimerScritteLampeggianti.SetEnabled(true);
    Vars.GameState = gsPaused;
}

void TMainForm::ResumeGame() {
    TimerScritteLampeggianti.SetEnabled(false);
    Vars.GameState = gsPlaying;
    Input.ForgetPresses();  // taps made in the pause are no shots
}

void TMainForm::AskQuit() {
    Vars.QuitReturnState = Vars.GameState;
    Vars.QuitQuestion = QuitQuestionFrames;
    Vars.GameState = gsPaused;
}

void TMainForm::ReturnFromQuit() {
    // The caption timer runs as it did: on in a pause and after the game's end.
    Vars.GameState = Vars.QuitReturnState;
    Vars.QuitQuestion = 0;
    Input.ForgetPresses();
}

void TMainForm::Quit() {
    Vars.QuitQuestion = 0;
    StopPlay();
    Close();
}

void TMainForm::StartLevel() {
    EngineTimer.SetEnabled(false);
    const TPlayComponents components{MainScreen, SpriteTibo, ComponentiLabirinto, Nemici, Sfondo, Suoni, Input, SpriteEngine,
                                     Randomizer, *DigitSurface, *FontSurface, *NoMapSurface,
                                     TMiniTiles{&MiniWall, &MiniSlopeLeft, &MiniSlopeRight, &MiniEmpty, &MiniBorder, &MiniStars, &MiniHero},
                                     Latches};
    Play_ = std::make_unique<TPlay>(components, *this, Vars.ChosenLevel, Vars.ChosenSetting, Vars.HallOfFame[0].Punti);
    Play_->StartLevel();
    Vars.Blink = false;
    Vars.AnyKey = false;
    Vars.FrameCounter = 0;
    Vars.GameState = gsExitPreview;
    TimerScritteLampeggianti.SetEnabled(false);
    EngineTimer.SetEnabled(true);
}

void TMainForm::PlayFrame() {
    if (Play_->PlayFrame()) {
        EndGame();
        return;
    }
    // Unanswered, the question goes when its time is up.
    if (Vars.QuitQuestion > 0 && --Vars.QuitQuestion == 0) ReturnFromQuit();
}

void TMainForm::PreviewEnded() { Vars.GameState = gsPlaying; }

void TMainForm::LevelWon() { Vars.GameState = gsLevelWon; }

void TMainForm::GameOver() {
    Vars.GameState = gsGameOver;
    Vars.FrameCounter = 0;
    Vars.SkipEnd = false;
    TimerScritteLampeggianti.SetEnabled(true);
}

bool TMainForm::GameOverFrame() { return ++Vars.FrameCounter > 500 || Vars.SkipEnd; }

void TMainForm::EndGame() {
    // Cut short, the pause leaves the score waiting would have given.
    Play_->FinishEscapeBonus();
    Vars.SkipEnd = false;
    const int32_t score = Play_->Vars.Score;
    StopPlay();
    const int place = FindHallPlace(Vars.HallOfFame, score);
    Vars.NewEntryRank = static_cast<int8_t>(place);
    if (place < 0) {
        BeginIntro();
        Vars.GameState = gsIntro;
    } else {
        Vars.NameDone = false;
        Vars.PadLetter = 'A';
        Vars.PadNaming = false;
        InsertHallEntry(Vars.HallOfFame, place, score, Vars.ChosenLevel);
        Vars.GameState = gsNameEntry;
    }
}

TTextWriter TMainForm::Text() { return TTextWriter(MainScreen.Surface(), FontSurface.get(), DigitSurface.get()); }

void TMainForm::EngineTimerTimer(int /*lagCount*/) {
    if (TickBusy) return;
    TickBusy = true;
    struct Clear { bool& Flag; ~Clear() { Flag = false; } } clear{TickBusy};
    if (!MainScreen.CanDraw()) return;
    // While the help page is shown, the screen behind it does not run.
    if (Vars.HelpShown) {
        HelpFrame();
    } else {
        switch (Vars.GameState) {
            case gsIntro: IntroFrame(); break;
            case gsHallOfFame: HallOfFameFrame(); break;
            case gsNameEntry: NameEntryFrame(); break;
            case gsLevelChoice: LevelChoiceFrame(); break;
            case gsExitPreview: Play_->ExitPreviewFrame(); break;
            default: PlayFrame(); break;
        }
    }
    DrawOverlays();
    MainScreen.Flip();
}

}  // namespace tibo
