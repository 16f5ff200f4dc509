// Sound effects and music: the rotating pool of effect slots, muting, the clamps of rate, volume
// and pan as the mixer hears them, and restarting the music.
#include "game/sound_effects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/display_setup.h"
#include "framework/program.h"
#include "framework/settings.h"
#include "game/entities.h"
#include "game/play_fixture.h"
#include "platform/audio.h"
#include "platform/headless/manual_clock.h"
#include "platform/headless/null_mixer.h"

namespace {

using framework::Channels;
using framework::Settings;
using play_testing::LevelSound;

class Effects : public play_testing::PlayTest {
  protected:
    void SetUp() override {
        PlayTest::SetUp();
        platform::headless::UseNullAudio();
        level_sound_ = LevelSound(16384);
        ASSERT_TRUE(level_sound_);
        framework::SoundEffects[3] = level_sound_;
        for (platform::Channel& channel : Channels) channel = 0;
    }
    void TearDown() override {
        game::StopMusic();
        PlayTest::TearDown();
    }

    // Left and right level of the current mix, relative to the sample's level.
    std::pair<float, float> MixLevels() {
        const std::vector<float> mix = platform::headless::MixFor(10);
        if (mix.size() < 2) return {-1, -1};
        return {mix[0] / 0.5f, mix[1] / 0.5f};
    }

    platform::Sound level_sound_;
};

TEST_F(Effects, PoolRunsFromSlot21To255ThenWrapsTo20) {
    EXPECT_EQ(game::EffectChannelIndex, 20);
    game::PlayEffect(3, 1, 1, 0);
    EXPECT_EQ(game::EffectChannelIndex, 21);
    const platform::Channel first = Channels[21];
    EXPECT_NE(first, 0);
    EXPECT_TRUE(platform::ChannelPlaying(first));
    for (int i = 2; i <= 235; ++i) game::PlayEffect(3, 1, 1, 0);
    EXPECT_EQ(game::EffectChannelIndex, 255);
    game::PlayEffect(3, 1, 1, 0);
    EXPECT_EQ(game::EffectChannelIndex, 20);
    for (int slot = 20; slot <= 255; ++slot) ASSERT_TRUE(platform::ChannelPlaying(Channels[slot])) << slot;
    EXPECT_EQ(Channels[19], 0);
    EXPECT_EQ(Channels[256], 0);

    // The 237th effect takes over slot 21 and cuts off what it still played.
    game::PlayEffect(3, 1, 1, 0);
    EXPECT_EQ(game::EffectChannelIndex, 21);
    EXPECT_NE(Channels[21], first);
    EXPECT_TRUE(platform::ChannelPlaying(Channels[21]));
    EXPECT_FALSE(platform::ChannelPlaying(first));
}

TEST_F(Effects, FinishedChannelStaysInItsSlotAndIsReused) {
    game::PlayEffect(3, 1, 1, 0);
    const platform::Channel channel = Channels[21];
    game::EffectChannelIndex = 20;
    platform::headless::AdvanceClock(1500);
    ASSERT_FALSE(platform::ChannelPlaying(channel));
    game::PlayEffect(3, 1, 1, 0);
    EXPECT_EQ(Channels[21], channel);
    EXPECT_TRUE(platform::ChannelPlaying(channel));
}

TEST_F(Effects, MutedOrMissingEffectsPlayNothingAndLeaveThePoolAlone) {
    Settings[12] = 0;
    game::PlayEffect(3, 1, 1, 0);
    EXPECT_EQ(game::EffectChannelIndex, 20);
    Settings[12] = 50;
    for (int n : {4, 0, -1, 201, 100000}) game::PlayEffect(n, 1, 1, 0);
    EXPECT_EQ(game::EffectChannelIndex, 20);
    EXPECT_EQ(platform::headless::NullVoicesInUse(), 0);
}

TEST_F(Effects, VolumeFollowsTheSettingsAndEverythingIsClamped) {
    Settings[11] = 50;
    Settings[12] = 80;
    // Hard left so the left channel carries the whole volume.
    game::PlayEffect(3, 1, 1, -1);
    auto [left, right] = MixLevels();
    EXPECT_NEAR(left, 0.4f, 0.01f);
    EXPECT_NEAR(right, 0, 0.01f);
    EXPECT_FLOAT_EQ(framework::ChannelVolumes[21], 1);

    // Volume 3 counts as 1, pan -3 as -1 (only the new channel sounds: the old one is stopped).
    platform::StopChannel(Channels[21]);
    game::PlayEffect(3, 1, 3, -3);
    std::tie(left, right) = MixLevels();
    EXPECT_NEAR(left, 0.4f, 0.01f);
    EXPECT_NEAR(right, 0, 0.01f);
    EXPECT_FLOAT_EQ(framework::ChannelVolumes[22], 1);
    platform::StopChannel(Channels[22]);
    game::PlayEffect(3, 1, -2, 5);
    std::tie(left, right) = MixLevels();
    EXPECT_NEAR(left + right, 0, 0.001f);
    EXPECT_FLOAT_EQ(framework::ChannelVolumes[23], 0);
}

TEST_F(Effects, RateIsClampedToAQuarterAndFourTimes) {
    // The one-second sample lasts 1 / rate seconds.
    game::PlayEffect(3, 5, 1, 0);
    const platform::Channel fast = Channels[21];
    game::PlayEffect(3, 0.1f, 1, 0);
    const platform::Channel slow = Channels[22];
    platform::headless::AdvanceClock(240);
    EXPECT_TRUE(platform::ChannelPlaying(fast));
    platform::headless::AdvanceClock(30);
    EXPECT_FALSE(platform::ChannelPlaying(fast));
    platform::headless::AdvanceClock(3700);
    EXPECT_TRUE(platform::ChannelPlaying(slow));
    platform::headless::AdvanceClock(100);
    EXPECT_FALSE(platform::ChannelPlaying(slow));
}

TEST_F(Effects, MusicStartsOverOnAFreshChannelAtTheMusicVolume) {
    Settings[13] = 0;
    game::StartMusic(level_sound_);
    EXPECT_EQ(game::MusicChannel, 0);

    Settings[11] = 50;
    Settings[13] = 60;
    game::StartMusic(level_sound_);
    const platform::Channel first = game::MusicChannel;
    ASSERT_NE(first, 0);
    EXPECT_TRUE(platform::ChannelPlaying(first));
    auto [left, right] = MixLevels();
    EXPECT_NEAR(left, 0.3f * std::cos(std::acos(-1.0f) / 4), 0.01f);
    EXPECT_NEAR(right, left, 0.001f);

    platform::headless::AdvanceClock(500);
    game::StartMusic(level_sound_);
    EXPECT_NE(game::MusicChannel, first);
    EXPECT_FALSE(platform::ChannelPlaying(first));
    EXPECT_TRUE(platform::ChannelPlaying(game::MusicChannel));
    game::StopMusic();
    EXPECT_EQ(game::MusicChannel, 0);
    EXPECT_EQ(platform::headless::NullVoicesInUse(), 0);

    // An empty sample (the music file is missing) gives a channel that never plays.
    game::StartMusic(nullptr);
    EXPECT_FALSE(platform::ChannelPlaying(game::MusicChannel));
}

}  // namespace
