// Score records, the newest-first score list, the player's name and "scores.dat": two text lines
// per record, fields joined by "|", written through a temporary file so it is never half-written.
#include "scores/score_file.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <optional>

#include "framework/hooks.h"
#include "framework/log.h"
#include "framework/program.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "scores/fields.h"
#include "scores/results_panel.h"

namespace scores {

std::vector<Scores> ScoreList;
std::string PlayerName = "Player";

namespace {

constexpr const char* kScoreFile = "scores.dat";
constexpr const char* kScoreTemp = "scores.dat.tmp";
constexpr const char* kMonths[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                     "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

// count characters from the 1-based position, as many as exist.
std::string Chars(const std::string& text, std::size_t from, std::size_t count) {
    if (from < 1 || from > text.size()) return "";
    return text.substr(from - 1, count);
}

std::string UpperCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Merges two sorted runs; the right run's record goes first only when the left one compares
// strictly greater, which keeps records of equal timestamps in their order.
void MergeRuns(std::vector<Scores>& from, std::vector<Scores>& to, std::size_t lo, std::size_t mid,
               std::size_t hi) {
    std::size_t left = lo, right = mid, out = lo;
    while (left < mid && right < hi) {
        if (from[left].Compare(from[right]) > 0)
            to[out++] = std::move(from[right++]);
        else
            to[out++] = std::move(from[left++]);
    }
    while (left < mid) to[out++] = std::move(from[left++]);
    while (right < hi) to[out++] = std::move(from[right++]);
}

std::string RecordLine(const Scores& record) {
    return std::to_string(record.Score) + "|" + record.Name + "|" + std::to_string(record.Badges) + "|" +
           std::to_string(record.Timestamp) + "|" + std::to_string(record.Level) + "|" +
           std::to_string(record.GameMode) + "|" + std::to_string(record.GameFlags) + "|" +
           std::to_string(record.Quit);
}

std::string BestLine(const Scores& record) {
    std::string line;
    for (int k = 1; k < BestSlots; ++k) {
        if (k > 1) line += "|";
        line += std::to_string(record.Best[k]);
    }
    return line;
}

Scores ParseRecord(const std::string& line, const std::string& best_line) {
    Scores record;
    record.Score = TextToLong(SplitField(line, "|", 1));
    record.Name = TrimField(SplitField(line, "|", 2));
    record.Badges = TextToAbsInt(SplitField(line, "|", 3));
    record.Timestamp = TextToLong(SplitField(line, "|", 4));
    record.Level = TextToAbsInt(SplitField(line, "|", 5));
    record.GameMode = TextToAbsInt(SplitField(line, "|", 6));
    record.GameFlags = TextToAbsInt(SplitField(line, "|", 7));
    record.Quit = TextToAbsInt(SplitField(line, "|", 8));
    for (int k = 1; k < BestSlots; ++k) record.Best[k] = TextToAbsInt(SplitField(best_line, "|", k));
    return record;
}

}  // namespace

std::int32_t Scores::Compare(const Scores& other) const {
    // Unsigned arithmetic wraps instead of overflowing; the low 32 bits are the result.
    const std::uint64_t difference =
        static_cast<std::uint64_t>(other.Timestamp) - static_cast<std::uint64_t>(Timestamp);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(difference));
}

std::int32_t Scores::Compare(const Scores* other) const {
    return other ? Compare(*other) : 1;
}

void SortScores() {
    // Bottom-up merge sort: stable, and safe with any comparison outcome (the 32-bit truncation
    // can make far-apart timestamps compare inconsistently).
    const std::size_t n = ScoreList.size();
    if (n < 2) return;
    std::vector<Scores> buffer(n);
    for (std::size_t width = 1; width < n; width *= 2) {
        for (std::size_t lo = 0; lo < n; lo += 2 * width) {
            const std::size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
            MergeRuns(ScoreList, buffer, lo, mid, hi);
        }
        ScoreList.swap(buffer);
    }
}

void LoadScores() {
    if (platform::FileType(kScoreFile) != 1) return;
    const platform::Stream stream = platform::ReadFile(kScoreFile);
    if (!stream) {
        // The games already in memory are worth more than an unreadable file.
        framework::LogLine("\tCould not read scores.dat; the score list is kept");
        return;
    }
    ScoreList.clear();
    bool first = true;
    while (!platform::Eof(stream)) {
        const std::string line = platform::ReadLine(stream);
        if (line.find('|') == std::string::npos) continue;
        // The second line belongs to the record whatever it holds; at the end it reads as empty.
        const std::string best_line = platform::ReadLine(stream);
        ScoreList.push_back(ParseRecord(line, best_line));
        if (first) PlayerName = ScoreList.back().Name;
        first = false;
    }
    platform::CloseStream(stream);
    SortScores();
}

bool SaveScores() {
    SortScores();
    const platform::Stream stream = platform::WriteFile(kScoreTemp);
    if (!stream) {
        framework::LogLine("\tCould not write scores.dat");
        return false;
    }
    bool written = true;
    for (const Scores& record : ScoreList) {
        written = platform::WriteLine(stream, RecordLine(record)) && written;
        written = platform::WriteLine(stream, BestLine(record)) && written;
    }
    const bool closed = platform::CloseStream(stream);
    // Only a complete temporary file replaces the old one, in one rename.
    if (written && closed && platform::RenameFile(kScoreTemp, kScoreFile)) return true;
    if (platform::FileType(kScoreTemp) == 1) platform::DeleteFile(kScoreTemp);
    framework::LogLine("\tCould not write scores.dat");
    return false;
}

std::int64_t MakeTimestampAt(const std::string& date_text, const std::string& clock_text) {
    const std::string date = UpperCase(date_text);
    const std::int64_t year = TextToAbsInt(Chars(date, 8, 4));
    const std::string month_name = Chars(date, 4, 3);
    std::int64_t month = 0;
    for (int m = 0; m < 12; ++m)
        if (month_name == kMonths[m]) month = m + 1;
    const std::int64_t day = TextToAbsInt(Chars(date, 1, 2));
    const std::int64_t hour = TextToAbsInt(Chars(clock_text, 1, 2));
    const std::int64_t minute = TextToAbsInt(Chars(clock_text, 4, 2));
    const std::int64_t second = TextToAbsInt(Chars(clock_text, 7, 2));
    return ((((year * 12 + month) * 31 + day) * 24 + hour) * 60 + minute) * 60 + second;
}

std::int64_t MakeTimestamp(const std::string& date_text) {
    return MakeTimestampAt(date_text.empty() ? platform::CurrentDate() : date_text, platform::CurrentTime());
}

namespace {
std::optional<Scores> HeldRecord;
}  // namespace

void HoldGameRecord(std::int64_t score, std::int32_t badges, std::span<const std::int32_t> best, bool quit) {
    Scores record;
    record.Score = score;
    record.Badges = badges;
    for (std::size_t k = 1; k < static_cast<std::size_t>(BestSlots) && k < best.size(); ++k)
        record.Best[k] = best[k];
    record.Level = framework::CurrentLevel;
    record.GameMode = framework::CurrentGameMode;
    record.GameFlags = framework::CurrentGameFlags;
    record.Quit = quit ? 1 : 0;
    HeldRecord = std::move(record);
}

bool StoreHeldRecord() {
    if (!HeldRecord) return false;
    Scores record = std::move(*HeldRecord);
    HeldRecord.reset();
    record.Timestamp = MakeTimestamp();
    record.Name = PlayerName;
    ScoreList.push_back(std::move(record));
    SortScores();
    // Saved at once: a crash or a kill later in the session must not lose this game.
    return SaveScores();
}

bool AddGameRecord(std::int64_t score, std::int32_t badges, std::span<const std::int32_t> best, bool quit) {
    HoldGameRecord(score, badges, best, quit);
    return StoreHeldRecord();
}

void ResetScores() {
    HeldRecord.reset();
    ScoreList.clear();
    PlayerName = "Player";
}

void InstallScores() {
    framework::Screens.load_scores = &LoadScores;
    framework::Screens.draw_results_panel = [](int slide, int mode, int level, int flags) {
        DrawResultsPanel(slide, mode, level, flags);
    };
    framework::Screens.results_after_game = &ResultsAfterGame;
}

}  // namespace scores
