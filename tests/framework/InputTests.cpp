#include "framework/Input.h"

#include <gtest/gtest.h>

#include "framework/Errors.h"
#include "framework/Gamepad.h"
#include "framework/KeyCodes.h"

namespace tibo {
namespace {

class InputTest : public ::testing::Test {
protected:
    InputTest() : Input(&Form) { Input.IsForeground = [this] { return Foreground; }; }
    int Form = 0;
    bool Foreground = true;
    TInput Input;
};

TEST_F(InputTest, NeedsAForm) {
    try {
        TInput orphan(nullptr);
        FAIL() << "no error";
    } catch (const EInputError& e) {
        EXPECT_STREQ(e.what(), "Form not found");
    }
}

TEST_F(InputTest, TheGameKeyTableGivesItsStates) {
    const auto a = TKeyboard::DefaultAssigns();
    EXPECT_EQ(a[StateUp], (std::array<int32_t, 3>{75, 38, 104}));
    EXPECT_EQ(a[StateRight], (std::array<int32_t, 3>{76, 39, 102}));
    EXPECT_EQ(a[StateButton2], (std::array<int32_t, 3>{88, 13, 0}));
    EXPECT_EQ(a[StateButton1 + 2], (std::array<int32_t, 3>{0, 0, 0}));

    Input.Keyboard.KeyDown(VkSpace);
    Input.Keyboard.KeyDown(VkEnter);
    Input.Keyboard.KeyDown(VkF2);
    Input.Keyboard.KeyDown(VkPad8);
    Input.Update();
    EXPECT_EQ(Input.States, StateBit(StateUp) | StateBit(StateButton1) | StateBit(StateButton2) | StateBit(StateButton9));
    EXPECT_EQ(Input.Keyboard.Keys()[VkSpace], 0x80);
    EXPECT_EQ(Input.Keyboard.Keys()[VkRight], 0);
}

TEST_F(InputTest, TwoKeysOfOneStateKeepItUntilBothAreUp) {
    Input.Keyboard.KeyDown(VkUp);
    Input.Keyboard.KeyDown(VkK);
    Input.Update();
    EXPECT_TRUE(Input.IsPressed(StateUp));
    Input.Keyboard.KeyUp(VkK);
    Input.Update();
    EXPECT_TRUE(Input.IsPressed(StateUp));
    Input.Keyboard.KeyUp(VkUp);
    Input.Update();
    EXPECT_FALSE(Input.IsPressed(StateUp));
}

TEST_F(InputTest, AStateClearedByItsReaderWaitsForANewPress) {
    Input.Keyboard.KeyDown(VkSpace);
    Input.Update();
    ASSERT_TRUE(Input.IsPressed(StateButton1));
    Input.Clear(StateButton1);   // the hero took his shot
    Input.Update();
    EXPECT_FALSE(Input.IsPressed(StateButton1));
    Input.Update();
    EXPECT_FALSE(Input.IsPressed(StateButton1));
    Input.Keyboard.KeyUp(VkSpace);
    Input.Update();
    Input.Keyboard.KeyDown(VkSpace);
    Input.Update();
    EXPECT_TRUE(Input.IsPressed(StateButton1));
}

TEST_F(InputTest, NoKeysOutsideTheForeground) {
    Input.Keyboard.KeyDown(VkUp);
    Foreground = false;
    Input.Update();
    EXPECT_FALSE(Input.IsPressed(StateUp));
    EXPECT_EQ(Input.Keyboard.Keys()[VkUp], 0);
    // Back in front with the key still held: it counts as a new press.
    Foreground = true;
    Input.Update();
    EXPECT_TRUE(Input.IsPressed(StateUp));
    // Without ActiveOnly the keys count in the background too.
    Input.ActiveOnly = false;
    Foreground = false;
    Input.Update();
    EXPECT_TRUE(Input.IsPressed(StateUp));
}

TEST_F(InputTest, DisabledOrUnboundKeyboardGivesNothing) {
    Input.Keyboard.KeyDown(VkUp);
    Input.Keyboard.BindInputStates = false;
    Input.Update();
    EXPECT_TRUE(Input.Keyboard.States & StateBit(StateUp));   // read, but not bound
    EXPECT_EQ(Input.States, 0u);
    Input.Keyboard.BindInputStates = true;
    Input.Keyboard.Enabled = false;
    Input.Update();
    EXPECT_EQ(Input.Keyboard.States, 0u);
    EXPECT_EQ(Input.States, 0u);
}

TEST_F(InputTest, KeyCodesOutsideTheTableAreIgnored) {
    Input.Keyboard.KeyDown(0);
    Input.Keyboard.KeyDown(256);
    Input.Keyboard.KeyDown(-3);
    Input.Keyboard.Assigns[StateButton1 + 5] = {0, 300, -1};
    Input.Update();
    EXPECT_EQ(Input.States, 0u);
    Input.Keyboard.KeyDown(VkK);
    Input.Keyboard.ReleaseAll();
    Input.Update();
    EXPECT_EQ(Input.States, 0u);
}

TEST_F(InputTest, JoystickStatesMergeWithTheKeys) {
    // Disabled and unbound as on the game's form: nothing comes through.
    Input.Joystick.SetState(StateLeft, true);
    Input.Update();
    EXPECT_FALSE(Input.IsPressed(StateLeft));

    Input.Joystick.Enabled = true;
    Input.Joystick.BindInputStates = true;
    Input.Update();
    EXPECT_TRUE(Input.IsPressed(StateLeft));

    // The same state from both devices stays until both let go.
    Input.Keyboard.KeyDown(VkH);  // left
    Input.Joystick.SetState(StateButton1, true);
    Input.Update();
    EXPECT_TRUE(Input.IsPressed(StateButton1));
    Input.Joystick.SetState(StateLeft, false);
    Input.Update();
    EXPECT_TRUE(Input.IsPressed(StateLeft));
    Input.Keyboard.KeyUp(VkH);
    Input.Update();
    EXPECT_FALSE(Input.IsPressed(StateLeft));

    // Out-of-range states are ignored; the joystick too keeps still in the background.
    Input.Joystick.SetState(InputStateCount, true);
    Input.Joystick.SetState(-1, true);
    EXPECT_EQ(Input.Joystick.PendingStates(), StateBit(StateButton1));
    Foreground = false;
    Input.Update();
    EXPECT_FALSE(Input.IsPressed(StateButton1));
}

TEST_F(InputTest, KeptPressesCountForTheNextReadEvenWhenLetGoBeforeIt) {
    Input.KeptPresses = StateBit(StateButton1) | StateBit(StateButton2);
    Input.Joystick.Enabled = true;
    Input.Joystick.BindInputStates = true;
    // A tap of Space between two reads: held for that read, let go at the next.
    Input.Keyboard.KeyDown(VkSpace);
    Input.Keyboard.KeyUp(VkSpace);
    Input.Update();
    EXPECT_TRUE(Input.IsPressed(StateButton1));
    EXPECT_TRUE(Input.WentDown(StateButton1));
    Input.Update();
    EXPECT_FALSE(Input.IsPressed(StateButton1));
    EXPECT_FALSE(Input.WentDown(StateButton1));
    // A state not kept is lost as before, though its press is told.
    Input.Keyboard.KeyDown(VkRight);
    Input.Keyboard.KeyUp(VkRight);
    Input.Update();
    EXPECT_FALSE(Input.IsPressed(StateRight));
    EXPECT_TRUE(Input.WentDown(StateRight));
    // Held, it is one press; the keyboard's repeats are none.
    Input.Keyboard.KeyDown(VkEnter);
    Input.Update();
    Input.Keyboard.KeyDown(VkEnter);
    Input.Update();
    EXPECT_TRUE(Input.IsPressed(StateButton2));
    EXPECT_FALSE(Input.WentDown(StateButton2));
    // Let go and held again between two reads: a new press, and back in
    // States if its reader had cleared it.
    Input.Clear(StateButton2);
    Input.Keyboard.KeyUp(VkEnter);
    Input.Keyboard.KeyDown(VkEnter);
    Input.Update();
    EXPECT_TRUE(Input.WentDown(StateButton2));
    EXPECT_TRUE(Input.IsPressed(StateButton2));
    Input.Keyboard.KeyUp(VkEnter);
    // The pad's buttons alike.
    Input.Joystick.SetState(StateButton1, true);
    Input.Joystick.SetStates(0);
    Input.Update();
    EXPECT_TRUE(Input.IsPressed(StateButton1));
    Input.Update();
    EXPECT_FALSE(Input.IsPressed(StateButton1));
    // Forgotten presses are gone; held keys stay held.
    Input.Keyboard.KeyDown(VkSpace);
    Input.Keyboard.KeyUp(VkSpace);
    Input.Joystick.SetStates(StateBit(StateButton2));
    Input.Joystick.SetStates(0);
    Input.Keyboard.KeyDown(VkUp);
    Input.ForgetPresses();
    Input.Update();
    EXPECT_EQ(Input.States, StateBit(StateUp));
    EXPECT_EQ(Input.Presses, 0u);
    // Outside the foreground no press counts.
    Input.Keyboard.KeyDown(VkSpace);
    Input.Keyboard.KeyUp(VkSpace);
    Foreground = false;
    Input.Update();
    Foreground = true;
    Input.Update();
    EXPECT_FALSE(Input.IsPressed(StateButton1));
}

TEST(GamepadTest, DPadStickAndButtonsGiveTheJoysticksStatesPastTheDeadZone) {
    TGamepad pad;
    pad.SetStick(StickDeadZone, -StickDeadZone);
    EXPECT_EQ(pad.States(), 0u) << "a stick resting within the dead zone is no direction";
    pad.SetStick(StickDeadZone + 1, -32768);
    EXPECT_EQ(pad.States(), StateBit(StateRight) | StateBit(StateUp)) << "y grows downwards";
    pad.SetStick(-32768, 32767);
    EXPECT_EQ(pad.States(), StateBit(StateLeft) | StateBit(StateDown));
    pad.SetStick(0, 0);
    pad.SetButton(TPadButton::Up, true);
    pad.SetButton(TPadButton::South, true);
    pad.SetButton(TPadButton::East, true);
    pad.SetButton(TPadButton::North, true);  // bound to no state
    EXPECT_EQ(pad.States(), StateBit(StateUp) | StateBit(StateButton1) | StateBit(StateButton2));
    pad.SetStick(0, -20000);
    pad.SetButton(TPadButton::Up, false);
    EXPECT_EQ(pad.States() & StateBit(StateUp), StateBit(StateUp)) << "the stick holds up after the D-pad lets go";
    pad.ReleaseAll();
    EXPECT_EQ(pad.States(), 0u);
    TPadButton b{};
    EXPECT_TRUE(PadButtonFromName("START", b));
    EXPECT_EQ(b, TPadButton::Start);
    for (int i = 0; i < PadButtonCount; ++i) {
        ASSERT_TRUE(PadButtonFromName(PadButtonName(static_cast<TPadButton>(i)), b));
        EXPECT_EQ(static_cast<int>(b), i);
    }
    EXPECT_FALSE(PadButtonFromName("a", b));
    EXPECT_FALSE(PadButtonFromName("", b));
}

}  // namespace
}  // namespace tibo
