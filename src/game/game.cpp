// The game's hooks. The play loop, its records and assets join here as they are built; until
// then the start control returns straight to the title screen.
#include "game/game.h"

#include "framework/hooks.h"

namespace game {

void RegisterHooks() {
    framework::Game = framework::GameHooks{};
}

}  // namespace game
