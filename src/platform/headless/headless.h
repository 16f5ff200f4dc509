// The headless back-ends as one switch, for tests: the draw-call recorder, the null mixer, the
// input script and the manual clock. The shipped program never calls this.
#pragma once

namespace platform::headless {

// Installs all four headless back-ends; the clock starts at start_ms. EndProcess then throws
// ProcessEnded instead of ending the process.
void UseHeadlessBackends(int start_ms = 0);

}  // namespace platform::headless
