// The audio services: the driver list and choice, sample loading, and the channel table.
//
// Channel numbers are handed out from a counter and never reused, so a caller still holding an
// old channel can never touch a sound that someone else started later. A channel owns one of the
// driver's voices only while it has a sound; the voice goes back to the pool when the channel is
// stopped or is found to have finished. The parameters of idle channels are kept for the most
// recent ones only: a long-idle channel that is used again starts from the default parameters.
#include "platform/audio.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <unordered_map>

#include "platform/audio_driver.h"
#include "platform/sound_decode.h"

namespace platform {
namespace {

constexpr const char* kFreeAudio = "FreeAudio";
constexpr const char* kOpenAL = "OpenAL";
// Idle channels whose parameters are remembered before the oldest are forgotten.
constexpr std::size_t kRememberedChannels = 8192;

struct ChannelState {
    detail::VoiceParams params;
    int voice = -1;  // the driver voice while the channel has a sound
    bool paused = false;
};

struct AudioState {
    std::string driver_name = kFreeAudio;         // the default until SetAudioDriver is called
    std::unique_ptr<detail::AudioDriver> driver;  // opened on first use
    bool test_driver = false;
    std::vector<std::string> test_names;
    int test_openal_usable = -1;
    std::unordered_map<Channel, ChannelState> channels;
    std::vector<Channel> voice_owner;  // channel per voice, 0 when free
    std::vector<int> free_voices;
    Channel next_channel = 1;
    bool wrapped = false;  // the counter went past INT_MAX and started again

    // Closing the device at exit lets SDL and OpenAL shut their threads down cleanly.
    ~AudioState() { driver.reset(); }
};

AudioState& State() {
    static AudioState state;
    return state;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

std::unique_ptr<detail::AudioDriver> OpenNamedDriver(const std::string& name) {
    std::unique_ptr<detail::AudioDriver> driver;
    if (EqualNoCase(name, kFreeAudio)) {
        driver = detail::OpenFreeAudio();
    } else if (EqualNoCase(name, kOpenAL)) {
        driver = detail::OpenOpenAL("");
    } else if (StartsWithNoCase(name, std::string(kOpenAL) + " ")) {
        driver = detail::OpenOpenAL(name.substr(7));
    }
    // No device: keep going without sound, with channels timed on the clock.
    if (!driver) driver = std::make_unique<detail::ClockDriver>();
    return driver;
}

// Rebuilds the voice pool for the driver in place.
void ResetVoices(AudioState& s) {
    const int count = s.driver->VoiceCount();
    s.voice_owner.assign(count, 0);
    s.free_voices.clear();
    for (int v = count - 1; v >= 0; --v) s.free_voices.push_back(v);
}

detail::AudioDriver& Driver() {
    AudioState& s = State();
    if (!s.driver) {
        s.driver = OpenNamedDriver(s.driver_name);
        ResetVoices(s);
    }
    return *s.driver;
}

void ReleaseVoice(AudioState& s, ChannelState& channel) {
    if (channel.voice < 0) return;
    s.driver->Stop(channel.voice);
    s.voice_owner[channel.voice] = 0;
    s.free_voices.push_back(channel.voice);
    channel.voice = -1;
}

// Silences every channel and drops the driver; channel numbers stay valid.
void CloseDriver(AudioState& s) {
    if (!s.driver) return;
    for (auto& [number, channel] : s.channels) ReleaseVoice(s, channel);
    s.driver.reset();
    s.voice_owner.clear();
    s.free_voices.clear();
}

// Gives back the voices of channels whose sound has ended.
void CollectFinishedVoices(AudioState& s) {
    for (std::size_t v = 0; v < s.voice_owner.size(); ++v) {
        const Channel owner = s.voice_owner[v];
        if (owner == 0 || s.driver->Sounding(static_cast<int>(v))) continue;
        ReleaseVoice(s, s.channels[owner]);
    }
}

// Forgets idle channels, default ones first and then the oldest, once too many are kept.
void ForgetIdleChannels(AudioState& s) {
    if (s.channels.size() <= kRememberedChannels) return;
    std::erase_if(s.channels, [](const auto& entry) {
        const ChannelState& c = entry.second;
        return c.voice < 0 && c.params.volume == 1 && c.params.pan == 0 && c.params.depth == 0 &&
               c.params.rate == 1;
    });
    if (s.channels.size() <= kRememberedChannels / 2) return;
    std::vector<Channel> idle;
    for (const auto& [number, channel] : s.channels) {
        if (channel.voice < 0) idle.push_back(number);
    }
    std::sort(idle.begin(), idle.end());
    const std::size_t excess = s.channels.size() - kRememberedChannels / 2;
    for (std::size_t i = 0; i < std::min(excess, idle.size()); ++i) s.channels.erase(idle[i]);
}

bool Issued(const AudioState& s, Channel channel) {
    return channel > 0 && (s.wrapped || channel < s.next_channel);
}

// The channel's state, or nullptr for a number that was never handed out.
ChannelState* Find(Channel channel) {
    AudioState& s = State();
    if (!Issued(s, channel)) return nullptr;
    return &s.channels[channel];  // a forgotten idle channel comes back with default parameters
}

// The channel's state with its voice released if the sound has ended; nullptr for a bad number.
ChannelState* Refresh(Channel channel) {
    ChannelState* state = Find(channel);
    if (!state || state->voice < 0) return state;
    AudioState& s = State();
    if (!s.driver->Sounding(state->voice)) ReleaseVoice(s, *state);
    return state;
}

Channel Start(const Sound& sound, Channel channel, bool paused) {
    if (!sound || sound->Frames() == 0) return 0;
    AudioState& s = State();
    if (channel != 0 && !Issued(s, channel)) return 0;
    if (channel == 0) channel = AllocChannel();
    Driver();
    ChannelState& state = s.channels[channel];
    if (state.voice < 0) {
        if (s.free_voices.empty()) CollectFinishedVoices(s);
        if (s.free_voices.empty()) return 0;
        state.voice = s.free_voices.back();
        s.free_voices.pop_back();
        s.voice_owner[state.voice] = channel;
    }
    state.paused = paused;
    s.driver->Start(state.voice, sound, state.params, paused);
    return channel;
}

template <typename Change>
void ChangeParams(Channel channel, Change change) {
    ChannelState* state = Find(channel);
    if (!state) return;
    change(state->params);
    if (state->voice >= 0) State().driver->Update(state->voice, state->params);
}

}  // namespace

// ---- drivers -----------------------------------------------------------------------------------

std::vector<std::string> AudioDriverNames() {
    AudioState& s = State();
    if (s.test_driver && !s.test_names.empty()) return s.test_names;
    // Listing devices wakes OpenAL's back-ends, so the list is taken once.
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list = {kFreeAudio, kOpenAL};
        for (const std::string& device : detail::OpenALDeviceNames())
            list.push_back(std::string(kOpenAL) + " " + device);
        return list;
    }();
    return names;
}

bool AudioDriverExists(const std::string& name) {
    const std::vector<std::string> names = AudioDriverNames();
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& n) { return EqualNoCase(n, name); });
}

bool OpenALUsable() {
    const AudioState& s = State();
    if (s.test_driver && s.test_openal_usable >= 0) return s.test_openal_usable == 1;
    return detail::OpenALDefaultDeviceOpens();
}

bool SetAudioDriver(const std::string& name) {
    const std::vector<std::string> names = AudioDriverNames();
    const auto match =
        std::find_if(names.begin(), names.end(), [&](const std::string& n) { return EqualNoCase(n, name); });
    if (match == names.end()) return false;
    AudioState& s = State();
    if (*match == s.driver_name && s.driver) return true;
    s.driver_name = *match;
    if (s.test_driver) {
        // Tests keep their driver; only the name they see changes.
        for (auto& [number, channel] : s.channels) ReleaseVoice(s, channel);
        return true;
    }
    CloseDriver(s);
    Driver();
    return true;
}

std::string CurrentAudioDriver() {
    return State().driver_name;
}

bool AudioOutputIsSilent() {
    return Driver().Silent();
}

// ---- sounds ------------------------------------------------------------------------------------

Sound LoadSound(const std::string& path, int flags) {
    return detail::DecodeSoundFile(path, flags);
}

int SoundLength(const Sound& sound) {
    if (!sound || sound->rate <= 0) return 0;
    return static_cast<int>(static_cast<long long>(sound->Frames()) * 1000 / sound->rate);
}

// ---- channels ----------------------------------------------------------------------------------

Channel AllocChannel() {
    AudioState& s = State();
    ForgetIdleChannels(s);
    Channel channel = s.next_channel;
    // After two thousand million channels, numbers start again, skipping any still remembered.
    while (s.wrapped && s.channels.count(channel)) channel = channel == INT_MAX ? 1 : channel + 1;
    if (channel == INT_MAX) {
        s.wrapped = true;
        s.next_channel = 1;
    } else {
        s.next_channel = channel + 1;
    }
    s.channels[channel] = ChannelState{};
    return channel;
}

Channel PlaySound(const Sound& sound, Channel channel) {
    return Start(sound, channel, false);
}

Channel CueSound(const Sound& sound, Channel channel) {
    return Start(sound, channel, true);
}

void StopChannel(Channel channel) {
    ChannelState* state = Find(channel);
    if (state) ReleaseVoice(State(), *state);
}

void SetPaused(Channel channel, bool paused) {
    ChannelState* state = Refresh(channel);
    if (!state) return;
    state->paused = paused;
    if (state->voice >= 0) State().driver->Pause(state->voice, paused);
}

void SetVolume(Channel channel, float volume) {
    ChangeParams(channel, [&](detail::VoiceParams& p) { p.volume = std::clamp(volume, 0.0f, 1.0f); });
}

void SetPan(Channel channel, float pan) {
    ChangeParams(channel, [&](detail::VoiceParams& p) { p.pan = std::clamp(pan, -1.0f, 1.0f); });
}

void SetDepth(Channel channel, float depth) {
    ChangeParams(channel, [&](detail::VoiceParams& p) { p.depth = std::clamp(depth, -1.0f, 1.0f); });
}

void SetRate(Channel channel, float rate) {
    // Rates at or below zero would freeze a voice for ever; the ceiling keeps OpenAL's pitch valid.
    ChangeParams(channel, [&](detail::VoiceParams& p) { p.rate = std::clamp(rate, 1.0f / 64, 64.0f); });
}

bool ChannelPlaying(Channel channel) {
    const ChannelState* state = Refresh(channel);
    return state && state->voice >= 0;
}

bool ChannelPaused(Channel channel) {
    const ChannelState* state = Refresh(channel);
    return state && state->voice >= 0 && state->paused;
}

// ---- test back-end -----------------------------------------------------------------------------

namespace detail {

void InstallTestAudioDriver(std::unique_ptr<AudioDriver> driver) {
    AudioState& s = State();
    CloseDriver(s);
    s.test_driver = driver != nullptr;
    if (!s.test_driver) {
        s.test_names.clear();
        s.test_openal_usable = -1;
        // A name that only a test offered falls back to the default driver.
        if (!AudioDriverExists(s.driver_name)) s.driver_name = kFreeAudio;
        return;
    }
    s.driver = std::move(driver);
    ResetVoices(s);
}

void SetTestAudioDriverNames(const std::vector<std::string>& names) {
    State().test_names = names;
}

void SetTestOpenALUsable(int usable) {
    State().test_openal_usable = usable;
}

}  // namespace detail
}  // namespace platform
