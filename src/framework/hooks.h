// Calls from the framework into the game, and into framework screens that are not part of this
// build yet. main() fills the game's entries at start-up; an empty entry does nothing, so the
// framework runs on its own (tests run it without any game).
#pragma once

#include <string>

namespace framework {

struct GameHooks {
    // Loads the game's images and sounds after the common assets (the game runs the engine test
    // first). Called on every display setup.
    void (*load_game_assets)() = nullptr;
    // Creates the game's world lists and per-game tables, once at start-up.
    void (*create_game_state)() = nullptr;
    // Runs one whole game, name entry included, and returns to the title screen.
    void (*run_game)() = nullptr;
    // Moves, fades and draws the floating score numbers; called by the frame pump every frame.
    void (*draw_score_popups)() = nullptr;
};

struct ScreenHooks {
    // Saves a screenshot (F11).
    void (*take_screenshot)() = nullptr;
    // Runs the pause menu until it closes; returns 1 continue or 99 quit.
    int (*pause_menu)() = nullptr;
    // One frame of the settings panel.
    void (*settings_menu)() = nullptr;
    // Advances the background music by the clock.
    void (*music_tick)() = nullptr;
    // Loads and starts a sequenced song (title screen keys M, N, B).
    void (*play_song)(const std::string& name, int seed, int step) = nullptr;
    // Draws the on-screen message stack.
    void (*draw_messages)() = nullptr;
    // Posts an on-screen message.
    void (*show_message)(const std::string& text, int kind) = nullptr;
    // Reads the score file (first display setup only).
    void (*load_scores)() = nullptr;
    // Draws the title screen's results panel.
    void (*draw_results_panel)(int slide, int game_mode, int level, int flags) = nullptr;
    // Called when a game returns to the title screen: resets the panel's scroll and pin and
    // marks the game as just finished.
    void (*results_after_game)() = nullptr;
    // Runs the exit screen; must end the process. Without it the log is closed and the process
    // ends with status 0.
    void (*exit_screen)() = nullptr;
};

extern GameHooks Game;
extern ScreenHooks Screens;

// Empties both tables.
void ResetHooks();

}  // namespace framework
