// A fresh game world for play-loop and enemy tests: headless back-ends on the manual clock, an
// 800 x 600 recorder display with the 1280 x 960 virtual screen, generous sprite budgets, every
// framework and game table at its start-up state, and small stand-in images and sounds.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "controls/controls.h"
#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/frame_pump.h"
#include "framework/hooks.h"
#include "framework/program.h"
#include "framework/settings.h"
#include "game/entities.h"
#include "game/play_loop.h"
#include "menus/settings_state.h"
#include "platform/audio.h"
#include "platform/draw.h"
#include "platform/headless/headless.h"
#include "platform/headless/recorder.h"
#include "platform/headless/script_input.h"
#include "scores/score_file.h"

namespace play_testing {

inline constexpr int kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40;
inline constexpr int kKeyZ = 90, kKeyX = 88, kKeyEscape = 27, kKeyEnter = 13;

// A one-second 16-bit mono sound at 8000 Hz holding a constant level (so a mix shows gains
// directly), long enough to still play when a test looks. It is loaded from a WAV file written
// for the purpose and removed again; the file name carries the process id, since ctest runs
// test processes side by side and one must not truncate a file another is loading.
inline platform::Sound LevelSound(std::int16_t level) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("vantor-level-" + std::to_string(::getpid()) + ".wav");
    const std::uint32_t rate = 8000, samples = 8000, bytes = samples * 2;
    {
        std::ofstream out(path, std::ios::binary);
        auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
        auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
        out.write("RIFF", 4);
        u32(36 + bytes);
        out.write("WAVEfmt ", 8);
        u32(16);
        u16(1);
        u16(1);
        u32(rate);
        u32(rate * 2);
        u16(2);
        u16(16);
        out.write("data", 4);
        u32(bytes);
        for (std::uint32_t i = 0; i < samples; ++i) u16(static_cast<std::uint16_t>(level));
    }
    platform::Sound sound = platform::LoadSound(path.string());
    std::filesystem::remove(path);
    return sound;
}

// A sound of silence.
inline platform::Sound SilentSound() {
    return LevelSound(0);
}

// Gives effect n a sample, so playing it advances the effect pool.
inline void GiveEffectASample(int n) {
    framework::SoundEffects[n] = SilentSound();
    ASSERT_TRUE(framework::SoundEffects[n]);
}

// An enemy at (x, y) of the given level, active and facing no bullets yet.
inline game::die& AddEnemy(float x, float y, int level, int w = 0, int kind = -1) {
    game::die enemy;
    enemy.x = x;
    enemy.y = y;
    enemy.t = level;
    enemy.h = 2 * level;
    enemy.s = 3 + level / 3.0f + 0.5f;
    enemy.w = w;
    enemy.wave = kind;
    game::EnemyList.push_back(enemy);
    return game::EnemyList.back();
}

// A fresh bullet at (x, y) doing damage extra + 1.
inline void AddBullet(float x, float y, int extra = 0) {
    game::lets bullet;
    bullet.x = x;
    bullet.y = y;
    bullet.l = extra;
    game::BulletList.push_back(bullet);
}

// Quads of the current, unpresented frame drawn with this texture.
inline int QuadsWithTexture(const platform::Image& image) {
    int count = 0;
    for (const auto& quad : platform::headless::RecordedQuads()) {
        if (quad.texture == image->texture) ++count;
    }
    return count;
}

class PlayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Score files and the like land in a folder of the test's own.
        previous_dir_ = std::filesystem::current_path();
        dir_ = std::filesystem::temp_directory_path() /
               ("vantor-play-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        std::filesystem::current_path(dir_);
        scores::ResetScores();
        platform::headless::UseHeadlessBackends(1000);
        platform::EndGraphics();
        framework::ResetHooks();
        framework::ResetProgram();
        framework::ResetFramePump();
        framework::ResetDisplaySetup();
        framework::ResetSettings();
        framework::ResetDrawHelpers();
        controls::ResetControls();
        controls::InitControls();
        menus::ResetSettingsState();
        ASSERT_TRUE(platform::Graphics(800, 600, 0, 60, 0));
        platform::SetVirtualResolution(1280, 960);
        framework::VirtualWidth = 1280;
        framework::VirtualHeight = 960;
        framework::OverlayOn = 0;
        for (int c = 1; c <= 3; ++c) framework::SpriteLimits[c] = 1000000;
        game::CreateGameState();
        platform::AutoMidHandle(true);
        game::ImgSpinner = platform::CreateImage(64, 64);
        game::ImgSpinnerGlow = platform::CreateImage(64, 64);
        game::ImgStar = platform::CreateImage(16, 16);
        game::ImgPickup = platform::CreateImage(16, 16);
        game::ImgBullet = platform::CreateImage(16, 16);
        game::ImgWhite = platform::CreateImage(8, 8);
        game::ImgCraft = platform::CreateImage(32, 32, 16);
        game::GameMusic = nullptr;  // a silent game unless a test gives it music
    }

    void TearDown() override {
        game::CreateGameState();
        for (platform::Sound& sound : framework::SoundEffects) sound = nullptr;
        platform::EndGraphics();
        scores::ResetScores();
        std::filesystem::current_path(previous_dir_);
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    std::filesystem::path dir_, previous_dir_;
};

}  // namespace play_testing
