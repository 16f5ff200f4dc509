// The back-end interface behind draw.h. The drawing core (draw.cpp) turns every draw call into
// quads in virtual coordinates with the drawing state applied; a sink puts them on a screen
// (OpenGL batcher, SDL_Renderer) or records them (headless recorder).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/draw.h"

namespace platform {

// One corner of a quad: position in virtual units, texture coordinates, colour and alpha
// (bytes r, g, b, a in memory order: texel times colour/255, times alpha).
struct Vertex {
    float x, y;
    float u, v;
    std::uint8_t r, g, b, a;
};

using TextureId = std::uint32_t;  // 0: no texture (a sink draws such quads in plain colour)

struct DisplayRequest {
    int width = 800, height = 600;
    int depth = 0;  // 0 window, otherwise fullscreen at this depth
    int hertz = 60;
    std::string title;
};

class VideoSink {
  public:
    virtual ~VideoSink() = default;
    // Texture with premultiplied-free RGBA8 pixels, rows top first.
    virtual TextureId CreateTexture(int width, int height, const std::uint8_t* rgba, bool filtered) = 0;
    virtual void UpdateTexture(TextureId texture, int x, int y, int width, int height,
                               const std::uint8_t* rgba) = 0;
    virtual void DestroyTexture(TextureId texture) = 0;
    // Virtual coordinate space mapped onto the whole window.
    virtual void SetVirtualResolution(float width, float height) = 0;
    // Clip rectangle in virtual units.
    virtual void SetViewport(int x, int y, int width, int height) = 0;
    // One of the BlendMode values.
    virtual void SetBlend(int mode) = 0;
    // quad_count quads of four corners each, in order top-left, top-right, bottom-right,
    // bottom-left of the untransformed quad (two triangles 0-1-2 and 0-2-3).
    virtual void DrawQuads(TextureId texture, const Vertex* vertices, int quad_count) = 0;
    // Clears the viewport.
    virtual void Clear(std::uint8_t r, std::uint8_t g, std::uint8_t b) = 0;
    // Hands the queued drawing to the renderer now, so it can work while the program sleeps
    // before presenting. Sinks that draw at once need nothing here.
    virtual void Submit() {}
    // Shows the back buffer; vsync true waits for the vertical blank where the driver can.
    virtual void Present(bool vsync) = 0;
    // Reads back-buffer pixels in display pixels (top-left origin) into rgba (width*height*4).
    virtual bool ReadPixels(int x, int y, int width, int height, std::uint8_t* rgba) = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual std::string RendererName() const = 0;
    // Pointer placement, in window pixels.
    virtual void WarpMouse(int x, int y) = 0;
    // Window size in pixels (may differ from the requested size in fullscreen).
    virtual void WindowSize(int& width, int& height) const = 0;
};

// The part of a read-back rectangle that lies inside the window.
struct ReadBackArea {
    int x0, y0, x1, y1;     // inside part, window pixels, x1/y1 exclusive
    std::size_t row_bytes;  // bytes per row of the caller's picture
    std::uint8_t* first;    // where pixel (x0, y0) goes in the caller's picture
};

// Starts a read-back of width x height pixels at x, y: fills the whole picture with opaque black
// (what lies outside the window reads as) and clips the rectangle to the window. False when
// nothing of it lies inside.
bool BeginReadBack(int x, int y, int width, int height, int window_w, int window_h, std::uint8_t* rgba,
                   ReadBackArea& area);

// Opens sinks and lists modes. The real one is SDL-based; tests install the recorder's.
class DisplaySystem {
  public:
    virtual ~DisplaySystem() = default;
    virtual bool RendererAvailable(int renderer) = 0;
    virtual std::vector<DisplayMode> Modes(int renderer) = 0;
    // nullptr when the display cannot be opened.
    virtual std::unique_ptr<VideoSink> Open(int renderer, const DisplayRequest& request) = 0;
};

// The display system in use; the SDL one unless a test installed another.
DisplaySystem& CurrentDisplaySystem();
void InstallDisplaySystem(std::unique_ptr<DisplaySystem> system);
// The real display system (OpenGL batcher and SDL_Renderer sinks on SDL windows).
std::unique_ptr<DisplaySystem> MakeSdlDisplaySystem();

}  // namespace platform
