#pragma once
// The input component: keyboard (and later a gamepad as joystick) turned into
// abstract input states through a fixed key-assignment table.
#include <array>
#include <cstdint>
#include <functional>

namespace tibo {

enum TInputState : int {
    StateUp = 0, StateDown = 1, StateLeft = 2, StateRight = 3,
    StateButton1 = 4, StateButton2 = 5, StateButton9 = 12, StateButton32 = 35,
};
constexpr int InputStateCount = 36;
using TInputStates = uint64_t;  // bit n = state n (40 bits used)
constexpr TInputStates StateBit(int n) { return TInputStates{1} << n; }

class TInputDevice {
public:
    virtual ~TInputDevice() = default;
    bool Enabled = false;
    bool BindInputStates = false;
    TInputStates States = 0;    // the states read by the last Read
    virtual void Read(bool foreground) = 0;
};

class TKeyboard final : public TInputDevice {
public:
    TKeyboard();
    // Three virtual-key codes per state (0 = none); the form's table by default.
    std::array<std::array<int32_t, 3>, InputStateCount> Assigns{};
    static std::array<std::array<int32_t, 3>, InputStateCount> DefaultAssigns();

    // Fed by the platform's key events: the held-key state of each virtual key.
    void KeyDown(int vk);
    void KeyUp(int vk);
    void ReleaseAll();
    bool Held(int vk) const { return vk > 0 && vk < 256 && Held_[static_cast<size_t>(vk)]; }

    // The key table of the last read: high bit set for pressed keys.
    const std::array<uint8_t, 256>& Keys() const { return Keys_; }
    void Read(bool foreground) override;

private:
    std::array<bool, 256> Held_{};
    std::array<uint8_t, 256> Keys_{};
};

// A device whose states are set from outside: a game controller's events are
// turned into states (stick or pad to StateUp..StateRight, buttons to
// StateButton1..) by whoever owns the controller; Update picks them up when the
// joystick is Enabled (and, with BindInputStates, merges them with the keys).
class TJoystick final : public TInputDevice {
public:
    void SetStates(TInputStates s) { Pending_ = s; }
    void SetState(int state, bool on);   // one state; out-of-range states are ignored
    void ReleaseAll() { Pending_ = 0; }
    TInputStates PendingStates() const { return Pending_; }
    void Read(bool foreground) override;
private:
    TInputStates Pending_ = 0;
};

class TMouseInput final : public TInputDevice {
public:
    void Read(bool) override { States = 0; }
};

class TInput {
public:
    // `owner` is the form the component sits on; nullptr raises "Form not found".
    // The keyboard comes enabled and bound to the states, as on the game's form;
    // the joystick and the mouse are disabled and unbound.
    explicit TInput(const void* owner);

    bool ActiveOnly = true;
    TKeyboard Keyboard;
    TJoystick Joystick;
    TMouseInput Mouse;
    // Whether the owning window is in the foreground (always true headless).
    // Unset counts as the foreground.
    std::function<bool()> IsForeground;

    // Reads the devices and refreshes States and LastStates.
    void Update();
    TInputStates States = 0;
    TInputStates LastStates = 0;
    bool IsPressed(int state) const { return (States & StateBit(state)) != 0; }
    void Clear(int state) { States &= ~StateBit(state); }
};

}  // namespace tibo
