// Display setup and the common assets.
#include "framework/display_setup.h"

#include <string>

#include "framework/draw_helpers.h"
#include "framework/game_info.h"
#include "framework/hooks.h"
#include "framework/log.h"
#include "framework/program.h"
#include "framework/settings.h"
#include "platform/files.h"

namespace framework {

int DisplayWidth = 800, DisplayHeight = 600;
int VirtualWidth = 1280, VirtualHeight = 960;
int ModeWidths[MaxModes], ModeHeights[MaxModes];
int ModeCount = 0;
int AssetsLoaded = 0;
platform::Font FontSlots[20];
platform::Font SizedFonts[100];
platform::Image IconsFiltered, IconsSharp, LogoImage, SiteLogoImage, BadgeImages;
platform::Sound BadgeSound;
platform::Sound SoundEffects[201];

namespace {

constexpr const char* kRule = "-=-=-=-=-=-=-=-=-=-=-=-=-=-";
constexpr const char* kCrashMarker = "crash.dat";

// Builds the list of usable modes of the selected renderer; picks up the requested size.
void BuildModeList() {
    ModeCount = 0;
    const int count = platform::CountGraphicsModes();
    for (int k = 0; k < count; ++k) {
        int w = 0, h = 0, depth = 0, hertz = 0;
        if (!platform::GetGraphicsMode(k, w, h, depth, hertz) || !ModeShapeUsable(w, h)) continue;
        bool known = false;
        for (int i = 1; i <= ModeCount && !known; ++i) known = ModeWidths[i] == w && ModeHeights[i] == h;
        // The table ends at index 2499; further modes are left out.
        if (known || ModeCount >= MaxModes - 1) continue;
        ++ModeCount;
        ModeWidths[ModeCount] = w;
        ModeHeights[ModeCount] = h;
        if (w == Settings[5] && h == Settings[6]) {
            Settings[4] = ModeCount;
            DisplayWidth = w;
            DisplayHeight = h;
        }
    }
    Settings[5] = DisplayWidth;
    Settings[6] = DisplayHeight;
}

const char* RendererLogLine(int renderer) {
    switch (renderer) {
        case 1:
            return "\tUsing DirectX 9 Driver";
        case 2:
            return "\tUsing DirectX 7 Driver";
        default:
            return "\tUsing OpenGL Driver";
    }
}

// Selects the renderer of Settings[3]; one that this machine cannot offer gives way to the next
// one that it can, so a missing OpenGL never leaves the program without a display.
void SelectRenderer() {
    if (platform::FileType(kCrashMarker) != 0 && Settings[3] == 0) Settings[3] = 1;
    const int wanted = Settings[3] >= 0 && Settings[3] <= 2 ? Settings[3] : 0;
    int renderer = wanted;
    for (int tries = 0; tries < 3 && !platform::SetGraphicsDriver(renderer, 2); ++tries) {
        renderer = (renderer + 1) % 3;
    }
    LogLine(RendererLogLine(wanted));
    // No display is open at this point, so the fallback is named by its setting.
    if (renderer != wanted)
        LogLine("\tRenderer not available here, using renderer " + std::to_string(renderer));
}

int ChooseDepth() {
    if (Settings[1] != 1) return 0;
    for (int depth : {32, 24, 16}) {
        if (platform::GraphicsModeExists(DisplayWidth, DisplayHeight, depth, 0)) return depth;
    }
    if (Screens.show_message) Screens.show_message("Can't set to fullscreen in this resolution.", 1);
    return 0;
}

// Opens the display; when the chosen renderer fails, the others are tried in turn so that the
// player still gets a picture (the crash guard only covers a renderer that kills the process).
void OpenDisplay(int depth) {
    if (platform::Graphics(DisplayWidth, DisplayHeight, depth, 60, 0)) return;
    LogLine("\tCould not open the display with this renderer");
    for (int renderer = 0; renderer <= 2; ++renderer) {
        if (renderer == platform::GraphicsDriver() || !platform::SetGraphicsDriver(renderer, 2)) continue;
        if (platform::Graphics(DisplayWidth, DisplayHeight, depth, 60, 0)) {
            LogLine("\tOpened the display with renderer " + std::to_string(renderer));
            return;
        }
    }
    LogLine("\tNo renderer could open the display");
}

void ApplyVirtualResolution() {
    Settings[2] = ChooseVirtualResolution(DisplayWidth, DisplayHeight, VirtualWidth, VirtualHeight);
    if ((DisplayWidth * 9) / 16 == DisplayHeight) LogLine("\tWidescreen mode!");
    if ((DisplayWidth * 10) / 16 == DisplayHeight) LogLine("\tWidescreen mode B (10:16)!");
    platform::SetVirtualResolution(static_cast<float>(VirtualWidth), static_cast<float>(VirtualHeight));
}

void CreateCrashMarker() {
    if (platform::Stream marker = platform::WriteFile(kCrashMarker)) platform::CloseStream(marker);
}

}  // namespace

bool ModeShapeUsable(int width, int height) {
    return (width * 10) / 16 == height || (width * 9) / 16 == height || (width * 3) / 4 == height;
}

int ChooseVirtualResolution(int width, int height, int& virtual_width, int& virtual_height) {
    int widescreen = 0;
    virtual_width = 1280;
    virtual_height = 960;
    if ((width * 9) / 16 == height) {
        widescreen = 1;
        virtual_width = 1600;
        virtual_height = 900;
    }
    if ((width * 10) / 16 == height) {
        widescreen = 1;
        virtual_width = 1440;
        virtual_height = 900;
    }
    return widescreen;
}

void ApplyDisplaySettings() {
    BuildModeList();
    LogLine("");
    LogLine(kRule);
    LogLine("Applying Graphical Settings");
    if (AssetsLoaded == 1) {
        platform::EndGraphics();
        LogLine("\tChanged Graphics Mode ingame.");
    }
    SelectRenderer();
    const int depth = ChooseDepth();
    LogLine("\tResolution : " + std::to_string(DisplayWidth) + "x" + std::to_string(DisplayHeight) + "," +
            std::to_string(depth));
    CreateCrashMarker();
    OpenDisplay(depth);
    // Names the back-end that really draws (the GL renderer string, or the SDL_Renderer driver),
    // so a log shows which one a renderer setting ended up with.
    LogLine("\tRenderer in use : " + platform::GraphicsRendererName());
    ApplyVirtualResolution();
    LoadCommonAssets();
    if (Game.load_game_assets) Game.load_game_assets();
    LogLine(kRule);
    platform::DeleteFile(kCrashMarker);
}

void UseFontSlot(int slot) {
    platform::SetImageFont(slot >= 0 && slot < 20 ? FontSlots[slot] : nullptr);
}

void ResetDisplaySetup() {
    DisplayWidth = 800;
    DisplayHeight = 600;
    VirtualWidth = 1280;
    VirtualHeight = 960;
    for (int i = 0; i < MaxModes; ++i) ModeWidths[i] = ModeHeights[i] = 0;
    ModeCount = 0;
    AssetsLoaded = 0;
    for (auto& font : FontSlots) font.reset();
    for (auto& font : SizedFonts) font.reset();
    IconsFiltered.reset();
    IconsSharp.reset();
    LogoImage.reset();
    SiteLogoImage.reset();
    BadgeImages.reset();
    BadgeSound.reset();
    for (auto& sound : SoundEffects) sound.reset();
}

}  // namespace framework
