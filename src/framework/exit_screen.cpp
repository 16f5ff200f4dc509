// The exit screen. Everything that must survive the process (setup file, scores, the log's last
// lines) is written before anything is drawn, so a player who closes the thanks page at once, or
// a key still held from the title screen, loses nothing.
#include "framework/exit_screen.h"

#include <algorithm>

#include "controls/controls.h"
#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/hooks.h"
#include "framework/log.h"
#include "framework/settings.h"
#include "platform/clock.h"
#include "platform/draw.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/random.h"
#include "platform/system.h"
#include "scores/score_file.h"

namespace framework {
namespace {

constexpr int kPageWidth = 640, kPageHeight = 480;
constexpr int kKeyF4 = 115, kKeyLeftAlt = 164, kKeyRightAlt = 165;
constexpr const char* kSiteAddress = "tamblin.net";

void WriteClosingLog() {
    LogLine("Closing Up");
    LogLine("");
    LogLine("Bye!");
    LogLine("");
    LogLine("Play again, soon!!");
}

// The logos come from the shared assets folder. The process ends there, so it is not left.
void LoadLogos() {
    platform::ChangeDir("../");
    platform::ChangeDir("Common/");
    UseBlend(1);
    SetColorAlpha(255, 255, 255, 1.0f);
    platform::AutoMidHandle(false);
    LogoImage = platform::LoadImage("logo.png", 3);
    SiteLogoImage = platform::LoadImage("Tamblin.png", 3);
    if (LogoImage) platform::SetImageHandle(LogoImage, 0, 0);
    if (SiteLogoImage) platform::SetImageHandle(SiteLogoImage, 0, 0);
}

// The site logo's corner on the page; the headings to its left end this far before it.
constexpr int kSiteLogoX = 384, kSiteLogoY = 224;
constexpr int kLogoMargin = 8;
constexpr int kPageMargin = 4;
constexpr int kColumnX = 270, kColumnPitch = 20;

constexpr const char* kHeading = "Thanks for Playing";
constexpr const char* kFeedback = "Send Feedback!";
constexpr const char* kColumnHeading = "This Game is Free";

// The column of the appeal, each line with its top edge.
const struct {
    int y;
    const char* text;
} kColumnLines[] = {{44, "I do not ask for money."},
                    {64, "I create these games for fun."},
                    {84, "All I ask is that players send some feedback."},
                    {104, "A comment, an email, a vote."},
                    {134, "Do the right thing."},
                    {164, "Support Homebrew games by"},
                    {184, "saying thanks to their developers."}};

// The scale at which the text, in the font of the slot, fits a box of width by height pixels;
// never above 1. The fonts were sized for a virtual screen scaled down onto a game display, and
// this page has no virtual screen, so at their loaded size they can outgrow their places.
float FitScale(int slot, const char* text, int width, int height) {
    UseFontSlot(slot);
    float scale = 1.0f;
    const int font_height = platform::TextHeight(), text_width = platform::TextWidth(text);
    if (font_height > height) scale = static_cast<float>(height) / static_cast<float>(font_height);
    if (text_width > width)
        scale = std::min(scale, static_cast<float>(width) / static_cast<float>(text_width));
    return scale;
}

void DrawPageText(int slot, int x, int y, const char* text, float scale) {
    UseFontSlot(slot);
    ScaleTo(scale);
    DrawTextAligned(x, y, text, 0, 0);
    ScaleTo(1.0f);
}

// Each text keeps its place: the heading and the appeal for feedback stay left of the site
// logo and above one another, the column's heading above the column, and the column's lines
// (all at one scale) inside the page and apart from each other.
struct PageScales {
    float heading, feedback, column_heading, column;
};

PageScales ChoosePageScales() {
    PageScales scales{};
    scales.heading = FitScale(6, kHeading, kSiteLogoX - kLogoMargin, 274 - 220);
    scales.feedback = FitScale(7, kFeedback, kSiteLogoX - kLogoMargin - 50, kPageHeight - 274);
    scales.column_heading =
        FitScale(8, kColumnHeading, kPageWidth - kPageMargin - 320, kColumnLines[0].y - 4);
    float column = 1.0f;
    for (const auto& line : kColumnLines)
        column = std::min(column, FitScale(9, line.text, kPageWidth - kPageMargin - kColumnX, kColumnPitch));
    scales.column = column;
    return scales;
}

// The fonts were made for the display that was just closed; the platform rebuilds their glyph
// atlases for the new one on first use.
void DrawPage() {
    ScaleTo(0.5f);
    platform::DrawImage(LogoImage, 0, 0);
    platform::DrawImage(SiteLogoImage, kSiteLogoX, kSiteLogoY);
    ScaleTo(1.0f);
    const PageScales scales = ChoosePageScales();
    SetColorAlpha(0, 0, 0, 0.8f);
    DrawPageText(6, 2, 222, kHeading, scales.heading);
    DrawPageText(7, 52, 276, kFeedback, scales.feedback);
    SetColorAlpha(255, 255, 255, 1.0f);
    DrawPageText(6, 0, 220, kHeading, scales.heading);
    DrawPageText(7, 50, 274, kFeedback, scales.feedback);
    SetColorAlpha(180, 255, 255, 1.0f);
    DrawPageText(8, 320, 4, kColumnHeading, scales.column_heading);
    for (const auto& line : kColumnLines) DrawPageText(9, kColumnX, line.y, line.text, scales.column);
}

bool InputArrived() {
    if (controls::DetectInput() > 0) return true;
    if (platform::MouseDown(1) || platform::MouseDown(2)) return true;
    if (platform::KeyDown(kKeyF4) && (platform::KeyDown(kKeyLeftAlt) || platform::KeyDown(kKeyRightAlt))) {
        return true;
    }
    return platform::CloseRequested();
}

// Polls until input arrives. Input is refreshed at most once a millisecond when read, so each
// poll waits one millisecond: the wait reacts as fast as a busy poll without burning a core.
void WaitForAnyInput() {
    while (!InputArrived()) platform::Delay(1);
}

}  // namespace

std::string FarewellText(int which) {
    const std::string site = kSiteAddress;
    switch (which) {
        case 2:
            return "Thanks for playing!\nPlay again soon!\n\n" + site;
        case 3:
            return "Everyone loves feedback.\n\nGo and spend 10 minutes sending\nsome emails to the\n"
                   "developers of your\nfavourite games.";
        case 4:
            return "Feedback is King\n\n" + site;
        case 5:
            return "This game was free.\n\nWhy not say thanks..\n\n" + site;
        default:
            return "Hope you enjoyed the game.\nFeedback is always appreciated.\n\n" + site;
    }
}

void RunExitScreen() {
    platform::ShowMouse();
    WriteSetupFile();
    // A game over whose name was still being typed is stored under the name so far.
    if (!scores::StoreHeldRecord()) scores::SaveScores();
    WriteClosingLog();
    platform::EndGraphics();
    // Without a window there is nothing to show and no input to wait for.
    if (platform::Graphics(kPageWidth, kPageHeight, 0, 60, 0)) {
        platform::Cls();
        SetColorAlpha(0, 0, 80, 1.0f);
        platform::DrawRect(0, 0, kPageWidth, kPageHeight);
        LoadLogos();
        DrawPage();
        platform::Flip(-1);
        WaitForAnyInput();
        platform::EndGraphics();
    }
    platform::Print(FarewellText(platform::Rand(1, 5)));
    CloseLog();
    platform::EndProcess(0);
}

void InstallExitScreen() {
    Screens.exit_screen = RunExitScreen;
}

}  // namespace framework
