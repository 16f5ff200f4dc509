// The game's hooks. The play loop, its records and assets join here as they are built; until
// then the start control returns straight to the title screen.
#include "game/game.h"

#include "framework/hooks.h"
#include "game/assets.h"
#include "game/entities.h"
#include "game/play_loop.h"

namespace game {

void RegisterHooks() {
    framework::Game = framework::GameHooks{};
    framework::Game.load_game_assets = LoadGameAssets;
    framework::Game.create_game_state = CreateGameState;
    framework::Game.draw_score_popups = DrawScorePopups;
    framework::Game.run_game = RunGame;
}

}  // namespace game
