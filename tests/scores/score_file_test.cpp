// The score file on its exact bytes, loading damaged files, the newest-first order, the record a
// finished game leaves (saved at once, never half-written), timestamps and their two formatters.
#include "scores/score_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "framework/log.h"
#include "framework/program.h"
#include "platform/headless/manual_clock.h"
#include "scores/results_panel.h"

namespace {

namespace fs = std::filesystem;
using scores::ScoreList;
using scores::Scores;

constexpr const char* kThirtyZeros = "0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0";

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Scores Record(std::int64_t score, const std::string& name, std::int64_t timestamp) {
    Scores record;
    record.Score = score;
    record.Name = name;
    record.Timestamp = timestamp;
    return record;
}

class ScoreFile : public ::testing::Test {
  protected:
    void SetUp() override {
        previous = fs::current_path();
        root = fs::temp_directory_path() / ("vantor-scores-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
        fs::current_path(root);
        scores::ResetScores();
        framework::ResetProgram();
        framework::OpenLog((root / "Debug.txt").string());
    }
    void TearDown() override {
        framework::CloseLog();
        platform::headless::UseRealClock();
        fs::current_path(previous);
        std::error_code ignored;
        fs::remove_all(root, ignored);
        scores::ResetScores();
    }
    void WriteBytes(const std::string& bytes) const {
        std::ofstream(root / "scores.dat", std::ios::binary) << bytes;
    }
    fs::path root, previous;
};

TEST_F(ScoreFile, ExampleRecordHasItsExactBytes) {
    Scores record = Record(1234, "ABC", scores::MakeTimestampAt("08 Dec 2010", "12:00:00"));
    record.Badges = 5;
    record.GameMode = 1;
    ScoreList.push_back(record);
    ASSERT_TRUE(scores::SaveScores());
    EXPECT_EQ(ReadAll(root / "scores.dat"),
              std::string("1234|ABC|5|64635883200|0|1|0|0\r\n") + kThirtyZeros + "\r\n");
    EXPECT_FALSE(fs::exists(root / "scores.dat.tmp"));
}

TEST_F(ScoreFile, SaveThenLoadGivesTheSameListEqualTimestampsInFileOrder) {
    Scores a = Record(-7, "Ann", 500), b = Record(9000000000LL, "Bob", 900), c = Record(3, "Cy", 500);
    b.Badges = 65535;
    b.Quit = 1;
    b.Level = 2;
    b.GameFlags = 4;
    for (int k = 1; k < scores::BestSlots; ++k) a.Best[k] = k * 11;
    ScoreList = {a, b, c};
    scores::SortScores();  // b is newest; a stays before c (same second)
    ASSERT_EQ(ScoreList[0].Name, "Bob");
    ASSERT_EQ(ScoreList[1].Name, "Ann");
    ASSERT_TRUE(scores::SaveScores());
    const std::vector<Scores> saved = ScoreList;
    ScoreList.clear();
    scores::LoadScores();
    ASSERT_EQ(ScoreList.size(), saved.size());
    for (std::size_t i = 0; i < saved.size(); ++i) {
        EXPECT_EQ(ScoreList[i].Name, saved[i].Name);
        EXPECT_EQ(ScoreList[i].Score, saved[i].Score);
        EXPECT_EQ(ScoreList[i].Timestamp, saved[i].Timestamp);
        EXPECT_EQ(ScoreList[i].Badges, saved[i].Badges);
        EXPECT_EQ(ScoreList[i].Best, saved[i].Best);
        EXPECT_EQ(ScoreList[i].Level, saved[i].Level);
        EXPECT_EQ(ScoreList[i].GameFlags, saved[i].GameFlags);
        EXPECT_EQ(ScoreList[i].Quit, saved[i].Quit);
        EXPECT_EQ(ScoreList[i].Best[0], 0);
    }
    EXPECT_EQ(scores::PlayerName, "Bob");
    // Saved again the bytes do not change: equal timestamps keep their order through the file.
    const std::string first = ReadAll(root / "scores.dat");
    ASSERT_TRUE(scores::SaveScores());
    EXPECT_EQ(ReadAll(root / "scores.dat"), first);
}

TEST_F(ScoreFile, DamagedContentStillLoads) {
    const std::string bytes = std::string("junk line without separator\r\n") +
                              "12|  Zed  |-3|x|-1|$2|%11|-1\r\n" + "1|2|x|-4\r\n" +  // fields 1..4 of Best
                              "5\r\n" +                                              // skipped
                              "5|\r\n" + "7|8|9\r\n" +                               // short record line
                              std::string("8|A\0B|1|1\r\n", 12) +                    // NUL ends a line
                              "99|Last|0|3";  // at the end without its second line
    WriteBytes(bytes);
    scores::LoadScores();
    ASSERT_EQ(ScoreList.size(), 4u);
    // Timestamps: 3 for Last, 0 for the others, which keep their file order.
    const Scores& last = ScoreList[0];
    EXPECT_EQ(last.Name, "Last");
    EXPECT_EQ(last.Score, 99);
    EXPECT_EQ(last.Best, (std::array<std::int32_t, scores::BestSlots>{}));
    const Scores& cut = ScoreList[3];
    EXPECT_EQ(cut.Name, "A");  // the rest of the line after the NUL was read as its Best line
    EXPECT_EQ(cut.Best[1], 0);
    EXPECT_EQ(cut.Best[2], 1);
    const Scores& zed = ScoreList[1];
    EXPECT_EQ(zed.Score, 12);
    EXPECT_EQ(zed.Name, "Zed");
    EXPECT_EQ(zed.Badges, 3);
    EXPECT_EQ(zed.Timestamp, 0);
    EXPECT_EQ(zed.Level, 1);
    EXPECT_EQ(zed.GameMode, 2);
    EXPECT_EQ(zed.GameFlags, 3);
    EXPECT_EQ(zed.Quit, 1);
    EXPECT_EQ(zed.Best[1], 1);
    EXPECT_EQ(zed.Best[3], 0);
    EXPECT_EQ(zed.Best[4], 4);
    EXPECT_EQ(zed.Best[5], 0);
    const Scores& five = ScoreList[2];
    EXPECT_EQ(five.Score, 5);
    EXPECT_EQ(five.Name, "");
    EXPECT_EQ(five.Badges, 0);
    EXPECT_EQ(five.Best[1], 7);
    EXPECT_EQ(five.Best[3], 9);
    EXPECT_EQ(scores::PlayerName, "Zed");  // the first record read
}

TEST_F(ScoreFile, NameWithSeparatorShiftsLaterFieldsOnLoad) {
    ScoreList.push_back(Record(10, "A|B", 77));
    ASSERT_TRUE(scores::SaveScores());
    EXPECT_EQ(ReadAll(root / "scores.dat").substr(0, 20), "10|A|B|0|77|0|0|0|0\r");
    scores::LoadScores();
    ASSERT_EQ(ScoreList.size(), 1u);
    EXPECT_EQ(ScoreList[0].Name, "A");
    EXPECT_EQ(ScoreList[0].Timestamp, 0);  // field 4 now holds "0"
    EXPECT_EQ(ScoreList[0].Level, 77);
}

TEST_F(ScoreFile, EmptyOrMissingFileKeepsTheName) {
    scores::PlayerName = "Kim";
    ScoreList.push_back(Record(1, "x", 1));
    scores::LoadScores();  // no file: nothing changes
    EXPECT_EQ(ScoreList.size(), 1u);
    WriteBytes("");
    scores::LoadScores();
    EXPECT_TRUE(ScoreList.empty());
    EXPECT_EQ(scores::PlayerName, "Kim");
}

TEST_F(ScoreFile, FailedSaveKeepsTheOldFileAndTheList) {
    ScoreList.push_back(Record(1, "Old", 1));
    ASSERT_TRUE(scores::SaveScores());
    const std::string old = ReadAll(root / "scores.dat");
    // A folder in the way of the temporary file makes the write fail whoever runs the test.
    fs::create_directory(root / "scores.dat.tmp");
    ScoreList.push_back(Record(2, "New", 2));
    EXPECT_FALSE(scores::SaveScores());
    EXPECT_EQ(ReadAll(root / "scores.dat"), old);
    EXPECT_EQ(ScoreList.size(), 2u);
    EXPECT_NE(ReadAll(root / "Debug.txt").find("\tCould not write scores.dat"), std::string::npos);
    fs::remove(root / "scores.dat.tmp");
    EXPECT_TRUE(scores::SaveScores());
    EXPECT_NE(ReadAll(root / "scores.dat").find("2|New|"), std::string::npos);
}

TEST_F(ScoreFile, FinishedGameIsRecordedAndSavedAtOnce) {
    platform::headless::UseManualClock(0);
    platform::headless::SetManualDateTime(2010, 12, 8, 12, 0, 0);
    framework::CurrentGameMode = 2;
    framework::CurrentLevel = 0;
    ScoreList.push_back(Record(50, "Earlier", 64635883200));  // same second as the new game
    scores::PlayerName = "Neo";
    std::array<std::int32_t, 31> best{};
    best[30] = 1;
    best[0] = 9;  // index 0 is never stored
    ASSERT_TRUE(scores::AddGameRecord(4321, 4, best, true));
    ASSERT_EQ(ScoreList.size(), 2u);
    EXPECT_EQ(ScoreList[0].Name, "Earlier");  // an older record of the same second stays first
    const Scores& game = ScoreList[1];
    EXPECT_EQ(game.Name, "Neo");
    EXPECT_EQ(game.Score, 4321);
    EXPECT_EQ(game.Timestamp, 64635883200);
    EXPECT_EQ(game.Badges, 4);
    EXPECT_EQ(game.GameMode, 2);
    EXPECT_EQ(game.Quit, 1);
    EXPECT_EQ(game.Best[30], 1);
    EXPECT_EQ(game.Best[0], 0);
    // Already on disk, as a crash right now would find it.
    const std::string file = ReadAll(root / "scores.dat");
    EXPECT_NE(file.find("4321|Neo|4|64635883200|0|2|0|1\r\n0|0|0|"), std::string::npos);
    EXPECT_NE(file.find("|1\r\n"), std::string::npos);
}

TEST(Timestamp, CalendarRule) {
    EXPECT_EQ(scores::MakeTimestampAt("08 Dec 2010", "12:00:00"), 64635883200);
    EXPECT_EQ(scores::MakeTimestampAt("08 dec 2010", "12:00:01"), 64635883201);
    const std::int64_t december_end = scores::MakeTimestampAt("31 Dec 2010", "23:59:59");
    EXPECT_GT(scores::MakeTimestampAt("01 Jan 2011", "00:00:00"), december_end);
    EXPECT_EQ(scores::MakeTimestampAt("08 Xyz 2010", "00:00:00"), ((2010 * 12 + 0) * 31 + 8) * 86400LL);
    EXPECT_EQ(scores::MakeTimestampAt("", ""), 0);  // short texts read as zeros, no fault
    platform::headless::UseManualClock(0);
    platform::headless::SetManualDateTime(2010, 12, 8, 12, 0, 5);
    EXPECT_EQ(scores::MakeTimestamp(), 64635883205);
    EXPECT_EQ(scores::MakeTimestamp("09 Dec 2010"), 64635883205 + 86400);
    platform::headless::UseRealClock();
}

TEST(Timestamp, FormattersDecodeTheCalendarRule) {
    const std::int64_t t = scores::MakeTimestampAt("31 Dec 2010", "23:59:59");
    EXPECT_EQ(scores::FormatClock(t), "23:59:59");
    EXPECT_EQ(scores::FormatDate(t), "31-12-2010");
    EXPECT_EQ(scores::FormatClock(64635883200), "12:00:00");
    EXPECT_EQ(scores::FormatDate(64635883200), "08-12-2010");
    EXPECT_EQ(scores::FormatDate(scores::MakeTimestampAt("01 Jan 0999", "07:08:09")), "01-01-0999");
    EXPECT_EQ(scores::FormatClock(scores::MakeTimestampAt("01 Jan 0999", "07:08:09")), "07:08:09");
}

TEST(Compare, NewestFirstAndNoRecordIsOne) {
    const Scores older = Record(0, "", 100), newer = Record(0, "", 160);
    EXPECT_EQ(older.Compare(newer), 60);
    EXPECT_EQ(newer.Compare(older), -60);
    EXPECT_EQ(older.Compare(nullptr), 1);
    // Only the low 32 bits count.
    EXPECT_EQ(Record(0, "", 0).Compare(Record(0, "", (1LL << 32) + 5)), 5);
}

}  // namespace
