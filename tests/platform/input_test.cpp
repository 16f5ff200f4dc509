// Input state through the scripted back-end: key hits and flags, the typed-character ring, mouse
// buttons, pointer and wheel, close requests, scheduling by frame and time, virtual joysticks.
#include "platform/input.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/headless/manual_clock.h"
#include "platform/headless/script_input.h"

namespace {

namespace hl = platform::headless;
using namespace platform;

class ScriptedInput : public ::testing::Test {
  protected:
    void SetUp() override {
        hl::UseManualClock(1000);
        hl::UseScriptInput();
    }
    void TearDown() override {
        hl::UseSdlInput();
        hl::UseRealClock();
    }
};

std::vector<int> DrainChars() {
    std::vector<int> chars;
    for (int c = GetChar(); c != 0; c = GetChar()) chars.push_back(c);
    return chars;
}

TEST_F(ScriptedInput, KeyHitCountsPressesThenReadsZero) {
    hl::TapKey(90);
    hl::TapKey(90);
    hl::TapKey(90);
    EXPECT_FALSE(KeyDown(90));
    EXPECT_EQ(KeyHit(90), 3);
    EXPECT_EQ(KeyHit(90), 0);

    hl::PressKey(88);
    EXPECT_TRUE(KeyDown(88));
    hl::RepeatKey(88);  // auto-repeat is not a new press
    hl::PressKey(88);   // nor is a second down without an up
    EXPECT_EQ(KeyHit(88), 1);
    EXPECT_TRUE(KeyDown(88));
    hl::ReleaseKey(88);
    EXPECT_FALSE(KeyDown(88));
    EXPECT_EQ(KeyHit(88), 0);
    // Other codes are untouched, and codes outside 0..255 read as nothing.
    EXPECT_EQ(KeyHit(89), 0);
    hl::PressKey(300);
    hl::PressKey(0);  // keys without a code never read as held
    EXPECT_FALSE(KeyDown(0));
    EXPECT_FALSE(KeyDown(-1));
    EXPECT_FALSE(KeyDown(256));
    EXPECT_EQ(KeyHit(300), 0);
}

TEST_F(ScriptedInput, FlushKeysClearsFlagsHitsAndCharacters) {
    hl::PressKey(37);
    hl::TapKey(65);
    hl::TypeText("abc");
    FlushKeys();
    EXPECT_FALSE(KeyDown(37));
    EXPECT_EQ(KeyHit(37), 0);
    EXPECT_EQ(KeyHit(65), 0);
    EXPECT_EQ(GetChar(), 0);
    // The ring keeps working after a flush.
    hl::TypeText("d");
    EXPECT_EQ(GetChar(), 'd');
}

TEST_F(ScriptedInput, ControlKeysQueueTheirCharactersIncludingRepeats) {
    hl::TapKey(13);
    hl::PressKey(8);
    hl::RepeatKey(8);
    hl::TapKey(9);
    hl::TapKey(27);
    hl::TapKey(65);  // letters arrive as text, not from the key
    EXPECT_EQ(DrainChars(), (std::vector<int>{13, 8, 8, 9, 27}));
}

TEST_F(ScriptedInput, TypedTextBecomesLatin1Codes) {
    hl::TypeText("h\xC3\xA9llo\xE2\x82\xAC!");  // "héllo€!": the euro sign has no 8-bit code
    EXPECT_EQ(DrainChars(), (std::vector<int>{'h', 233, 'l', 'l', 'o', '!'}));
    hl::TypeText("\xC3\xBF\xC2\xA0");  // ÿ and no-break space, the top and bottom of Latin-1
    EXPECT_EQ(DrainChars(), (std::vector<int>{255, 160}));
    // Malformed bytes are dropped without swallowing the characters after them.
    hl::TypeText(
        "\xFF"
        "a\xC3"
        "b\x80"
        "c");
    EXPECT_EQ(DrainChars(), (std::vector<int>{'a', 'b', 'c'}));
}

TEST_F(ScriptedInput, CharacterRingKeepsOrderAndHolds256) {
    for (int i = 0; i < 300; ++i) hl::TypeChar(1 + i % 255);
    std::vector<int> expected;
    for (int i = 0; i < 256; ++i) expected.push_back(1 + i % 255);
    EXPECT_EQ(DrainChars(), expected);

    // Wrap around the ring: half full, half read, then filled again.
    for (int i = 0; i < 200; ++i) hl::TypeChar('x');
    for (int i = 0; i < 150; ++i) GetChar();
    for (int i = 0; i < 250; ++i) hl::TypeChar('y');
    const std::vector<int> chars = DrainChars();
    ASSERT_EQ(chars.size(), 256u);
    EXPECT_EQ(chars[49], 'x');
    EXPECT_EQ(chars[50], 'y');
    EXPECT_EQ(chars[255], 'y');
    hl::TypeChar(0);  // no such character
    hl::TypeChar(256);
    EXPECT_EQ(GetChar(), 0);
}

TEST_F(ScriptedInput, MouseButtonsPointerAndWheel) {
    hl::MovePointer(123, 45);
    EXPECT_EQ(MouseX(), 123);  // no display: one virtual unit per pixel
    EXPECT_EQ(MouseY(), 45);

    hl::PressButton(1);
    hl::ReleaseButton(1);
    hl::PressButton(1);
    hl::PressButton(2);
    hl::ReleaseButton(2);
    EXPECT_TRUE(MouseDown(1));
    EXPECT_FALSE(MouseDown(2));
    EXPECT_EQ(MouseHit(1), 2);
    EXPECT_EQ(MouseHit(1), 0);
    EXPECT_EQ(MouseHit(2), 1);
    EXPECT_EQ(MouseHit(3), 0);
    hl::PressButton(4);
    EXPECT_FALSE(MouseDown(4));
    EXPECT_EQ(MouseHit(0), 0);

    hl::TurnWheel(2);
    hl::TurnWheel(-5);
    EXPECT_EQ(MouseWheel(), -3);
    EXPECT_EQ(MouseWheel(), 0);
}

TEST_F(ScriptedInput, CloseRequestIsReadAndCleared) {
    EXPECT_FALSE(CloseRequested());
    hl::RequestClose();
    EXPECT_TRUE(CloseRequested());
    EXPECT_FALSE(CloseRequested());
}

TEST_F(ScriptedInput, ActionsRunAtTheirFrame) {
    hl::AtFrame(2, [] { hl::PressKey(32); });
    hl::AtFrame(3, [] { hl::ReleaseKey(32); });
    EXPECT_EQ(hl::FrameNumber(), 0);
    PollEvents();
    EXPECT_EQ(hl::FrameNumber(), 1);
    EXPECT_FALSE(KeyDown(32));
    hl::AdvanceClock(5);  // input reads pump events, but only PollEvents counts frames
    EXPECT_FALSE(KeyDown(32));
    EXPECT_EQ(hl::FrameNumber(), 1);
    PollEvents();
    EXPECT_TRUE(KeyDown(32));
    EXPECT_EQ(KeyHit(32), 1);
    PollEvents();
    EXPECT_FALSE(KeyDown(32));
}

TEST_F(ScriptedInput, ActionsRunInOrderAndMaySchedule) {
    std::vector<int> order;
    hl::AtFrame(1, [&] { order.push_back(2); });
    hl::AtFrame(0, [&] {
        order.push_back(1);
        hl::AtFrame(2, [&] { order.push_back(4); });
    });
    hl::AtFrame(1, [&] { order.push_back(3); });
    PollEvents();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    PollEvents();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(ScriptedInput, TimedActionsRunWhenInputIsReadAtMostOnceAMillisecond) {
    hl::AtTime(1500, [] { hl::TapKey(65); });
    EXPECT_EQ(KeyHit(65), 0);
    platform::Delay(499);
    EXPECT_EQ(KeyHit(65), 0);
    platform::Delay(1);
    EXPECT_EQ(KeyHit(65), 1);

    // A read at this millisecond has pumped already: a due action waits for the next one.
    hl::AtTime(MilliSecs(), [] { hl::TapKey(66); });
    EXPECT_EQ(KeyHit(66), 0);
    hl::AdvanceClock(1);
    EXPECT_EQ(KeyHit(66), 1);
    // PollEvents pumps whatever the clock says.
    hl::AtTime(MilliSecs(), [] { hl::TapKey(67); });
    PollEvents();
    EXPECT_EQ(KeyHit(67), 1);
}

TEST_F(ScriptedInput, UseScriptInputStartsAFreshScript) {
    hl::PressKey(40);
    hl::TypeText("q");
    hl::AtFrame(1, [] { hl::PressKey(41); });
    PollEvents();
    hl::AttachJoystick("pad", 2);
    hl::UseScriptInput();
    EXPECT_FALSE(KeyDown(40));
    EXPECT_EQ(GetChar(), 0);
    EXPECT_EQ(hl::FrameNumber(), 0);
    EXPECT_EQ(JoyCount(), 0);
    PollEvents();
    EXPECT_FALSE(KeyDown(41));
}

TEST_F(ScriptedInput, JoysticksReadAxesHatAndButtons) {
    EXPECT_EQ(JoyCount(), 0);
    EXPECT_EQ(hl::AttachJoystick("Pad A", 12), 0);
    EXPECT_EQ(hl::AttachJoystick("Pad B", 4), 1);
    EXPECT_EQ(JoyCount(), 2);
    EXPECT_EQ(JoyName(0), "Pad A");
    EXPECT_EQ(JoyButtonCount(1), 4);
    EXPECT_FLOAT_EQ(JoyHat(0), -1.0f);

    hl::SetJoyAxis(0, JoyY, -0.5f);
    hl::SetJoyAxis(0, JoyV, 2.0f);
    hl::SetJoyAxis(1, JoyR, 0.25f);
    hl::SetJoyHat(0, 0.125f);
    hl::SetJoyButton(0, 11, true);
    hl::SetJoyButton(0, 12, true);  // beyond the device's buttons
    EXPECT_FLOAT_EQ(JoyAxis(0, JoyY), -0.5f);
    EXPECT_FLOAT_EQ(JoyAxis(0, JoyX), 0.0f);
    EXPECT_FLOAT_EQ(JoyAxis(0, JoyV), 1.0f);
    EXPECT_FLOAT_EQ(JoyAxis(1, JoyR), 0.25f);
    EXPECT_FLOAT_EQ(JoyAxis(0, 6), 0.0f);
    EXPECT_FLOAT_EQ(JoyHat(0), 0.125f);
    EXPECT_FLOAT_EQ(JoyHat(1), -1.0f);
    EXPECT_TRUE(JoyDown(11, 0));
    EXPECT_FALSE(JoyDown(12, 0));
    EXPECT_FALSE(JoyDown(11, 1));

    // Removing port 0 leaves port 1 where it is; the next device fills the gap.
    hl::DetachJoystick(0);
    EXPECT_EQ(JoyCount(), 2);
    EXPECT_EQ(JoyName(0), "");
    EXPECT_FLOAT_EQ(JoyAxis(0, JoyY), 0.0f);
    EXPECT_FALSE(JoyDown(11, 0));
    EXPECT_EQ(JoyName(1), "Pad B");
    EXPECT_EQ(hl::AttachJoystick("Pad C", 2), 0);
    EXPECT_EQ(hl::AttachJoystick("Pad D", 2), 2);
    EXPECT_EQ(hl::AttachJoystick("Pad E", 2), 3);
    EXPECT_EQ(hl::AttachJoystick("Pad F", 2), -1);
    EXPECT_EQ(JoyCount(), 4);
    EXPECT_FLOAT_EQ(JoyAxis(4, JoyX), 0.0f);
}

TEST_F(ScriptedInput, JoystickChangesCanBeScheduled) {
    const int port = hl::AttachJoystick("Pad", 8);
    hl::AtFrame(1, [port] {
        hl::SetJoyButton(port, 3, true);
        hl::SetJoyHat(port, 0.75f);
    });
    EXPECT_FALSE(JoyDown(3, port));
    PollEvents();
    EXPECT_TRUE(JoyDown(3, port));
    EXPECT_FLOAT_EQ(JoyHat(port), 0.75f);
}

// The SDL back-end with no window and no devices: pumping and reading are harmless and empty.
TEST(SdlInputWithoutDisplay, ReadsNothingAndDoesNotFail) {
    hl::UseSdlInput();
    PollEvents();
    EXPECT_FALSE(KeyDown(90));
    EXPECT_EQ(KeyHit(90), 0);
    EXPECT_EQ(GetChar(), 0);
    EXPECT_FALSE(CloseRequested());
    EXPECT_EQ(JoyCount(), 0);
    EXPECT_EQ(JoyName(0), "");
    EXPECT_FLOAT_EQ(JoyAxis(0, JoyX), 0.0f);
    EXPECT_FLOAT_EQ(JoyHat(0), -1.0f);
    EXPECT_FALSE(JoyDown(0, 0));
    EXPECT_EQ(hl::FrameNumber(), 0);
}

}  // namespace
