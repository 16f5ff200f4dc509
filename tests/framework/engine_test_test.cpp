// The engine test on the headless back-ends with a scripted frame rate: the clock is advanced in
// the frame pump's music tick so that the pump's smoothed rate after each pass's eighth frame is
// exactly the rate the script gives for that pass.
#include "framework/engine_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/frame_pump.h"
#include "framework/hooks.h"
#include "framework/log.h"
#include "framework/settings.h"
#include "framework/support/program_fixture.h"
#include "platform/clock.h"
#include "platform/draw.h"
#include "platform/headless/manual_clock.h"
#include "platform/headless/recorder.h"

namespace fs = std::filesystem;
using testing_support::FindLine;

namespace {

constexpr int kFramesPerPass = 8;

// The rate each pass should end on, indexed by pass (0 is the 500-sprite pass); the last entry
// repeats for any later pass.
std::vector<int> script;
int frames_run = 0;
// Sprite quads (alpha 0) and logo quads seen in the first presented frame.
int first_frame_sprites = -1, first_frame_logos = -1;
float first_sprite_width = 0;

// Smoothed rates the pump reaches: (1000 div d + 2 p) div 3 for a frame of d >= 15 ms.
int Smooth(int x, int p) {
    return (x + 2 * p) / 3;
}

// Whether `remaining` more frames can end exactly on want, starting from p.
bool CanReach(int p, int remaining, int want) {
    static std::array<std::array<std::array<signed char, 70>, kFramesPerPass + 1>, 70> memo{};
    if (remaining == 0) return p == want;
    signed char& known = memo[p][remaining][want];
    if (known == 0) {
        known = -1;
        for (int d = 15; d <= 1001 && known < 0; ++d) {
            if (CanReach(Smooth(1000 / d, p), remaining - 1, want)) known = 1;
        }
    }
    return known > 0;
}

// Frame length that keeps the pass on course for its scripted rate, nearest that rate first.
int ChooseFrameLength(int p, int remaining, int want) {
    int best_d = 15, best_gap = 1000;
    for (int d = 15; d <= 1001; ++d) {
        const int next = Smooth(1000 / d, p);
        if (!CanReach(next, remaining, want)) continue;
        if (std::abs(next - want) < best_gap) {
            best_gap = std::abs(next - want);
            best_d = d;
        }
    }
    return best_d;
}

void ScriptedFrameTime() {
    const int pass = frames_run / kFramesPerPass;
    const int remaining = kFramesPerPass - 1 - frames_run % kFramesPerPass;
    const int want = script[std::min<std::size_t>(pass, script.size() - 1)];
    const int elapsed = platform::MilliSecs() - framework::LastFrameTime;
    const int length = ChooseFrameLength(framework::MeasuredFps, remaining, want);
    platform::headless::AdvanceClock(std::max(0, length - elapsed));
    if (frames_run == 1) {
        // The first frame has been presented by now.
        first_frame_sprites = first_frame_logos = 0;
        for (const auto& quad : platform::headless::LastFrameQuads()) {
            if (quad.texture == framework::IconsSharp->texture && quad.corners[0].a == 0 &&
                quad.corners[0].r == 0) {
                ++first_frame_sprites;
                first_sprite_width =
                    std::hypot(quad.corners[1].x - quad.corners[0].x, quad.corners[1].y - quad.corners[0].y);
            }
            if (quad.texture == framework::LogoImage->texture ||
                quad.texture == framework::SiteLogoImage->texture)
                ++first_frame_logos;
        }
    }
    ++frames_run;
}

class EngineTestRun : public testing_support::ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(framework::OpenLog((root_ / "Files" / "Debug.txt").string()));
        ASSERT_TRUE(platform::Graphics(800, 600, 0, 60, 0));
        platform::SetVirtualResolution(1280, 960);
        framework::VirtualWidth = 1280;
        framework::VirtualHeight = 960;
        framework::IconsSharp = platform::CreateImage(16, 16, 1, 0);
        framework::LogoImage = platform::CreateImage(64, 32, 1, 0);
        framework::SiteLogoImage = platform::CreateImage(64, 32, 1, 0);
        framework::Screens.music_tick = ScriptedFrameTime;
        framework::LastFrameTime = platform::MilliSecs();
        framework::MeasuredFps = 64;  // a machine that has been running at full pace
        framework::OverlayOn = 1;
        frames_run = 0;
        first_frame_sprites = first_frame_logos = -1;
    }

    // Runs the test with target 60 and scale 2; returns the log lines it wrote.
    std::vector<std::string> Run(std::vector<int> rates) {
        script = std::move(rates);
        framework::EngineTest(60, 2);
        framework::CloseLog();
        return LogLines();
    }

    void ExpectResultLines(const std::vector<std::string>& log, int target, int main, int glow,
                           int particles) {
        const int at = FindLine(log, "Engine Test Results");
        ASSERT_GE(at, 1);
        EXPECT_EQ(log[at - 1], "");
        EXPECT_EQ(log[at + 1], "");
        EXPECT_EQ(log[at + 2],
                  "\tMaximum Sprites Allowed for " + std::to_string(target) + " Frames Per Second");
        EXPECT_EQ(log[at + 3], "\tMain sprites : " + std::to_string(main));
        EXPECT_EQ(log[at + 4], "\tGlowy Sprites : " + std::to_string(glow));
        EXPECT_EQ(log[at + 5], "\tParticles : " + std::to_string(particles));
        EXPECT_EQ(log[at + 6], "");
    }

    void ExpectLimits(int main, int glow, int particles) {
        EXPECT_EQ(framework::SpriteLimits[1], main);
        EXPECT_EQ(framework::SpriteLimits[2], glow);
        EXPECT_EQ(framework::SpriteLimits[3], particles);
    }
};

const char kOverwritten[] = "Settings Overwritten, Set to Default Lower Limits at 30fps.";

TEST_F(EngineTestRun, RateOfTargetMinusTwoRecordsThePassStopsAndTheFloorForcesFrameskip) {
    const auto log = Run({64, 60, 60, 58, 64});
    EXPECT_EQ(frames_run, 4 * kFramesPerPass);  // 500, 1000, 1500, 2000
    ASSERT_GE(FindLine(log, "Starting Engine Test"), 0);
    EXPECT_EQ(log[FindLine(log, "Starting Engine Test") + 1], "Aiming for 60,2");
    EXPECT_GT(FindLine(log, "Engine Test Results"), FindLine(log, "Test Complete"));
    ExpectResultLines(log, 60, 800, 800, 400);
    ExpectLimits(1000, 800, 400);
    EXPECT_EQ(framework::Settings[7], 1);
    EXPECT_EQ(framework::TargetFps, 30);
    const int overwritten = FindLine(log, kOverwritten);
    ASSERT_GT(overwritten, FindLine(log, "Engine Test Results"));
    ASSERT_EQ(static_cast<int>(log.size()), overwritten + 2);
    EXPECT_EQ(log.back(), "");
    EXPECT_EQ(framework::OverlayOn, 0);
}

TEST_F(EngineTestRun, DrawsTheLogosAndCountPlusOneInvisibleSpritesAtTheSpriteScale) {
    Run({50});
    EXPECT_EQ(first_frame_sprites, 501);
    EXPECT_NEAR(first_sprite_width, 32.0f, 0.01f);
    EXPECT_EQ(first_frame_logos, 2);
    // During the test the budgets stay small; the frame start zeroed the counts.
    EXPECT_EQ(framework::SpriteCounts[1], 0);
}

TEST_F(EngineTestRun, AMachineHoldingTheRateToTheEndGetsFortyAndTwentyPercentOfTwentyThousand) {
    const auto log = Run({64});
    EXPECT_EQ(frames_run, 40 * kFramesPerPass);
    ExpectResultLines(log, 60, 8000, 8000, 4000);
    ExpectLimits(8000, 8000, 4000);
    EXPECT_EQ(framework::Settings[7], 0);
    EXPECT_EQ(framework::TargetFps, 60);
    EXPECT_EQ(FindLine(log, kOverwritten), -1);
    EXPECT_EQ(framework::OverlayOn, 0);
}

TEST_F(EngineTestRun, OneBelowTheTargetRecordsThePassAndGoesOn) {
    const auto log = Run({64, 64, 59, 57});
    EXPECT_EQ(frames_run, 4 * kFramesPerPass);
    // 1500 held 59; 2000 at 57 neither records nor continues.
    ExpectResultLines(log, 60, 600, 600, 300);
    ExpectLimits(1000, 600, 300);
    EXPECT_EQ(framework::Settings[7], 1);
}

TEST_F(EngineTestRun, SlowSystemModeAimsForThirtyAndAlwaysLogsTheOverwrite) {
    framework::Settings[7] = 1;
    const auto log = Run({40, 40, 40, 40, 40, 40, 40, 40, 40, 40, 20});  // 5500 drops to 20
    EXPECT_EQ(frames_run, 11 * kFramesPerPass);
    EXPECT_GE(FindLine(log, "Aiming for 30,2"), 0);
    ExpectResultLines(log, 30, 2000, 2000, 1000);
    ExpectLimits(2000, 2000, 1000);
    EXPECT_EQ(framework::TargetFps, 30);
    EXPECT_GT(FindLine(log, kOverwritten), FindLine(log, "Engine Test Results"));
}

TEST_F(EngineTestRun, AMachineFailingAtOneThousandGetsTheFloorsAfterSixteenFrames) {
    // The first pass never stops the test, however slow.
    const auto log = Run({20, 50});
    EXPECT_EQ(frames_run, 2 * kFramesPerPass);
    ExpectResultLines(log, 60, 0, 0, 0);
    ExpectLimits(1000, 500, 250);
    EXPECT_EQ(framework::Settings[7], 1);
    EXPECT_GE(FindLine(log, kOverwritten), 0);
    EXPECT_EQ(framework::OverlayOn, 0);
}

}  // namespace
