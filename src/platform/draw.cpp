// The global drawing state and the draw calls: every call becomes textured quads in virtual
// coordinates, with colour, alpha, rotation, scale, handle and origin applied, handed to the sink
// of the open display. Draw calls never allocate: quads are built on the stack or in one scratch
// vertex array that only grows.
#include "platform/draw.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "platform/internal.h"
#include "platform/video_sink.h"

namespace platform {
namespace {

// One per open display; ResetDrawingState puts it back to its initial values.
struct DrawState {
    int color_red = 255, color_green = 255, color_blue = 255;
    float color_alpha = 1;
    std::uint8_t alpha_byte = 255;  // color_alpha as a vertex byte, kept in step with it
    int clscolor_red = 0, clscolor_green = 0, clscolor_blue = 0;
    float line_width = 1;
    float tform_rot = 0;
    float tform_scale_x = 1, tform_scale_y = 1;
    float tform_ix = 1, tform_iy = 0, tform_jx = 0, tform_jy = 1;
    float rot_cos = 1, rot_sin = 0;  // of tform_rot, so SetScale needs no trigonometry
    int viewport_x = 0, viewport_y = 0, viewport_w = 0, viewport_h = 0;
    float origin_x = 0, origin_y = 0;
    float handle_x = 0, handle_y = 0;
    Font image_font;  // empty: the built-in default font
    int blend_mode = BlendMask;
};

DrawState state;

// Scratch corners for calls that make more than one quad (text, ovals); grows, never shrinks.
std::vector<Vertex> scratch;

Vertex* ScratchQuads(int quad_count) {
    const std::size_t needed = static_cast<std::size_t>(quad_count) * 4;
    if (scratch.size() < needed) scratch.resize(std::max<std::size_t>(needed, 1024));
    return scratch.data();
}

// The matrix is derived only here, so draws read four ready numbers.
void UpdateMatrix() {
    state.tform_ix = state.rot_cos * state.tform_scale_x;
    state.tform_iy = -state.rot_sin * state.tform_scale_y;
    state.tform_jx = state.rot_sin * state.tform_scale_x;
    state.tform_jy = state.rot_cos * state.tform_scale_y;
}

// A corner at local (px, py) placed at drawing position (x, y), with the current colour.
void Place(Vertex& v, float px, float py, float x, float y, float u, float tv) {
    v.x = px * state.tform_ix + py * state.tform_iy + x + state.origin_x;
    v.y = px * state.tform_jx + py * state.tform_jy + y + state.origin_y;
    v.u = u;
    v.v = tv;
    v.r = static_cast<std::uint8_t>(state.color_red);
    v.g = static_cast<std::uint8_t>(state.color_green);
    v.b = static_cast<std::uint8_t>(state.color_blue);
    v.a = state.alpha_byte;
}

// The local box (x0, y0)-(x1, y1) as four corners: top-left, top-right, bottom-right, bottom-left.
void PlaceBox(Vertex* q, float x0, float y0, float x1, float y1, float x, float y,
              const detail::TexRect& uv) {
    Place(q[0], x0, y0, x, y, uv.u0, uv.v0);
    Place(q[1], x1, y0, x, y, uv.u1, uv.v0);
    Place(q[2], x1, y1, x, y, uv.u1, uv.v1);
    Place(q[3], x0, y1, x, y, uv.u0, uv.v1);
}

// A corner already in virtual coordinates (no matrix, no origin).
void PlaceAbsolute(Vertex& v, float x, float y) {
    Place(v, 0, 0, x - state.origin_x, y - state.origin_y, 0, 0);
}

constexpr detail::TexRect kNoTexture{0, 0, 0, 0};

void DrawFrame(ImageData& image, float x, float y, float w, float h, int frame) {
    VideoSink* sink = detail::OpenSink();
    if (!sink || frame < 0 || frame >= image.frame_count || image.width <= 0) return;
    detail::TexRect uv;
    const TextureId texture = detail::PrepareImage(image, frame, uv);
    // The handle is in image pixels, so a stretched frame stretches its handle with it.
    const float hx = image.handle_x * w / static_cast<float>(image.width);
    const float hy = image.handle_y * h / static_cast<float>(image.height);
    Vertex quad[4];
    PlaceBox(quad, -hx, -hy, w - hx, h - hy, x, y, uv);
    sink->DrawQuads(texture, quad, 1);
}

// The font DrawText uses; nullptr only when the built-in font itself could not be made.
FontData* CurrentFont() {
    return state.image_font ? state.image_font.get() : detail::DefaultFont().get();
}

}  // namespace

// ---- Drawing state -------------------------------------------------------------------------------

void SetColor(int r, int g, int b) {
    state.color_red = std::clamp(r, 0, 255);
    state.color_green = std::clamp(g, 0, 255);
    state.color_blue = std::clamp(b, 0, 255);
}

void GetColor(int& r, int& g, int& b) {
    r = state.color_red;
    g = state.color_green;
    b = state.color_blue;
}

void SetAlpha(float alpha) {
    if (alpha == state.color_alpha) return;  // the vertex byte still matches
    state.color_alpha = alpha;
    state.alpha_byte = static_cast<std::uint8_t>(std::lround(std::clamp(alpha, 0.0f, 1.0f) * 255.0f));
}

float GetAlpha() {
    return state.color_alpha;
}

void SetBlend(int mode) {
    // Same mode: nothing reaches the sink, so a batch in progress is not broken.
    if (mode == state.blend_mode || mode < BlendMask || mode > BlendShade) return;
    state.blend_mode = mode;
    if (VideoSink* sink = detail::OpenSink()) sink->SetBlend(mode);
}

int GetBlend() {
    return state.blend_mode;
}

void SetRotation(float degrees) {
    // Games set the rotation before every sprite, mostly to the value it already has.
    if (degrees == state.tform_rot) return;
    state.tform_rot = degrees;
    const float quarter_turns = degrees / 90.0f;
    if (quarter_turns == std::floor(quarter_turns) && std::fabs(quarter_turns) < 1e6f) {
        // Whole quarter turns come out as exact zeros and ones, so unrotated-looking drawing
        // stays on whole pixels.
        static constexpr float kCos[4] = {1, 0, -1, 0}, kSin[4] = {0, 1, 0, -1};
        const int turn = ((static_cast<int>(quarter_turns) % 4) + 4) % 4;
        state.rot_cos = kCos[turn];
        state.rot_sin = kSin[turn];
    } else {
        // Single precision: one sincosf instead of a double sincos per sprite.
        const float radians = degrees * (std::numbers::pi_v<float> / 180.0f);
        state.rot_cos = std::cos(radians);
        state.rot_sin = std::sin(radians);
    }
    UpdateMatrix();
}

float GetRotation() {
    return state.tform_rot;
}

void SetScale(float sx, float sy) {
    if (sx == state.tform_scale_x && sy == state.tform_scale_y) return;  // the matrix still holds
    state.tform_scale_x = sx;
    state.tform_scale_y = sy;
    UpdateMatrix();
}

void GetScale(float& sx, float& sy) {
    sx = state.tform_scale_x;
    sy = state.tform_scale_y;
}

void SetOrigin(float x, float y) {
    state.origin_x = x;
    state.origin_y = y;
}

void SetViewport(int x, int y, int w, int h) {
    state.viewport_x = x;
    state.viewport_y = y;
    state.viewport_w = w;
    state.viewport_h = h;
    if (VideoSink* sink = detail::OpenSink()) sink->SetViewport(x, y, w, h);
}

void SetLineWidth(float width) {
    state.line_width = width;
}

void SetHandle(float x, float y) {
    state.handle_x = x;
    state.handle_y = y;
}

void SetImageFont(const Font& font) {
    state.image_font = font;
}

Font GetImageFont() {
    return state.image_font ? state.image_font : detail::DefaultFont();
}

void SetClsColor(int r, int g, int b) {
    state.clscolor_red = std::clamp(r, 0, 255);
    state.clscolor_green = std::clamp(g, 0, 255);
    state.clscolor_blue = std::clamp(b, 0, 255);
}

void Cls() {
    if (VideoSink* sink = detail::OpenSink()) {
        sink->Clear(static_cast<std::uint8_t>(state.clscolor_red),
                    static_cast<std::uint8_t>(state.clscolor_green),
                    static_cast<std::uint8_t>(state.clscolor_blue));
    }
}

void ResetDrawingState() {
    state = DrawState{};
    // The whole drawing area, in virtual units like every viewport (the display size when no
    // virtual resolution was set, as when a display has just opened).
    state.viewport_w = static_cast<int>(std::ceil(VirtualResolutionWidth()));
    state.viewport_h = static_cast<int>(std::ceil(VirtualResolutionHeight()));
    // A new sink knows nothing of the state yet, so the blend and viewport are always sent.
    if (VideoSink* sink = detail::OpenSink()) {
        sink->SetBlend(state.blend_mode);
        sink->SetViewport(state.viewport_x, state.viewport_y, state.viewport_w, state.viewport_h);
    }
}

// ---- Drawing -------------------------------------------------------------------------------------

void DrawImage(const Image& image, float x, float y, int frame) {
    if (!image) return;
    DrawFrame(*image, x, y, static_cast<float>(image->width), static_cast<float>(image->height), frame);
}

void DrawImageRect(const Image& image, float x, float y, float w, float h, int frame) {
    if (!image) return;
    DrawFrame(*image, x, y, w, h, frame);
}

void DrawRect(float x, float y, float w, float h) {
    VideoSink* sink = detail::OpenSink();
    if (!sink) return;
    Vertex quad[4];
    const float x0 = -state.handle_x, y0 = -state.handle_y;
    PlaceBox(quad, x0, y0, x0 + w, y0 + h, x, y, kNoTexture);
    sink->DrawQuads(0, quad, 1);
}

void DrawLine(float x, float y, float x2, float y2, bool draw_last_pixel) {
    VideoSink* sink = detail::OpenSink();
    if (!sink) return;
    // Both ends placed through the matrix, then widened in virtual space: a line keeps its width
    // whatever the scale. Ends sit on pixel centres, and the quad reaches half a pixel beyond the
    // first one, and beyond the last one only when it is drawn.
    Vertex a, b;
    Place(a, -state.handle_x, -state.handle_y, x, y, 0, 0);
    Place(b, x2 - x - state.handle_x, y2 - y - state.handle_y, x, y, 0, 0);
    const float ax = a.x + 0.5f, ay = a.y + 0.5f, bx = b.x + 0.5f, by = b.y + 0.5f;
    const float length = std::hypot(bx - ax, by - ay);
    const float half = std::max(state.line_width, 0.0f) * 0.5f;
    float dx = 1, dy = 0;
    if (length > 0) {
        dx = (bx - ax) / length;
        dy = (by - ay) / length;
    } else if (!draw_last_pixel) {
        return;
    }
    const float end = draw_last_pixel ? 0.5f : -0.5f;
    const float sx = ax - dx * 0.5f, sy = ay - dy * 0.5f;
    const float ex = bx + dx * end, ey = by + dy * end;
    const float nx = -dy * half, ny = dx * half;
    Vertex quad[4];
    PlaceAbsolute(quad[0], sx + nx, sy + ny);
    PlaceAbsolute(quad[1], ex + nx, ey + ny);
    PlaceAbsolute(quad[2], ex - nx, ey - ny);
    PlaceAbsolute(quad[3], sx - nx, sy - ny);
    sink->DrawQuads(0, quad, 1);
}

void DrawOval(float x, float y, float w, float h) {
    VideoSink* sink = detail::OpenSink();
    if (!sink) return;
    const float rx = w * 0.5f, ry = h * 0.5f;
    const float cx = rx - state.handle_x, cy = ry - state.handle_y;
    // Enough segments that the edge looks round at the drawn size. A multiple of four puts a
    // vertex on each extreme of the box, and an even count packs the fan into quads of two
    // triangles each (centre, p[i], p[i+1], p[i+2]).
    const float size = std::fabs(rx * state.tform_scale_x) + std::fabs(ry * state.tform_scale_y);
    const int segments = (std::clamp(static_cast<int>(size) + 8, 12, 256) + 3) & ~3;
    const int quad_count = segments / 2;
    Vertex* q = ScratchQuads(quad_count);
    const double step = 2.0 * std::numbers::pi / segments;
    for (int i = 0; i < quad_count; ++i) {
        Place(q[i * 4], cx, cy, x, y, 0, 0);
        for (int k = 0; k < 3; ++k) {
            const double angle = step * (2 * i + k);
            Place(q[i * 4 + 1 + k], cx + rx * static_cast<float>(std::cos(angle)),
                  cy + ry * static_cast<float>(std::sin(angle)), x, y, 0, 0);
        }
    }
    sink->DrawQuads(0, q, quad_count);
}

void Plot(float x, float y) {
    VideoSink* sink = detail::OpenSink();
    if (!sink) return;
    // The point goes through the matrix; the pixel it lights is one virtual unit, unrotated.
    Vertex p;
    Place(p, -state.handle_x, -state.handle_y, x, y, 0, 0);
    Vertex quad[4];
    PlaceAbsolute(quad[0], p.x, p.y);
    PlaceAbsolute(quad[1], p.x + 1, p.y);
    PlaceAbsolute(quad[2], p.x + 1, p.y + 1);
    PlaceAbsolute(quad[3], p.x, p.y + 1);
    sink->DrawQuads(0, quad, 1);
}

void DrawText(const std::string& text, float x, float y) {
    VideoSink* sink = detail::OpenSink();
    if (!sink || text.empty()) return;
    FontData* font = CurrentFont();
    if (!font) return;
    const detail::GlyphBox* glyphs = detail::FontGlyphs(*font);
    const TextureId atlas = detail::PrepareFont(*font);
    Vertex* q = ScratchQuads(static_cast<int>(text.size()));
    int quad_count = 0;
    float pen = -state.handle_x;
    const float top = -state.handle_y;
    // All glyphs share the atlas, so the whole string is one batch.
    for (const char c : text) {
        const detail::GlyphBox& g = glyphs[static_cast<unsigned char>(c)];
        if (g.x1 > g.x0) {
            PlaceBox(q + quad_count * 4, pen + g.x0, top + g.y0, pen + g.x1, top + g.y1, x, y, g.uv);
            ++quad_count;
        }
        pen += g.advance;
    }
    if (quad_count > 0) sink->DrawQuads(atlas, q, quad_count);
}

int TextWidth(const std::string& text) {
    const FontData* font = CurrentFont();
    if (!font) return 0;
    const detail::GlyphBox* glyphs = detail::FontGlyphs(*font);
    double width = 0;
    for (const char c : text) width += glyphs[static_cast<unsigned char>(c)].advance;
    return static_cast<int>(std::lround(width));
}

int TextHeight() {
    return FontHeight(state.image_font ? state.image_font : detail::DefaultFont());
}

}  // namespace platform
