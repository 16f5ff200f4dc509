// The game's connection to the framework.
#pragma once

namespace game {

// Fills the framework's game hooks (asset loading, world state, running a game, score popups).
void RegisterHooks();

}  // namespace game
