// Control bindings read against scripted keyboard and joystick input.
#include "controls/controls.h"

#include <gtest/gtest.h>

#include "platform/headless/script_input.h"
#include "platform/input.h"

namespace {

namespace hl = platform::headless;
using controls::ControlDown;
using controls::DetectInput;
using controls::InputDown;
using controls::InputName;

class Controls : public ::testing::Test {
  protected:
    void SetUp() override {
        hl::UseScriptInput();
        controls::ResetControls();
    }
    void TearDown() override {
        hl::UseScriptInput();
        controls::ResetControls();
    }
    // Attaches a pad on the next port and takes the start-up snapshot again.
    int AttachPad(int buttons = 20) {
        const int port = hl::AttachJoystick("Pad", buttons);
        controls::InitControls();
        return port;
    }
};

TEST_F(Controls, DefaultsDrivePlayerOneOnly) {
    controls::InitControls();
    EXPECT_EQ(controls::JoyPortCount, 0);
    const int expected[][2] = {{controls::Up, 38},       {controls::Down, 40},      {controls::Left, 37},
                               {controls::Right, 39},    {controls::FaceGreen, 90}, {controls::FaceRed, 88},
                               {controls::FaceBlue, 67}, {controls::FaceYellow, 86}};
    for (const auto& [control, key] : expected) {
        EXPECT_EQ(controls::ControlBindings[control], key);
        EXPECT_FALSE(ControlDown(control, 1));
        hl::PressKey(key);
        EXPECT_TRUE(ControlDown(control, 1)) << "control " << control;
        for (int player = 2; player <= 4; ++player) EXPECT_FALSE(ControlDown(control, player));
        hl::ReleaseKey(key);
        EXPECT_FALSE(ControlDown(control, 1));
    }
    int bound = 0;
    for (int code : controls::ControlBindings) bound += code != 0 ? 1 : 0;
    EXPECT_EQ(bound, 8);
}

TEST_F(Controls, UnboundAndUnreadableCodesAreNeverHeld) {
    controls::InitControls();
    // Control 1 of player 1 is unbound; no key makes it fire.
    for (int key = 1; key <= 254; ++key) hl::PressKey(key);
    EXPECT_FALSE(ControlDown(1, 1));
    EXPECT_FALSE(InputDown(0));
    // Codes 1 to 9 are named but never read, even while the platform reports them.
    for (int code = 1; code <= 9; ++code) EXPECT_FALSE(InputDown(code)) << code;
    EXPECT_TRUE(InputDown(10));
    EXPECT_TRUE(InputDown(254));
    EXPECT_FALSE(InputDown(299));
    EXPECT_FALSE(InputDown(500));
    EXPECT_FALSE(InputDown(-38));
    // Pairs outside the table read as not held instead of reading past it.
    EXPECT_FALSE(ControlDown(20, 1));
    EXPECT_FALSE(ControlDown(0, 6));
    EXPECT_FALSE(ControlDown(0, 0));
}

TEST_F(Controls, SnapshotRecordsEachPortAtStartUp) {
    const int port = hl::AttachJoystick("Arcade Stick", 12);
    hl::SetJoyAxis(port, platform::JoyX, 0.1f);
    hl::SetJoyAxis(port, platform::JoyR, -0.4f);
    hl::SetJoyAxis(port, platform::JoyV, 0.6f);
    controls::InitControls();
    ASSERT_EQ(controls::JoyPortCount, 1);
    const controls::JoyPort& p = controls::JoyPorts[1];
    EXPECT_EQ(p.enabled, 1);
    EXPECT_EQ(p.name, "Arcade Stick");
    EXPECT_EQ(p.button_count, 12);
    EXPECT_FLOAT_EQ(p.rest_x, 0.1f);
    EXPECT_FLOAT_EQ(p.rest_r, -0.4f);
    EXPECT_FLOAT_EQ(p.rest_v, 0.6f);
    EXPECT_FLOAT_EQ(p.rest_y, 0.0f);
    EXPECT_EQ(p.hat_usable, 1);
    EXPECT_EQ(controls::JoyPorts[2].enabled, 0);
    // Directions are judged against the rest value, not against the axis centre.
    hl::SetJoyAxis(port, platform::JoyX, 0.1f + 0.31f);
    EXPECT_TRUE(InputDown(controls::JoyCode(1, controls::JoyXPlus)));
    hl::SetJoyAxis(port, platform::JoyX, 0.35f);
    EXPECT_FALSE(InputDown(controls::JoyCode(1, controls::JoyXPlus)));
    // An axis resting at -0.4 is not "minus" until it passes -0.7.
    hl::SetJoyAxis(port, platform::JoyR, -0.6f);
    EXPECT_FALSE(InputDown(controls::JoyCode(1, controls::JoyRMinus)));
    hl::SetJoyAxis(port, platform::JoyR, -0.75f);
    EXPECT_TRUE(InputDown(controls::JoyCode(1, controls::JoyRMinus)));
}

TEST_F(Controls, AxisThresholdIsStrict) {
    const int port = AttachPad();
    hl::SetJoyAxis(port, platform::JoyY, -0.31f);
    EXPECT_TRUE(InputDown(300));
    EXPECT_EQ(DetectInput(), 300);
    hl::SetJoyAxis(port, platform::JoyY, -0.3f);
    EXPECT_FALSE(InputDown(300));
    EXPECT_EQ(DetectInput(), 0);
    hl::SetJoyAxis(port, platform::JoyY, 0.3f);
    EXPECT_FALSE(InputDown(301));
    hl::SetJoyAxis(port, platform::JoyY, 0.31f);
    EXPECT_TRUE(InputDown(301));
    EXPECT_FALSE(InputDown(300));
}

TEST_F(Controls, EachAxisDirectionHasItsOwnCode) {
    const int port = AttachPad();
    // Offsets in pairs: y, x, z, u, v, r.
    const int axes[6] = {platform::JoyY, platform::JoyX, platform::JoyZ,
                         platform::JoyU, platform::JoyV, platform::JoyR};
    for (int pair = 0; pair < 6; ++pair) {
        for (int plus = 0; plus <= 1; ++plus) {
            hl::SetJoyAxis(port, axes[pair], plus ? 0.9f : -0.9f);
            const int code = controls::JoyCode(1, pair * 2 + plus);
            EXPECT_EQ(DetectInput(), code);
            for (int other = 300; other <= 311; ++other) EXPECT_EQ(InputDown(other), other == code) << other;
            hl::SetJoyAxis(port, axes[pair], 0.0f);
        }
    }
}

TEST_F(Controls, HatRangesOverlapButDetectionWantsExactPositions) {
    const int port = AttachPad();
    hl::SetJoyHat(port, 0.125f);
    EXPECT_TRUE(InputDown(320));
    EXPECT_TRUE(InputDown(325));
    EXPECT_FALSE(InputDown(328));
    EXPECT_FALSE(InputDown(323));
    EXPECT_EQ(DetectInput(), 0);
    hl::SetJoyButton(port, 2, true);
    EXPECT_EQ(DetectInput(), 332);
    hl::SetJoyButton(port, 2, false);

    const struct {
        float hat;
        int code;
    } exact[] = {{0.0f, 320}, {0.25f, 325}, {0.5f, 328}, {0.75f, 323}};
    for (const auto& e : exact) {
        hl::SetJoyHat(port, e.hat);
        EXPECT_EQ(DetectInput(), e.code);
        EXPECT_TRUE(InputDown(e.code));
    }
    hl::SetJoyHat(port, 0.95f);
    EXPECT_TRUE(InputDown(320));
    EXPECT_TRUE(!InputDown(323));
    hl::SetJoyHat(port, -1.0f);
    for (int code : {320, 323, 325, 328}) EXPECT_FALSE(InputDown(code));
    EXPECT_EQ(DetectInput(), 0);
}

TEST_F(Controls, HatNotCentredAtStartUpIsIgnored) {
    const int port = hl::AttachJoystick("Drifting", 4);
    hl::SetJoyHat(port, 0.5f);
    controls::InitControls();
    EXPECT_EQ(controls::JoyPorts[1].hat_usable, 0);
    for (float hat : {0.0f, 0.25f, 0.5f, 0.75f}) {
        hl::SetJoyHat(port, hat);
        for (int code : {320, 323, 325, 328}) EXPECT_FALSE(InputDown(code));
        EXPECT_EQ(DetectInput(), 0);
    }
}

TEST_F(Controls, ButtonsAndTheScanOrder) {
    const int first = AttachPad(20);
    const int second = AttachPad(20);
    ASSERT_EQ(controls::JoyPortCount, 2);
    hl::SetJoyButton(second, 0, true);
    EXPECT_EQ(DetectInput(), 380);
    EXPECT_TRUE(InputDown(380));
    // Port 1 is scanned before port 2, and within a port axes come before buttons.
    hl::SetJoyButton(first, 5, true);
    EXPECT_EQ(DetectInput(), 335);
    hl::SetJoyAxis(first, platform::JoyV, 0.5f);
    EXPECT_EQ(DetectInput(), 309);
    hl::SetJoyAxis(first, platform::JoyY, -0.5f);
    EXPECT_EQ(DetectInput(), 300);
    // Any key beats every joystick input.
    hl::PressKey(255);
    EXPECT_EQ(DetectInput(), 255);
}

TEST_F(Controls, ButtonNineteenIsReadButNeverDetected) {
    const int port = AttachPad(20);
    hl::SetJoyButton(port, 19, true);
    EXPECT_TRUE(InputDown(349));
    EXPECT_EQ(DetectInput(), 0);
    hl::SetJoyButton(port, 18, true);
    EXPECT_EQ(DetectInput(), 348);
}

TEST_F(Controls, HotkeysHideEveryOtherInput) {
    controls::InitControls();
    hl::PressKey(123);  // F12
    hl::PressKey(88);   // X
    EXPECT_EQ(DetectInput(), 0);
    hl::ReleaseKey(123);
    EXPECT_EQ(DetectInput(), 88);
    hl::PressKey(122);  // F11
    EXPECT_EQ(DetectInput(), 0);
    hl::ReleaseKey(122);
    hl::ReleaseKey(88);
    hl::PressKey(65);
    hl::PressKey(32);
    EXPECT_EQ(DetectInput(), 32);
    hl::ReleaseKey(65);
    hl::ReleaseKey(32);
    // Backspace is detected (the menu uses it to unbind) although it is never read as held.
    hl::PressKey(8);
    EXPECT_EQ(DetectInput(), 8);
}

TEST_F(Controls, DisabledOrMissingPortsAreDead) {
    const int port = AttachPad(4);
    controls::ControlBindings[controls::BindingIndex(controls::FaceRed, 2)] = 330;
    hl::SetJoyButton(port, 0, true);
    hl::SetJoyAxis(port, platform::JoyX, 1.0f);
    EXPECT_TRUE(ControlDown(controls::FaceRed, 2));
    controls::JoyPorts[1].enabled = 0;
    EXPECT_FALSE(ControlDown(controls::FaceRed, 2));
    EXPECT_FALSE(InputDown(303));
    EXPECT_EQ(DetectInput(), 0);
    EXPECT_EQ(controls::ControlBindings[controls::BindingIndex(controls::FaceRed, 2)], 330);
    controls::JoyPorts[1].enabled = 1;
    EXPECT_TRUE(ControlDown(controls::FaceRed, 2));
    // A pad plugged in after start-up is not in the snapshot, even if its entry is switched on.
    const int late = hl::AttachJoystick("Late", 4);
    hl::SetJoyButton(late, 0, true);
    controls::JoyPorts[2].enabled = 1;
    EXPECT_FALSE(InputDown(380));
}

TEST_F(Controls, NamesOfKeysAndJoystickInputs) {
    EXPECT_EQ(InputName(0), "None");
    for (int code : {96, 48, 330, 380}) EXPECT_EQ(InputName(code), "0") << code;
    EXPECT_EQ(InputName(93), "13");
    EXPECT_EQ(InputName(105), "9");
    EXPECT_EQ(InputName(65), "A");
    EXPECT_EQ(InputName(90), "Z");
    EXPECT_EQ(InputName(112), "F1");
    EXPECT_EQ(InputName(123), "F12");
    EXPECT_EQ(InputName(1), "Left Mousebutton");
    EXPECT_EQ(InputName(32), "Space");
    EXPECT_EQ(InputName(174), "Volume Down");
    EXPECT_EQ(InputName(109), InputName(189));
    EXPECT_EQ(InputName(220), "\\");
    EXPECT_EQ(InputName(226), "\\");
    EXPECT_EQ(InputName(222), "#");
    EXPECT_EQ(InputName(192), "'");
    EXPECT_EQ(InputName(300), "Y-");
    EXPECT_EQ(InputName(311), "R+");
    EXPECT_EQ(InputName(420), "Up");
    EXPECT_EQ(InputName(373), "Left");
    EXPECT_EQ(InputName(325), "Right");
    EXPECT_EQ(InputName(478), "Down");
    EXPECT_EQ(InputName(349), "19");
    EXPECT_EQ(InputName(312), "-18");
    EXPECT_EQ(InputName(500), "Y-");
}

}  // namespace
