#include "framework/Gamepad.h"

#include <cctype>

namespace tibo {
namespace {

constexpr std::array<std::string_view, PadButtonCount> Names = {"south", "east",  "west", "north", "start",
                                                                "back",  "up",    "down", "left",  "right"};

}  // namespace

bool PadButtonFromName(std::string_view name, TPadButton& button) {
    for (size_t i = 0; i < Names.size(); ++i) {
        const std::string_view n = Names[i];
        if (n.size() != name.size()) continue;
        bool same = true;
        for (size_t c = 0; c < n.size() && same; ++c)
            same = std::tolower(static_cast<unsigned char>(name[c])) == n[c];
        if (same) {
            button = static_cast<TPadButton>(i);
            return true;
        }
    }
    return false;
}

std::string_view PadButtonName(TPadButton button) {
    const auto i = static_cast<size_t>(button);
    return i < Names.size() ? Names[i] : std::string_view("?");
}

std::string PadButtonNames() {
    std::string line;
    for (std::string_view n : Names) line += (line.empty() ? "" : " ") + std::string(n);
    return line;
}

TInputStates StickDirections(int x, int y) {
    TInputStates s = 0;
    if (x < -StickDeadZone) s |= StateBit(StateLeft);
    if (x > StickDeadZone) s |= StateBit(StateRight);
    if (y < -StickDeadZone) s |= StateBit(StateUp);
    if (y > StickDeadZone) s |= StateBit(StateDown);
    return s;
}

TInputStates TGamepad::States() const {
    TInputStates s = StickDirections(StickX_, StickY_);
    const std::pair<TPadButton, int> bound[] = {{TPadButton::Up, StateUp},         {TPadButton::Down, StateDown},
                                                {TPadButton::Left, StateLeft},     {TPadButton::Right, StateRight},
                                                {TPadButton::South, StateButton1}, {TPadButton::East, StateButton2}};
    for (auto [button, state] : bound)
        if (Held(button)) s |= StateBit(state);
    return s;
}

}  // namespace tibo
