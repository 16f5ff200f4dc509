// A whole game from the title screen: the start control starts it, a scripted player flies out
// of the safe zone firing until health runs out, "Game Over" shows, name entry takes Enter, the
// record is stored and the title screen comes back.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "framework/hooks.h"
#include "framework/program.h"
#include "game/entities.h"
#include "game/game.h"
#include "game/play_fixture.h"
#include "game/play_loop.h"
#include "platform/clock.h"
#include "platform/headless/recorder.h"
#include "platform/headless/script_input.h"
#include "scores/score_file.h"

namespace {

using namespace play_testing;
using platform::headless::PressKey;
using platform::headless::ReleaseKey;

// What the scripted run saw; reset by the test.
struct ScriptedRun {
    int title_frames = 0, title_frames_after_game = 0;
    int game_frames = 0, most_bullets = 0, name_frames = 0;
    bool in_game = false, returned = false;
    int last_game_frame_ms = 0, first_name_frame_ms = 0;
    float health_after = -1;
    int end_reason_after = -1;
    std::vector<platform::headless::RecordedQuad> game_over;
};
ScriptedRun run;

void PlayAndWatch() {
    run.in_game = true;
    game::RunGame();
    run.in_game = false;
    run.returned = true;
    run.health_after = game::Health;
    run.end_reason_after = game::EndReason;
}

// The title screen draws its results panel once a frame: start, and leave after the game.
void TitleFrame(int, int, int, int) {
    ++run.title_frames;
    if (run.title_frames == 3) {
        PressKey(kKeyRight);  // a start control, and then the player's course
        PressKey(kKeyZ);      // fire to the left all game
    }
    if (run.returned && ++run.title_frames_after_game == 5) {
        ReleaseKey(kKeyRight);
        ReleaseKey(kKeyZ);
        PressKey(kKeyEscape);
    }
}

// Every frame pump, on any screen: watches the game and answers name entry.
void EveryPump() {
    if (!run.in_game) return;
    if (framework::InGame == 1) {
        ++run.game_frames;
        run.most_bullets = std::max(run.most_bullets, static_cast<int>(game::BulletList.size()));
        run.last_game_frame_ms = platform::MilliSecs();
        if (run.game_frames == 20000) PressKey(kKeyEscape);  // a game that never ends: quit it
        return;
    }
    if (++run.name_frames == 1) {
        run.first_name_frame_ms = platform::MilliSecs();
        run.game_over = platform::headless::LastFrameQuads();
    }
    if (run.name_frames == 3) PressKey(kKeyEnter);
    if (run.name_frames == 6) ReleaseKey(kKeyEnter);
}

int QuitGame() {
    return 99;
}

class WholeGame : public PlayTest {};

TEST_F(WholeGame, FromTheStartControlToGameOverAndBack) {
    run = ScriptedRun{};
    game::RegisterHooks();
    framework::Game.run_game = PlayAndWatch;
    framework::Screens.draw_results_panel = TitleFrame;
    framework::Screens.music_tick = EveryPump;
    framework::Screens.pause_menu = QuitGame;
    framework::CurrentGameMode = 1;

    framework::TitleScreen();

    ASSERT_TRUE(run.returned);
    EXPECT_EQ(run.end_reason_after, 1);  // health ran out, not the safety quit
    EXPECT_EQ(run.health_after, 0);
    EXPECT_EQ(framework::InGame, 0);
    // Out of the zone at about frame 260, then 0.3 a frame (and any contacts) take 99 health.
    EXPECT_GT(run.game_frames, 200);
    EXPECT_LT(run.game_frames, 1500);
    EXPECT_GT(run.most_bullets, 5);
    EXPECT_GT(game::PlayerX, 2000);  // flew right, out of the zone
    EXPECT_GE(run.first_name_frame_ms - run.last_game_frame_ms, 1500);
    int yellow = 0;
    for (const auto& quad : run.game_over) {
        yellow += quad.corners[0].r == 255 && quad.corners[0].g == 255 && quad.corners[0].b == 0;
    }
    EXPECT_GE(yellow, 8);
    // The record of the game, stored at once.
    ASSERT_EQ(scores::ScoreList.size(), 1u);
    EXPECT_EQ(scores::ScoreList[0].Score, game::GameScore);
    EXPECT_EQ(scores::ScoreList[0].Quit, 0);
    EXPECT_EQ(scores::ScoreList[0].GameMode, 1);
    EXPECT_TRUE(std::filesystem::exists("scores.dat"));
    // The world of the last game stays until the next one starts.
    EXPECT_GT(game::EnemyList.size(), 100u);
    EXPECT_EQ(run.title_frames_after_game, 5);
}

}  // namespace
