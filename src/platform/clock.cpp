// The millisecond clock, sleeping and the calendar, behind a swappable clock back-end. The real
// back-end uses the monotonic system clock (no SDL needed) and the local time zone.
#include "platform/clock.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/service_backends.h"

namespace platform {
namespace {

using SteadyClock = std::chrono::steady_clock;

class RealClock final : public detail::ClockBackend {
  public:
    int MilliSecs() override {
        const auto elapsed = SteadyClock::now() - start_;
        return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
    }
    void Delay(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    std::tm LocalTime() override {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        return local;
    }

  private:
    SteadyClock::time_point start_ = SteadyClock::now();
};

RealClock& TheRealClock() {
    static RealClock clock;
    return clock;
}

// Touching the real clock during static initialisation makes MilliSecs count from the start of
// the process rather than from its first call.
[[maybe_unused]] const bool clock_started = (TheRealClock(), true);

detail::ClockBackend* installed = nullptr;

detail::ClockBackend& Clock() {
    return installed ? *installed : TheRealClock();
}

constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

namespace detail {
void InstallClockBackend(ClockBackend* backend) {
    installed = backend;
}
}  // namespace detail

int MilliSecs() {
    return Clock().MilliSecs();
}

void Delay(int ms) {
    if (ms > 0) Clock().Delay(ms);
}

std::string CurrentDate() {
    const std::tm t = Clock().LocalTime();
    // Month names are written by hand: strftime's %b follows the locale.
    const int month = (t.tm_mon >= 0 && t.tm_mon < 12) ? t.tm_mon : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%02d %s %04d", t.tm_mday, kMonths[month], t.tm_year + 1900);
    return text;
}

std::string CurrentTime() {
    const std::tm t = Clock().LocalTime();
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}

}  // namespace platform
