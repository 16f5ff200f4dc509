// Shared set-up of the music tests: a private game folder with song files and constant-level
// WAV samples, entered as the current folder, on the headless back-ends.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace music_test {

// Writes a mono 16-bit WAV of `ms` milliseconds at 44.1 kHz whose every sample is `level`.
void WriteConstantWav(const std::filesystem::path& path, int level, int ms);

// A fresh folder with a "music/" sub-folder, made current for the test; headless back-ends,
// default settings and cleared music tables.
class MusicFolder : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Writes "music/<name>.ini" with the given lines.
    void WriteSong(const std::string& name, const std::string& text);
    std::filesystem::path root_;
    std::filesystem::path previous_;
};

}  // namespace music_test
