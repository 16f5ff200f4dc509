// The SDL_Renderer video sink (accelerated or software): the same quads as the OpenGL batcher,
// drawn as triangles through SDL_RenderGeometry.
#pragma once

#include <SDL.h>

#include <memory>

#include "platform/video_sink.h"

namespace platform::sdl {

// Creates an accelerated (a hardware driver is required) or software SDL_Renderer on the window
// and takes ownership of the window. width x height is the display size reported by Width/Height.
// On failure the window is destroyed and nullptr returned.
std::unique_ptr<VideoSink> OpenRenderSink(SDL_Window* window, bool accelerated, int width, int height);

}  // namespace platform::sdl
