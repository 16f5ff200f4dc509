// Links between the platform's own services; nothing outside src/platform includes this.
#pragma once

namespace platform::detail {

// vres_width / window width and vres_height / window height of the open display (1 when none):
// the factors that turn window pixels into virtual units. Implemented by the display.
float MouseScaleX();
float MouseScaleY();

// Counts one platform object (image, font, sound, stream) released; Reclaim() reports the count.
// Implemented by the system services.
void NoteObjectReleased();

// Whether the headless back-ends are installed (tests only).
bool HeadlessBackends();

}  // namespace platform::detail
