// The OpenGL 3.3 core video sink: a quad batcher that streams vertices into one buffer and
// issues one draw call per run of quads sharing texture, blend mode and clip rectangle.
#pragma once

#include <SDL.h>

#include <memory>

#include "platform/video_sink.h"

namespace platform::gl {

// Sets the SDL attributes for a double-buffered 3.3 core context; call before creating the window.
void RequestContextAttributes();

// Makes a 3.3 core context on the window (created with SDL_WINDOW_OPENGL after
// RequestContextAttributes) and takes ownership of the window. width x height is the display size
// reported by Width/Height. On failure the window is destroyed and nullptr returned.
std::unique_ptr<VideoSink> OpenGlSink(SDL_Window* window, int width, int height);

}  // namespace platform::gl
