// The game's sound effects on a rotating pool of channel slots, and the in-game music.
#pragma once

#include "platform/audio.h"

namespace game {

// First and last slot of framework::Channels that the effect pool rotates through.
inline constexpr int FirstEffectSlot = 20, LastEffectSlot = 255;

// Plays sound effect n (framework::SoundEffects) on the next pool slot at the given rate
// (clamped to 0.25..4), volume (0..1, scaled by the master and effect settings) and pan (-1..1),
// cutting off whatever that slot still plays. Nothing happens, and the pool does not advance,
// when effects are muted or effect n has no sample.
void PlayEffect(int n, float rate, float volume, float pan);
// Restarts the music from the beginning on a fresh MusicChannel at the music volume; does
// nothing while the music volume setting is 0.
void StartMusic(const platform::Sound& sound);
// Stops the music channel, if any, and forgets it.
void StopMusic();

}  // namespace game
