// The common assets in "Common/" (fonts, icons, logos, badge sound), the loading splash, and the
// game folder's badge strip and numbered sound effects.
#include <string>

#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/game_info.h"
#include "framework/hooks.h"
#include "framework/log.h"
#include "framework/program.h"
#include "framework/settings.h"
#include "platform/files.h"

namespace framework {
namespace {

const char* const kFontFiles[4] = {"", "SVBasicManual.ttf", "Blue Highway.ttf", "Acknowledge TT Vell.ttf"};

struct FontSlotSpec {
    int family;   // 1 SVBasicManual, 2 Blue Highway, 3 Acknowledge TT Vell
    int size;     // pixel height before scaling
    char factor;  // 'A', 'B' or 0 (not scaled)
};

// Slots 1 to 13, in load order.
const FontSlotSpec kFontSlots[14] = {
    {0, 0, 0},    {1, 24, 'A'}, {1, 16, 'B'}, {1, 16, 'B'}, {1, 20, 'A'}, {2, 96, 'A'}, {2, 72, 'A'},
    {2, 32, 'A'}, {1, 32, 'A'}, {1, 14, 'A'}, {3, 112, 0},  {3, 96, 0},   {3, 32, 0},   {3, 20, 0},
};

const int kSizedFontSteps[9] = {8, 12, 18, 24, 32, 40, 52, 64, 96};

// Smaller displays get larger fonts, since the virtual screen is scaled down onto them.
void FontScaleFactors(float& a, float& b) {
    if (DisplayWidth >= 900) {
        a = b = 1.0f;
    } else if (DisplayWidth >= 600) {
        a = 1.2f;
        b = 1.4f;
    } else {
        a = 1.5f;
        b = 2.0f;
    }
}

void LoadFonts() {
    float a = 1, b = 1;
    FontScaleFactors(a, b);
    for (int slot = 1; slot <= 13; ++slot) {
        const FontSlotSpec& slot_font = kFontSlots[slot];
        const float factor = slot_font.factor == 'A' ? a : slot_font.factor == 'B' ? b : 1.0f;
        FontSlots[slot] =
            platform::LoadImageFont(kFontFiles[slot_font.family], static_cast<int>(slot_font.size * factor), 4);
    }
    for (int family = 1; family <= 3; ++family) {
        for (int step = 0; step < 9; ++step) {
            SizedFonts[(family - 1) * 10 + step] =
                platform::LoadImageFont(kFontFiles[family], static_cast<int>(kSizedFontSteps[step] * a), 4);
        }
    }
}

void ShowLoadingSplash() {
    BeginFrame(1);
    DrawStripedBackground();
    ScaleTo(1.5f);
    const float vh = static_cast<float>(VirtualHeight);
    platform::DrawImage(LogoImage, 0.4f * vh, 0.3f * vh, 0);
    platform::DrawImage(SiteLogoImage, static_cast<float>(VirtualWidth) - 0.4f * vh, 0.7f * vh, 0);
    ScaleTo(1.0f);
    Channels[256] = platform::CueSound(BadgeSound);
    if (Channels[256]) {
        platform::SetVolume(Channels[256], (Settings[12] * Settings[11]) / 100.0f / 100.0f);
        platform::SetPaused(Channels[256], false);
    }
    platform::Flip(-1);
    AssetsLoaded = 1;
}

std::string SoundEffectFile(int n) {
    const std::string padded = "000" + std::to_string(n);
    return padded.substr(padded.size() - 3) + ".wav";
}

void LoadSoundEffects() {
    LogLine("");
    LogLine("Loading Sound effects");
    for (int n = 1; n <= 200; ++n) {
        const std::string file = SoundEffectFile(n);
        if (platform::FileType(file) == 0) continue;
        LogLine("\tSFX(" + std::to_string(n) + ")");
        SoundEffects[n] = platform::LoadSound(file, 0);
    }
    LogLine("Sounds loaded");
    LogLine("");
}

}  // namespace

void LoadCommonAssets() {
    platform::AutoMidHandle(true);
    LogLine("");
    LogLine("Loading : Common Objects");
    LogLine("");
    LogLine("Switching to Default Folder");
    LogLine("");
    platform::ChangeDir("../");
    platform::ChangeDir("Common/");
    LogLine("\tDefault Fonts");
    LoadFonts();
    LogLine("\tDefault Icons");
    IconsFiltered = platform::LoadAnimImage("icons.png", 16, 16, 0, 64, 3);
    IconsSharp = platform::LoadAnimImage("icons.png", 16, 16, 0, 64, 1);
    LogLine("\tLogos");
    LogoImage = platform::LoadImage("logo.png", 3);
    SiteLogoImage = platform::LoadImage("Tamblin.png", 3);
    LogLine("\tBadgeGet");
    BadgeSound = platform::LoadSound("badgeget.wav", 0);
    const bool first_run = AssetsLoaded == 0;
    if (first_run) ShowLoadingSplash();
    LogLine("");
    LogLine("Switching to Game Folder");
    platform::ChangeDir("../");
    platform::ChangeDir(GameFolder());
    BadgeImages = platform::LoadAnimImage("badges.png", 64, 64, 0, 16, 3);
    LoadSoundEffects();
    // A later display setup keeps the list in memory: it holds games not yet written to the file.
    if (first_run && Screens.load_scores) Screens.load_scores();
}

}  // namespace framework
