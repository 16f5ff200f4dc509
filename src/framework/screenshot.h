// Screenshots: F11 on any screen saves the frame being built as a PNG in "Files/", named after the
// game and the date and time, and confirms it with an on-screen message.
#pragma once

#include <string>

namespace framework {

// Grabs the back buffer at the display's size, shows a notice while the file is written (level 9
// compression), logs each step and posts "Saved Screenshot". Expects the game folder as the
// current folder and leaves it there.
void TakeScreenshot();
// The text without any of the characters # ' , ` . \ / : | * ? and the double quote.
std::string SafeFileName(const std::string& text);
// The screenshot's file name for the current date and time:
// "<GameTitle> <WeekLabel> (Screenshot_<date>_<time>).png", made safe before ".png" is added.
std::string ScreenshotFileName();
// Sets the framework's screenshot hook.
void InstallScreenshots();

}  // namespace framework
