// Whole-program runs on the headless back-ends: start-up from the install folder, the log's
// loading steps, the splash's minimum time, and leaving the title screen with Escape.
#include "framework/program.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "framework/display_setup.h"
#include "framework/game_info.h"
#include "framework/hooks.h"
#include "framework/settings.h"
#include "framework/support/program_fixture.h"
#include "platform/clock.h"
#include "platform/headless/recorder.h"
#include "platform/headless/script_input.h"

namespace fs = std::filesystem;
using testing_support::FindLine;

namespace {

class Program : public testing_support::ProgramTest {
  protected:
    // Presses Escape on the tenth title-screen frame; remembers when the first one started.
    void LeaveTitleScreenSoon() {
        framework::Screens.draw_results_panel = [](int, int, int, int) {
            if (first_title_frame_ms < 0) first_title_frame_ms = platform::MilliSecs();
            if (++title_frames == 10) platform::headless::PressKey(27);
        };
    }
    void ExpectInOrder(const std::vector<std::string>& wanted) {
        const std::vector<std::string> lines = LogLines();
        int at = 0;
        for (const std::string& line : wanted) {
            const int found = FindLine(lines, line, at);
            ASSERT_GE(found, 0) << "missing or out of order: '" << line << "'";
            at = found + 1;
        }
    }
    static inline int title_frames = 0;
    static inline int first_title_frame_ms = -1;
    void SetUp() override {
        ProgramTest::SetUp();
        title_frames = 0;
        first_title_frame_ms = -1;
    }
};

TEST_F(Program, ReachesTheTitleScreenWithDefaultsAndLogsEveryLoadingStep) {
    CopyCommonAssets();
    LeaveTitleScreenSoon();
    ASSERT_EQ(RunProgramUntilEnd(), 0);
    ExpectInOrder({"Halvik's Brisklow Engine",
                   std::string(28, '-'),
                   "Week #42",
                   std::string(28, '-'),
                   "#42 : Vantor 42",
                   std::string(28, '-'),
                   "",
                   "Loading",
                   "Setting Audio Driver",
                   "Set Audio Driver",
                   "",
                   "\tRequested Resolution : 800x600",
                   "\tSetup Loaded",
                   "",
                   "Grabbing Previous Scores",
                   "",
                   "",
                   "-=-=-=-=-=-=-=-=-=-=-=-=-=-",
                   "Applying Graphical Settings",
                   "\tUsing OpenGL Driver",
                   "\tResolution : 800x600,0",
                   "",
                   "Loading : Common Objects",
                   "",
                   "Switching to Default Folder",
                   "",
                   "\tDefault Fonts",
                   "\tDefault Icons",
                   "\tLogos",
                   "\tBadgeGet",
                   "",
                   "Switching to Game Folder",
                   "",
                   "Loading Sound effects",
                   "Sounds loaded",
                   "",
                   "-=-=-=-=-=-=-=-=-=-=-=-=-=-",
                   "Finished Loading"});
    EXPECT_EQ(framework::Settings[5], 800);
    EXPECT_EQ(framework::Settings[6], 600);
    EXPECT_EQ(framework::Settings[1], 0);
    EXPECT_EQ(framework::Settings[3], 0);
    EXPECT_EQ(framework::Settings[11], 50);
    EXPECT_EQ(platform::headless::LastDisplayRequest().depth, 0);
    EXPECT_EQ(title_frames, 10);
    // The splash stays up 2.5 s counted from before the display opened (the clock started at 1000).
    EXPECT_GE(first_title_frame_ms, 3500);
    EXPECT_FALSE(fs::exists(root_ / "Files" / framework::GameFolder() / "crash.dat"));
    EXPECT_TRUE(framework::FontSlots[5] && framework::IconsFiltered && framework::LogoImage);
}

TEST_F(Program, RunsWithoutAnyAssetsOrFolders) {
    fs::remove_all(root_ / "Files");
    LeaveTitleScreenSoon();
    EXPECT_EQ(RunProgramUntilEnd(), 0);
    EXPECT_EQ(title_frames, 10);
    // Without "Files/" the program stays in its own folder and writes the log there.
    EXPECT_TRUE(fs::exists(root_ / "Debug.txt"));
    EXPECT_FALSE(fs::exists(root_ / "Files"));
}

TEST_F(Program, SurvivesDamagedAssetFiles) {
    const fs::path common = root_ / "Files" / "Common";
    std::ofstream(common / "SVBasicManual.ttf", std::ios::binary);  // zero bytes
    std::ofstream(common / "icons.png", std::ios::binary) << "\x89PNG\r\n\x1a\n truncated";
    std::ofstream(common / "badgeget.wav", std::ios::binary) << "RIFF\x10\0\0\0WAVEfmt ";
    fs::create_directory(common / "logo.png");  // a folder where a picture should be
    LeaveTitleScreenSoon();
    EXPECT_EQ(RunProgramUntilEnd(), 0);
    EXPECT_EQ(title_frames, 10);
    EXPECT_FALSE(framework::FontSlots[1]);
    EXPECT_FALSE(framework::IconsFiltered);
}

TEST_F(Program, LogsOnlyTheSoundEffectsThatExist) {
    for (const char* name : {"001.wav", "002.wav", "010.wav"}) {
        std::ofstream(root_ / "Files" / framework::GameFolder() / name) << "not really a sound";
    }
    LeaveTitleScreenSoon();
    ASSERT_EQ(RunProgramUntilEnd(), 0);
    int sfx_lines = 0;
    for (const std::string& line : LogLines()) sfx_lines += line.rfind("\tSFX(", 0) == 0;
    EXPECT_EQ(sfx_lines, 3);
    ExpectInOrder({"\tSFX(1)", "\tSFX(2)", "\tSFX(10)"});
}

TEST_F(Program, CrashMarkerMovesOpenGLToTheNextRenderer) {
    std::ofstream(root_ / "Files" / framework::GameFolder() / "crash.dat");
    LeaveTitleScreenSoon();
    ASSERT_EQ(RunProgramUntilEnd(), 0);
    EXPECT_EQ(framework::Settings[3], 1);
    ExpectInOrder({"Applying Graphical Settings", "\tUsing DirectX 9 Driver"});
    EXPECT_FALSE(fs::exists(root_ / "Files" / framework::GameFolder() / "crash.dat"));
}

TEST_F(Program, ReadsTheSetupFileBeforeOpeningTheDisplay) {
    WriteTextFile("Files/Setup.ini", {"[Graphics]", "Width=1024", "Height=768", "[Controls]", "Key=10,88"});
    LeaveTitleScreenSoon();
    ASSERT_EQ(RunProgramUntilEnd(), 0);
    ExpectInOrder({"\tReading Setup File", "\tRequested Resolution : 1024x768", "\tResolution : 1024x768,0"});
    EXPECT_EQ(framework::DisplayWidth, 1024);
}

TEST(GameInfo, FolderAndCaptionFollowTheWeekNumber) {
    EXPECT_EQ(framework::GameFolderFor(7), "007/");
    EXPECT_EQ(framework::GameFolderFor(1234), "234/");
    EXPECT_EQ(framework::GameFolder(), "042/");
    EXPECT_EQ(framework::WindowTitle(), "#42 : Vantor 42");
}

TEST(Credits, TwentyLinesFromIndexOne) {
    framework::FillCredits();
    EXPECT_EQ(framework::CreditCount, 21);
    EXPECT_EQ(framework::CreditLines[0], "");
    EXPECT_EQ(framework::CreditLines[1], "A Game by Halvik");
    EXPECT_EQ(framework::CreditLines[6], "using Halvik's Framework");
    EXPECT_EQ(framework::CreditLines[18], "Music : Shiny Tech 2");
    for (int i : {9, 10, 11}) EXPECT_EQ(framework::CreditLines[i].rfind("Font : ", 0), 0u) << i;
}

}  // namespace
