// The setup file "Setup.ini" and the process-wide Settings table it fills: display, renderer,
// slow-system mode, volumes, audio driver and control bindings, kept between runs.
#pragma once

#include <string>
#include <vector>

namespace framework {

// Entries of Settings, and the most audio drivers the framework keeps.
inline constexpr int SettingCount = 100;
inline constexpr int MaxAudioDrivers = 100;

// 1 fullscreen, 2 widescreen, 3 renderer, 4 display-mode index, 5 width, 6 height, 7 slow-system
// mode, 11 master, 12 sound and 13 music volume (percent), 14 audio-driver index. Lives for the
// whole process; ResetSettings puts the defaults in place before the file is read.
extern int Settings[SettingCount];
// The platform's audio drivers in its fixed order, taken once at start-up.
extern std::vector<std::string> AudioDriverNames;

// Every entry 0, then width 800, height 600 and the three volumes 50.
void ResetSettings();
// Fills AudioDriverNames from the platform (at most 100 names).
void LoadAudioDriverNames();
// Reads "Setup.ini" from the current folder ("Files/") when it exists, then chooses the audio
// driver and applies it. Logs what it does.
void ReadSetupFile();
// Writes "Setup.ini" one folder above the current one (the game folder) through a temporary
// file that replaces the old one only when complete; leaves the current folder unchanged.
// Returns false (and keeps the old file) when the file could not be written.
bool WriteSetupFile();
// The index of the driver the start-up rule picks when the file names none: the last name
// starting with "DIRECT", else the first starting with "OPENAL" or "FREE", else 0 (any case).
int DefaultAudioDriver(const std::vector<std::string>& names);

}  // namespace framework
