// The null mixer: the clock-timed voices of the silent mode installed as the test back-end,
// with a handle kept so tests can mix its voices into memory.
#include "platform/headless/null_mixer.h"

#include <memory>

#include "platform/audio_driver.h"

namespace platform::headless {
namespace {

detail::ClockDriver* installed = nullptr;  // owned by the audio services while installed

}  // namespace

void UseNullAudio() {
    auto driver = std::make_unique<detail::ClockDriver>();
    installed = driver.get();
    detail::InstallTestAudioDriver(std::move(driver));
}

void UseRealAudio() {
    installed = nullptr;
    detail::InstallTestAudioDriver(nullptr);
}

bool NullAudioActive() {
    return installed != nullptr;
}

std::vector<float> MixFor(int milliseconds) {
    return installed ? installed->MixAhead(milliseconds) : std::vector<float>{};
}

int NullVoicesInUse() {
    return installed ? installed->VoicesInUse() : 0;
}

void SetNullAudioDriverNames(const std::vector<std::string>& names) {
    detail::SetTestAudioDriverNames(names);
}

void SetNullOpenALUsable(int usable) {
    detail::SetTestOpenALUsable(usable);
}

}  // namespace platform::headless
