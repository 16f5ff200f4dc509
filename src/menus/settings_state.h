// The settings panel's process-wide state, which the frame pump and the title screen read.
#pragma once

namespace menus {

// The panel is wanted open; the frame pump flips it on every Tab press.
extern int settings_open;
// Vertical offset of the panel; -300 is fully hidden.
extern int panel_y;
// Left and right click counts of the current frame.
extern int LeftClicks, RightClicks;

// Back to start-up state: closed and hidden.
void ResetSettingsState();

}  // namespace menus
