// The setup file reader on arbitrary bytes: it must never crash, keep every setting it reads
// within the file's own value rules, and read back exactly what it writes.
#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

#include "controls/controls.h"
#include "framework/game_info.h"
#include "framework/settings.h"
#include "fuzz_support.h"
#include "platform/files.h"
#include "platform/headless/headless.h"

namespace {

using framework::Settings;

struct Snapshot {
    std::array<int, framework::SettingCount> settings;
    std::array<int, controls::BindingCount> bindings;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take() {
    Snapshot snapshot;
    std::copy(std::begin(Settings), std::end(Settings), snapshot.settings.begin());
    std::copy(std::begin(controls::ControlBindings), std::end(controls::ControlBindings),
              snapshot.bindings.begin());
    return snapshot;
}

// Defaults with every binding cleared, so a binding the file sets to 0 (and so never writes)
// reads back as 0 too.
void Reset() {
    framework::ResetSettings();
    std::fill(std::begin(controls::ControlBindings), std::end(controls::ControlBindings), 0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    platform::headless::UseHeadlessBackends();
    fuzz::EnterScratchFolder();
    // The reader runs in "Files/" and writes from inside the game folder.
    std::filesystem::create_directories("Files/" + framework::GameFolder());
    std::filesystem::current_path("Files");
    framework::LoadAudioDriverNames();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::WriteInput("Setup.ini", data, size);
    Reset();
    framework::ReadSetupFile();
    const Snapshot first = Take();
    fuzz::Require(Settings[1] == 0 || Settings[1] == 1, "fullscreen is 0 or 1");
    fuzz::Require(Settings[3] >= 0 && Settings[3] <= 2, "renderer is 0 to 2");
    fuzz::Require(Settings[7] == 0 || Settings[7] == 1, "slow-system mode is 0 or 1");
    for (int index : {5, 6, 11, 12, 13})
        fuzz::Require(Settings[index] >= 0, "sizes and volumes are not negative");
    const int drivers = static_cast<int>(framework::AudioDriverNames.size());
    fuzz::Require(Settings[14] >= 0 && (Settings[14] < drivers || Settings[14] == 0),
                  "driver index names a driver");

    // Written from the game folder, read again from "Files/": nothing may change on the way.
    fuzz::Require(platform::ChangeDir(framework::GameFolder()), "game folder entered");
    fuzz::Require(framework::WriteSetupFile(), "setup file written");
    fuzz::Require(platform::ChangeDir(".."), "back in Files/");
    Reset();
    framework::ReadSetupFile();
    fuzz::Require(Take() == first, "the written file reads back as the same settings");
    return 0;
}
