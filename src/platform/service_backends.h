// The back-end interfaces behind the clock and input services, and the shared input state that
// every input back-end feeds. Real back-ends read SDL and the system clock; the headless ones
// (src/platform/headless) take a manual clock and a script. Nothing outside src/platform
// includes this.
#pragma once

#include <ctime>
#include <string>

namespace platform::detail {

// A source of time: the millisecond counter, sleeping and the calendar.
class ClockBackend {
  public:
    virtual ~ClockBackend() = default;
    // Milliseconds since the platform started.
    virtual int MilliSecs() = 0;
    // Waits ms milliseconds (ms > 0; callers filter the rest).
    virtual void Delay(int ms) = 0;
    // The local calendar date and time now.
    virtual std::tm LocalTime() = 0;
};

// Installs the clock behind MilliSecs, Delay and the calendar; nullptr restores the real one.
// The caller keeps ownership.
void InstallClockBackend(ClockBackend* backend);

// A source of input events and joystick readings.
class InputBackend {
  public:
    virtual ~InputBackend() = default;
    // Delivers pending events into the shared input state. from_frame is true when the call
    // comes from PollEvents (once a frame), false for the lazy polls made by input readers.
    virtual void Pump(bool from_frame) = 0;
    // Ports 0 .. count - 1 are addressable (a port may be empty after an unplug).
    virtual int JoyCount() = 0;
    // Device name; empty for an empty port.
    virtual std::string JoyName(int port) = 0;
    // Buttons the device reports; 0 for an empty port.
    virtual int JoyButtonCount(int port) = 0;
    // -1 .. 1; 0 for an absent port or axis.
    virtual float JoyAxis(int port, int axis) = 0;
    // Fraction of a turn clockwise from up; -1 centred or absent.
    virtual float JoyHat(int port) = 0;
    // Whether button (from 0) is held; false beyond the device's buttons.
    virtual bool JoyDown(int button, int port) = 0;
};

// Installs the input back-end; nullptr restores the SDL one. The caller keeps ownership.
void InstallInputBackend(InputBackend* backend);
// The SDL back-end (one per process, created on first use).
InputBackend& SdlInputBackend();

// ---- the shared input state, written only by back-ends ----------------------------------------
// Clears every key, button, character, wheel and close flag, and the pointer.
void ResetInputState();
// A key changed. repeat marks the system's auto-repeat of a held key: it keeps the key down and
// queues its control character but counts no new hit.
void ApplyKey(int code, bool down, bool repeat = false);
// Appends one 8-bit character code (1..255) to the typed-character ring; dropped when full.
void QueueChar(int code);
// Appends UTF-8 text as 8-bit Latin-1 codes; characters above 255 and malformed bytes are dropped.
void QueueUtf8Text(const char* utf8);
// Pointer position in window pixels.
void ApplyMouseMove(int window_x, int window_y);
// Button 1 left, 2 right, 3 middle.
void ApplyMouseButton(int button, bool down);
// Wheel steps, positive away from the user.
void ApplyWheel(int steps);
// The user asked to close the window.
void ApplyCloseRequest();

}  // namespace platform::detail
