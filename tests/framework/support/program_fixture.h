// A fresh program for each test: headless back-ends, every framework table at its start-up
// state, and a temporary folder laid out like the install folder ("Files/Common",
// "Files/<game folder>") made current.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Copies the generated common assets (fonts, icons, logos, badge sound) into Files/Common.
    void CopyCommonAssets();
    // Runs the whole program (start-up, title screen) until it ends; returns the exit status,
    // or -1 when it did not end within the frame limit.
    int RunProgramUntilEnd();
    // Lines of Files/Debug.txt.
    std::vector<std::string> LogLines() const;
    // Writes a file (text, CR LF lines) relative to the temporary folder.
    void WriteTextFile(const std::string& path, const std::vector<std::string>& lines) const;

    std::filesystem::path root_;
    std::filesystem::path previous_dir_;
};

// Index of the first line equal to text at or after start, or -1.
int FindLine(const std::vector<std::string>& lines, const std::string& text, int start = 0);

}  // namespace testing_support
