// Reading and writing the setup file, and choosing the audio driver at start-up.
#include "framework/settings.h"

#include <algorithm>

#include "controls/controls.h"
#include "framework/game_info.h"
#include "framework/log.h"
#include "platform/audio.h"
#include "platform/files.h"
#include "platform/system.h"
#include "scores/fields.h"

namespace framework {

int Settings[SettingCount];
std::vector<std::string> AudioDriverNames;

namespace {

constexpr const char* kSetupFile = "Setup.ini";
constexpr const char* kSetupTemp = "Setup.ini.tmp";
constexpr int kKeyEntries = 100;

std::string UpperCase(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// The first count characters, upper-cased (shorter texts as they are).
std::string UpperPrefix(const std::string& text, std::size_t count) {
    return UpperCase(text.substr(0, count));
}

std::string DriverName(int index) {
    if (index < 0 || index >= static_cast<int>(AudioDriverNames.size())) return "";
    return AudioDriverNames[static_cast<std::size_t>(index)];
}

// "Key=index,code": entries 0 to 99 take the code; other indices are ignored.
void ApplyKeyLine(const std::string& value) {
    const int index = scores::TextToAbsInt(scores::SplitField(value, ",", 1));
    const int code = scores::TextToAbsInt(scores::SplitField(value, ",", 2));
    if (index >= 0 && index < kKeyEntries) controls::ControlBindings[index] = code;
}

void ApplyAudioDriverLine(const std::string& value, bool& driver_given) {
    driver_given = true;
    for (std::size_t i = 0; i < AudioDriverNames.size(); ++i) {
        if (AudioDriverNames[i] == value) Settings[14] = static_cast<int>(i);
    }
}

// One line of the file. Keys are recognised anywhere; anything unknown changes nothing.
void ApplySetupLine(const std::string& line, bool& driver_given) {
    const std::string key = UpperCase(scores::TrimField(scores::SplitField(line, "=", 1)));
    const std::string value = scores::TrimField(scores::SplitField(line, "=", 2));
    const int number = scores::TextToAbsInt(value);
    const std::string upper_value = UpperCase(value);
    if (key == "FULLSCREEN") {
        if (upper_value == "TRUE" || upper_value == "ON") {
            Settings[1] = 1;
            LogLine("\tSetting to Fullscreen");
        }
    } else if (key == "GFX ENGINE" || key == "GFXENGINE") {
        if (upper_value == "DX9") {
            Settings[3] = 1;
            LogLine("\tDirectX 9 Mode");
        } else if (upper_value == "DX7") {
            Settings[3] = 2;
            LogLine("\tDirectX 7 Mode");
        }
    } else if (key == "WIDTH") {
        Settings[5] = number;
    } else if (key == "HEIGHT") {
        Settings[6] = number;
    } else if (key == "ESS") {
        // The key alone switches the mode on, whatever its value.
        Settings[7] = 1;
        LogLine("\tAssuming Emergency Slow System values.");
    } else if (key == "KEY") {
        ApplyKeyLine(value);
    } else if (key == "MASTER") {
        Settings[11] = number;
    } else if (key == "SOUND") {
        Settings[12] = number;
    } else if (key == "MUSIC") {
        Settings[13] = number;
    } else if (key == "AUDIODRIVER") {
        ApplyAudioDriverLine(value, driver_given);
    }
}

void ReadSetupLines(bool& driver_given) {
    if (platform::FileType(kSetupFile) == 0) return;
    const platform::Stream stream = platform::ReadFile(kSetupFile);
    if (!stream) return;
    LogLine("\tReading Setup File");
    while (!platform::Eof(stream)) ApplySetupLine(platform::ReadLine(stream), driver_given);
    platform::CloseStream(stream);
}

// OpenAL is switched to only when it can open a device here; other known drivers always.
void ApplyAudioDriver(const std::string& name) {
    if (!platform::AudioDriverExists(name)) return;
    if (UpperPrefix(name, 6) != "OPENAL" || platform::OpenALUsable()) platform::SetAudioDriver(name);
}

void LogAudioOutput() {
    std::string driver = platform::CurrentAudioDriver();
    if (driver.empty()) driver = "none";
    const bool silent = platform::AudioOutputIsSilent();
    LogLine("\tAudio Output : " + driver + (silent ? " (silent: no sound device)" : ""));
}

void WriteGraphicsLines(std::vector<std::string>& lines) {
    lines.push_back("[Graphics]");
    if (Settings[1] == 0) lines.push_back("Fullscreen = False");
    if (Settings[1] == 1) lines.push_back("Fullscreen = True");
    static const char* const kEngines[3] = {"OpenGL", "DX9", "DX7"};
    if (Settings[3] >= 0 && Settings[3] <= 2)
        lines.push_back(std::string("GFX Engine = ") + kEngines[Settings[3]]);
    lines.push_back("Width=" + std::to_string(Settings[5]));
    lines.push_back("Height=" + std::to_string(Settings[6]));
    if (Settings[7] == 1) {
        lines.push_back(
            "ESS=1 ; This is a slow system, and things must run a wee bit slower for it.  Awww..");
    }
    lines.push_back("");
}

void WriteAudioLines(std::vector<std::string>& lines) {
    lines.push_back("[Audio]");
    lines.push_back("Master = " + std::to_string(Settings[11]));
    lines.push_back("Sound = " + std::to_string(Settings[12]));
    lines.push_back("Music = " + std::to_string(Settings[13]));
    lines.push_back("AudioDriver = " + DriverName(Settings[14]));
    for (const std::string& name : AudioDriverNames) lines.push_back("; AudioDriver = " + name);
    lines.push_back("");
}

void WriteControlLines(std::vector<std::string>& lines) {
    lines.push_back("[Controls]");
    for (int i = 0; i < kKeyEntries; ++i) {
        const int code = controls::ControlBindings[i];
        if (code > 0) lines.push_back("Key=" + std::to_string(i) + "," + std::to_string(code));
    }
}

// Writes the lines to the temporary file and moves it over the setup file only when every
// byte reached the disk, so a failed write never leaves a truncated Setup.ini behind.
bool WriteLinesSafely(const std::vector<std::string>& lines) {
    const platform::Stream stream = platform::WriteFile(kSetupTemp);
    if (!stream) return false;
    bool written = true;
    for (const std::string& line : lines) written = platform::WriteLine(stream, line) && written;
    const bool closed = platform::CloseStream(stream);
    if (written && closed && platform::RenameFile(kSetupTemp, kSetupFile)) return true;
    if (platform::FileType(kSetupTemp) == 1) platform::DeleteFile(kSetupTemp);
    return false;
}

}  // namespace

void ResetSettings() {
    std::fill(std::begin(Settings), std::end(Settings), 0);
    Settings[5] = 800;
    Settings[6] = 600;
    Settings[11] = Settings[12] = Settings[13] = 50;
}

void LoadAudioDriverNames() {
    AudioDriverNames = platform::AudioDriverNames();
    if (AudioDriverNames.size() > static_cast<std::size_t>(MaxAudioDrivers))
        AudioDriverNames.resize(MaxAudioDrivers);
}

int DefaultAudioDriver(const std::vector<std::string>& names) {
    int chosen = 0;
    bool given = false;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string six = UpperPrefix(names[i], 6);
        const std::string four = UpperPrefix(names[i], 4);
        if ((six == "OPENAL" || four == "FREE") && !given) {
            chosen = static_cast<int>(i);
            given = true;
        }
        // A DirectSound-style driver wins over everything, the last one listed if several.
        if (six == "DIRECT") {
            chosen = static_cast<int>(i);
            given = true;
        }
    }
    return chosen;
}

void ReadSetupFile() {
    bool driver_given = false;
    ReadSetupLines(driver_given);
    if (!driver_given) Settings[14] = DefaultAudioDriver(AudioDriverNames);
    LogLine("Setting Audio Driver");
    const std::string name = DriverName(Settings[14]);
    platform::Print("?" + name);
    ApplyAudioDriver(name);
    LogAudioOutput();
    platform::Print("!");
    LogLine("Set Audio Driver");
    LogLine("");
    LogLine("\tRequested Resolution : " + std::to_string(Settings[5]) + "x" + std::to_string(Settings[6]));
    LogLine("\tSetup Loaded");
}

bool WriteSetupFile() {
    const std::string start_folder = platform::CurrentDir();
    if (!platform::ChangeDir("..")) {
        LogLine("\tCould not write Setup.ini");
        return false;
    }
    std::vector<std::string> lines;
    WriteGraphicsLines(lines);
    WriteAudioLines(lines);
    WriteControlLines(lines);
    const bool written = WriteLinesSafely(lines);
    if (!written) LogLine("\tCould not write Setup.ini");
    // Back into the game folder; should that not lead to where we started, go back there directly.
    if (!platform::ChangeDir(GameFolder()) || platform::CurrentDir() != start_folder) {
        platform::ChangeDir(start_folder);
    }
    return written;
}

}  // namespace framework
