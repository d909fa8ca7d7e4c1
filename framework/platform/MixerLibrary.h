#pragma once
// The functions of SDL_mixer that the audio device uses (SdlAudio.cpp).
//
// SDL_mixer is loaded as the audio device is opened (on a thread of its own),
// not with the program: it brings some twenty libraries of its own (music
// formats, a synthesiser, their toolkits) that would slow every start. Once
// loaded it stays to the end of the program; the table of its functions is
// the device's, handed to what plays on it.
#include <SDL_mixer.h>

namespace tibo {

struct TMixLibrary {
    decltype(&::Mix_OpenAudio) OpenAudio = nullptr;
    decltype(&::Mix_CloseAudio) CloseAudio = nullptr;
    decltype(&::Mix_QuerySpec) QuerySpec = nullptr;
    decltype(&::Mix_AllocateChannels) AllocateChannels = nullptr;
    decltype(&::Mix_QuickLoad_RAW) QuickLoad_RAW = nullptr;
    decltype(&::Mix_FreeChunk) FreeChunk = nullptr;
    decltype(&::Mix_PlayChannel) PlayChannel = nullptr;
    decltype(&::Mix_HaltChannel) HaltChannel = nullptr;
    decltype(&::Mix_Playing) Playing = nullptr;
    decltype(&::Mix_Volume) Volume = nullptr;
    decltype(&::Mix_SetPanning) SetPanning = nullptr;
    decltype(&::Mix_MasterVolume) MasterVolume = nullptr;
    decltype(&::Mix_Pause) Pause = nullptr;
    decltype(&::Mix_Resume) Resume = nullptr;

    // Finds every function, loading the library; false when the library or
    // one of them is missing.
    bool Find();
};

}  // namespace tibo
