// The pause menu's loop: the frozen picture, the scattered titles, the menu box with its two
// items, and the input latch that makes every press act once.
#include "menus/pause_menu.h"

#include <string>

#include "controls/controls.h"
#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/frame_pump.h"
#include "framework/game_info.h"
#include "framework/hooks.h"
#include "platform/clock.h"
#include "platform/draw.h"
#include "platform/input.h"
#include "platform/random.h"

namespace menus {

namespace {

constexpr int kKeySpace = 32, kKeyEscape = 27, kKeyUp = 38, kKeyDown = 40;
constexpr int kMenuFont = 7;
constexpr int kContinue = 0, kQuit = 1;
constexpr int kResultContinue = 1, kResultQuit = 99;
constexpr int kMenuPlayers = 4;

struct PauseState {
    platform::Image snapshot;
    float angle = 0;  // degrees; the snapshot's turn and the base of the titles' turn
    float phase = 0;  // degrees; drives the wobble
    int selection = kContinue;
    // 1 while an input that already acted is still held. It starts at 1, so whatever is held
    // when the menu opens (fire, say) must be let go before it can move or choose.
    int latch = 1;
    int result = 0;
};

bool AnyPlayerHolds(int control) {
    for (int player = 1; player <= kMenuPlayers; ++player) {
        if (controls::ControlDown(control, player)) return true;
    }
    return false;
}

bool UpHeld() {
    return AnyPlayerHolds(controls::Up) || platform::KeyDown(kKeyUp);
}

bool DownHeld() {
    return AnyPlayerHolds(controls::Down) || platform::KeyDown(kKeyDown);
}

bool ChooseHeld() {
    return AnyPlayerHolds(controls::FaceGreen) || AnyPlayerHolds(controls::FaceRed) ||
           platform::KeyDown(kKeySpace);
}

// Sleeps between polls: nothing is drawn meanwhile, and reading the keys pumps the events.
void WaitForEscapeRelease() {
    while (platform::KeyDown(kKeyEscape)) platform::Delay(1);
}

// The frame being built, before it is presented, becomes the frozen picture.
platform::Image GrabSnapshot() {
    // Filtered, so the picture stays smooth while it is scaled between 1 and 2 times.
    platform::Image snapshot =
        platform::CreateImage(framework::DisplayWidth, framework::DisplayHeight, 1, platform::FilteredImage);
    platform::MidHandleImage(snapshot);
    platform::GrabImage(snapshot, 0, 0);
    return snapshot;
}

// Both axes swing between 1 and 2 at slightly different speeds.
void ApplyWobble(const PauseState& state) {
    framework::ScaleTo(static_cast<float>(platform::Sin(state.phase) * 0.5 + 1.5),
                       static_cast<float>(platform::Sin(1.3 * state.phase) * 0.5 + 1.5));
}

// Title texts first to last, continuing the generator's sequence; each draws its colour, then
// its centre, in that order, so the same seed puts every text at the same place.
void DrawTitles(const PauseState& state, int first, int last) {
    const std::string title = framework::WindowTitle();
    const int w = framework::VirtualWidth, h = framework::VirtualHeight;
    for (int i = first; i <= last; ++i) {
        framework::RotateTo(state.angle + 2.0f * static_cast<float>(i));
        const int red = platform::Rand(1, 5) * 50;
        const int green = platform::Rand(1, 5) * 50;
        const int blue = platform::Rand(1, 5) * 50;
        framework::SetColorAlpha(static_cast<float>(red), static_cast<float>(green), static_cast<float>(blue),
                                 0.4f);
        const int x = platform::Rand(0, w);
        const int y = platform::Rand(0, h);
        framework::DrawTextAligned(x, y, title, 1, 1);
    }
}

// Up and down move once per press; the latch opens again only when every menu input is up.
void ReadMenuInput(PauseState& state) {
    const bool up = UpHeld(), down = DownHeld(), choose = ChooseHeld();
    if (up && state.latch == 0) {
        --state.selection;
        state.latch = 1;
    }
    if (down && state.latch == 0) {
        ++state.selection;
        state.latch = 1;
    }
    if (!up && !down && !choose) state.latch = 0;
    if (state.selection < kContinue) state.selection = kQuit;
    if (state.selection > kQuit) state.selection = kContinue;
}

// One menu item; the selected one is yellow, shifted right, and takes the choose input.
void DrawItem(PauseState& state, int item, const std::string& label, int row_y, int result) {
    const bool selected = state.selection == item;
    // Full alpha: the items must read clearly over the half-dark box.
    if (selected) {
        framework::SetColorAlpha(255, 255, 0, 1.0f);
    } else {
        framework::SetColorAlpha(255, 255, 255, 1.0f);
    }
    if (selected && state.latch == 0 && ChooseHeld()) {
        state.latch = 1;
        state.result = result;
    }
    const int shift = selected ? 20 : 0;
    const int x = static_cast<int>(0.1f * static_cast<float>(framework::VirtualWidth)) + shift + 10;
    framework::DrawTextAligned(x, row_y, label, 0, 0);
}

void DrawMenuBox() {
    const float w = static_cast<float>(framework::VirtualWidth),
                h = static_cast<float>(framework::VirtualHeight);
    framework::RotateTo(0);
    framework::ScaleTo(1);
    framework::SetColorAlpha(0, 0, 0, 0.5f);
    platform::DrawRect(0.1f * w, 0.375f * h, w / 6, h / 4);
}

// Draws one frame of the menu and takes its input; the caller presents it.
void RunFrame(PauseState& state) {
    framework::BeginFrame(1);
    framework::ResetDrawState();
    framework::UseBlend(1);
    state.phase += 0.4f;
    ApplyWobble(state);
    state.angle += 0.1f;
    framework::RotateTo(state.angle);
    framework::UseFontSlot(kMenuFont);
    platform::DrawImage(state.snapshot, static_cast<float>(framework::VirtualWidth) / 2,
                        static_cast<float>(framework::VirtualHeight) / 2);
    platform::SeedRnd(PauseTitleSeed);
    DrawTitles(state, 1, PauseTitlesUnder);
    DrawMenuBox();
    ReadMenuInput(state);
    framework::UseFontSlot(kMenuFont);
    const int row_y = static_cast<int>(0.375f * static_cast<float>(framework::VirtualHeight)) + 60;
    DrawItem(state, kContinue, "Continue", row_y, kResultContinue);
    DrawItem(state, kQuit, "Quit", row_y + 60, kResultQuit);
    ApplyWobble(state);
    DrawTitles(state, PauseTitlesUnder + 1, PauseTitlesTotal);
}

}  // namespace

int PauseMenu() {
    WaitForEscapeRelease();
    PauseState state;
    state.snapshot = GrabSnapshot();
    while (state.result == 0) {
        RunFrame(state);
        framework::FramePump(1);
        // Escape leaves at once with the highlighted item.
        if (platform::KeyDown(kKeyEscape))
            state.result = state.selection == kQuit ? kResultQuit : kResultContinue;
    }
    // The fixed seed of the titles must not make the game's randomness repeat after every pause.
    platform::SeedRnd(platform::MilliSecs());
    WaitForEscapeRelease();
    return state.result;
}

void InstallPauseMenu() {
    framework::Screens.pause_menu = PauseMenu;
}

}  // namespace menus
