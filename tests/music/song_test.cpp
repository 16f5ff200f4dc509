// The song parser's line rules and the note-rate table.
#include "music/song.h"

#include <cmath>
#include <string>

#include "music/support/music_fixture.h"

namespace {

using music::PatternCount;
using music::SongPatterns;
using music::StretchMode;

class SongParser : public music_test::MusicFolder {};

TEST_F(SongParser, HeadersAreCaseBlindAndMayOmitTheBracket) {
    WriteSong("h",
              "\"before any header\"\n"
              "[drums]\n\"1\"\n"
              "[DRUM]\n\"2\"\n"  // unknown header: still the drum section
              "[Drums\n\"3\"\n"
              "  [MeLoDy]]  \r\n\"q\"\n"
              "[accompany]\n\"w\"\n[bass]\n\"e\"\n[CHORDS]\n\"qq\"\n");
    ASSERT_TRUE(music::ParseSong("h"));
    EXPECT_EQ(PatternCount[music::DrumSection], 3);  // the line before the header is not counted
    EXPECT_EQ(SongPatterns[0][1], "1");
    EXPECT_EQ(SongPatterns[0][2], "2");
    EXPECT_EQ(SongPatterns[0][3], "3");
    EXPECT_EQ(PatternCount[music::MelodySection], 1);
    EXPECT_EQ(SongPatterns[music::AccompanySection][1], "w");
    EXPECT_EQ(SongPatterns[music::BassSection][1], "e");
    EXPECT_EQ(SongPatterns[music::ChordSection][1], "qq");
}

TEST_F(SongParser, PatternTextKeepsSpacesAndDropsEveryQuote) {
    WriteSong("p", "[BASS]\n  \"q w e\"  \n\"ab\"cd\"\n\" \"\nno quote\n\"\"\n");
    ASSERT_TRUE(music::ParseSong("p"));
    ASSERT_EQ(PatternCount[music::BassSection], 4);  // the unquoted line is no pattern
    EXPECT_EQ(SongPatterns[2][1], "q w e");
    EXPECT_EQ(SongPatterns[2][2], "abcd");
    EXPECT_EQ(SongPatterns[2][3], " ");
    EXPECT_EQ(SongPatterns[2][4], "");
}

TEST_F(SongParser, StretchOptionsByEndingLastLineWins) {
    WriteSong("s",
              "STRETCH=FALSE\n"  // no section yet: ignored
              "[DRUMS]\nSTRETCH=RANDOM\n"
              "[BASS]\nstretch random+\n"
              "[MELODY]\nStretch=Double\nSTRETCH=FALSE\n"
              "[ACCOMPANY]\nSTRETCH=SOMETIMES\n"
              "[CHORDS]\nSTRETCH=DOUBLE\n");
    ASSERT_TRUE(music::ParseSong("s"));
    EXPECT_EQ(StretchMode[music::DrumSection], music::StretchRandom);
    EXPECT_EQ(StretchMode[music::BassSection], music::StretchRandomPlus);
    EXPECT_EQ(StretchMode[music::MelodySection], music::StretchNever);
    EXPECT_EQ(StretchMode[music::AccompanySection], music::StretchOnce);  // unknown ending
    EXPECT_EQ(StretchMode[music::ChordSection], music::StretchDouble);
}

TEST_F(SongParser, NewSongResetsCountsAndModesMissingSongChangesNothing) {
    WriteSong("a", "[DRUMS]\nSTRETCH=FALSE\n\"1\"\n\"2\"\n");
    WriteSong("b", "[BASS]\n\"q\"\n");
    ASSERT_TRUE(music::ParseSong("a"));
    EXPECT_FALSE(music::ParseSong("missing"));
    EXPECT_EQ(PatternCount[music::DrumSection], 2);
    EXPECT_EQ(StretchMode[music::DrumSection], music::StretchNever);
    ASSERT_TRUE(music::ParseSong("b"));
    EXPECT_EQ(PatternCount[music::DrumSection], 0);
    EXPECT_EQ(StretchMode[music::DrumSection], music::StretchOnce);
    EXPECT_EQ(PatternCount[music::BassSection], 1);
}

TEST_F(SongParser, CountStopsAtTheLastStoredPattern) {
    std::string text = "[MELODY]\n";
    for (int i = 1; i <= 1005; ++i) text += "\"" + std::to_string(i) + "\"\n";
    WriteSong("many", text);
    ASSERT_TRUE(music::ParseSong("many"));
    EXPECT_EQ(PatternCount[music::MelodySection], music::MaxPatterns);
    EXPECT_EQ(SongPatterns[music::MelodySection][998], "998");
}

TEST(NoteRate, EveryRowOfTheTable) {
    const std::string keys = "sxdcvgbhnjmq2w3er5t6y7ui9o0p[=]";
    const float rates[] = {0.5295f, 0.5610f, 0.5945f, 0.6300f, 0.6675f, 0.7070f, 0.7490f, 0.7935f,
                           0.8410f, 0.8910f, 0.9440f, 1.0000f, 1.0590f, 1.1220f, 1.1890f, 1.2600f,
                           1.3350f, 1.4140f, 1.4980f, 1.5870f, 1.6820f, 1.7820f, 1.8880f, 2.0000f,
                           2.1180f, 2.2440f, 2.3780f, 2.5200f, 2.6700f, 2.8280f, 2.9960f};
    ASSERT_EQ(keys.size(), sizeof(rates) / sizeof(rates[0]));
    for (std::size_t i = 0; i < keys.size(); ++i) {
        SCOPED_TRACE(std::string("key ") + keys[i]);
        EXPECT_EQ(music::NoteRate(keys[i]), rates[i]);
        // A semitone per key from "q": a misplaced key would be off by about 6 %.
        const double tempered = std::pow(2.0, (static_cast<double>(i) - 11.0) / 12.0);
        EXPECT_NEAR(music::NoteRate(keys[i]), tempered, tempered * 0.005);
    }
}

TEST(NoteRate, LowerCaseRuleAndSilentCharacters) {
    EXPECT_EQ(music::NoteRate('Q'), 1.0f);
    EXPECT_EQ(music::NoteRate('W'), music::NoteRate('w'));
    EXPECT_EQ(music::NoteRate('S'), 0.5295f);
    for (char c : std::string("z Za.-1848;\"")) EXPECT_EQ(music::NoteRate(c), 0.0f) << c;
    EXPECT_EQ(music::NoteRate('\0'), 0.0f);
}

}  // namespace
