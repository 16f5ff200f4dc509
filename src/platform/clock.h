// The millisecond clock, sleeping and the calendar. Game logic reads time only through here.
#pragma once

#include <string>

namespace platform {

// Milliseconds since the platform started.
int MilliSecs();
// Sleeps; a negative value does not sleep.
void Delay(int ms);
// "%d %b %Y", e.g. "09 Dec 2026".
std::string CurrentDate();
// "%H:%M:%S".
std::string CurrentTime();

}  // namespace platform
