// "FreeAudio": our own software mixer on an SDL audio device at 44100 Hz stereo. SDL's audio
// thread runs the mixing callback; the main thread changes voices only while holding the
// device lock, so the callback always sees a voice whole. The callback never releases a sample:
// the main thread keeps the owning reference of every voice and drops it itself.
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
        voices_[voice] = fresh;
        SDL_UnlockAudioDevice(device_);
        held_[voice] = sound;  // the old sample is out of the callback's reach by now
    }

    void Stop(int voice) override {
        SDL_LockAudioDevice(device_);
        voices_[voice].active = false;
        voices_[voice].mix.sound = nullptr;
        SDL_UnlockAudioDevice(device_);
        held_[voice].reset();
    }

    void Pause(int voice, bool paused) override {
        SDL_LockAudioDevice(device_);
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

    static void Callback(void* userdata, Uint8* stream, int length) {
        static_cast<FreeAudioDriver*>(userdata)->Mix(reinterpret_cast<std::int16_t*>(stream),
                                                     length / static_cast<int>(2 * sizeof(std::int16_t)));
    }

    // Runs on SDL's audio thread with the device lock held.
    void Mix(std::int16_t* out, int frames) {
        mix_.assign(static_cast<std::size_t>(frames) * 2, 0.0f);
        for (Voice& voice : voices_) {
            if (!voice.active || voice.paused || voice.finished) continue;
            if (!MixVoice(voice.mix, mix_.data(), frames)) voice.finished = true;
        }
        for (std::size_t i = 0; i < mix_.size(); ++i) {
            // Many loud voices can add up past full scale; clip rather than wrap.
            out[i] = static_cast<std::int16_t>(std::clamp(mix_[i], -1.0f, 1.0f) * 32767.0f);
        }
    }

    SDL_AudioDeviceID device_ = 0;
    std::array<Voice, kMaxVoices> voices_{};
    std::array<Sound, kMaxVoices> held_{};  // main thread only
    std::vector<float> mix_;                // audio thread only
};

}  // namespace

std::unique_ptr<AudioDriver> OpenFreeAudio() {
    auto driver = std::make_unique<FreeAudioDriver>();
    if (!driver->Open()) return nullptr;
    return driver;
}

}  // namespace platform::detail
