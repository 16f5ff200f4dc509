// Test fixture for whole-program and screen tests.
#include "framework/support/program_fixture.h"

#include <algorithm>
#include <fstream>
#include <string>

#include "controls/controls.h"
#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/frame_pump.h"
#include "framework/game_info.h"
#include "framework/hooks.h"
#include "framework/log.h"
#include "framework/program.h"
#include "framework/settings.h"
#include "menus/settings_state.h"
#include "platform/draw.h"
#include "platform/headless/headless.h"
#include "platform/system.h"

namespace fs = std::filesystem;

namespace testing_support {

void ProgramTest::SetUp() {
    previous_dir_ = fs::current_path();
    // A parameterised test's name holds a '/', which must not make a folder of its own.
    std::string test_name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(test_name.begin(), test_name.end(), '/', '-');
    root_ = fs::temp_directory_path() / ("vantor-test-" + std::to_string(::getpid()) + "-" + test_name);
    fs::remove_all(root_);
    fs::create_directories(root_ / "Files" / "Common");
    fs::create_directories(root_ / "Files" / framework::GameFolder());
    fs::current_path(root_);
    platform::headless::UseHeadlessBackends(1000);
    platform::EndGraphics();
    framework::ResetHooks();
    framework::ResetProgram();
    framework::ResetFramePump();
    framework::ResetDisplaySetup();
    framework::ResetSettings();
    framework::ResetDrawHelpers();
    controls::ResetControls();
    controls::InitControls();
    menus::ResetSettingsState();
}

void ProgramTest::TearDown() {
    framework::CloseLog();
    platform::EndGraphics();
    fs::current_path(previous_dir_);
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void ProgramTest::CopyCommonAssets() {
    const fs::path source = fs::path(VANTOR_BUILD_DIR) / "Files" / "Common";
    for (const auto& entry : fs::directory_iterator(source)) {
        fs::copy_file(entry.path(), root_ / "Files" / "Common" / entry.path().filename(),
                      fs::copy_options::overwrite_existing);
    }
}

int ProgramTest::RunProgramUntilEnd() {
    try {
        framework::RunProgram();
    } catch (const platform::ProcessEnded& ended) {
        fs::current_path(root_);
        return ended.status;
    }
    return -1;
}

std::vector<std::string> ProgramTest::LogLines() const {
    std::ifstream in(root_ / "Files" / "Debug.txt", std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

void ProgramTest::WriteTextFile(const std::string& path, const std::vector<std::string>& lines) const {
    std::ofstream out(root_ / path, std::ios::binary);
    for (const std::string& line : lines) out << line << "\r\n";
}

int FindLine(const std::vector<std::string>& lines, const std::string& text, int start) {
    for (int i = start; i < static_cast<int>(lines.size()); ++i) {
        if (lines[i] == text) return i;
    }
    return -1;
}

}  // namespace testing_support
