#pragma once
// A game controller as the game sees it: the buttons of a common pad (the four
// face buttons by their place, Start, Back and the D-pad) and the left stick,
// turned into the joystick's input states.
#include <array>
#include <string>
#include <string_view>

#include "framework/Input.h"

namespace tibo {

enum class TPadButton : int { South, East, West, North, Start, Back, Up, Down, Left, Right };
constexpr int PadButtonCount = 10;

// The stick must lean this far (of 32767) before it counts as a direction.
constexpr int StickDeadZone = 8000;

// "south", "east", "west", "north", "start", "back", "up", "down", "left",
// "right" in any letter case; false when unknown.
bool PadButtonFromName(std::string_view name, TPadButton& button);
std::string_view PadButtonName(TPadButton button);
// The names above, in a line for messages and the help.
std::string PadButtonNames();

// The directions (StateUp..StateRight bits) of a stick position; y grows downwards.
TInputStates StickDirections(int x, int y);

class TGamepad {
public:
    void SetButton(TPadButton button, bool down) { Held_[Index(button)] = down; }
    bool Held(TPadButton button) const { return Held_[Index(button)]; }
    void SetStick(int x, int y) { StickX_ = x; StickY_ = y; }
    int StickX() const { return StickX_; }
    int StickY() const { return StickY_; }
    void ReleaseAll() { Held_.fill(false); StickX_ = StickY_ = 0; }
    // The D-pad and the stick give the directions, south fires (StateButton1)
    // and east lays bombs (StateButton2).
    TInputStates States() const;

private:
    static size_t Index(TPadButton b) { return static_cast<size_t>(b); }
    std::array<bool, PadButtonCount> Held_{};
    int StickX_ = 0, StickY_ = 0;
};

}  // namespace tibo
