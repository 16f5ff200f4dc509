// The pause menu driven through the frame pump with scripted input: the latch, moving and
// wrapping the selection, leaving with Escape, the controls of any player, the frozen picture
// and the scattered titles, the game clock and the settings panel while paused.
#include "menus/pause_menu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <vector>

#include "controls/controls.h"
#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/frame_pump.h"
#include "framework/hooks.h"
#include "framework/program.h"
#include "framework/settings.h"
#include "menus/settings_state.h"
#include "platform/clock.h"
#include "platform/draw.h"
#include "platform/headless/headless.h"
#include "platform/headless/recorder.h"
#include "platform/headless/script_input.h"
#include "platform/input.h"
#include "platform/random.h"

namespace {

using platform::headless::AtFrame;
using platform::headless::AtTime;
using platform::headless::PressKey;
using platform::headless::RecordedQuad;
using platform::headless::ReleaseKey;

constexpr int kKeyEscape = 27, kKeySpace = 32, kKeyUp = 38, kKeyDown = 40, kKeyZ = 90;
constexpr int kNoItem = -1, kContinueItem = 0, kQuitItem = 1;

// What one frame of the open menu showed.
struct MenuFrame {
    int highlighted = kNoItem;         // the yellow item
    std::vector<RecordedQuad> titles;  // the scattered title texts' glyphs, in drawing order
    std::vector<RecordedQuad> all;     // every quad, kept only for the frames a test asks for
    // The display-sized picture drawn in a kept frame, and its pixels then (the texture goes
    // when the menu closes).
    std::optional<RecordedQuad> snapshot;
    platform::headless::RecordedTexture snapshot_pixels;
};

std::vector<MenuFrame> frames;  // frames of the current pause, from the first
std::vector<int> keep_all;      // menu frame numbers whose quads are kept whole
int settings_calls_paused = 0;  // settings panel calls made while InGame was 2
constexpr int kRunawayFrames = 3000;

bool IsTitleGlyph(const RecordedQuad& quad) {
    return quad.texture != 0 && quad.corners[0].a < 200;
}

int HighlightedItem(const std::vector<RecordedQuad>& quads) {
    float top = 1e9f;
    for (const RecordedQuad& quad : quads) {
        const auto& c = quad.corners[0];
        if (c.r == 255 && c.g == 255 && c.b == 0 && c.a == 255) top = std::min(top, c.y);
    }
    if (top > 1e8f) return kNoItem;
    return top < 470 ? kContinueItem : kQuitItem;
}

// Runs inside every pump call after the frame is drawn: notes what the menu drew, then forgets
// the drawing so long pauses stay small.
void ObserveFrame() {
    if (framework::InGame != 2) return;
    const auto& quads = platform::headless::RecordedQuads();
    MenuFrame seen;
    seen.highlighted = HighlightedItem(quads);
    for (const RecordedQuad& quad : quads) {
        if (IsTitleGlyph(quad)) seen.titles.push_back(quad);
    }
    frames.push_back(std::move(seen));
    if (std::find(keep_all.begin(), keep_all.end(), static_cast<int>(frames.size())) != keep_all.end()) {
        MenuFrame& kept = frames.back();
        kept.all = quads;
        for (const RecordedQuad& quad : kept.all) {
            const auto* info = platform::headless::RecordedTextureInfo(quad.texture);
            if (info && info->width == 800 && info->height == 600) {
                kept.snapshot = quad;
                kept.snapshot_pixels = *info;
            }
        }
    }
    platform::headless::ClearRecording();
    if (frames.size() == kRunawayFrames) {
        ADD_FAILURE() << "the pause menu did not close";
        PressKey(kKeyEscape);
        AtTime(platform::MilliSecs() + 20, [] { ReleaseKey(kKeyEscape); });
    }
}

class PauseMenuTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::headless::UseHeadlessBackends(1000);
        platform::EndGraphics();
        framework::ResetHooks();
        framework::ResetProgram();
        framework::ResetFramePump();
        framework::ResetDisplaySetup();
        framework::ResetSettings();
        framework::ResetDrawHelpers();
        controls::ResetControls();
        controls::InitControls();
        menus::ResetSettingsState();
        ASSERT_TRUE(platform::Graphics(800, 600, 0, 60, 0));
        platform::SetVirtualResolution(1280, 960);
        framework::DisplayWidth = 800;
        framework::DisplayHeight = 600;
        framework::VirtualWidth = 1280;
        framework::VirtualHeight = 960;
        framework::OverlayOn = 0;
        framework::LastFrameTime = platform::MilliSecs();
        framework::InGame = 1;
        menus::InstallPauseMenu();
        framework::Screens.music_tick = ObserveFrame;
        framework::Screens.settings_menu = [] { settings_calls_paused += framework::InGame == 2; };
        frames.clear();
        keep_all.clear();
        settings_calls_paused = 0;
    }
    void TearDown() override { platform::EndGraphics(); }

    // Schedules an action for just after menu frame n of the next pause is presented (its input
    // is read by frame n + 1; Escape is checked at once). Nothing may be presented between the
    // scheduling and the pause.
    static void AtMenuFrame(int n, std::function<void()> action) {
        AtFrame(platform::headless::FrameNumber() + n, std::move(action));
    }

    // Ends a play frame (a green block in the top-left quarter) with Escape held, as the play
    // loop does; Escape is let go 30 ms later, which opens the menu. Returns the pump's result.
    int PauseFromPlay() {
        frames.clear();
        framework::BeginFrame(1);
        framework::ResetDrawState();
        framework::SetColorAlpha(0, 200, 0, 1.0f);
        platform::DrawRect(0, 0, 640, 480);
        PressKey(kKeyEscape);
        AtTime(platform::MilliSecs() + 30, [] { ReleaseKey(kKeyEscape); });
        return framework::FramePump(0);
    }

    // Escape pressed after menu frame n and let go after hold_ms.
    void EscapeAt(int n, int hold_ms = 20) {
        AtMenuFrame(n, [hold_ms] {
            PressKey(kKeyEscape);
            AtTime(platform::MilliSecs() + hold_ms, [] { ReleaseKey(kKeyEscape); });
        });
    }
    // A key pressed after menu frame n and let go after frame n + 1.
    void TapAt(int n, int key) {
        AtMenuFrame(n, [key] { PressKey(key); });
        AtMenuFrame(n + 1, [key] { ReleaseKey(key); });
    }

    // The highlighted item of each frame, runs of the same item shown once.
    static std::vector<int> HighlightChanges() {
        std::vector<int> changes;
        for (const MenuFrame& frame : frames) {
            if (changes.empty() || changes.back() != frame.highlighted) changes.push_back(frame.highlighted);
        }
        return changes;
    }
};

// ---- Input: latch, moves, wrap, choosing -------------------------------------------------------

TEST_F(PauseMenuTest, FireHeldWhenPausingMustBeReleasedAndPressedAgain) {
    PressKey(kKeyZ);  // player 1's fire, held from the game into the menu
    AtMenuFrame(20, [] { ReleaseKey(kKeyZ); });
    AtMenuFrame(25, [] { PressKey(kKeySpace); });
    AtMenuFrame(30, [] { ReleaseKey(kKeySpace); });
    EXPECT_EQ(PauseFromPlay(), 1);
    EXPECT_EQ(frames.size(), 26u);  // Space read by frame 26 chose "Continue"
    EXPECT_EQ(HighlightChanges(), (std::vector<int>{kContinueItem}));
}

TEST_F(PauseMenuTest, UpAndDownWrapAroundBothEnds) {
    TapAt(3, kKeyUp);    // Continue -> Quit (wraps below the first item)
    TapAt(6, kKeyDown);  // Quit -> Continue (wraps past the last item)
    TapAt(9, kKeyUp);    // Continue -> Quit
    TapAt(12, kKeyUp);   // Quit -> Continue
    EscapeAt(15);
    EXPECT_EQ(PauseFromPlay(), 1);
    EXPECT_EQ(HighlightChanges(),
              (std::vector<int>{kContinueItem, kQuitItem, kContinueItem, kQuitItem, kContinueItem}));
    ASSERT_EQ(frames.size(), 15u);
    EXPECT_EQ(frames[3].highlighted, kQuitItem);  // the press takes effect in the next frame
}

TEST_F(PauseMenuTest, HoldingDownMovesOnceAndEscapeThenQuits) {
    AtMenuFrame(3, [] { PressKey(kKeyDown); });
    AtMenuFrame(40, [] { ReleaseKey(kKeyDown); });
    EscapeAt(45);
    EXPECT_EQ(PauseFromPlay(), 99);
    EXPECT_EQ(HighlightChanges(), (std::vector<int>{kContinueItem, kQuitItem}));
}

TEST_F(PauseMenuTest, EscapeLeavesWithTheHighlightedItemOnlyOnceReleased) {
    static int released_at = 0;
    AtMenuFrame(8, [] {
        PressKey(kKeyEscape);
        released_at = platform::MilliSecs() + 400;
        AtTime(released_at, [] { ReleaseKey(kKeyEscape); });
    });
    EXPECT_EQ(PauseFromPlay(), 1);
    EXPECT_EQ(frames.size(), 8u);  // no menu frame after the press
    EXPECT_GE(platform::MilliSecs(), released_at);
    EXPECT_FALSE(platform::KeyDown(kKeyEscape));
    EXPECT_EQ(framework::InGame, 1);

    TapAt(2, kKeyDown);
    EscapeAt(5, 200);
    EXPECT_EQ(PauseFromPlay(), 99);
    EXPECT_EQ(frames.size(), 5u);
}

TEST_F(PauseMenuTest, ThirdPlayersJoystickMovesAndChooses) {
    controls::ResetControls();
    const int port = platform::headless::AttachJoystick("Pad", 8);
    ASSERT_EQ(port, 0);
    controls::InitControls();
    controls::ControlBindings[controls::BindingIndex(controls::Down, 3)] =
        controls::JoyCode(1, controls::JoyHatDown);
    controls::ControlBindings[controls::BindingIndex(controls::FaceRed, 3)] =
        controls::JoyCode(1, controls::JoyButton0 + 3);
    AtMenuFrame(3, [] { platform::headless::SetJoyHat(0, 0.5f); });
    AtMenuFrame(5, [] { platform::headless::SetJoyHat(0, -1.0f); });
    AtMenuFrame(8, [] { platform::headless::SetJoyButton(0, 3, true); });
    AtMenuFrame(12, [] { platform::headless::SetJoyButton(0, 3, false); });
    EXPECT_EQ(PauseFromPlay(), 99);
    EXPECT_EQ(frames.size(), 9u);
    EXPECT_EQ(HighlightChanges(), (std::vector<int>{kContinueItem, kQuitItem}));
}

// ---- The picture ---------------------------------------------------------------------------------

float Length(float x, float y) {
    return std::sqrt(x * x + y * y);
}

const RecordedQuad* FindQuad(const std::vector<RecordedQuad>& quads,
                             const std::function<bool(const RecordedQuad&)>& match) {
    for (const RecordedQuad& quad : quads) {
        if (match(quad)) return &quad;
    }
    return nullptr;
}

TEST_F(PauseMenuTest, FrozenPlayPictureTurnsAndWobblesBehindTheBoxAndItems) {
    keep_all = {60};
    EscapeAt(60);
    ASSERT_EQ(PauseFromPlay(), 1);
    ASSERT_EQ(frames.size(), 60u);
    const auto& quads = frames[59].all;

    // The snapshot: the size of the display, holding the play frame that was being built.
    ASSERT_TRUE(frames[59].snapshot.has_value());
    const RecordedQuad* snapshot = &*frames[59].snapshot;
    const auto& pixels = frames[59].snapshot_pixels.rgba;
    auto green_at = [&](int x, int y) { return pixels[(static_cast<std::size_t>(y) * 800 + x) * 4 + 1]; };
    EXPECT_EQ(green_at(100, 100), 200);  // the green block covers the top-left quarter
    EXPECT_EQ(green_at(600, 500), 0);
    // Centred on the screen, turned 6 degrees after 60 frames (0.1 a frame),
    // x scale sin(24) / 2 + 1.5 (the phase gains 0.4 a frame).
    const auto* c = snapshot->corners;
    EXPECT_NEAR((c[0].x + c[2].x) / 2, 640, 0.5);
    EXPECT_NEAR((c[0].y + c[2].y) / 2, 480, 0.5);
    EXPECT_NEAR(std::atan2(c[1].y - c[0].y, c[1].x - c[0].x) * 180 / M_PI, 6.0, 0.01);
    EXPECT_NEAR(Length(c[1].x - c[0].x, c[1].y - c[0].y), 800 * (std::sin(24 * M_PI / 180) * 0.5 + 1.5), 0.5);
    // y scale sin(1.3 x 24) / 2 + 1.5: the two axes swing at different speeds.
    EXPECT_NEAR(Length(c[3].x - c[0].x, c[3].y - c[0].y), 600 * (std::sin(1.3 * 24 * M_PI / 180) * 0.5 + 1.5),
                0.5);

    // The half-dark box at 10% across and 37.5% down, a sixth wide and a quarter high.
    const RecordedQuad* box = FindQuad(quads, [](const RecordedQuad& q) {
        return q.texture == 0 && q.corners[0].r == 0 && q.corners[0].g == 0 && q.corners[0].a == 128;
    });
    ASSERT_NE(box, nullptr);
    EXPECT_NEAR(box->corners[0].x, 128, 0.01);
    EXPECT_NEAR(box->corners[0].y, 360, 0.01);
    EXPECT_NEAR(box->corners[2].x, 128 + 1280 / 6.0, 0.01);
    EXPECT_NEAR(box->corners[2].y, 600, 0.01);

    // The items inside it, upright: the selected one yellow and 20 pixels further right.
    float yellow_x = 1e9f, yellow_y = 1e9f, white_x = 1e9f, white_y = 1e9f;
    for (const RecordedQuad& q : quads) {
        const auto& v = q.corners[0];
        if (v.a != 255 || q.texture == 0) continue;
        if (v.r == 255 && v.g == 255 && v.b == 0)
            yellow_x = std::min(yellow_x, v.x), yellow_y = std::min(yellow_y, v.y);
        if (v.r == 255 && v.g == 255 && v.b == 255 && v.y > 300)
            white_x = std::min(white_x, v.x), white_y = std::min(white_y, v.y);
    }
    EXPECT_GE(yellow_x, 158);
    EXPECT_LT(yellow_x, 168);
    EXPECT_GE(yellow_y, 417);  // glyph boxes may reach a pixel or two above the pen
    EXPECT_LT(yellow_y, 440);
    EXPECT_GE(white_x, 138);
    EXPECT_LT(white_x, 148);
    EXPECT_GE(white_y, 477);
    EXPECT_LT(white_y, 500);
}

TEST_F(PauseMenuTest, TitlesStayAtTheSamePlacesInEveryFrameAndEveryPause) {
    EscapeAt(100);
    ASSERT_EQ(PauseFromPlay(), 1);
    const std::vector<MenuFrame> first_pause = frames;
    const int generator_after_first = platform::RndState();

    // A longer second pause, over a different game moment.
    platform::SeedRnd(12345);
    platform::Rand(1, 10);
    EscapeAt(130, 60);
    ASSERT_EQ(PauseFromPlay(), 1);
    // Leaving reseeds from the clock, so the game does not replay one sequence after each pause.
    EXPECT_NE(platform::RndState(), generator_after_first);

    ASSERT_EQ(first_pause.size(), 100u);
    ASSERT_EQ(frames.size(), 130u);
    const std::size_t glyphs = first_pause[0].titles.size();
    ASSERT_GT(glyphs, 0u);
    ASSERT_EQ(glyphs % menus::PauseTitlesTotal, 0u);  // every text drawn, none skipped
    // Every frame of the second pause matches the same frame of the first (same turn, same wobble).
    for (int n : {0, 49, 99}) {
        ASSERT_EQ(frames[n].titles.size(), glyphs);
        for (std::size_t q = 0; q < glyphs; ++q) {
            const auto& a = first_pause[n].titles[q].corners[0];
            const auto& b = frames[n].titles[q].corners[0];
            ASSERT_TRUE(a.x == b.x && a.y == b.y && a.r == b.r && a.g == b.g && a.b == b.b)
                << "frame " << n + 1 << " glyph " << q << " differs between pauses";
        }
    }
    // Within one pause every text keeps the colour, and so the place, the seed gave it.
    for (std::size_t q = 0; q < glyphs; ++q) {
        const auto& early = first_pause[0].titles[q].corners[0];
        const auto& late = first_pause[99].titles[q].corners[0];
        ASSERT_TRUE(early.r == late.r && early.g == late.g && early.b == late.b) << "glyph " << q;
    }
}

// ---- Around the menu: the game clock and the settings panel ------------------------------------

TEST_F(PauseMenuTest, PauseDoesNotCountOnTheGameClockAndThePanelStillRuns) {
    framework::GameStartTime = 5000;
    static int released_at = 0;
    AtMenuFrame(40, [] {
        PressKey(kKeyEscape);
        released_at = platform::MilliSecs() + 100;
        AtTime(released_at, [] { ReleaseKey(kKeyEscape); });
    });
    const int paused_at = platform::MilliSecs();
    EXPECT_EQ(PauseFromPlay(), 1);
    EXPECT_EQ(framework::InGame, 1);
    // 40 frames of at least 14.67 ms each, plus the waits for Escape to be let go.
    EXPECT_GT(released_at - paused_at, 40 * 14);
    EXPECT_EQ(framework::GameStartTime, 5000 + (released_at - paused_at));
    EXPECT_EQ(settings_calls_paused, 40);
}

}  // namespace
