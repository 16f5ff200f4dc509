// The game's images and music sample, reloaded whenever the display is re-created.
#include "game/assets.h"

#include "framework/engine_test.h"
#include "game/entities.h"
#include "music/playback.h"
#include "platform/audio.h"
#include "platform/draw.h"

namespace game {

namespace {

// Masked and filtered: pure black pixels turn transparent and the sprites scale smoothly.
constexpr int GameImageFlags = platform::MaskedImage | platform::FilteredImage;

}  // namespace

void LoadGameAssets() {
    // The sprite budgets must be known before the first game frame is drawn.
    framework::EngineTest(60, 2);
    music::LoadMusicSamples();
    ImgCraft = platform::LoadAnimImage("vantor.png", 32, 32, 0, 16, GameImageFlags);
    ImgStar = platform::LoadImage("star.png", GameImageFlags);
    ImgSpinner = platform::LoadImage("spinner.png", GameImageFlags);
    ImgSpinnerGlow = platform::LoadImage("spinner2.png", GameImageFlags);
    ImgBullet = platform::LoadImage("bullet.png", GameImageFlags);
    ImgWhite = platform::LoadImage("white.png", GameImageFlags);
    ImgPickup = platform::LoadImage("bob.png", GameImageFlags);
    GameMusic = platform::LoadSound("ShinyTech2.ogg", 0);
}

}  // namespace game
