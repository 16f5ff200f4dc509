// Enemies: wave sets of scheduled formations generated in advance, and the per-frame step that
// counts each enemy down, spins it in, moves it toward the craft, tests it against the craft and
// the bullets, scores its hits, drops its pickup and plays its death.
#pragma once

namespace game {

// Number of formations in one wave set.
inline constexpr int FormationsPerSet = 300;
// Below this many enemies every enemy hunts the craft at full speed in both axes.
inline constexpr int ThinnedBelow = 200;
// Below this many enemies the play loop replaces the whole set with the next one.
inline constexpr int RegenerateBelow = 100;

// Reseeds the random generator from the clock, empties EnemyList and fills it with the 300
// formations of wave set `set` (0 for a game's first set) for the current difficulty. Each later
// set arrives faster. Prints the number of enemies.
void GenerateWaves(int set);

// One frame of every enemy in list order: countdown, spawn-in, movement, contact damage to
// Health, bullet hits with sound, bursts and score popups, pickups, the death animation and
// removal once it has run. Draws as it goes.
void StepEnemies();

// Stereo pan of a bullet hit, by where the bullet is relative to the craft: -1 far left of the craft, -0.5
// left, 0 level with it, 0.5 right, 1 far right (more than 500 pixels away).
float HitPan(float bullet_x, float player_x);

}  // namespace game
