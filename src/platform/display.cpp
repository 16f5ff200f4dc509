// The display: renderer choice, modes, opening and closing the sink, the virtual resolution,
// presenting with frame pacing, the pointer and back-buffer read-back.
#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "platform/clock.h"
#include "platform/draw.h"
#include "platform/input.h"
#include "platform/internal.h"
#include "platform/service_backends.h"
#include "platform/system.h"
#include "platform/video_sink.h"

namespace platform {
namespace {

constexpr int kRendererCount = 3;

// Raw pointers on purpose: they stay valid (or null) while static objects holding images and
// fonts are destroyed at exit, whatever the order of destruction.
DisplaySystem* display_system = nullptr;
VideoSink* sink = nullptr;

int renderer = RendererOpenGL;
// Per renderer: 0 not asked yet, 1 available, -1 absent. Forgotten when another system is installed.
int renderer_known[kRendererCount] = {};
unsigned generation = 0;

// What the open display was asked for.
bool fullscreen = false;
int display_hertz = 0;
float vres_width = 0, vres_height = 0;

// Pacing of Flip(-1) in a window: the next-frame time, the whole milliseconds per frame and the
// leftover milliseconds per second spread over the frames by the accumulator.
struct Pacing {
    int next_frame = 0;
    int step = 0;
    int remainder = 0;
    int accumulator = 0;
};
Pacing pacing;

void StartPacing(int hertz) {
    pacing = Pacing{};
    pacing.next_frame = MilliSecs();
    if (hertz > 0) {
        pacing.step = 1000 / hertz;
        pacing.remainder = 1000 - pacing.step * hertz;
    }
}

// Sleeps until the next frame time; when the frame is already late the schedule restarts from
// now, so a stall is never followed by a burst of frames.
void PaceFrame(int hertz) {
    pacing.next_frame += pacing.step;
    pacing.accumulator += pacing.remainder;
    if (pacing.accumulator >= hertz) {
        pacing.accumulator -= hertz;
        pacing.next_frame += 1;
    }
    const int now = MilliSecs();
    if (pacing.next_frame > now) {
        Delay(pacing.next_frame - now);
    } else {
        pacing.next_frame = now;
    }
}

void WindowPixels(int& width, int& height) {
    width = height = 0;
    if (sink) sink->WindowSize(width, height);
}

// The pointer reads at its new place at once, before the window reports the motion.
void WarpPointer(int window_x, int window_y) {
    sink->WarpMouse(window_x, window_y);
    detail::ApplyMouseMove(window_x, window_y);
}

}  // namespace

// ---- Display system ------------------------------------------------------------------------------

DisplaySystem& CurrentDisplaySystem() {
    if (!display_system) display_system = MakeSdlDisplaySystem().release();
    return *display_system;
}

void InstallDisplaySystem(std::unique_ptr<DisplaySystem> system) {
    // A sink belongs to the system that opened it.
    EndGraphics();
    delete display_system;
    display_system = system.release();
    std::fill(std::begin(renderer_known), std::end(renderer_known), 0);
    renderer = RendererOpenGL;
}

namespace detail {

VideoSink* OpenSink() {
    return sink;
}

unsigned SinkGeneration() {
    return generation;
}

float MouseScaleX() {
    int width, height;
    WindowPixels(width, height);
    return width > 0 ? vres_width / static_cast<float>(width) : 1.0f;
}

float MouseScaleY() {
    int width, height;
    WindowPixels(width, height);
    return height > 0 ? vres_height / static_cast<float>(height) : 1.0f;
}

}  // namespace detail

// ---- Renderer and modes --------------------------------------------------------------------------

bool GraphicsDriverExists(int which) {
    if (which < 0 || which >= kRendererCount) return false;
    if (renderer_known[which] == 0) {
        renderer_known[which] = CurrentDisplaySystem().RendererAvailable(which) ? 1 : -1;
    }
    return renderer_known[which] > 0;
}

bool SetGraphicsDriver(int which, int /*flags*/) {
    // Every display is back-buffered, so the flags ask for nothing more.
    if (!GraphicsDriverExists(which)) return false;
    renderer = which;
    return true;
}

int GraphicsDriver() {
    return renderer;
}

int CountGraphicsModes() {
    return static_cast<int>(CurrentDisplaySystem().Modes(renderer).size());
}

bool GetGraphicsMode(int index, int& width, int& height, int& depth, int& hertz) {
    const std::vector<DisplayMode> modes = CurrentDisplaySystem().Modes(renderer);
    if (index < 0 || index >= static_cast<int>(modes.size())) return false;
    const DisplayMode& mode = modes[static_cast<std::size_t>(index)];
    width = mode.width;
    height = mode.height;
    depth = mode.depth;
    hertz = mode.hertz;
    return true;
}

bool GraphicsModeExists(int width, int height, int depth, int hertz) {
    const auto matches = [](int wanted, int value) { return wanted == 0 || wanted == value; };
    for (const DisplayMode& mode : CurrentDisplaySystem().Modes(renderer)) {
        if (matches(width, mode.width) && matches(height, mode.height) && matches(depth, mode.depth) &&
            matches(hertz, mode.hertz)) {
            return true;
        }
    }
    return false;
}

// ---- Opening and closing -------------------------------------------------------------------------

bool Graphics(int width, int height, int depth, int hertz, int /*flags*/) {
    EndGraphics();
    DisplayRequest request;
    request.width = width;
    request.height = height;
    request.depth = depth;
    request.hertz = hertz;
    request.title = Caption();
    std::unique_ptr<VideoSink> opened = CurrentDisplaySystem().Open(renderer, request);
    if (!opened) return false;
    sink = opened.release();
    // Every texture of an earlier display is gone; images and fonts see the new generation and
    // upload again when next drawn.
    ++generation;
    fullscreen = depth != 0;
    display_hertz = std::max(hertz, 0);
    vres_width = static_cast<float>(sink->Width());
    vres_height = static_cast<float>(sink->Height());
    sink->SetVirtualResolution(vres_width, vres_height);
    ResetDrawingState();
    StartPacing(display_hertz);
    if (fullscreen) {
        int window_width, window_height;
        sink->WindowSize(window_width, window_height);
        WarpPointer(window_width / 2, window_height / 2);
    }
    return true;
}

void EndGraphics() {
    delete sink;
    sink = nullptr;
}

bool GraphicsOpen() {
    return sink != nullptr;
}

int GraphicsWidth() {
    return sink ? sink->Width() : 0;
}

int GraphicsHeight() {
    return sink ? sink->Height() : 0;
}

std::string GraphicsRendererName() {
    return sink ? sink->RendererName() : std::string();
}

void SetVirtualResolution(float w, float h) {
    if (w <= 0 || h <= 0) return;
    vres_width = w;
    vres_height = h;
    if (!sink) return;
    sink->SetVirtualResolution(w, h);
    // The clip rectangle is in virtual units: it becomes the whole new virtual area, so the
    // drawing still reaches every window pixel.
    SetViewport(0, 0, static_cast<int>(std::ceil(w)), static_cast<int>(std::ceil(h)));
}

float VirtualResolutionWidth() {
    return vres_width;
}

float VirtualResolutionHeight() {
    return vres_height;
}

// ---- Presenting ----------------------------------------------------------------------------------

bool BeginReadBack(int x, int y, int width, int height, int window_w, int window_h, std::uint8_t* rgba,
                   ReadBackArea& area) {
    area.row_bytes = static_cast<std::size_t>(width) * 4;
    for (std::size_t i = 0; i < area.row_bytes * height; i += 4) {
        rgba[i] = rgba[i + 1] = rgba[i + 2] = 0;
        rgba[i + 3] = 255;
    }
    area.x0 = std::max(x, 0);
    area.y0 = std::max(y, 0);
    area.x1 = std::min(x + width, window_w);
    area.y1 = std::min(y + height, window_h);
    area.first = rgba + (area.y0 - y) * area.row_bytes + (area.x0 - x) * 4;
    return area.x1 > area.x0 && area.y1 > area.y0;
}

void SubmitDrawing() {
    if (sink) sink->Submit();
}

void Flip(int sync) {
    PollEvents();
    if (!sink) return;
    if (sync >= 0) {
        sink->Present(sync > 0);
    } else if (display_hertz == 0) {
        sink->Present(false);
    } else if (fullscreen) {
        sink->Present(true);
    } else {
        sink->Submit();
        PaceFrame(display_hertz);
        sink->Present(false);
    }
}

// ---- Pointer -------------------------------------------------------------------------------------

void HideMouse() {
    SDL_ShowCursor(SDL_DISABLE);
}

void ShowMouse() {
    SDL_ShowCursor(SDL_ENABLE);
}

void MoveMouse(int x, int y) {
    if (!sink) return;
    const float sx = detail::MouseScaleX(), sy = detail::MouseScaleY();
    WarpPointer(static_cast<int>(std::lround(x / sx)), static_cast<int>(std::lround(y / sy)));
}

// ---- Read-back -----------------------------------------------------------------------------------

Pixmap GrabPixmap(int x, int y, int w, int h) {
    Pixmap pixmap;
    if (!sink) return pixmap;
    // Only the part inside the display can be read.
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + w, sink->Width()), y1 = std::min(y + h, sink->Height());
    if (x1 <= x0 || y1 <= y0) return pixmap;
    pixmap.rgba.resize(static_cast<std::size_t>(x1 - x0) * static_cast<std::size_t>(y1 - y0) * 4);
    if (!sink->ReadPixels(x0, y0, x1 - x0, y1 - y0, pixmap.rgba.data())) {
        pixmap.rgba.clear();
        return pixmap;
    }
    pixmap.width = x1 - x0;
    pixmap.height = y1 - y0;
    return pixmap;
}

}  // namespace platform
