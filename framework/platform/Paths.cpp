#include <SDL.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "framework/platform/Platform.h"

namespace tibo {

std::string UserConfigDir() {
    // An empty or relative XDG_DATA_HOME counts as unset; SDL would take it as
    // it stands and make a folder at the top of the file system or in the
    // current one.
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] != '/') {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] != '/') return {};
        std::string dir = std::string(home) + "/.local/share/tibo/";
        std::error_code failed;
        std::filesystem::create_directories(dir, failed);
        if (failed) return {};
        return dir;
    }
    // Otherwise SDL gives $XDG_DATA_HOME/tibo/ or ~/.local/share/tibo/, made
    // if missing, with the trailing slash.
    char* path = SDL_GetPrefPath("", "tibo");
    if (path == nullptr) return {};
    std::string dir(path);
    SDL_free(path);
    return dir;
}

}  // namespace tibo
