#pragma once
// The form's game variables: the state of the screens around the play (which
// screen is up, the level and setting chosen, the name entry, the help page,
// the hall of fame), one instance per running game.
#include <cstdint>
#include <tuple>

#include "framework/FieldList.h"
#include "labyrinth/GameState.h"
#include "shell/HallOfFame.h"

namespace tibo {

struct TGameVariables {
    uint8_t GameState = gsIntro;
    int32_t FrameCounter = 0;
    bool AnyKey = false;
    bool NameDone = false;
    bool StartRequested = false;
    int8_t NewEntryRank = 0;
    // The name entry by pad: the letter up and down choose, and whether the
    // pad has been used there (then the letter is shown with the cursor).
    char PadLetter = 'A';
    bool PadNaming = false;
    uint8_t ChosenLevel = 0;
    uint8_t ChosenSetting = 0;
    bool Blink = false;
    THallOfFame HallOfFame = DefaultHallOfFame();
    uint8_t ScrollFirstLine = 0;
    int32_t ScrollOffset = 0;
    // The help page is shown over the screen of GameState, which waits; the
    // key that closed it is ignored until it is let go (0 for none).
    bool HelpShown = false;
    int32_t HelpClosingKey = 0;
    // Frames left of the "SCREENSHOT SAVED" notice after F12, and whether the
    // last screenshot could not be written (the notice says so instead).
    int32_t ScreenshotNoticeFrames = 0;
    bool ScreenshotFailed = false;
    // Escape (or EXIT) in a game asks first: the frames the question stays up
    // (0 when not asked), and the state the game goes back to.
    int32_t QuitQuestion = 0;
    uint8_t QuitReturnState = 0;
    // A key, click or button asked to cut the game-over pause short.
    bool SkipEnd = false;

    // Every variable above, as the state dump and the replay checksum write it.
    static constexpr auto Fields = std::tuple{
        Field("GameState", &TGameVariables::GameState),
        Field("FrameCounter", &TGameVariables::FrameCounter),
        Field("AnyKey", &TGameVariables::AnyKey),
        Field("NameDone", &TGameVariables::NameDone),
        Field("StartRequested", &TGameVariables::StartRequested),
        Field("NewEntryRank", &TGameVariables::NewEntryRank),
        Field("PadLetter", &TGameVariables::PadLetter),
        Field("PadNaming", &TGameVariables::PadNaming),
        Field("ChosenLevel", &TGameVariables::ChosenLevel),
        Field("ChosenSetting", &TGameVariables::ChosenSetting),
        // The blink timer runs on the wall clock in a window and only changes
        // what the captions look like.
        Field("Blink", &TGameVariables::Blink, TFieldUse::DumpOnly),
        Field("HallOfFame", &TGameVariables::HallOfFame),
        Field("ScrollFirstLine", &TGameVariables::ScrollFirstLine),
        Field("ScrollOffset", &TGameVariables::ScrollOffset),
        Field("HelpShown", &TGameVariables::HelpShown),
        Field("HelpClosingKey", &TGameVariables::HelpClosingKey),
        Field("ScreenshotNoticeFrames", &TGameVariables::ScreenshotNoticeFrames),
        // Whether the last screenshot could be written depends on the disk, not on the game.
        Field("ScreenshotFailed", &TGameVariables::ScreenshotFailed, TFieldUse::DumpOnly),
        Field("QuitQuestion", &TGameVariables::QuitQuestion),
        Field("QuitReturnState", &TGameVariables::QuitReturnState),
        Field("SkipEnd", &TGameVariables::SkipEnd),
    };
};
static_assert(ListsEveryMember<TGameVariables>(), "each game variable has its line in TGameVariables::Fields");

}  // namespace tibo
