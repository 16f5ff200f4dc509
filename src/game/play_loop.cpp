// The play loop: the start of a game, its frame in a fixed order of steps, the end test, the
// "Game Over" frame and the end of a game.
#include "game/play_loop.h"

#include <cmath>
#include <cstdint>
#include <span>
#include <string>

#include "controls/controls.h"
#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/frame_pump.h"
#include "framework/program.h"
#include "game/enemies.h"
#include "game/entities.h"
#include "game/sound_effects.h"
#include "game/weapons.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/draw.h"
#include "platform/random.h"
#include "scores/name_entry.h"
#include "scores/score_file.h"

namespace game {

float Health = 0;
float VelocityX = 0, VelocityY = 0;
float ArenaX = 0, ArenaSpeed = 0;
int FireCooldown = 0;
int PickupCount = 0, PickupTarget = 25;
int WaveSetNumber = 0;
int CraftFrame = 0;
int EndReason = 0;

namespace {

constexpr int kStarCount = 499;
constexpr float kStarBand = 2600;
// Half the width of the safe zone; the forbidden regions are drawn this wide beyond each edge.
constexpr float kZoneHalf = 2000;

int W() {
    return framework::VirtualWidth;
}
int H() {
    return framework::VirtualHeight;
}
float Hf() {
    return static_cast<float>(framework::VirtualHeight);
}

bool Held(int control) {
    return controls::ControlDown(control, 1);
}

void CreateStars() {
    for (int i = 1; i <= kStarCount; ++i) {
        ar star;
        star.x = static_cast<float>(platform::Rnd(0, kStarBand));
        star.y = static_cast<float>(platform::Rnd(0, Hf()));
        star.l = i / 120.0f + 2;
        star.r = platform::Rand(22, 25) * 10;
        star.g = platform::Rand(22, 25) * 10;
        star.b = platform::Rand(22, 25) * 10;
        StarList.push_front(star);
    }
}

// ---- Steps of a frame --------------------------------------------------------------------------

// The music restarts from the beginning one frame after it ends. Without a music file there is
// nothing to restart: asking every frame would only open a channel and log a line per frame.
void KeepMusicPlaying() {
    if (!GameMusic) return;
    if (!MusicChannel || !platform::ChannelPlaying(MusicChannel)) StartMusic(GameMusic);
}

// Deeper stars move more slowly, are smaller and dimmer; the band repeats every 2600 pixels.
void DrawStars() {
    framework::ResetDrawState();
    for (const ar& star : StarList) {
        framework::ScaleTo(1 / (star.l / 2 + 1));
        int screen_x = static_cast<int>(std::fmod(star.x - CameraX / star.l, kStarBand));
        if (screen_x < 0) screen_x += static_cast<int>(kStarBand);
        const float dim = star.l - 1;
        framework::SetColorAlpha(star.r / dim, star.g / dim, star.b / dim);
        framework::DrawSprite(ImgStar, screen_x, static_cast<int>(star.y), 0, framework::GlowSprites);
    }
}

// The camera eases toward a point 24 frames of motion ahead of the craft.
void MoveCamera() {
    CameraX -= (CameraX - (VelocityX * 24 + PlayerX - static_cast<float>(W() / 2))) / 16;
}

void DrawCraft() {
    framework::ResetDrawState();
    framework::ScaleTo(1);
    CraftFrame = (CraftFrame + 1) % 32;
    if (Health > 0) platform::DrawImage(ImgCraft, PlayerX - CameraX, PlayerY, CraftFrame / 2);
}

// The cooldown falls by 2 a frame while a fire control is held; releasing them all makes the
// next press fire at once. Bullets inherit the craft's horizontal speed.
void Fire() {
    const bool left = Held(controls::FaceGreen);
    const bool right = Held(controls::FaceRed) || Held(controls::FaceBlue);
    if (left && FireCooldown == 0) FireCooldown = FireShot(static_cast<int>(-14 + VelocityX));
    if (FireCooldown > 0) FireCooldown -= 1;
    if (right && FireCooldown == 0) FireCooldown = FireShot(static_cast<int>(14 + VelocityX));
    if (FireCooldown > 0) FireCooldown -= 1;
    if (!left && !right) FireCooldown = 0;
}

void Steer() {
    VelocityX = SteerVelocity(VelocityX, Held(controls::Left), Held(controls::Right));
    PlayerX += VelocityX;  // no horizontal limit
    VelocityY = SteerVelocity(VelocityY, Held(controls::Up), Held(controls::Down));
    PlayerY += VelocityY;
    // The craft bounces off the top and bottom limits.
    if (PlayerY < 80) {
        PlayerY = 80;
        VelocityY = std::fabs(VelocityY);
    }
    if (PlayerY > Hf() - 40) {
        PlayerY = Hf() - 40;
        VelocityY = -std::fabs(VelocityY);
    }
}

void DrawPickup(const od& pickup) {
    const int m = pickup.t % 60;
    int shade = 80;
    float size = 1;
    if (m < 20) shade = 150;
    if (m > 40) {
        shade = 255;
        size = (40 - m) / 30.0f + 1.5f;
    }
    framework::ScaleTo(size);
    framework::SetColorAlpha(static_cast<float>(shade), static_cast<float>(shade), static_cast<float>(shade),
                             1.0f);
    framework::DrawSprite(ImgPickup, static_cast<int>(pickup.x - CameraX - size * 8),
                          static_cast<int>(pickup.y - size * 8), 0, framework::GlowSprites);
}

bool Collectable(const od& pickup) {
    return std::fabs((pickup.x - 8) - (PlayerX - 32)) < 64 && std::fabs((pickup.y - 8) - (PlayerY - 32)) < 64;
}

// Each pickup scores 25; every PickupTarget of them raises the weapon's power and the target.
void Collect(const od& pickup) {
    SpawnBurst(pickup.x, pickup.y, 40, 255, 40, 4);
    AddScorePopup(25, pickup.x, pickup.y, 0, 255, 0);
    PickupCount += 1;
    PlayEffect(8, 1, 1, 0);
    if (PickupCount >= PickupTarget) {
        PlayEffect(9, 1, 1, 0);
        PickupCount = 0;
        PickupTarget += 25;
        PowerLevel += 1;
    }
}

void StepPickups() {
    framework::ResetDrawState();
    for (auto it = PickupList.begin(); it != PickupList.end();) {
        od& pickup = *it;
        DrawPickup(pickup);
        const bool collected = Collectable(pickup);
        if (collected) Collect(pickup);
        pickup.t += 1;
        if (collected || pickup.t > 240) {
            it = PickupList.erase(it);
        } else {
            ++it;
        }
    }
}

// The zone bounces between -4000 and 4000 and now and then takes a new random speed; it stands
// still at the start until the first one-in-501 draw.
void MoveSafeZone() {
    ArenaX += ArenaSpeed;
    if (ArenaX < -4000) ArenaSpeed = static_cast<float>(platform::Rnd(0.5, 7));
    if (ArenaX > 4000) ArenaSpeed = static_cast<float>(-platform::Rnd(0.5, 7));
    if (platform::Rand(0, 500) == 1) ArenaSpeed = static_cast<float>(platform::Rnd(-7, 7));
}

void OutsideZoneDamage() {
    const bool outside[2] = {PlayerX<ArenaX - kZoneHalf, PlayerX> ArenaX + kZoneHalf};
    for (bool side : outside) {
        if (!side) continue;
        Health -= 0.3f;
        const int green = platform::Rand(80, 255);
        SpawnBurst(static_cast<int>(PlayerX), static_cast<int>(PlayerY), 255, green, 80, 1);
        const float rate = static_cast<float>(platform::Rnd(0.5, 1.5));
        const float pan = static_cast<float>(platform::Rnd(-0.5, 0.5));
        PlayEffect(6, rate, 1, pan);
    }
}

void DrawWallPair(float left_x, float right_x, float width) {
    platform::DrawRect(left_x, 0, width, Hf());
    platform::DrawRect(right_x, 0, width, Hf());
}

// The forbidden regions in faint red, the walls, and an echo trail that shows the zone's motion.
void DrawSafeZone() {
    framework::ResetDrawState();
    framework::SetColorAlpha(255, 0, 0, 0.2f);
    DrawWallPair(ArenaX - 2 * kZoneHalf - CameraX, ArenaX + kZoneHalf - CameraX, kZoneHalf);
    framework::SetColorAlpha(255, 0, 0, 1);
    const float left_wall = ArenaX - kZoneHalf - 1 - CameraX, right_wall = ArenaX + kZoneHalf - 1 - CameraX;
    DrawWallPair(left_wall, right_wall, 3);
    for (int k = 0; k <= 4; ++k) {
        framework::SetColorAlpha(255, static_cast<float>(80 + 40 * k), 80, (k + 1) / 5.0f);
        DrawWallPair(left_wall + ArenaSpeed * k, right_wall + ArenaSpeed * k, 3);
    }
}

void DrawScoreLine() {
    framework::SetColorAlpha(100, 255, 100, 1);
    UseFont(1, 5);
    framework::DrawTextAligned(W() / 2 - 250, 30, ScoreText(GameScore), 1, 1);
}

void EndTest() {
    if (Health > 0) return;
    Health = 0;
    EndReason = 1;
    PlayEffect(7, 1, 1, 0);
    StopMusic();
}

// Green at full health, red at none.
void DrawHealthLine() {
    framework::SetColorAlpha(200 - 2 * Health, 2 * Health, 100, 1);
    UseFont(1, 5);
    framework::DrawTextAligned(W() / 2 + 250, 30, HealthText(Health), 1, 1);
}

// Fills up the left edge toward the next power step; empties when the step is reached.
void DrawPickupMeter() {
    framework::UseBlend(1);
    framework::ResetDrawState();
    const int height = PickupCount * (H() / (PickupTarget > 0 ? PickupTarget : 1));
    framework::SetColorAlpha(0, 255, 0, 0.5f);
    platform::DrawRect(0, static_cast<float>(H() - height), 16, static_cast<float>(height));
}

// A yellow title with a dark rim and a white outline, over whatever the back buffer holds.
void DrawGameOver() {
    framework::UseFontSlot(5);
    const int cx = W() / 2, cy = H() / 2;
    const std::string text = "Game Over";
    for (int dx = -3; dx <= 3; ++dx) {
        for (int dy = -3; dy <= 3; ++dy) {
            framework::ResetDrawState();
            framework::DrawTextAligned(cx + dx, cy + dy, text, 1, 1);
        }
    }
    for (int dx = -2; dx <= 2; ++dx) {
        for (int dy = -2; dy <= 2; ++dy) {
            framework::ResetDrawState();
            framework::SetColorAlpha(8, 8, 8);
            framework::DrawTextAligned(cx + dx, cy + dy, text, 1, 1);
        }
    }
    framework::ResetDrawState();
    framework::SetColorAlpha(255, 255, 0);
    framework::DrawTextAligned(cx, cy, text, 1, 1);
}

void ShowGameOver() {
    StopMusic();
    platform::Flip(-1);
    DrawGameOver();
    platform::Flip(-1);
}

}  // namespace

float SteerVelocity(float velocity, bool minus, bool plus) {
    if (minus) velocity -= 0.35f;
    if (plus) velocity += 0.35f;
    // Drift back when the control of the current direction is released...
    if (!minus && velocity < 0) velocity += 0.15f;
    if (!plus && velocity > 0) velocity -= 0.15f;
    // ...and brake harder when reversing.
    if (minus && !plus && velocity > 0) velocity -= 0.2f;
    if (plus && !minus && velocity < 0) velocity += 0.2f;
    velocity = framework::ClampFloat(velocity, -8, 8);
    if (-0.3f < velocity && velocity < 0.3f) velocity = 0;
    return velocity;
}

std::string ScoreText(int score) {
    const std::string text = "000000000000" + std::to_string(score);
    return text.substr(text.size() - 12);
}

std::string HealthText(float health) {
    const std::string digits = "00" + std::to_string(static_cast<int>(health));
    return "Health : " + digits.substr(digits.size() - 2);
}

void StartGame() {
    CraftFrame = 0;
    Health = 99;
    PickupCount = 0;
    PickupTarget = 25;
    PowerLevel = 0;
    WaveSetNumber = 0;
    PlayerX = 0;
    PlayerY = static_cast<float>(H() / 2);
    VelocityX = VelocityY = 0;
    CameraY = 0;
    CameraX = static_cast<float>(0 - W() / 2);
    ClearWorld();
    CreateStars();
    GenerateWaves(0);
    ArenaX = 0;
    ArenaSpeed = 0;
    EndReason = 0;
    GameScore = 0;
    GameBadges = 0;
    for (int i = 1; i <= 30; ++i) GameBest[i] = 0;
    // A fire control still held from the title screen fires its first shot only in frame 51.
    FireCooldown = 100;
}

void UpdateAndDrawFrame() {
    framework::BeginFrame(1);
    KeepMusicPlaying();
    DrawStars();
    StepEnemies();
    if (EnemyList.size() < static_cast<size_t>(RegenerateBelow)) {
        WaveSetNumber += 1;
        GenerateWaves(WaveSetNumber);
    }
    MoveCamera();
    DrawCraft();
    Fire();
    framework::ScaleTo(1);
    StepBullets();
    Steer();
    StepPickups();
    framework::ResetDrawState();
    framework::UseBlend(3);
    StepParticles();
    MoveSafeZone();
    OutsideZoneDamage();
    DrawSafeZone();
    DrawScoreLine();
    EndTest();
    DrawHealthLine();
    DrawPickupMeter();
}

int PlayFrame() {
    UpdateAndDrawFrame();
    framework::ResetDrawState();
    if (framework::FramePump(framework::PointerMode) == 99) EndReason = 99;
    if (EndReason != 0) ShowGameOver();
    return EndReason;
}

void RunGame() {
    StartGame();
    while (PlayFrame() == 0) {
    }
    // The "Game Over" frame stays up for a moment before the name is asked for.
    platform::Delay(1500);
    framework::InGame = 0;
    // Held while the name is typed, so the exit screen can still store it if the window closes.
    scores::HoldGameRecord(GameScore, GameBadges, std::span<const std::int32_t>(GameBest), EndReason == 99);
    scores::EnterName();
    scores::StoreHeldRecord();
}

}  // namespace game
