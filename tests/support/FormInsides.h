#pragma once
// The main form's insides, for the tests and the benchmarks: the components,
// the game's variables and the steps of the game that the form keeps to
// itself, to look at and to set a game up with. The program never uses it.
#include <memory>

#include "shell/Main.h"

namespace tibo {

struct TFormInsides {
    explicit TFormInsides(TMainForm& form)
        : MainScreen(form.MainScreen), EngineTimer(form.EngineTimer), Sfondo(form.Sfondo), SoundDevice(form.SoundDevice),
          Suoni(form.Suoni), TimerScritteLampeggianti(form.TimerScritteLampeggianti), LogoSprite(form.LogoSprite),
          SelectionSprite(form.SelectionSprite), DigitSurface(form.DigitSurface), FontSurface(form.FontSurface),
          PictureSurface(form.PictureSurface), TickBusy(form.TickBusy), Latches(form.Latches), Vars(form.Vars), Form_(form) {}

    TDisplay& MainScreen;
    TFrameTimer& EngineTimer;
    TImageList& Sfondo;
    TSoundDevice& SoundDevice;
    TWaveList& Suoni;
    TTimer& TimerScritteLampeggianti;
    TBackgroundSprite*& LogoSprite;
    TImageSprite*& SelectionSprite;
    std::unique_ptr<TSurface>& DigitSurface;
    std::unique_ptr<TSurface>& FontSurface;
    std::unique_ptr<TSurface>& PictureSurface;
    bool& TickBusy;
    TButtonLatches& Latches;
    TGameVariables& Vars;

    TPlay* Play() { return Form_.Play(); }
    const TPlayVariables* FinishedPlay() const { return Form_.FinishedPlay(); }
    TSpriteEngine& Engine() { return Form_.Engine(); }
    // One frame, as the frame timer runs it, whatever the clock says.
    void EngineTimerTimer(int lagCount) { Form_.EngineTimerTimer(lagCount); }
    void StartLevel() { Form_.StartLevel(); }
    void StopPlay() { Form_.StopPlay(); }

private:
    TMainForm& Form_;
};

}  // namespace tibo
