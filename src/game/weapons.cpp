// The weapon table, bullets and particles. All drawing goes through the framework's budgeted
// sprite draws, so a slow machine shows fewer sprites but moves and ages every one of them.
#include "game/weapons.h"

#include "framework/draw_helpers.h"
#include "game/entities.h"
#include "game/sound_effects.h"
#include "platform/random.h"

namespace game {

namespace {

struct Color {
    int r, g, b;
};

void AddBullet(int direction, float y_offset, float dy, Color color, int extra_damage) {
    lets bullet;
    bullet.x = PlayerX;
    bullet.y = PlayerY + y_offset;
    bullet.d = static_cast<float>(direction);
    bullet.dy = dy;
    bullet.r = color.r;
    bullet.g = color.g;
    bullet.b = color.b;
    bullet.l = extra_damage;
    BulletList.push_back(bullet);
}

// The pair of the odd powers and power 1: upper bullet first.
void AddPair(int direction, float dy, Color color) {
    AddBullet(direction, -8, -dy, color, 0);
    AddBullet(direction, 8, dy, color, 0);
}

// The single spread bullet of powers 2, 4 and 6: aims up, straight or down in turn.
void AddSpread(int direction, float spread, Color color, int extra_damage) {
    ShotCounter += 1;
    const float spreads[3] = {-spread, 0, spread};
    AddBullet(direction, 0, spreads[ShotCounter % 3], color, extra_damage);
}

void AddParticle(float x, float y, float gx, float gy, int r, int g, int b) {
    icle particle;
    particle.x = x;
    particle.y = y;
    particle.gx = gx;
    particle.gy = gy;
    // Random variation drawn in the order red, green, blue, after the particle's speed.
    particle.r = r + 5 * platform::Rand(-5, 5);
    particle.g = g + 5 * platform::Rand(-5, 5);
    particle.b = b + 5 * platform::Rand(-5, 5);
    particle.sx = particle.sy = 1;
    particle.alp = 1;
    ParticleList.push_front(particle);
}

// Outward speed of ring k: about 4 + 12k with a little spread.
float RingSpeed(int k) {
    return static_cast<float>(platform::Rand(-2, 2) + 4 + 12 * k);
}

// Grows the particle's stretch along its fast axis and sets the scale for its draw. A particle
// flying left or up stretches from the negative side, so it is drawn mirrored and thin at first.
void StretchParticle(icle& particle) {
    if (particle.gx < -6) {
        particle.sx -= 0.4f;
        framework::ScaleTo(-particle.sx, 1.0f);
    }
    if (particle.gx > 6) {
        particle.sx += 0.4f;
        framework::ScaleTo(particle.sx, 1.0f);
    }
    if (particle.gy < -6) {
        particle.sy -= 0.4f;
        framework::ScaleTo(1.0f, -particle.sy);
    }
    if (particle.gy > 6) {
        particle.sy += 0.4f;
        framework::ScaleTo(1.0f, particle.sy);
    }
}

}  // namespace

int FireShot(int direction) {
    int cooldown = 15;
    if (PowerLevel == 7) PowerLevel = 5;
    float pan = 0;
    if (direction < 0) pan = -0.25f;
    if (direction > 0) pan = 0.25f;
    PlayEffect(PowerLevel + 10, static_cast<float>(platform::Rnd(0.7, 1.3)), 1, pan);
    switch (PowerLevel) {
        case 0:
            AddBullet(direction, 0, 0, {40, 200, 255}, 0);
            break;
        case 1:
            AddPair(direction, 0, {40, 250, 40});
            cooldown = 15;
            break;
        case 2:
            AddSpread(direction, 2.5f, {255, 200, 40}, 1);
            cooldown = 9;
            break;
        case 3:
            AddPair(direction, 0.5f, {100, 250, 100});
            cooldown = 11;
            break;
        case 4:
            AddSpread(direction, 3.5f, {255, 100, 40}, 1);
            cooldown = 7;
            break;
        case 5:
            AddPair(direction, 0.5f, {100, 250, 100});
            cooldown = 7;
            break;
        case 6:
            AddSpread(direction, 3.5f, {255, 100, 40}, 2);
            cooldown = 5;
            break;
        default:
            // Above 7 (pickups collected without firing) the weapon stays silent and empty.
            break;
    }
    return cooldown;
}

void StepBullets() {
    for (auto it = BulletList.begin(); it != BulletList.end();) {
        lets& bullet = *it;
        const auto r = static_cast<float>(bullet.r), g = static_cast<float>(bullet.g),
                   b = static_cast<float>(bullet.b);
        // A large faint halo where the bullet was before this frame's move.
        framework::ScaleTo(3);
        framework::SetColorAlpha(r, g, b, 0.3f);
        framework::DrawSprite(ImgBullet, static_cast<int>(bullet.x - CameraX - 8),
                              static_cast<int>(bullet.y - 8), 0, framework::GlowSprites);
        bullet.x += bullet.d;
        bullet.y += bullet.dy;
        bullet.t += 1;
        framework::ScaleTo(1);
        framework::SetColorAlpha(r, g, b, 1.0f);
        framework::DrawGlowSprite(ImgBullet, static_cast<int>(bullet.x - CameraX), static_cast<int>(bullet.y),
                                  0, ImgBullet, 1.5f, 0.6f);
        // Bullets live their 101 moves wherever they fly; off-screen ones are not culled.
        if (bullet.t > 100) {
            it = BulletList.erase(it);
        } else {
            ++it;
        }
    }
}

void SpawnBurst(int x, int y, int r, int g, int b, int rings) {
    for (int k = 1; k <= rings; ++k) {
        for (int o : {-12, -4, 4, 12}) {
            const auto fan = static_cast<float>(o / 4);
            const auto along = static_cast<float>(o + 8 * k);
            const auto out = static_cast<float>(8 * k);
            const auto fx = static_cast<float>(x), fy = static_cast<float>(y);
            AddParticle(fx + along, fy - out, fan, -RingSpeed(k), r, g, b);  // upward
            AddParticle(fx + along, fy + out, fan, RingSpeed(k), r, g, b);   // downward
            AddParticle(fx - out, fy + along, -RingSpeed(k), fan, r, g, b);  // leftward
            AddParticle(fx + out, fy + along, RingSpeed(k), fan, r, g, b);   // rightward
        }
    }
}

void StepParticles() {
    for (auto it = ParticleList.begin(); it != ParticleList.end();) {
        icle& particle = *it;
        // Components outside 0..255 are clamped by SetColorAlpha.
        framework::SetColorAlpha(static_cast<float>(particle.r), static_cast<float>(particle.g),
                                 static_cast<float>(particle.b), particle.alp * 0.85f);
        particle.alp -= 0.02f;
        particle.x += particle.gx;
        particle.y += particle.gy;
        StretchParticle(particle);
        framework::DrawSprite(ImgWhite, static_cast<int>(particle.x - CameraX), static_cast<int>(particle.y),
                              0, framework::ParticleSprites);
        if (particle.alp < 0) {
            it = ParticleList.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace game
