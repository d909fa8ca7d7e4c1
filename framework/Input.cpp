#include "framework/Input.h"

#include "framework/Errors.h"
#include "framework/KeyCodes.h"

namespace tibo {

namespace {
// Every state the devices can report (bits 0 to 35).
constexpr TInputStates AllStates = (TInputStates{1} << InputStateCount) - 1;

bool ValidKey(int vk) { return vk > 0 && vk < 256; }
}  // namespace

// --- keyboard -----------------------------------------------------------------

TKeyboard::TKeyboard() : Assigns(DefaultAssigns()) {}

std::array<std::array<int32_t, 3>, InputStateCount> TKeyboard::DefaultAssigns() {
    std::array<std::array<int32_t, 3>, InputStateCount> a{};
    a[StateUp] = {VkK, VkUp, VkPad8};
    a[StateDown] = {VkJ, VkDown, VkPad2};
    a[StateLeft] = {VkH, VkLeft, VkPad4};
    a[StateRight] = {VkL, VkRight, VkPad6};
    a[StateButton1] = {VkZ, VkSpace, 0};
    a[StateButton2] = {VkX, VkEnter, 0};
    a[StateButton9] = {VkF2, 0, 0};
    return a;
}

void TKeyboard::KeyDown(int vk) {
    if (!ValidKey(vk)) return;
    const auto k = static_cast<size_t>(vk);
    if (!Held_[k]) WentDown_[k] = true;  // a repeat of a held key is no new press
    Held_[k] = true;
}

void TKeyboard::KeyUp(int vk) {
    if (ValidKey(vk)) Held_[static_cast<size_t>(vk)] = false;
}

void TKeyboard::ReleaseAll() { Held_.fill(false); }

void TKeyboard::Read(bool foreground) {
    Keys_.fill(0);
    States = 0;
    Presses = 0;
    const std::array<bool, 256> wentDown = WentDown_;
    WentDown_.fill(false);
    if (!Enabled || !foreground) return;
    for (size_t vk = 1; vk < Held_.size(); ++vk) {
        if (Held_[vk]) Keys_[vk] = 0x80;
    }
    for (int n = 0; n < InputStateCount; ++n) {
        for (const int32_t key : Assigns[static_cast<size_t>(n)]) {
            if (ValidKey(key) && (Keys_[static_cast<size_t>(key)] & 0x80) != 0) {
                States |= StateBit(n);
                break;
            }
        }
        for (const int32_t key : Assigns[static_cast<size_t>(n)]) {
            if (ValidKey(key) && wentDown[static_cast<size_t>(key)]) {
                Presses |= StateBit(n);
                break;
            }
        }
    }
}

// --- joystick -----------------------------------------------------------------

void TJoystick::SetState(int state, bool on) {
    if (state < 0 || state >= InputStateCount) return;
    if (on) {
        WentDown_ |= StateBit(state) & ~Pending_;
        Pending_ |= StateBit(state);
    } else {
        Pending_ &= ~StateBit(state);
    }
}

void TJoystick::Read(bool foreground) {
    const bool on = Enabled && foreground;
    States = on ? (Pending_ & AllStates) : 0;
    Presses = on ? (WentDown_ & AllStates) : 0;
    WentDown_ = 0;
}

// --- the input component ------------------------------------------------------

TInput::TInput(const void* owner) {
    if (owner == nullptr) throw EInputError(msg::FormNotFound);
    // The game's form uses the keyboard alone, bound to the states.
    Keyboard.Enabled = true;
    Keyboard.BindInputStates = true;
}

void TInput::Update() {
    const bool foreground = !ActiveOnly || !IsForeground || IsForeground();
    TInputStates fresh = 0, presses = 0;
    TInputDevice* const devices[] = {&Joystick, &Keyboard, &Mouse};
    for (TInputDevice* device : devices) {
        device->Read(foreground);
        if (device->BindInputStates) {
            fresh |= device->States;
            presses |= device->Presses;
        }
    }
    fresh &= AllStates;
    presses &= AllStates;
    // A kept press counts as held by this read even if let go already.
    const TInputStates seen = fresh | (presses & KeptPresses);
    // A state enters when it goes down and leaves when it goes up; a state the
    // reader cleared stays out until it is released and pressed again.
    const TInputStates pressed = seen & ~LastStates;
    const TInputStates released = ~seen & LastStates;
    States = (States | pressed | (presses & seen)) & ~released;
    LastStates = seen;
    Presses = presses;
}

void TInput::ForgetPresses() {
    Joystick.ForgetPresses();
    Keyboard.ForgetPresses();
    Mouse.ForgetPresses();
}

}  // namespace tibo
