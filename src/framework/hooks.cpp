// The hook tables; empty until main() or a test fills them.
#include "framework/hooks.h"

namespace framework {

GameHooks Game;
ScreenHooks Screens;

void ResetHooks() {
    Game = GameHooks{};
    Screens = ScreenHooks{};
}

}  // namespace framework
