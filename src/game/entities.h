// The game's world: its six record types, the process-wide lists and values that hold a game in
// progress, the image and music handles, and the floating score numbers through which every
// point of score is awarded.
#pragma once

#include <list>

#include "platform/audio.h"
#include "platform/draw.h"

namespace game {

// A background star.
struct ar {
    float x = 0;  // position along the star band, 0 to 2600
    float y = 0;  // screen y, 0 to H
    float l = 0;  // depth, about 2 to 6.2: divides the camera movement, shrinks and dims the star
    int r = 0, g = 0, b = 0;
};

// A particle.
struct icle {
    float x = 0, y = 0;    // world position
    float gx = 0, gy = 0;  // velocity in pixels per frame, constant for the particle's life
    float sx = 0, sy = 0;  // stretch factors, grown while the particle moves fast
    int r = 0, g = 0, b = 0;
    float alp = 0;  // opacity; removed once below 0
};

// A player bullet.
struct lets {
    float x = 0, y = 0;  // world position
    float d = 0;         // horizontal velocity in pixels per frame (negative: flying left)
    float dy = 0;        // vertical velocity in pixels per frame
    int r = 0, g = 0, b = 0;
    int t = 0;  // age in frames; removed when above 100
    int p = 0;  // 0 when fired; only bullets with p 0 can hit
    int l = 0;  // extra damage: a hit takes l + 1 hit points
};

// An enemy.
struct die {
    float x = 0, y = 0;    // world position
    float xg = 0, yg = 0;  // velocity in pixels per frame
    int ang = 0;           // drawing rotation in degrees
    int t = 0;             // level 1 to 6: colour, score per hit, hit points
    int h = 0;             // hit points
    int g = 0, d = 0;      // unused
    float s = 0;           // speed, the bound on the velocity components
    int w = 0;             // frames until the enemy becomes active
    int wave = 0;          // movement kind, -1 to 4
    int waveat = 0;        // wobble phase in degrees, 0 to 359
    int dead = 0;          // 0 while alive; 1 to 60 while the death animation runs
};

// A pickup left where an enemy was destroyed.
struct od {
    int x = 0, y = 0;  // world position
    int t = 0;         // age in frames; vanishes when above 240
};

// A floating score popup.
struct ore {
    int n = 0;           // points awarded, shown as decimal text
    float x = 0, y = 0;  // world position of the text centre
    int t = 0;           // frames left, starts at 120
    int r = 0, g = 0, b = 0;
};

// World lists. Stars, pickups and particles are added at the front, the others at the back.
// The play loop empties all but PopupList at the start of each game; PopupList is never emptied.
extern std::list<ar> StarList;
extern std::list<die> EnemyList;
extern std::list<lets> BulletList;
extern std::list<od> PickupList;
extern std::list<icle> ParticleList;
extern std::list<ore> PopupList;

// The player craft's world position.
extern float PlayerX, PlayerY;
// World position shown at the left and top screen edge (CameraY stays 0 in a game).
extern float CameraX, CameraY;
// Score of the game in progress; raised only by AddScorePopup.
extern int GameScore;
// The weapon's power, 0 to 6 (7 is turned back into 5 when firing).
extern int PowerLevel;
// Badges earned in the game in progress (this game awards none).
extern int GameBadges;
// Per-game values at indices 1 to 30 for the score record; all 0 in this game.
extern int GameBest[31];
// Counts the spread shots at powers 2, 4 and 6; never reset after start-up.
extern int ShotCounter;
// The effect-pool slot used last (20 at start-up); never reset after start-up.
extern int EffectChannelIndex;
// The channel playing the in-game music, 0 for none.
extern platform::Channel MusicChannel;

// Images and the music sample; empty handles when their files are missing. Reloaded with the
// display by LoadGameAssets.
extern platform::Image ImgCraft, ImgStar, ImgSpinner, ImgSpinnerGlow, ImgBullet, ImgWhite, ImgPickup;
extern platform::Sound GameMusic;

// Start-up state of the world: lists empty, values 0, ShotCounter 0, EffectChannelIndex 20, no
// music channel. The asset handles are untouched (LoadGameAssets owns them). Called once at
// start-up, after the first display setup (and by tests).
void CreateGameState();
// Start of a game: empties the star, enemy, bullet, pickup and particle lists and zeroes
// GameScore, PowerLevel, GameBadges and GameBest. Leaves PopupList, ShotCounter and the
// effect pool alone.
void ClearWorld();
// Adds points to GameScore and appends a popup showing them at (x, y) in colour r, g, b for
// 120 frames.
void AddScorePopup(int points, int x, int y, int r, int g, int b);
// Moves every popup up by a quarter pixel, fades it by its remaining frames, draws its number
// with font slot 3, and removes it when its time is up. Called by the frame pump every frame.
void DrawScorePopups();
// Selects sized font (family 1..3, size 0..8); a family out of range counts as 1, a size out
// of range as 0.
void UseFont(int family, int size);

}  // namespace game
