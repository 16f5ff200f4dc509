// The weapon, bullets and particles: what each power level fires and how often, the spread
// pattern, bullet flight and drawing, particle bursts and the particle step's stretch and fade.
#include "game/weapons.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "framework/draw_helpers.h"
#include "game/entities.h"
#include "game/play_fixture.h"
#include "platform/draw.h"
#include "platform/headless/recorder.h"
#include "platform/random.h"

namespace {

using game::BulletList;
using game::ParticleList;

// What one bullet of a shot should be: y offset from the craft, dy, colour and extra damage.
struct ExpectedBullet {
    float y_offset, dy;
    int r, g, b, l;
};

struct ExpectedShot {
    int cooldown;
    std::vector<ExpectedBullet> bullets;
};

// The weapon table, with the spread bullets at the first shot of a fresh ShotCounter (value 1:
// straight ahead).
const ExpectedShot kTable[7] = {
    {15, {{0, 0, 40, 200, 255, 0}}}, {15, {{-8, 0, 40, 250, 40, 0}, {8, 0, 40, 250, 40, 0}}},
    {9, {{0, 0, 255, 200, 40, 1}}},  {11, {{-8, -0.5f, 100, 250, 100, 0}, {8, 0.5f, 100, 250, 100, 0}}},
    {7, {{0, 0, 255, 100, 40, 1}}},  {7, {{-8, -0.5f, 100, 250, 100, 0}, {8, 0.5f, 100, 250, 100, 0}}},
    {5, {{0, 0, 255, 100, 40, 2}}},
};

class Weapon : public play_testing::PlayTest {
  protected:
    void SetUp() override {
        PlayTest::SetUp();
        for (int n = 10; n <= 19; ++n) play_testing::GiveEffectASample(n);
        game::PlayerX = 500;
        game::PlayerY = 300;
    }
};

TEST_F(Weapon, EachPowerFiresItsRowOfTheTable) {
    for (int power = 0; power <= 6; ++power) {
        SCOPED_TRACE(power);
        BulletList.clear();
        game::ShotCounter = 0;
        game::PowerLevel = power;
        const int direction = power % 2 ? 14 : -20;
        EXPECT_EQ(game::FireShot(direction), kTable[power].cooldown);
        ASSERT_EQ(BulletList.size(), kTable[power].bullets.size());
        auto bullet = BulletList.begin();
        for (const ExpectedBullet& want : kTable[power].bullets) {
            EXPECT_FLOAT_EQ(bullet->x, 500);
            EXPECT_FLOAT_EQ(bullet->y, 300 + want.y_offset);
            EXPECT_FLOAT_EQ(bullet->d, direction);
            EXPECT_FLOAT_EQ(bullet->dy, want.dy);
            EXPECT_EQ(bullet->r, want.r);
            EXPECT_EQ(bullet->g, want.g);
            EXPECT_EQ(bullet->b, want.b);
            EXPECT_EQ(bullet->l, want.l);
            EXPECT_EQ(bullet->t, 0);
            EXPECT_EQ(bullet->p, 0);
            ++bullet;
        }
        EXPECT_EQ(game::PowerLevel, power);
    }
}

// Frames between shots when the play loop counts the cooldown down by 2 a frame and fires as
// soon as it reaches 0.
int FramesBetweenShots(int power) {
    game::PowerLevel = power;
    int cooldown = 0, fired = 0, first = -1, frames = 0;
    for (int frame = 0; fired < 2; ++frame) {
        if (cooldown == 0) {
            cooldown = game::FireShot(14);
            if (++fired == 1) first = frame;
            frames = frame - first;
        }
        cooldown = std::max(0, cooldown - 2);
    }
    return frames;
}

TEST_F(Weapon, CadenceRisesWithPowerAndPowerAboveSevenFiresNothing) {
    const int expected[7] = {8, 8, 5, 6, 4, 4, 3};
    for (int power = 0; power <= 6; ++power) EXPECT_EQ(FramesBetweenShots(power), expected[power]) << power;

    // Seven turns back into five and fires the power-5 pair with its own sound.
    BulletList.clear();
    game::PowerLevel = 7;
    const int slot = game::EffectChannelIndex;
    EXPECT_EQ(game::FireShot(14), 7);
    EXPECT_EQ(game::PowerLevel, 5);
    EXPECT_EQ(BulletList.size(), 2u);
    EXPECT_EQ(game::EffectChannelIndex, slot + 1);
    EXPECT_TRUE(platform::ChannelPlaying(framework::Channels[slot + 1]));

    // Above seven: no bullet, 15 frames of cooldown, and effect 10 + power is not one of ours.
    BulletList.clear();
    framework::SoundEffects[19] = nullptr;
    game::PowerLevel = 9;
    const int before = game::EffectChannelIndex;
    EXPECT_EQ(game::FireShot(14), 15);
    EXPECT_TRUE(BulletList.empty());
    EXPECT_EQ(game::PowerLevel, 9);
    EXPECT_EQ(game::EffectChannelIndex, before);
}

TEST_F(Weapon, SpreadShotsCycleUpStraightDownAcrossPowersAndGames) {
    game::PowerLevel = 2;
    for (int i = 0; i < 3; ++i) game::FireShot(14);
    std::vector<float> dys;
    for (const auto& bullet : BulletList) dys.push_back(bullet.dy);
    EXPECT_EQ(dys, (std::vector<float>{0, 2.5f, -2.5f}));
    EXPECT_EQ(game::ShotCounter, 3);

    // Pairs do not count; the counter carries into power 4 and over a new game's clearing.
    game::PowerLevel = 3;
    game::FireShot(14);
    game::ClearWorld();
    EXPECT_EQ(game::ShotCounter, 3);
    game::PowerLevel = 4;
    game::FireShot(14);
    game::PowerLevel = 6;
    game::FireShot(14);
    ASSERT_EQ(BulletList.size(), 2u);
    EXPECT_FLOAT_EQ(BulletList.front().dy, 0);  // counter 4: 4 mod 3 = 1
    EXPECT_FLOAT_EQ(BulletList.back().dy, 3.5f);
    EXPECT_EQ(game::ShotCounter, 5);
}

// ---- Bullets -------------------------------------------------------------------------------------

TEST_F(Weapon, BulletFliesItsHundredAndOneMovesThenGoes) {
    game::PowerLevel = 2;
    game::ShotCounter = 1;  // the next spread shot aims down at 2.5
    game::FireShot(22);
    for (int frame = 1; frame <= 100; ++frame) {
        game::StepBullets();
        ASSERT_EQ(BulletList.size(), 1u) << frame;
    }
    EXPECT_FLOAT_EQ(BulletList.front().x, 500 + 2200);
    EXPECT_FLOAT_EQ(BulletList.front().y, 300 + 250);
    game::StepBullets();
    EXPECT_TRUE(BulletList.empty());
}

TEST_F(Weapon, BulletDrawsAHaloWhereItWasThenItsBodyAndGlowWhereItIs) {
    game::CameraX = 100;
    play_testing::AddBullet(400, 200);
    auto& bullet = BulletList.front();
    bullet.d = 10;
    bullet.r = 255;
    bullet.g = 100;
    bullet.b = 40;
    platform::headless::ClearRecording();
    game::StepBullets();
    const auto& quads = platform::headless::RecordedQuads();
    ASSERT_EQ(play_testing::QuadsWithTexture(game::ImgBullet), 3);
    ASSERT_EQ(quads.size(), 3u);
    // The halo: three times the 16-pixel image, faint, in the bullet's colour, before the move.
    const auto& halo = quads[0].corners;
    EXPECT_NEAR(halo[2].x - halo[0].x, 48, 0.01);
    EXPECT_EQ(halo[0].r, 255);
    EXPECT_EQ(halo[0].g, 100);
    EXPECT_EQ(halo[0].b, 40);
    EXPECT_NEAR(halo[0].a, 0.3 * 255, 1);
    // The body: full size and opacity, drawn after the move; the glow one and a half times it.
    const auto& body = quads[1].corners;
    EXPECT_NEAR(body[2].x - body[0].x, 16, 0.01);
    EXPECT_EQ(body[0].a, 255);
    // Both are placed by their top-left corner on screen: the halo at the old x - 8, the body at
    // the new x, each less the camera.
    EXPECT_NEAR(std::min(halo[0].x, halo[2].x), 400 - 8 - 100, 0.01);
    EXPECT_NEAR(std::min(halo[0].y, halo[2].y), 200 - 8, 0.01);
    EXPECT_NEAR(std::min(body[0].x, body[2].x), 410 - 100, 0.01);
    EXPECT_NEAR(quads[2].corners[2].x - quads[2].corners[0].x, 24, 0.01);
    EXPECT_EQ(quads[2].blend, platform::BlendLight);

    // Spent budgets skip the draws but the bullet still flies.
    framework::SpriteLimits[framework::MainSprites] = 0;
    framework::SpriteLimits[framework::GlowSprites] = 0;
    platform::headless::ClearRecording();
    framework::BeginFrame(0);
    game::StepBullets();
    EXPECT_EQ(play_testing::QuadsWithTexture(game::ImgBullet), 0);
    EXPECT_FLOAT_EQ(bullet.x, 420);
}

// ---- Bursts ------------------------------------------------------------------------------------

TEST_F(Weapon, BurstFlingsSixteenParticlesPerRingInACross) {
    platform::SeedRnd(7);
    game::SpawnBurst(100, 100, 40, 255, 40, 3);
    ASSERT_EQ(ParticleList.size(), 48u);
    // New particles go to the front, so the list runs from the last made to the first.
    std::vector<game::icle> made(ParticleList.rbegin(), ParticleList.rend());
    EXPECT_FLOAT_EQ(made[0].x, 96);
    EXPECT_FLOAT_EQ(made[0].y, 92);
    EXPECT_FLOAT_EQ(made[0].gx, -3);
    EXPECT_GE(made[0].gy, -18);
    EXPECT_LE(made[0].gy, -14);
    for (int k = 1; k <= 3; ++k) {
        for (int j = 0; j < 4; ++j) {
            const int o = -12 + 8 * j, index = (k - 1) * 16 + j * 4;
            const game::icle& up = made[index];
            const game::icle& down = made[index + 1];
            const game::icle& left = made[index + 2];
            const game::icle& right = made[index + 3];
            SCOPED_TRACE(testing::Message() << "ring " << k << " offset " << o);
            EXPECT_FLOAT_EQ(up.x, 100 + o + 8 * k);
            EXPECT_FLOAT_EQ(up.y, 100 - 8 * k);
            EXPECT_FLOAT_EQ(down.y, 100 + 8 * k);
            EXPECT_FLOAT_EQ(left.x, 100 - 8 * k);
            EXPECT_FLOAT_EQ(left.y, 100 + o + 8 * k);
            EXPECT_FLOAT_EQ(right.x, 100 + 8 * k);
            EXPECT_FLOAT_EQ(up.gx, o / 4);
            EXPECT_FLOAT_EQ(right.gy, o / 4);
            const float speed = 4 + 12 * k;
            EXPECT_NEAR(-up.gy, speed, 2);
            EXPECT_NEAR(down.gy, speed, 2);
            EXPECT_NEAR(-left.gx, speed, 2);
            EXPECT_NEAR(right.gx, speed, 2);
        }
    }
    for (const game::icle& p : made) {
        EXPECT_FLOAT_EQ(p.alp, 1);
        EXPECT_FLOAT_EQ(p.sx, 1);
        EXPECT_FLOAT_EQ(p.sy, 1);
    }
}

TEST_F(Weapon, BurstColoursVaryInStepsOfFiveByUpToTwentyFive) {
    platform::SeedRnd(11);
    for (int i = 0; i < 20; ++i) game::SpawnBurst(0, 0, 40, 255, 130, 4);
    int low = 1000, high = -1000;
    bool green_above_255 = false;
    for (const game::icle& p : ParticleList) {
        for (int delta : {p.r - 40, p.g - 255, p.b - 130}) {
            ASSERT_EQ(delta % 5, 0);
            low = std::min(low, delta);
            high = std::max(high, delta);
        }
        green_above_255 = green_above_255 || p.g > 255;
    }
    EXPECT_EQ(low, -25);
    EXPECT_EQ(high, 25);
    // Components are kept out of range; the draw clamps them.
    EXPECT_TRUE(green_above_255);
}

// ---- Particle step -----------------------------------------------------------------------------

// Adds one particle by hand, at the front like a burst does.
game::icle& AddParticle(float gx, float gy, int r = 255, int g = 255, int b = 255) {
    game::icle p;
    p.x = 400;
    p.y = 300;
    p.gx = gx;
    p.gy = gy;
    p.sx = p.sy = 1;
    p.alp = 1;
    p.r = r;
    p.g = g;
    p.b = b;
    ParticleList.push_front(p);
    return ParticleList.front();
}

// Width and height of the last recorded quad.
std::pair<float, float> LastQuadSize() {
    const auto& c = platform::headless::RecordedQuads().back().corners;
    return {std::fabs(c[2].x - c[0].x), std::fabs(c[2].y - c[0].y)};
}

TEST_F(Weapon, ParticlesStretchAlongTheirMotionMirroredWhenMovingLeftOrUp) {
    const std::vector<std::pair<float, float>> cases = {{16, 0}, {-16, 0}, {0, 16}, {0, -16}};
    const std::vector<float> forward = {1.4f, 1.8f, 2.2f, 2.6f};
    const std::vector<float> backward = {0.6f, 0.2f, 0.2f, 0.6f};  // sizes of -0.6, -0.2, 0.2, 0.6
    for (const auto& [gx, gy] : cases) {
        SCOPED_TRACE(testing::Message() << gx << "," << gy);
        ParticleList.clear();
        game::icle& p = AddParticle(gx, gy);
        const bool backwards = gx < 0 || gy < 0;
        for (int step = 0; step < 4; ++step) {
            platform::headless::ClearRecording();
            framework::ResetDrawState();
            game::StepParticles();
            const auto [w, h] = LastQuadSize();
            const float stretch = backwards ? backward[step] : forward[step];
            EXPECT_NEAR(gx != 0 ? w : h, 8 * stretch, 0.01);
            EXPECT_NEAR(gx != 0 ? h : w, 8, 0.01);
        }
        EXPECT_FLOAT_EQ(gx != 0 ? p.sx : p.sy, backwards ? -0.6f : 2.6f);
        EXPECT_FLOAT_EQ(p.x, 400 + 4 * gx);
        EXPECT_FLOAT_EQ(p.y, 300 + 4 * gy);
    }
}

TEST_F(Weapon, ParticlesFadeFromEightyFivePercentAndGoAfterAboutFiftyFrames) {
    AddParticle(16, 0, 255 + 25, -20, 128);
    std::vector<int> alphas;
    int frames = 0;
    while (!ParticleList.empty() && frames < 100) {
        platform::headless::ClearRecording();
        framework::ResetDrawState();
        game::StepParticles();
        const auto& corner = platform::headless::RecordedQuads().back().corners[0];
        if (frames == 0) {
            // Out-of-range colours are drawn clamped.
            EXPECT_EQ(corner.r, 255);
            EXPECT_EQ(corner.g, 0);
            EXPECT_EQ(corner.b, 128);
        }
        alphas.push_back(corner.a);
        ++frames;
    }
    EXPECT_GE(frames, 50);
    EXPECT_LE(frames, 51);
    EXPECT_NEAR(alphas.front(), 0.85 * 255, 1);
    for (size_t i = 1; i < alphas.size(); ++i) EXPECT_NEAR(alphas[i - 1] - alphas[i], 0.017 * 255, 1) << i;
}

TEST_F(Weapon, ParticlesOverTheBudgetStillMoveAndAge) {
    framework::SpriteLimits[framework::ParticleSprites] = 10;
    framework::BeginFrame(0);
    platform::SeedRnd(3);
    game::SpawnBurst(0, 0, 255, 255, 255, 2);
    platform::headless::ClearRecording();
    game::StepParticles();
    EXPECT_EQ(play_testing::QuadsWithTexture(game::ImgWhite), 10);
    for (const game::icle& p : ParticleList) EXPECT_NEAR(p.alp, 0.98f, 1e-6);
}

}  // namespace
