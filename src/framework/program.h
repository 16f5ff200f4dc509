// The program's entry, its process-wide flags and the title screen.
#pragma once

#include <string>

#include "platform/audio.h"

namespace framework {

// 0 while no game runs, 1 while the play loop runs, 2 while the pause menu is open.
extern int InGame;
// MilliSecs() when the current game started; the frame pump adds every pause to it.
extern int GameStartTime;
// 0: screens are played with keys and joysticks (the play loop's show-pointer flag).
extern int PointerMode;
// Difficulty chosen on the title screen: 0 "Normal", 1 "Hard", 2 "Harder".
extern int CurrentGameMode;
extern int CurrentLevel, CurrentGameFlags;
// Number of players whose pads the settings menu shows, and of badges the results panel draws.
extern int PadCount, BadgeCount;

// Credit lines at indices 1 to 20; CreditCount is the next free index.
extern std::string CreditLines[100];
extern int CreditCount;

inline constexpr int ChannelSlots = 260;
// Playback channel slots: 0-19 the sequencer's voices, 20-255 the sound-effect pool, 256 the
// start-up jingle.
extern platform::Channel Channels[ChannelSlots];
extern float ChannelVolumes[ChannelSlots];

// Fills CreditLines 1 to 20.
void FillCredits();
// Start-up: tables, "Files/", log, setup file, game folder, display and assets, then the title
// screen. Does not return: the process ends in the exit screen.
[[noreturn]] void RunProgram();
// Runs the title screen until the player leaves it with Escape.
void TitleScreen();
// Ends the program: the exit screen when there is one, otherwise the log is closed and the
// process ends with status 0.
[[noreturn]] void ExitScreen();

// Puts the flags and tables of this file back to their start-up state.
void ResetProgram();

}  // namespace framework
