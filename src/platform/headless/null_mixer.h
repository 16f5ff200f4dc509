// The null mixer for tests: an audio back-end that never opens a device. Channels play for
// their sample's length divided by their rate on the platform clock (use the manual clock to
// step it), and the sound they would make can be mixed into memory and inspected.
#pragma once

#include <string>
#include <vector>

namespace platform::headless {

// Output rate of MixFor's buffers, in frames per second.
constexpr int kNullMixRate = 44100;

// Installs a fresh null mixer, stopping every channel. It stays in place across SetAudioDriver,
// which then only changes the name CurrentAudioDriver reports; AudioOutputIsSilent is true.
void UseNullAudio();
// Stops every channel and goes back to the real drivers (opened again on next use).
void UseRealAudio();
bool NullAudioActive();

// The next `milliseconds` of what the playing, unpaused channels sound like from where the clock
// has brought them: interleaved left/right floats at kNullMixRate, full scale 1.0. Mixing does
// not move the channels on. Empty when the null mixer is not installed.
std::vector<float> MixFor(int milliseconds);
// Channels that hold a sound right now (finished ones count until they are next looked at).
int NullVoicesInUse();

// While the null mixer is installed: the names AudioDriverNames reports (empty list: the real
// ones), and what OpenALUsable answers (-1: ask the machine, 0: false, 1: true).
void SetNullAudioDriverNames(const std::vector<std::string>& names);
void SetNullOpenALUsable(int usable);

}  // namespace platform::headless
