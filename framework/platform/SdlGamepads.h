#pragma once
// The game controllers plugged in, for the window (SdlWindow.h). Thin on
// purpose: SDL's controller events become the game's pad events, and the game
// does the rest where it can be tested without a controller.
#include <SDL.h>

#include <optional>
#include <string>
#include <vector>

#include "framework/platform/Platform.h"

namespace tibo {

class TSdlGamepads {
public:
    // Starts SDL's game controllers, with more controllers' mappings from the
    // file `mappings` ("": none).
    void Open(const std::string& mappings);
    // Closes every controller and stops SDL's game controllers.
    void Close();
    // A controller event as the game's pad event, if it makes one.
    std::optional<TPlatformEvent> Event(const SDL_Event& e);

private:
    bool Started_ = false;
    std::vector<SDL_GameController*> Pads_;   // every controller plugged in
    int StickX_ = 0, StickY_ = 0;             // the left stick last moved
};

}  // namespace tibo
