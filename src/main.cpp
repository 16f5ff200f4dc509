// Vantor's entry point: enter the executable's folder, connect the game to the framework, run.
#include "framework/program.h"
#include "game/game.h"
#include "platform/system.h"

int main() {
    platform::EnterExecutableFolder();
    platform::TuneHeap();
    game::ConnectProgram();
    framework::RunProgram();
}
