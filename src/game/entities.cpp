// The game's world state and the floating score numbers.
#include "game/entities.h"

#include <string>

#include "framework/display_setup.h"
#include "framework/draw_helpers.h"

namespace game {

std::list<ar> StarList;
std::list<die> EnemyList;
std::list<lets> BulletList;
std::list<od> PickupList;
std::list<icle> ParticleList;
std::list<ore> PopupList;

float PlayerX = 0, PlayerY = 0;
float CameraX = 0, CameraY = 0;
int GameScore = 0;
int PowerLevel = 0;
int GameBadges = 0;
int GameBest[31] = {};
int ShotCounter = 0;
int EffectChannelIndex = 20;
platform::Channel MusicChannel = 0;

platform::Image ImgCraft, ImgStar, ImgSpinner, ImgSpinnerGlow, ImgBullet, ImgWhite, ImgPickup;
platform::Sound GameMusic;

void ClearWorld() {
    StarList.clear();
    EnemyList.clear();
    BulletList.clear();
    PickupList.clear();
    ParticleList.clear();
    GameScore = 0;
    PowerLevel = 0;
    GameBadges = 0;
    for (int& best : GameBest) best = 0;
}

void CreateGameState() {
    ClearWorld();
    PopupList.clear();
    PlayerX = PlayerY = 0;
    CameraX = CameraY = 0;
    ShotCounter = 0;
    EffectChannelIndex = 20;
    MusicChannel = 0;
    // The image and music handles are left alone: start-up creates this state after the display
    // setup has already loaded them, and every display setup reloads them itself.
}

void AddScorePopup(int points, int x, int y, int r, int g, int b) {
    GameScore += points;
    ore popup;
    popup.n = points;
    popup.x = static_cast<float>(x);
    popup.y = static_cast<float>(y);
    popup.t = 120;
    popup.r = r;
    popup.g = g;
    popup.b = b;
    PopupList.push_back(popup);
}

void DrawScorePopups() {
    framework::UseFontSlot(3);
    framework::ResetDrawState();
    for (auto it = PopupList.begin(); it != PopupList.end();) {
        ore& popup = *it;
        popup.t -= 1;
        popup.y -= 0.25f;
        framework::SetColorAlpha(static_cast<float>(popup.r), static_cast<float>(popup.g),
                                 static_cast<float>(popup.b), static_cast<float>(popup.t) / 120.0f);
        framework::DrawTextAligned(static_cast<int>(popup.x - CameraX), static_cast<int>(popup.y - CameraY),
                                   std::to_string(popup.n), 1, 1);
        // A popup ends on its last drawn frame; t below 0 can only come from a record made
        // outside AddScorePopup, and is removed too rather than living forever.
        if (popup.t <= 0) {
            it = PopupList.erase(it);
        } else {
            ++it;
        }
    }
}

void UseFont(int family, int size) {
    if (family < 1 || family > 3) family = 1;
    if (size < 0 || size > 8) size = 0;
    platform::SetImageFont(framework::SizedFonts[(family - 1) * 10 + size]);
}

}  // namespace game
