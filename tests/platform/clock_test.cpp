// The millisecond clock, Delay and the calendar texts, on the real clock and the manual one.
#include "platform/clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <string>

#include "platform/headless/manual_clock.h"

namespace {

namespace hl = platform::headless;
using platform::CurrentDate;
using platform::CurrentTime;
using platform::Delay;
using platform::MilliSecs;

class ManualClock : public ::testing::Test {
  protected:
    void TearDown() override { hl::UseRealClock(); }
};

TEST_F(ManualClock, StandsStillUntilAdvancedAndDelayAdvancesIt) {
    hl::UseManualClock(500);
    EXPECT_TRUE(hl::ManualClockActive());
    EXPECT_EQ(MilliSecs(), 500);
    EXPECT_EQ(MilliSecs(), 500);
    const auto before = std::chrono::steady_clock::now();
    Delay(10000);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(100));
    EXPECT_EQ(MilliSecs(), 10500);
    Delay(-5);
    Delay(0);
    hl::AdvanceClock(-20);
    EXPECT_EQ(MilliSecs(), 10500);
    hl::AdvanceClock(7);
    EXPECT_EQ(MilliSecs(), 10507);

    hl::UseRealClock();
    EXPECT_FALSE(hl::ManualClockActive());
    hl::AdvanceClock(1000000);  // ignored by the real clock
    EXPECT_LT(MilliSecs(), 1000000);
}

TEST_F(ManualClock, CalendarFollowsTheManualClock) {
    hl::UseManualClock(0);
    hl::SetManualDateTime(2026, 12, 9, 23, 59, 58);
    EXPECT_EQ(CurrentDate(), "09 Dec 2026");
    EXPECT_EQ(CurrentTime(), "23:59:58");
    Delay(1999);
    EXPECT_EQ(CurrentTime(), "23:59:59");
    Delay(1);
    EXPECT_EQ(CurrentDate(), "10 Dec 2026");
    EXPECT_EQ(CurrentTime(), "00:00:00");
    // Restarting the manual clock starts the calendar again from the set date.
    hl::UseManualClock(100);
    EXPECT_EQ(CurrentDate(), "09 Dec 2026");
    EXPECT_EQ(CurrentTime(), "23:59:58");
}

TEST_F(ManualClock, EveryMonthHasItsEnglishAbbreviation) {
    const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    hl::UseManualClock(0);
    for (int month = 1; month <= 12; ++month) {
        hl::SetManualDateTime(1999, month, 1, 7, 5, 3);
        EXPECT_EQ(CurrentDate(), std::string("01 ") + months[month - 1] + " 1999");
        EXPECT_EQ(CurrentTime(), "07:05:03");
    }
}

// Whether text has the shape: '9' a digit, 'A' a capital, 'a' a small letter, else itself.
bool Shaped(const std::string& text, const std::string& shape) {
    if (text.size() != shape.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool ok = shape[i] == '9'   ? (c >= '0' && c <= '9')
                        : shape[i] == 'A' ? (c >= 'A' && c <= 'Z')
                        : shape[i] == 'a' ? (c >= 'a' && c <= 'z')
                                          : c == shape[i];
        if (!ok) return false;
    }
    return true;
}

TEST(RealClock, CountsRealMilliseconds) {
    const int start = MilliSecs();
    EXPECT_GE(start, 0);
    Delay(30);
    const int after = MilliSecs();
    EXPECT_GE(after - start, 30);
    EXPECT_LT(after - start, 500);
    Delay(-1000);  // no sleep at all
    EXPECT_LT(MilliSecs() - after, 20);
}

TEST(RealClock, DateAndTimeMatchTheLocalCalendar) {
    const std::string date = CurrentDate();
    const std::string time = CurrentTime();
    EXPECT_TRUE(Shaped(date, "99 Aaa 9999")) << date;
    EXPECT_TRUE(Shaped(time, "99:99:99")) << time;
    EXPECT_LE(time.substr(0, 2), "23");
    EXPECT_LE(time.substr(3, 2), "59");
    EXPECT_LE(time.substr(6, 2), "60");
    // The same day as the C library's own reading (the C locale's %b is English too).
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char expected[32];
    std::strftime(expected, sizeof expected, "%d %b %Y", &local);
    EXPECT_EQ(date, expected);
}

}  // namespace
