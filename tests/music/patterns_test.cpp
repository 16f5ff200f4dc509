// PickPattern's seeding and stretch modes, and BuildPhrase's renewals, mutes and step tables.
#include "music/patterns.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "music/playback.h"
#include "music/song.h"
#include "music/support/music_fixture.h"
#include "platform/random.h"

namespace {

using namespace music;

class Patterns : public music_test::MusicFolder {
  protected:
    // One pattern per section, never stretched, unless the song text says otherwise.
    void Start(const std::string& song, int seed = 7) {
        WriteSong("t", song);
        PlaySong("t", seed, 125);
        ASSERT_TRUE(MusicPlaying);
    }
    std::vector<float> Row(int track) const { return {StepTable[track], StepTable[track] + PhraseSteps}; }
};

std::string Simple(const std::string& chords, const std::string& drums = "1", const std::string& bass = "q") {
    return "[DRUMS]\nSTRETCH=FALSE\n\"" + drums + "\"\n[CHORDS]\n\"" + chords +
           "\"\n[BASS]\nSTRETCH=FALSE\n\"" + bass +
           "\"\n[MELODY]\nSTRETCH=FALSE\n\"w\"\n[ACCOMPANY]\nSTRETCH=FALSE\n\"e\"\n";
}

TEST_F(Patterns, StretchTableOfEveryMode) {
    PatternCount[BassSection] = 1;
    SongPatterns[BassSection][1] = "abcd";
    PhraseIndex = 1;
    SongSeed = 99;
    const std::map<int, std::set<std::size_t>> expected = {{StretchNever, {4}},
                                                           {StretchOnce, {8}},
                                                           {StretchDouble, {16}},
                                                           {StretchRandom, {4, 8}},
                                                           {StretchRandomPlus, {4, 8, 16}}};
    for (const auto& [mode, lengths] : expected) {
        SCOPED_TRACE(mode);
        StretchMode[BassSection] = mode;
        std::map<std::size_t, int> seen;
        for (BuildCount = 0; BuildCount < 300; ++BuildCount) seen[PickPattern(BassSection, 13).size()] += 1;
        std::set<std::size_t> keys;
        for (const auto& [length, n] : seen) keys.insert(length);
        EXPECT_EQ(keys, lengths);
        // RANDOM stretches on two draws of three; RANDOM+ splits evenly three ways.
        if (mode == StretchRandom) {
            EXPECT_NEAR(seen[8] / 300.0, 2.0 / 3.0, 0.1);
        }
        if (mode == StretchRandomPlus) {
            EXPECT_NEAR(seen[16] / 300.0, 1.0 / 3.0, 0.1);
        }
    }
    StretchMode[BassSection] = StretchOnce;
    EXPECT_EQ(PickPattern(BassSection, 13), "a b c d ");
    StretchMode[ChordSection] = StretchDouble;
    PatternCount[ChordSection] = 1;
    SongPatterns[ChordSection][1] = "qrtq";
    EXPECT_EQ(PickPattern(ChordSection, 13), "qrtq");  // chords are never stretched
}

TEST_F(Patterns, PickSeedsFromSongSeedCountersAndSalt) {
    PatternCount[MelodySection] = 50;
    for (int i = 1; i <= 50; ++i) SongPatterns[MelodySection][i] = std::to_string(i);
    StretchMode[MelodySection] = StretchNever;
    const int seeds[] = {1, 64, -1, 3000000};  // the last wraps when multiplied by 1024
    for (int seed : seeds) {
        for (int salt : {3, 19, 29}) {
            SongSeed = seed, PhraseIndex = 2, BuildCount = 5;
            const std::int64_t wide = static_cast<std::int64_t>(seed) * 1024 + 2 + 5 + salt;
            platform::SeedRnd(static_cast<std::int32_t>(static_cast<std::uint32_t>(wide)));
            for (int n = 0; n < salt + 5 * 4; ++n) platform::Rand(0, 1000);
            const int index = platform::Rand(1, 50);
            EXPECT_EQ(PickPattern(MelodySection, salt), std::to_string(index)) << seed << " " << salt;
        }
    }
}

TEST_F(Patterns, EmptySectionsAndEmptyPatternsAreSilent) {
    Start("[DRUMS]\n\"\"\n[CHORDS]\n\"qqqq\"\n[MELODY]\n\"w\"\n");
    EXPECT_EQ(TrackText[Drum1Track], "");
    EXPECT_EQ(TrackText[BassTrack], "");  // no bass section at all
    for (int t : {Drum1Track, Drum2Track, BassTrack, AccompanyTrack}) {
        for (float v : Row(t)) EXPECT_EQ(v, 0.0f) << t;
    }
    EXPECT_EQ(StepTable[MelodyTrack][0], NoteRate('w'));
}

TEST_F(Patterns, RenewalEveryQuarterOfTheChordLength) {
    const std::map<std::string, std::vector<int>> phrases = {{"qqqqwwww", {1, 2, 1, 2, 1}},
                                                             {"qqqqwwwwee", {1, 2, 1, 2, 1}},
                                                             {"qwe", {1, 1, 1, 1, 1}},
                                                             {"qqqqwwwweeeerrrr", {1, 2, 3, 4, 1}}};
    for (const auto& [chords, expected] : phrases) {
        SCOPED_TRACE(chords);
        Start(Simple(chords));
        std::vector<int> seen = {PhraseIndex};
        for (int n = 1; n < 5; ++n) {
            BuildPhrase();
            seen.push_back(PhraseIndex);
            EXPECT_EQ(BuildCount, n);
        }
        EXPECT_EQ(seen, expected);
        EXPECT_EQ(ChordText, chords);
    }
}

TEST_F(Patterns, DrumsAndBassOrMelodyAlwaysPlayAccompanimentUnconstrained) {
    Start(Simple("qqqq"));
    std::set<int> drum_choice, melodic_choice;
    int accompaniment_muted = 0;
    for (int seed = 0; seed < 200; ++seed) {
        SongSeed = seed;
        ChordText.clear();
        for (int k = 0; k < MuteFlags; ++k) NextMuted[k] = 1;  // the draw mutes every track
        BuildPhrase();
        ASSERT_EQ(Muted[Drum1Track] + Muted[Drum2Track], 1) << seed;
        ASSERT_EQ(Muted[BassTrack] + Muted[MelodyTrack], 1) << seed;
        drum_choice.insert(Muted[Drum1Track]);
        melodic_choice.insert(Muted[BassTrack]);
        accompaniment_muted += Muted[AccompanyTrack];
        for (int k = 0; k < MuteFlags; ++k) ASSERT_TRUE(Fill[k] == 1 || Fill[k] == 2);
    }
    EXPECT_EQ(drum_choice.size(), 2u);
    EXPECT_EQ(melodic_choice.size(), 2u);
    EXPECT_EQ(accompaniment_muted, 200);
}

TEST_F(Patterns, DrumPatternsRestartEachPhrase) {
    Start(Simple("qqqqwwww", "123456"));
    for (int phrase = 0; phrase < 2; ++phrase) {
        for (int k = 0; k < PhraseSteps; ++k) EXPECT_EQ(StepTable[Drum1Track][k], k % 6 + 1) << k;
        BuildPhrase();
    }
    Start(Simple("qqqq", "1.9x0"));
    EXPECT_EQ(Row(Drum2Track)[2], 9.0f);  // stored; playback ignores drums above 8
    EXPECT_EQ(Row(Drum2Track)[1], 0.0f);
    EXPECT_EQ(Row(Drum2Track)[3], 0.0f);
}

TEST_F(Patterns, MelodicPatternsRunOnAcrossPhrases) {
    const std::string keys = "sxdcvgbhnjmq2w3er5t6y7ui9o0p[=]";
    std::string bass;
    for (int i = 0; i < 96; ++i) bass += keys[static_cast<std::size_t>(i) % keys.size()];
    bass[5] = ' ';
    Start(Simple("qqqqwwww", "1", bass));
    for (int k = 0; k < PhraseSteps; ++k) {
        const char c = bass[static_cast<std::size_t>(k)];
        EXPECT_EQ(StepTable[BassTrack][k], c == ' ' ? 0.0f : NoteRate(c)) << k;
    }
    BuildPhrase();
    ASSERT_EQ(PhraseIndex, 2);
    for (int k = 0; k < PhraseSteps; ++k) {
        EXPECT_EQ(StepTable[BassTrack][k], NoteRate(bass[static_cast<std::size_t>((64 + k) % 96)])) << k;
    }
}

TEST_F(Patterns, SameSeedSameMusicAndPatternsChangeBetweenProgressions) {
    const std::string song =
        "[DRUMS]\nSTRETCH=RANDOM\n\"1.2.\"\n\"13\"\n\"1..2..3\"\n[CHORDS]\n\"qqrr\"\n\"qrtq\"\n"
        "[BASS]\nSTRETCH=RANDOM+\n\"q t\"\n\"i  q\"\n[MELODY]\n\"qwe\"\n\"tyu\"\n\"e e\"\n"
        "[ACCOMPANY]\n\"q\"\n\"t\"\n";
    auto run = [&](int seed) {
        Start(song, seed);
        std::vector<float> all;
        std::set<std::string> melodies;
        for (int n = 0; n < 12; ++n) {
            for (int t = 0; t < TrackCount; ++t)
                all.insert(all.end(), StepTable[t], StepTable[t] + PhraseSteps);
            for (int t = 0; t < TrackCount; ++t) melodies.insert(TrackText[t]);
            BuildPhrase();
        }
        EXPECT_GT(melodies.size(), 5u);  // the arrangement varies from progression to progression
        return all;
    };
    const std::vector<float> first = run(42);
    EXPECT_EQ(run(42), first);
    EXPECT_NE(run(43), first);
}

}  // namespace
