// Process services: caption, standard output, heap statistics, ending the process under the
// headless back-ends and entering the executable's folder.
#include "platform/system.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/files.h"
#include "platform/internal.h"

namespace {

using namespace platform;

TEST(System, CaptionIsKeptWithoutAWindow) {
    SetCaption("Vantor - test");
    EXPECT_EQ(Caption(), "Vantor - test");
    SetCaption("");
    EXPECT_EQ(Caption(), "");
}

TEST(System, PrintWritesOneLineToStandardOutput) {
    testing::internal::CaptureStdout();
    Print("hello");
    Print("");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "hello\n\n");
}

TEST(System, MemoryInUseFollowsTheHeap) {
    TuneHeap();
    const long long before = MemoryInUse();
    constexpr std::size_t kSize = 48 << 20;  // beyond the mmap threshold too
    auto block = std::make_unique<char[]>(kSize);
    std::memset(block.get(), 1, kSize);
    const long long during = MemoryInUse();
    EXPECT_GE(during - before, static_cast<long long>(kSize));
    block.reset();
    EXPECT_LT(MemoryInUse(), during - static_cast<long long>(kSize) / 2);
}

TEST(System, EndProcessThrowsUnderHeadlessBackends) {
    detail::SetHeadlessBackends(true);
    EXPECT_TRUE(detail::HeadlessBackends());
    try {
        EndProcess(3);
        ADD_FAILURE() << "EndProcess returned";
    } catch (const ProcessEnded& ended) {
        EXPECT_EQ(ended.status, 3);
    }
    detail::SetHeadlessBackends(false);
    EXPECT_FALSE(detail::HeadlessBackends());
}

TEST(System, EndProcessEndsARealProcessWithItsStatus) {
    // Under the headless back-ends EndProcess throws instead; whatever ran before, they are off.
    detail::SetHeadlessBackends(false);
    EXPECT_EXIT(EndProcess(7), testing::ExitedWithCode(7), "");
}

TEST(System, EnterExecutableFolder) {
    const std::string start = CurrentDir();
    ASSERT_TRUE(ChangeDir("/"));
    EnterExecutableFolder();
    // The test programs are built at the top of the build folder.
    char* expected = realpath(VANTOR_BUILD_DIR, nullptr);
    ASSERT_NE(expected, nullptr);
    EXPECT_EQ(CurrentDir(), expected);
    std::free(expected);
    ChangeDir(start);
}

}  // namespace
