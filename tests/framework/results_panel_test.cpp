// The title screen's results panel (table order, retention, thanks box, graph pinning and
// scrolling) and the name-entry screen driven by scripted keys, on the headless back-ends.
#include "scores/results_panel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/display_setup.h"
#include "framework/frame_pump.h"
#include "framework/game_info.h"
#include "framework/hooks.h"
#include "framework/program.h"
#include "framework/support/program_fixture.h"
#include "platform/clock.h"
#include "platform/draw.h"
#include "platform/headless/recorder.h"
#include "platform/headless/script_input.h"
#include "scores/name_entry.h"
#include "scores/score_file.h"

namespace {

namespace hl = platform::headless;
using scores::ScoreList;
using scores::Scores;

constexpr int kRest = 320;  // slide offset of the panel at rest
constexpr int kEnter = 13, kEscape = 27, kBackspace = 8;

Scores Game(std::int64_t score, std::int64_t timestamp, const std::string& name = "P", int mode = 0) {
    Scores record;
    record.Score = score;
    record.Timestamp = timestamp;
    record.Name = name;
    record.GameMode = mode;
    return record;
}

class ResultsPanel : public testing_support::ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(platform::Graphics(800, 600, 0, 60, 0));
        platform::SetVirtualResolution(1280, 960);
        framework::VirtualWidth = 1280;
        framework::VirtualHeight = 960;
        framework::OverlayOn = 0;
        scores::ResetScores();
        scores::ResetResultsPanel();
        scores::InstallScores();
        PointAt(0, 0);
    }
    void TearDown() override {
        scores::ResetScores();
        scores::ResetResultsPanel();
        ProgramTest::TearDown();
    }
    // The frame pump records the pointer; the panel reads that record.
    static void PointAt(int x, int y) {
        framework::PointerX = x;
        framework::PointerY = y;
    }
    // Games G0 (oldest, lowest score) to G<count - 1> (newest, highest score).
    static void AddGames(int count, int mode = 0) {
        for (int i = 0; i < count; ++i)
            ScoreList.push_back(Game(100 + i, i + 1, "G" + std::to_string(i), mode));
        scores::SortScores();
    }
    static int Draw(int mode = 0) { return scores::DrawResultsPanel(kRest, mode, 0, 0); }
    static const scores::PanelView& View() { return scores::ResultsPanelView(); }
};

// Graph column x of the n-th game (newest first) and the panel's geometry at rest.
int GraphX(int n) {
    return 1280 - kRest + 306 - (n - 1) * 18;
}
constexpr int kGraphY = 900;
int RowY(int r) {
    return 950 - 426 + (r - 1) * 17 + 8;
}
constexpr int kRowX = 1000;

TEST_F(ResultsPanel, OtherCategoriesOnlyDrawNothingButTheBackground) {
    AddGames(12, 1);
    EXPECT_EQ(Draw(0), 0);
    EXPECT_TRUE(View().table.empty());
    EXPECT_EQ(View().points, 0);
    EXPECT_FALSE(View().selected);
    EXPECT_FALSE(View().thanks_box);
    EXPECT_EQ(ScoreList.size(), 12u);
}

TEST_F(ResultsPanel, TableIsBestFirstAndEqualScoresNewestFirst) {
    ScoreList = {Game(50, 9, "D"), Game(100, 8, "B"), Game(200, 1, "C"), Game(100, 2, "A"),
                 Game(7, 5, "X", 2)};
    ScoreList[3].Best[30] = 1;
    scores::SortScores();
    EXPECT_EQ(Draw(), 1);  // one game of the category was completed
    std::string order;
    for (const Scores& record : View().table) order += record.Name;
    EXPECT_EQ(order, "CBAD");
    EXPECT_EQ(View().points, 4);
}

TEST_F(ResultsPanel, FiftyFirstGameGoesUnlessAmongTheBest) {
    AddGames(51);     // the oldest game, G0, has the lowest score
    AddGames(60, 1);  // another category, never shown: never pruned
    Draw();
    EXPECT_EQ(ScoreList.size(), 50u + 60u);
    for (const Scores& record : ScoreList) EXPECT_FALSE(record.GameMode == 0 && record.Name == "G0");
    // An old game among the 25 best stays, however old.
    ScoreList.push_back(Game(999999, 0, "Old best"));
    Draw();
    EXPECT_EQ(ScoreList.size(), 51u + 60u);
    EXPECT_EQ(View().table.front().Name, "Old best");
    Draw(1);
    EXPECT_EQ(ScoreList.size(), 51u + 50u);
}

TEST_F(ResultsPanel, ThanksBoxFromElevenShownRows) {
    AddGames(10);
    Draw();
    EXPECT_FALSE(View().thanks_box);
    ScoreList.push_back(Game(1, 0));
    Draw();
    EXPECT_TRUE(View().thanks_box);
}

TEST_F(ResultsPanel, NewestGameIsPinnedAfterAGameUntilAnotherIsHovered) {
    AddGames(5);
    ScoreList.push_back(Game(1, 0, "Other mode", 1));
    scores::SortScores();
    Draw();
    EXPECT_FALSE(View().selected);
    scores::ResultsAfterGame();
    Draw();
    EXPECT_EQ(View().pinned, 1);
    ASSERT_TRUE(View().selected);
    EXPECT_EQ(View().selected->Name, "G4");
    Draw();  // the pin outlasts the after-game frame
    EXPECT_EQ(View().selected->Name, "G4");
    // Hovering the third game selects it for that frame only.
    PointAt(GraphX(3), kGraphY);
    Draw();
    EXPECT_EQ(View().selected->Name, "G2");
    PointAt(0, 0);
    Draw();
    EXPECT_EQ(View().selected->Name, "G4");
    // A click pins the hovered game; a click on a table row pins that row.
    PointAt(GraphX(3), kGraphY);
    hl::PressButton(1);
    Draw();
    EXPECT_EQ(View().pinned, 3);
    PointAt(kRowX, RowY(2));
    Draw();
    EXPECT_EQ(View().pinned, 1002);
    EXPECT_EQ(View().selected->Name, "G3");  // second best score
    hl::ReleaseButton(1);
    PointAt(0, 0);
    Draw();
    EXPECT_EQ(View().selected->Name, "G3");
}

TEST_F(ResultsPanel, HoveringTheLeftEndScrollsAndAGameScrollsBack) {
    AddGames(80);
    PointAt(1280 - 10 - (kRest + 2) + 10, kGraphY);
    for (int i = 0; i < 200; ++i) Draw();
    EXPECT_EQ(View().scroll, 1000);
    PointAt(1280 + 270 - kRest + 30, kGraphY);
    Draw();
    EXPECT_EQ(View().scroll, 992);
    framework::Screens.results_after_game();
    PointAt(0, 0);
    Draw();
    EXPECT_EQ(View().scroll, 0);
}

// On an 800-wide display the fonts are 1.2 and 1.4 times their base size, taller than the
// table's 17-pixel rows and the thanks box's 18-pixel lines. Names with descenders over names
// with capitals show it: no glyph may reach into the next line.
TEST_F(ResultsPanel, TableRowsAndThanksLinesStayApartWithTheFontsOfASmallDisplay) {
    CopyCommonAssets();
    std::filesystem::current_path(root_ / "Files" / framework::GameFolder());
    framework::LoadCommonAssets();
    ASSERT_GT(platform::FontHeight(framework::FontSlots[3]), 17);
    const char* names[] = {"Jumpy Quigley", "Peggy Yip",  "QWERTY", "gypsy jig", "Polly",     "ABC",
                           "yoyo",          "Mighty Gyp", "Tom",    "jj",        "Yggdrasil", "HIJ"};
    ScoreList.clear();
    for (int i = 0; i < 12; ++i) ScoreList.push_back(Game(1000 - i, 100 - i, names[i]));
    hl::ClearRecording();
    Draw();
    ASSERT_TRUE(View().thanks_box);

    const float table_top = 950 - 426;
    int table_glyphs = 0;
    for (const hl::RecordedQuad& quad : hl::RecordedQuads()) {
        const auto& a = quad.corners[0];
        const auto& c = quad.corners[2];
        if (quad.texture == 0 || a.r != 255 || a.g != 255 || a.b != 255 || a.y < table_top - 4) continue;
        ++table_glyphs;
        // The row whose band holds the glyph's middle; the glyph stays inside that band.
        const float row_top = table_top + std::floor(((a.y + c.y) / 2 - table_top) / 17) * 17;
        EXPECT_GE(a.y, row_top) << "glyph at " << a.x << "," << a.y;
        EXPECT_LE(c.y, row_top + 17) << "glyph at " << a.x << "," << a.y;
    }
    EXPECT_GT(table_glyphs, 12 * 12);  // at least the digits of every score

    // Thanks box lines are centred on these heights: the yellow, orange and blue text.
    const int centres[] = {20, 38, 56, 90, 108, 126, 165};
    int thanks_glyphs = 0;
    for (const hl::RecordedQuad& quad : hl::RecordedQuads()) {
        const auto& a = quad.corners[0];
        const auto& c = quad.corners[2];
        const bool thanks_colour = (a.r == 255 && a.g == 255 && a.b == 0) ||
                                   (a.r == 255 && a.g == 128 && a.b == 0) ||
                                   (a.r == 0 && a.g == 128 && a.b == 255);
        if (quad.texture == 0 || !thanks_colour) continue;
        ++thanks_glyphs;
        int nearest = centres[0];
        for (int centre : centres)
            if (std::abs((a.y + c.y) / 2 - centre) < std::abs((a.y + c.y) / 2 - nearest)) nearest = centre;
        EXPECT_GE(a.y, nearest - 9) << "glyph at " << a.x << "," << a.y;
        EXPECT_LE(c.y, nearest + 9) << "glyph at " << a.x << "," << a.y;
    }
    EXPECT_GT(thanks_glyphs, 100);
}

class NameEntry : public ResultsPanel {
  protected:
    void SetUp() override {
        ResultsPanel::SetUp();
        hl::UseScriptInput();
        hl::AtFrame(600, [] { hl::TapKey(kEnter); });  // a test that forgot to confirm
    }
};

TEST_F(NameEntry, TypingAppendsAndRefusesTheSeparator) {
    scores::PlayerName = "Jo";
    hl::AtFrame(2, [] { hl::TypeText("a|b c"); });
    hl::AtFrame(20, [] { hl::TapKey(kEnter); });
    scores::EnterName();
    EXPECT_EQ(scores::PlayerName, "Joab c");
    EXPECT_LT(hl::FrameNumber(), 100);
}

TEST_F(NameEntry, BackspaceRemovesOneCharacterPerPress) {
    scores::PlayerName = "AB";
    hl::AtFrame(2, [] { hl::TapKey(kBackspace); });
    hl::AtFrame(4, [] { EXPECT_EQ(scores::PlayerName, "A"); });
    hl::AtFrame(5, [] { hl::TapKey(kBackspace); });
    hl::AtFrame(7, [] { hl::TapKey(kBackspace); });
    hl::AtFrame(9, [] { hl::TypeText("Z"); });
    hl::AtFrame(12, [] { hl::TapKey(kEnter); });
    scores::EnterName();
    EXPECT_EQ(scores::PlayerName, "Z");
}

TEST_F(NameEntry, ButtonHeldFromTheGameDoesNotConfirmButANewPressDoes) {
    scores::PlayerName = "";
    hl::PressButton(1);
    hl::AtFrame(3, [] { hl::TypeText("Q"); });
    hl::AtFrame(6, [] { hl::ReleaseButton(1); });
    hl::AtFrame(10, [] { hl::PressButton(1); });
    hl::AtFrame(14, [] { hl::ReleaseButton(1); });
    scores::EnterName();
    EXPECT_EQ(scores::PlayerName, "Q");
    // It returns only once the button is up again.
    EXPECT_GE(hl::FrameNumber(), 14);
    EXPECT_LT(hl::FrameNumber(), 100);
}

TEST_F(NameEntry, EscapeHeldConfirmsAndIsWaitedOut) {
    scores::PlayerName = "Lee";
    hl::AtFrame(3, [] { hl::PressKey(kEscape); });
    hl::AtFrame(9, [] { hl::ReleaseKey(kEscape); });
    scores::EnterName();
    EXPECT_EQ(scores::PlayerName, "Lee");
    EXPECT_GE(hl::FrameNumber(), 9);
    EXPECT_LT(hl::FrameNumber(), 100);
}

TEST_F(NameEntry, CursorBlinksEveryThreeHundredMilliseconds) {
    // The frame pump calls the message hook after the screen is drawn: count that frame's quads
    // there. A "_" cursor adds one glyph quad; a blank adds none.
    static std::vector<std::pair<int, int>> frames;  // clock, quads
    frames.clear();
    framework::Screens.draw_messages = [] {
        frames.emplace_back(platform::MilliSecs(), static_cast<int>(hl::RecordedQuads().size()));
        hl::ClearRecording();
    };
    scores::PlayerName = "Ann";
    hl::AtFrame(100, [] { hl::TapKey(kEnter); });
    scores::EnterName();
    ASSERT_GT(frames.size(), 90u);
    std::set<int> counts;
    std::vector<int> switches;  // clock times where the count changes
    for (std::size_t i = 4; i < frames.size(); ++i) {
        counts.insert(frames[i].second);
        if (frames[i].second != frames[i - 1].second) switches.push_back(frames[i].first);
    }
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_EQ(*counts.rbegin(), *counts.begin() + 1);
    ASSERT_GE(switches.size(), 4u);
    for (std::size_t i = 1; i < switches.size(); ++i) EXPECT_NEAR(switches[i] - switches[i - 1], 300, 40);
}

}  // namespace
