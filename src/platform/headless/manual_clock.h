// A manual clock for tests: time stands still until a test advances it, and Delay advances it
// instead of sleeping, so whole screens run frame by frame without waiting.
#pragma once

namespace platform::headless {

// Replaces the real clock: MilliSecs() reads start_ms until the clock is advanced, and the
// calendar reads 01 Jan 2026 12:00:00 plus the time advanced since (see SetManualDateTime).
void UseManualClock(int start_ms = 0);
// Puts the real clock back.
void UseRealClock();
// Moves the manual clock forward by ms (negative values are ignored); no effect on the real clock.
void AdvanceClock(int ms);
// Whether the manual clock is installed.
bool ManualClockActive();
// Fixes the manual calendar (month 1-12) at the current manual time; it then runs on with the
// manual clock. Takes effect for the next UseManualClock too.
void SetManualDateTime(int year, int month, int day, int hour, int minute, int second);

}  // namespace platform::headless
