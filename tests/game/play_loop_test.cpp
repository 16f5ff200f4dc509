// The play loop frame by frame: steering with inertia and bounces, firing cadence, pickups and
// power steps, the safe zone and its damage, the end test and the lines it draws, wave-set
// regeneration, stars and camera, and quitting from the pause menu.
#include "game/play_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "framework/display_setup.h"
#include "framework/hooks.h"
#include "framework/program.h"
#include "game/enemies.h"
#include "game/entities.h"
#include "game/play_fixture.h"
#include "platform/clock.h"
#include "platform/headless/recorder.h"
#include "platform/headless/script_input.h"
#include "scores/score_file.h"

namespace {

using platform::headless::PressKey;
using platform::headless::ReleaseKey;
using namespace play_testing;

// ---- Steering ----------------------------------------------------------------------------------

TEST(Steering, ReleasingDriftsBackAndSnapsToRest) {
    float v = game::SteerVelocity(0.5f, false, false);
    EXPECT_NEAR(v, 0.35f, 1e-6);
    EXPECT_EQ(game::SteerVelocity(v, false, false), 0);  // 0.2 snaps to 0
    EXPECT_NEAR(game::SteerVelocity(-0.5f, false, false), -0.35f, 1e-6);
}

TEST(Steering, HoldingAcceleratesBy035UpTo8) {
    float v = 0;
    for (int frame = 1; frame <= 22; ++frame) {
        v = game::SteerVelocity(v, false, true);
        ASSERT_NEAR(v, 0.35f * frame, 1e-4) << frame;
    }
    EXPECT_EQ(game::SteerVelocity(v, false, true), 8);
    EXPECT_EQ(game::SteerVelocity(-7.9f, true, false), -8);
}

TEST(Steering, ReversingBrakesHarderAndBothControlsHoldTheSpeed) {
    EXPECT_NEAR(game::SteerVelocity(8, true, false), 7.3f, 1e-5);
    EXPECT_NEAR(game::SteerVelocity(-8, false, true), -7.3f, 1e-5);
    EXPECT_NEAR(game::SteerVelocity(5, true, true), 5, 1e-5);
    EXPECT_EQ(game::SteerVelocity(0, true, true), 0);
}

class PlayLoop : public PlayTest {
  protected:
    void SetUp() override {
        PlayTest::SetUp();
        game::StartGame();
        // Only waiting enemies far away, so nothing touches the craft unless a test says so.
        for (game::die& e : game::EnemyList) e.w = 100000;
    }
    // Frames of the play loop without the frame pump.
    static void Frames(int count) {
        for (int i = 0; i < count; ++i) {
            if (count > 1) platform::headless::ClearRecording();  // long runs keep no drawing
            game::UpdateAndDrawFrame();
        }
    }
    // Bullets fired in the frame just run (aged once by the bullet step).
    static int NewBullets() {
        int count = 0;
        for (const game::lets& b : game::BulletList) count += b.t == 1;
        return count;
    }
};

TEST_F(PlayLoop, StartOfAGame) {
    EXPECT_FLOAT_EQ(game::Health, 99);
    EXPECT_FLOAT_EQ(game::PlayerX, 0);
    EXPECT_FLOAT_EQ(game::PlayerY, 480);
    EXPECT_FLOAT_EQ(game::CameraX, -640);
    EXPECT_EQ(game::FireCooldown, 100);
    EXPECT_EQ(game::PickupTarget, 25);
    ASSERT_EQ(game::StarList.size(), 499u);
    // New stars go to the front: the first in the list is the deepest.
    EXPECT_NEAR(game::StarList.front().l, 499 / 120.0f + 2, 1e-5);
    EXPECT_NEAR(game::StarList.back().l, 1 / 120.0f + 2, 1e-5);
    for (const game::ar& s : game::StarList) {
        EXPECT_TRUE(s.r >= 220 && s.r <= 250 && s.r % 10 == 0);
        EXPECT_TRUE(s.x >= 0 && s.x <= 2600 && s.y >= 0 && s.y <= 960);
    }
    EXPECT_GT(game::EnemyList.size(), 1000u);
}

TEST_F(PlayLoop, CraftBouncesOffTheTopAndBottomLimits) {
    game::PlayerY = 83;
    game::VelocityY = -4.65f;
    PressKey(kKeyUp);
    Frames(1);
    EXPECT_FLOAT_EQ(game::PlayerY, 80);
    EXPECT_NEAR(game::VelocityY, 5, 1e-5);
    ReleaseKey(kKeyUp);
    game::PlayerY = 917;
    game::VelocityY = 4.65f;
    PressKey(kKeyDown);
    Frames(1);
    EXPECT_FLOAT_EQ(game::PlayerY, 920);
    EXPECT_NEAR(game::VelocityY, -5, 1e-5);
}

TEST_F(PlayLoop, HorizontalFlightHasNoLimitAndTheCameraEasesAhead) {
    game::PlayerX = 160;
    Frames(1);
    EXPECT_FLOAT_EQ(game::CameraX, -630);  // a sixteenth of the way to 160 - 640
    PressKey(kKeyRight);
    Frames(600);
    EXPECT_FLOAT_EQ(game::VelocityX, 8);
    EXPECT_GT(game::PlayerX, 4000);
    // Settled 24 frames of motion ahead of the craft.
    // The easing trails a target moving 8 a frame by 8 x 16 = 128 pixels.
    EXPECT_NEAR(game::CameraX, game::PlayerX + 8 * 24 - 640 - 128, 0.5);
}

TEST_F(PlayLoop, FireHeldFromTheStartFiresInFrame51ThenEvery8Frames) {
    PressKey(kKeyZ);
    std::vector<int> shots;
    for (int frame = 1; frame <= 70; ++frame) {
        Frames(1);
        if (NewBullets() > 0) shots.push_back(frame);
    }
    EXPECT_EQ(shots, (std::vector<int>{51, 59, 67}));
    EXPECT_LT(game::BulletList.front().d, 0);  // Z fires to the left
}

TEST_F(PlayLoop, ReleasingFireMakesTheNextPressFireAtOnce) {
    Frames(1);
    EXPECT_EQ(game::FireCooldown, 0);
    game::VelocityX = 5.5f;
    game::PowerLevel = 6;
    PressKey(kKeyX);
    Frames(1);
    ASSERT_EQ(NewBullets(), 1);
    EXPECT_FLOAT_EQ(game::BulletList.back().d, 19);  // 14 + 5.5, truncated
    std::vector<int> shots;
    for (int frame = 1; frame <= 12; ++frame) {
        Frames(1);
        if (NewBullets() > 0) shots.push_back(frame);
    }
    EXPECT_EQ(shots, (std::vector<int>{3, 6, 9, 12}));  // power 6: every 3 frames
}

TEST_F(PlayLoop, TwentyFivePickupsScoreAndRaiseThePower) {
    GiveEffectASample(9);  // only the power-step sound
    for (int i = 0; i < 25; ++i)
        game::PickupList.push_front({static_cast<int>(game::PlayerX) - 24, 480 - 24, 0});
    Frames(1);
    EXPECT_TRUE(game::PickupList.empty());
    EXPECT_EQ(game::GameScore, 25 * 25);
    EXPECT_EQ(game::PickupCount, 0);
    EXPECT_EQ(game::PickupTarget, 50);
    EXPECT_EQ(game::PowerLevel, 1);
    EXPECT_EQ(game::EffectChannelIndex, 21);
    EXPECT_EQ(game::ParticleList.size(), 25u * 64);
    // The next step needs 50 more.
    for (int i = 0; i < 49; ++i) game::PickupList.push_front({static_cast<int>(game::PlayerX) - 24, 456, 0});
    Frames(1);
    EXPECT_EQ(game::PickupCount, 49);
    EXPECT_EQ(game::PowerLevel, 1);
}

TEST_F(PlayLoop, PickupsOutOfReachAgeAndVanishAfter240Frames) {
    game::PickupList.push_front({5000, 400, 239});
    game::PickupList.push_front({5000, 400, 240});
    game::PickupList.push_front({static_cast<int>(game::PlayerX) + 40, 456, 0});  // 64 right: out of reach
    Frames(1);
    ASSERT_EQ(game::PickupList.size(), 2u);
    EXPECT_EQ(game::PickupList.back().t, 240);
    EXPECT_EQ(game::PickupCount, 0);
}

TEST_F(PlayLoop, PickupMeterGrowsBy36PixelsPerPickupOnA900HighScreen) {
    framework::VirtualHeight = 900;
    game::PickupCount = 3;
    platform::headless::ClearRecording();
    Frames(1);
    platform::SubmitDrawing();
    int found = 0;
    for (const auto& quad : platform::headless::RecordedQuads()) {
        const auto& c = quad.corners;
        if (c[0].r == 0 && c[0].g == 255 && c[0].b == 0 && c[0].a > 120 && c[0].a < 135) {
            ++found;
            const float top = std::min({c[0].y, c[1].y, c[2].y, c[3].y});
            const float bottom = std::max({c[0].y, c[1].y, c[2].y, c[3].y});
            EXPECT_FLOAT_EQ(bottom - top, 108);
            EXPECT_FLOAT_EQ(bottom, 900);
        }
    }
    EXPECT_EQ(found, 1);
}

TEST_F(PlayLoop, OutsideTheZoneTheCraftLosesHealthEveryFrame) {
    GiveEffectASample(6);
    game::PlayerX = 2000;  // on the edge: still inside
    Frames(1);
    EXPECT_FLOAT_EQ(game::Health, 99);
    game::PlayerX = 2001;
    Frames(1);
    EXPECT_NEAR(game::Health, 98.7f, 1e-4);
    EXPECT_EQ(game::EffectChannelIndex, 21);
    game::PlayerX = -2001;
    game::VelocityX = 0;
    Frames(1);
    EXPECT_NEAR(game::Health, 98.4f, 1e-4);
    EXPECT_EQ(game::EndReason, 0);
}

TEST_F(PlayLoop, HealthRunningOutEndsTheGameAtZero) {
    GiveEffectASample(7);
    game::Health = 0.2f;
    game::PlayerX = 3000;
    Frames(1);
    EXPECT_EQ(game::Health, 0);
    EXPECT_EQ(game::EndReason, 1);
    EXPECT_EQ(game::EffectChannelIndex, 21);
    EXPECT_EQ(game::HealthText(game::Health), "Health : 00");
}

TEST_F(PlayLoop, MusicStartsAndRestartsOnlyWhenThereIsMusic) {
    Frames(3);
    EXPECT_EQ(game::MusicChannel, 0);  // no music file: a silent game
    game::GameMusic = SilentSound();
    ASSERT_TRUE(game::GameMusic);
    Frames(1);
    const platform::Channel first = game::MusicChannel;
    ASSERT_NE(first, 0);
    Frames(1);
    EXPECT_EQ(game::MusicChannel, first);  // still playing: left alone
    platform::StopChannel(first);
    Frames(1);
    EXPECT_NE(game::MusicChannel, 0);
    EXPECT_TRUE(platform::ChannelPlaying(game::MusicChannel));
}

TEST_F(PlayLoop, ZoneTurnsBackAtItsLimits) {
    game::ArenaX = 3999;
    game::ArenaSpeed = 2;
    Frames(1);
    EXPECT_LE(game::ArenaSpeed, -0.5f);
    EXPECT_GE(game::ArenaSpeed, -7);
    game::ArenaX = -3999;
    game::ArenaSpeed = -2;
    Frames(1);
    EXPECT_GE(game::ArenaSpeed, 0.5f);
}

TEST(PlayTexts, ScoreShowsTwelveDigitsAndHealthTwo) {
    EXPECT_EQ(game::ScoreText(1234), "000000001234");
    EXPECT_EQ(game::ScoreText(0), "000000000000");
    EXPECT_EQ(game::HealthText(99), "Health : 99");
    EXPECT_EQ(game::HealthText(7.9f), "Health : 07");
}

TEST_F(PlayLoop, FewerThan100EnemiesBringTheNextWaveSetInTheSameFrame) {
    for (int left : {100, 99}) {
        while (game::EnemyList.size() > static_cast<size_t>(left)) game::EnemyList.pop_back();
        for (game::die& e : game::EnemyList) e.x = 123456;
        Frames(1);
        if (left == 100) {
            EXPECT_EQ(game::WaveSetNumber, 0);
            EXPECT_EQ(game::EnemyList.size(), 100u);
        } else {
            EXPECT_EQ(game::WaveSetNumber, 1);
            EXPECT_GT(game::EnemyList.size(), 1000u);
            for (const game::die& e : game::EnemyList) ASSERT_NE(e.x, 123456);  // the rest vanished
        }
    }
}

TEST_F(PlayLoop, StarsRepeatEvery2600PixelsAndDeeperOnesMoveSlower) {
    game::StarList.clear();
    game::StarList.push_front({100, 200, 4, 250, 250, 250});
    for (float camera : {0.0f, 400.0f, 800.0f}) {
        game::CameraX = camera;
        game::PlayerX = camera + 640;  // keeps the camera where it is
        platform::headless::ClearRecording();
        Frames(1);
        platform::SubmitDrawing();
        int stars = 0;
        for (const auto& quad : platform::headless::RecordedQuads()) {
            if (quad.texture != game::ImgStar->texture) continue;
            ++stars;
            const float left = quad.corners[0].x;
            const float expected = camera == 800 ? 2500 : 100 - camera / 4;
            EXPECT_NEAR(left, expected, 0.01) << camera;
            EXPECT_NEAR(quad.corners[1].x - left, 16 / 3.0f, 0.01);  // scale 1 / (4 / 2 + 1)
            EXPECT_EQ(quad.corners[0].r, 83);                        // 250 / (4 - 1)
        }
        EXPECT_EQ(stars, 1);
    }
}

int QuitFromPause() {
    return 99;
}

TEST_F(PlayLoop, QuittingFromThePauseMenuShowsGameOverAndWaits) {
    framework::Screens.pause_menu = QuitFromPause;
    framework::InGame = 1;
    const int start = platform::headless::FrameNumber();
    platform::headless::AtFrame(start + 20, [] { PressKey(kKeyEscape); });
    // Name entry waits for Escape to be let go, then takes Enter.
    platform::headless::AtFrame(start + 30, [] { ReleaseKey(kKeyEscape); });
    platform::headless::AtFrame(start + 35, [] { PressKey(kKeyEnter); });
    platform::headless::AtFrame(start + 40, [] { ReleaseKey(kKeyEnter); });
    static std::vector<platform::headless::RecordedQuad> game_over;
    static int game_over_ms = 0;
    game_over.clear();
    // The first frame of name entry still has the "Game Over" frame as the last one presented.
    framework::Screens.music_tick = [] {
        if (framework::InGame == 0 && game_over.empty()) {
            game_over = platform::headless::LastFrameQuads();
            game_over_ms = platform::MilliSecs();
        }
    };
    const int before = platform::MilliSecs();
    game::GameScore = 0;
    game::RunGame();
    EXPECT_EQ(game::EndReason, 99);
    EXPECT_EQ(framework::InGame, 0);
    EXPECT_FLOAT_EQ(game::Health, 99);
    EXPECT_GE(game_over_ms - before, 19 * 14 + 1500);
    ASSERT_EQ(scores::ScoreList.size(), 1u);
    EXPECT_EQ(scores::ScoreList[0].Quit, 1);
    EXPECT_TRUE(std::filesystem::exists("scores.dat"));
    // A yellow title with a dark rim and a white outline.
    int yellow = 0, dark = 0, white = 0;
    for (const auto& quad : game_over) {
        const auto& c = quad.corners[0];
        if (c.r == 255 && c.g == 255 && c.b == 0) ++yellow;
        if (c.r == 8 && c.g == 8 && c.b == 8) ++dark;
        if (c.r == 255 && c.g == 255 && c.b == 255 && quad.texture != game::ImgStar->texture) ++white;
    }
    EXPECT_GE(yellow, 8);  // "GameOver" letters
    EXPECT_EQ(dark, 25 * yellow);
    EXPECT_EQ(white, 49 * yellow);
}

}  // namespace
