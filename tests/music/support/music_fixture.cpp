// The music tests' folder and sample writer.
#include "music/support/music_fixture.h"

#include <unistd.h>

#include <cstdint>
#include <fstream>

#include "framework/program.h"
#include "framework/settings.h"
#include "music/playback.h"
#include "music/song.h"
#include "platform/headless/headless.h"

namespace music_test {

namespace fs = std::filesystem;

void WriteConstantWav(const fs::path& path, int level, int ms) {
    const std::uint32_t frames = static_cast<std::uint32_t>(44100LL * ms / 1000);
    std::ofstream out(path, std::ios::binary);
    auto put32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto put16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    put32(36 + frames * 2);
    out.write("WAVEfmt ", 8);
    put32(16), put16(1), put16(1), put32(44100), put32(88200), put16(2), put16(16);
    out.write("data", 4);
    put32(frames * 2);
    for (std::uint32_t i = 0; i < frames; ++i)
        put16(static_cast<std::uint16_t>(static_cast<std::int16_t>(level)));
}

void MusicFolder::SetUp() {
    platform::headless::UseHeadlessBackends(1000);
    framework::ResetSettings();
    framework::ResetProgram();
    music::ResetMusic();
    music::ResetSongTables();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() /
            ("vantor_music_" + std::to_string(getpid()) + "_" + info->test_suite_name() + "_" + info->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "music");
    previous_ = fs::current_path();
    fs::current_path(root_);
}

void MusicFolder::TearDown() {
    fs::current_path(previous_);
    fs::remove_all(root_);
    music::ResetMusic();
}

void MusicFolder::WriteSong(const std::string& name, const std::string& text) {
    std::ofstream(root_ / "music" / (name + ".ini"), std::ios::binary) << text;
}

}  // namespace music_test
