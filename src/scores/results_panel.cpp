// The results panel: best table, history graph with scrolling and pinning, thanks box and the
// details of the selected game, plus the retention rule that keeps the score list bounded.
#include "scores/results_panel.h"

#include <algorithm>
#include <cmath>

#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/frame_pump.h"
#include "framework/game_info.h"
#include "framework/program.h"
#include "platform/draw.h"
#include "platform/input.h"

namespace scores {

namespace {

using framework::DrawTextAligned;
using framework::PointerIn;
using framework::SetColorAlpha;

constexpr int kGraphHeight = 150;
constexpr int kRowHeight = 17;
// Lines of the thanks box are this far apart.
constexpr int kThanksLinePitch = 18;
constexpr int kPointSpacing = 18;
constexpr int kNoRecord = -1;
constexpr const char* kSiteText = "Halvik's weekly games site";

// Persist between frames; everything else is rebuilt by every call.
int pinned_choice = 0;
int graph_scroll = 0;
bool just_finished = false;
PanelView view;

// DrawTextAligned in a line font: the alignment uses the drawn size.
void DrawLineText(const framework::LineFont& line_font, int x, int y, const std::string& text, int halign,
                  int valign) {
    platform::SetImageFont(line_font.font);
    const float width = static_cast<float>(platform::TextWidth(text)) * line_font.scale;
    const float height = static_cast<float>(platform::TextHeight()) * line_font.scale;
    float left = static_cast<float>(x), top = static_cast<float>(y);
    if (halign == 1) left -= std::floor(width / 2);
    if (halign == 2) left -= width;
    if (valign == 1) top -= std::floor(height / 2);
    if (valign == 2) top -= height;
    framework::ScaleTo(line_font.scale);
    platform::DrawText(text, left, top);
    framework::ScaleTo(1.0f);
}

// One call's working state: indices into ScoreList as it stands during the walks.
struct Frame {
    int w = 0, h = 0, s = 0, bottom = 0;
    std::vector<int> table;        // ScoreList indices of rows 1..25, best first
    int selected = kNoRecord;      // ScoreList index of the selected record
    std::optional<Scores> pruned;  // the selected record when the walk removed it
    std::int64_t top_score = 0;
    int result = 0;
};

bool InCategory(const Scores& record, int mode, int level, int flags) {
    return record.Level == level && record.GameMode == mode && record.GameFlags == flags;
}

// Lowest row whose record scores strictly lower, else the first empty row; -1 when full.
void EnterInTable(Frame& f, int index) {
    const std::int64_t score = ScoreList[index].Score;
    auto lower =
        std::find_if(f.table.begin(), f.table.end(), [&](int i) { return ScoreList[i].Score < score; });
    if (lower == f.table.end() && static_cast<int>(f.table.size()) >= BestRows) return;
    f.table.insert(lower, index);
    if (static_cast<int>(f.table.size()) > BestRows) f.table.pop_back();
}

void BuildTable(Frame& f, int mode, int level, int flags) {
    for (int i = 0; i < static_cast<int>(ScoreList.size()); ++i) {
        if (!InCategory(ScoreList[i], mode, level, flags)) continue;
        f.top_score = std::max(f.top_score, ScoreList[i].Score);
        EnterInTable(f, i);
    }
    if (f.top_score <= 0) f.top_score = 1;
}

void DrawBackground(const Frame& f) {
    framework::ResetDrawState();
    SetColorAlpha(0, 0, 0, 0.6f);
    platform::DrawRect(static_cast<float>(f.w - 10 - (f.s - 2)), static_cast<float>(f.bottom - 422), 322,
                       422);
    SetColorAlpha(0, 0, 80, 1.0f);
    platform::DrawLine(static_cast<float>(f.w - 10 - (f.s - 2)), static_cast<float>(f.bottom - kGraphHeight),
                       static_cast<float>(f.w - 8), static_cast<float>(f.bottom - kGraphHeight));
}

// Draws one game's graph point and column; returns whether the pointer is over its column.
bool DrawPoint(const Frame& f, const Scores& record, int x, std::optional<std::pair<int, int>>& previous,
               bool selected) {
    // Long double keeps damaged huge scores from overflowing; the height is limited for the same reason.
    const long double scaled = static_cast<long double>(record.Score) * kGraphHeight / f.top_score;
    const int h = static_cast<int>(std::clamp(scaled, -100000.0L, static_cast<long double>(kGraphHeight)));
    const int y = f.bottom - h;
    SetColorAlpha(static_cast<float>(255 - h), 255, 80, 1.0f);
    framework::DrawSprite(framework::IconsFiltered, x - 8, y - 8, 7, framework::MainSprites);
    SetColorAlpha(255, static_cast<float>(80 + h), 80);
    if (previous)
        platform::DrawLine(static_cast<float>(previous->first), static_cast<float>(previous->second),
                           static_cast<float>(x), static_cast<float>(y));
    SetColorAlpha(0, 0, 0, 0.3f);
    platform::DrawLine(static_cast<float>(x - 9), static_cast<float>(f.bottom - 1), static_cast<float>(x - 9),
                       static_cast<float>(f.bottom - kGraphHeight));
    previous = std::make_pair(x, y);
    const bool hovered = PointerIn(x - 9, f.bottom - kGraphHeight, 19, kGraphHeight);
    if (hovered || selected) {
        SetColorAlpha(255, 255, 255, 0.3f);
        platform::DrawRect(static_cast<float>(x - 9), static_cast<float>(f.bottom - kGraphHeight), 19,
                           kGraphHeight);
    }
    return hovered;
}

// Walks the category newest first: graph points, selection by pin or pointer, and the
// retention rule. Removed records go after the walk so the table's indices stay valid during it.
void WalkGraph(Frame& f, int mode, int level, int flags) {
    int graph_x = f.w - f.s + 306 + graph_scroll;
    const int left_limit = f.w - 10 - (f.s + 4);
    const bool clicking = platform::MouseDown(1);
    std::optional<std::pair<int, int>> previous;
    std::vector<int> removed;
    int count = 0;
    for (int i = 0; i < static_cast<int>(ScoreList.size()); ++i) {
        const Scores& record = ScoreList[i];
        if (!InCategory(record, mode, level, flags)) continue;
        if (record.Best[30] == 1) f.result = 1;
        ++count;
        if (just_finished) {
            pinned_choice = count;
            just_finished = false;
        }
        if (pinned_choice == count && f.selected == kNoRecord) f.selected = i;
        const bool in_table = std::find(f.table.begin(), f.table.end(), i) != f.table.end();
        const bool remove = count > KeptRecentGames && !in_table;
        if (graph_x > left_limit) {
            if (DrawPoint(f, record, graph_x, previous, f.selected == i)) {
                f.selected = i;
                if (clicking) pinned_choice = count;
            }
            ++view.points;
            graph_x -= kPointSpacing;
        }
        if (remove) {
            removed.push_back(i);
            continue;
        }
        if (f.selected == i && clicking) pinned_choice = count;
    }
    // A pruned selection still shows its details this frame. Then drop the removed records and
    // move the table's and the selection's indices to where their records now stand.
    if (f.selected != kNoRecord && std::binary_search(removed.begin(), removed.end(), f.selected)) {
        f.pruned = ScoreList[f.selected];
        f.selected = kNoRecord;
    }
    const auto shift = [&](int index) {
        return index -
               static_cast<int>(std::lower_bound(removed.begin(), removed.end(), index) - removed.begin());
    };
    for (int& index : f.table) index = shift(index);
    if (f.selected != kNoRecord) f.selected = shift(f.selected);
    for (auto it = removed.rbegin(); it != removed.rend(); ++it) ScoreList.erase(ScoreList.begin() + *it);
}

bool HasSelection(const Frame& f) {
    return f.selected != kNoRecord || f.pruned.has_value();
}

void ScrollGraph(const Frame& f) {
    if (PointerIn(f.w - 10 - (f.s + 2), f.bottom - kGraphHeight, 32, kGraphHeight) && graph_scroll < 1000)
        graph_scroll += 8;
    if (PointerIn(f.w + 270 - f.s, f.bottom - kGraphHeight, 62, kGraphHeight) && graph_scroll > 0)
        graph_scroll -= 8;
}

// Rows 1 to 16; returns how many were shown.
int DrawTable(Frame& f) {
    const framework::LineFont row_font = framework::FontForLines(3, kRowHeight);
    const int left = f.w - 10 - (f.s - 4);
    const bool clicking = platform::MouseDown(1);
    int shown = 0;
    for (int r = 1; r <= ShownRows && r <= static_cast<int>(f.table.size()); ++r) {
        const int index = f.table[r - 1];
        const Scores& record = ScoreList[index];
        const int top = f.bottom - 426 + (r - 1) * kRowHeight;
        ++shown;
        if (pinned_choice == 1000 + r && !HasSelection(f)) f.selected = index;
        SetColorAlpha(255, 255, 255, 1.0f);
        if (PointerIn(left, top, 320, 18)) {
            f.selected = index;
            f.pruned.reset();
            if (clicking) pinned_choice = 1000 + r;
        }
        DrawLineText(row_font, left, top, record.Name.substr(0, 24), 0, 0);
        const std::string digits = "000000000000" + std::to_string(record.Score);
        DrawLineText(row_font, f.w + 314 - f.s, top, digits.substr(digits.size() - 12), 2, 0);
        if (f.selected == index) {
            SetColorAlpha(255, 255, 255, 0.3f);
            platform::DrawRect(static_cast<float>(left), static_cast<float>(top), 320, kRowHeight);
        }
    }
    return shown;
}

void DrawThanks(const Frame& f) {
    const bool bright = framework::Now() % 10000 > 5000;
    if (bright)
        SetColorAlpha(0, 0, 110, 0.7f);
    else
        SetColorAlpha(0, 0, 80, 0.6f);
    platform::DrawRect(static_cast<float>(f.w - 10 - (f.s + 2)), 0, 330, 200);
    const framework::LineFont line_font = framework::FontForLines(1, kThanksLinePitch);
    const int x = f.w - 10 - (f.s + 2) / 2;
    const auto line = [&](int y, const std::string& text) { DrawLineText(line_font, x, y, text, 1, 1); };
    SetColorAlpha(255, 255, 0);
    line(20, "You've been enjoying");
    line(20 + kThanksLinePitch, framework::GameTitle);
    line(20 + 2 * kThanksLinePitch, framework::WeekLabel());
    SetColorAlpha(255, 128, 0);
    line(90, "Why not thank Halvik");
    line(90 + kThanksLinePitch, "for making yet another");
    line(90 + 2 * kThanksLinePitch, "free downloadable game!");
    SetColorAlpha(0, 128, 255);
    line(165, kSiteText);
}

void DrawDetails(const Frame& f, const Scores& record) {
    const int left = f.w - 10 - (f.s - 4);
    SetColorAlpha(255, 255, 255, 0.6f);
    platform::DrawRect(static_cast<float>(f.w - 10 - (f.s + 2)), static_cast<float>(f.bottom - 566), 330,
                       140);
    framework::UseFontSlot(1);
    SetColorAlpha(80, 80, 0);
    DrawTextAligned(left, f.bottom - 562, record.Name, 0, 0);
    SetColorAlpha(0, 0, 80);
    DrawTextAligned(f.w + 314 - f.s, f.bottom - 541, std::to_string(record.Score), 2, 0);
    if (record.Best[30] == 1) {
        framework::UseFontSlot(4);
        SetColorAlpha(0, 80, 0);
        DrawTextAligned(left, f.bottom - 516, "Complete!", 0, 1);
    }
    framework::UseFontSlot(3);
    SetColorAlpha(0, 0, 0);
    DrawTextAligned(left, f.bottom - 430, FormatClock(record.Timestamp) + ", " + FormatDate(record.Timestamp),
                    0, 2);
    framework::ScaleTo(0.28f);
    SetColorAlpha(255, 255, 255, 1.0f);
    const int badges = std::clamp(framework::BadgeCount, 0, 16);
    for (int n = 1; n <= badges; ++n)
        if (record.Badges & (1 << (n - 1)))
            framework::DrawSprite(framework::BadgeImages, left + (n - 1) * 20 + 2, f.bottom - 476, n - 1,
                                  framework::MainSprites);
    framework::ScaleTo(1.0f);
}

// The last count characters of the zero padding followed by the number's digits.
std::string Padded(std::int64_t value, std::size_t count) {
    const std::string text = std::string(count, '0') + std::to_string(value);
    return text.substr(text.size() - count);
}

// Floored modulo, so damaged negative timestamps still give digits in range.
std::int64_t Mod(std::int64_t value, std::int64_t divisor) {
    const std::int64_t rest = value % divisor;
    return rest < 0 ? rest + divisor : rest;
}

}  // namespace

int DrawResultsPanel(int slide, int mode, int level, int flags) {
    Frame f;
    f.w = framework::VirtualWidth;
    f.h = framework::VirtualHeight;
    f.s = slide;
    f.bottom = f.h - 10;
    view = PanelView{};
    BuildTable(f, mode, level, flags);
    DrawBackground(f);
    WalkGraph(f, mode, level, flags);
    ScrollGraph(f);
    const int shown = DrawTable(f);
    if (shown > 10) DrawThanks(f);
    if (HasSelection(f)) view.selected = f.pruned ? *f.pruned : ScoreList[f.selected];
    if (view.selected) DrawDetails(f, *view.selected);
    framework::ResetDrawState();
    just_finished = false;
    for (int index : f.table) view.table.push_back(ScoreList[index]);
    view.pinned = pinned_choice;
    view.scroll = graph_scroll;
    view.thanks_box = shown > 10;
    return f.result;
}

void ResultsAfterGame() {
    graph_scroll = 0;
    pinned_choice = 0;
    just_finished = true;
}

const PanelView& ResultsPanelView() {
    return view;
}

std::string FormatClock(std::int64_t timestamp) {
    return Padded(Mod(timestamp / 3600, 24), 2) + ":" + Padded(Mod(timestamp / 60, 60), 2) + ":" +
           Padded(Mod(timestamp, 60), 2);
}

std::string FormatDate(std::int64_t timestamp) {
    const std::int64_t d = timestamp / 86400;
    const std::int64_t day = Mod(d - 1, 31) + 1;
    const std::int64_t m = (d - day) / 31;
    const std::int64_t month = Mod(m - 1, 12) + 1;
    const std::int64_t year = (m - month) / 12;
    return Padded(day, 2) + "-" + Padded(month, 2) + "-" + Padded(year, 4);
}

void ResetResultsPanel() {
    pinned_choice = 0;
    graph_scroll = 0;
    just_finished = false;
    view = PanelView{};
}

}  // namespace scores
