// The exit screen, the one way the program ends: it saves the setup file and the scores, writes
// the closing lines of the log, shows a thank-you page in a small window until any input arrives,
// then ends the process with status 0.
#pragma once

#include <string>

namespace framework {

// Saves, logs "Closing Up" ... "Play again, soon!!", replaces the display with a 640 x 480 window
// showing the thanks page, waits for any key, mouse button, joystick input or close request,
// prints a farewell on standard output, closes the log and ends the process. Never returns.
[[noreturn]] void RunExitScreen();
// Farewell text number which (1 to 5; others give the first), lines separated by "\n".
std::string FarewellText(int which);
// Sets the framework's exit-screen hook.
void InstallExitScreen();

}  // namespace framework
