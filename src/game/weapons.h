// The player's weapon, the bullets it fires, and the particle bursts that mark hits, kills,
// pickups and damage.
#pragma once

namespace game {

// Fires one shot of the weapon at PowerLevel: plays firing effect 10 + power, appends the
// shot's bullets (horizontal velocity `direction`) to BulletList and returns the cooldown. A
// power of 7 first drops to 5; a power above 7 fires nothing and returns 15.
int FireShot(int direction);
// Moves, ages and draws every bullet (a faint halo where it was, then the body with its glow);
// removes bullets older than 100 frames. Expects scale 1 on entry.
void StepBullets();
// Adds 16 particles per ring to the front of ParticleList, flung out in a cross from (x, y);
// each colour component varies by up to 25 either way.
void SpawnBurst(int x, int y, int r, int g, int b, int rings);
// Fades, moves, stretches along their motion and draws every particle; removes those whose
// opacity fell below 0. Expects a reset drawing state with additive blending on entry.
void StepParticles();

}  // namespace game
