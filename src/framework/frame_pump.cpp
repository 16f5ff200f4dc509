// The frame pump. Every screen ends each frame here; time and input enter the screens' logic
// through this one door, so a run is paced and ordered the same way on every screen.
#include "framework/frame_pump.h"

#include <string>

#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/hooks.h"
#include "framework/program.h"
#include "framework/settings.h"
#include "menus/settings_state.h"
#include "platform/clock.h"
#include "platform/draw.h"
#include "platform/input.h"
#include "platform/system.h"

namespace framework {

int FrameParity = 0;
int LastFrameTime = 0;
int MeasuredFps = 0;
int OverlayOn = 1;
int ReclaimResult = 0;
int PointerX = 0, PointerY = 0;
int PrevPointerX = 0, PrevPointerY = 0;

namespace {

constexpr int kKeyTab = 9, kKeyEscape = 27, kKeyF4 = 115, kKeyF11 = 122, kKeyF12 = 123;
constexpr int kKeyLeftAlt = 164, kKeyRightAlt = 165;

bool SlowSystemMode() {
    return Settings[7] == 1;
}

void ToggleSettingsPanel() {
    if (!platform::KeyHit(kKeyTab)) return;
    menus::settings_open = 1 - menus::settings_open;
    WriteSetupFile();
}

// Runs the pause menu; the game's clock does not count the time spent in it.
int RunPauseMenu() {
    if (!Screens.pause_menu) return 0;
    InGame = 2;
    const int started = platform::MilliSecs();
    const int result = Screens.pause_menu();
    InGame = 1;
    GameStartTime += platform::MilliSecs() - started;
    return result;
}

// F11 and the pause key react on drawn frames only, so slow-system mode never grabs a frame
// that will not be shown.
int DrawnFrameHotkeys() {
    if (FrameParity != 0 && SlowSystemMode()) return 0;
    if (platform::KeyHit(kKeyF11) && Screens.take_screenshot) Screens.take_screenshot();
    if (platform::KeyDown(kKeyEscape) && InGame == 1) return RunPauseMenu();
    return 0;
}

void DrawOverlayLine(int y, const std::string& text) {
    DrawTextAligned(2, y, text, 0, 0);
}

void DrawOverlay() {
    platform::SetColor(255, 255, 255);
    DrawOverlayLine(2, std::to_string(MeasuredFps));
    UseFontSlot(2);
    DrawOverlayLine(40, "Collection : " + std::to_string(ReclaimResult));
    DrawOverlayLine(60, "Used Memory : " + std::to_string(platform::MemoryInUse()));
    DrawOverlayLine(
        80, "Drawn Images : " + std::to_string(SpriteCounts[1]) + "/" + std::to_string(SpriteLimits[1]));
    DrawOverlayLine(
        100, "Drawn Glow : " + std::to_string(SpriteCounts[2]) + "/" + std::to_string(SpriteLimits[2]));
    DrawOverlayLine(
        120, "Drawn Particles : " + std::to_string(SpriteCounts[3]) + "/" + std::to_string(SpriteLimits[3]));
    DrawOverlayLine(150, "Hit F12 to remove this");
    ScaleTo(1.5f);
}

void TrackPointer() {
    PrevPointerX = PointerX;
    PrevPointerY = PointerY;
    PointerX = platform::MouseX();
    PointerY = platform::MouseY();
    menus::LeftClicks = platform::MouseHit(1);
    menus::RightClicks = platform::MouseHit(2);
}

// Sleeps in 1 ms steps until 14.67 ms have passed since the end of the previous call. The
// frame drawn so far is handed to the renderer first, so it renders during the sleep.
void PaceFrame() {
    platform::SubmitDrawing();
    do {
        platform::Delay(1);
    } while (platform::MilliSecs() < LastFrameTime - 2 + 1000.0 / 60.0);
}

void UpdateStatistics() {
    const int elapsed = platform::MilliSecs() - LastFrameTime;
    MeasuredFps = (1000 / (elapsed > 0 ? elapsed : 1) + 2 * MeasuredFps) / 3;
    LastFrameTime = platform::MilliSecs();
}

bool ExitKeysPressed() {
    const bool alt_f4 =
        platform::KeyDown(kKeyF4) && (platform::KeyDown(kKeyLeftAlt) || platform::KeyDown(kKeyRightAlt));
    return alt_f4 || platform::CloseRequested();
}

}  // namespace

bool IsDrawnFrame() {
    return !SlowSystemMode() || FrameParity == 0;
}

int FramePump(int show_pointer) {
    if (Game.draw_score_popups) Game.draw_score_popups();
    ToggleSettingsPanel();
    if (FrameParity == 1) ReclaimResult = platform::Reclaim();
    const int result = DrawnFrameHotkeys();
    if (Screens.settings_menu) Screens.settings_menu();
    ResetDrawState();
    ScaleTo(1.5f);
    UseFontSlot(1);
    if (platform::KeyHit(kKeyF12)) OverlayOn = 1 - OverlayOn;
    if (OverlayOn == 1) DrawOverlay();
    if (show_pointer == 1 || menus::settings_open == 1) {
        platform::DrawImage(IconsFiltered, static_cast<float>(platform::MouseX() + 12),
                            static_cast<float>(platform::MouseY() + 12), 63);
    }
    TrackPointer();
    PaceFrame();
    if (Screens.music_tick) Screens.music_tick();
    if (Screens.draw_messages) Screens.draw_messages();
    if (IsDrawnFrame()) platform::Flip(0);
    UpdateStatistics();
    FrameParity = 1 - FrameParity;
    if (ExitKeysPressed()) ExitScreen();
    return result;
}

void ResetFramePump() {
    FrameParity = 0;
    LastFrameTime = 0;
    MeasuredFps = 0;
    OverlayOn = 1;
    ReclaimResult = 0;
    PointerX = PointerY = PrevPointerX = PrevPointerY = 0;
}

}  // namespace framework
