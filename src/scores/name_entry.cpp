// The name-entry screen: the player's name centred with a blinking cursor over the title screen's
// striped background, edited with typed characters and Backspace.
#include "scores/name_entry.h"

#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/frame_pump.h"
#include "platform/clock.h"
#include "platform/draw.h"
#include "platform/input.h"
#include "platform/random.h"
#include "scores/score_file.h"

namespace scores {

namespace {

constexpr int kKeyBackspace = 8;
constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;

bool ConfirmHeld() {
    return platform::KeyDown(kKeyEscape) || platform::MouseDown(1) || platform::KeyDown(kKeyEnter);
}

// A frame of the bare background, so the window stays alive while the screen waits for keys.
void BackgroundFrame() {
    framework::BeginFrame(1);
    framework::DrawStripedBackground();
    framework::FramePump(1);
}

// Adds the oldest typed character and applies Backspace. "|" is refused: it separates the
// fields of the score file, which has no way to escape it.
void EditName() {
    const int code = platform::GetChar();
    if (code > 31 && code != '|') PlayerName.push_back(static_cast<char>(code));
    if (platform::KeyHit(kKeyBackspace) > 0 && !PlayerName.empty()) PlayerName.pop_back();
}

void DrawNameScreen() {
    const int w = framework::VirtualWidth, h = framework::VirtualHeight;
    framework::UseFontSlot(6);
    framework::SetColorAlpha(0, 255, 0, 1.0f);
    framework::DrawTextAligned(w / 2, h / 2 - 100, "Enter Your Name", 1, 1);
    framework::UseFontSlot(5);
    // The cursor hangs after the name so the name itself stays centred.
    const std::string cursor = platform::MilliSecs() % 600 < 300 ? "_" : " ";
    framework::DrawTextAligned(w / 2 - platform::TextWidth(PlayerName) / 2, h / 2, PlayerName + cursor, 0, 1);
    framework::ResetDrawState();
}

}  // namespace

void EnterName() {
    platform::FlushKeys();
    // The key or click that ended the game must not confirm the name at once.
    while (ConfirmHeld()) BackgroundFrame();
    bool confirmed = false;
    while (!confirmed) {
        framework::BeginFrame(1);
        framework::DrawStripedBackground();
        EditName();
        DrawNameScreen();
        confirmed =
            platform::KeyHit(kKeyEnter) > 0 || platform::MouseDown(1) || platform::KeyDown(kKeyEscape);
        framework::FramePump(1);
    }
    platform::SeedRnd(platform::MilliSecs());
    // Nothing that follows may take the confirming key as its own input.
    while (ConfirmHeld()) BackgroundFrame();
}

}  // namespace scores
