// The settings panel's process-wide state.
#include "menus/settings_state.h"

namespace menus {

int settings_open = 0;
int panel_y = -300;
int LeftClicks = 0, RightClicks = 0;

void ResetSettingsState() {
    settings_open = 0;
    panel_y = -300;
    LeftClicks = RightClicks = 0;
}

}  // namespace menus
