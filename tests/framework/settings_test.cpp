// The setup file: every key as read, the audio-driver choice, the exact written file, the round
// trip, and the safe replacement of the old file when writing fails.
#include "framework/settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "controls/controls.h"
#include "framework/game_info.h"
#include "framework/log.h"
#include "platform/audio.h"
#include "platform/files.h"
#include "platform/headless/null_mixer.h"
#include "platform/headless/script_input.h"

namespace {

namespace fs = std::filesystem;
namespace hl = platform::headless;
using framework::Settings;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Lines without their CR LF endings.
std::vector<std::string> ReadLines(const fs::path& path) {
    std::vector<std::string> lines;
    std::istringstream in(ReadAll(path));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A "Files/" folder with the game folder inside, in a fresh temporary folder; the log goes beside
// "Files/" so it can be read back.
class SetupFile : public ::testing::Test {
  protected:
    void SetUp() override {
        start_dir = fs::current_path();
        root = fs::temp_directory_path() / ("vantor_setup_" + std::to_string(getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        files = root / "Files";
        game = files / framework::GameFolder();
        fs::create_directories(game);
        fs::current_path(files);
        ASSERT_TRUE(framework::OpenLog((root / "Debug.txt").string()));
        hl::UseScriptInput();
        hl::UseNullAudio();
        UseDrivers({"FreeAudio", "OpenAL"});
        platform::SetAudioDriver("FreeAudio");
        framework::ResetSettings();
        controls::ResetControls();
        controls::InitControls();
    }
    void TearDown() override {
        framework::CloseLog();
        fs::current_path(start_dir);
        fs::remove_all(root);
        hl::UseRealAudio();
        framework::AudioDriverNames.clear();
    }
    // The platform's and the framework's driver lists.
    void UseDrivers(const std::vector<std::string>& names) {
        hl::SetNullAudioDriverNames(names);
        framework::LoadAudioDriverNames();
    }
    void WriteSetup(const std::vector<std::string>& lines) {
        std::ofstream out(files / "Setup.ini", std::ios::binary);
        for (const std::string& line : lines) out << line << "\r\n";
    }
    // Reads the setup file and returns the log lines written meanwhile; stdout in printed.
    std::vector<std::string> Read(std::string* printed = nullptr) {
        const std::size_t before = LogSoFar().size();
        ::testing::internal::CaptureStdout();
        framework::ReadSetupFile();
        const std::string out = ::testing::internal::GetCapturedStdout();
        if (printed) *printed = out;
        const std::vector<std::string>& log = LogSoFar();
        return std::vector<std::string>(log.begin() + static_cast<std::ptrdiff_t>(before), log.end());
    }
    // Every log line of the test so far. Reopening the log empties the file, so the lines read
    // each time are kept here.
    const std::vector<std::string>& LogSoFar() {
        framework::CloseLog();
        for (const std::string& line : ReadLines(root / "Debug.txt")) log_lines.push_back(line);
        framework::OpenLog((root / "Debug.txt").string());
        return log_lines;
    }
    bool InGameFolder() const { return fs::equivalent(fs::current_path(), game); }

    fs::path start_dir, root, files, game;
    std::vector<std::string> log_lines;
};

TEST_F(SetupFile, DefaultsBeforeAnyFile) {
    framework::ResetSettings();
    for (int i = 0; i < framework::SettingCount; ++i) {
        const int expected = i == 5 ? 800 : i == 6 ? 600 : (i >= 11 && i <= 13) ? 50 : 0;
        EXPECT_EQ(Settings[i], expected) << i;
    }
}

TEST_F(SetupFile, NoFileKeepsDefaultsAndLogsTheAudioSteps) {
    std::string printed;
    const std::vector<std::string> log = Read(&printed);
    EXPECT_EQ(Settings[5], 800);
    EXPECT_EQ(Settings[14], 0);
    EXPECT_EQ(controls::ControlBindings[controls::FaceGreen], 90);
    const std::vector<std::string> expected = {"Setting Audio Driver",
                                               "\tAudio Output : FreeAudio (silent: no sound device)",
                                               "Set Audio Driver",
                                               "",
                                               "\tRequested Resolution : 800x600",
                                               "\tSetup Loaded"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(printed, "?FreeAudio\n!\n");
}

TEST_F(SetupFile, FullscreenNeedsTrueOrOnInAnyCase) {
    for (const std::string value : {"on", "On", "true", "TRUE", " tRuE "}) {
        framework::ResetSettings();
        WriteSetup({"Fullscreen =" + value});
        const std::vector<std::string> log = Read();
        EXPECT_EQ(Settings[1], 1) << value;
        EXPECT_TRUE(Contains(log, "\tSetting to Fullscreen"));
        EXPECT_TRUE(Contains(log, "\tReading Setup File"));
    }
    for (const std::string value : {"1", "yes", "False", ""}) {
        framework::ResetSettings();
        WriteSetup({"FULLSCREEN=" + value});
        EXPECT_FALSE(Contains(Read(), "\tSetting to Fullscreen"));
        EXPECT_EQ(Settings[1], 0) << value;
    }
}

TEST_F(SetupFile, EngineKeysWithAndWithoutTheBlank) {
    WriteSetup({"GFX Engine = DX9"});
    EXPECT_TRUE(Contains(Read(), "\tDirectX 9 Mode"));
    EXPECT_EQ(Settings[3], 1);
    WriteSetup({"  gfxengine=dx7"});
    EXPECT_TRUE(Contains(Read(), "\tDirectX 7 Mode"));
    EXPECT_EQ(Settings[3], 2);
    WriteSetup({"GFX ENGINE = OpenGL"});
    Read();
    EXPECT_EQ(Settings[3], 2);
}

TEST_F(SetupFile, SlowSystemKeyAloneSwitchesTheModeOn) {
    for (const std::string line : {"ESS=0", "ESS", "  ess = 1 ; comment"}) {
        framework::ResetSettings();
        WriteSetup({"[Graphics]", line});
        const std::vector<std::string> log = Read();
        EXPECT_EQ(Settings[7], 1) << line;
        EXPECT_TRUE(Contains(log, "\tAssuming Emergency Slow System values."));
    }
    framework::ResetSettings();
    WriteSetup({"[Graphics]", "Width=800"});
    Read();
    EXPECT_EQ(Settings[7], 0);
}

TEST_F(SetupFile, NumbersAreReadAsAbsoluteValuesUnclamped) {
    WriteSetup({"Width=-1024", "Height = 768px", "Master = 250", "Sound=abc", "Music=$20"});
    const std::vector<std::string> log = Read();
    EXPECT_EQ(Settings[5], 1024);
    EXPECT_EQ(Settings[6], 768);
    EXPECT_EQ(Settings[11], 250);
    EXPECT_EQ(Settings[12], 0);
    EXPECT_EQ(Settings[13], 32);
    EXPECT_TRUE(Contains(log, "\tRequested Resolution : 1024x768"));
}

TEST_F(SetupFile, KeyLinesSetBindingsZeroToNinetyNine) {
    int* bindings = controls::ControlBindings;
    bindings[0] = 0;
    bindings[7] = 55;
    bindings[99] = 0;
    bindings[100] = 0;
    WriteSetup({"Key=0,38", "Key=100,5", "Key=-3,40", "Key=7,", "key = 12 , 65", "Key=99,-301", "Key=250,1"});
    Read();
    EXPECT_EQ(bindings[0], 38);
    EXPECT_EQ(bindings[100], 0);
    EXPECT_EQ(bindings[3], 40);
    EXPECT_EQ(bindings[7], 0);
    EXPECT_EQ(bindings[12], 65);
    EXPECT_EQ(bindings[99], 301);
}

TEST_F(SetupFile, UnknownLinesChangeNothing) {
    UseDrivers({"Null", "FreeAudio"});
    WriteSetup({"", "[Graphics]", "[Audio]", "; AudioDriver = Null", "Foo=3", "=5", "   ", "[Controls]",
                "Bogus line without equals"});
    int settings_before[framework::SettingCount];
    std::copy(std::begin(Settings), std::end(Settings), settings_before);
    int bindings_before[controls::BindingCount];
    std::copy(std::begin(controls::ControlBindings), std::end(controls::ControlBindings), bindings_before);
    Read();
    // Only the driver rule touches index 14: the list line must not count as a named driver.
    EXPECT_EQ(Settings[14], 1);
    Settings[14] = 0;
    EXPECT_TRUE(std::equal(std::begin(Settings), std::end(Settings), settings_before));
    EXPECT_TRUE(std::equal(std::begin(controls::ControlBindings), std::end(controls::ControlBindings),
                           bindings_before));
}

TEST_F(SetupFile, DriverRulePrefersDirectThenFirstOpenALOrFree) {
    using framework::DefaultAudioDriver;
    EXPECT_EQ(DefaultAudioDriver({"free one", "FREE two", "DirectSound", "OpenAL"}), 2);
    EXPECT_EQ(DefaultAudioDriver({"free one", "FREE two", "OpenAL"}), 0);
    EXPECT_EQ(DefaultAudioDriver({"Null", "Dummy", "openal soft"}), 2);
    EXPECT_EQ(DefaultAudioDriver({"Null", "FreeAudio", "OpenAL"}), 1);
    EXPECT_EQ(DefaultAudioDriver({"directA", "Null", "DIRECTB", "FreeAudio"}), 2);
    EXPECT_EQ(DefaultAudioDriver({"Null", "Dir", "Fre", "OpenA"}), 0);
    EXPECT_EQ(DefaultAudioDriver({}), 0);
}

TEST_F(SetupFile, ChosenDriverIsPrintedAndApplied) {
    UseDrivers({"FreeAudio", "freeBackup", "DirectSound", "OpenAL"});
    std::string printed;
    Read(&printed);
    EXPECT_EQ(Settings[14], 2);
    EXPECT_EQ(printed, "?DirectSound\n!\n");
    EXPECT_EQ(platform::CurrentAudioDriver(), "DirectSound");
    EXPECT_TRUE(Contains(LogSoFar(), "\tAudio Output : DirectSound (silent: no sound device)"));
}

TEST_F(SetupFile, NamedDriverMustMatchExactly) {
    UseDrivers({"Null", "FreeAudio", "OpenAL"});
    WriteSetup({"AudioDriver = OpenAL"});
    hl::SetNullOpenALUsable(1);
    Read();
    EXPECT_EQ(Settings[14], 2);
    EXPECT_EQ(platform::CurrentAudioDriver(), "OpenAL");
    // A name in the wrong case matches nothing: index 0 stays and the rule is skipped.
    platform::SetAudioDriver("FreeAudio");
    framework::ResetSettings();
    WriteSetup({"AudioDriver = openal"});
    std::string printed;
    Read(&printed);
    EXPECT_EQ(Settings[14], 0);
    EXPECT_EQ(printed, "?Null\n!\n");
    EXPECT_EQ(platform::CurrentAudioDriver(), "Null");
}

TEST_F(SetupFile, OpenALIsAppliedOnlyWhenUsable) {
    UseDrivers({"FreeAudio", "OpenAL Soft"});
    WriteSetup({"AudioDriver = OpenAL Soft"});
    hl::SetNullOpenALUsable(0);
    std::string printed;
    Read(&printed);
    EXPECT_EQ(Settings[14], 1);
    EXPECT_EQ(printed, "?OpenAL Soft\n!\n");
    EXPECT_EQ(platform::CurrentAudioDriver(), "FreeAudio");
    EXPECT_TRUE(Contains(LogSoFar(), "\tAudio Output : FreeAudio (silent: no sound device)"));
    hl::SetNullOpenALUsable(1);
    Read();
    EXPECT_EQ(platform::CurrentAudioDriver(), "OpenAL Soft");
}

TEST_F(SetupFile, DriverUnknownToThePlatformIsNotApplied) {
    // The framework's list came from an earlier query; the platform no longer knows the name.
    framework::AudioDriverNames = {"Ghost", "Phantom"};
    std::string printed;
    Read(&printed);
    EXPECT_EQ(printed, "?Ghost\n!\n");
    EXPECT_EQ(platform::CurrentAudioDriver(), "FreeAudio");
    // No driver at all names nothing and applies nothing.
    framework::AudioDriverNames.clear();
    Read(&printed);
    EXPECT_EQ(printed, "?\n!\n");
}

TEST_F(SetupFile, WrittenFileLineByLine) {
    fs::current_path(game);
    Settings[1] = 1;
    Settings[3] = 2;
    Settings[5] = 1024;
    Settings[6] = 768;
    Settings[7] = 1;
    Settings[11] = 80;
    Settings[12] = 70;
    Settings[13] = 60;
    Settings[14] = 1;
    controls::ControlBindings[controls::FaceBlue] = 0;
    controls::ControlBindings[20] = 301;
    controls::ControlBindings[100] = 99;
    ASSERT_TRUE(framework::WriteSetupFile());
    EXPECT_TRUE(InGameFolder());
    const std::string expected =
        "[Graphics]\r\nFullscreen = True\r\nGFX Engine = DX7\r\nWidth=1024\r\nHeight=768\r\n"
        "ESS=1 ; This is a slow system, and things must run a wee bit slower for it.  Awww..\r\n\r\n"
        "[Audio]\r\nMaster = 80\r\nSound = 70\r\nMusic = 60\r\nAudioDriver = OpenAL\r\n"
        "; AudioDriver = FreeAudio\r\n; AudioDriver = OpenAL\r\n\r\n"
        "[Controls]\r\nKey=0,38\r\nKey=3,37\r\nKey=5,39\r\nKey=8,40\r\nKey=10,90\r\nKey=11,88\r\n"
        "Key=13,86\r\nKey=20,301\r\n";
    EXPECT_EQ(ReadAll(files / "Setup.ini"), expected);
    EXPECT_FALSE(fs::exists(files / "Setup.ini.tmp"));
    EXPECT_FALSE(fs::exists(game / "Setup.ini"));
}

TEST_F(SetupFile, ValuesWithoutAWrittenFormLeaveTheirLineOut) {
    fs::current_path(game);
    Settings[1] = 5;
    Settings[3] = 3;
    Settings[7] = 2;
    ASSERT_TRUE(framework::WriteSetupFile());
    const std::vector<std::string> lines = ReadLines(files / "Setup.ini");
    const std::vector<std::string> head = {"[Graphics]", "Width=800", "Height=600", "", "[Audio]"};
    ASSERT_GE(lines.size(), head.size());
    EXPECT_TRUE(std::equal(head.begin(), head.end(), lines.begin()));
    Settings[1] = 0;
    Settings[3] = 0;
    ASSERT_TRUE(framework::WriteSetupFile());
    const std::vector<std::string> again = ReadLines(files / "Setup.ini");
    EXPECT_EQ(again[1], "Fullscreen = False");
    EXPECT_EQ(again[2], "GFX Engine = OpenGL");
}

TEST_F(SetupFile, RoundTripRestoresEveryStoredValue) {
    UseDrivers({"FreeAudio", "OpenAL", "OpenAL Device B"});
    Settings[1] = 1;
    Settings[3] = 1;
    Settings[5] = 1280;
    Settings[6] = 720;
    Settings[7] = 1;
    Settings[11] = 250;
    Settings[12] = 0;
    Settings[13] = 100;
    Settings[14] = 2;
    Settings[2] = 1;  // widescreen and the mode index come from the display setup, never the file
    Settings[4] = 3;
    int* bindings = controls::ControlBindings;
    bindings[0] = 87;
    bindings[controls::FaceGreen] = 0;  // unbound: not written, so the default returns
    bindings[19] = 349;
    bindings[45] = 32;
    bindings[99] = 500;
    fs::current_path(game);
    ASSERT_TRUE(framework::WriteSetupFile());

    int saved[framework::SettingCount];
    std::copy(std::begin(Settings), std::end(Settings), saved);
    saved[2] = saved[4] = 0;
    int saved_bindings[controls::BindingCount];
    std::copy(bindings, bindings + controls::BindingCount, saved_bindings);
    saved_bindings[controls::FaceGreen] = 90;

    fs::current_path(files);
    framework::ResetSettings();
    controls::ResetControls();
    controls::InitControls();
    hl::SetNullOpenALUsable(1);
    Read();
    for (int i = 0; i < framework::SettingCount; ++i) EXPECT_EQ(Settings[i], saved[i]) << "setting " << i;
    for (int i = 0; i < controls::BindingCount; ++i) EXPECT_EQ(bindings[i], saved_bindings[i]) << "key " << i;
    EXPECT_EQ(platform::CurrentAudioDriver(), "OpenAL Device B");
}

TEST_F(SetupFile, FailedWriteKeepsTheOldFileAndTheFolder) {
    WriteSetup({"Width=640"});
    const std::string old = ReadAll(files / "Setup.ini");
    // A folder in the way of the temporary file makes the write fail whoever runs the test.
    fs::create_directory(files / "Setup.ini.tmp");
    fs::current_path(game);
    Settings[5] = 1920;
    EXPECT_FALSE(framework::WriteSetupFile());
    EXPECT_TRUE(InGameFolder());
    EXPECT_EQ(ReadAll(files / "Setup.ini"), old);
    EXPECT_TRUE(Contains(LogSoFar(), "\tCould not write Setup.ini"));
    // Once the way is clear the next write replaces the file.
    fs::remove(files / "Setup.ini.tmp");
    EXPECT_TRUE(framework::WriteSetupFile());
    EXPECT_TRUE(Contains(ReadLines(files / "Setup.ini"), "Width=1920"));
    EXPECT_TRUE(InGameFolder());
}

TEST_F(SetupFile, WriteFromAnotherFolderReturnsThere) {
    // Called from a folder other than the game folder, the writer still ends where it began.
    const fs::path elsewhere = files / "other";
    fs::create_directories(elsewhere);
    fs::current_path(elsewhere);
    EXPECT_TRUE(framework::WriteSetupFile());
    EXPECT_TRUE(fs::equivalent(fs::current_path(), elsewhere));
    EXPECT_TRUE(fs::exists(files / "Setup.ini"));
}

}  // namespace
