// The log file "Debug.txt". Every Part writes to it through LogLine only.
#include "framework/log.h"

#include "platform/files.h"

namespace framework {
namespace {

platform::Stream log_stream;

}  // namespace

bool OpenLog(const std::string& path) {
    log_stream = platform::WriteFile(path);
    return log_stream != nullptr;
}

void LogLine(const std::string& text) {
    if (!log_stream) return;
    // Each line reaches the file at once, so the log tells how far a run got even when the
    // process dies (a renderer crash inside the display setup is the case that matters).
    platform::WriteLine(log_stream, text);
    platform::FlushStream(log_stream);
}

void CloseLog() {
    if (log_stream) platform::CloseStream(log_stream);
    log_stream.reset();
}

bool LogOpen() {
    return log_stream != nullptr;
}

}  // namespace framework
