// Scripted input for tests: keys, characters, the pointer, buttons, the wheel, close requests and
// up to four virtual joysticks, applied at once or scheduled for a frame number or a clock time.
// Scripted keys and buttons go through the same state updates as real events, so KeyHit,
// MouseHit, GetChar and the rest behave exactly as with SDL.
#pragma once

#include <functional>
#include <string>

namespace platform::headless {

// Replaces SDL events with the script and starts a fresh one: all input state cleared, no
// joysticks, nothing scheduled, frame number 0. The functions below call it when no script runs.
void UseScriptInput();
// Returns to SDL events (input state cleared).
void UseSdlInput();
// Whether the script is installed.
bool ScriptInputActive();
// PollEvents calls made since UseScriptInput (Flip makes one per frame).
int FrameNumber();

// Runs action during the first PollEvents that brings FrameNumber() to frame or beyond.
void AtFrame(int frame, std::function<void()> action);
// Runs action during the first event pump (a frame's or an input read's) at or after MilliSecs()
// reaches ms.
void AtTime(int ms, std::function<void()> action);

// A key goes down (one hit unless already down) or up; codes outside 1..255 are ignored.
void PressKey(int code);
void ReleaseKey(int code);
// Press and release at once: one hit, and the key reads up afterwards.
void TapKey(int code);
// The system's auto-repeat of a held key: no new hit, control characters queued again.
void RepeatKey(int code);
// Queues UTF-8 text as typed characters (Latin-1 codes; others dropped).
void TypeText(const std::string& utf8);
// Queues one 8-bit character code.
void TypeChar(int code);

// Pointer position in window pixels.
void MovePointer(int window_x, int window_y);
// Buttons 1 left, 2 right, 3 middle.
// A button goes down (one hit unless already down) or up.
void PressButton(int button);
void ReleaseButton(int button);
// Wheel steps, positive away from the user.
void TurnWheel(int steps);
// As the user closing the window.
void RequestClose();

// Attaches a virtual joystick at the first free port (0..3) and returns it, -1 when all four are
// taken. Axes start at 0, the hat centred, buttons released.
int AttachJoystick(const std::string& name, int button_count);
// Empties the port; other ports keep their numbers.
void DetachJoystick(int port);
// Axis 0..5 (x, y, z, r, u, v), clamped to -1..1.
void SetJoyAxis(int port, int axis, float value);
// Fraction of a turn clockwise from up, or -1 for centred.
void SetJoyHat(int port, float hat);
// Button from 0; ignored beyond the device's button count.
void SetJoyButton(int port, int button, bool down);

}  // namespace platform::headless
