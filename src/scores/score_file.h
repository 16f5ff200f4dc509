// Score records of finished games, the process-wide list of them (newest first), the player's
// name, and the text file "scores.dat" that holds them between runs.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace scores {

// Per-game values Best[1] to Best[30]; index 0 exists but is never stored.
inline constexpr int BestSlots = 31;

// One finished game.
struct Scores {
    std::int64_t Score = 0;
    // Seconds by the calendar rule of MakeTimestamp (months of 31 days, years of 12 months).
    std::int64_t Timestamp = 0;
    // Badge n (1 to 16) earned in the game sets bit n - 1.
    std::int32_t Badges = 0;
    std::string Name;
    std::array<std::int32_t, BestSlots> Best{};
    // Level, GameMode and GameFlags form the record's category.
    std::int32_t Level = 0;
    std::int32_t GameMode = 0;
    std::int32_t GameFlags = 0;
    // 1 when the player quit the game from the pause menu.
    std::int32_t Quit = 0;

    // other.Timestamp - Timestamp truncated to 32 bits: ascending order puts the newest first.
    std::int32_t Compare(const Scores& other) const;
    // As above; 1 when there is no other record.
    std::int32_t Compare(const Scores* other) const;
};

// Every record kept, newest first after every change (stable: equal timestamps keep their order).
extern std::vector<Scores> ScoreList;
// The current player name ("Player" at start-up); loading and name entry change it.
extern std::string PlayerName;

// Stable merge sort of ScoreList ascending by Compare.
void SortScores();
// Replaces ScoreList with the records of "scores.dat" in the current folder and sets PlayerName
// from the first one; a missing or unreadable file leaves both as they are.
void LoadScores();
// Writes ScoreList to "scores.dat" through a temporary file renamed over it, so the file is never
// left half-written; on failure logs it, keeps the old file and the list. Returns success.
bool SaveScores();
// The timestamp of the present moment; a non-empty date text ("08 Dec 2010") replaces today's.
std::int64_t MakeTimestamp(const std::string& date_text = "");
// As MakeTimestamp, with the clock text ("12:00:00") given too; for tests and replays.
std::int64_t MakeTimestampAt(const std::string& date_text, const std::string& clock_text);

// End of a game, after EnterName (name_entry.h) has run: makes the game's record (score,
// MakeTimestamp(), badge bits, PlayerName, best[1..30] -- best[k] is the k-th per-game value and
// entries past the span's end count as 0 -- CurrentLevel, CurrentGameMode, CurrentGameFlags,
// quit as 0/1), appends it to ScoreList, sorts the list and saves "scores.dat" at once so a
// crash cannot lose the game. Returns whether the save succeeded (the record is kept either way).
bool AddGameRecord(std::int64_t score, std::int32_t badges, std::span<const std::int32_t> best, bool quit);
// The two halves of AddGameRecord, for a game that is over but whose player is still typing a
// name: HoldGameRecord keeps everything but the name and the time; StoreHeldRecord completes it
// with PlayerName and the present moment, appends, sorts and saves (false when nothing is held
// or the save failed). The exit screen stores a held record, so closing the window at the name
// prompt keeps the finished game.
void HoldGameRecord(std::int64_t score, std::int32_t badges, std::span<const std::int32_t> best, bool quit);
bool StoreHeldRecord();

// Empties ScoreList and sets PlayerName back to "Player" (start-up state).
void ResetScores();

// Connects the score file, the results panel and the after-game reset to the framework's hooks.
void InstallScores();

}  // namespace scores
