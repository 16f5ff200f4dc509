// Build constants that name this game: its title, its number in the weekly series, the window
// caption and the game's own data folder.
#pragma once

#include <string>

namespace framework {

inline constexpr const char* GameTitle = "Vantor";
inline constexpr int WeekNumber = 42;
// The week number's digits as text.
std::string WeekLabel();
// "#" + WeekNumber + " : " + GameTitle + " " + WeekLabel.
std::string WindowTitle();
// The last three characters of "000" + number, followed by "/" (7 gives "007/", 1234 "234/").
std::string GameFolderFor(int week_number);
// The game folder of this game.
std::string GameFolder();

}  // namespace framework
