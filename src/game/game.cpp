// The game's hooks, and the whole program's wiring of the framework's screens.
#include "game/game.h"

#include "framework/exit_screen.h"
#include "framework/hooks.h"
#include "framework/screenshot.h"
#include "game/assets.h"
#include "game/entities.h"
#include "game/play_loop.h"
#include "menus/pause_menu.h"
#include "menus/settings_menu.h"
#include "music/playback.h"
#include "scores/messages.h"
#include "scores/score_file.h"

namespace game {

void RegisterHooks() {
    framework::Game = framework::GameHooks{};
    framework::Game.load_game_assets = LoadGameAssets;
    framework::Game.create_game_state = CreateGameState;
    framework::Game.draw_score_popups = DrawScorePopups;
    framework::Game.run_game = RunGame;
}

void ConnectProgram() {
    RegisterHooks();
    framework::InstallExitScreen();
    framework::InstallScreenshots();
    scores::InstallMessages();
    // Awarded badges go into the game's record, their sound round the game's effect pool.
    scores::ConnectBadges(&GameBadges, &EffectChannelIndex);
    music::InstallMusic();
    scores::InstallScores();
    menus::InstallSettingsMenu();
    menus::InstallPauseMenu();
}

}  // namespace game
