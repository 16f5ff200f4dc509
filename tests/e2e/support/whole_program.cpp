// The whole program under the headless back-ends with a scripted player.
#include "e2e/support/whole_program.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "controls/controls.h"
#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/frame_pump.h"
#include "framework/game_info.h"
#include "framework/hooks.h"
#include "framework/log.h"
#include "framework/program.h"
#include "framework/settings.h"
#include "game/entities.h"
#include "game/game.h"
#include "game/play_loop.h"
#include "menus/settings_state.h"
#include "music/patterns.h"
#include "music/playback.h"
#include "music/song.h"
#include "platform/clock.h"
#include "platform/draw.h"
#include "platform/headless/headless.h"
#include "platform/headless/script_input.h"
#include "platform/system.h"
#include "scores/messages.h"
#include "scores/results_panel.h"
#include "scores/score_file.h"

namespace fs = std::filesystem;
using namespace platform::headless;

namespace e2e_testing {
namespace {

constexpr int kKeyEnter = 13, kKeyEscape = 27, kKeySpace = 32, kKeyRight = 39;
constexpr int kKeyM = 77, kKeyZ = 90;
// A game the player cannot end within this many frames is ended by the script (and the test
// fails), so a broken game cannot hang the suite.
constexpr int kGameFrameLimit = 20000;

// The run in progress and the hooks the scripted wrappers hand on to.
struct ScriptedRun {
    CloseAt close_at = CloseAt::Never;
    std::string name;
    RunReport report;
    bool loading_game_assets = false, in_game = false;
    int engine_frames = 0, frames_after_game = 0;
    framework::GameHooks game;
    framework::ScreenHooks screens;
};
ScriptedRun* current = nullptr;

void LoadGameAssetsScripted() {
    current->loading_game_assets = true;
    if (current->game.load_game_assets) current->game.load_game_assets();
    current->loading_game_assets = false;
}

void RunGameScripted() {
    current->in_game = true;
    current->game.run_game();
    current->in_game = false;
    current->report.game_finished = true;
}

// The thanks page waits for any input: the player presses a key after reading it.
void ExitScreenScripted() {
    AtTime(platform::MilliSecs() + 2000, [] { PressKey(kKeySpace); });
    current->screens.exit_screen();
}

void OnTitleFrame(ScriptedRun& run) {
    if (run.report.game_finished) {
        if (++run.frames_after_game != 5) return;
        ReleaseKey(kKeyRight);
        ReleaseKey(kKeyZ);
        PressKey(kKeyEscape);
        return;
    }
    const int frame = ++run.report.title_frames;
    if (frame == 10) TapKey(kKeyM);  // a sequenced song, read from its file
    if (frame == 30) {
        PressKey(kKeyRight);  // a start control, then the course out of the safe zone
        PressKey(kKeyZ);      // firing to the left all game
    }
}

void OnGameFrame(ScriptedRun& run) {
    const int frame = ++run.report.game_frames;
    if (frame == 100 && run.close_at == CloseAt::Play) RequestClose();
    if (frame == 100 && run.close_at == CloseAt::PauseMenu) {
        // The pause menu opens once Escape is let go.
        PressKey(kKeyEscape);
        AtTime(platform::MilliSecs() + 200, [] { ReleaseKey(kKeyEscape); });
    }
    if (frame == kGameFrameLimit) game::Health = 0;
}

void OnPauseFrame(ScriptedRun& run) {
    if (++run.report.pause_frames == 5) RequestClose();
}

// Name entry takes one typed character a frame: the name is complete from frame 2 + its length.
void OnNameEntryFrame(ScriptedRun& run) {
    const int frame = ++run.report.name_frames;
    const int typed = 2 + static_cast<int>(run.name.size());
    if (frame == 2) TypeText(run.name);
    if (frame == typed + 1 && run.close_at == CloseAt::NameEntry) RequestClose();
    if (frame == typed + 3) PressKey(kKeyEnter);
    if (frame == typed + 6) ReleaseKey(kKeyEnter);
}

// Called by every frame pump, on every screen.
void OnFramePump() {
    ScriptedRun& run = *current;
    if (run.screens.music_tick) run.screens.music_tick();
    if (run.loading_game_assets) {
        if (++run.engine_frames == 3 && run.close_at == CloseAt::EngineTest) RequestClose();
    } else if (!run.in_game) {
        OnTitleFrame(run);
    } else if (framework::InGame == 1) {
        OnGameFrame(run);
    } else if (framework::InGame == 2) {
        OnPauseFrame(run);
    } else {
        OnNameEntryFrame(run);
    }
}

void ResetEverything() {
    UseHeadlessBackends(1000);
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
    scores::ResetScores();
    scores::ResetMessages();
    scores::ResetResultsPanel();
    music::ResetMusic();
    music::ResetSequencer();
    music::ResetSongTables();
}

bool IsWrittenByTheGame(const fs::path& relative) {
    const std::string name = relative.filename().string();
    return name == "Debug.txt" || name == "Setup.ini" || name == "scores.dat" || name.ends_with(".tmp") ||
           (relative.extension() == ".png" && relative.parent_path().empty());
}

}  // namespace

void WholeProgramTest::SetUp() {
    previous_dir_ = fs::current_path();
    std::string test_name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(test_name.begin(), test_name.end(), '/', '-');
    root_ = fs::temp_directory_path() / ("vantor-whole-" + std::to_string(::getpid()) + "-" + test_name);
    fs::remove_all(root_);
    fs::create_directories(root_ / "Files");
    for (const std::string& file : AssetFiles()) {
        fs::create_directories((root_ / "Files" / file).parent_path());
        fs::copy_file(fs::path(VANTOR_BUILD_DIR) / "Files" / file, root_ / "Files" / file);
    }
    fs::current_path(root_);
    ResetEverything();
}

void WholeProgramTest::TearDown() {
    framework::CloseLog();
    platform::EndGraphics();
    fs::current_path(previous_dir_);
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

RunReport WholeProgramTest::RunProgram(CloseAt close_at, const std::string& name) {
    ResetEverything();
    fs::current_path(root_);
    ScriptedRun run;
    run.close_at = close_at;
    run.name = name;
    current = &run;
    game::ConnectProgram();
    run.game = framework::Game;
    run.screens = framework::Screens;
    framework::Game.load_game_assets = LoadGameAssetsScripted;
    framework::Game.run_game = RunGameScripted;
    framework::Screens.music_tick = OnFramePump;
    framework::Screens.exit_screen = ExitScreenScripted;
    if (close_at == CloseAt::Splash) AtFrame(1, [] { RequestClose(); });
    try {
        framework::RunProgram();
    } catch (const platform::ProcessEnded& ended) {
        run.report.status = ended.status;
    }
    fs::current_path(root_);
    run.report.records_in_memory = scores::ScoreList.size();
    current = nullptr;
    EXPECT_LT(run.report.game_frames, kGameFrameLimit) << "the scripted player could not end the game";
    return run.report;
}

fs::path WholeProgramTest::FilesPath(const std::string& relative) const {
    return root_ / "Files" / relative;
}

std::string WholeProgramTest::ReadBytes(const std::string& relative) const {
    std::ifstream in(FilesPath(relative), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WholeProgramTest::WriteBytes(const std::string& relative, const std::string& bytes) const {
    std::ofstream out(FilesPath(relative), std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::vector<std::string> WholeProgramTest::LogLines() const {
    std::vector<std::string> lines;
    std::istringstream text(ReadBytes("Debug.txt"));
    std::string line;
    while (std::getline(text, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> WholeProgramTest::StoredNames() const {
    const auto kept_list = scores::ScoreList;
    const std::string kept_name = scores::PlayerName;
    const fs::path before = fs::current_path();
    fs::current_path(FilesPath(framework::GameFolder()));
    scores::ResetScores();
    scores::LoadScores();
    std::vector<std::string> names;
    for (const scores::Scores& record : scores::ScoreList) names.push_back(record.Name);
    scores::ScoreList = kept_list;
    scores::PlayerName = kept_name;
    fs::current_path(before);
    return names;
}

std::vector<std::string> AssetFiles() {
    const fs::path files = fs::path(VANTOR_BUILD_DIR) / "Files";
    std::vector<std::string> found;
    std::error_code missing;
    for (const auto& entry : fs::recursive_directory_iterator(files, missing)) {
        if (!entry.is_regular_file()) continue;
        const fs::path relative = fs::relative(entry.path(), files);
        if (!IsWrittenByTheGame(relative)) found.push_back(relative.generic_string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

void ExpectWholeRun(const RunReport& report, const std::vector<std::string>& log,
                    const std::vector<std::string>& stored, const std::string& name) {
    EXPECT_EQ(report.status, 0);
    EXPECT_GT(report.title_frames, 0);
    EXPECT_TRUE(report.game_finished);
    EXPECT_GT(report.name_frames, 0);
    EXPECT_TRUE(HasLine(log, "Bye!"));
    ASSERT_FALSE(stored.empty());
    EXPECT_TRUE(
        std::any_of(stored.begin(), stored.end(), [&](const std::string& n) { return EndsWith(n, name); }));
}

void WholeProgramTest::PlayAWholeGame(const std::string& name) {
    const RunReport report = RunProgram(CloseAt::Never, name);
    ExpectWholeRun(report, LogLines(), StoredNames(), name);
}

bool HasLine(const std::vector<std::string>& lines, const std::string& text) {
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

}  // namespace e2e_testing
