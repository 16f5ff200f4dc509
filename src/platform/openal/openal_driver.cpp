// The OpenAL driver: one source per voice (as many as the device grants, up to kMaxVoices) and
// one buffer per sample, uploaded on the sample's first play. Sources are listener-relative;
// pan places the source on the unit circle in front of the listener (x = pan), depth moves it
// along z (positive towards the back), and rate is the source pitch. Distance attenuation is
// off, so a source's loudness is its volume alone.
#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/audio_driver.h"

namespace platform::detail {
namespace {

// OpenAL Soft grants 256 sources unless asked for more; we split our request between mono and
// stereo samples, which mostly are mono.
constexpr int kStereoSources = 64;
constexpr int kMonoSources = kMaxVoices - kStereoSources;

bool device_open = false;  // an OpenAL driver holds a device right now

// A sample's OpenAL buffer. `alive` is shared with the driver that made it and turns false when
// that driver closes its device, which frees every buffer of the device itself.
class ALBuffer final : public DeviceBuffer {
  public:
    ALBuffer(ALuint id, std::shared_ptr<bool> alive) : id(id), alive(std::move(alive)) {}
    ~ALBuffer() override {
        if (*alive) alDeleteBuffers(1, &id);
    }
    const ALuint id;
    const std::shared_ptr<bool> alive;
};

class OpenALDriver final : public AudioDriver {
  public:
    // Opens the device, a context and the sources; false (nothing left open) on failure.
    bool Open(const std::string& device_name) {
        device_ = alcOpenDevice(device_name.empty() ? nullptr : device_name.c_str());
        if (!device_) return false;
        const ALCint attributes[] = {ALC_MONO_SOURCES, kMonoSources, ALC_STEREO_SOURCES, kStereoSources, 0};
        context_ = alcCreateContext(device_, attributes);
        if (!context_ || !alcMakeContextCurrent(context_)) return false;
        alDistanceModel(AL_NONE);
        while (sources_.size() < static_cast<std::size_t>(kMaxVoices)) {
            ALuint source = 0;
            alGetError();
            alGenSources(1, &source);
            if (alGetError() != AL_NO_ERROR) break;
            alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
            sources_.push_back(source);
        }
        held_.resize(sources_.size());
        paused_.assign(sources_.size(), false);
        device_open = !sources_.empty();
        return device_open;
    }

    ~OpenALDriver() override {
        for (ALuint source : sources_) {
            alSourceStop(source);
            alSourcei(source, AL_BUFFER, 0);
        }
        if (!sources_.empty()) alDeleteSources(static_cast<ALsizei>(sources_.size()), sources_.data());
        // Buffers still owned by samples go with the device; their owners must not touch them.
        *alive_ = false;
        if (context_) {
            alcMakeContextCurrent(nullptr);
            alcDestroyContext(context_);
        }
        if (device_) alcCloseDevice(device_);
        device_open = false;
    }

    bool Silent() const override { return false; }
    int VoiceCount() const override { return static_cast<int>(sources_.size()); }

    void Start(int voice, const Sound& sound, const VoiceParams& params, bool paused) override {
        const ALuint source = sources_[voice];
        alSourceStop(source);
        alSourcei(source, AL_BUFFER, 0);
        held_[voice].reset();
        paused_[voice] = false;
        const ALuint buffer = BufferFor(sound);
        if (buffer == 0) return;  // the voice then reports itself finished
        alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
        alSourcei(source, AL_LOOPING, sound->loop ? AL_TRUE : AL_FALSE);
        Apply(source, params);
        alSourceRewind(source);
        held_[voice] = sound;
        paused_[voice] = paused;
        if (!paused) alSourcePlay(source);
    }

    void Stop(int voice) override {
        alSourceStop(sources_[voice]);
        alSourcei(sources_[voice], AL_BUFFER, 0);
        held_[voice].reset();
        paused_[voice] = false;
    }

    void Pause(int voice, bool paused) override {
        if (!held_[voice] || paused == paused_[voice]) return;
        const ALuint source = sources_[voice];
        if (!paused) {
            alSourcePlay(source);  // starts a cued source, resumes a paused one
            paused_[voice] = false;
        } else if (State(source) == AL_PLAYING) {
            alSourcePause(source);
            paused_[voice] = true;
        }
    }

    void Update(int voice, const VoiceParams& params) override { Apply(sources_[voice], params); }

    bool Sounding(int voice) override {
        if (!held_[voice]) return false;
        return paused_[voice] || State(sources_[voice]) == AL_PLAYING;
    }

  private:
    static ALint State(ALuint source) {
        ALint state = AL_STOPPED;
        alGetSourcei(source, AL_SOURCE_STATE, &state);
        return state;
    }

    static void Apply(ALuint source, const VoiceParams& params) {
        alSourcef(source, AL_GAIN, params.volume);
        alSourcef(source, AL_PITCH, params.rate);
        const float front = std::sqrt(std::max(0.0f, 1.0f - params.pan * params.pan));
        alSource3f(source, AL_POSITION, params.pan, 0.0f, params.depth - front);
    }

    // The sample's buffer on this device, uploaded now if it has none yet; 0 when upload fails.
    ALuint BufferFor(const Sound& sound) {
        if (auto* existing = dynamic_cast<ALBuffer*>(sound->device_buffer.get())) {
            if (existing->alive == alive_) return existing->id;
        }
        ALuint id = 0;
        alGetError();
        alGenBuffers(1, &id);
        if (alGetError() != AL_NO_ERROR) return 0;
        const ALenum format = sound->channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16;
        alBufferData(id, format, sound->samples.data(),
                     static_cast<ALsizei>(sound->samples.size() * sizeof(std::int16_t)), sound->rate);
        if (alGetError() != AL_NO_ERROR) {
            alDeleteBuffers(1, &id);
            return 0;
        }
        sound->device_buffer = std::make_unique<ALBuffer>(id, alive_);
        return id;
    }

    ALCdevice* device_ = nullptr;
    ALCcontext* context_ = nullptr;
    std::vector<ALuint> sources_;
    std::vector<Sound> held_;
    std::vector<bool> paused_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace

std::unique_ptr<AudioDriver> OpenOpenAL(const std::string& device) {
    auto driver = std::make_unique<OpenALDriver>();
    if (!driver->Open(device)) return nullptr;
    return driver;
}

std::vector<std::string> OpenALDeviceNames() {
    const char* list = nullptr;
    if (alcIsExtensionPresent(nullptr, "ALC_ENUMERATE_ALL_EXT")) {
        list = alcGetString(nullptr, ALC_ALL_DEVICES_SPECIFIER);
    } else if (alcIsExtensionPresent(nullptr, "ALC_ENUMERATION_EXT")) {
        list = alcGetString(nullptr, ALC_DEVICE_SPECIFIER);
    }
    // The list is a run of NUL-terminated names ended by an empty one.
    std::vector<std::string> names;
    for (const char* name = list; name && *name; name += std::strlen(name) + 1) names.emplace_back(name);
    return names;
}

bool OpenALDefaultDeviceOpens() {
    static std::optional<bool> opens;
    if (!opens) {
        if (device_open) {
            // A device of ours is open already; a second open could fail on exclusive hardware.
            opens = true;
        } else {
            ALCdevice* device = alcOpenDevice(nullptr);
            opens = device != nullptr;
            if (device) alcCloseDevice(device);
        }
    }
    return *opens;
}

}  // namespace platform::detail
