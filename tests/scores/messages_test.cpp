// On-screen messages and badges: the stack's positions, colours and lifetime on the recorder, a
// burst of messages, the bit helpers and the badge award with its sound.
#include "scores/messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "framework/display_setup.h"
#include "framework/game_info.h"
#include "framework/hooks.h"
#include "framework/program.h"
#include "framework/settings.h"
#include "platform/audio.h"
#include "platform/draw.h"
#include "platform/headless/headless.h"
#include "platform/headless/null_mixer.h"
#include "platform/headless/recorder.h"

namespace {

using platform::headless::RecordedQuad;

// A bar: a plain quad in the message colours; its top edge and colour.
struct Bar {
    float y;
    bool yellow;
};

class Messages : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::headless::UseHeadlessBackends(1000);
        ASSERT_TRUE(platform::Graphics(800, 600, 0, 60, 0));
        platform::SetVirtualResolution(1280, 960);
        framework::ResetDisplaySetup();
        framework::ResetSettings();
        framework::ResetHooks();
        scores::ResetMessages();
        for (auto& channel : framework::Channels) channel = 0;
    }
    void TearDown() override {
        scores::ResetMessages();
        framework::ResetDisplaySetup();
        platform::EndGraphics();
    }
    // Bars drawn by one DrawMessages call, bottom first.
    static std::vector<Bar> DrawAndReadBars() {
        platform::headless::ClearRecording();
        scores::DrawMessages();
        std::vector<Bar> bars;
        for (const RecordedQuad& quad : platform::headless::RecordedQuads()) {
            const auto& v = quad.corners[0];
            // Bars are 70 % opaque; the text is fully opaque.
            if (v.a == 255) continue;
            const bool yellow = v.r == 255 && v.g == 255 && v.b == 0;
            const bool black = v.r == 0 && v.g == 0 && v.b == 0;
            if (yellow || black) bars.push_back({v.y, yellow});
        }
        return bars;
    }
    static int TextHeight() {
        framework::UseFontSlot(3);
        return platform::TextHeight();
    }
};

TEST_F(Messages, ThreePostedTogetherStackUpwardOldestLowestAndVanishTogether) {
    scores::ShowMessage("first", 1);
    scores::ShowMessage("second", 1);
    scores::ShowMessage("third", 1);
    const std::vector<Bar> bars = DrawAndReadBars();
    ASSERT_EQ(bars.size(), 3u);
    EXPECT_FLOAT_EQ(bars[0].y, 960 - 16);
    EXPECT_FLOAT_EQ(bars[1].y, 960 - 30);
    EXPECT_FLOAT_EQ(bars[2].y, 960 - 44);
    EXPECT_EQ(scores::MessageList.front().txt, "first");
    EXPECT_EQ(scores::MessageList.front().tick, 1);
    EXPECT_EQ(scores::MessageList.front().c, 1);
    for (int frame = 2; frame < scores::MessageFrames; ++frame) scores::DrawMessages();
    EXPECT_EQ(scores::MessageList.size(), 3u);  // 179 frames shown
    EXPECT_EQ(DrawAndReadBars().size(), 3u);    // the 180th is still drawn...
    EXPECT_TRUE(scores::MessageList.empty());   // ...and is the last
    EXPECT_TRUE(DrawAndReadBars().empty());
}

TEST_F(Messages, BlackOnYellowForFiftyNineFramesThenWhiteOnBlack) {
    scores::ShowMessage("Saved Screenshot", 1);
    for (int frame = 1; frame < 59; ++frame) scores::DrawMessages();
    const std::vector<Bar> fresh = DrawAndReadBars();  // frame 59
    ASSERT_EQ(fresh.size(), 1u);
    EXPECT_TRUE(fresh[0].yellow);
    const std::vector<Bar> older = DrawAndReadBars();  // frame 60
    ASSERT_EQ(older.size(), 1u);
    EXPECT_FALSE(older[0].yellow);
    // The bar is as wide and as high as the text.
    platform::headless::ClearRecording();
    scores::DrawMessages();
    const auto& quad = platform::headless::RecordedQuads().front();
    framework::UseFontSlot(3);
    EXPECT_NEAR(quad.corners[2].x - quad.corners[0].x, platform::TextWidth("Saved Screenshot"), 0.01);
    EXPECT_NEAR(quad.corners[2].y - quad.corners[0].y, TextHeight(), 0.01);
    // White text follows its bar.
    bool white_text = false;
    for (const RecordedQuad& q : platform::headless::RecordedQuads()) {
        const auto& v = q.corners[0];
        white_text = white_text || (v.a == 255 && v.r == 255 && v.g == 255 && v.b == 255);
    }
    EXPECT_TRUE(white_text);
}

TEST_F(Messages, ANewerMessageSitsAboveAnOlderOneAndDropsWhenItExpires) {
    scores::ShowMessage("old", 1);
    for (int frame = 0; frame < 100; ++frame) scores::DrawMessages();
    scores::ShowMessage("new", 1);
    std::vector<Bar> bars = DrawAndReadBars();
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_FLOAT_EQ(bars[0].y, 944);
    EXPECT_FALSE(bars[0].yellow);
    EXPECT_FLOAT_EQ(bars[1].y, 930);
    EXPECT_TRUE(bars[1].yellow);
    for (int frame = 0; frame < 79; ++frame) scores::DrawMessages();  // "old" reaches 180
    bars = DrawAndReadBars();
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_FLOAT_EQ(bars[0].y, 944);
    EXPECT_EQ(scores::MessageList.front().txt, "new");
}

TEST_F(Messages, TenThousandInOneFrameDrawOnlyWhatFitsAndAllExpire) {
    for (int i = 0; i < 10000; ++i) scores::ShowMessage("burst " + std::to_string(i), 1);
    std::size_t most_quads = 0;
    for (int frame = 0; frame < scores::MessageFrames; ++frame) {
        platform::headless::ClearRecording();
        scores::DrawMessages();
        most_quads = std::max(most_quads, platform::headless::RecordedQuads().size());
    }
    EXPECT_TRUE(scores::MessageList.empty());
    // 960 units hold about 69 lines of 14; each is a bar and about ten glyphs.
    EXPECT_GT(most_quads, 60u);
    EXPECT_LT(most_quads, 2000u);
}

TEST_F(Messages, InstallConnectsTheFrameHooks) {
    scores::InstallMessages();
    ASSERT_TRUE(framework::Screens.show_message && framework::Screens.draw_messages);
    framework::Screens.show_message("Can't set to fullscreen in this resolution.", 1);
    framework::Screens.draw_messages();
    ASSERT_EQ(scores::MessageList.size(), 1u);
    EXPECT_EQ(scores::MessageList.front().tick, 1);
}

TEST(Bits, GetAndSetCountFromOneAndSetClearsTheTopTwoBits) {
    EXPECT_EQ(scores::SetBit(0, 3, 1), 4);
    EXPECT_EQ(scores::GetBit(4, 3), 1);
    EXPECT_EQ(scores::GetBit(4, 2), 0);
    EXPECT_EQ(scores::SetBit(7, 2, 0), 5);
    EXPECT_EQ(scores::SetBit(1, 1, 1), 1);
    EXPECT_EQ(scores::SetBit(0, 30, 1), 1 << 29);
    EXPECT_EQ(scores::SetBit(static_cast<std::int32_t>(0xC0000001u), 2, 1), 3);
    EXPECT_EQ(scores::GetBit(static_cast<std::int32_t>(0x80000000u), 32), 1);
    EXPECT_EQ(scores::GetBit(-1, 1), 1);
}

TEST(Bits, PositionsOutsideTheRangeChangeNothingElse) {
    EXPECT_EQ(scores::GetBit(-1, 0), 0);
    EXPECT_EQ(scores::GetBit(-1, 33), 0);
    EXPECT_EQ(scores::SetBit(5, 0, 1), 5);
    EXPECT_EQ(scores::SetBit(5, 31, 1), 5);
    EXPECT_EQ(scores::SetBit(-1, 40, 1), 0x3FFFFFFF);
}

// The peak level of what the channels sound like over the next 200 ms.
float Peak() {
    float peak = 0;
    for (float sample : platform::headless::MixFor(200)) peak = std::max(peak, std::fabs(sample));
    return peak;
}

TEST_F(Messages, AwardSetsTheBitPostsTheNameAndPlaysOnTheNextPoolSlot) {
    framework::BadgeSound = platform::LoadSound(VANTOR_BUILD_DIR "/Files/Common/badgeget.wav");
    ASSERT_TRUE(framework::BadgeSound);
    framework::Settings[11] = 100;
    framework::Settings[12] = 100;
    int game_badges = 0, effect_slot = 20;
    scores::ConnectBadges(&game_badges, &effect_slot);
    scores::BadgeNames[3] = "Sharpshooter";
    scores::AwardBadge(3);
    EXPECT_EQ(game_badges, 4);
    EXPECT_EQ(effect_slot, 21);
    ASSERT_EQ(scores::MessageList.size(), 1u);
    EXPECT_EQ(scores::MessageList.back().txt, "Sharpshooter : Badge Earned");
    EXPECT_EQ(scores::MessageList.back().c, 1);
    const platform::Channel first = framework::Channels[21];
    ASSERT_NE(first, 0);
    EXPECT_TRUE(platform::ChannelPlaying(first));
    EXPECT_FALSE(platform::ChannelPaused(first));
    const float full = Peak();
    EXPECT_GT(full, 0.1f);

    // The same badge again: bits unchanged, but another message and another sound.
    platform::StopChannel(first);
    framework::Settings[11] = 50;
    framework::Settings[12] = 50;
    scores::AwardBadge(3);
    EXPECT_EQ(game_badges, 4);
    EXPECT_EQ(effect_slot, 22);
    EXPECT_EQ(scores::MessageList.size(), 2u);
    ASSERT_NE(framework::Channels[22], 0);
    EXPECT_NEAR(Peak() / full, 0.25f, 0.02f);  // master 50 % of sound 50 %
}

TEST_F(Messages, AwardWrapsThePoolAndIgnoresBadgesOutsideOneToSixteen) {
    int game_badges = 0, effect_slot = 255;
    scores::ConnectBadges(&game_badges, &effect_slot);
    scores::AwardBadge(16);
    EXPECT_EQ(game_badges, 1 << 15);
    EXPECT_EQ(effect_slot, 20);
    scores::AwardBadge(0);
    scores::AwardBadge(17);
    EXPECT_EQ(game_badges, 1 << 15);
    EXPECT_EQ(effect_slot, 20);
    EXPECT_EQ(scores::MessageList.size(), 1u);
    // Without a connection the framework keeps its own counter.
    scores::ResetMessages();
    scores::AwardBadge(1);
    EXPECT_EQ(scores::AwardedBadges(), 1);
    EXPECT_EQ(game_badges, 1 << 15);
}

TEST(BadgeStrip, SixteenDistinctPicturesOfSixtyFourSquareWithClearCorners) {
    platform::headless::UseHeadlessBackends(0);
    const platform::Image strip = platform::LoadAnimImage(
        VANTOR_BUILD_DIR "/Files/" + framework::GameFolder() + "badges.png", 64, 64, 0, 16, 3);
    ASSERT_TRUE(strip);
    ASSERT_EQ(strip->frame_count, 16);
    ASSERT_EQ(strip->width, 64);
    std::vector<std::array<long, 3>> averages;
    for (int frame = 0; frame < 16; ++frame) {
        const std::uint8_t* cell = strip->pixels.data() + static_cast<std::size_t>(frame) * 64 * 64 * 4;
        int opaque = 0;
        std::array<long, 3> sum{};
        for (int i = 0; i < 64 * 64; ++i) {
            if (cell[i * 4 + 3] < 200) continue;
            ++opaque;
            for (int c = 0; c < 3; ++c) sum[c] += cell[i * 4 + c];
        }
        EXPECT_GT(opaque, 800) << "badge " << frame + 1 << " is nearly empty";
        // Each picture stays inside its own cell: the corners are clear.
        EXPECT_EQ(cell[3], 0) << "badge " << frame + 1;
        EXPECT_EQ(cell[(64 * 64 - 1) * 4 + 3], 0) << "badge " << frame + 1;
        for (long& channel : sum) channel /= std::max(opaque, 1);
        for (const auto& other : averages) {
            const long distance =
                std::abs(other[0] - sum[0]) + std::abs(other[1] - sum[1]) + std::abs(other[2] - sum[2]);
            EXPECT_GT(distance, 12) << "badge " << frame + 1 << " looks like an earlier one";
        }
        averages.push_back(sum);
    }
}

}  // namespace
