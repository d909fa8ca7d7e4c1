#include "framework/platform/MixerLibrary.h"

#include <dlfcn.h>

#include <type_traits>

namespace tibo {

bool TMixLibrary::Find() {
    void* lib = dlopen("libSDL2_mixer-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (lib == nullptr) return false;
    const auto find = [lib](auto& function, const char* name) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(lib, name));
        return function != nullptr;
    };
    return find(OpenAudio, "Mix_OpenAudio") && find(CloseAudio, "Mix_CloseAudio") &&
           find(QuerySpec, "Mix_QuerySpec") && find(AllocateChannels, "Mix_AllocateChannels") &&
           find(QuickLoad_RAW, "Mix_QuickLoad_RAW") && find(FreeChunk, "Mix_FreeChunk") &&
           find(PlayChannel, "Mix_PlayChannel") && find(HaltChannel, "Mix_HaltChannel") &&
           find(Playing, "Mix_Playing") && find(Volume, "Mix_Volume") && find(SetPanning, "Mix_SetPanning") &&
           find(MasterVolume, "Mix_MasterVolume") && find(Pause, "Mix_Pause") && find(Resume, "Mix_Resume");
}

}  // namespace tibo
