// The title screen's results panel: the best-scores table of the category on show, the graph of
// its recent games, the details of one game and the thanks box; it also prunes old games.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scores/score_file.h"

namespace scores {

// Rows of the best table; rows 1 to 16 are shown.
inline constexpr int BestRows = 25;
inline constexpr int ShownRows = 16;
// Games of a category kept besides its best table.
inline constexpr int KeptRecentGames = 50;

// What the panel worked out in its most recent call.
struct PanelView {
    // Rows 1 to 25 in order, best first (only filled rows).
    std::vector<Scores> table;
    // The game whose details were shown, if any.
    std::optional<Scores> selected;
    // n: the n-th game of the category, newest first; 1000 + r: table row r; 0: none.
    int pinned = 0;
    int scroll = 0;
    bool thanks_box = false;
    // Graph points drawn.
    int points = 0;
};

// Draws the panel for the category (mode, level, flags) slid in by slide pixels (320 at rest)
// and removes the category's games past its 50 newest that are not among its 25 best. Returns 1
// when a game of the category was completed (Best[30] = 1), else 0.
int DrawResultsPanel(int slide, int mode, int level, int flags);
// After a game: graph scroll and pin back to 0, and the next panel call pins the newest game.
void ResultsAfterGame();
// The panel's state after its most recent call.
const PanelView& ResultsPanelView();
// "hh:mm:ss" of a timestamp.
std::string FormatClock(std::int64_t timestamp);
// "dd-mm-yyyy" of a timestamp.
std::string FormatDate(std::int64_t timestamp);
// Puts the pin, scroll and just-finished flag back to their start-up state.
void ResetResultsPanel();

}  // namespace scores
