// Playback on the manual clock and the null mixer: sample loading, step timing, lead-ins, pans,
// volumes and chord transposition, observed through channels and mixed output.
#include "music/playback.h"

#include <cmath>
#include <string>
#include <vector>

#include "framework/hooks.h"
#include "framework/program.h"
#include "framework/settings.h"
#include "music/patterns.h"
#include "music/song.h"
#include "music/support/music_fixture.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/headless/manual_clock.h"
#include "platform/headless/null_mixer.h"

namespace {

using namespace music;
using platform::headless::AdvanceClock;

constexpr int kBassLevel = 10000, kLeadLevel = 12000, kAccompanyLevel = 14000;

class Playback : public music_test::MusicFolder {
  protected:
    void SetUp() override {
        MusicFolder::SetUp();
        for (int n = 1; n <= 8; ++n) {
            if (n != 3)
                music_test::WriteConstantWav(root_ / "music" / ("d1-" + std::to_string(n) + ".wav"), n * 1000,
                                             1000);
            music_test::WriteConstantWav(root_ / "music" / ("d2-" + std::to_string(n) + ".wav"),
                                         n * 1000 + 500, 1000);
        }
        // Bass variants 1 and 3 only: the gap stays an empty slot.
        music_test::WriteConstantWav(root_ / "music" / "bass1.wav", kBassLevel, 1000);
        music_test::WriteConstantWav(root_ / "music" / "bass3.wav", kBassLevel, 1000);
        music_test::WriteConstantWav(root_ / "music" / "lead1.wav", kLeadLevel, 1000);
        music_test::WriteConstantWav(root_ / "music" / "accompany1.wav", kAccompanyLevel, 1000);
        LoadMusicSamples();
    }
    // A song with one unstretched pattern per section.
    void Start(const std::string& drums, const std::string& chords, const std::string& bass,
               const std::string& melody = "q", const std::string& accompany = "q", int tempo = 125) {
        WriteSong("t", "[DRUMS]\nSTRETCH=FALSE\n\"" + drums + "\"\n[CHORDS]\n\"" + chords +
                           "\"\n[BASS]\nSTRETCH=FALSE\n\"" + bass + "\"\n[MELODY]\nSTRETCH=FALSE\n\"" +
                           melody + "\"\n[ACCOMPANY]\nSTRETCH=FALSE\n\"" + accompany + "\"\n");
        PlaySong("t", 5, tempo);
        // Every track plays; tests mute what they do not look at.
        for (int k = 0; k < MuteFlags; ++k) Muted[k] = 0, NextMuted[k] = 0, Fill[k] = 1;
        for (int k = 0; k < 3; ++k) Variant[k] = 1;
    }
    void SoloTrack(int track) {
        for (int t = 0; t < TrackCount; ++t) Muted[t] = NextMuted[t] = t == track ? 0 : 1;
    }
    // Advances to the next step and plays it.
    void NextStep() {
        AdvanceClock(NextStepTime + 1 - platform::MilliSecs());
        const int before = StepIndex;
        MusicTick();
        ASSERT_NE(StepIndex, before);
    }
    // Loudness (volume times the sample's level) and pan of what is sounding now.
    struct Heard {
        double level;
        double pan;
    };
    Heard Listen() {
        const std::vector<float> mix = platform::headless::MixFor(1);
        const double left = mix.at(0), right = mix.at(1);
        return {std::sqrt(left * left + right * right) * 32768.0, std::atan2(right, left) * 4 / M_PI - 1};
    }
};

TEST_F(Playback, LoadsKitsBlindAndMelodicVariantsThatExist) {
    EXPECT_EQ(VariantCount[BassInstrument], 3);
    EXPECT_EQ(VariantCount[LeadInstrument], 1);
    EXPECT_EQ(VariantCount[AccompanyInstrument], 1);
    EXPECT_TRUE(BassSamples[1] && BassSamples[3]);
    EXPECT_FALSE(BassSamples[2]);
    EXPECT_FALSE(DrumKit1[3]);
    EXPECT_TRUE(DrumKit1[8] && DrumKit2[3]);
}

TEST_F(Playback, FirstStepAfter250msThenOneStepPerIntervalAndPerCall) {
    const int started = platform::MilliSecs();
    Start("1", "qqqq", "q");
    EXPECT_EQ(StepInterval, 62);
    AdvanceClock(250);
    MusicTick();
    EXPECT_EQ(StepIndex, -1);  // not strictly later yet
    AdvanceClock(1);
    MusicTick();
    EXPECT_EQ(StepIndex, 0);
    EXPECT_EQ(NextStepTime, started + 250 + 62);
    AdvanceClock(61);
    MusicTick();
    EXPECT_EQ(StepIndex, 0);
    AdvanceClock(1);
    MusicTick();
    EXPECT_EQ(StepIndex, 1);
    // A 620 ms stall: each call plays one step until the schedule has caught up, none skipped.
    AdvanceClock(620);
    for (int call = 1; call <= 15; ++call) {
        MusicTick();
        EXPECT_EQ(StepIndex, std::min(1 + call, 11)) << call;
    }
}

TEST_F(Playback, TempoOnePlaysAStepEveryCallAndPhrasesWrap) {
    Start("1", "qqqqwwww", "q", "q", "q", 1);
    EXPECT_EQ(StepInterval, 0);
    AdvanceClock(251);
    for (int call = 0; call < 70; ++call) MusicTick();
    EXPECT_EQ(StepIndex, 5);
    EXPECT_EQ(PhraseIndex, 2);
    EXPECT_EQ(BuildCount, 1);
}

TEST_F(Playback, MutedTracksLeadInOverTheLastSteps) {
    Start("1", "qqqq", "q", "q", "q");
    Muted[BassTrack] = 1, NextMuted[BassTrack] = 0, Fill[BassTrack] = 2;                 // last 8 steps
    Muted[MelodyTrack] = 1, NextMuted[MelodyTrack] = 0, Fill[MelodyTrack] = 1;           // last 16 steps
    Muted[AccompanyTrack] = 1, NextMuted[AccompanyTrack] = 1, Fill[AccompanyTrack] = 1;  // stays silent
    std::vector<int> sounded[TrackCount];
    for (int step = 0; step < PhraseSteps; ++step) {
        platform::Channel before[TrackCount];
        for (int t = 0; t < TrackCount; ++t) before[t] = framework::Channels[t];
        NextStep();
        for (int t = 0; t < TrackCount; ++t) {
            if (framework::Channels[t] != before[t]) sounded[t].push_back(StepIndex);
        }
    }
    auto range = [](int from, int to) {
        std::vector<int> steps;
        for (int s = from; s <= to; ++s) steps.push_back(s);
        return steps;
    };
    EXPECT_EQ(sounded[Drum1Track], range(0, 63));
    EXPECT_EQ(sounded[BassTrack], range(56, 63));
    EXPECT_EQ(sounded[MelodyTrack], range(48, 63));
    EXPECT_TRUE(sounded[AccompanyTrack].empty());
}

TEST_F(Playback, PansAndVolumesPerTrackAccompanimentAtHalf) {
    struct Expect {
        int track;
        double level;
        double pan;
    };
    // Default master and music volume 50 %: 0.25 for a track, 0.125 for the accompaniment.
    const Expect expected[] = {{Drum1Track, 1000 * 0.25, 0.3},
                               {Drum2Track, 1500 * 0.25, -0.3},
                               {BassTrack, kBassLevel * 0.25, -0.3},
                               {MelodyTrack, kLeadLevel * 0.25, 0.0},
                               {AccompanyTrack, kAccompanyLevel * 0.125, 0.3}};
    for (const Expect& e : expected) {
        SCOPED_TRACE(e.track);
        // A new song does not stop the notes of the last one; silence them for a clean reading.
        for (int t = 0; t < TrackCount; ++t) platform::StopChannel(framework::Channels[t]);
        Start("1", "qqqq", "q", "q", "q");
        SoloTrack(e.track);
        NextStep();
        const Heard heard = Listen();
        EXPECT_NEAR(heard.level, e.level, e.level * 0.01);
        EXPECT_NEAR(heard.pan, e.pan, 0.01);
    }
    // The volume is read per note, so a setting change applies to the next one.
    framework::Settings[11] = 100, framework::Settings[13] = 40;
    NextStep();
    EXPECT_NEAR(Listen().level, kAccompanyLevel * 0.2, kAccompanyLevel * 0.002);
}

TEST_F(Playback, DrumDigitsAboveEightAndEmptySlotsPlayNothing) {
    Start("1903", "qqqq", "q");
    SoloTrack(Drum1Track);
    NextStep();
    const platform::Channel first = framework::Channels[Drum1Track];
    EXPECT_NEAR(Listen().level, 250, 3);  // sample 1 of kit 1
    NextStep();                           // "9"
    NextStep();                           // "0"
    EXPECT_EQ(framework::Channels[Drum1Track], first);
    EXPECT_TRUE(platform::ChannelPlaying(first));
    NextStep();  // "3": its file is missing, so the step cuts the ringing hit and sounds nothing
    EXPECT_FALSE(platform::ChannelPlaying(first));
    EXPECT_NEAR(Listen().level, 0, 1e-6);
}

TEST_F(Playback, ChordTransposesMelodicRatesAndNewNotesCutOldOnes) {
    // Bass "w" on steps 0, 16, 32, 48 under the chords w, q, b, w. A 1000 ms sample lasts
    // 1000 / rate milliseconds, which shows the rate the note was given.
    Start("1", "wqbw", "w               ");
    SoloTrack(BassTrack);
    std::vector<platform::Channel> notes;
    for (int step = 0; step < 33; ++step) {
        NextStep();
        if (StepIndex % 16 == 0) notes.push_back(framework::Channels[BassTrack]);
    }
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_FALSE(platform::ChannelPlaying(notes[0]));  // cut by the note of step 16
    const double rate = NoteRate('w') * NoteRate('b');
    const int length = static_cast<int>(1000 / rate);
    AdvanceClock(length - 2);
    EXPECT_TRUE(platform::ChannelPlaying(notes[2]));
    AdvanceClock(4);
    EXPECT_FALSE(platform::ChannelPlaying(notes[2]));
}

TEST_F(Playback, WholeStepUnderWholeStepChord) {
    Start("1", "wwww", "w");
    SoloTrack(BassTrack);
    NextStep();
    const platform::Channel note = framework::Channels[BassTrack];
    const double length = 1000 / (1.1220 * 1.1220);  // 794.3 ms
    AdvanceClock(static_cast<int>(length) - 1);
    EXPECT_TRUE(platform::ChannelPlaying(note));
    AdvanceClock(2);
    EXPECT_FALSE(platform::ChannelPlaying(note));
}

TEST_F(Playback, MissingSongLeavesThePlayingOneAlone) {
    Start("12", "qqqqwwww", "q");
    NextStep();
    const int seed = SongSeed, step = StepIndex, next = NextStepTime;
    PlaySong("missing", 99, 125);
    EXPECT_EQ(SongSeed, seed);
    EXPECT_EQ(StepIndex, step);
    EXPECT_EQ(NextStepTime, next);
    EXPECT_EQ(PatternCount[DrumSection], 1);
    EXPECT_EQ(ChordText, "qqqqwwww");
    NextStep();
    EXPECT_EQ(StepIndex, step + 1);
}

TEST_F(Playback, SeedMinusOneComesFromTheClock) {
    WriteSong("s", "[DRUMS]\n\"1\"\n[CHORDS]\n\"qqqq\"\n");
    PlaySong("s", -1, 125);
    EXPECT_EQ(SongSeed, platform::MilliSecs());
    AdvanceClock(137);
    PlaySong("s", -1, 125);
    EXPECT_EQ(SongSeed, platform::MilliSecs());
    PlaySong("s", 64, 125);
    EXPECT_EQ(SongSeed, 64);
}

TEST_F(Playback, InstallConnectsTheScreenHooks) {
    InstallMusic();
    ASSERT_TRUE(framework::Screens.play_song && framework::Screens.music_tick);
    WriteSong("h", "[DRUMS]\n\"1\"\n[CHORDS]\n\"qqqq\"\n");
    framework::Screens.play_song("h", 3, 125);
    EXPECT_TRUE(MusicPlaying);
    AdvanceClock(251);
    framework::Screens.music_tick();
    EXPECT_EQ(StepIndex, 0);
}

}  // namespace
