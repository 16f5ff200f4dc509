// Text-file streams and folders. Every file of the program is read and written as text lines of
// 8-bit characters: ReadLine stops at a line feed, a zero byte or the end, and drops carriage
// returns; WriteLine writes each character's low 8 bits followed by CR LF.
#pragma once

#include <memory>
#include <string>

namespace platform {

struct StreamData;
// An open stream; empty when opening failed.
using Stream = std::shared_ptr<StreamData>;

Stream ReadFile(const std::string& path);
// Creates or empties the file.
Stream WriteFile(const std::string& path);
std::string ReadLine(const Stream& stream);
// False when the bytes could not be written.
bool WriteLine(const Stream& stream, const std::string& line);
// True at the end of the stream (or for an empty handle).
bool Eof(const Stream& stream);
// Hands buffered bytes to the system now; false when they could not be written.
bool FlushStream(const Stream& stream);
// Flushes, waits for a written file to reach the disk, and closes; false when buffered bytes
// could not be written.
bool CloseStream(const Stream& stream);

// 0 absent, 1 file, 2 directory.
int FileType(const std::string& path);
bool CreateDir(const std::string& path);
// False (and the current folder unchanged) when the folder cannot be entered.
bool ChangeDir(const std::string& path);
std::string CurrentDir();
bool DeleteFile(const std::string& path);
// Replaces target with source in one step (both in the same folder), durably: the folder is
// synced after the rename.
bool RenameFile(const std::string& source, const std::string& target);

}  // namespace platform
