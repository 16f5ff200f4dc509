// The software mixing kernel (pan law, resampling, looping) and the clock-timed voices of the
// silent and null outputs.
#include <algorithm>
#include <cmath>

#include "platform/audio_driver.h"
#include "platform/clock.h"

namespace platform::detail {
namespace {

constexpr double kQuarterPi = 0.78539816339744830962;
constexpr float kSampleScale = 1.0f / 32768.0f;

}  // namespace

StereoGains PanGains(float volume, float pan, int source_channels) {
    pan = std::clamp(pan, -1.0f, 1.0f);
    if (source_channels == 2) {
        return {volume * std::min(1.0f, 1.0f - pan), volume * std::min(1.0f, 1.0f + pan)};
    }
    const double angle = (pan + 1.0) * kQuarterPi;
    return {static_cast<float>(volume * std::cos(angle)), static_cast<float>(volume * std::sin(angle))};
}

void ConfigureMixVoice(MixVoiceState& voice, const VoiceParams& params) {
    const int channels = voice.sound ? voice.sound->channels : 1;
    const int rate = voice.sound ? voice.sound->rate : kMixRate;
    voice.gains = PanGains(params.volume, params.pan, channels);
    voice.step = static_cast<double>(params.rate) * rate / kMixRate;
}

bool MixVoice(MixVoiceState& voice, float* out, int frames) {
    const SoundData& sound = *voice.sound;
    const int count = sound.Frames();
    if (count == 0) return false;
    const int channels = sound.channels;
    const std::int16_t* data = sound.samples.data();
    const float left_gain = voice.gains.left * kSampleScale;
    const float right_gain = voice.gains.right * kSampleScale;
    const int wait = std::clamp(voice.delay_frames, 0, frames);
    voice.delay_frames -= wait;
    for (int i = wait; i < frames; ++i) {
        if (voice.position >= count) {
            if (!voice.loop) return false;
            voice.position = std::fmod(voice.position, count);
        }
        const int a = static_cast<int>(voice.position);
        const float frac = static_cast<float>(voice.position - a);
        // Interpolating towards the first frame makes a loop seamless; a one-shot holds its
        // last frame instead of reading past the end.
        int b = a + 1;
        if (b >= count) b = voice.loop ? 0 : a;
        const float left = data[a * channels] + (data[b * channels] - data[a * channels]) * frac;
        float right = left;
        if (channels == 2) {
            right = data[a * 2 + 1] + (data[b * 2 + 1] - data[a * 2 + 1]) * frac;
        }
        out[2 * i] += left * left_gain;
        out[2 * i + 1] += right * right_gain;
        voice.position += voice.step;
    }
    return voice.loop || voice.position < count;
}

int FramesBetween(std::uint64_t from, std::uint64_t to, std::uint64_t frequency, int limit) {
    if (to <= from || frequency == 0) return 0;
    const double seconds = static_cast<double>(to - from) / static_cast<double>(frequency);
    return static_cast<int>(std::min<double>(limit, seconds * kMixRate));
}

// ---- ClockDriver -------------------------------------------------------------------------------

ClockDriver::ClockDriver() : voices_(kMaxVoices) {}

void ClockDriver::Advance(Voice& voice) {
    const int now = MilliSecs();
    // A clock swapped for a test clock can read earlier than before; time then simply stands.
    const int elapsed = std::max(0, now - voice.last_ms);
    voice.last_ms = now;
    if (!voice.sound || voice.paused) return;
    voice.played_ms += static_cast<double>(elapsed) * voice.params.rate;
    if (voice.sound->loop) {
        // Keep the running time small so a long loop does not lose precision.
        const double length_ms = voice.sound->Frames() * 1000.0 / voice.sound->rate;
        if (voice.played_ms >= length_ms) voice.played_ms = std::fmod(voice.played_ms, length_ms);
    }
}

void ClockDriver::Start(int voice, const Sound& sound, const VoiceParams& params, bool paused) {
    Voice& v = voices_[voice];
    v.sound = sound;
    v.params = params;
    v.paused = paused;
    v.played_ms = 0;
    v.last_ms = MilliSecs();
}

void ClockDriver::Stop(int voice) {
    voices_[voice] = Voice{};
}

void ClockDriver::Pause(int voice, bool paused) {
    Voice& v = voices_[voice];
    Advance(v);
    v.paused = paused;
}

void ClockDriver::Update(int voice, const VoiceParams& params) {
    Voice& v = voices_[voice];
    Advance(v);  // time so far counts at the old rate
    v.params = params;
}

bool ClockDriver::Sounding(int voice) {
    Voice& v = voices_[voice];
    if (!v.sound) return false;
    Advance(v);
    if (v.sound->loop) return true;
    // Compared in whole units (ms x frames per second against frames x 1000) so that a sound
    // at rate 1 or 2 ends on exactly the right millisecond.
    return v.played_ms * v.sound->rate < v.sound->Frames() * 1000.0;
}

std::vector<float> ClockDriver::MixAhead(int milliseconds) {
    const int frames = std::max(0, static_cast<int>(static_cast<long long>(milliseconds) * kMixRate / 1000));
    std::vector<float> out(static_cast<std::size_t>(frames) * 2, 0.0f);
    for (Voice& v : voices_) {
        if (!v.sound || v.paused || !Sounding(static_cast<int>(&v - voices_.data()))) continue;
        MixVoiceState mix;
        mix.sound = v.sound.get();
        mix.loop = v.sound->loop;
        mix.position = v.played_ms * v.sound->rate / 1000.0;
        ConfigureMixVoice(mix, v.params);
        MixVoice(mix, out.data(), frames);
    }
    return out;
}

int ClockDriver::VoicesInUse() const {
    return static_cast<int>(
        std::count_if(voices_.begin(), voices_.end(), [](const Voice& v) { return v.sound != nullptr; }));
}

}  // namespace platform::detail
