// Display setup: the mode list, the virtual resolution by the display's shape, fullscreen depth,
// font sizes by display width, and reapplying without a splash.
#include "framework/display_setup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "framework/game_info.h"
#include "framework/hooks.h"
#include "framework/log.h"
#include "framework/program.h"
#include "framework/settings.h"
#include "framework/support/program_fixture.h"
#include "platform/draw.h"
#include "platform/headless/recorder.h"

namespace fs = std::filesystem;
using platform::DisplayMode;
using testing_support::FindLine;

namespace {

std::string last_message;

class DisplaySetup : public testing_support::ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        last_message.clear();
        framework::Screens.show_message = [](const std::string& text, int) { last_message = text; };
        fs::current_path(root_ / "Files" / framework::GameFolder());
        applies = 0;
    }
    // Applies the size; the log of the n-th apply goes to "Debug<n>.txt".
    void Apply(int width, int height, int fullscreen = 0) {
        framework::Settings[5] = width;
        framework::Settings[6] = height;
        framework::Settings[1] = fullscreen;
        framework::OpenLog("../Debug" + std::to_string(++applies) + ".txt");
        framework::ApplyDisplaySettings();
        framework::CloseLog();
    }
    int applies = 0;
    std::vector<std::string> Lines(const char* name) const {
        std::vector<std::string> lines;
        std::ifstream in(root_ / "Files" / name, std::ios::binary);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }
};

TEST(VirtualResolution, FollowsTheDisplaysShape) {
    struct Case {
        int w, h, vw, vh, wide;
    };
    for (const Case& c :
         {Case{1366, 768, 1600, 900, 1}, Case{1920, 1080, 1600, 900, 1}, Case{1280, 800, 1440, 900, 1},
          Case{800, 600, 1280, 960, 0}, Case{1024, 768, 1280, 960, 0}, Case{640, 480, 1280, 960, 0}}) {
        int vw = 0, vh = 0;
        EXPECT_EQ(framework::ChooseVirtualResolution(c.w, c.h, vw, vh), c.wide) << c.w << "x" << c.h;
        EXPECT_EQ(vw, c.vw) << c.w << "x" << c.h;
        EXPECT_EQ(vh, c.vh) << c.w << "x" << c.h;
    }
}

TEST(ModeList, KeepsOnlyUsableShapes) {
    EXPECT_TRUE(framework::ModeShapeUsable(1366, 768));
    EXPECT_TRUE(framework::ModeShapeUsable(1280, 800));
    EXPECT_TRUE(framework::ModeShapeUsable(1024, 768));
    EXPECT_FALSE(framework::ModeShapeUsable(1280, 1024));
    EXPECT_FALSE(framework::ModeShapeUsable(1360, 768));
}

TEST_F(DisplaySetup, ListsEachSizeOnceAndFallsBackFromAnUnlistedSize) {
    platform::headless::UseRecorder({DisplayMode{800, 600, 16, 60}, DisplayMode{800, 600, 32, 60},
                                     DisplayMode{1280, 1024, 32, 60}, DisplayMode{1366, 768, 32, 60}});
    Apply(1280, 1024);
    EXPECT_EQ(framework::ModeCount, 2);
    EXPECT_EQ(framework::DisplayWidth, 800);
    EXPECT_EQ(framework::Settings[5], 800);
    EXPECT_EQ(framework::Settings[6], 600);
    Apply(1366, 768);
    EXPECT_EQ(framework::Settings[4], 2);
    EXPECT_EQ(framework::Settings[2], 1);
    EXPECT_EQ(framework::VirtualWidth, 1600);
    EXPECT_EQ(platform::VirtualResolutionHeight(), 900);
    EXPECT_GE(FindLine(Lines("Debug2.txt"), "\tWidescreen mode!"), 0);
}

TEST_F(DisplaySetup, SixteenByTenLogsWidescreenModeB) {
    platform::headless::UseRecorder({DisplayMode{1280, 800, 32, 60}});
    Apply(1280, 800);
    EXPECT_EQ(framework::VirtualWidth, 1440);
    EXPECT_GE(FindLine(Lines("Debug1.txt"), "\tWidescreen mode B (10:16)!"), 0);
}

TEST_F(DisplaySetup, FullscreenTakesTheDeepestDepthOrFallsBackToAWindow) {
    platform::headless::UseRecorder({DisplayMode{1024, 768, 16, 60}, DisplayMode{800, 600, 32, 60}});
    Apply(1024, 768, 1);
    EXPECT_EQ(platform::headless::LastDisplayRequest().depth, 16);
    EXPECT_TRUE(last_message.empty());
    platform::headless::UseRecorder({DisplayMode{800, 600, 8, 60}});
    framework::AssetsLoaded = 0;
    Apply(800, 600, 1);
    EXPECT_EQ(platform::headless::LastDisplayRequest().depth, 0);
    EXPECT_EQ(framework::Settings[1], 1);
    EXPECT_EQ(last_message, "Can't set to fullscreen in this resolution.");
}

TEST_F(DisplaySetup, SmallDisplaysGetLargerFonts) {
    CopyCommonAssets();
    platform::headless::UseRecorder({DisplayMode{640, 480, 32, 60}, DisplayMode{500, 375, 32, 60}});
    Apply(640, 480);
    EXPECT_EQ(platform::FontHeight(framework::FontSlots[2]), 22);
    EXPECT_EQ(platform::FontHeight(framework::FontSlots[3]), 22);
    EXPECT_EQ(platform::FontHeight(framework::FontSlots[1]), 28);
    EXPECT_EQ(platform::FontHeight(framework::FontSlots[10]), 112);   // not scaled
    EXPECT_EQ(platform::FontHeight(framework::SizedFonts[28]), 115);  // 96 x 1.2
    Apply(500, 375);
    EXPECT_EQ(platform::FontHeight(framework::FontSlots[2]), 32);
    EXPECT_EQ(platform::FontHeight(framework::FontSlots[1]), 36);
}

TEST_F(DisplaySetup, ReapplyingReloadsWithoutSplashOrJingle) {
    CopyCommonAssets();
    int loads = 0;
    static int* counter = &loads;
    framework::Game.load_game_assets = [] { ++*counter; };
    Apply(800, 600);
    const int presents_after_first = platform::headless::PresentCount();
    const platform::Channel jingle = framework::Channels[256];
    const platform::Font first_font = framework::FontSlots[3];
    Apply(800, 600);
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(platform::headless::PresentCount(), presents_after_first);
    EXPECT_EQ(framework::Channels[256], jingle);
    EXPECT_NE(framework::FontSlots[3], first_font);
    EXPECT_GE(FindLine(Lines("Debug2.txt"), "\tChanged Graphics Mode ingame."), 0);
    EXPECT_EQ(fs::current_path(), root_ / "Files" / "042");
}

}  // namespace
