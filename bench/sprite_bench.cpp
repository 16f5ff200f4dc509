// The peers' sprite workload drawn through our own drawing interface, as the game draws: per
// sprite SetRotation, SetScale, SetColor, SetAlpha and DrawImage, then Flip. N sprites of one
// 16 x 16 soft white circle at scale 2, random centre, rotation and tint, alpha 0.5, alpha
// blending, a 1280 x 960 virtual space on an 800 x 600 window; the per-frame generator is the
// peers' own, so every program draws the same pictures.
//
//   sprite_bench --n N --frames F [--warmup W] [--renderer 0|1|2]
// prints: peer=vantor n=... ms_per_frame=... p95_ms=... gl_renderer=...
#include <epoxy/gl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/draw.h"
#include "platform/system.h"

namespace {

constexpr int kWindowW = 800, kWindowH = 600, kVirtualW = 1280, kVirtualH = 960, kTexSize = 16;

struct Sprite {
    float x, y, angle;
    std::uint8_t r, g, b;
};

// xorshift32 seeded per frame through a murmur3 finaliser: the peers' generator, kept identical
// so the generator's cost and the pictures match theirs.
std::uint32_t FrameSeed(int frame) {
    std::uint32_t h = 0x9E3779B9u ^ static_cast<std::uint32_t>(frame);
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return h ? h : 1u;
}

void GenerateFrame(std::vector<Sprite>& out, int n, int frame) {
    std::uint32_t s = FrameSeed(frame);
    auto next = [&s] {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return s;
    };
    auto unit = [&] { return static_cast<float>(next() >> 8) * (1.0f / 16777216.0f); };
    out.resize(static_cast<std::size_t>(n));
    for (Sprite& sp : out) {
        sp.x = unit() * kVirtualW;
        sp.y = unit() * kVirtualH;
        sp.angle = unit() * 360.0f;
        const std::uint32_t c = next();
        sp.r = static_cast<std::uint8_t>(c);
        sp.g = static_cast<std::uint8_t>(c >> 8);
        sp.b = static_cast<std::uint8_t>(c >> 16);
    }
}

// White, alpha falling off smoothly from the centre to the edge of the inscribed circle.
platform::Pixmap CirclePixmap() {
    platform::Pixmap pixmap;
    pixmap.width = pixmap.height = kTexSize;
    pixmap.rgba.resize(kTexSize * kTexSize * 4);
    const float c = kTexSize * 0.5f;
    for (int y = 0; y < kTexSize; ++y) {
        for (int x = 0; x < kTexSize; ++x) {
            const float dx = x + 0.5f - c, dy = y + 0.5f - c;
            float t = std::clamp(1.0f - std::sqrt(dx * dx + dy * dy) / c, 0.0f, 1.0f);
            t = t * t * (3.0f - 2.0f * t);
            std::uint8_t* p = &pixmap.rgba[(y * kTexSize + x) * 4];
            p[0] = p[1] = p[2] = 255;
            p[3] = static_cast<std::uint8_t>(std::lround(t * 255.0f));
        }
    }
    return pixmap;
}

struct Options {
    int n = 1000, frames = 120, warmup = 10, renderer = 0;
};

[[noreturn]] void Usage(const char* program) {
    std::fprintf(stderr, "usage: %s [--n N] [--frames F] [--warmup W] [--renderer 0|1|2]\n", program);
    std::exit(2);
}

Options ParseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; i += 2) {
        const std::string key = argv[i];
        if (i + 1 >= argc) Usage(argv[0]);
        char* end = nullptr;
        const long value = std::strtol(argv[i + 1], &end, 10);
        if (end == argv[i + 1] || *end || value < 0 || value > 100000000) Usage(argv[0]);
        const int v = static_cast<int>(value);
        if (key == "--n")
            o.n = v;
        else if (key == "--frames" && v >= 1)
            o.frames = v;
        else if (key == "--warmup")
            o.warmup = v;
        else if (key == "--renderer" && v <= 2)
            o.renderer = v;
        else
            Usage(argv[0]);
    }
    return o;
}

void DrawFrame(const platform::Image& circle, const std::vector<Sprite>& sprites, bool gl) {
    platform::Cls();
    for (const Sprite& s : sprites) {
        platform::SetRotation(s.angle);
        platform::SetScale(2, 2);
        platform::SetColor(s.r, s.g, s.b);
        platform::SetAlpha(0.5f);
        platform::DrawImage(circle, s.x, s.y);
    }
    platform::Flip(0);
    // Like the peers: the frame counts as done when the renderer has finished it.
    if (gl) glFinish();
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = ParseOptions(argc, argv);
    platform::TuneHeap();
    if (!platform::SetGraphicsDriver(o.renderer) || !platform::Graphics(kWindowW, kWindowH, 0, 0)) {
        std::fprintf(stderr, "sprite_bench: cannot open renderer %d\n", o.renderer);
        return 1;
    }
    platform::SetVirtualResolution(kVirtualW, kVirtualH);
    platform::SetBlend(platform::BlendAlpha);

    const std::filesystem::path png =
        std::filesystem::temp_directory_path() / ("sprite-bench-" + std::to_string(::getpid()) + ".png");
    if (!platform::SavePixmapPNG(CirclePixmap(), png.string(), 1)) return 1;
    const platform::Image circle = platform::LoadImage(png.string(), 0);  // nearest, no mask
    std::filesystem::remove(png);
    if (!circle) return 1;
    platform::MidHandleImage(circle);

    // The SDL_Renderer software renderer has no GL context to wait for.
    const bool gl = o.renderer != platform::RendererSoftware;
    std::vector<Sprite> sprites;
    std::vector<double> ms;
    for (int f = 0; f < o.warmup + o.frames; ++f) {
        const auto t0 = std::chrono::steady_clock::now();
        GenerateFrame(sprites, o.n, f);
        DrawFrame(circle, sprites, gl);
        const auto t1 = std::chrono::steady_clock::now();
        if (f >= o.warmup) ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double v : ms) sum += v;
    const std::size_t p95 =
        std::min(ms.size() - 1, static_cast<std::size_t>(std::ceil(0.95 * ms.size())) - 1);
    std::string name = platform::GraphicsRendererName();
    std::replace(name.begin(), name.end(), '\n', ' ');
    std::printf("peer=vantor n=%d ms_per_frame=%.3f p95_ms=%.3f gl_renderer=%s\n", o.n, sum / ms.size(),
                ms[p95], o.renderer == platform::RendererSoftware ? "none(sdl-software)" : name.c_str());
    std::fflush(stdout);
    platform::EndGraphics();
    return 0;
}
