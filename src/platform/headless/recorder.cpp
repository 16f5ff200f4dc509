// The recording display system. Every sink it opens writes into one process-wide recording, so
// tests can still look at it after the display is closed. Pixels are produced only when read
// back: the operations of the current frame are replayed by a small rasteriser then.
#include "platform/headless/recorder.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <utility>

#include "platform/internal.h"

namespace platform::headless {
namespace {

constexpr std::size_t kMaxKeptQuads = 200000;
// Clears, viewport changes and pointer placements are bounded the same way: beyond this many, a
// present keeps only the latest.
constexpr std::size_t kMaxKeptEvents = 10000;

template <class Event>
void KeepLatest(std::vector<Event>& events) {
    if (events.size() > kMaxKeptEvents) events.erase(events.begin(), events.end() - 1);
}

// Something the rasteriser replays: a clear or a run of quads, with the viewport and virtual
// resolution in force when it happened.
struct Operation {
    bool clear = false;
    std::uint8_t r = 0, g = 0, b = 0;
    std::size_t first = 0, count = 0;  // into Recording::pending_quads
    RecordedViewport viewport{};
    float vres_w = 1, vres_h = 1;
};

struct Recording {
    std::vector<RecordedQuad> quads;
    std::size_t frame_start = 0;
    std::vector<RecordedQuad> last_frame;
    std::vector<RecordedClear> clears;
    std::vector<RecordedViewport> viewports;
    std::vector<std::pair<int, int>> warps;
    int presents = 0, vsync_presents = 0, blend_changes = 0, submits = 0;
    std::unordered_map<TextureId, RecordedTexture> textures;
    // Textures destroyed while quads using them wait to be rasterised.
    std::unordered_map<TextureId, RecordedTexture> retired;
    TextureId next_texture = 1;
    DisplayRequest request;
    float vres_w = 0, vres_h = 0;
    // The frame being drawn, as operations not yet rasterised, and the back buffer they go into.
    std::vector<Operation> pending;
    std::vector<RecordedQuad> pending_quads;
    int buffer_w = 0, buffer_h = 0;
    std::vector<std::uint8_t> buffer;
};

Recording& Rec() {
    static Recording recording;
    return recording;
}

// ---- The rasteriser ------------------------------------------------------------------------------

struct Point {
    float x, y;
};

float Edge(Point a, Point b, Point p) {
    return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
}

// Pixels exactly on an edge shared by two triangles belong to one of them only.
bool OwnsEdge(Point a, Point b) {
    const float dy = b.y - a.y, dx = b.x - a.x;
    return dy > 0 || (dy == 0 && dx < 0);
}

void Blend(std::uint8_t* dst, const float src[4], int mode) {
    for (int c = 0; c < 3; ++c) {
        const float d = dst[c];
        float out = src[c];
        switch (mode) {
            case BlendMask:
                if (src[3] < 127.5f) return;
                break;
            case BlendAlpha:
                out = src[c] * src[3] / 255.0f + d * (1.0f - src[3] / 255.0f);
                break;
            case BlendLight:
                out = src[c] * src[3] / 255.0f + d;
                break;
            case BlendShade:
                out = src[c] * d / 255.0f;
                break;
            default:
                break;
        }
        dst[c] = static_cast<std::uint8_t>(std::clamp(std::lround(out), 0L, 255L));
    }
    dst[3] = 255;
}

void Sample(const RecordedQuad& quad, float u, float v, float out[4]) {
    const RecordedTexture* texture = nullptr;
    for (const auto* store : {&Rec().textures, &Rec().retired}) {
        const auto found = store->find(quad.texture);
        if (found != store->end()) texture = &found->second;
        if (texture) break;
    }
    if (quad.texture == 0 || !texture || texture->width == 0) {
        out[0] = out[1] = out[2] = out[3] = 255;
        return;
    }
    const RecordedTexture& t = *texture;
    const int tx = std::clamp(static_cast<int>(std::floor(u * t.width)), 0, t.width - 1);
    const int ty = std::clamp(static_cast<int>(std::floor(v * t.height)), 0, t.height - 1);
    const std::uint8_t* texel = t.rgba.data() + (static_cast<std::size_t>(ty) * t.width + tx) * 4;
    for (int c = 0; c < 4; ++c) out[c] = texel[c];
}

struct Clip {
    int x0, y0, x1, y1;
};

void Triangle(const RecordedQuad& quad, int i0, int i1, int i2, float sx, float sy, const Clip& clip) {
    const Vertex* v[3] = {&quad.corners[i0], &quad.corners[i1], &quad.corners[i2]};
    Point p[3];
    for (int k = 0; k < 3; ++k) p[k] = {v[k]->x * sx, v[k]->y * sy};
    float area = Edge(p[0], p[1], p[2]);
    if (area == 0) return;
    if (area < 0) {
        std::swap(p[1], p[2]);
        std::swap(v[1], v[2]);
        area = -area;
    }
    const int x0 = std::max(clip.x0, static_cast<int>(std::floor(std::min({p[0].x, p[1].x, p[2].x}))));
    const int x1 = std::min(clip.x1, static_cast<int>(std::ceil(std::max({p[0].x, p[1].x, p[2].x}))));
    const int y0 = std::max(clip.y0, static_cast<int>(std::floor(std::min({p[0].y, p[1].y, p[2].y}))));
    const int y1 = std::min(clip.y1, static_cast<int>(std::ceil(std::max({p[0].y, p[1].y, p[2].y}))));
    Recording& rec = Rec();
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const Point c{x + 0.5f, y + 0.5f};
            const float w0 = Edge(p[1], p[2], c), w1 = Edge(p[2], p[0], c), w2 = Edge(p[0], p[1], c);
            if (w0 < 0 || w1 < 0 || w2 < 0) continue;
            if ((w0 == 0 && !OwnsEdge(p[1], p[2])) || (w1 == 0 && !OwnsEdge(p[2], p[0])) ||
                (w2 == 0 && !OwnsEdge(p[0], p[1]))) {
                continue;
            }
            const float b0 = w0 / area, b1 = w1 / area, b2 = w2 / area;
            float src[4];
            Sample(quad, b0 * v[0]->u + b1 * v[1]->u + b2 * v[2]->u,
                   b0 * v[0]->v + b1 * v[1]->v + b2 * v[2]->v, src);
            const std::uint8_t* colour[3] = {&v[0]->r, &v[1]->r, &v[2]->r};
            for (int ch = 0; ch < 4; ++ch) {
                src[ch] *= (b0 * colour[0][ch] + b1 * colour[1][ch] + b2 * colour[2][ch]) / 255.0f;
            }
            Blend(rec.buffer.data() + (static_cast<std::size_t>(y) * rec.buffer_w + x) * 4, src, quad.blend);
        }
    }
}

Clip ViewportPixels(const Operation& op, float sx, float sy) {
    const Recording& rec = Rec();
    Clip clip{static_cast<int>(std::lround(op.viewport.x * sx)),
              static_cast<int>(std::lround(op.viewport.y * sy)),
              static_cast<int>(std::lround((op.viewport.x + op.viewport.width) * sx)),
              static_cast<int>(std::lround((op.viewport.y + op.viewport.height) * sy))};
    clip.x0 = std::clamp(clip.x0, 0, rec.buffer_w);
    clip.x1 = std::clamp(clip.x1, 0, rec.buffer_w);
    clip.y0 = std::clamp(clip.y0, 0, rec.buffer_h);
    clip.y1 = std::clamp(clip.y1, 0, rec.buffer_h);
    return clip;
}

void Replay() {
    Recording& rec = Rec();
    for (const Operation& op : rec.pending) {
        const float sx = rec.buffer_w / op.vres_w, sy = rec.buffer_h / op.vres_h;
        const Clip clip = ViewportPixels(op, sx, sy);
        if (op.clear) {
            for (int y = clip.y0; y < clip.y1; ++y) {
                for (int x = clip.x0; x < clip.x1; ++x) {
                    std::uint8_t* p =
                        rec.buffer.data() + (static_cast<std::size_t>(y) * rec.buffer_w + x) * 4;
                    p[0] = op.r, p[1] = op.g, p[2] = op.b, p[3] = 255;
                }
            }
            continue;
        }
        for (std::size_t i = op.first; i < op.first + op.count; ++i) {
            Triangle(rec.pending_quads[i], 0, 1, 2, sx, sy, clip);
            Triangle(rec.pending_quads[i], 0, 2, 3, sx, sy, clip);
        }
    }
    rec.pending.clear();
    rec.pending_quads.clear();
    rec.retired.clear();
}

// ---- The sink ------------------------------------------------------------------------------------

class RecorderSink final : public VideoSink {
  public:
    RecorderSink(int width, int height) : width_(width), height_(height) {
        Recording& rec = Rec();
        rec.buffer_w = width;
        rec.buffer_h = height;
        rec.buffer.assign(static_cast<std::size_t>(width) * height * 4, 0);
        rec.pending.clear();
        rec.pending_quads.clear();
        rec.vres_w = static_cast<float>(width);
        rec.vres_h = static_cast<float>(height);
        viewport_ = {0, 0, width, height};
    }

    // Textures belong to their display: closing it frees them.
    ~RecorderSink() override {
        for (const TextureId id : created_) Rec().textures.erase(id);
    }

    TextureId CreateTexture(int width, int height, const std::uint8_t* rgba, bool filtered) override {
        Recording& rec = Rec();
        const TextureId id = rec.next_texture++;
        created_.push_back(id);
        RecordedTexture& t = rec.textures[id];
        t.width = width;
        t.height = height;
        t.filtered = filtered;
        t.rgba.assign(rgba, rgba + static_cast<std::size_t>(width) * height * 4);
        return id;
    }

    void UpdateTexture(TextureId texture, int x, int y, int width, int height,
                       const std::uint8_t* rgba) override {
        const auto found = Rec().textures.find(texture);
        if (found == Rec().textures.end()) return;
        Replay();  // quads drawn before the change show the old texels
        RecordedTexture& t = found->second;
        for (int row = 0; row < height; ++row) {
            for (int col = 0; col < width; ++col) {
                if (x + col < 0 || x + col >= t.width || y + row < 0 || y + row >= t.height) continue;
                std::copy_n(rgba + (static_cast<std::size_t>(row) * width + col) * 4, 4,
                            t.rgba.data() + (static_cast<std::size_t>(y + row) * t.width + x + col) * 4);
            }
        }
    }

    void DestroyTexture(TextureId texture) override {
        Recording& rec = Rec();
        const auto found = rec.textures.find(texture);
        if (found == rec.textures.end()) return;
        // Quads drawn earlier in the frame still show it when the frame is rasterised.
        if (!rec.pending.empty()) rec.retired[texture] = std::move(found->second);
        rec.textures.erase(found);
    }

    void SetVirtualResolution(float width, float height) override {
        Rec().vres_w = width;
        Rec().vres_h = height;
    }

    void SetViewport(int x, int y, int width, int height) override {
        viewport_ = {x, y, width, height};
        Rec().viewports.push_back(viewport_);
    }

    void SetBlend(int mode) override {
        blend_ = mode;
        ++Rec().blend_changes;
    }

    void DrawQuads(TextureId texture, const Vertex* vertices, int quad_count) override {
        Recording& rec = Rec();
        Operation op = CurrentOperation();
        op.first = rec.pending_quads.size();
        op.count = static_cast<std::size_t>(quad_count);
        for (int i = 0; i < quad_count; ++i) {
            RecordedQuad quad{texture, {}, blend_};
            std::copy_n(vertices + i * 4, 4, quad.corners);
            rec.quads.push_back(quad);
            rec.pending_quads.push_back(quad);
        }
        rec.pending.push_back(op);
    }

    void Clear(std::uint8_t r, std::uint8_t g, std::uint8_t b) override {
        Recording& rec = Rec();
        rec.clears.push_back({r, g, b, viewport_.x, viewport_.y, viewport_.width, viewport_.height});
        Operation op = CurrentOperation();
        op.clear = true;
        op.r = r, op.g = g, op.b = b;
        rec.pending.push_back(op);
    }

    void Submit() override { ++Rec().submits; }
    void Present(bool vsync) override {
        Recording& rec = Rec();
        ++rec.presents;
        if (vsync) ++rec.vsync_presents;
        rec.last_frame.assign(rec.quads.begin() + static_cast<std::ptrdiff_t>(rec.frame_start),
                              rec.quads.end());
        if (rec.quads.size() > kMaxKeptQuads) rec.quads.clear();
        KeepLatest(rec.clears);
        KeepLatest(rec.viewports);
        KeepLatest(rec.warps);
        rec.frame_start = rec.quads.size();
        // What the back buffer holds after a present is undefined; here it is black again.
        rec.pending.clear();
        rec.pending_quads.clear();
        rec.retired.clear();
        std::fill(rec.buffer.begin(), rec.buffer.end(), 0);
    }

    bool ReadPixels(int x, int y, int width, int height, std::uint8_t* rgba) override {
        if (x < 0 || y < 0 || width <= 0 || height <= 0 || x + width > width_ || y + height > height_)
            return false;
        Replay();
        const Recording& rec = Rec();
        for (int row = 0; row < height; ++row) {
            std::copy_n(rec.buffer.data() + (static_cast<std::size_t>(y + row) * width_ + x) * 4,
                        static_cast<std::size_t>(width) * 4,
                        rgba + static_cast<std::size_t>(row) * width * 4);
        }
        return true;
    }

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    std::string RendererName() const override { return "Recorder"; }
    void WarpMouse(int x, int y) override { Rec().warps.emplace_back(x, y); }
    void WindowSize(int& width, int& height) const override {
        width = width_;
        height = height_;
    }

  private:
    Operation CurrentOperation() const {
        Operation op;
        op.viewport = viewport_;
        op.vres_w = Rec().vres_w > 0 ? Rec().vres_w : 1;
        op.vres_h = Rec().vres_h > 0 ? Rec().vres_h : 1;
        return op;
    }

    int width_, height_;
    RecordedViewport viewport_{};
    int blend_ = BlendMask;
    std::vector<TextureId> created_;
};

class RecorderDisplaySystem final : public DisplaySystem {
  public:
    explicit RecorderDisplaySystem(std::vector<DisplayMode> modes) : modes_(std::move(modes)) {}

    bool RendererAvailable(int renderer) override { return renderer >= 0 && renderer <= 2; }

    std::vector<DisplayMode> Modes(int /*renderer*/) override { return modes_; }

    std::unique_ptr<VideoSink> Open(int /*renderer*/, const DisplayRequest& request) override {
        if (request.width <= 0 || request.height <= 0) return nullptr;
        // Fullscreen opens only in a listed mode, as a real display would.
        if (request.depth != 0) {
            const bool listed = std::any_of(modes_.begin(), modes_.end(), [&](const DisplayMode& m) {
                return m.width == request.width && m.height == request.height && m.depth == request.depth;
            });
            if (!listed) return nullptr;
        }
        Rec().request = request;
        return std::make_unique<RecorderSink>(request.width, request.height);
    }

  private:
    std::vector<DisplayMode> modes_;
};

}  // namespace

std::vector<DisplayMode> DefaultRecorderModes() {
    const int sizes[][2] = {{640, 480},  {800, 600},   {1024, 768}, {1280, 720},
                            {1280, 800}, {1280, 1024}, {1366, 768}, {1920, 1080}};
    std::vector<DisplayMode> modes;
    for (const int depth : {16, 24, 32}) {
        for (const auto& size : sizes) modes.push_back({size[0], size[1], depth, 60});
    }
    return modes;
}

void UseRecorder(std::vector<DisplayMode> modes) {
    InstallDisplaySystem(std::make_unique<RecorderDisplaySystem>(std::move(modes)));
    detail::SetHeadlessBackends(true);
    ClearRecording();
}

const std::vector<RecordedQuad>& RecordedQuads() {
    return Rec().quads;
}
const std::vector<RecordedQuad>& LastFrameQuads() {
    return Rec().last_frame;
}
const std::vector<RecordedClear>& RecordedClears() {
    return Rec().clears;
}
const std::vector<RecordedViewport>& RecordedViewports() {
    return Rec().viewports;
}

void ClearRecording() {
    Recording& rec = Rec();
    rec.quads.clear();
    rec.frame_start = 0;
    rec.last_frame.clear();
    rec.clears.clear();
    rec.viewports.clear();
    rec.warps.clear();
    rec.presents = rec.vsync_presents = rec.blend_changes = rec.submits = 0;
}

int SubmitCount() { return Rec().submits; }

int PresentCount() {
    return Rec().presents;
}
int VsyncPresentCount() {
    return Rec().vsync_presents;
}
int BlendChangeCount() {
    return Rec().blend_changes;
}

const RecordedTexture* RecordedTextureInfo(TextureId texture) {
    const auto found = Rec().textures.find(texture);
    return found == Rec().textures.end() ? nullptr : &found->second;
}

int LiveTextureCount() {
    return static_cast<int>(Rec().textures.size());
}
DisplayRequest LastDisplayRequest() {
    return Rec().request;
}
const std::vector<std::pair<int, int>>& RecordedMouseWarps() {
    return Rec().warps;
}
float RecordedVirtualWidth() {
    return Rec().vres_w;
}
float RecordedVirtualHeight() {
    return Rec().vres_h;
}

}  // namespace platform::headless
