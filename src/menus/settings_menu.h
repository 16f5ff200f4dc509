// The settings panel: slides down from the top of any screen on Tab and offers the display
// options (screen mode, resolution, frameskip, renderer, Apply), a pad of rebinding buttons for
// each of four players, the audio driver, the three volumes and the joystick list.
#pragma once

#include <string>
#include <vector>

namespace menus {

// Pixels the panel moves per frame while opening or closing.
inline constexpr int PanelSlideStep = 32;
// panel_y of the fully hidden panel.
inline constexpr int PanelHiddenY = -300;

// One frame of the panel, called by the frame pump on every frame whether the panel is open or
// not: reads the clicks, slides, and draws and runs the widgets while any of it is visible.
void SettingsMenu();

// A row that cycles Settings[setting] through its labels on a left click, with the icon frame
// first_icon + value at (x, y + panel_y) and the current label beside it; a label "a|b" shows on
// two lines, the label "AUDIO" first becomes the list of audio drivers. Returns 1 while the
// pointer is over the row. A row with a single option never changes its setting.
int OptionRow(int setting, int x, int y, int first_icon, const std::vector<std::string>& labels);

// A volume slider at (x, y + panel_y): dragging with the left button held maps the strip onto
// 1 to 99. Draws the label with the value and returns the (possibly new) value.
int VolumeSlider(int value, int x, int y, const std::string& label);

// The rebinding button of ControlBindings[binding] at screen position (x, y): while the pointer
// rests on it and the panel is fully open, a held input above code 8 is bound and Backspace
// unbinds; it lights up while its input is held. Shows the binding's icon and name.
void BindingButton(int binding, int x, int y);

// Connects SettingsMenu to the frame pump.
void InstallSettingsMenu();

}  // namespace menus
