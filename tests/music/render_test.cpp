// Ten seconds of each title-screen song, rendered offline through the sequencer with the
// generated instrument samples: music, not silence, not clipped, and in time.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "framework/settings.h"
#include "music/offline.h"
#include "music/support/music_fixture.h"
#include "music/support/onsets.h"

#ifndef VANTOR_GAME_FOLDER
#define VANTOR_GAME_FOLDER "042"
#endif

namespace {

namespace fs = std::filesystem;

struct SongCase {
    const char* name;
    int seed;
};

// The onsets of the mono mix of interleaved stereo.
std::vector<int> OnsetsOfStereo(const std::vector<float>& stereo) {
    std::vector<float> mono(stereo.size() / 2);
    for (std::size_t i = 0; i < mono.size(); ++i) mono[i] = 0.5f * (stereo[2 * i] + stereo[2 * i + 1]);
    return onset_detection::OnsetsMs(mono, music::RenderRate, 1e-7);
}

class RenderedSongs : public ::testing::TestWithParam<SongCase> {
  protected:
    void SetUp() override {
        previous_ = fs::current_path();
        const fs::path folder = fs::path(VANTOR_BUILD_DIR) / "Files" / VANTOR_GAME_FOLDER;
        ASSERT_TRUE(fs::exists(folder / "music" / (std::string(GetParam().name) + ".ini")))
            << "build the data tree first (make data_tree)";
        fs::current_path(folder);
        // Master and music at 100 %: the loudest the game can play the songs.
        framework::ResetSettings();
        framework::Settings[11] = 100;
        framework::Settings[13] = 100;
    }
    void TearDown() override { fs::current_path(previous_); }
    fs::path previous_;
};

TEST_P(RenderedSongs, TenSecondsAreAudibleUnclippedAndOnTheStepGrid) {
    const music::RenderedAudio audio = music::RenderSong(GetParam().name, GetParam().seed, 125, 10000);
    ASSERT_EQ(audio.samples.size(), 441000u * 2);
    double peak = 0, sum = 0;
    for (float v : audio.samples) {
        peak = std::max(peak, static_cast<double>(std::fabs(v)));
        sum += static_cast<double>(v) * v;
    }
    const double rms = std::sqrt(sum / static_cast<double>(audio.samples.size()));
    EXPECT_GT(rms, 0.05);  // about -26 dBFS: clearly playing
    EXPECT_LT(peak, 1.0);
    // Every step the sequencer played sits on the 62 ms grid, and the audio agrees.
    ASSERT_GE(audio.step_times.size(), 160u);
    for (std::size_t k = 0; k < audio.step_times.size(); ++k)
        ASSERT_EQ(audio.step_times[k], static_cast<int>(k) * 62);
    const std::vector<int> onsets = OnsetsOfStereo(audio.samples);
    EXPECT_GE(onsets.size(), 20u);
    int worst = 0;
    for (int at : onsets) worst = std::max(worst, at % 62);
    // A few milliseconds of slack for the slower attacks of the pads and leads; a note off the
    // grid would land anywhere in the 62 ms.
    EXPECT_LE(worst, 6) << "an onset " << worst << " ms after its step";
    std::printf("%s: peak %.3f, rms %.3f, %zu onsets, latest %d ms after the step\n", GetParam().name, peak,
                rms, onsets.size(), worst);
}

INSTANTIATE_TEST_SUITE_P(TitleSongs, RenderedSongs,
                         ::testing::Values(SongCase{"Hoplark", 17}, SongCase{"Mario", 1},
                                           SongCase{"Pipeline", 64}, SongCase{"ShinyTech2", 4242}),
                         [](const ::testing::TestParamInfo<SongCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
