#pragma once
// The input component: the keyboard (through a fixed key-assignment table) and
// the game controllers (as a joystick whose states their owner sets) turned
// into abstract input states.
#include <array>
#include <cstdint>
#include <functional>

namespace tibo {

enum TInputState : int {
    StateUp = 0, StateDown = 1, StateLeft = 2, StateRight = 3,
    StateButton1 = 4, StateButton2 = 5, StateButton9 = 12, StateButton32 = 35,
};
constexpr int InputStateCount = 36;
using TInputStates = uint64_t;  // bit n = state n (InputStateCount bits used)
constexpr TInputStates StateBit(int n) { return TInputStates{1} << n; }

class TInputDevice {
public:
    virtual ~TInputDevice() = default;
    bool Enabled = false;
    bool BindInputStates = false;
    TInputStates States = 0;    // the states read by the last Read
    TInputStates Presses = 0;   // the states that went down between the last two reads
    virtual void Read(bool foreground) = 0;
    // Forgets the presses made since the last read.
    virtual void ForgetPresses() {}
};

class TKeyboard final : public TInputDevice {
public:
    TKeyboard();
    // Three virtual-key codes per state (0 = none); the form's table by default.
    std::array<std::array<int32_t, 3>, InputStateCount> Assigns{};
    static std::array<std::array<int32_t, 3>, InputStateCount> DefaultAssigns();

    // Fed by the platform's key events: the held-key state of each virtual key.
    // A key that goes down (not a repeat of one held) is a press until the next read.
    void KeyDown(int vk);
    void KeyUp(int vk);
    void ReleaseAll();
    bool Held(int vk) const { return vk > 0 && vk < 256 && Held_[static_cast<size_t>(vk)]; }

    // The key table of the last read: high bit set for pressed keys.
    const std::array<uint8_t, 256>& Keys() const { return Keys_; }
    void Read(bool foreground) override;
    void ForgetPresses() override { WentDown_.fill(false); }

private:
    std::array<bool, 256> Held_{};
    std::array<bool, 256> WentDown_{};
    std::array<uint8_t, 256> Keys_{};
};

// A device whose states are set from outside: a game controller's events are
// turned into states (stick or pad to StateUp..StateRight, buttons to
// StateButton1..) by whoever owns the controller; Update picks them up when the
// joystick is Enabled (and, with BindInputStates, merges them with the keys).
class TJoystick final : public TInputDevice {
public:
    // States that come on are presses until the next read.
    void SetStates(TInputStates s) {
        WentDown_ |= s & ~Pending_;
        Pending_ = s;
    }
    void SetState(int state, bool on);   // one state; out-of-range states are ignored
    void ReleaseAll() { Pending_ = 0; }
    TInputStates PendingStates() const { return Pending_; }
    void Read(bool foreground) override;
    void ForgetPresses() override { WentDown_ = 0; }
private:
    TInputStates Pending_ = 0;
    TInputStates WentDown_ = 0;
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

    // The states whose presses count even when let go before the next read:
    // such a press is seen as held by that read, and as let go by the one after.
    // None unless the game asks for them.
    TInputStates KeptPresses = 0;

    // Reads the devices and refreshes States, LastStates and Presses.
    void Update();
    TInputStates States = 0;
    TInputStates LastStates = 0;
    // The states that went down since the read before (also those held again
    // after being let go in between).
    TInputStates Presses = 0;
    bool IsPressed(int state) const { return (States & StateBit(state)) != 0; }
    bool WentDown(int state) const { return (Presses & StateBit(state)) != 0; }
    void Clear(int state) { States &= ~StateBit(state); }
    // Presses made since the last read are forgotten (what is held stays held):
    // those made while nothing read the input, on another screen or in a pause.
    void ForgetPresses();
};

}  // namespace tibo
