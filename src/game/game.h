// The game's connection to the framework.
#pragma once

namespace game {

// Fills the framework's game hooks (asset loading, world state, running a game, score popups).
void RegisterHooks();
// Connects the game and every screen the framework offers (exit screen, screenshots, messages
// and badges, music, scores, settings panel, pause menu): everything the program needs before RunProgram.
void ConnectProgram();

}  // namespace game
