// The title screen frame by frame: when a game starts, the locks after a game, the difficulty
// keys, Escape, and the sliding credits panel.
#include <gtest/gtest.h>

#include <functional>

#include "framework/display_setup.h"
#include "framework/frame_pump.h"
#include "framework/hooks.h"
#include "framework/program.h"
#include "framework/support/program_fixture.h"
#include "menus/settings_state.h"
#include "platform/draw.h"
#include "platform/headless/recorder.h"
#include "platform/headless/script_input.h"

namespace {

using platform::headless::PressKey;
using platform::headless::ReleaseKey;

constexpr int kZ = 90, kLeft = 37, kUp = 38, kDown = 40, kEscape = 27;

class Title : public testing_support::ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        frame = 0;
        games.clear();
        during_frame = nullptr;
        during_game = nullptr;
        ASSERT_TRUE(platform::Graphics(800, 600, 0, 60, 0));
        platform::SetVirtualResolution(1280, 960);
        framework::OverlayOn = 0;
        // The results panel is drawn once per title frame: the tests act there.
        framework::Screens.draw_results_panel = [](int, int, int, int) {
            ++frame;
            if (during_frame) during_frame(frame);
            if (frame > 400) PressKey(kEscape);  // a test that forgot to leave
        };
        framework::Game.run_game = [] {
            games.push_back(frame);
            if (during_game) during_game();
        };
    }
    static inline int frame = 0;
    static inline std::vector<int> games;
    static inline std::function<void(int)> during_frame;
    static inline std::function<void()> during_game;
};

TEST_F(Title, StartControlHeldInFrameNStartsTheGameInFrameNPlusOne) {
    during_frame = [](int f) {
        if (f == 5) PressKey(kZ);
        if (f == 8) PressKey(kEscape);
    };
    framework::TitleScreen();
    EXPECT_EQ(games, std::vector<int>{6});
    EXPECT_EQ(framework::InGame, 0);
}

TEST_F(Title, LeftStartsAGameButUpOnlyMovesTheDifficulty) {
    during_frame = [](int f) {
        if (f == 3) PressKey(kUp);
        if (f == 6) ReleaseKey(kUp);
        if (f == 10) PressKey(kLeft);
        if (f == 14) PressKey(kEscape);
    };
    framework::TitleScreen();
    EXPECT_EQ(games, std::vector<int>{11});
    EXPECT_EQ(framework::CurrentGameMode, 2);  // Normal wraps up to Harder
}

TEST_F(Title, UpAndDownTogetherMoveTheDifficultyOnceUpwards) {
    framework::CurrentGameMode = 1;
    during_frame = [](int f) {
        if (f == 3) {
            PressKey(kUp);
            PressKey(kDown);
        }
        if (f == 10) PressKey(kEscape);
    };
    framework::TitleScreen();
    EXPECT_TRUE(games.empty());
    EXPECT_EQ(framework::CurrentGameMode, 0);
}

TEST_F(Title, ButtonHeldWhenAGameEndsDoesNotStartTheNext) {
    during_frame = [](int f) {
        if (f == 2) PressKey(kZ);
        if (f == 20) ReleaseKey(kZ);
        if (f == 25) PressKey(kZ);
        if (f == 30) PressKey(kEscape);
    };
    framework::TitleScreen();
    EXPECT_EQ(games, (std::vector<int>{3, 26}));
}

TEST_F(Title, EscapeHeldWhenAGameReturnsDoesNotQuit) {
    during_game = [] { PressKey(kEscape); };
    during_frame = [](int f) {
        if (f == 2) PressKey(kZ);
        if (f == 4) ReleaseKey(kZ);
        if (f == 10) ReleaseKey(kEscape);
        if (f == 15) PressKey(kEscape);
    };
    framework::TitleScreen();
    EXPECT_EQ(games, std::vector<int>{3});
    EXPECT_EQ(frame, 15);
}

TEST_F(Title, StartDoesNothingWhileTheSettingsPanelShows) {
    menus::panel_y = -200;
    during_frame = [](int f) {
        if (f == 2) PressKey(kZ);
        if (f == 10) {
            menus::panel_y = -300;  // slid away: the held button now starts a game
        }
        if (f == 15) PressKey(kEscape);
    };
    framework::TitleScreen();
    EXPECT_EQ(games, std::vector<int>{10});
}

TEST_F(Title, CreditsPanelSlidesInOver32Frames) {
    // The panel is the one black rectangle at alpha 0.6.
    auto panel_left = [] {
        for (const auto& quad : platform::headless::LastFrameQuads()) {
            const auto& c = quad.corners[0];
            if (c.r == 0 && c.g == 0 && c.b == 0 && c.a == 153) return quad.corners[0].x;
        }
        return -9999.0f;
    };
    static float left_at_frame_1 = 0, left_at_frame_40 = 0, right_at_frame_40 = 0;
    during_frame = [&](int f) {
        if (f == 2) left_at_frame_1 = panel_left();  // drawn in frame 1
        if (f == 41) {
            left_at_frame_40 = panel_left();
            for (const auto& quad : platform::headless::LastFrameQuads()) {
                if (quad.corners[0].a == 153 && quad.corners[0].r == 0) right_at_frame_40 = quad.corners[1].x;
            }
            PressKey(kEscape);
        }
    };
    framework::TitleScreen();
    // 800-wide display: 416 wide, 13 per frame; offset 416 - 13 at frame 1, 0 from frame 32 on.
    EXPECT_FLOAT_EQ(left_at_frame_1, 10 - (416 - 13));
    EXPECT_FLOAT_EQ(left_at_frame_40, 10);
    EXPECT_FLOAT_EQ(right_at_frame_40, 426);
}

}  // namespace
