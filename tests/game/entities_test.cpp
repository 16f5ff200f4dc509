// The game's world state and assets: score popups (award, drift, fade, removal), font choice,
// clearing the world for a new game, missing asset files, and the generated pictures and sounds.
#include "game/entities.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/game_info.h"
#include "framework/settings.h"
#include "game/assets.h"
#include "game/play_fixture.h"
#include "game/sound_effects.h"
#include "game/weapons.h"
#include "platform/draw.h"
#include "platform/headless/recorder.h"

namespace {

namespace fs = std::filesystem;
using game::PopupList;

class World : public play_testing::PlayTest {};

TEST_F(World, PopupsAwardTheirPointsEvenWhenZero) {
    game::AddScorePopup(25, 300, 200, 80, 255, 255);
    game::AddScorePopup(0, 10, 20, 1, 2, 3);
    EXPECT_EQ(game::GameScore, 25);
    ASSERT_EQ(PopupList.size(), 2u);
    const game::ore& first = PopupList.front();
    EXPECT_EQ(first.n, 25);
    EXPECT_FLOAT_EQ(first.x, 300);
    EXPECT_FLOAT_EQ(first.y, 200);
    EXPECT_EQ(first.t, 120);
    EXPECT_EQ(first.g, 255);
    EXPECT_EQ(PopupList.back().n, 0);  // appended at the back
}

TEST_F(World, PopupRisesAndFadesForItsHundredAndTwentyFrames) {
    game::CameraX = 100;
    game::AddScorePopup(25, 500, 400, 80, 255, 255);
    int frames = 0, first_alpha = -1, last_alpha = -1;
    float first_x = 0, first_y = 0, last_y = 0;
    while (!PopupList.empty() && frames < 200) {
        platform::headless::ClearRecording();
        game::DrawScorePopups();
        const auto& quads = platform::headless::RecordedQuads();
        ++frames;
        if (quads.empty()) continue;  // a glyph at alpha 0 may be skipped
        // Centre of the text's quads.
        float left = 1e9f, right = -1e9f, top = 1e9f, bottom = -1e9f;
        for (const auto& quad : quads) {
            for (const auto& corner : quad.corners) {
                left = std::min(left, corner.x);
                right = std::max(right, corner.x);
                top = std::min(top, corner.y);
                bottom = std::max(bottom, corner.y);
            }
        }
        if (frames == 1) {
            first_alpha = quads[0].corners[0].a;
            first_x = (left + right) / 2;
            first_y = (top + bottom) / 2;
            EXPECT_EQ(quads[0].corners[0].r, 80);
            EXPECT_EQ(quads[0].corners[0].g, 255);
        }
        last_alpha = quads[0].corners[0].a;
        last_y = (top + bottom) / 2;
    }
    EXPECT_EQ(frames, 120);
    EXPECT_NEAR(first_alpha, 119.0 / 120 * 255, 1);
    EXPECT_LE(last_alpha, 3);
    EXPECT_NEAR(first_x, 400, 3);            // centred on x less the camera
    EXPECT_NEAR(first_y, 400, 3);            // and on y
    EXPECT_NEAR(first_y - last_y, 30, 1.5);  // a quarter pixel a frame, on whole pixels
}

TEST_F(World, PopupsKeepFadingAfterTheWorldIsCleared) {
    game::AddScorePopup(5, 0, 0, 255, 255, 255);
    game::DrawScorePopups();
    game::ClearWorld();
    ASSERT_EQ(PopupList.size(), 1u);
    EXPECT_EQ(PopupList.front().t, 119);
}

TEST_F(World, UseFontFoldsOutOfRangeChoicesToTheFirstFamilyAndSize) {
    const fs::path face = fs::path(VANTOR_BUILD_DIR) / "Files" / "Common" / "SVBasicManual.ttf";
    if (!fs::exists(face)) GTEST_SKIP() << "data tree not built: " << face;
    for (int entry : {0, 5, 14, 28}) {
        framework::SizedFonts[entry] = platform::LoadImageFont(face.string(), 10 + entry);
        ASSERT_TRUE(framework::SizedFonts[entry]);
    }
    game::UseFont(1, 5);
    EXPECT_EQ(platform::GetImageFont(), framework::SizedFonts[5]);
    game::UseFont(2, 4);
    EXPECT_EQ(platform::GetImageFont(), framework::SizedFonts[14]);
    game::UseFont(3, 8);
    EXPECT_EQ(platform::GetImageFont(), framework::SizedFonts[28]);
    game::UseFont(4, 9);
    EXPECT_EQ(platform::GetImageFont(), framework::SizedFonts[0]);
    game::UseFont(0, -1);
    EXPECT_EQ(platform::GetImageFont(), framework::SizedFonts[0]);
    for (int entry : {0, 5, 14, 28}) framework::SizedFonts[entry] = nullptr;
}

TEST_F(World, ClearingForANewGameEmptiesTheWorldButNotPopupsOrCounters) {
    game::StarList.emplace_back();
    game::EnemyList.emplace_back();
    game::BulletList.emplace_back();
    game::PickupList.emplace_back();
    game::ParticleList.emplace_back();
    game::AddScorePopup(10, 0, 0, 0, 0, 0);
    game::PowerLevel = 4;
    game::GameBadges = 3;
    game::GameBest[30] = 9;
    game::ShotCounter = 7;
    game::EffectChannelIndex = 99;
    game::ClearWorld();
    EXPECT_TRUE(game::StarList.empty() && game::EnemyList.empty() && game::BulletList.empty() &&
                game::PickupList.empty() && game::ParticleList.empty());
    EXPECT_EQ(game::GameScore, 0);
    EXPECT_EQ(game::PowerLevel, 0);
    EXPECT_EQ(game::GameBadges, 0);
    EXPECT_EQ(game::GameBest[30], 0);
    EXPECT_EQ(PopupList.size(), 1u);
    EXPECT_EQ(game::ShotCounter, 7);
    EXPECT_EQ(game::EffectChannelIndex, 99);
}

// ---- Assets ------------------------------------------------------------------------------------

// Runs the body with the current folder switched to `folder`, restoring it afterwards.
template <typename Body>
void InFolder(const fs::path& folder, Body body) {
    const fs::path before = fs::current_path();
    fs::current_path(folder);
    body();
    fs::current_path(before);
}

TEST_F(World, MissingAssetFilesLeaveEmptyHandlesAndAGameThatStillRuns) {
    const fs::path empty = fs::temp_directory_path() / ("vantor-game-no-assets-" + std::to_string(::getpid()));
    fs::create_directories(empty);
    InFolder(empty, [] { game::LoadGameAssets(); });
    fs::remove(empty);
    for (const platform::Image* image :
         {&game::ImgCraft, &game::ImgStar, &game::ImgSpinner, &game::ImgSpinnerGlow, &game::ImgBullet,
          &game::ImgWhite, &game::ImgPickup}) {
        EXPECT_FALSE(*image);
    }
    EXPECT_FALSE(game::GameMusic);
    // The engine test ran first and left budgets in place.
    EXPECT_GT(framework::SpriteLimits[framework::MainSprites], 0);

    // Everything the game does with its images and sounds carries on invisibly and silently.
    framework::BeginFrame(1);
    game::FireShot(14);
    game::SpawnBurst(100, 100, 255, 255, 255, 4);
    game::AddScorePopup(5, 100, 100, 255, 255, 255);
    game::StartMusic(game::GameMusic);
    game::StepBullets();
    game::StepParticles();
    game::DrawScorePopups();
    platform::DrawImage(game::ImgCraft, 100, 100, 3);
    EXPECT_FLOAT_EQ(game::BulletList.front().x, 14);
    EXPECT_EQ(game::ParticleList.size(), 64u);
}

TEST_F(World, GeneratedAssetsLoadWithTheirShapes) {
    const fs::path folder = fs::path(VANTOR_BUILD_DIR) / "Files" / framework::GameFolder();
    if (!fs::exists(folder / "vantor.png")) GTEST_SKIP() << "data tree not built in " << folder;
    InFolder(folder, [] { game::LoadGameAssets(); });
    ASSERT_TRUE(game::ImgCraft);
    EXPECT_EQ(game::ImgCraft->frame_count, 16);
    EXPECT_EQ(game::ImgCraft->width, 32);
    EXPECT_EQ(game::ImgCraft->height, 32);
    EXPECT_EQ(game::ImgSpinner->width, 64);
    EXPECT_EQ(game::ImgSpinnerGlow->width, 64);
    EXPECT_EQ(game::ImgBullet->width, 16);
    EXPECT_EQ(game::ImgPickup->width, 16);
    ASSERT_TRUE(game::ImgStar && game::ImgWhite);
    // Start-up creates the world after the display setup loaded the assets: they must survive.
    game::CreateGameState();
    EXPECT_TRUE(game::ImgCraft && game::ImgSpinner && game::ImgBullet);

    // The craft animates: no two neighbouring cells are identical.
    const auto& px = game::ImgCraft->pixels;
    const size_t cell = 32 * 32 * 4;
    ASSERT_EQ(px.size(), 16 * cell);
    for (int f = 0; f < 16; ++f) {
        const int g = (f + 1) % 16;
        EXPECT_FALSE(std::equal(px.begin() + f * cell, px.begin() + (f + 1) * cell, px.begin() + g * cell))
            << f;
    }
}

TEST_F(World, GeneratedPicturesHaveNoVisiblePureBlackAndSoundsExist) {
    const fs::path folder = fs::path(VANTOR_BUILD_DIR) / "Files" / framework::GameFolder();
    if (!fs::exists(folder / "vantor.png")) GTEST_SKIP() << "data tree not built in " << folder;
    for (const char* name :
         {"vantor.png", "star.png", "spinner.png", "spinner2.png", "bullet.png", "white.png", "bob.png"}) {
        // Loaded unmasked, so the file's own pixels are seen.
        const platform::Image image = platform::LoadImage((folder / name).string(), 0);
        ASSERT_TRUE(image) << name;
        const auto& px = image->pixels;
        int visible = 0;
        for (size_t i = 0; i + 3 < px.size(); i += 4) {
            if (px[i + 3] < 16) continue;
            ++visible;
            ASSERT_FALSE(px[i] == 0 && px[i + 1] == 0 && px[i + 2] == 0) << name << " pixel " << i / 4;
        }
        EXPECT_GT(visible, 20) << name;
    }
    for (int n = 2; n <= 16; ++n) {
        char file[8];
        std::snprintf(file, sizeof file, "%03d.wav", n);
        const platform::Sound sound = platform::LoadSound((folder / file).string());
        ASSERT_TRUE(sound) << file;
        EXPECT_GT(platform::SoundLength(sound), 30) << file;
        EXPECT_LT(platform::SoundLength(sound), 5000) << file;
    }
}

}  // namespace
