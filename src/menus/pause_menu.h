// The pause menu: Escape during play freezes the game picture, which wobbles and turns behind a
// two-item menu ("Continue", "Quit") with copies of the window title scattered over it. It runs
// its own frames through the frame pump, so the settings panel and the hotkeys still work.
#pragma once

namespace menus {

// Seed of the scattered title texts: the same seed every frame and every pause keeps them still.
inline constexpr int PauseTitleSeed = 37171650;
// Title texts drawn under the menu box, and in all (the rest are drawn over it).
inline constexpr int PauseTitlesUnder = 140, PauseTitlesTotal = 180;

// Runs the pause menu until a choice is made; returns 1 (continue) or 99 (quit). Expects to be
// called from the frame pump while Escape is held, before the frame being built is presented:
// that frame becomes the frozen picture. Returns only once Escape is released, and leaves the
// random generator seeded from the clock.
int PauseMenu();

// Sets the frame pump's pause-menu hook to PauseMenu.
void InstallPauseMenu();

}  // namespace menus
