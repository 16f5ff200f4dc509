// Text streams (line rules, 8-bit round trip, write errors) and folder operations, in a private
// temporary folder.
#include "platform/files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/system.h"

namespace {

using namespace platform;

class Files : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/vantor-files-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        start_dir_ = CurrentDir();
    }
    void TearDown() override {
        ASSERT_TRUE(ChangeDir(start_dir_));
        std::system(("rm -rf '" + dir_ + "'").c_str());
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    void WriteRaw(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    std::string ReadRaw(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::vector<std::string> ReadAll(const std::string& name) const {
        std::vector<std::string> lines;
        Stream in = ReadFile(Path(name));
        EXPECT_TRUE(in);
        while (!Eof(in)) lines.push_back(ReadLine(in));
        return lines;
    }

    std::string dir_;
    std::string start_dir_;
};

using Lines = std::vector<std::string>;

TEST_F(Files, CrLfLinesAndAFinalLineWithoutLineFeed) {
    WriteRaw("a.txt", "one\r\ntwo\r\n\r\nthree");
    Stream in = ReadFile(Path("a.txt"));
    ASSERT_TRUE(in);
    EXPECT_EQ(ReadLine(in), "one");
    EXPECT_EQ(ReadLine(in), "two");
    EXPECT_EQ(ReadLine(in), "");
    EXPECT_FALSE(Eof(in));
    EXPECT_EQ(ReadLine(in), "three");
    EXPECT_TRUE(Eof(in));
    EXPECT_EQ(ReadLine(in), "");
}

TEST_F(Files, EofIsTrueRightAfterAFinalLineFeed) {
    WriteRaw("lf.txt", "a\nb\n");
    EXPECT_EQ(ReadAll("lf.txt"), (Lines{"a", "b"}));
    WriteRaw("empty.txt", "");
    EXPECT_EQ(ReadAll("empty.txt"), Lines{});
}

TEST_F(Files, ZeroByteEndsALineAndCarriageReturnsVanishAnywhere) {
    WriteRaw("z.txt", std::string("ab\0cd\n\re\rf\r\n", 12));
    EXPECT_EQ(ReadAll("z.txt"), (Lines{"ab", "cd", "ef"}));
}

TEST_F(Files, WriteLineEndsLinesWithCrLfAndKeepsAll8BitCodes) {
    std::string every;
    for (int code = 1; code <= 255; ++code)
        if (code != 10 && code != 13) every.push_back(static_cast<char>(code));
    Stream out = WriteFile(Path("w.txt"));
    ASSERT_TRUE(out);
    EXPECT_TRUE(WriteLine(out, "first"));
    EXPECT_TRUE(WriteLine(out, ""));
    EXPECT_TRUE(WriteLine(out, every));
    EXPECT_TRUE(CloseStream(out));
    EXPECT_EQ(ReadRaw("w.txt"), "first\r\n\r\n" + every + "\r\n");
    EXPECT_EQ(ReadAll("w.txt"), (Lines{"first", "", every}));
}

TEST_F(Files, WriteFileEmptiesAnExistingFile) {
    WriteRaw("old.txt", "old contents\r\n");
    Stream out = WriteFile(Path("old.txt"));
    ASSERT_TRUE(out);
    EXPECT_TRUE(CloseStream(out));
    EXPECT_EQ(ReadRaw("old.txt"), "");
}

TEST_F(Files, WriteErrorsAreReported) {
    // /dev/full accepts the open and fails every write.
    Stream out = WriteFile("/dev/full");
    ASSERT_TRUE(out);
    EXPECT_TRUE(WriteLine(out, "buffered"));
    EXPECT_FALSE(CloseStream(out));
    Stream big = WriteFile("/dev/full");
    EXPECT_FALSE(WriteLine(big, std::string(1 << 20, 'x')));  // larger than any buffer
    EXPECT_FALSE(CloseStream(big));
}

TEST_F(Files, MissingFilesAndEmptyHandles) {
    EXPECT_FALSE(ReadFile(Path("missing.txt")));
    EXPECT_FALSE(WriteFile(Path("no/such/folder.txt")));
    EXPECT_FALSE(ReadFile(dir_));  // a folder is not a readable file
    EXPECT_FALSE(WriteFile(dir_));
    const Stream none;
    EXPECT_TRUE(Eof(none));
    EXPECT_EQ(ReadLine(none), "");
    EXPECT_FALSE(WriteLine(none, "x"));
    EXPECT_FALSE(CloseStream(none));
    // A stream used the wrong way round, or after closing, does nothing.
    WriteRaw("r.txt", "line\n");
    Stream in = ReadFile(Path("r.txt"));
    EXPECT_FALSE(WriteLine(in, "x"));
    EXPECT_TRUE(CloseStream(in));
    EXPECT_FALSE(CloseStream(in));
    EXPECT_TRUE(Eof(in));
    EXPECT_EQ(ReadLine(in), "");
    EXPECT_EQ(ReadRaw("r.txt"), "line\n");
}

TEST_F(Files, ReleasedStreamsAreCountedByReclaim) {
    WriteRaw("r.txt", "x\n");
    Reclaim();
    {
        Stream a = ReadFile(Path("r.txt"));
        Stream b = WriteFile(Path("w.txt"));
        Stream c = a;
        EXPECT_EQ(Reclaim(), 0);
        CloseStream(b);  // closing is not releasing
        EXPECT_EQ(Reclaim(), 0);
    }
    EXPECT_EQ(Reclaim(), 2);
    EXPECT_EQ(Reclaim(), 0);
}

TEST_F(Files, FileTypeCreateDirAndDeleteFile) {
    WriteRaw("f.txt", "x");
    EXPECT_EQ(FileType(Path("f.txt")), 1);
    EXPECT_EQ(FileType(dir_), 2);
    EXPECT_EQ(FileType(Path("absent")), 0);
    EXPECT_EQ(FileType(""), 0);

    EXPECT_TRUE(CreateDir(Path("sub")));
    EXPECT_EQ(FileType(Path("sub")), 2);
    EXPECT_TRUE(CreateDir(Path("sub")));  // already there
    EXPECT_FALSE(CreateDir(Path("f.txt")));
    EXPECT_FALSE(CreateDir(Path("no/such")));

    EXPECT_TRUE(DeleteFile(Path("f.txt")));
    EXPECT_EQ(FileType(Path("f.txt")), 0);
    EXPECT_FALSE(DeleteFile(Path("f.txt")));
    EXPECT_FALSE(DeleteFile(Path("sub")));  // folders are not files
    EXPECT_EQ(FileType(Path("sub")), 2);
}

TEST_F(Files, ChangeDirFailureLeavesTheFolder) {
    ASSERT_TRUE(ChangeDir(dir_));
    const std::string here = CurrentDir();
    EXPECT_EQ(FileType(here), 2);
    WriteRaw("plain", "x");
    EXPECT_FALSE(ChangeDir("absent"));
    EXPECT_FALSE(ChangeDir("plain"));
    EXPECT_FALSE(ChangeDir(""));
    EXPECT_EQ(CurrentDir(), here);
    ASSERT_TRUE(CreateDir("inner"));
    EXPECT_TRUE(ChangeDir("inner"));
    EXPECT_EQ(CurrentDir(), here + "/inner");
    EXPECT_EQ(FileType("../plain"), 1);  // relative paths follow the current folder
}

TEST_F(Files, RenameReplacesTheTarget) {
    WriteRaw("new.tmp", "new\r\n");
    WriteRaw("data.txt", "old\r\n");
    EXPECT_TRUE(RenameFile(Path("new.tmp"), Path("data.txt")));
    EXPECT_EQ(FileType(Path("new.tmp")), 0);
    EXPECT_EQ(ReadRaw("data.txt"), "new\r\n");
    EXPECT_FALSE(RenameFile(Path("new.tmp"), Path("data.txt")));
    EXPECT_EQ(ReadRaw("data.txt"), "new\r\n");
}

}  // namespace
