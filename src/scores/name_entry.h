// The name-entry screen that the play loop runs at the end of each game, before the game's record.
#pragma once

namespace scores {

// Runs the name-entry screen until the player confirms (Enter, left button or Escape), editing
// PlayerName: typed characters are appended, except "|" which the score file cannot hold;
// Backspace drops the last one. Needs the display open; runs the frame pump every frame.
void EnterName();

}  // namespace scores
