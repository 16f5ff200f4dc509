// The title screen: credits, results panel, difficulty choice and start prompt. Each game is
// started from here and returns here.
#include <string>

#include "controls/controls.h"
#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/frame_pump.h"
#include "framework/game_info.h"
#include "framework/hooks.h"
#include "framework/program.h"
#include "framework/settings.h"
#include "menus/settings_state.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/draw.h"
#include "platform/input.h"

namespace framework {
namespace {

constexpr int kKeyEscape = 27;

// The title screen's local state; all 0 when the screen is entered.
struct TitleState {
    int slide = 0;
    int held_last_frame = 0;
    int input_lock = 0;
    int escape_lock = 0;
};

// The eight controls that start a game: the four face buttons and the four directions.
const int kStartControls[8] = {controls::FaceGreen,  controls::FaceRed, controls::FaceBlue,
                               controls::FaceYellow, controls::Up,      controls::Down,
                               controls::Left,       controls::Right};

bool AnyStartControlHeld() {
    for (int player = 1; player <= 4; ++player) {
        for (int control : kStartControls) {
            if (controls::ControlDown(control, player)) return true;
        }
    }
    return false;
}

void DrawCredits(int slide, int w_virtual, int h_virtual) {
    (void)w_virtual;
    const int width = DisplayWidth >= 900 ? 320 : 416;
    const int step = DisplayWidth >= 900 ? 10 : 13;
    const int offset = width - slide * step;
    SetColorAlpha(0, 0, 0, 0.6f);
    platform::DrawRect(static_cast<float>(10 - offset), static_cast<float>(h_virtual - 430),
                       static_cast<float>(width), 422);
    SetColorAlpha(255, 255, 255, 1.0f);
    UseFontSlot(3);
    for (int i = 1; i < CreditCount; ++i) {
        DrawTextAligned(width / 2 + 5 - offset, h_virtual - 428 + (i - 1) * 20, CreditLines[i], 1, 0);
    }
}

void DrawSettingsHint() {
    if (Settings[5] == 800 && platform::MilliSecs() % 800 < 400) SetColorAlpha(255, 255, 0);
    UseFontSlot(3);
    DrawTextAligned(4, 4, "Hit [Tab] for settings", 0, 0);
}

void SongKeys() {
    struct SongKey {
        int code;
        const char* name;
        int seed;
    };
    const SongKey songs[3] = {{77, "Hoplark", 17}, {78, "Mario", 1}, {66, "Pipeline", 64}};
    for (const SongKey& song : songs) {
        if (platform::KeyHit(song.code) && Screens.play_song) Screens.play_song(song.name, song.seed, 125);
    }
}

void DrawStartPrompt(int slide, int w, int h) {
    SetColorAlpha(255, 255, 255);
    UseFontSlot(7);
    const std::string prompt =
        "Press Start (" + controls::InputName(controls::ControlBindings[controls::FaceGreen]) + ") To Begin";
    DrawTextAligned(w / 2, h / 2 + 800 - slide * 25, prompt, 1, 1);
}

void StartGame(TitleState& state, int w, int h) {
    if (Channels[1] && platform::ChannelPlaying(Channels[1])) {
        platform::StopChannel(Channels[1]);
        Channels[1] = 0;
    }
    InGame = 1;
    platform::MoveMouse(w, h);
    GameStartTime = platform::MilliSecs();
    if (Game.run_game) Game.run_game();
    InGame = 0;
    state.escape_lock = 1;
    state.input_lock = 1;
    state.slide = 0;
    if (Screens.results_after_game) Screens.results_after_game();
}

void DifficultyMenu(int slide, int w, int h) {
    struct Entry {
        int mode;
        const char* label;
        int dy;
    };
    const Entry entries[3] = {{0, "Normal", 200}, {1, "Hard", 250}, {2, "Harder", 300}};
    UseFontSlot(8);
    for (const Entry& entry : entries) {
        SetColorAlpha(255, 255, 255, entry.mode == CurrentGameMode ? 1.0f : 0.5f);
        const int x = w / 2 - 100;
        const int y = h / 2 + entry.dy - (800 - slide * 25);
        DrawTextAligned(x, y, entry.label, 0, 0);
        if (PointerIn(x, y, 200, 40) && platform::MouseDown(1)) CurrentGameMode = entry.mode;
    }
}

void DifficultyKeys(TitleState& state) {
    const auto held = [](int control) {
        return controls::ControlDown(control, 1) || controls::ControlDown(control, 2);
    };
    if (state.input_lock == 0 && held(controls::Up)) {
        state.input_lock = 1;
        CurrentGameMode = CurrentGameMode - 1 < 0 ? 2 : CurrentGameMode - 1;
    }
    if (state.input_lock == 0 && held(controls::Down)) {
        state.input_lock = 1;
        CurrentGameMode = CurrentGameMode + 1 > 2 ? 0 : CurrentGameMode + 1;
    }
}

void DrawTitles(int slide, int w, int h) {
    SetColorAlpha(255, 255, 255, 1.0f);
    UseFontSlot(5);
    DrawTextAligned(w / 2, h / 2 - 200 - (800 - slide * 25), GameTitle, 1, 1);
    UseFontSlot(6);
    DrawTextAligned(w / 2, h / 2 - 140 + (800 - slide * 25), WeekLabel(), 1, 1);
}

// One frame of the title screen; false when the player leaves it.
bool TitleFrame(TitleState& state) {
    const int w = VirtualWidth, h = VirtualHeight;
    BeginFrame(1);
    DrawStripedBackground();
    if (state.slide < 32) ++state.slide;
    DrawCredits(state.slide, w, h);
    DrawSettingsHint();
    if (Screens.draw_results_panel) {
        Screens.draw_results_panel(state.slide * 10, CurrentGameMode, CurrentLevel, CurrentGameFlags);
    }
    SongKeys();
    DrawStartPrompt(state.slide, w, h);
    if (state.held_last_frame == 1 && state.input_lock == 0 && menus::panel_y < -250) StartGame(state, w, h);
    state.held_last_frame = AnyStartControlHeld() ? 1 : 0;
    if (state.held_last_frame == 0) state.input_lock = 0;
    DifficultyMenu(state.slide, w, h);
    DifficultyKeys(state);
    DrawTitles(state.slide, w, h);
    FramePump(1);
    if (!platform::KeyDown(kKeyEscape)) state.escape_lock = 0;
    return !(state.escape_lock == 0 && platform::KeyDown(kKeyEscape));
}

}  // namespace

void TitleScreen() {
    TitleState state;
    while (TitleFrame(state)) {
    }
}

}  // namespace framework
