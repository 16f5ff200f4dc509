// Audio drivers, sound samples and playback channels.
//
// Drivers: "FreeAudio" is our software mixer on SDL audio; names beginning with "OpenAL" are
// OpenAL Soft devices. When no output device opens, the layer runs silently: channels still
// report playing for the length of their sample, timed on the platform clock.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace platform {

struct SoundData;
// A decoded sample; empty when loading failed. Playing an empty handle plays nothing.
using Sound = std::shared_ptr<SoundData>;

// Load flag bits for LoadSound.
enum SoundFlag : int {
    LoopSound = 1,  // the sound loops until stopped
};

// A playback voice; 0 is no channel.
using Channel = int;

// Names of the available audio drivers, in a fixed order.
std::vector<std::string> AudioDriverNames();
// Whether a driver of that name exists (compared without regard to case).
bool AudioDriverExists(const std::string& name);
// Whether OpenAL can open an output device on this machine.
bool OpenALUsable();
// Switches to the named driver (case-insensitive). Returns false and keeps the current driver
// when the name is unknown. A driver whose device does not open runs silently.
bool SetAudioDriver(const std::string& name);
// The driver in use, and whether it reached a real output device.
std::string CurrentAudioDriver();
bool AudioOutputIsSilent();

// WAV or Ogg Vorbis. Empty handle when missing or unreadable.
Sound LoadSound(const std::string& path, int flags = 0);
// Length of the sample in milliseconds at rate 1 (0 for an empty handle).
int SoundLength(const Sound& sound);

// A fresh channel, not playing. The layer offers at least 260 at once.
Channel AllocChannel();
// Starts the sound on the channel (or on a fresh one when channel is 0) and returns the channel;
// 0 when the sound is empty or no channel is left.
Channel PlaySound(const Sound& sound, Channel channel = 0);
// As PlaySound, but paused so parameters can be set before SetPaused(false) starts it.
Channel CueSound(const Sound& sound, Channel channel = 0);
void StopChannel(Channel channel);
void SetPaused(Channel channel, bool paused);
// 0 silent .. 1 full.
void SetVolume(Channel channel, float volume);
// -1 left .. 0 centre .. 1 right.
void SetPan(Channel channel, float pan);
// Front/back placement, 0 normal.
void SetDepth(Channel channel, float depth);
// Playback-rate multiplier: 1 recorded pitch, 2 one octave up.
void SetRate(Channel channel, float rate);
// Whether the channel is playing (a paused channel with a sound counts as playing).
bool ChannelPlaying(Channel channel);
bool ChannelPaused(Channel channel);

}  // namespace platform
