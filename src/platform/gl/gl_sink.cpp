// The OpenGL 3.3 core video sink. Quads are appended to a CPU batch and drawn with one call per run
// of quads that share texture, blend mode, clip rectangle and virtual resolution. The batch is
// streamed into a fenced ring of vertex memory, indexed by a prebuilt quad index buffer, so drawing
// never allocates once the batch has reached its working size.
#include "platform/gl/gl_sink.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform::gl {
namespace {

// Quads per draw call: their vertices must fit 16-bit indices.
constexpr int kMaxBatchQuads = 16384;
// The vertex ring: segments of one full batch each. Leaving a segment sets a fence; the segment is
// written again only after that fence has passed, so the ring is never reallocated (orphaning it
// costs llvmpipe a fresh, zeroed allocation each time) and no draw in flight sees new vertices.
constexpr int kSegmentVertices = kMaxBatchQuads * 4;
constexpr int kRingSegments = 4;
constexpr int kRingVertices = kSegmentVertices * kRingSegments;
constexpr GLuint kNoTexture = 0xffffffffu;

const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec2 a_position;
layout(location = 1) in vec2 a_uv;
layout(location = 2) in vec4 a_color;
uniform vec2 u_scale;  // 2 / virtual width, -2 / virtual height
out vec2 v_uv;
out vec4 v_color;
void main() {
    gl_Position = vec4(a_position * u_scale + vec2(-1.0, 1.0), 0.0, 1.0);
    v_uv = a_uv;
    v_color = a_color;
}
)";

// Two fragment shaders: the plain one is exactly "texel times colour", which llvmpipe can run
// on its fast linear path; only mask blending needs the alpha test, and a discard anywhere in
// the shader would cost every other blend mode that fast path.
const char* const kPlainFragmentShader = R"(#version 330 core
in vec2 v_uv;
in vec4 v_color;
uniform sampler2D u_texture;
out vec4 o_color;
void main() {
    o_color = texture(u_texture, v_uv) * v_color;
}
)";

const char* const kMaskFragmentShader = R"(#version 330 core
in vec2 v_uv;
in vec4 v_color;
uniform sampler2D u_texture;
out vec4 o_color;
void main() {
    vec4 c = texture(u_texture, v_uv) * v_color;
    if (c.a < 0.5) discard;  // mask blending writes only pixels at least half opaque
    o_color = c;
}
)";

GLuint CompileShader(GLenum type, const char* source) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[512] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        SDL_Log("OpenGL shader does not compile: %s", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

GLuint LinkProgram(const char* fragment_shader) {
    const GLuint vs = CompileShader(GL_VERTEX_SHADER, kVertexShader);
    const GLuint fs = CompileShader(GL_FRAGMENT_SHADER, fragment_shader);
    if (!vs || !fs) {
        if (vs) glDeleteShader(vs);
        if (fs) glDeleteShader(fs);
        return 0;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

struct TextureInfo {
    int width, height;
};

class GlSink final : public VideoSink {
  public:
    GlSink(SDL_Window* window, SDL_GLContext context, int width, int height)
        : window_(window),
          context_(context),
          width_(width),
          height_(height),
          vres_w_(static_cast<float>(width)),
          vres_h_(static_cast<float>(height)),
          view_w_(width),
          view_h_(height) {}
    ~GlSink() override;

    // Creates the GL objects; false when the context cannot run the batcher.
    bool Init();

    TextureId CreateTexture(int width, int height, const std::uint8_t* rgba, bool filtered) override;
    void UpdateTexture(TextureId texture, int x, int y, int width, int height,
                       const std::uint8_t* rgba) override;
    void DestroyTexture(TextureId texture) override;
    void SetVirtualResolution(float width, float height) override;
    void SetViewport(int x, int y, int width, int height) override;
    void SetBlend(int mode) override;
    void DrawQuads(TextureId texture, const Vertex* vertices, int quad_count) override;
    void Clear(std::uint8_t r, std::uint8_t g, std::uint8_t b) override;
    void Submit() override;
    void Present(bool vsync) override;
    bool ReadPixels(int x, int y, int width, int height, std::uint8_t* rgba) override;
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    std::string RendererName() const override { return renderer_name_; }
    void WarpMouse(int x, int y) override { SDL_WarpMouseInWindow(window_, x, y); }
    void WindowSize(int& width, int& height) const override {
        width = window_w_;
        height = window_h_;
    }

  private:
    // Makes this sink's context current again if anything else (a renderer probe) took over.
    void Activate() {
        if (SDL_GL_GetCurrentContext() != context_) SDL_GL_MakeCurrent(window_, context_);
    }
    void Flush();
    void ApplyState();
    void ApplyBlend();
    void ApplyScissor();
    void ReadDrawableSize();
    void CreateBuffers();
    void Upload(const Vertex* vertices, int count);
    void DeleteObjects();

    SDL_Window* window_;
    SDL_GLContext context_;
    int width_, height_;
    int window_w_ = 0, window_h_ = 0;  // drawable size in pixels
    std::string renderer_name_;

    // State the next quads are drawn with (the pending batch was recorded with it).
    float vres_w_, vres_h_;
    int view_x_ = 0, view_y_ = 0, view_w_, view_h_;
    int blend_ = BlendMask;
    GLuint batch_texture_ = 0;
    // The pending batch: a fixed array of one full batch, filled up to batch_vertices_.
    std::vector<Vertex> batch_;
    int batch_vertices_ = 0;

    // State last given to GL, so unchanged state is not sent again.
    int applied_blend_ = 0;
    GLuint applied_texture_ = kNoTexture;
    bool projection_dirty_ = true;
    bool scissor_dirty_ = true;
    int swap_interval_ = -2;  // -2: never set

    // Index 0: plain blending, 1: mask blending (alpha test).
    GLuint programs_[2] = {}, vao_ = 0, vbo_ = 0, ebo_ = 0, white_ = 0;
    GLint u_scale_[2] = {-1, -1};
    int applied_program_ = -1;
    int ring_next_ = 0;     // first free vertex of the ring
    int ring_segment_ = 0;  // the segment being filled; ring_next_ lies in it or at its end
    GLsync fences_[kRingSegments] = {};
    std::unordered_map<GLuint, TextureInfo> textures_;
    GLint max_texture_size_ = 0;
    std::vector<std::uint8_t> scratch_;  // read-back rows before flipping
};

GlSink::~GlSink() {
    // Objects can only be deleted with the context current; if SDL is already gone there is
    // nothing left to release.
    if (context_) {
        if (SDL_GL_MakeCurrent(window_, context_) == 0) DeleteObjects();
        SDL_GL_DeleteContext(context_);
    }
    SDL_DestroyWindow(window_);
}

void GlSink::DeleteObjects() {
    for (GLsync& fence : fences_) {
        if (fence) glDeleteSync(fence);
        fence = nullptr;
    }
    for (const auto& entry : textures_) glDeleteTextures(1, &entry.first);
    textures_.clear();
    if (white_) glDeleteTextures(1, &white_);
    if (ebo_) glDeleteBuffers(1, &ebo_);
    if (vbo_) glDeleteBuffers(1, &vbo_);
    if (vao_) glDeleteVertexArrays(1, &vao_);
    for (const GLuint program : programs_) {
        if (program) glDeleteProgram(program);
    }
}

bool GlSink::Init() {
    if (!epoxy_is_desktop_gl() || epoxy_gl_version() < 33) return false;
    const GLubyte* name = glGetString(GL_RENDERER);
    renderer_name_ = name ? reinterpret_cast<const char*>(name) : "OpenGL";
    const char* const fragment_shaders[2] = {kPlainFragmentShader, kMaskFragmentShader};
    for (int i = 0; i < 2; ++i) {
        programs_[i] = LinkProgram(fragment_shaders[i]);
        if (!programs_[i]) return false;
        glUseProgram(programs_[i]);
        u_scale_[i] = glGetUniformLocation(programs_[i], "u_scale");
        glUniform1i(glGetUniformLocation(programs_[i], "u_texture"), 0);
    }
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_texture_size_);

    CreateBuffers();

    // Quads without a texture sample this white texel, so one shader serves both kinds.
    const std::uint8_t white[4] = {255, 255, 255, 255};
    white_ = CreateTexture(1, 1, white, false);
    textures_.erase(white_);  // not a caller's texture: DestroyTexture must not reach it

    batch_.resize(kMaxBatchQuads * 4);
    ReadDrawableSize();
    glEnable(GL_SCISSOR_TEST);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);  // rotated or mirrored quads may wind either way
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    return glGetError() == GL_NO_ERROR && white_ != 0;
}

// The vertex array: the ring of vertices and the prebuilt quad indices.
void GlSink::CreateBuffers() {
    glGenVertexArrays(1, &vao_);
    glBindVertexArray(vao_);
    glGenBuffers(1, &vbo_);
    glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    glBufferData(GL_ARRAY_BUFFER, kRingVertices * sizeof(Vertex), nullptr, GL_STREAM_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                          reinterpret_cast<void*>(offsetof(Vertex, x)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                          reinterpret_cast<void*>(offsetof(Vertex, u)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex),
                          reinterpret_cast<void*>(offsetof(Vertex, r)));

    // Every quad is the two triangles 0-1-2 and 0-2-3 of its corners.
    std::vector<GLushort> indices(kMaxBatchQuads * 6);
    for (int q = 0; q < kMaxBatchQuads; ++q) {
        const GLushort base = static_cast<GLushort>(q * 4);
        const GLushort quad[6] = {base, static_cast<GLushort>(base + 1), static_cast<GLushort>(base + 2),
                                  base, static_cast<GLushort>(base + 2), static_cast<GLushort>(base + 3)};
        std::copy(quad, quad + 6, indices.begin() + q * 6);
    }
    glGenBuffers(1, &ebo_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ebo_);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, indices.size() * sizeof(GLushort), indices.data(), GL_STATIC_DRAW);
}

void GlSink::ReadDrawableSize() {
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window_, &w, &h);
    if (w != window_w_ || h != window_h_) {
        window_w_ = w;
        window_h_ = h;
        glViewport(0, 0, w, h);
        scissor_dirty_ = true;
    }
}

TextureId GlSink::CreateTexture(int width, int height, const std::uint8_t* rgba, bool filtered) {
    Activate();
    if (width <= 0 || height <= 0 || width > max_texture_size_ || height > max_texture_size_) return 0;
    std::vector<std::uint8_t> blank;
    if (!rgba) {
        // Undefined contents would show garbage: a texture made without pixels starts transparent.
        blank.assign(static_cast<std::size_t>(width) * height * 4, 0);
        rgba = blank.data();
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, name);
    applied_texture_ = kNoTexture;  // the binding changed behind the batcher's back
    const GLint filter = filtered ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &name);
        return 0;
    }
    textures_[name] = {width, height};
    return name;
}

void GlSink::UpdateTexture(TextureId texture, int x, int y, int width, int height, const std::uint8_t* rgba) {
    const auto it = textures_.find(texture);
    if (it == textures_.end() || !rgba) return;
    // Clip the rectangle to the texture; the source keeps its own row length.
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + width, it->second.width), y1 = std::min(y + height, it->second.height);
    if (x1 <= x0 || y1 <= y0) return;
    // Quads already batched with this texture must show its old contents.
    if (texture == batch_texture_) Flush();
    Activate();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    applied_texture_ = texture;
    glPixelStorei(GL_UNPACK_ROW_LENGTH, width);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, x0 - x);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, y0 - y);
    glTexSubImage2D(GL_TEXTURE_2D, 0, x0, y0, x1 - x0, y1 - y0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
}

void GlSink::DestroyTexture(TextureId texture) {
    const auto it = textures_.find(texture);
    if (it == textures_.end()) return;
    if (texture == batch_texture_) {
        Flush();
        batch_texture_ = 0;
    }
    if (applied_texture_ == texture) applied_texture_ = kNoTexture;
    Activate();
    glDeleteTextures(1, &texture);
    textures_.erase(it);
}

void GlSink::SetVirtualResolution(float width, float height) {
    if (!(width > 0 && height > 0) || (width == vres_w_ && height == vres_h_)) return;
    Flush();
    vres_w_ = width;
    vres_h_ = height;
    projection_dirty_ = true;
    scissor_dirty_ = true;  // the clip rectangle is in virtual units
}

void GlSink::SetViewport(int x, int y, int width, int height) {
    if (x == view_x_ && y == view_y_ && width == view_w_ && height == view_h_) return;
    Flush();
    view_x_ = x;
    view_y_ = y;
    view_w_ = width;
    view_h_ = height;
    scissor_dirty_ = true;
}

void GlSink::SetBlend(int mode) {
    if (mode == blend_ || mode < BlendMask || mode > BlendShade) return;
    Flush();
    blend_ = mode;
}

void GlSink::DrawQuads(TextureId texture, const Vertex* vertices, int quad_count) {
    if (quad_count <= 0 || !vertices) return;
    GLuint name = white_;
    if (texture != 0) {
        // A texture this sink does not hold (destroyed, or made by an earlier display) draws
        // nothing rather than whatever GL object now has that name.
        if ((texture != batch_texture_ || texture == white_) && !textures_.count(texture)) return;
        name = texture;
    }
    if (name != batch_texture_) {
        Flush();
        batch_texture_ = name;
    }
    while (quad_count > 0) {
        const int room = kMaxBatchQuads - batch_vertices_ / 4;
        const int take = std::min(room, quad_count);
        std::memcpy(batch_.data() + batch_vertices_, vertices, sizeof(Vertex) * 4 * take);
        batch_vertices_ += take * 4;
        vertices += take * 4;
        quad_count -= take;
        if (quad_count > 0) Flush();
    }
}

void GlSink::Clear(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    Activate();
    Flush();
    ApplyScissor();
    glClearColor(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

void GlSink::Submit() {
    Activate();
    Flush();
    // Starts the software rasteriser (or the GPU) on the frame while the frame pump sleeps,
    // instead of leaving all of it for the swap.
    glFlush();
}

void GlSink::Present(bool vsync) {
    Activate();
    Flush();
    const int interval = vsync ? 1 : 0;
    if (interval != swap_interval_) {
        // Not every driver can change the interval (Xvfb cannot): the frame pump paces itself.
        SDL_GL_SetSwapInterval(interval);
        swap_interval_ = interval;
    }
    SDL_GL_SwapWindow(window_);
    ReadDrawableSize();
}

bool GlSink::ReadPixels(int x, int y, int width, int height, std::uint8_t* rgba) {
    if (width <= 0 || height <= 0 || !rgba) return false;
    Flush();
    ReadBackArea area{};
    if (!BeginReadBack(x, y, width, height, window_w_, window_h_, rgba, area)) return true;
    Activate();
    const int read_w = area.x1 - area.x0, read_h = area.y1 - area.y0;
    scratch_.resize(static_cast<std::size_t>(read_w) * read_h * 4);
    glReadBuffer(GL_BACK);
    glReadPixels(area.x0, window_h_ - area.y1, read_w, read_h, GL_RGBA, GL_UNSIGNED_BYTE, scratch_.data());
    // GL rows run bottom up; the caller's run top down.
    for (int row = 0; row < read_h; ++row) {
        const std::uint8_t* src = scratch_.data() + static_cast<std::size_t>(read_h - 1 - row) * read_w * 4;
        std::uint8_t* dest = area.first + row * area.row_bytes;
        std::memcpy(dest, src, static_cast<std::size_t>(read_w) * 4);
        // A window with an alpha channel holds blend results there; the display is opaque.
        for (int i = 0; i < read_w; ++i) dest[i * 4 + 3] = 255;
    }
    return glGetError() == GL_NO_ERROR;
}

void GlSink::Flush() {
    if (batch_vertices_ == 0) return;
    Activate();
    ApplyState();
    const int count = batch_vertices_;
    Upload(batch_.data(), count);
    glDrawElementsBaseVertex(GL_TRIANGLES, count / 4 * 6, GL_UNSIGNED_SHORT, nullptr, ring_next_);
    ring_next_ += count;
    batch_vertices_ = 0;
}

void GlSink::Upload(const Vertex* vertices, int count) {
    // The segment is tracked, not derived from ring_next_: a batch that exactly fills a segment
    // leaves ring_next_ on the next segment's first vertex, which must not count as entering it.
    const int segment = ring_segment_;
    if (ring_next_ + count > (segment + 1) * kSegmentVertices) {
        // The batch does not fit what is left of this segment: fence it and move to the next one,
        // waiting until the GPU has finished reading that one's vertices from the previous lap.
        fences_[segment] = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
        const int next = (segment + 1) % kRingSegments;
        if (fences_[next]) {
            glClientWaitSync(fences_[next], GL_SYNC_FLUSH_COMMANDS_BIT, 1000000000);
            glDeleteSync(fences_[next]);
            fences_[next] = nullptr;
        }
        ring_segment_ = next;
        ring_next_ = next * kSegmentVertices;
    }
    const GLintptr offset = static_cast<GLintptr>(ring_next_) * sizeof(Vertex);
    const GLsizeiptr bytes = static_cast<GLsizeiptr>(count) * sizeof(Vertex);
    // No draw in flight reads this range (see the fences above), so it is written unsynchronised.
    void* dest = glMapBufferRange(GL_ARRAY_BUFFER, offset, bytes,
                                  GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT);
    if (dest) {
        std::memcpy(dest, vertices, bytes);
        glUnmapBuffer(GL_ARRAY_BUFFER);
    } else {
        glBufferSubData(GL_ARRAY_BUFFER, offset, bytes, vertices);
    }
}

void GlSink::ApplyState() {
    if (blend_ != applied_blend_) ApplyBlend();
    if (batch_texture_ != applied_texture_) {
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, batch_texture_);
        applied_texture_ = batch_texture_;
    }
    if (projection_dirty_) {
        // Both programs get it now, so switching between them later needs no uniform update.
        for (int i = 0; i < 2; ++i) {
            glUseProgram(programs_[i]);
            glUniform2f(u_scale_[i], 2.0f / vres_w_, -2.0f / vres_h_);
        }
        applied_program_ = -1;
        projection_dirty_ = false;
    }
    const int program = blend_ == BlendMask ? 1 : 0;
    if (program != applied_program_) {
        glUseProgram(programs_[program]);
        applied_program_ = program;
    }
    ApplyScissor();
}

void GlSink::ApplyBlend() {
    switch (blend_) {
        case BlendMask:
        case BlendSolid:
            glDisable(GL_BLEND);
            break;
        case BlendAlpha:
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            break;
        case BlendLight:
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE);
            break;
        case BlendShade:
            glEnable(GL_BLEND);
            glBlendFunc(GL_DST_COLOR, GL_ZERO);
            break;
    }
    applied_blend_ = blend_;
}

void GlSink::ApplyScissor() {
    if (!scissor_dirty_) return;
    // Virtual units to window pixels; edges round to the nearest pixel boundary.
    const double sx = window_w_ / static_cast<double>(vres_w_);
    const double sy = window_h_ / static_cast<double>(vres_h_);
    const auto clamp_x = [&](double v) { return std::clamp(static_cast<int>(std::lround(v)), 0, window_w_); };
    const auto clamp_y = [&](double v) { return std::clamp(static_cast<int>(std::lround(v)), 0, window_h_); };
    const int left = clamp_x(view_x_ * sx), right = clamp_x((view_x_ + std::max(view_w_, 0)) * sx);
    const int top = clamp_y(view_y_ * sy), bottom = clamp_y((view_y_ + std::max(view_h_, 0)) * sy);
    glScissor(left, window_h_ - bottom, right - left, bottom - top);
    scissor_dirty_ = false;
}

}  // namespace

void RequestContextAttributes() {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

std::unique_ptr<VideoSink> OpenGlSink(SDL_Window* window, int width, int height) {
    if (!window) return nullptr;
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) {
        SDL_DestroyWindow(window);
        return nullptr;
    }
    // From here the sink owns window and context and releases both if set-up fails.
    auto sink = std::make_unique<GlSink>(window, context, width, height);
    if (!sink->Init()) return nullptr;
    return sink;
}

}  // namespace platform::gl
