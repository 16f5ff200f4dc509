// Real SDL input under an X server (xvfb-run): keys, text, modifiers and the mouse injected with
// xdotool into an SDL window, the close request, the caption, and virtual joysticks read through
// the platform's joystick ports.
#include <SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/input.h"
#include "platform/system.h"

// Last: Xlib's macros (None, CurrentTime ...) would clash with the declarations above.
#include <SDL_syswm.h>

namespace {

using namespace platform;

constexpr const char* kTitle = "input-test";

// Runs xdotool against the X server of this test; fails the test when it fails.
void Xdo(const std::string& arguments) {
    const std::string command = "timeout 10 xdotool " + arguments;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// Pumps events until done() holds; returns the milliseconds it took, -1 after timeout_ms.
int PumpUntil(const std::function<bool()>& done, int timeout_ms = 3000) {
    const int start = MilliSecs();
    while (MilliSecs() - start < timeout_ms) {
        PollEvents();
        if (done()) return MilliSecs() - start;
        SDL_Delay(1);
    }
    return -1;
}

// Pumps for a while, adding up the hits of code.
int CountHits(int code, int ms) {
    int hits = 0;
    const int start = MilliSecs();
    while (MilliSecs() - start < ms) {
        PollEvents();
        hits += KeyHit(code);
        SDL_Delay(1);
    }
    return hits;
}

class InputWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under xvfb-run";
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        window_ = SDL_CreateWindow(kTitle, 0, 0, 320, 240, SDL_WINDOW_SHOWN);
        ASSERT_NE(window_, nullptr) << SDL_GetError();
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        ASSERT_TRUE(SDL_GetWindowWMInfo(window_, &info)) << SDL_GetError();
        ASSERT_EQ(info.subsystem, SDL_SYSWM_X11);
        window_id_ = std::to_string(info.info.x11.window);
        Xdo("windowfocus --sync " + window_id_);
        PumpUntil([] { return false; }, 200);  // let the window settle: map, focus, expose
        FlushKeys();
        CloseRequested();
    }
    void TearDown() override {
        if (window_) SDL_DestroyWindow(window_);
        SDL_Quit();
    }

    static std::string WindowId(const std::string& title) {
        const std::string command = "timeout 10 xdotool search --sync --name '^" + title + "$' | head -1";
        std::string id;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char line[64] = {};
            if (fgets(line, sizeof line, pipe)) id = line;
            pclose(pipe);
        }
        while (!id.empty() && (id.back() == '\n' || id.back() == ' ')) id.pop_back();
        return id;
    }

    SDL_Window* window_ = nullptr;
    std::string window_id_;
};

TEST_F(InputWindow, KeyDownAndKeyHitFollowTheKeyboard) {
    const int start = MilliSecs();
    Xdo("keydown z");
    const int xdotool_ms = MilliSecs() - start;
    const int latency = PumpUntil([] { return KeyDown(90); });
    ASSERT_GE(latency, 0) << "Z never read as down";
    std::cout << "xdotool keydown took " << xdotool_ms << " ms; read as down " << latency << " ms later\n";
    EXPECT_EQ(KeyHit(90), 1);
    EXPECT_EQ(KeyHit(90), 0);
    Xdo("keyup z");
    EXPECT_GE(PumpUntil([] { return !KeyDown(90); }), 0);
    EXPECT_EQ(KeyHit(90), 0);

    // A quick tap read afterwards still counts once.
    Xdo("key --delay 100 z");
    EXPECT_EQ(CountHits(90, 300), 1);
    EXPECT_FALSE(KeyDown(90));
}

TEST_F(InputWindow, TypedTextAndControlKeysReachGetChar) {
    Xdo("type --delay 40 'Hi!'");
    Xdo("key --delay 40 Return BackSpace Tab Escape");
    std::vector<int> chars;
    PumpUntil([&] {
        for (int c = GetChar(); c != 0; c = GetChar()) chars.push_back(c);
        return chars.size() >= 7;
    });
    EXPECT_EQ(chars, (std::vector<int>{'H', 'i', '!', 13, 8, 9, 27}));
}

TEST_F(InputWindow, ModifiersReportLeftAndRightCodesOnly) {
    Xdo("key --delay 100 alt+F4");
    int alt = 0, f4 = 0, generic = 0;
    PumpUntil([&] {
        alt += KeyHit(164);
        f4 += KeyHit(115);
        generic += KeyHit(18);
        return alt > 0 && f4 > 0;
    });
    EXPECT_EQ(alt, 1);
    EXPECT_EQ(f4, 1);
    EXPECT_EQ(generic, 0);

    // (xdotool holds the left modifiers along with the right ones here.)
    Xdo("keydown Shift_R Control_R");
    EXPECT_GE(PumpUntil([] { return KeyDown(161) && KeyDown(163); }), 0);
    EXPECT_FALSE(KeyDown(16));
    EXPECT_FALSE(KeyDown(17));
    Xdo("keyup Shift_R Control_R");
    EXPECT_GE(PumpUntil([] { return !KeyDown(161) && !KeyDown(163); }), 0);
}

TEST_F(InputWindow, KeysMapToTheirCodes) {
    const std::vector<std::pair<std::string, int>> keys = {
        {"a", 65},
        {"0", 48},
        {"9", 57},
        {"KP_7", 103},
        {"KP_0", 96},
        {"KP_Multiply", 106},
        {"KP_Add", 107},
        {"KP_Subtract", 109},
        {"KP_Divide", 111},
        {"KP_Enter", 13},
        {"F1", 112},
        {"F12", 123},
        {"Up", 38},
        {"Left", 37},
        {"Prior", 33},
        {"Next", 34},
        {"Home", 36},
        {"End", 35},
        {"Insert", 45},
        {"Delete", 46},
        {"space", 32},
        {"semicolon", 186},
        {"equal", 187},
        {"comma", 188},
        {"minus", 189},
        {"period", 190},
        {"slash", 191},
        {"apostrophe", 192},
        {"bracketleft", 219},
        {"backslash", 220},
        {"bracketright", 221},
        {"grave", 223},
        {"Pause", 19},
        {"Super_L", 91},
        {"Control_L", 162},
    };
    for (const auto& [name, code] : keys) {
        Xdo("key --delay 30 " + name);
        EXPECT_GE(PumpUntil([code = code] { return KeyHit(code) > 0; }, 1000), 0) << name << " -> " << code;
    }
}

TEST_F(InputWindow, MouseClicksPointerAndWheel) {
    Xdo("mousemove --window " + window_id_ + " 30 40");
    EXPECT_GE(PumpUntil([] { return MouseX() == 30 && MouseY() == 40; }), 0)
        << "pointer at " << MouseX() << "," << MouseY();
    Xdo("click --delay 50 1");
    int left = 0;
    PumpUntil([&] { return (left += MouseHit(1)) > 0 && !MouseDown(1); });
    EXPECT_EQ(left, 1);
    Xdo("mousedown 3");
    EXPECT_GE(PumpUntil([] { return MouseDown(2); }), 0);
    EXPECT_EQ(MouseHit(2), 1);
    Xdo("mouseup 3");
    EXPECT_GE(PumpUntil([] { return !MouseDown(2); }), 0);
    Xdo("click 4");
    int wheel = 0;
    PumpUntil([&] { return (wheel += MouseWheel()) != 0; });
    EXPECT_EQ(wheel, 1);  // button 4 scrolls away from the user
    Xdo("click --repeat 2 5");
    wheel = 0;
    PumpUntil([&] { return (wheel += MouseWheel()) <= -2; }, 1000);
    EXPECT_EQ(wheel, -2);
}

TEST_F(InputWindow, TerminationRequestIsACloseRequest) {
    EXPECT_FALSE(CloseRequested());
    std::raise(SIGTERM);  // SDL turns it into SDL_QUIT, as a window manager's close would
    EXPECT_GE(PumpUntil([] { return CloseRequested(); }), 0);
    EXPECT_FALSE(CloseRequested());

    // The window's own close event (what a window manager's close button sends).
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = SDL_GetWindowID(window_);
    ASSERT_EQ(SDL_PushEvent(&close), 1);
    PollEvents();
    EXPECT_TRUE(CloseRequested());
    EXPECT_FALSE(CloseRequested());
}

TEST_F(InputWindow, CaptionRenamesTheOpenWindow) {
    SetCaption("input-renamed");
    EXPECT_STREQ(SDL_GetWindowTitle(window_), "input-renamed");
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(WindowId("input-renamed"), window_id_);
}

// Joysticks need no window: SDL's virtual devices stand in for real pads.
TEST(Joysticks, VirtualDevicesReadThroughPorts) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0);
    const int first = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 1);
    ASSERT_GE(first, 0) << SDL_GetError();
    SDL_Joystick* pad = SDL_JoystickOpen(first);
    ASSERT_NE(pad, nullptr);

    ASSERT_EQ(JoyCount(), 1);
    EXPECT_EQ(JoyName(0), SDL_JoystickName(pad));
    EXPECT_EQ(JoyButtonCount(0), 15);
    EXPECT_FLOAT_EQ(JoyHat(0), -1.0f);
    EXPECT_FLOAT_EQ(JoyAxis(0, JoyU), -1.0f);  // a controller's triggers rest at the low end

    SDL_JoystickSetVirtualAxis(pad, 0, 16384);
    SDL_JoystickSetVirtualAxis(pad, 1, -32768);
    SDL_JoystickSetVirtualAxis(pad, 3, 32767);
    SDL_JoystickSetVirtualHat(pad, 0, SDL_HAT_RIGHTUP);
    SDL_JoystickSetVirtualButton(pad, 3, 1);
    PollEvents();
    EXPECT_NEAR(JoyAxis(0, JoyX), 0.5f, 0.001f);
    EXPECT_FLOAT_EQ(JoyAxis(0, JoyY), -1.0f);
    EXPECT_FLOAT_EQ(JoyAxis(0, JoyR), 1.0f);
    EXPECT_FLOAT_EQ(JoyAxis(0, JoyZ), 0.0f);
    EXPECT_FLOAT_EQ(JoyHat(0), 0.125f);
    EXPECT_TRUE(JoyDown(3, 0));
    EXPECT_FALSE(JoyDown(2, 0));
    EXPECT_FALSE(JoyDown(15, 0));
    const std::pair<Uint8, float> hats[] = {{SDL_HAT_UP, 0.0f},       {SDL_HAT_RIGHT, 0.25f},
                                            {SDL_HAT_DOWN, 0.5f},     {SDL_HAT_LEFT, 0.75f},
                                            {SDL_HAT_LEFTUP, 0.875f}, {SDL_HAT_CENTERED, -1.0f}};
    for (const auto& [hat, fraction] : hats) {
        SDL_JoystickSetVirtualHat(pad, 0, hat);
        PollEvents();
        EXPECT_FLOAT_EQ(JoyHat(0), fraction) << int(hat);
    }

    // A second device plugged in takes port 1; unplugging the first leaves port 1 in place.
    const int second = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 0);
    ASSERT_GE(second, 0);
    EXPECT_GE(PumpUntil([] { return JoyCount() == 2; }, 1000), 0);
    EXPECT_EQ(JoyButtonCount(1), 4);
    SDL_JoystickClose(pad);
    ASSERT_EQ(SDL_JoystickDetachVirtual(first), 0);
    EXPECT_GE(PumpUntil([] { return JoyButtonCount(0) == 0; }, 1000), 0);
    EXPECT_EQ(JoyCount(), 2);
    EXPECT_EQ(JoyName(0), "");
    EXPECT_FALSE(JoyDown(3, 0));
    EXPECT_FLOAT_EQ(JoyHat(0), -1.0f);
    EXPECT_EQ(JoyButtonCount(1), 4);
    EXPECT_FLOAT_EQ(JoyHat(1), -1.0f);  // no hat on that device

    // SDL_Quit closes every device behind the platform's back; joysticks come back afterwards.
    SDL_Quit();
    EXPECT_EQ(JoyCount(), 0);
    const int third = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 9, 1);
    ASSERT_GE(third, 0) << SDL_GetError();
    EXPECT_GE(PumpUntil([] { return JoyCount() == 1; }, 1000), 0);
    EXPECT_EQ(JoyButtonCount(0), 9);
    SDL_Quit();
}

}  // namespace
