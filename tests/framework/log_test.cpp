// The log: every line reaches the file as it is written, so a run that dies leaves its trace.
#include "framework/log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(Log, LinesReachTheFileBeforeItIsClosedAndNothingAfter) {
    const auto path = std::filesystem::temp_directory_path() / "vantor-log-test.txt";
    ASSERT_TRUE(framework::OpenLog(path.string()));
    framework::LogLine("Loading");
    framework::LogLine("\tDefault Fonts");
    EXPECT_EQ(FileText(path), "Loading\r\n\tDefault Fonts\r\n");
    framework::CloseLog();
    framework::LogLine("after closing");
    EXPECT_EQ(FileText(path), "Loading\r\n\tDefault Fonts\r\n");
    std::filesystem::remove(path);
}

TEST(Log, AnUncreatableLogDropsLinesQuietly) {
    EXPECT_FALSE(framework::OpenLog("/nonexistent-folder/Debug.txt"));
    framework::LogLine("dropped");
    EXPECT_FALSE(framework::LogOpen());
}

}  // namespace
