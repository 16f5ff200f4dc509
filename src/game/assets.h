// Loading the game's images and music with the display.
#pragma once

namespace game {

// Runs the engine test (60 frames per second, sprite scale 2) that sets the sprite budgets,
// loads the sequencer's instruments, then the seven game images and the music from the current
// folder. A missing file leaves its handle empty and is not reported. Called on every display
// setup, after the common assets.
void LoadGameAssets();

}  // namespace game
