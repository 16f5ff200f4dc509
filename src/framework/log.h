// The log file "Debug.txt": created anew at every start in "Files/", one line per call.
#pragma once

#include <string>

namespace framework {

// Creates (empties) the log file at path and keeps it open; false when it cannot be created,
// in which case later lines are dropped.
bool OpenLog(const std::string& path);
// Writes text as one line. The only writer of the log.
void LogLine(const std::string& text);
// Closes the log; later lines are dropped.
void CloseLog();
bool LogOpen();

}  // namespace framework
