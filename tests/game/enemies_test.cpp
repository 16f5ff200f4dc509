// Enemies: wave sets per difficulty, the lifecycle from waiting to removal, movement limits by
// kind and when thinned, contact damage, and the arithmetic of bullet hits.
#include "game/enemies.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/program.h"
#include "game/entities.h"
#include "game/play_fixture.h"
#include "game/play_loop.h"
#include "platform/draw.h"
#include "platform/headless/manual_clock.h"

namespace {

using game::die;
using game::EnemyList;
using play_testing::AddBullet;
using play_testing::AddEnemy;
using play_testing::GiveEffectASample;

// ---- Wave sets ---------------------------------------------------------------------------------

// The enemies of one formation, in generation order.
using Formation = std::vector<die>;

// Splits EnemyList into formations: members share start time, level and kind, and each is 0.5
// faster than the one before.
std::vector<Formation> Formations() {
    std::vector<Formation> formations;
    for (const die& enemy : EnemyList) {
        const bool same = !formations.empty() && formations.back().back().w == enemy.w &&
                          formations.back().back().t == enemy.t &&
                          formations.back().back().wave == enemy.wave &&
                          std::fabs(enemy.s - formations.back().back().s - 0.5f) < 1e-4f;
        if (!same) formations.emplace_back();
        formations.back().push_back(enemy);
    }
    return formations;
}

class Waves : public play_testing::PlayTest {};

TEST_F(Waves, EveryDifficultyMakes300FormationsOfValidShape) {
    for (int mode = 0; mode <= 2; ++mode) {
        framework::CurrentGameMode = mode;
        game::GenerateWaves(0);
        const std::vector<Formation> formations = Formations();
        ASSERT_EQ(formations.size(), 300u) << "mode " << mode;
        for (const Formation& f : formations) {
            const int level = f[0].t;
            ASSERT_TRUE(f.size() == 2 || f.size() == 4 || f.size() == 6 || f.size() == 10) << f.size();
            ASSERT_GE(level, 1);
            ASSERT_LE(level, 6);
            for (size_t k = 0; k < f.size(); ++k) {
                EXPECT_EQ(f[k].h, 2 * level);
                EXPECT_NEAR(f[k].s, 3 + level / 3.0 + 0.5 * (k + 1), 1e-4);
                EXPECT_GE(f[k].y, 40);
                EXPECT_LE(f[k].y, 960 - 40);
                EXPECT_GE(f[k].wave, -1);
                EXPECT_LE(f[k].wave, 4);
                EXPECT_TRUE(f[k].waveat >= 1 && f[k].waveat <= 360);
                EXPECT_EQ(f[k].dead, 0);
            }
            if (f[0].wave == 4) {
                // Hunters always come as a row of four, 64 apart.
                ASSERT_EQ(f.size(), 4u);
                for (size_t k = 1; k < 4; ++k) {
                    EXPECT_FLOAT_EQ(f[k].x - f[k - 1].x, 64);
                    EXPECT_FLOAT_EQ(f[k].y, f[0].y);
                }
            }
            if (f.size() == 2) {
                EXPECT_FLOAT_EQ(f[0].x, f[1].x);  // two on one spot
                EXPECT_FLOAT_EQ(f[0].y, f[1].y);
            }
        }
    }
}

TEST_F(Waves, RingsOfTenHaveRadius96AroundTheirCentre) {
    int rings = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        platform::headless::AdvanceClock(7);
        game::GenerateWaves(0);
        for (const Formation& f : Formations()) {
            if (f.size() != 10) continue;
            bool clamped = false;
            for (const die& e : f) clamped = clamped || e.y == 40 || e.y == 920;
            if (clamped) continue;
            // Member j = 0 sits straight above the centre, member j = 5 straight below.
            const float cx = f[4].x, cy = (f[4].y + f[9].y) / 2;
            for (const die& e : f) EXPECT_NEAR(std::hypot(e.x - cx, e.y - cy), 96, 0.01);
            ++rings;
        }
    }
    EXPECT_GT(rings, 0);
}

TEST_F(Waves, LevelsRiseThroughTheSetAndHarderModesExcludeLowOnesNearTheEnd) {
    struct Bound {
        int mode, from, to, lowest, highest;
    };
    const Bound bounds[] = {{0, 1, 50, 1, 1},    {0, 51, 100, 1, 2},  {0, 251, 300, 1, 6}, {1, 1, 40, 1, 1},
                            {1, 41, 80, 1, 2},   {1, 241, 280, 2, 6}, {1, 281, 300, 4, 6}, {2, 1, 30, 1, 1},
                            {2, 181, 210, 2, 6}, {2, 211, 240, 3, 6}, {2, 241, 300, 4, 6}};
    for (int mode = 0; mode <= 2; ++mode) {
        framework::CurrentGameMode = mode;
        for (int set = 0; set < 4; ++set) {
            platform::headless::AdvanceClock(13);
            game::GenerateWaves(set);
            const std::vector<Formation> formations = Formations();
            ASSERT_EQ(formations.size(), 300u);
            for (const Bound& b : bounds) {
                if (b.mode != mode) continue;
                for (int i = b.from; i <= b.to; ++i) {
                    EXPECT_GE(formations[i - 1][0].t, b.lowest) << "mode " << mode << " formation " << i;
                    EXPECT_LE(formations[i - 1][0].t, b.highest) << "mode " << mode << " formation " << i;
                }
            }
        }
    }
}

TEST_F(Waves, FormationIStartsBetweenIAndIPlus4SpacingsAndLaterSetsComeFaster) {
    struct Case {
        int mode, set, spacing;
    };
    const Case cases[] = {{0, 0, 90}, {0, 1, 70}, {0, 4, 10}, {0, 6, 10}, {1, 2, 70}, {2, 8, 10}, {2, 5, 40}};
    for (const Case& c : cases) {
        framework::CurrentGameMode = c.mode;
        game::GenerateWaves(c.set);
        const std::vector<Formation> formations = Formations();
        ASSERT_EQ(formations.size(), 300u);
        int below_middle = 0;
        for (int i = 1; i <= 300; ++i) {
            const int w = formations[i - 1][0].w;
            EXPECT_GE(w, i * c.spacing) << "mode " << c.mode << " set " << c.set;
            EXPECT_LE(w, (i + 4) * c.spacing) << "mode " << c.mode << " set " << c.set;
            if (w < (i + 2) * c.spacing) ++below_middle;
        }
        // Uniform over the window: not pinned to either end.
        EXPECT_GT(below_middle, 90);
        EXPECT_LT(below_middle, 210);
    }
}

TEST_F(Waves, GenerationReseedsFromTheClockAndReplacesTheList) {
    AddEnemy(0, 0, 1);
    game::GenerateWaves(0);
    const std::list<die> first = EnemyList;
    EXPECT_GT(first.size(), 1000u);
    game::GenerateWaves(0);  // same clock: the same set, and the marker enemy is gone
    ASSERT_EQ(EnemyList.size(), first.size());
    auto a = first.begin();
    for (const die& b : EnemyList) {
        EXPECT_EQ(a->x, b.x);
        EXPECT_EQ(a->w, b.w);
        EXPECT_EQ(a->waveat, b.waveat);
        ++a;
    }
    platform::headless::AdvanceClock(1);
    game::GenerateWaves(0);
    int differing = 0;
    a = first.begin();
    for (auto b = EnemyList.begin(); b != EnemyList.end() && a != first.end(); ++a, ++b) {
        if (a->x != b->x || a->w != b->w) ++differing;
    }
    EXPECT_GT(differing, 100);
}

// ---- Lifecycle ---------------------------------------------------------------------------------

class Enemies : public play_testing::PlayTest {
  protected:
    void SetUp() override {
        PlayTest::SetUp();
        game::CameraX = 0;
        // The craft far away: no contact, and movement toward it is to the right.
        game::PlayerX = 100000;
        game::PlayerY = 400;
        game::Health = 99;
    }
    // One frame of the enemy step with fresh sprite counts.
    static void Step() {
        framework::BeginFrame(1);
        game::StepEnemies();
    }
};

TEST_F(Enemies, WaitsThenSpinsInThenTurnsActive) {
    die& e = AddEnemy(500, 400, 1, 101);
    e.waveat = 10;
    Step();  // 101 -> 100: still waiting
    EXPECT_EQ(e.w, 100);
    EXPECT_EQ(e.waveat, 10);
    EXPECT_EQ(framework::SpriteCounts[1], 0);
    Step();  // 100 -> 99: the phase advances, nothing shows yet
    EXPECT_EQ(e.waveat, 12);
    EXPECT_EQ(framework::SpriteCounts[1], 0);
    while (e.w > 90) Step();
    EXPECT_EQ(framework::SpriteCounts[1], 0);
    Step();  // 90 -> 89: the spawn-in animation starts
    EXPECT_EQ(e.w, 89);
    EXPECT_EQ(framework::SpriteCounts[1], 1);
    EXPECT_EQ(framework::SpriteCounts[2], 0);
    EXPECT_FLOAT_EQ(e.x, 500);  // spawning enemies do not move
    while (e.w > 1) Step();
    Step();  // 1 -> 0: active, moves toward the craft and glows
    EXPECT_EQ(e.w, 0);
    EXPECT_FLOAT_EQ(e.x, 500.1f);
    EXPECT_EQ(framework::SpriteCounts[1], 1);
    EXPECT_EQ(framework::SpriteCounts[2], 1);
}

TEST_F(Enemies, SpawnInSpiralsFrom4WPixelsOutAtAFractionOfItsSize) {
    die& e = AddEnemy(500, 400, 1, 61);
    e.ang = 7;
    platform::headless::ClearRecording();
    Step();  // w = 60
    platform::SubmitDrawing();
    const auto& quads = platform::headless::RecordedQuads();
    ASSERT_EQ(quads.size(), 1u);
    const auto& c = quads[0].corners;
    const float mid_x = (c[0].x + c[1].x + c[2].x + c[3].x) / 4,
                mid_y = (c[0].y + c[1].y + c[2].y + c[3].y) / 4;
    const float k = 60 / 6.0f;
    // The sprite's top-left corner lies on the spiral; its centre is half its scaled size further.
    const float dx = mid_x - 32 / k - 500, dy = mid_y - 32 / k - 400;
    EXPECT_NEAR(std::hypot(dx, dy), 240, 1.5);
    EXPECT_NEAR(std::hypot(c[1].x - c[0].x, c[1].y - c[0].y), 64 / k, 0.01);
}

TEST_F(Enemies, DestroyedEnemyDropsAPickupAndDisappearsAfterItsDeathAnimation) {
    die& e = AddEnemy(500, 400, 1);
    e.h = 0;  // as after the killing hit
    Step();
    EXPECT_EQ(e.dead, 1);
    ASSERT_EQ(game::PickupList.size(), 1u);
    EXPECT_EQ(game::PickupList.front().x, static_cast<int>(e.x + 32));
    EXPECT_EQ(game::PickupList.front().y, static_cast<int>(e.y + 32));
    const float x = e.x;
    for (int frame = 1; frame <= 58; ++frame) {
        Step();
        ASSERT_EQ(EnemyList.size(), 1u);
        EXPECT_EQ(framework::SpriteCounts[3], 1);  // the death animation counts as a particle
    }
    EXPECT_EQ(EnemyList.front().dead, 59);
    EXPECT_FLOAT_EQ(EnemyList.front().x, x);  // dying enemies no longer move
    Step();
    EXPECT_TRUE(EnemyList.empty());
    EXPECT_EQ(game::PickupList.size(), 1u);
}

// ---- Movement ----------------------------------------------------------------------------------

TEST_F(Enemies, SpeedLimitsByKind) {
    struct Case {
        int kind;
        float across, down;
    };
    const Case cases[] = {{-1, 0.1f, 0}, {0, 1.1f, 0}, {1, 0.1f, 0},
                          {2, 0.1f, 0},  {3, 0.1f, 0}, {4, 1, 0.5f}};
    game::PlayerY = 900;
    for (const Case& c : cases) {
        EnemyList.clear();
        die& e = AddEnemy(0, 100, 1, 0, c.kind);
        e.s = 10;
        // Waiting enemies count too: with 200 in the list the set is not thinned.
        for (int i = 0; i < 199; ++i) AddEnemy(0, 100, 1, 1000000);
        for (int frame = 0; frame < 250; ++frame) Step();
        EXPECT_NEAR(e.xg, c.across * 10, 1e-4) << "kind " << c.kind;
        EXPECT_NEAR(e.yg, c.down * 10, 1e-4) << "kind " << c.kind;
        if (c.kind == -1 || c.kind == 0 || c.kind == 4) {
            EXPECT_FLOAT_EQ(e.y, c.kind == 4 ? 880 : 100);  // only kind 4 changes height
        }
    }
}

TEST_F(Enemies, WithFewerThan200LeftEveryEnemyHuntsAtFullSpeed) {
    for (int count : {199, 200}) {
        EnemyList.clear();
        for (int i = 0; i < count; ++i) AddEnemy(0, 100, 1, 0, 2).s = 5;
        game::PlayerY = 900;
        for (int frame = 0; frame < 60; ++frame) Step();
        const die& e = EnemyList.front();
        EXPECT_NEAR(e.xg, count == 199 ? 5 : 0.5, 1e-4) << count;
        EXPECT_NEAR(e.yg, count == 199 ? 5 : 0, 1e-4) << count;
    }
}

// ---- Contact -----------------------------------------------------------------------------------

TEST_F(Enemies, TouchingAnActiveEnemyCostsHealthEveryFrame) {
    GiveEffectASample(4);
    GiveEffectASample(5);
    game::PlayerX = 1000;
    AddEnemy(1000 - 32, 400 - 32, 1);
    Step();
    EXPECT_FLOAT_EQ(game::Health, 98);
    EXPECT_EQ(game::EffectChannelIndex, 21);
    ASSERT_EQ(game::ParticleList.size(), 16u);  // one red ring at the craft
    for (const auto& p : game::ParticleList) {
        EXPECT_GE(p.r, 230);
        EXPECT_LE(p.g, 105);
    }
    Step();
    EXPECT_FLOAT_EQ(game::Health, 97);
    EXPECT_EQ(EnemyList.front().h, 2);  // the enemy is unharmed
}

TEST_F(Enemies, NoContactWhileSpawningOrAt24PixelsApart) {
    game::PlayerX = 1000;
    AddEnemy(1000 - 32, 400 - 32, 1, 50);
    AddEnemy(1000 - 32 + 24, 400 - 32, 1, 0, 4).s = 0;  // kind 4 with speed 0 stays put
    Step();
    EXPECT_FLOAT_EQ(game::Health, 99);
    EXPECT_TRUE(game::ParticleList.empty());
}

// ---- Hits --------------------------------------------------------------------------------------

// A bullet placed where it hits an enemy at (x, y) squarely.
void BulletOn(const die& e, int extra = 0) {
    AddBullet(e.x + 28, e.y + 28, extra);
}

TEST_F(Enemies, LevelOneEnemyTakesTwoPowerZeroHits) {
    GiveEffectASample(2);  // only the kill sound: the pool advances once, on the second hit
    die& e = AddEnemy(500, 400, 1);
    BulletOn(e);
    Step();
    EXPECT_EQ(e.h, 1);
    EXPECT_EQ(game::GameScore, 5);
    EXPECT_TRUE(game::BulletList.empty());
    EXPECT_EQ(game::EffectChannelIndex, 20);
    ASSERT_EQ(game::ParticleList.size(), 32u);  // a two-ring blue spark
    for (const auto& p : game::ParticleList) EXPECT_GE(p.b, p.r);
    ASSERT_EQ(game::PopupList.size(), 1u);
    EXPECT_EQ(game::PopupList.back().n, 5);
    EXPECT_FLOAT_EQ(game::PopupList.back().x, static_cast<int>(e.x + 32));
    EXPECT_TRUE(game::PickupList.empty());

    BulletOn(e);
    Step();
    EXPECT_EQ(e.h, 0);
    EXPECT_EQ(game::GameScore, 10);
    EXPECT_EQ(game::EffectChannelIndex, 21);
    ASSERT_EQ(game::ParticleList.size(), 64u);
    int checked = 0;
    for (const auto& p : game::ParticleList) {
        if (checked++ == 32) break;  // the newest burst is at the front: orange
        EXPECT_GE(p.r, p.b);
    }
    ASSERT_EQ(game::PickupList.size(), 1u);
    EXPECT_EQ(game::PickupList.front().x, static_cast<int>(e.x + 32));
    EXPECT_EQ(game::PickupList.front().y, static_cast<int>(e.y + 32));
    EXPECT_EQ(e.dead, 1);
}

TEST_F(Enemies, OverkillBelowZeroScoresAndDiesQuietly) {
    GiveEffectASample(2);
    die& e = AddEnemy(500, 400, 2);
    BulletOn(e, 2);
    Step();
    EXPECT_EQ(e.h, 1);
    BulletOn(e, 2);
    Step();
    EXPECT_EQ(e.h, -2);
    EXPECT_EQ(game::GameScore, 20);             // 10 per hit at level 2
    EXPECT_EQ(game::EffectChannelIndex, 20);    // no kill sound
    EXPECT_EQ(game::ParticleList.size(), 32u);  // only the first hit's spark
    EXPECT_EQ(game::PickupList.size(), 1u);
    EXPECT_EQ(e.dead, 1);
}

TEST_F(Enemies, SeveralBulletsHitOneEnemyInOneFrame) {
    die& e = AddEnemy(500, 400, 3);
    BulletOn(e);
    AddBullet(-5000, 0);  // elsewhere, left alone
    BulletOn(e);
    Step();
    EXPECT_EQ(e.h, 4);
    EXPECT_EQ(game::GameScore, 30);
    ASSERT_EQ(game::BulletList.size(), 1u);
    EXPECT_FLOAT_EQ(game::BulletList.front().x, -5000);
    EXPECT_EQ(game::PopupList.size(), 2u);
}

TEST_F(Enemies, OnlyFreshBulletsInsideTheBoxHitActiveEnemies) {
    die& waiting = AddEnemy(500, 100, 1, 200);
    die& spawning = AddEnemy(1000, 100, 1, 50);
    die& active = AddEnemy(1500, 100, 1);
    active.wave = 4;
    active.s = 0;  // stays put, so the box edges are exact
    BulletOn(waiting);
    BulletOn(spawning);
    AddBullet(active.x + 76, active.y + 28);  // 48 to the right of the centre line: outside
    AddBullet(active.x - 20, active.y + 28);  // 48 to the left: outside
    AddBullet(active.x + 28, active.y + 60);  // 32 below: outside
    game::lets spent;
    spent.x = active.x + 28;
    spent.y = active.y + 28;
    spent.p = 1;
    game::BulletList.push_back(spent);
    Step();
    EXPECT_EQ(game::BulletList.size(), 6u);
    EXPECT_EQ(game::GameScore, 0);
    AddBullet(active.x + 75, active.y + 59);  // just inside both edges
    Step();
    EXPECT_EQ(game::GameScore, 5);
    game::BulletList.clear();
    AddBullet(active.x - 19.5f, active.y - 3.5f);  // alone, just inside the other two edges
    Step();
    EXPECT_EQ(game::GameScore, 10);
}

TEST(HitPan, ByTheBulletsPositionRelativeToTheCraft) {
    EXPECT_FLOAT_EQ(game::HitPan(100, 100), 0);
    EXPECT_FLOAT_EQ(game::HitPan(99, 100), -0.5f);
    EXPECT_FLOAT_EQ(game::HitPan(-400, 100), -0.5f);
    EXPECT_FLOAT_EQ(game::HitPan(-401, 100), -1);
    EXPECT_FLOAT_EQ(game::HitPan(101, 100), 0.5f);
    EXPECT_FLOAT_EQ(game::HitPan(600, 100), 0.5f);
    EXPECT_FLOAT_EQ(game::HitPan(601, 100), 1);
}

}  // namespace
