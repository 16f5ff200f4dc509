// The audio back-end interface behind the channel functions of audio.h, the software mixing
// kernel shared by the SDL mixer and the null mixer, and the clock-timed voices of the silent
// mode. Nothing outside src/platform includes this.
//
// The channel layer (audio.cpp) hands out channel numbers freely and gives a channel one of the
// driver's voices only while it has a sound; drivers work on voice numbers 0 .. VoiceCount()-1.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/sound_decode.h"

namespace platform::detail {

// The output rate of the software mixer and of the null mixer's buffers.
constexpr int kMixRate = 44100;
// The most voices any driver offers; the game needs 260 at once.
constexpr int kMaxVoices = 512;

// A voice's parameters, already clamped by the channel layer.
struct VoiceParams {
    float volume = 1;  // 0 .. 1
    float pan = 0;     // -1 left .. 1 right
    float depth = 0;   // front/back placement
    float rate = 1;    // playback-rate multiplier
};

// One output back-end. All calls come from the main thread.
class AudioDriver {
  public:
    virtual ~AudioDriver() = default;
    // True when nothing reaches an output device (voices are timed on the platform clock).
    virtual bool Silent() const = 0;
    // How many voices can sound at once.
    virtual int VoiceCount() const = 0;
    // Starts the sound from its beginning on the voice, replacing whatever it played.
    virtual void Start(int voice, const Sound& sound, const VoiceParams& params, bool paused) = 0;
    // Silences the voice and drops its reference to the sound.
    virtual void Stop(int voice) = 0;
    virtual void Pause(int voice, bool paused) = 0;
    virtual void Update(int voice, const VoiceParams& params) = 0;
    // Whether the voice still has sound to play (a paused voice counts; a looping one always does).
    virtual bool Sounding(int voice) = 0;
};

// ---- software mixing ---------------------------------------------------------------------------

// Left and right gains of a voice. Mono samples pan with an equal-power law (cos/sin of
// (pan + 1) * pi / 4): a centred sound sits 3 dB down on each side and keeps its loudness as it
// moves. Stereo samples are balanced linearly: the far side fades, the near side stays whole.
struct StereoGains {
    float left = 0;
    float right = 0;
};
StereoGains PanGains(float volume, float pan, int source_channels);

// What the mixing kernel needs of one voice.
struct MixVoiceState {
    const SoundData* sound = nullptr;
    double position = 0;  // in source frames
    double step = 1;      // source frames per output frame: rate * source rate / kMixRate
    StereoGains gains;
    bool loop = false;
    int delay_frames = 0;  // output frames of silence before the voice starts sounding
};
// Fills in step and gains for the parameters.
void ConfigureMixVoice(MixVoiceState& voice, const VoiceParams& params);
// Adds `frames` output frames of the voice to `out` (interleaved stereo, full scale 1.0) with
// linear interpolation, advancing its position; a voice still waiting out its delay starts that
// many frames into `out`. Returns false once a non-looping voice has run past its last frame.
bool MixVoice(MixVoiceState& voice, float* out, int frames);
// Output frames in the time between two readings of a counter that ticks `frequency` times a
// second, at most `limit`; 0 when `to` is not after `from`.
int FramesBetween(std::uint64_t from, std::uint64_t to, std::uint64_t frequency, int limit);

// ---- silent and null output --------------------------------------------------------------------

// Voices timed on platform::MilliSecs(): a voice sounds for its sample's length divided by its
// rate (a looping one until stopped), pausing stops its time. Used when no device opens and by
// the null mixer of the tests, which can also mix the voices' next moments into memory.
class ClockDriver : public AudioDriver {
  public:
    ClockDriver();
    bool Silent() const override { return true; }
    int VoiceCount() const override { return kMaxVoices; }
    void Start(int voice, const Sound& sound, const VoiceParams& params, bool paused) override;
    void Stop(int voice) override;
    void Pause(int voice, bool paused) override;
    void Update(int voice, const VoiceParams& params) override;
    bool Sounding(int voice) override;

    // The next `milliseconds` of output (interleaved stereo at kMixRate) of every unpaused voice,
    // mixed from where the clock has brought each one. The voices themselves do not move.
    std::vector<float> MixAhead(int milliseconds);
    // Voices holding a sound (sounding or not yet noticed to have finished).
    int VoicesInUse() const;

  private:
    struct Voice {
        Sound sound;
        VoiceParams params;
        bool paused = false;
        double played_ms = 0;  // sample time played, in milliseconds at rate 1
        int last_ms = 0;       // clock reading played_ms is brought up to
    };
    void Advance(Voice& voice);
    std::vector<Voice> voices_;
};

// ---- driver factories --------------------------------------------------------------------------

// Our software mixer on an SDL audio device; nullptr when no device opens.
std::unique_ptr<AudioDriver> OpenFreeAudio();
// An OpenAL Soft device ("" for the default one); nullptr when it does not open.
std::unique_ptr<AudioDriver> OpenOpenAL(const std::string& device);
// The OpenAL output devices the library lists (empty when it lists none).
std::vector<std::string> OpenALDeviceNames();
// Whether alcOpenDevice(NULL) succeeds (asked once per process).
bool OpenALDefaultDeviceOpens();

// Replaces the audio back-end with `driver` for tests: it stays in place across SetAudioDriver,
// which then only changes the reported name. nullptr goes back to real drivers. Every channel is
// stopped either way.
void InstallTestAudioDriver(std::unique_ptr<AudioDriver> driver);
// Driver names reported while a test driver is installed (empty: the real list).
void SetTestAudioDriverNames(const std::vector<std::string>& names);
// OpenALUsable() while a test driver is installed: -1 asks the machine, 0 false, 1 true.
void SetTestOpenALUsable(int usable);

}  // namespace platform::detail
