// Faults from outside, each on the whole program: asset files missing or damaged, a folder that
// cannot be written, the window closed at every stage, a flood of messages. Each run must still
// end through the exit screen with status 0, and no finished game may be lost.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "e2e/support/whole_program.h"
#include "framework/draw_helpers.h"
#include "framework/game_info.h"
#include "framework/hooks.h"
#include "game/game.h"
#include "platform/draw.h"
#include "scores/messages.h"
#include "scores/score_file.h"

namespace fs = std::filesystem;
using namespace e2e_testing;

namespace {

std::string Scores() {
    return framework::GameFolder() + "scores.dat";
}

std::string FileLabel(const ::testing::TestParamInfo<std::string>& info) {
    std::string label = info.param;
    for (char& c : label) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return label;
}

std::string RandomBytes(std::size_t count, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(count, '\0');
    for (char& byte : bytes) byte = static_cast<char>(generator() & 0xff);
    return bytes;
}

}  // namespace

// ---- every asset file removed in turn ------------------------------------------------------------

class AssetRemoved : public WholeProgramTest, public ::testing::WithParamInterface<std::string> {};

// Every file of the built data tree; without a tree, one case that fails and says why.
std::vector<std::string> AssetFilesToRemove() {
    std::vector<std::string> files = AssetFiles();
    if (files.empty()) files.push_back("no data tree: build the data_tree target first");
    return files;
}

TEST_P(AssetRemoved, TheProgramStillPlaysAGameAndEndsWell) {
    ASSERT_TRUE(fs::remove(FilesPath(GetParam()))) << GetParam();
    const RunReport report = RunProgram();
    ExpectWholeRun(report, LogLines(), StoredNames(), "ACE");
}

INSTANTIATE_TEST_SUITE_P(EveryFile, AssetRemoved, ::testing::ValuesIn(AssetFilesToRemove()), FileLabel);

// ---- damaged files -------------------------------------------------------------------------------

class FileDamaged : public WholeProgramTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(FileDamaged, RandomBytesOverItAreSurvived) {
    // A first game leaves a setup file and a score file to damage.
    PlayAWholeGame("ONE");
    for (unsigned seed = 1; seed <= 3; ++seed) {
        const std::string name = "RUN" + std::to_string(seed);
        WriteBytes(GetParam(), RandomBytes(600 * seed, seed));
        const RunReport report = RunProgram(CloseAt::Never, name);
        ExpectWholeRun(report, LogLines(), StoredNames(), name);
    }
}

INSTANTIATE_TEST_SUITE_P(Readers, FileDamaged,
                         ::testing::Values("Setup.ini", "042/scores.dat", "042/music/Hoplark.ini",
                                           "042/spinner.png", "042/002.wav", "042/ShinyTech2.ogg",
                                           "Common/Blue Highway.ttf"),
                         FileLabel);

// ---- the window closed at every stage -----------------------------------------------------------

class WindowClosed : public WholeProgramTest, public ::testing::WithParamInterface<CloseAt> {};

TEST_P(WindowClosed, TheExitScreenRunsAndKeepsEveryFinishedGame) {
    PlayAWholeGame("FIRST");
    const RunReport report = RunProgram(GetParam(), "SECOND");
    EXPECT_EQ(report.status, 0);
    const std::vector<std::string> log = LogLines();
    EXPECT_TRUE(HasLine(log, "Closing Up"));
    EXPECT_TRUE(HasLine(log, "Bye!"));
    const std::vector<std::string> stored = StoredNames();
    EXPECT_EQ(stored.size(), report.records_in_memory);
    // The first game survives whatever the second run was doing.
    EXPECT_TRUE(
        std::any_of(stored.begin(), stored.end(), [](const std::string& n) { return EndsWith(n, "FIRST"); }));
    if (GetParam() == CloseAt::NameEntry) {
        // The game was over: it is kept under the name typed so far.
        EXPECT_EQ(stored.size(), 2u);
        EXPECT_TRUE(std::any_of(stored.begin(), stored.end(),
                                [](const std::string& n) { return EndsWith(n, "SECOND"); }));
    } else {
        EXPECT_EQ(stored.size(), 1u);
    }
    if (GetParam() == CloseAt::PauseMenu) {
        EXPECT_GT(report.pause_frames, 0);
    }
    EXPECT_TRUE(fs::exists(FilesPath("Setup.ini")));
}

std::string StageLabel(const ::testing::TestParamInfo<CloseAt>& info) {
    static const char* const kNames[] = {"Never", "Splash", "EngineTest", "Play", "PauseMenu", "NameEntry"};
    return kNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Stages, WindowClosed,
                         ::testing::Values(CloseAt::Splash, CloseAt::EngineTest, CloseAt::Play,
                                           CloseAt::PauseMenu, CloseAt::NameEntry),
                         StageLabel);

// ---- a folder that cannot be written -------------------------------------------------------------

// Takes write access away from the game's folders for the life of the object. The suite may run
// as root, for whom permission bits mean nothing; the effective user then becomes "nobody".
class ReadOnlyFolders {
  public:
    explicit ReadOnlyFolders(const std::vector<fs::path>& folders) : folders_(folders) {
        for (const fs::path& folder : folders_)
            fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);
        if (::geteuid() == 0) switched_ = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
    }
    ~ReadOnlyFolders() {
        if (switched_) {
            [[maybe_unused]] const int user = ::seteuid(0);
            [[maybe_unused]] const int group = ::setegid(0);
        }
        for (const fs::path& folder : folders_)
            fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
    }
    bool Active() const { return ::geteuid() != 0; }

  private:
    std::vector<fs::path> folders_;
    bool switched_ = false;
};

TEST_F(WholeProgramTest, ReadOnlyFoldersLoseNothingAndKeepTheOldFiles) {
    PlayAWholeGame("OLD");
    const std::string old_setup = ReadBytes("Setup.ini"), old_scores = ReadBytes(Scores());
    // The log stays writable, so the failures can be read there.
    fs::permissions(FilesPath("Debug.txt"), fs::perms::all, fs::perm_options::add);
    RunReport report;
    {
        ReadOnlyFolders read_only({FilesPath(""), FilesPath(framework::GameFolder())});
        if (!read_only.Active()) GTEST_SKIP() << "cannot drop write access here";
        report = RunProgram(CloseAt::Never, "NEW");
    }
    EXPECT_EQ(report.status, 0);
    EXPECT_TRUE(report.game_finished);
    // The new game is still in memory; the old files are whole and unchanged.
    EXPECT_EQ(report.records_in_memory, 2u);
    EXPECT_EQ(ReadBytes("Setup.ini"), old_setup);
    EXPECT_EQ(ReadBytes(Scores()), old_scores);
    const std::vector<std::string> log = LogLines();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& line) {
        return line.find("scores.dat") != std::string::npos && line.find("ould not") != std::string::npos;
    })) << "the failed save is not logged";
    for (const auto& entry : fs::recursive_directory_iterator(FilesPath(""))) {
        EXPECT_FALSE(entry.path().string().ends_with(".tmp")) << entry.path();
    }
}

// ---- a flood of messages -------------------------------------------------------------------------

TEST_F(WholeProgramTest, TenThousandMessagesInOneFrameAreDrawnWithinBoundsAndAge) {
    PlayAWholeGame("ACE");
    // The display of the exit screen is gone; the flood lands on a fresh one.
    ASSERT_TRUE(platform::Graphics(800, 600, 0, 60, 0));
    platform::SetVirtualResolution(1280, 960);
    for (int i = 0; i < 10000; ++i) scores::ShowMessage("Message " + std::to_string(i), i % 3);
    int frames = 0;
    while (!scores::MessageList.empty() && frames < 2000) {
        framework::BeginFrame(1);
        scores::DrawMessages();
        platform::Flip(0);
        ++frames;
    }
    EXPECT_TRUE(scores::MessageList.empty());
    EXPECT_LT(frames, 2000);
}
