// "FreeAudio": our own software mixer on an SDL audio device at 44100 Hz stereo. SDL's audio
// thread runs the mixing callback; the main thread changes voices only while holding the
// device lock, so the callback always sees a voice whole. The callback never releases a sample:
// the main thread keeps the owning reference of every voice and drops it itself.
//
// A voice set playing starts as far into the next callback's buffer as the time since the last
// callback: every sound comes one buffer late, but sounds started 62 ms apart are heard 62 ms
// apart instead of being gathered onto the 23 ms buffer boundaries. A voice stopped or replaced
// goes on for the same delay as a tail, so a note cut by the next one ends where that one
// begins instead of leaving a gap.
#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "platform/audio_driver.h"

namespace platform::detail {
namespace {

constexpr int kBufferFrames = 1024;  // about 23 ms a callback

class FreeAudioDriver final : public AudioDriver {
  public:
    // Opens the device and starts the callback; false (nothing left open) on failure.
    bool Open() {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        SDL_AudioSpec want{};
        want.freq = kMixRate;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = kBufferFrames;
        want.callback = &FreeAudioDriver::Callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        // No format changes allowed: SDL converts for us if the hardware wants something else.
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_ == 0) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        // The callback's scratch buffer is sized now so the audio thread never allocates.
        mix_.reserve(static_cast<std::size_t>(have.samples) * 2);
        buffer_frames_ = have.samples;
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    ~FreeAudioDriver() override {
        if (device_ != 0) {
            SDL_CloseAudioDevice(device_);  // waits for the callback to return
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    }

    bool Silent() const override { return false; }
    int VoiceCount() const override { return kMaxVoices; }

    void Start(int voice, const Sound& sound, const VoiceParams& params, bool paused) override {
        Voice fresh;
        fresh.mix.sound = sound.get();
        fresh.mix.loop = sound->loop;
        ConfigureMixVoice(fresh.mix, params);
        fresh.active = true;
        fresh.paused = paused;
        SDL_LockAudioDevice(device_);
        const int delay = DelayUntilNow();
        KeepAsTail(voice, delay);
        if (!paused) fresh.mix.delay_frames = delay;
        voices_[voice] = fresh;
        SDL_UnlockAudioDevice(device_);
        held_[voice] = sound;  // the old sample is out of the callback's reach, or kept by its tail
    }

    void Stop(int voice) override {
        SDL_LockAudioDevice(device_);
        KeepAsTail(voice, DelayUntilNow());
        voices_[voice].active = false;
        voices_[voice].mix.sound = nullptr;
        SDL_UnlockAudioDevice(device_);
        held_[voice].reset();
    }

    void Pause(int voice, bool paused) override {
        SDL_LockAudioDevice(device_);
        if (voices_[voice].paused && !paused) voices_[voice].mix.delay_frames = DelayUntilNow();
        voices_[voice].paused = paused;
        SDL_UnlockAudioDevice(device_);
    }

    void Update(int voice, const VoiceParams& params) override {
        SDL_LockAudioDevice(device_);
        if (voices_[voice].mix.sound) ConfigureMixVoice(voices_[voice].mix, params);
        SDL_UnlockAudioDevice(device_);
    }

    bool Sounding(int voice) override {
        SDL_LockAudioDevice(device_);
        const bool sounding = voices_[voice].active && !voices_[voice].finished;
        SDL_UnlockAudioDevice(device_);
        return sounding;
    }

  private:
    struct Voice {
        MixVoiceState mix;
        bool active = false;
        bool paused = false;
        bool finished = false;  // set by the callback when a one-shot ran out
    };
    // The last frames of a stopped voice, played at the start of the next buffer.
    struct Tail {
        MixVoiceState mix;
        int frames = 0;  // 0: the slot is free
    };
    static constexpr int kMaxTails = 64;

    // Moves a sounding voice into a free tail slot to play `frames` more output frames; with no
    // slot free it simply stops at once. Called with the device lock held.
    void KeepAsTail(int voice, int frames) {
        const Voice& v = voices_[voice];
        if (frames <= 0 || !v.active || v.paused || v.finished || !v.mix.sound) return;
        for (int t = 0; t < kMaxTails; ++t) {
            if (tails_[t].frames > 0) continue;
            tails_[t] = {v.mix, frames};
            tail_held_[t] = held_[voice];  // a slot the callback has let go of: the old sample can go
            return;
        }
    }

    static void Callback(void* userdata, Uint8* stream, int length) {
        static_cast<FreeAudioDriver*>(userdata)->Mix(reinterpret_cast<std::int16_t*>(stream),
                                                     length / static_cast<int>(2 * sizeof(std::int16_t)));
    }

    // Frames from the start of the last callback to now, where a voice set playing now starts
    // in the next buffer. Called with the device lock held.
    int DelayUntilNow() const {
        if (last_callback_ == 0) return 0;
        return FramesBetween(last_callback_, SDL_GetPerformanceCounter(), SDL_GetPerformanceFrequency(),
                             buffer_frames_ - 1);
    }

    // Runs on SDL's audio thread with the device lock held.
    void Mix(std::int16_t* out, int frames) {
        last_callback_ = SDL_GetPerformanceCounter();
        mix_.assign(static_cast<std::size_t>(frames) * 2, 0.0f);
        for (Voice& voice : voices_) {
            if (!voice.active || voice.paused || voice.finished) continue;
            if (!MixVoice(voice.mix, mix_.data(), frames)) voice.finished = true;
        }
        for (Tail& tail : tails_) {
            if (tail.frames == 0) continue;
            MixVoice(tail.mix, mix_.data(), std::min(tail.frames, frames));
            tail.frames = 0;  // a tail is shorter than a buffer
        }
        for (std::size_t i = 0; i < mix_.size(); ++i) {
            // Many loud voices can add up past full scale; clip rather than wrap.
            out[i] = static_cast<std::int16_t>(std::clamp(mix_[i], -1.0f, 1.0f) * 32767.0f);
        }
    }

    SDL_AudioDeviceID device_ = 0;
    int buffer_frames_ = kBufferFrames;
    std::uint64_t last_callback_ = 0;  // performance counter at the last callback's start
    std::array<Voice, kMaxVoices> voices_{};
    std::array<Sound, kMaxVoices> held_{};  // main thread only
    std::array<Tail, kMaxTails> tails_{};
    std::array<Sound, kMaxTails> tail_held_{};  // main thread only: the samples of the tails
    std::vector<float> mix_;                // audio thread only
};

}  // namespace

std::unique_ptr<AudioDriver> OpenFreeAudio() {
    auto driver = std::make_unique<FreeAudioDriver>();
    if (!driver->Open()) return nullptr;
    return driver;
}

}  // namespace platform::detail
