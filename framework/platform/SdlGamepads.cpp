#include "framework/platform/SdlGamepads.h"

#include <algorithm>

#include "framework/Gamepad.h"

namespace tibo {

void TSdlGamepads::Open(const std::string& mappings) {
    // Game controllers are optional: the game runs without them.
    Started_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    // More controllers' mappings, read and checked by the caller (those plugged
    // in already are announced as added once events are read).
    if (Started_ && !mappings.empty()) {
        SDL_RWops* rw = SDL_RWFromConstMem(mappings.data(), static_cast<int>(mappings.size()));
        if (rw != nullptr) SDL_GameControllerAddMappingsFromRW(rw, 1);
    }
}

void TSdlGamepads::Close() {
    for (SDL_GameController* pad : Pads_) SDL_GameControllerClose(pad);
    Pads_.clear();
    if (Started_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    Started_ = false;
}

std::optional<TPlatformEvent> TSdlGamepads::Event(const SDL_Event& e) {
    TPlatformEvent ev;
    switch (e.type) {
        case SDL_CONTROLLERDEVICEADDED: {
            // Announced once for every controller there at the start, then on
            // every plug-in; `which` is the device index here.
            SDL_GameController* pad = SDL_GameControllerOpen(e.cdevice.which);
            if (pad == nullptr) return std::nullopt;
            if (std::find(Pads_.begin(), Pads_.end(), pad) != Pads_.end()) SDL_GameControllerClose(pad);  // opened twice
            else Pads_.push_back(pad);
            return std::nullopt;
        }
        case SDL_CONTROLLERDEVICEREMOVED: {
            // `which` is the instance id here.
            const auto it = std::find_if(Pads_.begin(), Pads_.end(), [&](SDL_GameController* pad) {
                return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad)) == e.cdevice.which;
            });
            if (it == Pads_.end()) return std::nullopt;
            SDL_GameControllerClose(*it);
            Pads_.erase(it);
            StickX_ = StickY_ = 0;
            ev.Type = TPlatformEvent::Kind::PadRemoved;
            return ev;
        }
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: {
            TPadButton button{};
            switch (e.cbutton.button) {
                case SDL_CONTROLLER_BUTTON_A: button = TPadButton::South; break;
                case SDL_CONTROLLER_BUTTON_B: button = TPadButton::East; break;
                case SDL_CONTROLLER_BUTTON_X: button = TPadButton::West; break;
                case SDL_CONTROLLER_BUTTON_Y: button = TPadButton::North; break;
                case SDL_CONTROLLER_BUTTON_START: button = TPadButton::Start; break;
                case SDL_CONTROLLER_BUTTON_BACK: button = TPadButton::Back; break;
                case SDL_CONTROLLER_BUTTON_DPAD_UP: button = TPadButton::Up; break;
                case SDL_CONTROLLER_BUTTON_DPAD_DOWN: button = TPadButton::Down; break;
                case SDL_CONTROLLER_BUTTON_DPAD_LEFT: button = TPadButton::Left; break;
                case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: button = TPadButton::Right; break;
                default: return std::nullopt;
            }
            ev.Type = e.type == SDL_CONTROLLERBUTTONDOWN ? TPlatformEvent::Kind::PadDown : TPlatformEvent::Kind::PadUp;
            ev.Button = static_cast<int>(button);
            return ev;
        }
        case SDL_CONTROLLERAXISMOTION:
            if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) StickX_ = e.caxis.value;
            else if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) StickY_ = e.caxis.value;
            else return std::nullopt;
            ev.Type = TPlatformEvent::Kind::PadStick;
            ev.X = StickX_;
            ev.Y = StickY_;
            return ev;
        default:
            return std::nullopt;
    }
}

}  // namespace tibo
