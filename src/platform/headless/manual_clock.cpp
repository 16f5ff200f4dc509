// The manual clock: a millisecond counter that only moves when told to, and a calendar that
// follows it from a fixed starting point so dates and times in tests are reproducible.
#include "platform/headless/manual_clock.h"

#include <ctime>

#include "platform/service_backends.h"

namespace platform::headless {
namespace {

class ManualClock final : public detail::ClockBackend {
  public:
    int MilliSecs() override { return now_ms_; }
    void Delay(int ms) override { Advance(ms); }
    std::tm LocalTime() override {
        // Calendar arithmetic in UTC (timegm/gmtime_r) so no daylight-saving jump can intrude.
        const std::time_t t = calendar_base_ + (static_cast<long long>(now_ms_) - calendar_base_ms_) / 1000;
        std::tm out{};
        gmtime_r(&t, &out);
        return out;
    }

    void Start(int start_ms) {
        now_ms_ = start_ms;
        calendar_base_ms_ = start_ms;
    }
    void Advance(int ms) {
        if (ms > 0) now_ms_ += ms;
    }
    void SetCalendar(int year, int month, int day, int hour, int minute, int second) {
        std::tm fields{};
        fields.tm_year = year - 1900;
        fields.tm_mon = month - 1;
        fields.tm_mday = day;
        fields.tm_hour = hour;
        fields.tm_min = minute;
        fields.tm_sec = second;
        calendar_base_ = timegm(&fields);
        calendar_base_ms_ = now_ms_;
    }

  private:
    int now_ms_ = 0;
    std::time_t calendar_base_ = DefaultCalendar();
    int calendar_base_ms_ = 0;

    static std::time_t DefaultCalendar() {
        std::tm fields{};
        fields.tm_year = 2026 - 1900;
        fields.tm_mday = 1;
        fields.tm_hour = 12;
        return timegm(&fields);
    }
};

ManualClock manual_clock;
bool active = false;

}  // namespace

void UseManualClock(int start_ms) {
    manual_clock.Start(start_ms);
    detail::InstallClockBackend(&manual_clock);
    active = true;
}

void UseRealClock() {
    detail::InstallClockBackend(nullptr);
    active = false;
}

void AdvanceClock(int ms) {
    if (active) manual_clock.Advance(ms);
}

bool ManualClockActive() {
    return active;
}

void SetManualDateTime(int year, int month, int day, int hour, int minute, int second) {
    manual_clock.SetCalendar(year, month, day, hour, minute, second);
}

}  // namespace platform::headless
