// The exit screen: what it saves and logs before drawing, the thanks page on its own 640 x 480
// display with the fonts made for the previous one, which inputs end the wait, and the ways the
// program reaches it (Escape, the window's close request, Alt+F4).
#include "framework/exit_screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "controls/controls.h"
#include "framework/display_setup.h"
#include "framework/game_info.h"
#include "framework/hooks.h"
#include "framework/log.h"
#include "framework/program.h"
#include "framework/settings.h"
#include "framework/support/program_fixture.h"
#include "platform/clock.h"
#include "platform/draw.h"
#include "platform/headless/recorder.h"
#include "platform/headless/script_input.h"
#include "platform/system.h"
#include "scores/score_file.h"

namespace fs = std::filesystem;
namespace hl = platform::headless;

namespace {

constexpr int kEscape = 27, kF4 = 115, kF12 = 123, kLeftAlt = 164, kA = 65;
const std::vector<std::string> kClosingLines = {"Closing Up", "", "Bye!", "", "Play again, soon!!"};

// What happens during the wait; run by the exit-screen hook just before the screen itself.
std::function<void()> before_exit;

class ExitScreen : public testing_support::ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        before_exit = nullptr;
        scores::ResetScores();
        framework::InstallExitScreen();
    }
    void TearDown() override {
        scores::ResetScores();
        ProgramTest::TearDown();
    }
    // Runs the exit screen from the game folder with the display of a game open; returns the
    // exit status and sets ended_ms to the clock when the process ended.
    int RunFromGame() {
        fs::current_path(root_ / "Files" / framework::GameFolder());
        EXPECT_TRUE(framework::OpenLog((root_ / "Files" / "Debug.txt").string()));
        framework::LogLine("Finished Loading");
        EXPECT_TRUE(platform::Graphics(800, 600, 0, 60, 0));
        platform::SetVirtualResolution(1280, 960);
        if (before_exit) before_exit();
        // A click long after every scripted input, so a wait that ignores them fails the test's
        // timing checks instead of hanging it.
        hl::AtTime(platform::MilliSecs() + 5000, [] { hl::PressButton(1); });
        try {
            framework::ExitScreen();
        } catch (const platform::ProcessEnded& ended) {
            ended_ms = platform::MilliSecs();
            fs::current_path(root_);
            return ended.status;
        }
        return -1;
    }
    // Page quads drawn in the colour r, g, b at full alpha.
    static std::vector<hl::RecordedQuad> QuadsIn(int r, int g, int b) {
        std::vector<hl::RecordedQuad> found;
        for (const hl::RecordedQuad& quad : hl::LastFrameQuads()) {
            const auto& v = quad.corners[0];
            if (v.r == r && v.g == g && v.b == b && v.a == 255) found.push_back(quad);
        }
        return found;
    }
    std::vector<std::string> LastLogLines(std::size_t n) const {
        const std::vector<std::string> lines = LogLines();
        if (lines.size() < n) return lines;
        return std::vector<std::string>(lines.end() - static_cast<long>(n), lines.end());
    }
    int ended_ms = -1;
};

TEST_F(ExitScreen, SavesSetupAndScoresLogsClosingLinesAndEndsWithStatusZeroOnAKey) {
    framework::Settings[11] = 77;
    scores::Scores record;
    record.Score = 4321;
    record.Name = "ZED";
    scores::ScoreList.push_back(record);
    int key_at = 0;
    before_exit = [&key_at] {
        key_at = platform::MilliSecs() + 500;
        hl::AtTime(key_at, [] { hl::PressKey(kA); });
    };
    testing::internal::CaptureStdout();
    ASSERT_EQ(RunFromGame(), 0);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_GE(ended_ms, key_at);
    EXPECT_LT(ended_ms, key_at + 5);

    std::ifstream setup(root_ / "Files" / "Setup.ini", std::ios::binary);
    std::stringstream setup_text;
    setup_text << setup.rdbuf();
    EXPECT_NE(setup_text.str().find("77"), std::string::npos);
    std::ifstream saved_scores(root_ / "Files" / framework::GameFolder() / "scores.dat", std::ios::binary);
    std::stringstream scores_text;
    scores_text << saved_scores.rdbuf();
    EXPECT_EQ(scores_text.str().rfind("4321|ZED|", 0), 0u);
    // The log ends with the closing lines and nothing after them; the log is closed.
    EXPECT_EQ(LastLogLines(6), (std::vector<std::string>{"Finished Loading", "Closing Up", "", "Bye!", "",
                                                         "Play again, soon!!"}));
    EXPECT_FALSE(framework::LogOpen());
    EXPECT_FALSE(platform::GraphicsOpen());
    // One of the five farewells went to standard output.
    bool farewell = false;
    for (int which = 1; which <= 5; ++which)
        farewell = farewell || printed == framework::FarewellText(which) + "\n";
    EXPECT_TRUE(farewell) << printed;
}

TEST_F(ExitScreen, DrawsTheThanksPageOnItsOwnSmallWindowWithTheEarlierFonts) {
    CopyCommonAssets();
    fs::current_path(root_ / "Files" / framework::GameFolder());
    ASSERT_TRUE(platform::Graphics(800, 600, 0, 60, 0));
    framework::LoadCommonAssets();
    const platform::Font column_font = framework::FontSlots[9];
    ASSERT_TRUE(column_font);
    before_exit = [] { hl::AtTime(platform::MilliSecs() + 100, [] { hl::PressButton(1); }); };
    ASSERT_EQ(RunFromGame(), 0);
    const platform::DisplayRequest request = hl::LastDisplayRequest();
    EXPECT_EQ(request.width, 640);
    EXPECT_EQ(request.height, 480);
    EXPECT_EQ(request.depth, 0);
    EXPECT_EQ(request.hertz, 60);
    EXPECT_EQ(framework::FontSlots[9], column_font);  // not loaded again
    EXPECT_TRUE(framework::LogoImage && framework::SiteLogoImage);

    // Background, logos, shadows, white headings and the pale cyan column, in one frame.
    const auto background = QuadsIn(0, 0, 80);
    ASSERT_FALSE(background.empty());
    EXPECT_FLOAT_EQ(background.front().corners[2].x, 640);
    EXPECT_FLOAT_EQ(background.front().corners[2].y, 480);
    const auto column = QuadsIn(180, 255, 255);
    // About one glyph per letter of the heading and the seven lines.
    EXPECT_GT(column.size(), 150u);
    float left = 1e9f, top = 1e9f;
    for (const auto& quad : column) {
        left = std::min(left, quad.corners[0].x);
        top = std::min(top, quad.corners[0].y);
        EXPECT_NE(quad.texture, 0u);
    }
    EXPECT_NEAR(left, 270, 6);
    EXPECT_NEAR(top, 4, 12);
    // The logos at half size: the site logo (400 x 150) at (384, 224).
    bool site_logo = false;
    for (const auto& quad : QuadsIn(255, 255, 255)) {
        const auto& a = quad.corners[0];
        const auto& c = quad.corners[2];
        site_logo = site_logo || (a.x == 384 && a.y == 224 && c.x == 584 && c.y == 299);
    }
    EXPECT_TRUE(site_logo);
    // Headings: black shadows at 80 % and white text two units up and left of them.
    int shadows = 0;
    for (const auto& quad : hl::LastFrameQuads()) {
        shadows += quad.corners[0].r == 0 && quad.corners[0].a == 204;
    }
    EXPECT_GT(shadows, 20);
}

// The fonts of displays below 900 pixels wide are 1.2 or 1.5 times their base size. The page
// has no virtual screen, so at that size the heading would run over the site logo and into the
// line below, and on the smallest displays the column would leave the page.
class ExitScreenPage : public ExitScreen, public testing::WithParamInterface<int> {};

TEST_P(ExitScreenPage, EveryTextKeepsToItsPlace) {
    CopyCommonAssets();
    fs::current_path(root_ / "Files" / framework::GameFolder());
    framework::DisplayWidth = GetParam();
    framework::DisplayHeight = GetParam() * 3 / 4;
    ASSERT_TRUE(platform::Graphics(framework::DisplayWidth, framework::DisplayHeight, 0, 60, 0));
    framework::LoadCommonAssets();
    before_exit = [] { hl::AtTime(platform::MilliSecs() + 100, [] { hl::PressButton(1); }); };
    ASSERT_EQ(RunFromGame(), 0);

    // White glyphs: the heading (top 220) and the appeal below it (top 274). The logos are
    // white too; they are the only quads whose corners lie on the logos' own corners.
    float heading_bottom = 0, heading_right = 0, feedback_top = 1e9f, feedback_right = 0;
    int glyphs = 0;
    for (const auto& quad : QuadsIn(255, 255, 255)) {
        const auto& a = quad.corners[0];
        const auto& c = quad.corners[2];
        if ((a.x == 0 && a.y == 0) || (a.x == 384 && a.y == 224)) continue;
        ++glyphs;
        if (a.y < 262) {
            heading_bottom = std::max(heading_bottom, c.y);
            heading_right = std::max(heading_right, c.x);
        } else {
            feedback_top = std::min(feedback_top, a.y);
            feedback_right = std::max(feedback_right, c.x);
        }
    }
    EXPECT_GT(glyphs, 25);
    EXPECT_LE(heading_right, 384 - 4);  // left of the site logo
    EXPECT_GT(heading_right, 300);      // and not shrunk to nothing
    EXPECT_LE(heading_bottom, feedback_top);
    EXPECT_LE(feedback_right, 384 - 4);

    // The pale cyan column: each glyph inside the page and within its own line (ascenders may
    // rise a pixel above the line's top).
    const int line_tops[] = {4, 44, 64, 84, 104, 134, 164, 184};
    const int line_ends[] = {44, 64, 84, 104, 124, 154, 184, 204};
    for (const auto& quad : QuadsIn(180, 255, 255)) {
        const auto& a = quad.corners[0];
        const auto& c = quad.corners[2];
        int line = 0;
        while (line < 7 && (a.y + c.y) / 2 >= line_tops[line + 1]) ++line;
        EXPECT_GE(a.y, line_tops[line] - 2) << "glyph at " << a.x << "," << a.y;
        EXPECT_LE(c.y, line_ends[line]) << "glyph at " << a.x << "," << a.y;
        EXPECT_LE(c.x, 640);
    }
}

INSTANTIATE_TEST_SUITE_P(SmallDisplays, ExitScreenPage, testing::Values(800, 500));

TEST_F(ExitScreen, AKeyHeldFromTheTitleScreenEndsTheWaitAtOnceAfterTheSaves) {
    before_exit = [] { hl::PressKey(kEscape); };
    const int started = platform::MilliSecs();
    ASSERT_EQ(RunFromGame(), 0);
    EXPECT_LT(ended_ms - started, 20);  // one paced present of the page
    EXPECT_TRUE(fs::exists(root_ / "Files" / "Setup.ini"));
    EXPECT_EQ(LastLogLines(5), kClosingLines);
}

TEST_F(ExitScreen, F12AloneDoesNotEndTheWaitButAClickDoes) {
    int click_at = 0;
    before_exit = [&click_at] {
        hl::PressKey(kF12);
        click_at = platform::MilliSecs() + 700;
        hl::AtTime(click_at, [] { hl::PressButton(2); });
    };
    ASSERT_EQ(RunFromGame(), 0);
    EXPECT_GE(ended_ms, click_at);
}

TEST_F(ExitScreen, TheWindowsCloseRequestEndsTheWait) {
    int close_at = 0;
    before_exit = [&close_at] {
        close_at = platform::MilliSecs() + 300;
        hl::AtTime(close_at, [] { hl::RequestClose(); });
    };
    ASSERT_EQ(RunFromGame(), 0);
    EXPECT_GE(ended_ms, close_at);
    EXPECT_LT(ended_ms, close_at + 5);
}

TEST_F(ExitScreen, AltF4EndsTheWaitEvenWhileF12IsHeld) {
    // With F12 held DetectInput reports nothing; the shortcut is checked on its own.
    int keys_at = 0;
    before_exit = [&keys_at] {
        hl::PressKey(kF12);
        keys_at = platform::MilliSecs() + 300;
        hl::AtTime(keys_at, [] {
            hl::PressKey(kLeftAlt);
            hl::PressKey(kF4);
        });
    };
    ASSERT_EQ(RunFromGame(), 0);
    EXPECT_GE(ended_ms, keys_at);
    EXPECT_LT(ended_ms, keys_at + 5);
}

TEST_F(ExitScreen, ADisabledJoysticksButtonDoesNotEndTheWait) {
    const int port = hl::AttachJoystick("Pad", 8);
    ASSERT_GE(port, 0);
    controls::InitControls();
    ASSERT_EQ(controls::JoyPortCount, 1);
    controls::JoyPorts[1].enabled = 0;
    int key_at = 0;
    before_exit = [&key_at, port] {
        hl::AtTime(platform::MilliSecs() + 100, [port] { hl::SetJoyButton(port, 2, true); });
        key_at = platform::MilliSecs() + 400;
        hl::AtTime(key_at, [] { hl::PressKey(kA); });
    };
    ASSERT_EQ(RunFromGame(), 0);
    EXPECT_GE(ended_ms, key_at);
}

TEST_F(ExitScreen, AnEnabledJoysticksButtonEndsTheWait) {
    const int port = hl::AttachJoystick("Pad", 8);
    ASSERT_GE(port, 0);
    controls::InitControls();
    int button_at = 0;
    before_exit = [&button_at, port] {
        button_at = platform::MilliSecs() + 100;
        hl::AtTime(button_at, [port] { hl::SetJoyButton(port, 2, true); });
    };
    ASSERT_EQ(RunFromGame(), 0);
    EXPECT_GE(ended_ms, button_at);
    EXPECT_LT(ended_ms, button_at + 5);
}

// The whole program: start-up, the title screen, and each way out of it.
class LeavingTheProgram : public ExitScreen {
  protected:
    // Acts on the tenth title-screen frame.
    static inline std::function<void()> on_tenth_frame;
    static inline int title_frames = 0;
    void SetUp() override {
        ExitScreen::SetUp();
        title_frames = 0;
        framework::Screens.draw_results_panel = [](int, int, int, int) {
            if (++title_frames == 10) on_tenth_frame();
        };
    }
    void ExpectClosedProperly(int status) {
        EXPECT_EQ(status, 0);
        EXPECT_EQ(title_frames, 10);
        EXPECT_EQ(LastLogLines(5), kClosingLines);
        EXPECT_TRUE(fs::exists(root_ / "Files" / "Setup.ini"));
        EXPECT_TRUE(fs::exists(root_ / "Files" / framework::GameFolder() / "scores.dat"));
    }
};

TEST_F(LeavingTheProgram, EscapeOnTheTitleScreen) {
    on_tenth_frame = [] { hl::PressKey(kEscape); };
    ExpectClosedProperly(RunProgramUntilEnd());
}

TEST_F(LeavingTheProgram, TheWindowsCloseRequestThenAKey) {
    on_tenth_frame = [] {
        hl::RequestClose();
        hl::AtTime(platform::MilliSecs() + 1000, [] { hl::PressKey(kA); });
    };
    ExpectClosedProperly(RunProgramUntilEnd());
}

TEST_F(LeavingTheProgram, AltF4) {
    on_tenth_frame = [] {
        hl::PressKey(kLeftAlt);
        hl::PressKey(kF4);
    };
    ExpectClosedProperly(RunProgramUntilEnd());
}

}  // namespace
