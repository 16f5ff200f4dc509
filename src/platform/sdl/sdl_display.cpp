// The real display system: SDL windows carrying the OpenGL batcher (renderer 0) or an
// SDL_Renderer, accelerated (1) or software (2). Whether a renderer exists is found out by really
// opening it once on a hidden window.
#include <SDL.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/gl/gl_sink.h"
#include "platform/sdl/sdl_render_sink.h"
#include "platform/system.h"
#include "platform/video_sink.h"

namespace platform {
namespace {

bool EnsureVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    // The subsystem stays up for the rest of the process: sinks may outlive the display system
    // during static destruction, and their windows need SDL to be there.
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

// The mode of display 0 matching size and depth, preferring the requested refresh rate.
bool FindFullscreenMode(const DisplayRequest& request, SDL_DisplayMode& found) {
    bool any = false;
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
        if (mode.w != request.width || mode.h != request.height ||
            static_cast<int>(SDL_BITSPERPIXEL(mode.format)) != request.depth)
            continue;
        if (request.hertz == 0 || mode.refresh_rate == request.hertz) {
            found = mode;
            return true;
        }
        // Another refresh rate will do if the requested one is not offered.
        if (!any) found = mode;
        any = true;
    }
    return any;
}

// A window for the renderer: windowed, or fullscreen in the matching mode when depth is not 0.
SDL_Window* CreateWindow(int renderer, const DisplayRequest& request, Uint32 flags) {
    if (renderer == RendererOpenGL) {
        gl::RequestContextAttributes();
        flags |= SDL_WINDOW_OPENGL;
    } else {
        // SDL's own GL renderer sets what it needs; leftovers from a 3.3 core request would not.
        SDL_GL_ResetAttributes();
    }
    const std::string title = request.title.empty() ? Caption() : request.title;
    if (request.depth == 0) {
        return SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, request.width,
                                request.height, flags);
    }
    SDL_DisplayMode mode;
    if (!FindFullscreenMode(request, mode)) return nullptr;
    SDL_Window* window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                          request.width, request.height, flags | SDL_WINDOW_FULLSCREEN);
    if (window && SDL_SetWindowDisplayMode(window, &mode) != 0) {
        SDL_DestroyWindow(window);
        return nullptr;
    }
    return window;
}

std::unique_ptr<VideoSink> OpenSink(int renderer, const DisplayRequest& request, Uint32 flags) {
    if (renderer < RendererOpenGL || renderer > RendererSoftware) return nullptr;
    if (request.width <= 0 || request.height <= 0 || !EnsureVideo()) return nullptr;
    SDL_Window* window = CreateWindow(renderer, request, flags);
    if (!window) return nullptr;
    if (renderer == RendererOpenGL) return gl::OpenGlSink(window, request.width, request.height);
    return sdl::OpenRenderSink(window, renderer == RendererAccelerated, request.width, request.height);
}

// Whether SDL offers a render driver other than its software one.
bool HasHardwareRenderDriver() {
    for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
        SDL_RendererInfo info;
        if (SDL_GetRenderDriverInfo(i, &info) == 0 && SDL_strcmp(info.name, "software") != 0 &&
            (info.flags & SDL_RENDERER_ACCELERATED))
            return true;
    }
    return false;
}

// Opens the renderer on a small hidden window and closes it again.
bool ProbeRenderer(int renderer) {
    if (!EnsureVideo()) return false;
    if (renderer == RendererAccelerated && !HasHardwareRenderDriver()) return false;
    // Probing makes its own GL context current; an open display's context is restored after.
    SDL_Window* previous_window = SDL_GL_GetCurrentWindow();
    SDL_GLContext previous_context = SDL_GL_GetCurrentContext();
    DisplayRequest probe;
    probe.width = 64;
    probe.height = 64;
    probe.title = "probe";
    const bool ok = OpenSink(renderer, probe, SDL_WINDOW_HIDDEN) != nullptr;
    if (previous_context) SDL_GL_MakeCurrent(previous_window, previous_context);
    return ok;
}

class SdlDisplaySystem final : public DisplaySystem {
  public:
    bool RendererAvailable(int renderer) override {
        if (renderer < RendererOpenGL || renderer > RendererSoftware) return false;
        int& known = available_[renderer];
        if (known < 0) known = ProbeRenderer(renderer) ? 1 : 0;
        return known == 1;
    }

    std::vector<DisplayMode> Modes(int renderer) override {
        std::vector<DisplayMode> modes;
        if (!RendererAvailable(renderer)) return modes;
        const int count = SDL_GetNumDisplayModes(0);
        for (int i = 0; i < count; ++i) {
            SDL_DisplayMode mode;
            // Drivers without real modes (offscreen) report one of size 0: no fullscreen there.
            if (SDL_GetDisplayMode(0, i, &mode) != 0 || mode.w <= 0 || mode.h <= 0) continue;
            const DisplayMode entry{mode.w, mode.h, static_cast<int>(SDL_BITSPERPIXEL(mode.format)),
                                    mode.refresh_rate};
            const bool seen = std::any_of(modes.begin(), modes.end(), [&](const DisplayMode& m) {
                return m.width == entry.width && m.height == entry.height && m.depth == entry.depth &&
                       m.hertz == entry.hertz;
            });
            if (!seen) modes.push_back(entry);
        }
        return modes;
    }

    std::unique_ptr<VideoSink> Open(int renderer, const DisplayRequest& request) override {
        return OpenSink(renderer, request, 0);
    }

  private:
    int available_[3] = {-1, -1, -1};  // -1 not yet probed
};

}  // namespace

std::unique_ptr<DisplaySystem> MakeSdlDisplaySystem() {
    return std::make_unique<SdlDisplaySystem>();
}

}  // namespace platform
