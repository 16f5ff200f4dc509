// Sound loading, channel timing and mixing on the null mixer and the manual clock, the driver
// list, the silent mode of the real drivers, and the FreeAudio mixer on SDL's dummy device.
#include "platform/audio.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/headless/manual_clock.h"
#include "platform/headless/null_mixer.h"
#include "platform/sound_decode.h"
#include "platform/system.h"

namespace {

namespace fs = std::filesystem;
namespace hl = platform::headless;
using namespace platform;

// ---- test files ---------------------------------------------------------------------------------

struct WavSpec {
    int tag = 1;  // 1 integer PCM, 3 float
    int bits = 16;
    int channels = 1;
    int rate = 44100;
    bool extensible = false;
};

void PutLE(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutChunk(std::vector<std::uint8_t>& out, const char* id, const std::vector<std::uint8_t>& body) {
    out.insert(out.end(), id, id + 4);
    PutLE(out, body.size(), 4);
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2) out.push_back(0);
}

// A WAV image of the interleaved samples (-1 .. 1), with an optional odd-sized chunk before the data.
std::vector<std::uint8_t> WavBytes(const WavSpec& format, const std::vector<double>& samples,
                                   bool extra_chunk = false) {
    std::vector<std::uint8_t> fmt;
    PutLE(fmt, format.extensible ? 0xFFFE : format.tag, 2);
    PutLE(fmt, format.channels, 2);
    PutLE(fmt, format.rate, 4);
    PutLE(fmt, format.rate * format.channels * format.bits / 8, 4);
    PutLE(fmt, format.channels * format.bits / 8, 2);
    PutLE(fmt, format.bits, 2);
    if (format.extensible) {
        PutLE(fmt, 22, 2);
        PutLE(fmt, format.bits, 2);
        PutLE(fmt, 0, 4);
        PutLE(fmt, format.tag, 2);  // first two bytes of the sub-format GUID
        for (int i = 0; i < 14; ++i) fmt.push_back(0);
    }
    std::vector<std::uint8_t> data;
    for (double x : samples) {
        if (format.tag == 3) {
            const float f = static_cast<float>(x);
            std::uint32_t bits;
            std::memcpy(&bits, &f, 4);
            PutLE(data, bits, 4);
        } else if (format.bits == 8) {
            data.push_back(static_cast<std::uint8_t>(std::lround(x * 127) + 128));
        } else {
            const double full = std::ldexp(1.0, format.bits - 1) - 1;
            PutLE(data, static_cast<std::uint64_t>(std::llround(x * full)), format.bits / 8);
        }
    }
    std::vector<std::uint8_t> body = {'W', 'A', 'V', 'E'};
    PutChunk(body, "fmt ", fmt);
    if (extra_chunk) PutChunk(body, "LIST", {'a', 'b', 'c'});
    PutChunk(body, "data", data);
    std::vector<std::uint8_t> file = {'R', 'I', 'F', 'F'};
    PutLE(file, body.size(), 4);
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

// `seconds` of a sine of `hz` at `amplitude`, mono.
std::vector<double> Sine(double hz, double seconds, int rate, double amplitude = 0.8) {
    std::vector<double> out(static_cast<std::size_t>(seconds * rate));
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = amplitude * std::sin(2 * M_PI * hz * i / rate);
    return out;
}

class AudioFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vantor_audio_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path;
    }
    std::string WriteWav(const std::string& name, const WavSpec& format, const std::vector<double>& samples) {
        return Write(name, WavBytes(format, samples));
    }
    // An Ogg Vorbis file made by sox from a WAV; empty when sox cannot make one.
    std::string WriteOgg(const std::string& name, const WavSpec& format, const std::vector<double>& samples) {
        const std::string wav = WriteWav(name + ".wav", format, samples);
        const std::string ogg = (dir_ / name).string();
        const std::string command = "sox '" + wav + "' '" + ogg + "' 2>/dev/null";
        if (std::system(command.c_str()) != 0 || !fs::exists(ogg)) return "";
        return ogg;
    }

    fs::path dir_;
};

// ---- loading --------------------------------------------------------------------------------

TEST_F(AudioFiles, EveryWavSampleFormatDecodesToTheSameSignal) {
    const std::vector<double> ramp = {0.0, 0.25, -0.25, 0.5, -0.5, 0.9, -0.9, 0.1};
    const WavSpec formats[] = {
        {1, 8}, {1, 16}, {1, 24}, {1, 32}, {3, 32}, {1, 24, 1, 44100, true}, {3, 32, 1, 44100, true}};
    for (const WavSpec& format : formats) {
        const Sound sound = LoadSound(WriteWav("f.wav", format, ramp));
        ASSERT_TRUE(sound) << "tag " << format.tag << " bits " << format.bits;
        ASSERT_EQ(sound->Frames(), 8);
        EXPECT_EQ(sound->channels, 1);
        EXPECT_EQ(sound->rate, 44100);
        const int tolerance = format.bits == 8 ? 400 : 2;  // 8-bit steps are 256 apart
        for (int i = 0; i < 8; ++i) {
            EXPECT_NEAR(sound->samples[i], ramp[i] * 32767, tolerance)
                << "bits " << format.bits << " frame " << i;
        }
    }
}

TEST_F(AudioFiles, StereoRateLengthLoopFlagAndExtraChunks) {
    std::vector<double> stereo;
    for (int i = 0; i < 11025; ++i) stereo.insert(stereo.end(), {0.5, -0.25});
    const std::string path = Write("s.wav", WavBytes({1, 16, 2, 22050}, stereo, /*extra_chunk=*/true));
    const Sound once = LoadSound(path);
    ASSERT_TRUE(once);
    EXPECT_EQ(once->channels, 2);
    EXPECT_EQ(once->rate, 22050);
    EXPECT_EQ(once->Frames(), 11025);
    EXPECT_EQ(SoundLength(once), 500);
    EXPECT_NEAR(once->samples[0], 16384, 2);
    EXPECT_NEAR(once->samples[1], -8192, 2);
    EXPECT_FALSE(once->loop);
    EXPECT_TRUE(LoadSound(path, LoopSound)->loop);
    EXPECT_EQ(SoundLength(nullptr), 0);
}

TEST_F(AudioFiles, OggVorbisDecodesAtTheFileRate) {
    const std::string path = WriteOgg("tone.ogg", {1, 16, 1, 22050}, Sine(440, 1.0, 22050));
    if (path.empty()) GTEST_SKIP() << "sox cannot write Ogg Vorbis here";
    const Sound sound = LoadSound(path, LoopSound);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->rate, 22050);
    EXPECT_EQ(sound->channels, 1);
    EXPECT_NEAR(SoundLength(sound), 1000, 5);
    EXPECT_TRUE(sound->loop);
    double peak = 0;
    for (std::int16_t s : sound->samples) peak = std::max(peak, std::abs(s / 32768.0));
    EXPECT_NEAR(peak, 0.8, 0.1);

    // A cut-off Ogg file is not a sound.
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_FALSE(LoadSound(Write("cut.ogg", std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 60))));
}

TEST_F(AudioFiles, MissingCorruptAndTruncatedFilesGiveEmptyHandles) {
    EXPECT_FALSE(LoadSound((dir_ / "absent.wav").string()));
    EXPECT_FALSE(LoadSound(dir_.string()));  // a folder
    EXPECT_FALSE(LoadSound(Write("empty.wav", {})));
    EXPECT_FALSE(LoadSound(Write("text.wav", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!'})));
    EXPECT_FALSE(LoadSound(Write("fake.ogg", {'O', 'g', 'g', 'S', 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3})));

    // Every cut inside the headers.
    const std::vector<std::uint8_t> good = WavBytes({}, Sine(440, 0.01, 44100));
    ASSERT_TRUE(LoadSound(Write("good.wav", good)));
    for (std::size_t length = 0; length <= 44; ++length) {
        EXPECT_FALSE(
            LoadSound(Write("cut.wav", std::vector<std::uint8_t>(good.begin(), good.begin() + length))))
            << "cut at " << length;
    }
    // Formats we do not decode, and inconsistent headers.
    const std::vector<double> tone = Sine(440, 0.01, 44100);
    EXPECT_FALSE(LoadSound(WriteWav("12bit.wav", {1, 12}, tone)));
    EXPECT_FALSE(LoadSound(WriteWav("float64.wav", {3, 64}, tone)));
    EXPECT_FALSE(LoadSound(WriteWav("adpcm.wav", {2, 16}, tone)));
    EXPECT_FALSE(LoadSound(WriteWav("3ch.wav", {1, 16, 3}, {0.1, 0.2, 0.3})));
    EXPECT_FALSE(LoadSound(WriteWav("rate0.wav", {1, 16, 1, 0}, tone)));
    std::vector<std::uint8_t> bad_align = good;
    bad_align[32] = 7;  // block align
    EXPECT_FALSE(LoadSound(Write("align.wav", bad_align)));
    std::vector<std::uint8_t> huge_fmt = good;
    huge_fmt[16] = 0xFF, huge_fmt[17] = 0xFF, huge_fmt[18] = 0xFF,
    huge_fmt[19] = 0x7F;  // fmt size past the end
    EXPECT_FALSE(LoadSound(Write("hugefmt.wav", huge_fmt)));
    std::vector<std::uint8_t> no_fmt = good;
    std::memcpy(no_fmt.data() + 12, "junk", 4);  // data with no format before it
    EXPECT_FALSE(LoadSound(Write("nofmt.wav", no_fmt)));
}

TEST_F(AudioFiles, DataCutShortKeepsTheWholeFramesPresent) {
    std::vector<std::uint8_t> bytes = WavBytes({1, 16, 2}, std::vector<double>(2000, 0.5));
    bytes.resize(bytes.size() - 1000 - 3);  // 1000 frames stated, 749 whole ones left
    const Sound sound = LoadSound(Write("short.wav", bytes));
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->Frames(), 749);
}

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// ---- channels on the null mixer and the manual clock ------------------------------------------

class NullAudio : public AudioFiles {
  protected:
    void SetUp() override {
        AudioFiles::SetUp();
        hl::UseManualClock(1000);
        hl::UseNullAudio();
    }
    void TearDown() override {
        hl::UseRealAudio();
        hl::UseRealClock();
        AudioFiles::TearDown();
    }
    // A one-second mono sound at 44100 Hz.
    Sound Tone(double hz = 441, int flags = 0, double amplitude = 0.8) {
        return LoadSound(WriteWav("tone.wav", {}, Sine(hz, 1.0, 44100, amplitude)), flags);
    }
};

double Rms(const std::vector<float>& mix, int side) {
    double sum = 0;
    for (std::size_t i = side; i < mix.size(); i += 2) sum += mix[i] * mix[i];
    return std::sqrt(sum / (mix.size() / 2));
}

int ZeroCrossings(const std::vector<float>& mix) {
    int count = 0;
    for (std::size_t i = 2; i < mix.size(); i += 2) count += (mix[i - 2] < 0) != (mix[i] < 0);
    return count;
}

TEST_F(NullAudio, EmptyHandlesAndBadChannelsDoNothing) {
    EXPECT_EQ(PlaySound(nullptr), 0);
    const Channel channel = AllocChannel();
    EXPECT_GT(channel, 0);
    EXPECT_EQ(CueSound(nullptr, channel), 0);
    EXPECT_FALSE(ChannelPlaying(channel));
    const Sound tone = Tone();
    for (Channel bad : {-1, -1000, channel + 100000}) {
        EXPECT_EQ(PlaySound(tone, bad), 0);
        StopChannel(bad);
        SetPaused(bad, false);
        SetVolume(bad, 0.5f);
        SetPan(bad, 1);
        SetDepth(bad, 1);
        SetRate(bad, 2);
        EXPECT_FALSE(ChannelPlaying(bad));
        EXPECT_FALSE(ChannelPaused(bad));
    }
    EXPECT_EQ(hl::NullVoicesInUse(), 0);
}

TEST_F(NullAudio, TwoHundredSixtyChannelsPlayAtOnceAndVoicesAreReused) {
    const Sound tone = Tone();
    std::vector<Channel> channels;
    for (int i = 0; i < 260; ++i) channels.push_back(PlaySound(tone));
    for (Channel c : channels) EXPECT_TRUE(ChannelPlaying(c));
    EXPECT_EQ(std::set<Channel>(channels.begin(), channels.end()).size(), 260u);
    EXPECT_EQ(hl::NullVoicesInUse(), 260);

    // Fill every voice; the next request finds none until some sound ends.
    const Sound endless = Tone(441, LoopSound);
    while (hl::NullVoicesInUse() < 512) ASSERT_NE(PlaySound(endless), 0);
    EXPECT_EQ(PlaySound(endless), 0);
    hl::AdvanceClock(1000);  // the 260 one-shots end
    EXPECT_NE(PlaySound(endless), 0);
    EXPECT_EQ(hl::NullVoicesInUse(), 512 - 260 + 1);
}

TEST_F(NullAudio, ChannelPlaysForItsLengthDividedByItsRate) {
    const Sound tone = Tone();
    const Channel normal = PlaySound(tone);
    const Channel fast = CueSound(tone);
    SetRate(fast, 2);
    SetPaused(fast, false);
    const Channel slow = CueSound(tone);
    SetRate(slow, 0.5f);
    SetPaused(slow, false);
    const Channel changed = PlaySound(tone);

    hl::AdvanceClock(250);
    SetRate(changed, 2);  // 250 ms of sound left, played in 375 ms
    hl::AdvanceClock(249);
    EXPECT_TRUE(ChannelPlaying(fast));
    hl::AdvanceClock(1);
    EXPECT_FALSE(ChannelPlaying(fast));
    hl::AdvanceClock(124);
    EXPECT_TRUE(ChannelPlaying(changed));
    hl::AdvanceClock(1);
    EXPECT_FALSE(ChannelPlaying(changed));
    hl::AdvanceClock(374);
    EXPECT_TRUE(ChannelPlaying(normal));
    hl::AdvanceClock(1);
    EXPECT_FALSE(ChannelPlaying(normal));
    EXPECT_TRUE(ChannelPlaying(slow));
    hl::AdvanceClock(999);
    EXPECT_TRUE(ChannelPlaying(slow));
    hl::AdvanceClock(1);
    EXPECT_FALSE(ChannelPlaying(slow));
}

TEST_F(NullAudio, LoopingPlaysUntilStoppedAndStopSilences) {
    const Channel loop = PlaySound(Tone(441, LoopSound));
    hl::AdvanceClock(10500);
    EXPECT_TRUE(ChannelPlaying(loop));
    EXPECT_GT(Rms(hl::MixFor(50), 0), 0.1);
    StopChannel(loop);
    EXPECT_FALSE(ChannelPlaying(loop));
    EXPECT_EQ(Rms(hl::MixFor(50), 0), 0);
    EXPECT_EQ(hl::NullVoicesInUse(), 0);
}

TEST_F(NullAudio, CuedAndPausedChannelsHoldTheirPlace) {
    const Sound tone = Tone();
    const Channel cued = CueSound(tone);
    ASSERT_NE(cued, 0);
    EXPECT_TRUE(ChannelPlaying(cued));
    EXPECT_TRUE(ChannelPaused(cued));
    hl::AdvanceClock(5000);
    EXPECT_TRUE(ChannelPlaying(cued));
    EXPECT_EQ(Rms(hl::MixFor(20), 0), 0);  // cued means silent
    SetPaused(cued, false);
    EXPECT_FALSE(ChannelPaused(cued));
    EXPECT_GT(Rms(hl::MixFor(20), 0), 0.1);

    hl::AdvanceClock(400);
    SetPaused(cued, true);
    hl::AdvanceClock(3000);
    SetPaused(cued, false);
    hl::AdvanceClock(599);
    EXPECT_TRUE(ChannelPlaying(cued));
    hl::AdvanceClock(1);
    EXPECT_FALSE(ChannelPlaying(cued));
    EXPECT_FALSE(ChannelPaused(cued));
}

TEST_F(NullAudio, OldChannelNumbersNeverReachNewerSounds) {
    const Sound tone = Tone();
    const Channel old_channel = PlaySound(tone);
    hl::AdvanceClock(1000);
    ASSERT_FALSE(ChannelPlaying(old_channel));
    const Channel newer = PlaySound(tone);
    EXPECT_NE(newer, old_channel);
    StopChannel(old_channel);
    SetPaused(old_channel, true);
    EXPECT_TRUE(ChannelPlaying(newer));
    EXPECT_FALSE(ChannelPaused(newer));
    // A finished channel can be played again, keeping its parameters.
    SetVolume(old_channel, 0.25f);
    EXPECT_EQ(PlaySound(tone, old_channel), old_channel);
    SetVolume(newer, 0.5f);
    EXPECT_TRUE(ChannelPlaying(old_channel));
    // Both sound: 0.25 + 0.5 of the same sine from the same place.
    EXPECT_NEAR(Rms(hl::MixFor(100), 0), 0.75 * 0.8 / std::sqrt(2.0) / std::sqrt(2.0), 0.01);
}

TEST_F(NullAudio, PlayingOnABusyChannelRestartsItsSound) {
    const Sound tone = Tone();
    const Channel channel = PlaySound(tone);
    hl::AdvanceClock(600);
    EXPECT_EQ(PlaySound(tone, channel), channel);
    hl::AdvanceClock(999);
    EXPECT_TRUE(ChannelPlaying(channel));
    hl::AdvanceClock(1);
    EXPECT_FALSE(ChannelPlaying(channel));
    EXPECT_EQ(hl::NullVoicesInUse(), 0);
}

TEST_F(NullAudio, ManyThousandChannelsStayUsable) {
    const Sound tone = Tone(441, LoopSound);
    const Channel first = AllocChannel();
    Channel last = 0;
    for (int i = 0; i < 30000; ++i) {
        last = AllocChannel();
        SetVolume(last, 0.5f);
    }
    // The oldest idle number still plays; the newest keeps the volume it was given.
    EXPECT_EQ(PlaySound(tone, first), first);
    StopChannel(first);
    EXPECT_EQ(PlaySound(tone, last), last);
    EXPECT_NEAR(Rms(hl::MixFor(100), 0), 0.5 * 0.4, 0.005);
}

TEST_F(NullAudio, ReleasedSoundsAreCountedForReclaim) {
    Reclaim();
    Sound tone = Tone();
    const Channel channel = PlaySound(tone);
    tone.reset();
    EXPECT_EQ(Reclaim(), 0);  // the playing channel still holds it
    StopChannel(channel);
    EXPECT_EQ(Reclaim(), 1);
}

TEST_F(NullAudio, MixFollowsPanVolumeAndRate) {
    const Sound tone = Tone(441, LoopSound);
    const double centred = 0.8 / std::sqrt(2.0) / std::sqrt(2.0);  // sine RMS at equal-power centre
    const Channel channel = CueSound(tone);
    SetPaused(channel, false);
    std::vector<float> mix = hl::MixFor(200);
    ASSERT_EQ(mix.size(), 2u * 8820);
    EXPECT_NEAR(Rms(mix, 0), centred, 0.005);
    EXPECT_NEAR(Rms(mix, 1), centred, 0.005);
    EXPECT_NEAR(ZeroCrossings(mix), 2 * 441 / 5, 2);

    SetPan(channel, -1);
    mix = hl::MixFor(200);
    EXPECT_NEAR(Rms(mix, 0), 0.8 / std::sqrt(2.0), 0.005);
    EXPECT_LT(Rms(mix, 1), 0.001);
    SetPan(channel, 0.5f);
    mix = hl::MixFor(200);
    EXPECT_GT(Rms(mix, 1), 2 * Rms(mix, 0));

    SetPan(channel, 0);
    SetVolume(channel, 0.5f);
    EXPECT_NEAR(Rms(hl::MixFor(200), 0), centred / 2, 0.005);
    SetVolume(channel, 0);
    EXPECT_EQ(Rms(hl::MixFor(200), 0), 0);
    SetVolume(channel, 1);

    SetRate(channel, 2);
    EXPECT_NEAR(ZeroCrossings(hl::MixFor(200)), 4 * 441 / 5, 3);
}

TEST_F(NullAudio, StereoSamplesBalanceAndMixStartsWhereTheClockIs) {
    // Left channel 0.5, right -0.5 for the first half second, both 0.25 for the second.
    std::vector<double> samples;
    for (int i = 0; i < 44100; ++i) {
        if (i < 22050)
            samples.insert(samples.end(), {0.5, -0.5});
        else
            samples.insert(samples.end(), {0.25, 0.25});
    }
    const Channel channel = PlaySound(LoadSound(WriteWav("st.wav", {1, 16, 2}, samples)));
    std::vector<float> mix = hl::MixFor(10);
    EXPECT_NEAR(mix[0], 0.5, 0.001);
    EXPECT_NEAR(mix[1], -0.5, 0.001);
    SetPan(channel, -1);
    mix = hl::MixFor(10);
    EXPECT_NEAR(mix[0], 0.5, 0.001);
    EXPECT_EQ(mix[1], 0);

    hl::AdvanceClock(600);
    SetPan(channel, 0);
    mix = hl::MixFor(500);
    EXPECT_NEAR(mix[0], 0.25, 0.001);
    EXPECT_NEAR(mix[1], 0.25, 0.001);
    // The one-shot runs out 400 ms into the mix and is silent after.
    EXPECT_NEAR(mix[2 * 17000], 0.25, 0.001);
    EXPECT_EQ(mix[2 * 18000], 0);
}

// ---- drivers ------------------------------------------------------------------------------------

TEST_F(NullAudio, DriverListAndSelection) {
    const std::vector<std::string> names = AudioDriverNames();
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(names[0], "FreeAudio");
    EXPECT_EQ(names[1], "OpenAL");
    for (std::size_t i = 2; i < names.size(); ++i) EXPECT_EQ(names[i].rfind("OpenAL ", 0), 0u) << names[i];
    EXPECT_TRUE(AudioDriverExists("FREEAUDIO"));
    EXPECT_TRUE(AudioDriverExists("openal"));
    EXPECT_FALSE(AudioDriverExists("DirectSound"));

    // The null mixer stays in place; only the reported name changes, and channels stop.
    const Channel channel = PlaySound(Tone(441, LoopSound));
    EXPECT_TRUE(SetAudioDriver("openal"));
    EXPECT_EQ(CurrentAudioDriver(), "OpenAL");
    EXPECT_TRUE(AudioOutputIsSilent());
    EXPECT_FALSE(ChannelPlaying(channel));
    EXPECT_FALSE(SetAudioDriver("DirectSound"));
    EXPECT_EQ(CurrentAudioDriver(), "OpenAL");
    EXPECT_TRUE(SetAudioDriver("FreeAudio"));

    hl::SetNullAudioDriverNames({"FreeAudio", "FreeAudio Multimedia", "DirectSound", "OpenAL Generic"});
    hl::SetNullOpenALUsable(1);
    EXPECT_EQ(AudioDriverNames().size(), 4u);
    EXPECT_TRUE(SetAudioDriver("directsound"));
    EXPECT_EQ(CurrentAudioDriver(), "DirectSound");
    EXPECT_TRUE(OpenALUsable());
    hl::SetNullOpenALUsable(0);
    EXPECT_FALSE(OpenALUsable());
    hl::UseRealAudio();
    EXPECT_EQ(AudioDriverNames(), names);
    EXPECT_EQ(CurrentAudioDriver(), "FreeAudio");  // the test-only name is gone with the test driver
}

// With no device the real drivers keep working silently, timed on the clock like the null mixer.
TEST_F(NullAudio, RealDriversWithoutADeviceRunSilently) {
    hl::UseRealAudio();
    const ScopedEnv no_sdl_device("SDL_AUDIODRIVER", "no-such-driver");
    ASSERT_TRUE(SetAudioDriver("OpenAL"));
    ASSERT_TRUE(SetAudioDriver("FreeAudio"));  // reopens, and finds no SDL device
    EXPECT_EQ(CurrentAudioDriver(), "FreeAudio");
    EXPECT_TRUE(AudioOutputIsSilent());
    const Channel channel = PlaySound(Tone());
    hl::AdvanceClock(999);
    EXPECT_TRUE(ChannelPlaying(channel));
    hl::AdvanceClock(1);
    EXPECT_FALSE(ChannelPlaying(channel));

    if (!OpenALUsable()) {
        ASSERT_TRUE(SetAudioDriver("OpenAL"));
        EXPECT_TRUE(AudioOutputIsSilent());
        const Channel cued = CueSound(Tone());
        hl::AdvanceClock(2000);
        EXPECT_TRUE(ChannelPaused(cued));
    }
}

// On a driver with a real device: 260 looping channels sound together, and a 100 ms one-shot
// ends after about its length of real time.
void CheckRealDevicePlayback(const Sound& endless, const Sound& short_tone) {
    ASSERT_FALSE(AudioOutputIsSilent());
    std::vector<Channel> channels;
    for (int i = 0; i < 260; ++i) channels.push_back(PlaySound(endless));
    for (Channel c : channels) ASSERT_NE(c, 0);
    const Channel once = PlaySound(short_tone);
    const auto start = std::chrono::steady_clock::now();
    while (ChannelPlaying(once) && std::chrono::steady_clock::now() - start < std::chrono::seconds(3)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(ChannelPlaying(once));
    EXPECT_GE(took, std::chrono::milliseconds(60));  // devices consume samples at real time
    for (Channel c : channels) EXPECT_TRUE(ChannelPlaying(c));
    for (Channel c : channels) StopChannel(c);
    EXPECT_FALSE(ChannelPlaying(channels[0]));
}

TEST_F(NullAudio, FreeAudioMixesOnSdlsDummyDevice) {
    hl::UseRealAudio();
    hl::UseRealClock();
    {
        const ScopedEnv dummy_device("SDL_AUDIODRIVER", "dummy");
        ASSERT_TRUE(SetAudioDriver("OpenAL"));
        ASSERT_TRUE(SetAudioDriver("FreeAudio"));
    }
    CheckRealDevicePlayback(Tone(441, LoopSound),
                            LoadSound(WriteWav("short.wav", {}, Sine(441, 0.1, 44100))));
    hl::UseRealAudio();
}

// FreeAudio on SDL's disk device, which writes what it is given at the pace of a sound card.
class FreeAudioOnDisk : public NullAudio {
  protected:
    void SetUp() override {
        NullAudio::SetUp();
        hl::UseRealAudio();
        hl::UseRealClock();
        OpenDiskDevice();
    }
    void OpenDiskDevice() {
        output_ = (dir_ / "device.raw").string();
        const ScopedEnv disk("SDL_AUDIODRIVER", "disk");
        const ScopedEnv file("SDL_DISKAUDIOFILE", output_.c_str());
        ASSERT_TRUE(SetAudioDriver("OpenAL"));
        ASSERT_TRUE(SetAudioDriver("FreeAudio"));
        ASSERT_FALSE(AudioOutputIsSilent());
    }
    // Closes the device and reads back the left side of what it played.
    std::vector<int> PlayedLeft() {
        SetAudioDriver("OpenAL");
        std::ifstream in(output_, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<int> left;
        for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
            std::int16_t v;
            std::memcpy(&v, &bytes[i], 2);
            left.push_back(v);
        }
        return left;
    }
    // Plays twelve clicks at irregular moments on a freshly opened device and returns the median
    // difference, in milliseconds, between how far apart they were started and how far apart
    // they were heard.
    double MedianSpacingErrorMs(const Sound& click) {
        std::vector<double> started;
        const auto origin = std::chrono::steady_clock::now();
        for (int i = 0; i < 12; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50 + 7 * (i % 4)));  // off any buffer rhythm
            PlaySound(click);
            started.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - origin).count());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const std::vector<int> left = PlayedLeft();
        std::vector<double> heard;  // a click's first loud frame, in seconds of output
        for (std::size_t i = 0; i < left.size(); ++i) {
            if (std::abs(left[i]) < 2000) continue;
            heard.push_back(static_cast<double>(i) / 44100);
            i += 441;  // 10 ms: past the click
        }
        EXPECT_EQ(heard.size(), started.size());
        if (heard.size() != started.size()) return 1000;
        std::vector<double> errors_ms;
        for (std::size_t i = 1; i < heard.size(); ++i) {
            errors_ms.push_back(1000 * std::fabs((heard[i] - heard[0]) - (started[i] - started[0])));
        }
        std::sort(errors_ms.begin(), errors_ms.end());
        return errors_ms[errors_ms.size() / 2];
    }
    std::string output_;
};

// Sounds started between two mixing callbacks are heard as far apart as they were started, not
// gathered onto the device's buffer boundaries.
TEST_F(FreeAudioOnDisk, SoundsKeepTheTimeBetweenTheirStarts) {
    const Sound click = LoadSound(WriteWav("click.wav", {}, Sine(2000, 0.004, 44100)));
    // The disk device paces itself with sleeps, which a busy machine stretches, so a run may try
    // three times. Gathered onto 23 ms buffers, the typical error is near 8 ms every time.
    double best = MedianSpacingErrorMs(click);
    for (int retry = 0; retry < 2 && best > 3.0; ++retry) {
        OpenDiskDevice();
        best = std::min(best, MedianSpacingErrorMs(click));
    }
    EXPECT_LE(best, 3.0);
}

// A note cut by the next one on the same channel ends where the next one begins: no silence
// between them, however far between two callbacks the change comes.
TEST_F(FreeAudioOnDisk, ANoteCutByTheNextLeavesNoGap) {
    const Sound low = LoadSound(WriteWav("low.wav", {}, Sine(300, 1.0, 44100)), LoopSound);
    const Sound high = LoadSound(WriteWav("high.wav", {}, Sine(500, 1.0, 44100)), LoopSound);
    Channel channel = PlaySound(low);
    for (int i = 0; i < 10; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(31 + 5 * (i % 3)));
        StopChannel(channel);
        channel = PlaySound(i % 2 ? low : high, channel);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    StopChannel(channel);
    const std::vector<int> left = PlayedLeft();
    const auto first = std::find_if(left.begin(), left.end(), [](int v) { return std::abs(v) > 1000; });
    ASSERT_NE(first, left.end());
    int quiet_run = 0, longest_quiet_run = 0, loud_frames = 0;
    for (auto it = first; it != left.end(); ++it) {
        quiet_run = std::abs(*it) < 300 ? quiet_run + 1 : 0;  // a sine passes zero in 2 or 3 frames
        longest_quiet_run = std::max(longest_quiet_run, quiet_run);
        loud_frames += std::abs(*it) >= 300;
        if (loud_frames > 44100 * 0.3) break;  // the ten changes are over
    }
    EXPECT_LE(longest_quiet_run, 8);
}

// Runs where OpenAL opens a device (a sound card, or ALSOFT_DRIVERS=null).
TEST_F(NullAudio, OpenALPlaysWhenItsDeviceOpens) {
    hl::UseRealAudio();
    hl::UseRealClock();
    if (!OpenALUsable()) GTEST_SKIP() << "OpenAL opens no device here";
    ASSERT_TRUE(SetAudioDriver("FreeAudio"));
    ASSERT_TRUE(SetAudioDriver("OpenAL"));
    CheckRealDevicePlayback(Tone(441, LoopSound),
                            LoadSound(WriteWav("short.wav", {}, Sine(441, 0.1, 44100))));
    hl::UseRealAudio();
}

}  // namespace
