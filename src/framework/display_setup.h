// Opening the display from the settings (mode list, renderer with the crash guard, colour depth,
// virtual resolution by the display's shape) and loading everything that depends on it: the
// common fonts, icons, logos and badge sound, the badge strip and the numbered sound effects.
#pragma once

#include "platform/audio.h"
#include "platform/draw.h"

namespace framework {

inline constexpr int MaxModes = 2500;

extern int DisplayWidth, DisplayHeight;
extern int VirtualWidth, VirtualHeight;
// Usable display modes at indices 1 to ModeCount.
extern int ModeWidths[MaxModes], ModeHeights[MaxModes];
extern int ModeCount;
// 1 once the first asset load has finished.
extern int AssetsLoaded;
// The framework's numbered fonts, slots 1 to 13.
extern platform::Font FontSlots[20];
// Family f (1..3) in size step s (0..8) at (f - 1) * 10 + s.
extern platform::Font SizedFonts[100];
extern platform::Image IconsFiltered, IconsSharp, LogoImage, SiteLogoImage, BadgeImages;
extern platform::Sound BadgeSound;
// The game's numbered sound effects, 1 to 200.
extern platform::Sound SoundEffects[201];

// Opens (or reopens) the display from Settings and loads every display-dependent asset.
// Expects the game folder as the current folder and leaves it there.
void ApplyDisplaySettings();
// Loads the common assets from "Common/"; the first time also shows the loading splash.
void LoadCommonAssets();
// The virtual resolution for a display size: 1280 x 960, or 1600 x 900 for 16:9, 1440 x 900 for
// 16:10. Returns the widescreen flag.
int ChooseVirtualResolution(int width, int height, int& virtual_width, int& virtual_height);
// Whether a mode has one of the usable shapes (16:10, 16:9 or 4:3, with truncating division).
bool ModeShapeUsable(int width, int height);
// Selects a font for text drawing; an empty slot selects the platform's default font.
void UseFontSlot(int slot);

// Puts every table of this file back to its start-up state (no display open).
void ResetDisplaySetup();

}  // namespace framework
