// Tests of the sound synthesiser (recipes, rendering, WAV files, the sfxgen program) and of the
// generated data tree in the build folder.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "sfx/synth.h"

namespace {

namespace fs = std::filesystem;

std::uint32_t Read32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t Read16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
std::string Tag(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::string(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4);
}

std::vector<std::int16_t> RenderText(const std::string& text) {
    return sfx::Render(sfx::ParseRecipe(text));
}

// Upward zero crossings: one per period of a clean periodic wave.
int Crossings(const std::vector<std::int16_t>& s, std::size_t from, std::size_t to) {
    int count = 0;
    for (std::size_t i = from + 1; i < to && i < s.size(); ++i) count += s[i - 1] < 0 && s[i] >= 0;
    return count;
}

int Peak(const std::vector<std::int16_t>& s) {
    int peak = 0;
    for (std::int16_t v : s) peak = std::max(peak, std::abs(static_cast<int>(v)));
    return peak;
}

double MeanAbsDelta(const std::vector<std::int16_t>& s) {
    double sum = 0;
    for (std::size_t i = 1; i < s.size(); ++i) sum += std::abs(s[i] - s[i - 1]);
    return sum / static_cast<double>(s.size());
}

std::string ErrorOf(const std::string& text) {
    try {
        sfx::ParseRecipe(text);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

const char* kSine =
    "rate 22050\nlength 0.5\nvoice\n wave sine\n pitch 441\n length 0.5\n adsr 0 0 1 0\nend\n";

// ---- WAV files ------------------------------------------------------------------------------

TEST(WavFile, HeaderDescribesSixteenBitMonoPcm) {
    const std::vector<std::int16_t> samples = {0, 1000, -2, 32767, -32768};
    const auto wav = sfx::EncodeWav(samples, 44100);
    ASSERT_EQ(wav.size(), 44u + 10u);
    EXPECT_EQ(Tag(wav, 0), "RIFF");
    EXPECT_EQ(Read32(wav, 4), wav.size() - 8);
    EXPECT_EQ(Tag(wav, 8), "WAVE");
    EXPECT_EQ(Tag(wav, 12), "fmt ");
    EXPECT_EQ(Read32(wav, 16), 16u);
    EXPECT_EQ(Read16(wav, 20), 1);  // PCM
    EXPECT_EQ(Read16(wav, 22), 1);  // mono
    EXPECT_EQ(Read32(wav, 24), 44100u);
    EXPECT_EQ(Read32(wav, 28), 88200u);
    EXPECT_EQ(Read16(wav, 32), 2);
    EXPECT_EQ(Read16(wav, 34), 16);
    EXPECT_EQ(Tag(wav, 36), "data");
    EXPECT_EQ(Read32(wav, 40), 10u);
    // Samples are little-endian two's complement.
    EXPECT_EQ(static_cast<std::int16_t>(Read16(wav, 46)), 1000);
    EXPECT_EQ(static_cast<std::int16_t>(Read16(wav, 48)), -2);
    EXPECT_EQ(static_cast<std::int16_t>(Read16(wav, 52)), -32768);
}

// ---- rendering ------------------------------------------------------------------------------

TEST(Render, LengthFollowsTheRecipeOrTheVoices) {
    EXPECT_EQ(RenderText(kSine).size(), 11025u);
    // Without a length: the last voice's start + gate + release, plus 10 ms.
    const auto s = RenderText("rate 10000\nvoice\n start 0.1\n length 0.2\n adsr 0 0 1 0.3\nend\n");
    EXPECT_EQ(s.size(), 6100u);
    // An echo adds its repeats: feedback 0.1 needs 3 repeats to fall 60 dB.
    const auto e = RenderText("rate 10000\necho 0.1 0.1 0.5\nvoice\n length 0.2\n adsr 0 0 1 0\nend\n");
    EXPECT_EQ(e.size(), 6100u);
}

TEST(Render, NormalisesToThePeakWithoutClipping) {
    const std::string loud = "peak 0.5\nvoice\n wave square\n gain 4\nend\nvoice same\nend\n";
    const int peak = Peak(RenderText(loud));
    EXPECT_NEAR(peak, 0.5 * 32767, 2);
    const int full = Peak(RenderText("peak 0.99\nvoice\n wave saw\n gain 4\nend\n"));
    EXPECT_LT(full, 32767);
    EXPECT_GT(full, 32000);
}

TEST(Render, PitchArpeggioAndStartAreHeard) {
    const auto sine = RenderText(kSine);
    // 441 Hz for 0.5 s: about 220 periods.
    EXPECT_NEAR(Crossings(sine, 0, sine.size()), 220, 2);

    const auto arp = RenderText(
        "rate 22050\nlength 0.4\nvoice\n pitch 441\n arp 0 12\n arp_step 0.2\n length 0.4\n adsr 0 0 1 "
        "0\nend\n");
    EXPECT_NEAR(Crossings(arp, 0, 4410), 88, 2);      // first step: 441 Hz
    EXPECT_NEAR(Crossings(arp, 4410, 8820), 176, 2);  // second step: an octave up

    const auto late = RenderText("rate 10000\nlength 0.3\nvoice\n start 0.2\n length 0.1\nend\n");
    EXPECT_EQ(Peak(std::vector<std::int16_t>(late.begin(), late.begin() + 1990)), 0);
    EXPECT_GT(Peak(std::vector<std::int16_t>(late.begin() + 2000, late.end())), 1000);
}

TEST(Render, SlideEndsAtItsTargetPitch) {
    const auto s = RenderText(
        "rate 22050\nlength 1\nvoice\n pitch 200\n slide_to 800\n length 0.5\n adsr 0 0 1 0.5\nend\n");
    // After the gate the slide holds its target: 800 Hz over the last 0.4 s.
    EXPECT_NEAR(Crossings(s, 13230, 22050), 320, 3);
    EXPECT_LT(Crossings(s, 0, 2205), 30);
}

TEST(Render, LowPassSoftensAndSquareStaysCentred) {
    const std::string noise = "length 0.5\nvoice\n wave noise\n pitch 20000\n length 0.5\n";
    const double raw = MeanAbsDelta(RenderText(noise + "end\n"));
    const double soft = MeanAbsDelta(RenderText(noise + " lowpass 500\nend\n"));
    EXPECT_LT(soft, raw / 4);

    const auto pulse =
        RenderText("length 0.5\nvoice\n wave square\n duty 0.2\n pitch 220\n length 0.5\nend\n");
    double sum = 0;
    for (std::int16_t v : pulse) sum += v;
    EXPECT_LT(std::abs(sum / static_cast<double>(pulse.size())), 300.0);
}

TEST(Render, SameRecipeSameSamplesAndAnyChangeIsHeard) {
    const std::string base = "voice\n wave noise\n pitch 8000\n length 0.1\nend\n";
    EXPECT_EQ(RenderText(base), RenderText(base));
    EXPECT_NE(RenderText(base), RenderText("seed 2\n" + base));
    EXPECT_NE(RenderText(kSine),
              RenderText(std::string(kSine).replace(std::string(kSine).find("441"), 3, "442")));
    const auto sounds = RenderText("voice\n length 0.1\nend\n");
    const auto echoed = RenderText("echo 0.05 0.3 0.5\nvoice\n length 0.1\nend\n");
    EXPECT_GT(echoed.size(), sounds.size());
}

TEST(Render, EchoRepeatsTheSoundAfterItsDelay) {
    const auto s = RenderText(
        "rate 10000\nlength 0.4\necho 0.2 0.5 0.5\nvoice\n pitch 441\n length 0.1\n adsr 0 0 1 0\nend\n");
    auto peak_in = [&s](std::size_t from, std::size_t to) {
        return Peak(std::vector<std::int16_t>(s.begin() + static_cast<long>(from),
                                              s.begin() + static_cast<long>(to)));
    };
    const int dry = peak_in(0, 1000);
    EXPECT_LT(peak_in(1100, 1900), dry / 50);             // silence between the sound and its echo
    EXPECT_NEAR(peak_in(2000, 3000), dry / 2, dry / 20);  // the first repeat at half level
}

// ---- recipes --------------------------------------------------------------------------------

TEST(Recipe, NotesAndNumbersGivePitches) {
    EXPECT_DOUBLE_EQ(sfx::ParsePitch("A4"), 440.0);
    EXPECT_NEAR(sfx::ParsePitch("C4"), 261.626, 0.001);
    EXPECT_NEAR(sfx::ParsePitch("C#6"), 1108.731, 0.001);
    EXPECT_NEAR(sfx::ParsePitch("Eb3"), 155.563, 0.001);
    EXPECT_DOUBLE_EQ(sfx::ParsePitch("1000"), 1000.0);
    EXPECT_THROW(sfx::ParsePitch("H4"), std::runtime_error);
    EXPECT_THROW(sfx::ParsePitch("A"), std::runtime_error);
    EXPECT_THROW(sfx::ParsePitch("-5"), std::runtime_error);
}

TEST(Recipe, ReadsEverySettingAndCopiesWithSame) {
    const auto r = sfx::ParseRecipe(
        "# comment line\nrate 22050  # trailing comment\nlength 2\npeak 0.7\necho 0.1 0.4 0.2\nseed 9\n"
        "voice\n wave triangle\n start 0.25\n length 0.5\n pitch A5\n slide_to A6\n arp 0 4 7\n"
        " arp_step 0.03\n arp_loop\n duty 0.3\n vibrato 0.5 5\n lowpass 3000 500\n gain 0.8\n"
        " adsr 0.01 0.02 0.5 0.4\nend\nvoice same\n pitch 100\nend\n");
    EXPECT_EQ(r.rate, 22050);
    EXPECT_DOUBLE_EQ(r.length, 2);
    EXPECT_DOUBLE_EQ(r.peak, 0.7);
    EXPECT_DOUBLE_EQ(r.echo_feedback, 0.4);
    EXPECT_EQ(r.seed, 9u);
    ASSERT_EQ(r.voices.size(), 2u);
    const sfx::Voice& v = r.voices[0];
    EXPECT_EQ(v.wave, sfx::Wave::kTriangle);
    EXPECT_DOUBLE_EQ(v.freq, 880);
    EXPECT_DOUBLE_EQ(v.slide_to, 1760);
    EXPECT_EQ(v.arp, (std::vector<double>{0, 4, 7}));
    EXPECT_TRUE(v.arp_loop);
    EXPECT_DOUBLE_EQ(v.lowpass_to, 500);
    EXPECT_DOUBLE_EQ(v.env.release, 0.4);
    EXPECT_EQ(r.voices[1].wave, sfx::Wave::kTriangle);
    EXPECT_DOUBLE_EQ(r.voices[1].gain, 0.8);
    EXPECT_DOUBLE_EQ(r.voices[1].freq, 100);
}

TEST(Recipe, MistakesAreReportedWithTheirLine) {
    EXPECT_EQ(ErrorOf("voice\n colour red\nend\n"), "line 2: unknown voice setting 'colour'");
    EXPECT_EQ(ErrorOf("volume 3\n"), "line 1: unknown setting 'volume'");
    EXPECT_EQ(ErrorOf("voice\n gain loud\nend\n"), "line 2: 'loud' is not a number");
    EXPECT_EQ(ErrorOf("voice\n wave piano\nend\n"), "line 2: unknown wave 'piano'");
    EXPECT_EQ(ErrorOf("\n\nvoice\n length 999\nend\n"), "line 4: 'length' value 999 is outside 0.001 to 60");
    EXPECT_EQ(ErrorOf("voice\n adsr 0 0 1\nend\n"), "line 2: 'adsr' takes 4 value(s)");
    EXPECT_EQ(ErrorOf("voice\nvoice\n"), "line 2: 'voice' inside a voice block (missing 'end')");
    EXPECT_EQ(ErrorOf("end\n"), "line 1: 'end' without 'voice'");
    EXPECT_EQ(ErrorOf("voice same\n"), "line 1: 'voice same' needs an earlier voice");
    EXPECT_EQ(ErrorOf("voice\n"), "the last voice block has no 'end'");
    EXPECT_EQ(ErrorOf("rate 44100\n"), "the recipe has no voice");
    EXPECT_EQ(ErrorOf("rate 8000\nvoice\n pitch 5000\nend\n"), "voice 1: pitch above half the sample rate");
    EXPECT_NE(ErrorOf("voice\n pitch Q9\nend\n").find("line 2"), std::string::npos);
}

// ---- the sfxgen program ---------------------------------------------------------------------

class SfxgenProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sfxgen_test_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    int Run(const std::string& recipe_text) {
        std::ofstream(dir_ / "in.sfx") << recipe_text;
        const std::string cmd = std::string("'") + VANTOR_SFXGEN + "' '" + (dir_ / "in.sfx").string() +
                                "' '" + (dir_ / "out.wav").string() + "' 2>'" + (dir_ / "err.txt").string() +
                                "'";
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Errors() {
        std::ifstream in(dir_ / "err.txt");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    fs::path dir_;
};

TEST_F(SfxgenProgram, WritesTheRenderedRecipe) {
    ASSERT_EQ(Run(kSine), 0) << Errors();
    EXPECT_EQ(fs::file_size(dir_ / "out.wav"), 44u + 2u * 11025u);
}

TEST_F(SfxgenProgram, BadRecipeFailsAndWritesNothing) {
    EXPECT_EQ(Run("voice\n wave piano\nend\n"), 1);
    EXPECT_NE(Errors().find("in.sfx: line 2: unknown wave 'piano'"), std::string::npos) << Errors();
    EXPECT_FALSE(fs::exists(dir_ / "out.wav"));
    EXPECT_FALSE(fs::exists(dir_ / "out.wav.part"));
}

// ---- the generated data tree ----------------------------------------------------------------

const fs::path kCommon = fs::path(VANTOR_BUILD_DIR) / "Files" / "Common";

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Decodes a PNG to RGBA; empty on failure.
std::vector<std::uint8_t> LoadRgba(const fs::path& path, unsigned& width, unsigned& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
    width = image.width;
    height = image.height;
    return pixels;
}

TEST(DataTree, FontsAndFoldersAreInPlace) {
    for (const char* name : {"SVBasicManual.ttf", "Blue Highway.ttf", "Acknowledge TT Vell.ttf"}) {
        const auto bytes = ReadBytes(kCommon / name);
        ASSERT_GT(bytes.size(), 10000u) << name;
        EXPECT_EQ(Read32(bytes, 0), 0x00000100u) << name << " is not a TrueType face";
    }
    EXPECT_TRUE(fs::is_directory(fs::path(VANTOR_BUILD_DIR) / "Files" / VANTOR_GAME_FOLDER));
}

// The samples of one of sfxgen's files (16-bit mono at 44100 Hz, a 44-byte header).
std::vector<std::int16_t> ReadGeneratedWav(const fs::path& path) {
    const auto wav = ReadBytes(path);
    if (wav.size() <= 44 || Read32(wav, 24) != 44100u || Read16(wav, 34) != 16) {
        ADD_FAILURE() << path << " is not 16-bit audio at 44100 Hz";
        return {};
    }
    std::vector<std::int16_t> samples(std::min<std::size_t>(Read32(wav, 40), wav.size() - 44) / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(Read16(wav, 44 + 2 * i));
    return samples;
}

TEST(DataTree, BadgeSoundIsAShortCleanJingle) {
    const std::vector<std::int16_t> samples = ReadGeneratedWav(kCommon / "badgeget.wav");
    const double seconds = static_cast<double>(samples.size()) / 44100.0;
    EXPECT_GT(seconds, 0.7);
    EXPECT_LT(seconds, 1.5);
    EXPECT_GT(Peak(samples), 16000);
    EXPECT_LT(Peak(samples), 32000);
}

// The fundamental frequency of the samples from `from` on, found by autocorrelation over 70 ms:
// the shortest period whose correlation comes near the best, refined between its neighbours.
double Fundamental(const std::vector<std::int16_t>& s, std::size_t from) {
    constexpr std::size_t kWindow = 3087, kMinLag = 40, kMaxLag = 900;  // 49 Hz to 1100 Hz
    if (s.size() < from + kWindow + kMaxLag + 1) return 0;
    std::vector<double> r(kMaxLag + 2, 0.0);
    for (std::size_t lag = kMinLag - 1; lag <= kMaxLag + 1; ++lag) {
        double sum = 0, energy = 0;
        for (std::size_t i = from; i < from + kWindow; ++i) {
            sum += static_cast<double>(s[i]) * s[i + lag];
            energy += static_cast<double>(s[i + lag]) * s[i + lag];
        }
        r[lag] = energy > 0 ? sum / energy : 0;
    }
    const double best = *std::max_element(r.begin() + kMinLag, r.begin() + kMaxLag + 1);
    for (std::size_t lag = kMinLag; lag <= kMaxLag; ++lag) {
        if (r[lag] < 0.9 * best || r[lag] < r[lag - 1] || r[lag] < r[lag + 1]) continue;
        const double bend = r[lag - 1] - 2 * r[lag] + r[lag + 1];
        const double offset = bend != 0 ? 0.5 * (r[lag - 1] - r[lag + 1]) / bend : 0;
        return 44100.0 / (static_cast<double>(lag) + offset);
    }
    return 0;
}

// The sequencer plays the note "q" at rate 1 and reads the other notes as semitones from it, so
// every melodic sample must sound a C for the songs to be in their keys.
TEST(DataTree, MelodicInstrumentsAllSoundACAtRateOne) {
    const fs::path music = fs::path(VANTOR_BUILD_DIR) / "Files" / VANTOR_GAME_FOLDER / "music";
    for (const char* name : {"bass1", "bass2", "lead1", "lead2", "accompany1", "accompany2"}) {
        const std::vector<std::int16_t> samples = ReadGeneratedWav(music / (std::string(name) + ".wav"));
        const double hz = Fundamental(samples, 1323);  // from 30 ms: past the attack, before any vibrato
        ASSERT_GT(hz, 0) << name << " has no steady pitch";
        const double cents_above_c = std::fmod(1200 * std::log2(hz / 16.3516) + 1200 * 10, 1200.0);
        EXPECT_LT(std::min(cents_above_c, 1200 - cents_above_c), 30) << name << " sounds at " << hz << " Hz";
    }
}

TEST(DataTree, IconStripHasTheUsedFramesAndNoMaskedBlack) {
    unsigned w = 0, h = 0;
    const auto px = LoadRgba(kCommon / "icons.png", w, h);
    ASSERT_FALSE(px.empty());
    ASSERT_EQ(w, 128u);
    ASSERT_EQ(h, 128u);
    auto alpha = [&](unsigned x, unsigned y) { return px[(y * w + x) * 4 + 3]; };
    // Every frame the framework draws has a visible picture in its 16 x 16 cell.
    for (int frame :
         {0, 3, 7, 8, 9, 10, 11, 12, 13, 14, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 63}) {
        int opaque = 0;
        for (unsigned y = 0; y < 16; ++y) {
            for (unsigned x = 0; x < 16; ++x) opaque += alpha(frame % 8 * 16 + x, frame / 8 * 16 + y) > 128;
        }
        EXPECT_GT(opaque, 12) << "frame " << frame;
    }
    // The pointer's tip is its cell's top-left pixel.
    EXPECT_GT(alpha(112, 112), 128);
    // Pure black turns transparent when the strip is loaded masked: no visible pixel may be black.
    for (std::size_t i = 0; i < px.size(); i += 4) {
        const bool black = px[i] == 0 && px[i + 1] == 0 && px[i + 2] == 0;
        ASSERT_FALSE(black && px[i + 3] > 32) << "pixel " << i / 4;
    }
}

TEST(DataTree, LogosAreSplashSizedWithTransparentSurroundings) {
    for (const char* name : {"logo.png", "Tamblin.png"}) {
        unsigned w = 0, h = 0;
        const auto px = LoadRgba(kCommon / name, w, h);
        ASSERT_FALSE(px.empty()) << name;
        EXPECT_GE(w, 300u) << name;
        EXPECT_LE(w, 400u) << name;
        EXPECT_EQ(px[3], 0) << name << ": the corner must be transparent";
        int opaque = 0;
        for (std::size_t i = 3; i < px.size(); i += 4) opaque += px[i] > 200;
        EXPECT_GT(opaque, static_cast<int>(w * h / 10)) << name;
    }
}

}  // namespace
