// Names derived from the build constants.
#include "framework/game_info.h"

namespace framework {

std::string WeekLabel() {
    return std::to_string(WeekNumber);
}

std::string WindowTitle() {
    return "#" + std::to_string(WeekNumber) + " : " + GameTitle + " " + WeekLabel();
}

std::string GameFolderFor(int week_number) {
    const std::string padded = "000" + std::to_string(week_number);
    return padded.substr(padded.size() - 3) + "/";
}

std::string GameFolder() {
    return GameFolderFor(WeekNumber);
}

}  // namespace framework
