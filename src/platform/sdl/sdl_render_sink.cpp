// The SDL_Renderer video sink. Quads arrive in virtual units; they are scaled to window pixels
// here (no SDL logical size, so clipping and read-back stay in plain window pixels), collected as
// two triangles each and handed to SDL_RenderGeometry once per run of quads sharing texture and
// blend mode.
//
// SDL has no alpha test, so mask blending is emulated with alpha blending on all-or-nothing
// alpha: every texture keeps a twin whose alpha is thresholded at 128 (0 below, 255 from there
// up), and in mask mode vertex alpha is thresholded the same way. For textures whose alpha is
// already 0 or 255, and for untextured quads, this is exact. Where both the texel and the vertex
// carry partial alpha the two are thresholded separately instead of as a product, and filtered
// sampling softens the edges of the thresholded twin slightly.
//
// Untextured quads are drawn with a 1 x 1 white texture: SDL 2.26's software renderer alpha-blends
// untextured rectangles whatever blend mode is set, while its textured path honours them all.
//
// The software renderer also turns two triangles forming an axis-aligned rectangle into a
// rectangle copy, and that copy loses a mirroring of the positions and vanishes entirely when it
// crosses the clip rectangle. So on that renderer such quads are rewritten left-to-right and
// top-to-bottom (a mirroring moves into the texture coordinates) and clipped here, with their
// texture coordinates cut to match; the copy rounds a cut texture rectangle to whole texels.
// Other quads take SDL's triangle path, which clips correctly but samples less precisely; a cut
// that would leave less than one texel is sent down that path by moving one corner a fraction
// of a pixel off the grid. Quads on the white stand-in texture get texture coordinates spanning
// its one texel, so they stay on the faster rectangle path.
#include "platform/sdl/sdl_render_sink.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform::sdl {
namespace {

constexpr int kMaxBatchQuads = 16384;
constexpr std::uint8_t kMaskThreshold = 128;  // alpha 128/255 is the first value >= 0.5
// Off-grid shift that keeps SDL from treating a quad as a rectangle; below its pixel precision.
constexpr float kOffGrid = 1.0f / 1024.0f;

struct SdlTexture {
    SDL_Texture* plain = nullptr;
    SDL_Texture* masked = nullptr;  // thresholded twin used in mask mode
    int width = 0, height = 0;
};

SDL_BlendMode SdlBlendMode(int mode) {
    switch (mode) {
        case BlendSolid:
            return SDL_BLENDMODE_NONE;
        case BlendLight:
            return SDL_BLENDMODE_ADD;
        case BlendShade:
            return SDL_BLENDMODE_MOD;
        default:  // alpha, and mask on thresholded alpha
            return SDL_BLENDMODE_BLEND;
    }
}

// Copies width x height pixels (source rows pitch bytes apart) with alpha set to 0 or 255.
void ThresholdAlpha(const std::uint8_t* src, int pitch, int width, int height,
                    std::vector<std::uint8_t>& out) {
    out.resize(static_cast<std::size_t>(width) * height * 4);
    std::uint8_t* dest = out.data();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = src + static_cast<std::size_t>(y) * pitch;
        for (int x = 0; x < width * 4; x += 4, dest += 4) {
            std::memcpy(dest, row + x, 3);
            dest[3] = row[x + 3] >= kMaskThreshold ? 255 : 0;
        }
    }
}

bool SameColor(const SDL_Color& a, const SDL_Color& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

// Whether the quad is an axis-aligned rectangle with the texture laid straight on it and one
// colour: the shape SDL's software renderer draws as a rectangle copy.
bool IsPlainRectangle(const SDL_Vertex* q) {
    return q[0].position.y == q[1].position.y && q[1].position.x == q[2].position.x &&
           q[2].position.y == q[3].position.y && q[3].position.x == q[0].position.x &&
           q[0].tex_coord.y == q[1].tex_coord.y && q[1].tex_coord.x == q[2].tex_coord.x &&
           q[2].tex_coord.y == q[3].tex_coord.y && q[3].tex_coord.x == q[0].tex_coord.x &&
           SameColor(q[0].color, q[1].color) && SameColor(q[0].color, q[2].color) &&
           SameColor(q[0].color, q[3].color);
}

enum class Fit { kDraw, kDrop, kTriangles };

// Rewrites a plain rectangle left-to-right, top-to-bottom and cut to the clip rectangle, its
// texture coordinates following. kDrop when nothing of it is visible; kTriangles (quad moved off
// the grid) when the visible part spans less than one texel of the texture_w x texture_h texture,
// which the rectangle copy would fill with the plain vertex colour, ignoring the blend mode.
Fit FitRectangle(SDL_Vertex* q, const SDL_Rect& clip, int texture_w, int texture_h) {
    float left = q[0].position.x, right = q[1].position.x, u_left = q[0].tex_coord.x,
          u_right = q[1].tex_coord.x;
    if (right < left) {
        std::swap(left, right);
        std::swap(u_left, u_right);
    }
    float top = q[0].position.y, bottom = q[3].position.y, v_top = q[0].tex_coord.y,
          v_bottom = q[3].tex_coord.y;
    if (bottom < top) {
        std::swap(top, bottom);
        std::swap(v_top, v_bottom);
    }
    const float new_left = std::max(left, static_cast<float>(clip.x));
    const float new_right = std::min(right, static_cast<float>(clip.x + clip.w));
    const float new_top = std::max(top, static_cast<float>(clip.y));
    const float new_bottom = std::min(bottom, static_cast<float>(clip.y + clip.h));
    if (new_right <= new_left || new_bottom <= new_top) return Fit::kDrop;
    const auto cut = [](float a, float b, float from, float to, float at) {
        return a + (b - a) * (at - from) / (to - from);
    };
    const float u0 = cut(u_left, u_right, left, right, new_left);
    const float u1 = cut(u_left, u_right, left, right, new_right);
    const float v0 = cut(v_top, v_bottom, top, bottom, new_top);
    const float v1 = cut(v_top, v_bottom, top, bottom, new_bottom);
    if (std::abs(u1 - u0) * texture_w < 1 || std::abs(v1 - v0) * texture_h < 1) {
        q[2].position.x += kOffGrid;
        return Fit::kTriangles;
    }
    const SDL_Color color = q[0].color;
    q[0] = {{new_left, new_top}, color, {u0, v0}};
    q[1] = {{new_right, new_top}, color, {u1, v0}};
    q[2] = {{new_right, new_bottom}, color, {u1, v1}};
    q[3] = {{new_left, new_bottom}, color, {u0, v1}};
    return Fit::kDraw;
}

class RenderSink final : public VideoSink {
  public:
    RenderSink(SDL_Window* window, SDL_Renderer* renderer, bool software, int width, int height);
    ~RenderSink() override;

    // False when the renderer could not even hold the white stand-in texture.
    bool Usable() const { return white_ != 0; }

    TextureId CreateTexture(int width, int height, const std::uint8_t* rgba, bool filtered) override;
    void UpdateTexture(TextureId texture, int x, int y, int width, int height,
                       const std::uint8_t* rgba) override;
    void DestroyTexture(TextureId texture) override;
    void SetVirtualResolution(float width, float height) override;
    void SetViewport(int x, int y, int width, int height) override;
    void SetBlend(int mode) override;
    void DrawQuads(TextureId texture, const Vertex* vertices, int quad_count) override;
    void Clear(std::uint8_t r, std::uint8_t g, std::uint8_t b) override;
    void Present(bool vsync) override;
    bool ReadPixels(int x, int y, int width, int height, std::uint8_t* rgba) override;
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    std::string RendererName() const override;
    void WarpMouse(int x, int y) override { SDL_WarpMouseInWindow(window_, x, y); }
    void WindowSize(int& width, int& height) const override {
        width = output_w_;
        height = output_h_;
    }

  private:
    void Flush();
    void ApplyClip();
    void ComputeClip();
    void ReadOutputSize();
    void AppendQuads(const Vertex* vertices, int quad_count);
    SDL_Texture* MakeTexture(int width, int height, const std::uint8_t* rgba, bool filtered);

    SDL_Window* window_;
    SDL_Renderer* renderer_;
    bool software_;
    int width_, height_;
    int output_w_ = 0, output_h_ = 0;
    float vres_w_, vres_h_;
    float scale_x_ = 1, scale_y_ = 1;  // window pixels per virtual unit
    int view_x_ = 0, view_y_ = 0, view_w_, view_h_;
    SDL_Rect clip_{0, 0, 0, 0};  // the viewport in window pixels
    bool clip_dirty_ = true;
    int blend_ = BlendMask;
    int vsync_ = -1;  // -1: never set

    std::unordered_map<TextureId, SdlTexture> textures_;
    TextureId next_id_ = 1;
    TextureId batch_texture_ = 0;
    std::vector<SDL_Vertex> batch_;
    std::vector<int> indices_;               // two triangles per quad, built once
    std::vector<std::uint8_t> thresholded_;  // scratch for the masked twins
    TextureId white_ = 0;                    // stands in for "no texture"
};

RenderSink::RenderSink(SDL_Window* window, SDL_Renderer* renderer, bool software, int width, int height)
    : window_(window), renderer_(renderer), software_(software), width_(width), height_(height) {
    vres_w_ = static_cast<float>(width);
    vres_h_ = static_cast<float>(height);
    view_w_ = width;
    view_h_ = height;
    batch_.reserve(kMaxBatchQuads * 4);
    indices_.resize(kMaxBatchQuads * 6);
    for (int q = 0; q < kMaxBatchQuads; ++q) {
        const int quad[6] = {q * 4, q * 4 + 1, q * 4 + 2, q * 4, q * 4 + 2, q * 4 + 3};
        std::copy(quad, quad + 6, indices_.begin() + q * 6);
    }
    ReadOutputSize();
    const std::uint8_t white[4] = {255, 255, 255, 255};
    white_ = CreateTexture(1, 1, white, false);
}

RenderSink::~RenderSink() {
    for (const auto& entry : textures_) {
        SDL_DestroyTexture(entry.second.plain);
        SDL_DestroyTexture(entry.second.masked);
    }
    SDL_DestroyRenderer(renderer_);
    SDL_DestroyWindow(window_);
}

std::string RenderSink::RendererName() const {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer_, &info) != 0) return "SDL_Renderer";
    return info.name;
}

void RenderSink::ReadOutputSize() {
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(renderer_, &w, &h);
    if (w == output_w_ && h == output_h_) return;
    output_w_ = w;
    output_h_ = h;
    scale_x_ = output_w_ / vres_w_;
    scale_y_ = output_h_ / vres_h_;
    ComputeClip();
}

SDL_Texture* RenderSink::MakeTexture(int width, int height, const std::uint8_t* rgba, bool filtered) {
    SDL_Texture* texture =
        SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STATIC, width, height);
    if (!texture) return nullptr;
    SDL_SetTextureScaleMode(texture, filtered ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    SDL_UpdateTexture(texture, nullptr, rgba, width * 4);
    return texture;
}

TextureId RenderSink::CreateTexture(int width, int height, const std::uint8_t* rgba, bool filtered) {
    if (width <= 0 || height <= 0) return 0;
    std::vector<std::uint8_t> blank;
    if (!rgba) {
        // A texture made without pixels starts transparent rather than undefined.
        blank.assign(static_cast<std::size_t>(width) * height * 4, 0);
        rgba = blank.data();
    }
    SdlTexture entry{MakeTexture(width, height, rgba, filtered), nullptr, width, height};
    ThresholdAlpha(rgba, width * 4, width, height, thresholded_);
    entry.masked = MakeTexture(width, height, thresholded_.data(), filtered);
    if (!entry.plain || !entry.masked) {
        SDL_DestroyTexture(entry.plain);
        SDL_DestroyTexture(entry.masked);
        return 0;
    }
    const TextureId id = next_id_++;
    textures_[id] = entry;
    return id;
}

void RenderSink::UpdateTexture(TextureId texture, int x, int y, int width, int height,
                               const std::uint8_t* rgba) {
    const auto it = textures_.find(texture);
    if (it == textures_.end() || texture == white_ || !rgba) return;
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + width, it->second.width), y1 = std::min(y + height, it->second.height);
    if (x1 <= x0 || y1 <= y0) return;
    // Quads already batched with this texture must show its old contents.
    if (texture == batch_texture_) Flush();
    const int pitch = width * 4;
    const std::uint8_t* src = rgba + static_cast<std::size_t>(y0 - y) * pitch + (x0 - x) * 4;
    const SDL_Rect rect{x0, y0, x1 - x0, y1 - y0};
    SDL_UpdateTexture(it->second.plain, &rect, src, pitch);
    ThresholdAlpha(src, pitch, rect.w, rect.h, thresholded_);
    SDL_UpdateTexture(it->second.masked, &rect, thresholded_.data(), rect.w * 4);
}

void RenderSink::DestroyTexture(TextureId texture) {
    const auto it = textures_.find(texture);
    if (it == textures_.end() || texture == white_) return;
    if (texture == batch_texture_) {
        Flush();
        batch_texture_ = 0;
    }
    SDL_DestroyTexture(it->second.plain);
    SDL_DestroyTexture(it->second.masked);
    textures_.erase(it);
}

void RenderSink::SetVirtualResolution(float width, float height) {
    if (!(width > 0 && height > 0) || (width == vres_w_ && height == vres_h_)) return;
    Flush();
    vres_w_ = width;
    vres_h_ = height;
    scale_x_ = output_w_ / vres_w_;
    scale_y_ = output_h_ / vres_h_;
    ComputeClip();
}

void RenderSink::SetViewport(int x, int y, int width, int height) {
    if (x == view_x_ && y == view_y_ && width == view_w_ && height == view_h_) return;
    Flush();
    view_x_ = x;
    view_y_ = y;
    view_w_ = width;
    view_h_ = height;
    ComputeClip();
}

void RenderSink::SetBlend(int mode) {
    if (mode == blend_ || mode < BlendMask || mode > BlendShade) return;
    Flush();
    blend_ = mode;
}

void RenderSink::DrawQuads(TextureId texture, const Vertex* vertices, int quad_count) {
    if (quad_count <= 0 || !vertices) return;
    // A texture this sink does not hold (destroyed, or made by an earlier display) draws nothing.
    if (texture == 0) {
        texture = white_;
    } else if (texture == white_ || (texture != batch_texture_ && !textures_.count(texture))) {
        return;
    }
    if (texture != batch_texture_) {
        Flush();
        batch_texture_ = texture;
    }
    while (quad_count > 0) {
        const int room = kMaxBatchQuads - static_cast<int>(batch_.size() / 4);
        const int take = std::min(room, quad_count);
        AppendQuads(vertices, take);
        vertices += take * 4;
        quad_count -= take;
        if (quad_count > 0) Flush();
    }
}

void RenderSink::AppendQuads(const Vertex* vertices, int quad_count) {
    const bool mask = blend_ == BlendMask;
    const SdlTexture& texture = textures_.at(batch_texture_);
    const bool white = batch_texture_ == white_;
    constexpr SDL_FPoint kWholeTexel[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int q = 0; q < quad_count; ++q, vertices += 4) {
        SDL_Vertex out[4];
        for (int i = 0; i < 4; ++i) {
            const Vertex& v = vertices[i];
            out[i].position = {v.x * scale_x_, v.y * scale_y_};
            out[i].color = {v.r, v.g, v.b, v.a};
            if (mask) out[i].color.a = v.a >= kMaskThreshold ? 255 : 0;
            out[i].tex_coord = white ? kWholeTexel[i] : SDL_FPoint{v.u, v.v};
        }
        if (software_ && IsPlainRectangle(out) &&
            FitRectangle(out, clip_, texture.width, texture.height) == Fit::kDrop)
            continue;
        batch_.insert(batch_.end(), out, out + 4);
    }
}

void RenderSink::Flush() {
    if (batch_.empty()) return;
    ApplyClip();
    const SdlTexture& entry = textures_.at(batch_texture_);
    SDL_Texture* texture = blend_ == BlendMask ? entry.masked : entry.plain;
    SDL_SetTextureBlendMode(texture, SdlBlendMode(blend_));
    const int count = static_cast<int>(batch_.size());
    SDL_RenderGeometry(renderer_, texture, batch_.data(), count, indices_.data(), count / 4 * 6);
    batch_.clear();
}

void RenderSink::ComputeClip() {
    const auto clamp_x = [&](double v) { return std::clamp(static_cast<int>(std::lround(v)), 0, output_w_); };
    const auto clamp_y = [&](double v) { return std::clamp(static_cast<int>(std::lround(v)), 0, output_h_); };
    const int left = clamp_x(view_x_ * static_cast<double>(scale_x_));
    const int right = clamp_x((view_x_ + std::max(view_w_, 0)) * static_cast<double>(scale_x_));
    const int top = clamp_y(view_y_ * static_cast<double>(scale_y_));
    const int bottom = clamp_y((view_y_ + std::max(view_h_, 0)) * static_cast<double>(scale_y_));
    clip_ = {left, top, right - left, bottom - top};
    clip_dirty_ = true;
}

void RenderSink::ApplyClip() {
    if (!clip_dirty_) return;
    SDL_RenderSetClipRect(renderer_, &clip_);
    clip_dirty_ = false;
}

void RenderSink::Clear(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    Flush();
    ApplyClip();
    // SDL_RenderClear ignores the clip rectangle; a filled rectangle honours it.
    SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(renderer_, r, g, b, 255);
    SDL_RenderFillRect(renderer_, nullptr);
}

void RenderSink::Present(bool vsync) {
    Flush();
    if (static_cast<int>(vsync) != vsync_) {
        // Not every driver can change it; the frame pump paces itself anyway.
        SDL_RenderSetVSync(renderer_, vsync ? 1 : 0);
        vsync_ = vsync;
    }
    SDL_RenderPresent(renderer_);
    ReadOutputSize();
}

bool RenderSink::ReadPixels(int x, int y, int width, int height, std::uint8_t* rgba) {
    if (width <= 0 || height <= 0 || !rgba) return false;
    Flush();
    ReadBackArea area{};
    if (!BeginReadBack(x, y, width, height, output_w_, output_h_, rgba, area)) return true;
    const SDL_Rect rect{area.x0, area.y0, area.x1 - area.x0, area.y1 - area.y0};
    const std::size_t row_bytes = area.row_bytes;
    std::uint8_t* dest = area.first;
    if (SDL_RenderReadPixels(renderer_, &rect, SDL_PIXELFORMAT_RGBA32, dest, static_cast<int>(row_bytes)) !=
        0)
        return false;
    // The display is opaque whatever alpha the target kept.
    for (int row = 0; row < rect.h; ++row)
        for (int i = 0; i < rect.w; ++i) dest[row * row_bytes + i * 4 + 3] = 255;
    return true;
}

}  // namespace

std::unique_ptr<VideoSink> OpenRenderSink(SDL_Window* window, bool accelerated, int width, int height) {
    if (!window) return nullptr;
    // Consecutive geometry calls are merged by SDL where the state allows.
    SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
    SDL_Renderer* renderer =
        SDL_CreateRenderer(window, -1, accelerated ? SDL_RENDERER_ACCELERATED : SDL_RENDERER_SOFTWARE);
    SDL_RendererInfo info;
    const bool usable = renderer && SDL_GetRendererInfo(renderer, &info) == 0 &&
                        (!accelerated || (info.flags & SDL_RENDERER_ACCELERATED));
    if (!usable) {
        if (renderer) SDL_DestroyRenderer(renderer);
        SDL_DestroyWindow(window);
        return nullptr;
    }
    // From here the sink owns window and renderer and releases both if it cannot draw.
    auto sink = std::make_unique<RenderSink>(window, renderer, (info.flags & SDL_RENDERER_SOFTWARE) != 0,
                                             width, height);
    if (!sink->Usable()) return nullptr;
    return sink;
}

}  // namespace platform::sdl
