// Vantor's entry point: enter the executable's folder, connect the game to the framework, run.
#include "framework/program.h"
#include "game/game.h"
#include "music/playback.h"
#include "platform/system.h"
#include "scores/score_file.h"

int main() {
    platform::EnterExecutableFolder();
    platform::TuneHeap();
    game::RegisterHooks();
    music::InstallMusic();
    scores::InstallScores();
    framework::RunProgram();
}
