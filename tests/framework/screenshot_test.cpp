// Screenshots: the safe file name, the picture written to "Files/" (the screen's own drawing, not
// the notice or the overlays), the log lines, the message, failures and F11 through the pump.
#include "framework/screenshot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/display_setup.h"
#include "framework/frame_pump.h"
#include "framework/game_info.h"
#include "framework/hooks.h"
#include "framework/log.h"
#include "framework/support/program_fixture.h"
#include "platform/clock.h"
#include "platform/draw.h"
#include "platform/files.h"
#include "platform/headless/manual_clock.h"
#include "platform/headless/recorder.h"
#include "platform/headless/script_input.h"
#include "scores/messages.h"

namespace fs = std::filesystem;
using testing_support::FindLine;

namespace {

constexpr int kF11 = 122;

TEST(SafeFileName, RemovesTheTwelveCharactersAndKeepsTheRest) {
    EXPECT_EQ(framework::SafeFileName("a#b'c,d`e.f\\g/h:i|j*k?l\"m"), "abcdefghijklm");
    EXPECT_EQ(framework::SafeFileName("Vantor 42 (Screenshot_08 Dec 2026_14:05:09)"),
              "Vantor 42 (Screenshot_08 Dec 2026_140509)");
    EXPECT_EQ(framework::SafeFileName("..::.."), "");
    EXPECT_EQ(framework::SafeFileName("\xe9t\xe9 [1] {x} <y> ~"), "\xe9t\xe9 [1] {x} <y> ~");
}

class Screenshot : public testing_support::ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        platform::headless::SetManualDateTime(2026, 12, 8, 14, 5, 9);
        fs::current_path(game_dir());
        ASSERT_TRUE(platform::Graphics(800, 600, 0, 60, 0));
        platform::SetVirtualResolution(1280, 960);
        ASSERT_TRUE(framework::OpenLog((root_ / "Files" / "Debug.txt").string()));
        scores::ResetMessages();
        scores::InstallMessages();
        framework::InstallScreenshots();
    }
    void TearDown() override {
        scores::ResetMessages();
        ProgramTest::TearDown();
    }
    fs::path game_dir() const { return root_ / "Files" / framework::GameFolder(); }
    // Fills the frame with one colour, as a screen's own drawing.
    static void DrawScreen(int r, int g, int b) {
        platform::SetColor(r, g, b);
        platform::DrawRect(0, 0, 1280, 960);
    }
    // The saved picture's pixels, read back through the image loader.
    static platform::Image LoadShot(const fs::path& path) { return platform::LoadImage(path.string(), 0); }
    static int CountPixels(const platform::Image& image, int r, int g, int b) {
        int count = 0;
        for (std::size_t i = 0; i + 3 < image->pixels.size(); i += 4) {
            count += image->pixels[i] == r && image->pixels[i + 1] == g && image->pixels[i + 2] == b;
        }
        return count;
    }
    static const std::string kName;
};

const std::string Screenshot::kName = "Vantor 42 (Screenshot_08 Dec 2026_140509).png";

TEST_F(Screenshot, NamesTheFileAfterTheGameDateAndTime) {
    EXPECT_EQ(framework::ScreenshotFileName(), kName);
    platform::headless::SetManualDateTime(2026, 1, 3, 9, 7, 3);
    EXPECT_EQ(framework::ScreenshotFileName(), "Vantor 42 (Screenshot_03 Jan 2026_090703).png");
}

TEST_F(Screenshot, SavesTheScreensDrawingAtDisplaySizeLogsAndPostsTheMessage) {
    DrawScreen(200, 30, 40);
    platform::headless::ClearRecording();
    framework::TakeScreenshot();
    const fs::path saved = root_ / "Files" / kName;
    ASSERT_TRUE(fs::exists(saved));
    const platform::Image shot = LoadShot(saved);
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->width, 800);
    EXPECT_EQ(shot->height, 600);
    // Only the screen's red: the notice was drawn after the grab.
    EXPECT_EQ(CountPixels(shot, 200, 30, 40), 800 * 600);
    // The notice was presented while the file was written.
    EXPECT_EQ(platform::headless::PresentCount(), 1);
    EXPECT_FALSE(platform::headless::LastFrameQuads().empty());

    EXPECT_TRUE(fs::equivalent(fs::current_path(), game_dir()));
    ASSERT_EQ(scores::MessageList.size(), 1u);
    EXPECT_EQ(scores::MessageList.front().txt, "Saved Screenshot");
    framework::CloseLog();
    const std::vector<std::string> lines = LogLines();
    const int at = FindLine(lines, "\tScreenshot");
    ASSERT_GE(at, 1);
    const std::vector<std::string> expected = {
        "", "\tScreenshot", "\tGrabbing Screenshot", "\tSaving Screenshot : " + kName, "\tSaved Screenshot 1",
        ""};
    ASSERT_GE(lines.size(), static_cast<std::size_t>(at - 1) + expected.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin() + at - 1, lines.begin() + at - 1 + 6), expected);
    // Nothing is left behind but the picture.
    int files = 0;
    for (const auto& entry : fs::directory_iterator(root_ / "Files")) files += entry.is_regular_file();
    EXPECT_EQ(files, 2);  // the picture and the log
}

TEST_F(Screenshot, AFailedSaveIsLoggedAsZeroAndTheMessageStillAppears) {
    // A folder where the picture should go: the file cannot take its place.
    fs::create_directory(root_ / "Files" / kName);
    DrawScreen(10, 20, 30);
    framework::TakeScreenshot();
    framework::CloseLog();
    EXPECT_GE(FindLine(LogLines(), "\tSaved Screenshot 0"), 0);
    EXPECT_EQ(FindLine(LogLines(), "\tSaved Screenshot 1"), -1);
    EXPECT_TRUE(fs::is_directory(root_ / "Files" / kName));
    EXPECT_EQ(scores::MessageList.size(), 1u);
    EXPECT_TRUE(fs::equivalent(fs::current_path(), game_dir()));
}

TEST_F(Screenshot, WithoutAFilesTreeTheProgramStaysInItsOwnFolder) {
    // The program runs from its own folder when "Files/" is missing; the step up leaves it, so
    // the way back must not depend on finding the game folder.
    const fs::path own = root_ / "own";
    fs::create_directory(own);
    fs::current_path(own);
    DrawScreen(1, 2, 3);
    framework::TakeScreenshot();
    EXPECT_TRUE(fs::equivalent(fs::current_path(), own));
    EXPECT_TRUE(fs::exists(root_ / kName));  // written one folder up, where "Files/" would be
}

TEST_F(Screenshot, F11InThePumpSavesTheFrameWithoutOverlayPointerOrMessages) {
    framework::OverlayOn = 1;
    framework::LastFrameTime = platform::MilliSecs();
    scores::ShowMessage("older message", 1);
    DrawScreen(20, 160, 90);
    platform::headless::PressKey(kF11);
    framework::FramePump(1);
    const fs::path saved = root_ / "Files" / kName;
    ASSERT_TRUE(fs::exists(saved));
    const platform::Image shot = LoadShot(saved);
    ASSERT_TRUE(shot);
    EXPECT_EQ(CountPixels(shot, 20, 160, 90), 800 * 600);
    // The pump drew the new message in the same frame.
    ASSERT_EQ(scores::MessageList.size(), 2u);
    EXPECT_EQ(scores::MessageList.back().txt, "Saved Screenshot");
    EXPECT_EQ(scores::MessageList.back().tick, 1);
    // A held F11 takes no second picture.
    fs::remove(saved);
    framework::FramePump(1);
    EXPECT_FALSE(fs::exists(saved));
}

}  // namespace
