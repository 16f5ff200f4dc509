// Links between the platform's own services; nothing outside src/platform includes this.
#pragma once

#include <cstdint>
#include <memory>

namespace platform {
class VideoSink;
struct ImageData;
struct FontData;
}  // namespace platform

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
// Marks the headless back-ends installed or not; EndProcess throws ProcessEnded while on.
void SetHeadlessBackends(bool on);

// ---- Links between the display, the drawing core, images and fonts ----------------------------

// The sink of the open display; nullptr when no display is open.
VideoSink* OpenSink();
// Bumped at every Graphics: a texture made under an older generation no longer exists.
unsigned SinkGeneration();

// Texture coordinates of a rectangle inside a texture.
struct TexRect {
    float u0, v0, u1, v1;
};
// The image's texture on the open sink (uploaded first when this display has none yet) and the
// coordinates of the frame in it. Returns 0 when no display is open.
std::uint32_t PrepareImage(ImageData& image, int frame, TexRect& uv);

// One glyph of a font: its box relative to the pen at the top of the line, its place in the
// atlas and the pen advance. An empty box (x0 == x1) draws nothing.
struct GlyphBox {
    float x0, y0, x1, y1;
    TexRect uv;
    float advance;
};
// The 256 glyphs of a font, indexed by 8-bit character code.
const GlyphBox* FontGlyphs(const FontData& font);
// The font's atlas texture on the open sink, rebuilt when this display has none yet; 0 when no
// display is open.
std::uint32_t PrepareFont(FontData& font);
// The built-in default font (16 px), loaded on first use.
const std::shared_ptr<FontData>& DefaultFont();

}  // namespace platform::detail
