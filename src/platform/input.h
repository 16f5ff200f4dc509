// Keyboard, mouse, wheel, typed characters and joysticks.
//
// Key codes follow the Windows virtual-key numbering (8 Backspace, 9 Tab, 13 Return, 27 Escape,
// 32 Space, 37-40 arrows, 48-57 digits, 65-90 letters, 112-123 F1-F12, 160/161 Shift, 162/163
// Control, 164/165 Alt ...). Input state is refreshed by pumping events at every Flip and, at most
// once a millisecond, when input is read.
#pragma once

#include <string>

namespace platform {

bool KeyDown(int code);
// Number of presses since the previous query of that code, then zeroed.
int KeyHit(int code);
// Clears all key flags, hit counters and the character queue.
void FlushKeys();
// Oldest typed character code (8-bit), 0 when none.
int GetChar();

// Pointer in virtual units (see SetVirtualResolution).
int MouseX();
int MouseY();
// Buttons: 1 left, 2 right, 3 middle.
bool MouseDown(int button);
int MouseHit(int button);
// Wheel movement since the previous reading, then zeroed.
int MouseWheel();

// Joystick axes.
enum JoyAxisId : int { JoyX = 0, JoyY = 1, JoyZ = 2, JoyR = 3, JoyU = 4, JoyV = 5 };

// Joystick ports are numbered from 0.
int JoyCount();
std::string JoyName(int port);
int JoyButtonCount(int port);
// -1 .. 1.
float JoyAxis(int port, int axis);
// Fraction of a full turn clockwise from up (0 up, 0.25 right, 0.5 down, 0.75 left); -1 centred.
float JoyHat(int port);
bool JoyDown(int button, int port);

// Whether the user asked to close the window since the previous query; the flag is cleared.
bool CloseRequested();

// Pumps pending window and input events now (Flip does this itself).
void PollEvents();

}  // namespace platform
