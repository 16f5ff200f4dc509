// The whole program, headless: a copy of the generated "Files/" tree in a folder of the test's
// own, every table at its start-up state, the game and all screens connected as main() connects
// them, and a scripted player that starts a game from the title screen, flies out of the safe
// zone firing until the game is over, types a name, returns to the title screen and leaves
// through the exit screen. Tests can remove or damage files first and close the window at any
// stage of the run.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace e2e_testing {

// Where the scripted run closes the window (as the player clicking the window's close button).
enum class CloseAt { Never, Splash, EngineTest, Play, PauseMenu, NameEntry };

// What the scripted run saw.
struct RunReport {
    int status = -1;  // exit status, -1 when the program did not end
    int title_frames = 0, game_frames = 0, name_frames = 0, pause_frames = 0;
    bool game_finished = false;  // RunGame returned
    std::size_t records_in_memory = 0;
};

class WholeProgramTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the program from start-up to the end of the process with the scripted player.
    RunReport RunProgram(CloseAt close_at = CloseAt::Never, const std::string& name = "ACE");

    // Runs the program through a whole game under the given name and checks that it ended well:
    // status 0 through the exit screen, and the game's record in the score file.
    void PlayAWholeGame(const std::string& name);

    // Paths inside the copied tree, relative to its "Files/" folder ("042/spinner.png").
    std::filesystem::path FilesPath(const std::string& relative) const;
    std::string ReadBytes(const std::string& relative) const;
    void WriteBytes(const std::string& relative, const std::string& bytes) const;
    std::vector<std::string> LogLines() const;
    // Names of the records "scores.dat" holds now (read through the score file's own reader).
    std::vector<std::string> StoredNames() const;

    std::filesystem::path root_, previous_dir_;
};

// Every generated asset file, relative to "Files/"; none when the data tree is not built.
std::vector<std::string> AssetFiles();

// The run ended through the exit screen after a whole game whose record, under a name ending
// in the given one, reached the score file.
void ExpectWholeRun(const RunReport& report, const std::vector<std::string>& log,
                    const std::vector<std::string>& stored, const std::string& name);
bool EndsWith(const std::string& text, const std::string& tail);

// Whether a line equal to text is among lines.
bool HasLine(const std::vector<std::string>& lines, const std::string& text);

}  // namespace e2e_testing
