// The frame pump: its order of steps, pacing and statistics, slow-system presenting, the global
// hotkeys and the exits.
#include "framework/frame_pump.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "framework/display_setup.h"
#include "framework/game_info.h"
#include "framework/hooks.h"
#include "framework/program.h"
#include "framework/settings.h"
#include "framework/support/program_fixture.h"
#include "menus/settings_state.h"
#include "platform/clock.h"
#include "platform/draw.h"
#include "platform/headless/manual_clock.h"
#include "platform/headless/recorder.h"
#include "platform/headless/script_input.h"
#include "platform/system.h"

namespace fs = std::filesystem;
using platform::headless::PressKey;
using platform::headless::ReleaseKey;

namespace {

std::vector<std::string> calls;

class Pump : public testing_support::ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        calls.clear();
        fs::current_path(root_ / "Files" / framework::GameFolder());
        ASSERT_TRUE(platform::Graphics(800, 600, 0, 60, 0));
        platform::SetVirtualResolution(1280, 960);
        framework::LastFrameTime = platform::MilliSecs();
        framework::OverlayOn = 0;
    }
    // Runs n frames; returns the milliseconds between consecutive ends of the pump.
    std::vector<int> RunFrames(int n, int show_pointer = 0) {
        std::vector<int> durations;
        for (int i = 0; i < n; ++i) {
            const int before = framework::LastFrameTime;
            framework::FramePump(show_pointer);
            durations.push_back(framework::LastFrameTime - before);
        }
        return durations;
    }
};

TEST_F(Pump, RunsItsStepsInOrderAndPresentsAfterTheMessages) {
    framework::Game.draw_score_popups = [] { calls.push_back("popups"); };
    framework::Screens.settings_menu = [] { calls.push_back("settings"); };
    // The frame goes to the renderer before the pump sleeps, so it renders during the sleep.
    framework::Screens.music_tick = [] {
        calls.push_back("music " + std::to_string(platform::headless::SubmitCount()));
    };
    framework::Screens.draw_messages = [] {
        calls.push_back("messages " + std::to_string(platform::headless::PresentCount()));
    };
    const int presents = platform::headless::PresentCount();
    const int submits = platform::headless::SubmitCount();
    RunFrames(1);
    EXPECT_EQ(calls, (std::vector<std::string>{"popups", "settings", "music " + std::to_string(submits + 1),
                                               "messages " + std::to_string(presents)}));
    EXPECT_EQ(platform::headless::PresentCount(), presents + 1);
}

TEST_F(Pump, EveryFrameLastsAtLeast15MillisecondsAndTheRateSettlesNear60) {
    const std::vector<int> durations = RunFrames(120);
    for (int d : durations) EXPECT_GE(d, 15);
    EXPECT_GE(framework::MeasuredFps, 62);
    EXPECT_LE(framework::MeasuredFps, 66);
}

TEST_F(Pump, SlowFrameIsNotCaughtUp) {
    RunFrames(10);
    platform::headless::AdvanceClock(200);  // a stall inside a screen's frame
    const std::vector<int> after = RunFrames(3);
    EXPECT_GE(after[0], 200);
    EXPECT_GE(after[1], 15);
    EXPECT_LE(after[1], 17);
}

TEST_F(Pump, SlowSystemModePresentsEveryOtherFrame) {
    framework::Settings[7] = 1;
    const int presents = platform::headless::PresentCount();
    std::vector<bool> drawn;
    for (int i = 0; i < 10; ++i) {
        drawn.push_back(framework::IsDrawnFrame());
        RunFrames(1);
    }
    EXPECT_EQ(platform::headless::PresentCount(), presents + 5);
    EXPECT_EQ(drawn, (std::vector<bool>{true, false, true, false, true, false, true, false, true, false}));
}

TEST_F(Pump, TabTogglesThePanelAndSavesEachTime) {
    const fs::path setup = root_ / "Files" / "Setup.ini";
    platform::headless::TapKey(9);
    RunFrames(1);
    EXPECT_EQ(menus::settings_open, 1);
    ASSERT_TRUE(fs::exists(setup));
    fs::remove(setup);
    platform::headless::TapKey(9);
    RunFrames(1);
    EXPECT_EQ(menus::settings_open, 0);
    EXPECT_TRUE(fs::exists(setup));
    EXPECT_EQ(fs::current_path(), root_ / "Files" / "042");
}

TEST_F(Pump, EscapeDuringPlayPausesAndThePauseDoesNotCountOnTheGameClock) {
    framework::InGame = 1;
    framework::GameStartTime = 5000;
    framework::Screens.pause_menu = [] {
        EXPECT_EQ(framework::InGame, 2);
        platform::headless::AdvanceClock(10000);
        return 99;
    };
    PressKey(27);
    EXPECT_EQ(framework::FramePump(0), 99);
    EXPECT_EQ(framework::InGame, 1);
    EXPECT_EQ(framework::GameStartTime, 15000);
}

TEST_F(Pump, EscapeOnTheTitleScreenDoesNotPause) {
    bool paused = false;
    static bool* flag = &paused;
    framework::Screens.pause_menu = [] {
        *flag = true;
        return 1;
    };
    PressKey(27);
    EXPECT_EQ(framework::FramePump(1), 0);
    EXPECT_FALSE(paused);
}

TEST_F(Pump, F12TogglesTheOverlay) {
    const auto quads_per_frame = [this] {
        RunFrames(1);
        return platform::headless::LastFrameQuads().size();
    };
    const size_t plain = quads_per_frame();
    platform::headless::TapKey(123);
    EXPECT_GT(quads_per_frame(), plain + 20);  // seven lines of text
    EXPECT_EQ(framework::OverlayOn, 1);
    platform::headless::TapKey(123);
    EXPECT_EQ(quads_per_frame(), plain);
}

TEST_F(Pump, PointerDrawnWhenAskedOrWhileThePanelIsOpen) {
    framework::IconsFiltered = platform::CreateImage(16, 16, 64);
    const auto quads = [this](int show_pointer) {
        RunFrames(1, show_pointer);
        return platform::headless::LastFrameQuads().size();
    };
    const size_t without = quads(0);
    EXPECT_EQ(quads(1), without + 1);
    menus::settings_open = 1;
    EXPECT_EQ(quads(0), without + 1);
}

TEST_F(Pump, TracksThePointerInVirtualUnits) {
    platform::headless::MovePointer(400, 300);
    RunFrames(1);
    platform::headless::MovePointer(80, 60);
    RunFrames(1);
    EXPECT_EQ(framework::PointerX, 128);
    EXPECT_EQ(framework::PointerY, 96);
    EXPECT_EQ(framework::PrevPointerX, 640);
    EXPECT_EQ(framework::PrevPointerY, 480);
}

TEST_F(Pump, AltF4AndTheWindowsCloseRequestEndTheProgram) {
    for (int way = 0; way < 2; ++way) {
        platform::headless::UseScriptInput();
        if (way == 0) {
            PressKey(165);
            PressKey(115);
        } else {
            platform::headless::RequestClose();
        }
        try {
            RunFrames(1);
            ADD_FAILURE() << "the pump returned";
        } catch (const platform::ProcessEnded& ended) {
            EXPECT_EQ(ended.status, 0);
        }
    }
}

}  // namespace
