// The headless back-ends as one switch.
#include "platform/headless/headless.h"

#include "platform/headless/manual_clock.h"
#include "platform/headless/null_mixer.h"
#include "platform/headless/recorder.h"
#include "platform/headless/script_input.h"
#include "platform/internal.h"

namespace platform::headless {

void UseHeadlessBackends(int start_ms) {
    UseManualClock(start_ms);
    UseScriptInput();
    UseNullAudio();
    UseRecorder();
    detail::SetHeadlessBackends(true);
}

}  // namespace platform::headless
