// The frame pump: the one call with which every screen ends each of its frames. It draws what
// belongs on every screen, services the global hotkeys, paces the frame to about 60 a second,
// presents it (every other frame in slow-system mode) and keeps the frame statistics.
#pragma once

namespace framework {

// Flips at the end of every pump call; in slow-system mode only parity 0 frames are drawn.
extern int FrameParity;
// MilliSecs() at the end of the previous pump call (start-up sets it before the first call).
extern int LastFrameTime;
// Smoothed frames per second.
extern int MeasuredFps;
// Diagnostics overlay on (F12 toggles it).
extern int OverlayOn;
// Result of the most recent reclaim call.
extern int ReclaimResult;
// Pointer position recorded by the most recent pump call, virtual units, truncated.
extern int PointerX, PointerY;
extern int PrevPointerX, PrevPointerY;

// Ends one frame. show_pointer 1 draws the pointer. Returns 0, or the pause menu's result when
// it ran during this call (1 continue, 99 quit).
int FramePump(int show_pointer);

// Whether the current frame is drawn: always, or in slow-system mode only on parity 0.
bool IsDrawnFrame();

// Puts the pump's values back to their start-up state.
void ResetFramePump();

}  // namespace framework
