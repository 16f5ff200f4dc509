// Enemy wave sets and the per-frame enemy step.
#include "game/enemies.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/program.h"
#include "game/entities.h"
#include "game/play_loop.h"
#include "game/sound_effects.h"
#include "game/weapons.h"
#include "platform/clock.h"
#include "platform/draw.h"
#include "platform/random.h"
#include "platform/system.h"

namespace game {
namespace {

// ---- Wave generation ---------------------------------------------------------------------------

// One row of a level table: from formation `after` + 1 on, the level is redrawn from lo..hi.
struct LevelRow {
    int after, lo, hi;
};

// Every difficulty first draws by this table; each row that holds draws again, the last wins.
constexpr LevelRow kBaseLevels[] = {{0, 1, 1},   {50, 1, 2},  {100, 1, 3},
                                    {150, 1, 4}, {200, 1, 5}, {250, 1, 6}};
// "Hard" then draws again by its own table: high levels sooner, low ones excluded near the end.
constexpr LevelRow kHardLevels[] = {{0, 1, 1},   {40, 1, 2},  {80, 1, 3},  {120, 1, 4},
                                    {160, 1, 5}, {200, 1, 6}, {240, 2, 6}, {280, 4, 6}};
// "Harder" likewise, sooner still.
constexpr LevelRow kHarderLevels[] = {{0, 1, 1},   {30, 1, 2},  {60, 1, 3},  {90, 1, 4}, {120, 1, 5},
                                      {150, 1, 6}, {180, 2, 6}, {210, 3, 6}, {240, 4, 6}};

template <size_t N>
int DrawLevel(const LevelRow (&rows)[N], int formation, int level) {
    // Every holding row draws, so the random sequence is the same whatever the outcome.
    for (const LevelRow& row : rows) {
        if (formation > row.after) level = platform::Rand(row.lo, row.hi);
    }
    return level;
}

int FormationLevel(int formation, int mode) {
    int level = DrawLevel(kBaseLevels, formation, 1);
    if (mode == 1) level = DrawLevel(kHardLevels, formation, level);
    if (mode == 2) level = DrawLevel(kHarderLevels, formation, level);
    return level;
}

// Frames between formations: later sets come faster, and faster still on "Normal".
int FormationSpacing(int set, int mode) {
    const int step = (mode == 1 || mode == 2) ? 10 : 20;
    const int spacing = 90 - step * set;
    return spacing < 10 ? 10 : spacing;
}

int SpreadOf(int pattern) {
    int n = 1;
    if (pattern > 1) n = 2;
    if (pattern == 6) n = 4;
    if (pattern == 0) n = 0;
    return n;
}

// Member j of a formation of the given pattern around (cx, cy).
void PlaceMember(die& enemy, int pattern, int j, float cx, float cy) {
    const double jd = j;
    double x = cx, y = cy;
    switch (pattern) {
        case 1:
            x = cx + 64 * jd;
            break;
        case 2:
            y = cy + 64 * jd;
            break;
        case 3:
            x = cx + 48 * platform::Sin(60 * jd);
            y = cy - 48 * platform::Cos(60 * jd);
            break;
        case 4:
            x = cx - 48 * jd;
            y = cy + 48 * jd;
            break;
        case 5:
            x = cx + 48 * jd;
            y = cy + 48 * jd;
            break;
        case 6:
            x = cx + 96 * platform::Sin(36 * jd);
            y = cy - 96 * platform::Cos(36 * jd);
            break;
        default:
            break;
    }
    const int h = framework::VirtualHeight;
    if (y < 40) y = 40;
    if (y > h - 40) y = h - 40;
    enemy.x = static_cast<float>(x);
    enemy.y = static_cast<float>(y);
}

void GenerateFormation(int formation, int spacing, int mode) {
    int pattern = platform::Rand(0, 6);
    int n = SpreadOf(pattern);
    const int level = FormationLevel(formation, mode);
    const int start = platform::Rand(formation * spacing, (formation + 4) * spacing);
    const float cx = static_cast<float>(platform::Rand(-4200, 4200));
    const float cy = static_cast<float>(platform::Rand(40, framework::VirtualHeight - 40));
    int kind = platform::Rand(-2, 4) + level;
    if (kind >= 4) {
        // The hunters always come as a row of four.
        kind = 4;
        pattern = 1;
        n = 1;
    }
    double speed = 3 + level / 3.0;
    for (int j = -n; j <= n + 1; ++j) {
        speed += 0.5;
        die enemy;
        PlaceMember(enemy, pattern, j, cx, cy);
        enemy.wave = kind;
        enemy.waveat = platform::Rand(360, 1);
        enemy.s = static_cast<float>(speed);
        enemy.t = level;
        enemy.h = 2 * level;
        enemy.ang = platform::Rand(360, 1);
        enemy.w = start;
        // The phase is drawn twice; the second draw is kept (the first only moves the sequence).
        enemy.waveat = platform::Rand(360, 1);
        EnemyList.push_back(enemy);
    }
}

// ---- The enemy step ----------------------------------------------------------------------------

constexpr int kLevelColours[7][3] = {{255, 255, 255}, {200, 200, 200}, {255, 20, 20}, {20, 255, 20},
                                     {20, 255, 255},  {255, 255, 20},  {20, 100, 255}};

void UseLevelColour(int level) {
    if (level < 1 || level > 6) level = 0;
    const int* c = kLevelColours[level];
    framework::SetColorAlpha(static_cast<float>(c[0]), static_cast<float>(c[1]), static_cast<float>(c[2]),
                             1.0f);
}

// Whether a screen x lies within margin pixels beyond either screen edge.
bool NearScreen(float screen_x, float margin) {
    return -margin < screen_x && screen_x < framework::VirtualWidth + margin;
}

// The death animation: grows from 1.1 to 6.9 times, spins ever faster, fades from half opacity.
void DrawDying(die& enemy) {
    const float k = (enemy.dead + 10) / 10.0f;
    framework::ScaleTo(k);
    platform::SetAlpha((1.0f - enemy.dead / 60.0f) / 2.0f);
    enemy.ang += 2 * enemy.dead + 32;
    framework::RotateTo(static_cast<float>(enemy.ang));
    framework::DrawSprite(ImgSpinner, static_cast<int>(enemy.x + 32 - CameraX - 32 * k),
                          static_cast<int>(enemy.y + 32 - 32 * k), 0, framework::ParticleSprites);
    enemy.dead += 1;
}

void Move(die& enemy, bool thinned) {
    const int kind = enemy.wave;
    if (kind == 1 || kind == 3) enemy.x += static_cast<float>(2 * platform::Sin(enemy.waveat));
    if (kind == 2 || kind == 3) enemy.y += static_cast<float>(2 * platform::Sin(enemy.waveat));
    if (PlayerX < enemy.x) enemy.xg -= 0.1f;
    if (enemy.x < PlayerX) enemy.xg += 0.1f;
    if (PlayerY < enemy.y) enemy.yg -= 0.1f;
    if (enemy.y < PlayerY) enemy.yg += 0.1f;
    // Most kinds creep sideways at a tenth of their speed and keep their height; kind 0 races
    // sideways; only kind 4 hunts in both axes, until the set is thinned out.
    float across = enemy.s, down = 0.5f * enemy.s;
    if (kind != 4) across = 0.1f * enemy.s;
    if (kind == 0) across = 1.1f * enemy.s;
    if (kind != 4) down = 0;
    if (thinned) across = down = enemy.s;
    enemy.xg = framework::ClampFloat(enemy.xg, -across, across);
    enemy.yg = framework::ClampFloat(enemy.yg, -down, down);
    enemy.x += enemy.xg;
    enemy.y += enemy.yg;
    const float h = static_cast<float>(framework::VirtualHeight);
    if (enemy.y < 40) enemy.y = 40;
    if (enemy.y > h - 80) enemy.y = h - 80;
}

// An active enemy over the craft costs health every frame of contact; the enemy is unharmed.
void TestContact(const die& enemy) {
    if (std::fabs(enemy.x + 32 - PlayerX) >= 24 || std::fabs(enemy.y + 32 - PlayerY) >= 24 || enemy.w >= 1)
        return;
    SpawnBurst(static_cast<int>(PlayerX), static_cast<int>(PlayerY), 255, 80, 80, 1);
    Health -= 1;
    const int effect = platform::Rand(4, 5);
    PlayEffect(effect, static_cast<float>(platform::Rnd(0.8, 1.2)), 1, 0);
}

// Spirals in from 356 pixels out, growing to full size by the time w reaches 6.
void DrawSpawnIn(const die& enemy) {
    float k = enemy.w / 6.0f;
    if (k < 1) k = 1;
    framework::ScaleTo(1 / k);
    framework::RotateTo(static_cast<float>(enemy.ang) * enemy.w * 4);
    if (!NearScreen(enemy.x - CameraX, 200)) return;
    const double radius = 4.0 * enemy.w, angle = enemy.w + 4.0 * enemy.ang;
    framework::DrawSprite(ImgSpinner, static_cast<int>(enemy.x - CameraX + radius * platform::Sin(angle)),
                          static_cast<int>(enemy.y - radius * platform::Cos(angle)), 0,
                          framework::MainSprites);
}

// A burst colour component: 50 times a random factor, truncated.
int Shade(double lo, double hi) {
    return static_cast<int>(50 * platform::Rnd(lo, hi));
}

void Hit(die& enemy, const lets& bullet) {
    const float pan = HitPan(bullet.x, PlayerX);
    enemy.h -= bullet.l + 1;
    const int x = static_cast<int>(enemy.x), y = static_cast<int>(enemy.y);
    if (enemy.h > 0) {
        PlayEffect(3, static_cast<float>(platform::Rnd(0.8, 1.2)), 1, pan);
        const int r = Shade(1, 3), g = Shade(2, 4), b = Shade(4, 5);
        SpawnBurst(x, y, r, g, b, 2);  // a blue spark
    }
    // Only a hit that lands exactly on 0 explodes; an overkill below 0 stays quiet.
    if (enemy.h == 0) {
        PlayEffect(2, static_cast<float>(platform::Rnd(0.8, 1.2)), 1, pan);
        const int r = Shade(4, 5), g = Shade(2, 4), b = Shade(1, 3);
        SpawnBurst(x, y, r, g, b, 2);  // an orange explosion
    }
    AddScorePopup(5 * enemy.t, static_cast<int>(enemy.x + 32), static_cast<int>(enemy.y + 32), 80, 255, 255);
}

// The box holding every bullet that can hit, taken once per frame. The enemy step only removes
// bullets, so the box stays a safe bound for the whole frame; an enemy whose hit box misses it
// cannot be hit and skips the walk over BulletList.
struct BulletBox {
    bool any = false;
    float left = 0, right = 0, top = 0, bottom = 0;
};

BulletBox BoxOfLiveBullets() {
    BulletBox box;
    for (const lets& bullet : BulletList) {
        if (bullet.p != 0) continue;
        if (!box.any) {
            box = {true, bullet.x, bullet.x, bullet.y, bullet.y};
            continue;
        }
        box.left = std::min(box.left, bullet.x);
        box.right = std::max(box.right, bullet.x);
        box.top = std::min(box.top, bullet.y);
        box.bottom = std::max(box.bottom, bullet.y);
    }
    return box;
}

// A hit needs enemy x - 20 < bullet x < enemy x + 76 and enemy y - 4 < bullet y < enemy y + 60;
// the margin of a pixel keeps the bound safe against rounding.
bool MayBeHit(const die& enemy, const BulletBox& box) {
    return box.any && box.right > enemy.x - 21 && box.left < enemy.x + 77 && box.bottom > enemy.y - 5 &&
           box.top < enemy.y + 61;
}

// Every live bullet is tested, so one enemy can take, and score for, several hits in a frame.
void TestBullets(die& enemy, const BulletBox& box) {
    if (!MayBeHit(enemy, box)) return;
    for (auto it = BulletList.begin(); it != BulletList.end();) {
        const lets& bullet = *it;
        if (bullet.p == 0 && std::fabs((bullet.x - 32) - (enemy.x - 4)) < 48 &&
            std::fabs((bullet.y - 32) - (enemy.y - 4)) < 32) {
            const lets hit = bullet;
            it = BulletList.erase(it);
            Hit(enemy, hit);
        } else {
            ++it;
        }
    }
}

void DrawActive(die& enemy) {
    enemy.ang += 10;
    framework::RotateTo(static_cast<float>(enemy.ang));
    framework::ScaleTo(1);
    if (!NearScreen(enemy.x - CameraX, 200)) return;
    framework::DrawGlowSprite(ImgSpinner, static_cast<int>(enemy.x - CameraX), static_cast<int>(enemy.y), 0,
                              ImgSpinnerGlow, 1.1f, 0.6f);
}

void DropPickup(die& enemy) {
    od pickup;
    pickup.x = static_cast<int>(enemy.x + 32);
    pickup.y = static_cast<int>(enemy.y + 32);
    pickup.t = 0;
    PickupList.push_front(pickup);
    enemy.dead = 1;
}

// A spawning (w 1 to 99) or active (w 0) enemy that is not dying.
void StepLiving(die& enemy, bool thinned, const BulletBox& box) {
    enemy.waveat = (enemy.waveat + 2) % 360;
    if (enemy.w < 1) Move(enemy, thinned);
    TestContact(enemy);
    if (enemy.w > 0 && enemy.w < 90) DrawSpawnIn(enemy);
    if (enemy.w < 1) {
        TestBullets(enemy, box);
        DrawActive(enemy);
    }
    if (enemy.h < 1) DropPickup(enemy);
}

}  // namespace

void GenerateWaves(int set) {
    platform::SeedRnd(platform::MilliSecs());
    EnemyList.clear();
    const int mode = framework::CurrentGameMode;
    const int spacing = FormationSpacing(set, mode);
    for (int formation = 1; formation <= FormationsPerSet; ++formation) {
        GenerateFormation(formation, spacing, mode);
    }
    platform::Print("Wave set " + std::to_string(set) + ": " + std::to_string(EnemyList.size()) + " enemies");
}

void StepEnemies() {
    // Counted once, before any enemy of this frame dies, so every enemy sees the same limits.
    const bool thinned = EnemyList.size() < static_cast<size_t>(ThinnedBelow);
    const BulletBox box = BoxOfLiveBullets();
    for (auto it = EnemyList.begin(); it != EnemyList.end();) {
        die& enemy = *it;
        if (enemy.w > 0) enemy.w -= 1;
        if (NearScreen(enemy.x - CameraX, 400)) UseLevelColour(enemy.t);
        if (enemy.dead > 0) DrawDying(enemy);
        if (enemy.w < 100 && enemy.dead == 0) StepLiving(enemy, thinned, box);
        if (enemy.dead == 60) {
            it = EnemyList.erase(it);
        } else {
            ++it;
        }
    }
}

float HitPan(float bullet_x, float player_x) {
    float pan = 0;
    if (bullet_x < player_x) pan = -0.5f;
    if (bullet_x < player_x - 500) pan = -1;
    if (bullet_x > player_x) pan = 0.5f;
    if (bullet_x > player_x + 500) pan = 1;
    return pan;
}

}  // namespace game
