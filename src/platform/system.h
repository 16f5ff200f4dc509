// Process services: caption, standard output, memory statistics, the executable's folder and
// ending the process.
#pragma once

#include <string>

namespace platform {

// Sets the window caption (also applied to any window opened later).
void SetCaption(const std::string& title);
std::string Caption();
// One line on standard output (diagnostics only).
void Print(const std::string& text);

// Bytes currently in use by the program's heap.
long long MemoryInUse();
// Switches automatic reclaiming of unreferenced objects on or off.
void SetAutoReclaim(bool on);
// Reclaims objects no longer referenced; returns how many were released since the last call.
int Reclaim();

// Keeps freed heap memory in the process instead of trimming it and faulting it back in every
// frame (large trim and mmap thresholds). Called once at start-up.
void TuneHeap();

// Makes the folder holding the executable current. Called by main before anything else.
void EnterExecutableFolder();
// Ends the process with the status. Under the headless back-ends this throws ProcessEnded.
[[noreturn]] void EndProcess(int status);

// Thrown by EndProcess under the headless back-ends, so tests can run a whole program.
struct ProcessEnded {
    int status;
};

}  // namespace platform
