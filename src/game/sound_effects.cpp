// Sound effects and music. Effects go round a pool of 236 channel slots so that rapid repeats
// overlap instead of cutting each other off; only the 237th request in a row takes over the
// oldest slot.
#include "game/sound_effects.h"

#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/program.h"
#include "framework/settings.h"
#include "game/entities.h"
#include "platform/system.h"

namespace game {

namespace {

constexpr int MasterVolume = 11, EffectVolume = 12, MusicVolume = 13;

// The volume settings as a 0..1 factor: the part's own setting scaled by the master setting.
float SettingsVolume(int setting) {
    using framework::Settings;
    return static_cast<float>(Settings[setting]) * static_cast<float>(Settings[MasterVolume]) / 10000.0f;
}

}  // namespace

void PlayEffect(int n, float rate, float volume, float pan) {
    if (framework::Settings[EffectVolume] <= 0) return;
    // An effect number outside the table is silent, like a number without a file.
    if (n < 1 || n > 200 || !framework::SoundEffects[n]) return;
    EffectChannelIndex += 1;
    if (EffectChannelIndex > LastEffectSlot) EffectChannelIndex = FirstEffectSlot;
    volume = framework::ClampFloat(volume, 0.0f, 1.0f);
    rate = framework::ClampFloat(rate, 0.25f, 4.0f);
    pan = framework::ClampFloat(pan, -1.0f, 1.0f);

    platform::Channel& slot = framework::Channels[EffectChannelIndex];
    // A finished channel stays in its slot and is reused; a sounding one is cut off.
    if (slot != 0 && platform::ChannelPlaying(slot)) {
        platform::StopChannel(slot);
        slot = 0;
    }
    if (slot == 0) slot = platform::AllocChannel();
    // With no channel left the effect is dropped (cueing on channel 0 would take yet another).
    if (slot == 0) return;
    // The sample starts paused so volume, pan and rate apply from its first frame.
    platform::CueSound(framework::SoundEffects[n], slot);
    platform::SetVolume(slot, SettingsVolume(EffectVolume) * volume);
    framework::ChannelVolumes[EffectChannelIndex] = volume;
    platform::SetPan(slot, pan);
    platform::SetRate(slot, rate);
    platform::SetPaused(slot, false);
}

void StartMusic(const platform::Sound& sound) {
    if (framework::Settings[MusicVolume] <= 0) return;
    StopMusic();
    MusicChannel = platform::AllocChannel();
    if (MusicChannel == 0) return;
    platform::CueSound(sound, MusicChannel);
    platform::SetVolume(MusicChannel, SettingsVolume(MusicVolume));
    platform::SetPaused(MusicChannel, false);
    platform::Print("Music started on channel " + std::to_string(MusicChannel));
}

void StopMusic() {
    if (MusicChannel != 0) platform::StopChannel(MusicChannel);
    MusicChannel = 0;
}

}  // namespace game
