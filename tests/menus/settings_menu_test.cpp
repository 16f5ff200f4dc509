// The settings panel frame by frame on the recording display: the slide, the option rows, the
// Resolution row, the quality note, the volume sliders, rebinding by key, stick, hat and button,
// the joystick list, and Apply.
#include "menus/settings_menu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "controls/controls.h"
#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/frame_pump.h"
#include "framework/game_info.h"
#include "framework/hooks.h"
#include "framework/program.h"
#include "framework/settings.h"
#include "menus/pause_menu.h"
#include "menus/settings_state.h"
#include "menus/support/menu_fixture.h"
#include "platform/clock.h"
#include "platform/draw.h"
#include "platform/headless/recorder.h"
#include "platform/headless/script_input.h"
#include "platform/input.h"

namespace {

namespace hl = platform::headless;
using namespace menu_testing;
using framework::Settings;

// The darkening rectangle of the panel in the last presented frame: its height, or -1.
float ShadeHeight() {
    for (const hl::RecordedQuad& quad : hl::LastFrameQuads()) {
        if (quad.blend == platform::BlendShade) return quad.corners[2].y;
    }
    return -1;
}

// ---- The slide ------------------------------------------------------------------------------------

class PanelSlide : public MenuTest {};

TEST_F(PanelSlide, OpensInTenFramesFromMinus268ToRestAt20) {
    Frame();
    EXPECT_EQ(ShadeHeight(), -1) << "a hidden panel draws nothing";
    hl::TapKey(kKeyTab);
    Frame();
    EXPECT_EQ(menus::panel_y, -268);
    EXPECT_FLOAT_EQ(ShadeHeight(), 32);
    Frames(8);
    EXPECT_EQ(menus::panel_y, -12);
    Frame();
    EXPECT_EQ(menus::panel_y, 20);
    Frames(5);
    EXPECT_EQ(menus::panel_y, 20);
    EXPECT_FLOAT_EQ(ShadeHeight(), 320);
}

TEST_F(PanelSlide, ClosesInTenFramesAndThenDrawsNothing) {
    OpenPanel();
    hl::TapKey(kKeyTab);
    Frames(9);
    EXPECT_EQ(menus::panel_y, -268);
    EXPECT_FLOAT_EQ(ShadeHeight(), 32);
    Frame();
    EXPECT_EQ(menus::panel_y, -300);
    EXPECT_EQ(ShadeHeight(), -1);
    EXPECT_TRUE(FindText("Graphics").empty());
}

// ---- Option rows ----------------------------------------------------------------------------------

class OptionRows : public MenuTest {};

TEST_F(OptionRows, ClicksStepEachRowThroughItsOptionsAndWrap) {
    OpenPanel();
    ClickAt(30, 60);  // screen mode
    EXPECT_EQ(Settings[1], 1);
    ClickAt(30, 60);
    EXPECT_EQ(Settings[1], 0);
    ClickAt(30, 176);  // frameskip
    EXPECT_EQ(Settings[7], 1);
    ClickAt(30, 176);
    EXPECT_EQ(Settings[7], 0);
    std::vector<int> renderers;
    for (int click = 0; click < 3; ++click) {
        ClickAt(30, 214);
        renderers.push_back(Settings[3]);
    }
    EXPECT_EQ(renderers, (std::vector<int>{1, 2, 0}));
    Frame();
    float top = 0, ignored = 0;
    CentredOrigin("OpenGL", 0, 212, ignored, top);
    EXPECT_TRUE(TextDrawnAt("OpenGL", 58, top));
    CentredOrigin("Optimum", 0, 228, ignored, top);
    EXPECT_TRUE(TextDrawnAt("Optimum", 58, top));
    EXPECT_TRUE(FindText("DirectX 7").empty());
}

TEST_F(OptionRows, TheRowUnderThePointerGlowsAndShowsItsValuesIcon) {
    OpenPanel();
    Settings[3] = 2;
    PointAt(600, 600);
    float glow = 0;
    EXPECT_EQ(IconFrameAt(20, 204, &glow), 20);  // 18 + renderer 2
    EXPECT_EQ(glow, -1);
    PointAt(30, 214);
    Frame();
    EXPECT_EQ(IconFrameAt(20, 204, &glow), 20);
    EXPECT_FLOAT_EQ(glow, 0.8f);
    EXPECT_EQ(Settings[3], 2) << "hovering alone changes nothing";
}

TEST_F(OptionRows, AudioRowListsTheFirstSixDriversAndWraps) {
    framework::AudioDriverNames = {"FreeAudio", "OpenAL", "A", "B", "C", "D", "Seventh"};
    OpenPanel();
    std::vector<int> drivers;
    for (int click = 0; click < 7; ++click) {
        ClickAt(1010, 50);
        drivers.push_back(Settings[14]);
    }
    EXPECT_EQ(drivers, (std::vector<int>{1, 2, 3, 4, 5, 0, 1}));
    Frame();  // a row steps after drawing its label
    EXPECT_FALSE(FindText("OpenAL").empty());
    EXPECT_FALSE(FindText("Audio Driver").empty());
}

TEST_F(OptionRows, WithoutDriversTheAudioRowSaysAudioAndSingleOptionRowsNeverStep) {
    OpenPanel();
    Settings[2] = 1;  // widescreen, which only the display setup decides
    ClickAt(1010, 50);
    EXPECT_EQ(Settings[14], 0);
    EXPECT_FALSE(FindText("AUDIO").empty());
    ClickAt(30, 100);  // the Resolution row's icon
    EXPECT_EQ(Settings[2], 1);
    EXPECT_EQ(IconFrameAt(20, 90), 12);
}

// ---- Resolution -----------------------------------------------------------------------------------

class Resolution : public MenuTest {
  protected:
    void SetUp() override {
        MenuTest::SetUp();
        const int widths[] = {0, 800, 1024, 1600}, heights[] = {0, 600, 768, 900};
        for (int i = 1; i <= 3; ++i) {
            framework::ModeWidths[i] = widths[i];
            framework::ModeHeights[i] = heights[i];
        }
        framework::ModeCount = 3;
        Settings[4] = 1;
    }
    static std::string Requested() { return std::to_string(Settings[5]) + "x" + std::to_string(Settings[6]); }
    static void Key(int code) {
        hl::TapKey(code);
        Frame();
    }
};

TEST_F(Resolution, ArrowKeysOverTheRowStepThroughTheModesAndWrap) {
    OpenPanel();
    PointAt(100, 150);  // inside the row's area below its icon
    Key(kKeyRight);
    EXPECT_EQ(Settings[4], 2);
    EXPECT_EQ(Requested(), "1024x768");
    EXPECT_TRUE(TextDrawnAt("1024x768", 20, 128)) << "the size text changes in the same frame";
    Key(kKeyUp);
    EXPECT_EQ(Requested(), "1600x900");
    Key(kKeyRight);
    EXPECT_EQ(Settings[4], 1);
    EXPECT_EQ(Requested(), "800x600");
    Key(kKeyLeft);
    EXPECT_EQ(Settings[4], 3);
    Key(kKeyDown);
    EXPECT_EQ(Requested(), "1024x768");
    EXPECT_EQ(platform::GraphicsWidth(), 1280) << "the display changes only on Apply";
}

TEST_F(Resolution, LeftClickStepsForwardRightClickBack) {
    OpenPanel();
    ClickAt(100, 150);
    EXPECT_EQ(Settings[4], 2);
    ClickAt(100, 150, 2);
    ClickAt(100, 150, 2);
    EXPECT_EQ(Settings[4], 3);
    EXPECT_EQ(Requested(), "1600x900");
}

TEST_F(Resolution, KeysPressedElsewhereAreNotKeptForLater) {
    OpenPanel();
    PointAt(600, 600);
    Key(kKeyRight);
    PointAt(100, 150);
    Frame();
    EXPECT_EQ(Settings[4], 1);
}

TEST_F(Resolution, AnEmptyModeListLeavesTheRequestedSizeAlone) {
    framework::ModeCount = 0;
    Settings[5] = 800;
    Settings[6] = 600;
    OpenPanel();
    PointAt(100, 150);
    Key(kKeyRight);
    Key(kKeyLeft);
    EXPECT_EQ(Requested(), "800x600");
}

TEST_F(Resolution, QualityNoteFollowsTheRequestedHeight) {
    struct Case {
        int height;
        const char* note;
        int r, g, b;
    };
    const Case cases[] = {{899, "Small (Bit blurry)", 255, 180, 80},
                          {900, "Native (Crisp, Clear)", 255, 255, 80},
                          {960, "Native (Crisp, Clear)", 255, 255, 80},
                          {961, "Bigger! (High-Definition!)", 180, 255, 80}};
    OpenPanel();
    for (const Case& c : cases) {
        Settings[6] = c.height;
        Frame();
        const std::vector<TextHit> hits = FindText(c.note);
        ASSERT_EQ(hits.size(), 1u) << c.height;
        EXPECT_FLOAT_EQ(hits[0].x, 80);
        EXPECT_FLOAT_EQ(hits[0].y, 148);
        EXPECT_EQ(hits[0].r, c.r);
        EXPECT_EQ(hits[0].g, c.g);
        EXPECT_EQ(hits[0].b, c.b);
    }
}

// ---- Volume sliders -------------------------------------------------------------------------------

class VolumeSliders : public MenuTest {
  protected:
    // Drags the music slider's knob with the pointer at x on its strip.
    static void DragMusicTo(int x) {
        PointAt(x, 195);
        Frame();
    }
};

TEST_F(VolumeSliders, DraggingMapsTheStripAndSnapsNearTheEnds) {
    OpenPanel();
    hl::PressButton(1);
    DragMusicTo(1050);
    EXPECT_EQ(Settings[13], 52);
    DragMusicTo(999);  // first pixel inside: 1, snapped to silence
    EXPECT_EQ(Settings[13], 0);
    EXPECT_FALSE(FindText("Music : 0").empty());
    DragMusicTo(1003);
    EXPECT_EQ(Settings[13], 0);
    DragMusicTo(1004);
    EXPECT_EQ(Settings[13], 6);
    DragMusicTo(1092);
    EXPECT_EQ(Settings[13], 94);
    DragMusicTo(1093);  // within the last five pixels
    EXPECT_EQ(Settings[13], 100);
    EXPECT_FALSE(FindText("Music : 100").empty());
    DragMusicTo(1098);  // the strip's edge is outside
    EXPECT_EQ(Settings[13], 100);
    hl::ReleaseButton(1);
    DragMusicTo(1050);
    EXPECT_EQ(Settings[13], 100) << "moving without the button held changes nothing";
    EXPECT_EQ(Settings[11], 50);
    EXPECT_EQ(Settings[12], 50);
}

TEST_F(VolumeSliders, EachSliderDrivesItsOwnVolume) {
    OpenPanel();
    hl::PressButton(1);
    PointAt(1030, 95);
    Frame();
    PointAt(1070, 145);
    Frame();
    hl::ReleaseButton(1);
    EXPECT_EQ(Settings[11], 32);
    EXPECT_EQ(Settings[12], 72);
    EXPECT_EQ(Settings[13], 50);
    EXPECT_FALSE(FindText("Master Volume : 32").empty());
}

// ---- Binding buttons ------------------------------------------------------------------------------

class Binding : public MenuTest {
  protected:
    static constexpr int kUpX = 300, kUpY = 30;  // player 1's Up button when the panel rests
    static void HoverUp() { PointAt(kUpX + 24, kUpY + 24); }
    // A joystick on port 1, attached before the snapshot of the joysticks is taken.
    static void AttachPad() {
        ASSERT_EQ(hl::AttachJoystick("Test Pad", 12), 0);
        controls::InitControls();
    }
    static bool NameCentredOnButton(const std::string& name, int x, int y) {
        float left = 0, top = 0;
        CentredOrigin(name, x + 24, y + 24, left, top);
        return TextDrawnAt(name, left, top);
    }
    static bool NameAtCorner(const std::string& name, int x, int y) {
        float left = 0, top = 0;
        CentredOrigin(name, x, y, left, top);
        return TextDrawnAt(name, left, top);
    }
};

TEST_F(Binding, AHeldKeyBindsOnlyOnceThePanelHasFinishedOpening) {
    // The button reaches the pointer at y 30 in the ninth frame of the slide (panel_y -12) and
    // leaves it when the panel comes to rest.
    hl::MovePointer(kUpX + 24, 30);
    hl::PressKey(kKeyW);
    hl::TapKey(kKeyTab);
    Frames(10);
    EXPECT_EQ(controls::ControlBindings[0], 38);
    PointAt(kUpX + 24, kUpY + 24);
    EXPECT_EQ(controls::ControlBindings[0], 38);
    Frame();
    EXPECT_EQ(controls::ControlBindings[0], 87);
    EXPECT_TRUE(NameCentredOnButton("Up", kUpX, kUpY)) << "drawn as it was when the frame began";
    Frame();
    EXPECT_TRUE(NameCentredOnButton("W", kUpX, kUpY));
    EXPECT_EQ(IconFrameAt(kUpX, kUpY), 3);
    hl::ReleaseKey(kKeyW);
}

TEST_F(Binding, BackspaceUnbindsAndTheButtonAsksForAnInput) {
    OpenPanel();
    HoverUp();
    hl::PressKey(kKeyBackspace);
    Frame();
    hl::ReleaseKey(kKeyBackspace);
    EXPECT_EQ(controls::ControlBindings[0], 0);
    Frame();
    EXPECT_TRUE(NameCentredOnButton("?!", kUpX, kUpY));
    EXPECT_EQ(IconFrameAt(kUpX, kUpY), 3);
}

TEST_F(Binding, TabThatClosesThePanelIsNeverBound) {
    OpenPanel();
    HoverUp();
    hl::PressKey(kKeyTab);
    Frames(3);
    hl::ReleaseKey(kKeyTab);
    EXPECT_EQ(controls::ControlBindings[0], 38);
    EXPECT_EQ(menus::settings_open, 0);
}

TEST_F(Binding, StickHatAndButtonBindWithTheirOwnIcons) {
    AttachPad();
    OpenPanel();
    // Player 2's Left button: stick to the left.
    PointAt(250 + 24, 180 + 50 + 24);
    hl::SetJoyAxis(0, platform::JoyX, -1);
    Frame();
    hl::SetJoyAxis(0, platform::JoyX, 0);
    EXPECT_EQ(controls::ControlBindings[controls::BindingIndex(controls::Left, 2)], 302);
    Frame();
    EXPECT_EQ(IconFrameAt(250, 230), 9);
    EXPECT_TRUE(NameAtCorner("X-", 250, 230));
    // Player 3's Down button: the hat pushed left.
    PointAt(650 + 50 + 24, 30 + 50 + 24);
    hl::SetJoyHat(0, 0.75f);
    Frame();
    hl::SetJoyHat(0, -1);
    EXPECT_EQ(controls::ControlBindings[controls::BindingIndex(controls::Down, 3)], 323);
    Frame();
    EXPECT_EQ(IconFrameAt(700, 80), 8);
    EXPECT_TRUE(NameAtCorner("Left", 700, 80));
    // Player 4's red face button: joystick button 3.
    PointAt(650 + 225 + 24, 180 + 30 + 24);
    hl::SetJoyButton(0, 3, true);
    Frame();
    hl::SetJoyButton(0, 3, false);
    EXPECT_EQ(controls::ControlBindings[controls::BindingIndex(controls::FaceRed, 4)], 333);
    Frame();
    EXPECT_EQ(IconFrameAt(875, 210), 10);
    EXPECT_TRUE(NameCentredOnButton("3", 875, 210));
}

TEST_F(Binding, AButtonLightsWhileItsInputIsHeld) {
    AttachPad();
    controls::ControlBindings[controls::BindingIndex(controls::FaceGreen, 2)] = 335;  // button 5
    OpenPanel();
    float glow = 0;
    PointAt(600, 600);
    EXPECT_EQ(IconFrameAt(440, 240, &glow), 10);
    EXPECT_LE(glow, 0);
    hl::SetJoyButton(0, 5, true);
    Frame();
    EXPECT_EQ(IconFrameAt(440, 240, &glow), 10);
    EXPECT_FLOAT_EQ(glow, 1);
    hl::SetJoyButton(0, 5, false);
}

TEST_F(Binding, CodesNoInputCanHoldShowNothing) {
    controls::ControlBindings[controls::BindingIndex(controls::Up, 2)] = 270;
    controls::ControlBindings[controls::BindingIndex(controls::Left, 2)] = 315;  // offset 15
    OpenPanel();
    EXPECT_EQ(IconFrameAt(300, 180), -1);
    EXPECT_EQ(IconFrameAt(250, 230), -1);
    EXPECT_EQ(IconFrameAt(350, 230), 3);  // the unbound Right beside them still shows
}

// ---- The joystick list ----------------------------------------------------------------------------

TEST_F(Binding, ClickingAJoysticksNameSwitchesItOffAndOn) {
    AttachPad();
    controls::ControlBindings[controls::BindingIndex(controls::Up, 2)] = 302;
    OpenPanel();
    Frame();
    std::vector<TextHit> name = FindText("Test Pad");
    ASSERT_EQ(name.size(), 1u);
    EXPECT_FLOAT_EQ(name[0].x, 1000);
    EXPECT_FLOAT_EQ(name[0].y, 250);
    EXPECT_EQ(name[0].a, 255);

    ClickAt(1005, 257);
    EXPECT_EQ(controls::JoyPorts[1].enabled, 0);
    Frame();
    name = FindText("Test Pad");
    ASSERT_EQ(name.size(), 1u);
    EXPECT_NEAR(name[0].a, 51, 1);  // greyed out
    hl::SetJoyAxis(0, platform::JoyX, -1);
    float glow = 0;
    Frame();
    IconFrameAt(300, 180, &glow);
    EXPECT_LE(glow, 0) << "a switched-off joystick never lights its bindings";
    PointAt(300 + 24, 180 + 24);  // and is not detected for rebinding
    Frame();
    EXPECT_EQ(controls::ControlBindings[controls::BindingIndex(controls::Up, 2)], 302);
    hl::SetJoyAxis(0, platform::JoyX, 0);

    ClickAt(1005, 257);
    EXPECT_EQ(controls::JoyPorts[1].enabled, 1);
    hl::SetJoyAxis(0, platform::JoyX, -1);
    PointAt(600, 600);
    IconFrameAt(300, 180, &glow);
    EXPECT_FLOAT_EQ(glow, 1);
    hl::SetJoyButton(0, 0, true);
    Frame();
    name = FindText("Test Pad");
    ASSERT_EQ(name.size(), 1u);
    EXPECT_EQ(name[0].r, 255) << "yellow while button 0 is held";
    EXPECT_EQ(name[0].g, 255);
    EXPECT_EQ(name[0].b, 80);
}

// ---- Apply ----------------------------------------------------------------------------------------

class Apply : public MenuTest {
  protected:
    static inline int loads = 0;
    static inline std::function<void()> during_load;
    void SetUp() override {
        MenuTest::SetUp();
        loads = 0;
        during_load = nullptr;
        framework::AssetsLoaded = 1;
        framework::Game.load_game_assets = [] {
            ++loads;
            if (during_load) during_load();
        };
    }
    static void ClickApply() {
        PointAt(22, 282);
        ASSERT_FALSE(FindText("Apply").empty());
        hl::PressButton(1);
        Frame();
        hl::ReleaseButton(1);
    }
};

TEST_F(Apply, SavesClosesAndReopensTheDisplayWithTheChosenRenderer) {
    Settings[5] = 1024;
    Settings[6] = 768;
    OpenPanel();
    ClickAt(30, 214);  // renderer: DirectX 9, the accelerated SDL renderer here
    ASSERT_EQ(platform::GraphicsDriver(), 0);
    ClickApply();
    EXPECT_EQ(menus::settings_open, 0);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(platform::GraphicsDriver(), 1);
    EXPECT_EQ(platform::GraphicsWidth(), 1024);
    EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(),
                                            root_ / "Files" / framework::GameFolder()));
    const std::vector<std::string> lines = SetupFileLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "GFX Engine = DX9"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Width=1024"), lines.end());
    Frames(10);
    EXPECT_EQ(menus::panel_y, -300);
}

TEST_F(Apply, AnApplyClickedDuringTheReloadsFramesIsIgnored) {
    OpenPanel();
    // The reload runs frames through the pump (the engine test); reopen the panel there and
    // click Apply again.
    during_load = [] {
        if (loads > 1) return;
        hl::ReleaseButton(1);  // the first click's button
        hl::TapKey(kKeyTab);
        Frame();
        ClickApply();
    };
    ClickApply();
    EXPECT_EQ(loads, 1);
    EXPECT_TRUE(platform::GraphicsOpen());
}

// ---- Player 2's pad in the pause menu --------------------------------------------------------

TEST_F(Binding, AStickAndAButtonBoundToPlayerTwoDriveThePauseMenu) {
    AttachPad();
    OpenPanel();
    // Player 2's Down: the stick pulled towards the player.
    PointAt(300 + 24, 230 + 24);
    hl::SetJoyAxis(0, platform::JoyY, 1);
    Frame();
    hl::SetJoyAxis(0, platform::JoyY, 0);
    // Player 2's green face button: joystick button 2.
    PointAt(440 + 24, 240 + 24);
    hl::SetJoyButton(0, 2, true);
    Frame();
    hl::SetJoyButton(0, 2, false);
    EXPECT_EQ(controls::ControlBindings[controls::BindingIndex(controls::Down, 2)], 301);
    EXPECT_EQ(controls::ControlBindings[controls::BindingIndex(controls::FaceGreen, 2)], 332);
    hl::TapKey(kKeyTab);
    Frames(10);

    // Escape during play opens the pause menu on "Continue"; the stick moves to "Quit" and the
    // button chooses it. Escape a long while later ends a menu that ignored both.
    menus::InstallPauseMenu();
    framework::InGame = 1;
    const int start = hl::FrameNumber();
    hl::AtTime(platform::MilliSecs() + 20, [] { hl::ReleaseKey(27); });
    hl::AtFrame(start + 5, [] { hl::SetJoyAxis(0, platform::JoyY, 1); });
    hl::AtFrame(start + 8, [] { hl::SetJoyAxis(0, platform::JoyY, 0); });
    hl::AtFrame(start + 11, [] { hl::SetJoyButton(0, 2, true); });
    hl::AtFrame(start + 14, [] { hl::SetJoyButton(0, 2, false); });
    hl::AtFrame(start + 300, [] { hl::PressKey(27); });
    hl::AtFrame(start + 303, [] { hl::ReleaseKey(27); });
    hl::PressKey(27);
    framework::BeginFrame(1);
    EXPECT_EQ(framework::FramePump(1), 99);
    EXPECT_LT(hl::FrameNumber(), start + 300);
    EXPECT_EQ(framework::InGame, 1);
}

}  // namespace
