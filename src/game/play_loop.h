// The game screen: one call of RunGame is one game, from the first frame to the stored score
// record. The frame runs a fixed order of steps: stars, enemies, camera, craft, firing, bullets,
// steering, pickups, particles, the wandering safe zone, the score and health lines and the
// pickup meter, then the frame pump and the end test.
#pragma once

#include <string>

namespace game {

// ---- Play-loop state: set by StartGame at the start of every game ------------------------------

// The craft's health, 99 at the start; contacts and the zone take it, 0 ends the game.
extern float Health;
// The craft's velocity in pixels per frame, each within -8..8.
extern float VelocityX, VelocityY;
// World x of the centre of the safe zone (4000 wide), and its movement per frame.
extern float ArenaX, ArenaSpeed;
// Frames before the next shot may be fired; 100 at the start of a game.
extern int FireCooldown;
// Pickups collected since the last power step, and the number the next step needs.
extern int PickupCount, PickupTarget;
// Wave sets generated after the first one in this game.
extern int WaveSetNumber;
// Craft animation counter, 0 to 31 (each of the 16 cells shows for two frames).
extern int CraftFrame;
// 0 while playing, 1 once health ran out, 99 when the player quit from the pause menu.
extern int EndReason;

// ---- The game ----------------------------------------------------------------------------------

// Plays one whole game: start, frames until the end, the "Game Over" frame, the 1.5-second wait,
// then name entry and the game's score record (appended to ScoreList and saved).
void RunGame();

// Start of a game: play-loop state, empty world lists, 499 stars, the first wave set, the safe
// zone at rest in the middle, score and per-game values zeroed, the first-shot delay.
void StartGame();
// Steps 1 to 20 of a frame: everything the game moves and draws before the frame pump.
void UpdateAndDrawFrame();
// One whole frame: UpdateAndDrawFrame, the frame pump (a quit from the pause menu ends the game)
// and, when the game has just ended, the "Game Over" frame. Returns EndReason.
int PlayFrame();

// One frame of steering on one axis: minus and plus are the two opposing controls (Left/Right
// or Up/Down). Accelerates by 0.35 toward a held control, drifts back by 0.15 when the control of
// the current direction is released, brakes by a further 0.2 when reversing, limits to -8..8 and
// snaps speeds below 0.3 to 0. Returns the new velocity.
float SteerVelocity(float velocity, bool minus, bool plus);
// The score line's text: the last 12 characters of twelve zeros followed by the score.
std::string ScoreText(int score);
// The health line's text: "Health : " and the last 2 characters of "00" followed by the health
// truncated toward zero.
std::string HealthText(float health);

}  // namespace game
