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
    if (log_stream) platform::WriteLine(log_stream, text);
}

void CloseLog() {
    if (log_stream) platform::CloseStream(log_stream);
    log_stream.reset();
}

bool LogOpen() { return log_stream != nullptr; }

}  // namespace framework
