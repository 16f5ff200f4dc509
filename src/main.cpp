// Vantor's entry point: enter the executable's folder, connect the game to the framework, run.
#include "framework/exit_screen.h"
#include "framework/program.h"
#include "framework/screenshot.h"
#include "game/entities.h"
#include "game/game.h"
#include "music/playback.h"
#include "platform/system.h"
#include "scores/messages.h"
#include "scores/score_file.h"

int main() {
    platform::EnterExecutableFolder();
    platform::TuneHeap();
    game::RegisterHooks();
    framework::InstallExitScreen();
    framework::InstallScreenshots();
    scores::InstallMessages();
    // Awarded badges go into the game's record, their sound round the game's effect pool.
    scores::ConnectBadges(&game::GameBadges, &game::EffectChannelIndex);
    music::InstallMusic();
    scores::InstallScores();
    framework::RunProgram();
}
