// Pixel tests of the real video sinks (OpenGL batcher, accelerated and software SDL_Renderer),
// driven directly with quads and checked on read-back pixels. Run on SDL's offscreen driver.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/video_sink.h"
#include "platform/support/pixels.h"

namespace platform {
namespace {

DisplaySystem& Displays() {
    static std::unique_ptr<DisplaySystem> system = MakeSdlDisplaySystem();
    return *system;
}

// A quad covering (x, y)-(x + w, y + h) in virtual units with the whole texture on it.
void FillQuad(Vertex* q, float x, float y, float w, float h, Rgb c, int a) {
    const float xs[4] = {x, x + w, x + w, x};
    const float ys[4] = {y, y, y + h, y + h};
    const float us[4] = {0, 1, 1, 0};
    const float vs[4] = {0, 0, 1, 1};
    for (int i = 0; i < 4; ++i) {
        q[i] = {xs[i],
                ys[i],
                us[i],
                vs[i],
                static_cast<std::uint8_t>(c.r),
                static_cast<std::uint8_t>(c.g),
                static_cast<std::uint8_t>(c.b),
                static_cast<std::uint8_t>(a)};
    }
}

class SinkTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        if (!Displays().RendererAvailable(GetParam())) GTEST_SKIP() << "renderer not available here";
        sink = Open(800, 600);
        ASSERT_NE(sink, nullptr);
    }

    std::unique_ptr<VideoSink> Open(int width, int height) {
        DisplayRequest request;
        request.width = width;
        request.height = height;
        request.title = "sink test";
        return Displays().Open(GetParam(), request);
    }

    void Quad(TextureId texture, float x, float y, float w, float h, Rgb c = {255, 255, 255}, int a = 255) {
        Vertex q[4];
        FillQuad(q, x, y, w, h, c, a);
        sink->DrawQuads(texture, q, 1);
    }

    Rgb Pixel(int x, int y) {
        std::uint8_t p[4] = {};
        EXPECT_TRUE(sink->ReadPixels(x, y, 1, 1, p));
        EXPECT_EQ(p[3], 255);
        return {p[0], p[1], p[2]};
    }

    std::unique_ptr<VideoSink> sink;
};

std::string RendererLabel(const ::testing::TestParamInfo<int>& info) {
    const char* names[] = {"OpenGL", "Accelerated", "Software"};
    return names[info.param];
}

INSTANTIATE_TEST_SUITE_P(Renderers, SinkTest, ::testing::Values(0, 1, 2), RendererLabel);

// ---- Opening ------------------------------------------------------------------------------------

TEST(DisplaySystemTest, OffersEveryRendererOnTheOffscreenDriver) {
    for (int renderer : {0, 1, 2}) EXPECT_TRUE(Displays().RendererAvailable(renderer)) << renderer;
    EXPECT_FALSE(Displays().RendererAvailable(3));
    EXPECT_FALSE(Displays().RendererAvailable(-1));
    EXPECT_TRUE(Displays().Modes(3).empty());
    for (const DisplayMode& mode : Displays().Modes(0)) {
        EXPECT_GT(mode.width, 0);
        EXPECT_GT(mode.height, 0);
    }
}

TEST(DisplaySystemTest, ImpossibleRequestsReportFailure) {
    DisplayRequest request;
    request.depth = 99;  // no display offers 99 bits per pixel
    for (int renderer : {0, 1, 2}) EXPECT_EQ(Displays().Open(renderer, request), nullptr) << renderer;
    request.depth = 0;
    request.width = 0;
    EXPECT_EQ(Displays().Open(0, request), nullptr);
    request.width = 640;
    EXPECT_EQ(Displays().Open(5, request), nullptr);
}

TEST_P(SinkTest, ReportsSizesAndItsRenderer) {
    EXPECT_EQ(sink->Width(), 800);
    EXPECT_EQ(sink->Height(), 600);
    int w = 0, h = 0;
    sink->WindowSize(w, h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    const std::string name = sink->RendererName();
    EXPECT_FALSE(name.empty());
    // The accelerated choice must not quietly become the software renderer.
    if (GetParam() == 1) {
        EXPECT_NE(name, "software");
    }
    if (GetParam() == 2) {
        EXPECT_EQ(name, "software");
    }
}

TEST_P(SinkTest, SurvivesCloseAndReopen) {
    const std::uint8_t red[4] = {255, 0, 0, 255};
    TextureId texture = sink->CreateTexture(1, 1, red, false);
    sink->Clear(0, 0, 0);
    Quad(texture, 0, 0, 100, 100);
    EXPECT_TRUE(Near(Pixel(50, 50), {255, 0, 0}));
    for (int round = 0; round < 2; ++round) {
        sink.reset();
        sink = Open(320, 240);
        ASSERT_NE(sink, nullptr);
        int w = 0, h = 0;
        sink->WindowSize(w, h);
        EXPECT_EQ(w, 320);
        EXPECT_EQ(h, 240);
        const std::uint8_t blue[4] = {0, 0, 255, 255};
        texture = sink->CreateTexture(1, 1, blue, false);
        ASSERT_NE(texture, 0u);
        sink->Clear(0, 50, 0);
        Quad(texture, 0, 0, 100, 100);
        EXPECT_TRUE(Near(Pixel(50, 50), {0, 0, 255}));
        EXPECT_TRUE(Near(Pixel(200, 200), {0, 50, 0}));
        sink->Present(false);
    }
}

TEST_P(SinkTest, ProbingRenderersLeavesTheOpenDisplayDrawing) {
    const std::uint8_t green[4] = {0, 255, 0, 255};
    const TextureId texture = sink->CreateTexture(1, 1, green, false);
    sink->Clear(0, 0, 0);
    Quad(texture, 0, 0, 50, 50);
    // A fresh display system probes every renderer on windows and contexts of its own.
    const std::unique_ptr<DisplaySystem> other = MakeSdlDisplaySystem();
    for (int renderer : {0, 1, 2}) EXPECT_TRUE(other->RendererAvailable(renderer));
    Quad(texture, 100, 0, 50, 50);
    EXPECT_TRUE(Near(Pixel(25, 25), {0, 255, 0}));
    EXPECT_TRUE(Near(Pixel(125, 25), {0, 255, 0}));
    EXPECT_TRUE(Near(Pixel(75, 25), {0, 0, 0}));
}

// ---- Clearing and blending -----------------------------------------------------------------------

TEST_P(SinkTest, ClearFillsOnlyTheViewport) {
    sink->Clear(10, 20, 30);
    sink->SetViewport(100, 100, 200, 100);
    sink->Clear(200, 0, 0);
    EXPECT_TRUE(Near(Pixel(100, 100), {200, 0, 0}));
    EXPECT_TRUE(Near(Pixel(299, 199), {200, 0, 0}));
    EXPECT_TRUE(Near(Pixel(99, 150), {10, 20, 30}));
    EXPECT_TRUE(Near(Pixel(300, 150), {10, 20, 30}));
    EXPECT_TRUE(Near(Pixel(150, 200), {10, 20, 30}));
    EXPECT_TRUE(Near(Pixel(0, 0), {10, 20, 30}));
}

TEST_P(SinkTest, BlendModesFollowTheirEquations) {
    const Rgb dst{200, 100, 40}, src{50, 150, 250};
    const auto mix = [&](double a, auto f) {
        return Rgb{static_cast<int>(std::lround(f(src.r, dst.r, a))),
                   static_cast<int>(std::lround(f(src.g, dst.g, a))),
                   static_cast<int>(std::lround(f(src.b, dst.b, a)))};
    };
    const auto alpha = [](double s, double d, double a) { return s * a + d * (1 - a); };
    const auto light = [](double s, double d, double a) { return std::min(255.0, s * a + d); };
    const auto shade = [](double s, double d, double) { return s * d / 255.0; };
    struct Case {
        int mode, a;
        Rgb expected;
    };
    const Case cases[] = {
        {BlendMask, 128, src},
        {BlendMask, 127, dst},
        {BlendSolid, 64, src},
        {BlendAlpha, 128, mix(128 / 255.0, alpha)},
        {BlendAlpha, 255, src},
        {BlendLight, 128, mix(128 / 255.0, light)},
        {BlendLight, 255, mix(1.0, light)},
        {BlendShade, 255, mix(1.0, shade)},
    };
    // Untextured quads and quads of a white texture must blend alike.
    const std::uint8_t white[4] = {255, 255, 255, 255};
    const TextureId textures[2] = {0, sink->CreateTexture(1, 1, white, false)};
    for (const TextureId texture : textures) {
        for (const Case& c : cases) {
            sink->SetBlend(BlendSolid);
            sink->Clear(static_cast<std::uint8_t>(dst.r), static_cast<std::uint8_t>(dst.g),
                        static_cast<std::uint8_t>(dst.b));
            sink->SetBlend(c.mode);
            Quad(texture, 100, 100, 200, 200, src, c.a);
            EXPECT_TRUE(Near(Pixel(200, 200), c.expected))
                << "mode " << c.mode << " alpha " << c.a << " texture " << texture;
            EXPECT_TRUE(Near(Pixel(50, 50), dst)) << "mode " << c.mode;
        }
    }
}

TEST_P(SinkTest, BlendModesHoldForQuadsQueuedTogether) {
    // Every mode in one frame, read back only at the end.
    const Rgb dst{200, 100, 40}, src{50, 150, 250};
    sink->SetBlend(BlendSolid);
    sink->Clear(200, 100, 40);
    const int modes[5] = {BlendSolid, BlendAlpha, BlendLight, BlendShade, BlendMask};
    for (int i = 0; i < 5; ++i) {
        sink->SetBlend(modes[i]);
        // Untextured quads may come with no texture coordinates at all.
        Vertex q[4];
        FillQuad(q, i * 100.0f, 0, 100, 100, src, 128);
        for (Vertex& v : q) v.u = v.v = 0;
        sink->DrawQuads(0, q, 1);
    }
    EXPECT_TRUE(Near(Pixel(50, 50), src));
    EXPECT_TRUE(Near(Pixel(150, 50), {125, 125, 145}, 4));
    EXPECT_TRUE(Near(Pixel(250, 50), {225, 175, 165}, 4));
    EXPECT_TRUE(Near(Pixel(350, 50), {39, 59, 39}));
    EXPECT_TRUE(Near(Pixel(450, 50), src));
    EXPECT_TRUE(Near(Pixel(550, 50), dst));
}

TEST_P(SinkTest, MaskBlendingTestsTexelAlpha) {
    // Left texel just opaque enough, right texel just too transparent.
    const std::uint8_t texels[8] = {255, 0, 0, 128, 0, 255, 0, 127};
    const TextureId texture = sink->CreateTexture(2, 1, texels, false);
    sink->Clear(0, 0, 90);
    sink->SetBlend(BlendMask);
    Quad(texture, 0, 0, 200, 100);
    EXPECT_TRUE(Near(Pixel(50, 50), {255, 0, 0}));
    EXPECT_TRUE(Near(Pixel(150, 50), {0, 0, 90}));
    // The same texture alpha-blended shows both texels half-way.
    sink->SetBlend(BlendAlpha);
    Quad(texture, 0, 100, 200, 100);
    EXPECT_TRUE(Near(Pixel(50, 150), {128, 0, 45}, 4));
    EXPECT_TRUE(Near(Pixel(150, 150), {0, 127, 45}, 4));
}

TEST_P(SinkTest, TexelsAreModulatedByVertexColour) {
    const std::uint8_t texel[4] = {255, 128, 0, 255};
    const TextureId texture = sink->CreateTexture(1, 1, texel, false);
    sink->SetBlend(BlendSolid);
    sink->Clear(0, 0, 0);
    Quad(texture, 0, 0, 100, 100, {128, 255, 255});
    EXPECT_TRUE(Near(Pixel(50, 50), {128, 128, 0}));
}

// ---- Textures --------------------------------------------------------------------------------------

TEST_P(SinkTest, SamplesNearestOrFiltered) {
    const std::uint8_t texels[8] = {0, 0, 0, 255, 255, 255, 255, 255};
    const TextureId nearest = sink->CreateTexture(2, 1, texels, false);
    const TextureId filtered = sink->CreateTexture(2, 1, texels, true);
    sink->SetBlend(BlendSolid);
    sink->Clear(0, 0, 255);
    Quad(nearest, 0, 0, 200, 100);
    Quad(filtered, 0, 100, 200, 100);
    EXPECT_TRUE(Near(Pixel(99, 50), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(100, 50), {255, 255, 255}));
    // Filtered: black and white mix across the middle, pure at the texel centres.
    EXPECT_TRUE(Near(Pixel(50, 150), {0, 0, 0}, 8));
    EXPECT_TRUE(Near(Pixel(75, 150), {64, 64, 64}, 12));
    EXPECT_TRUE(Near(Pixel(100, 150), {128, 128, 128}, 12));
    EXPECT_TRUE(Near(Pixel(150, 150), {255, 255, 255}, 8));
    // One texel stretched over a wide quad, alpha-blended: its colour, not the plain vertex colour.
    Vertex q[4];
    FillQuad(q, 300, 0, 200, 100, {255, 255, 255}, 128);
    for (Vertex& v : q) v.u = 0.25f;
    sink->SetBlend(BlendAlpha);
    sink->DrawQuads(nearest, q, 1);
    EXPECT_TRUE(Near(Pixel(400, 50), {0, 0, 127}, 4));
}

TEST_P(SinkTest, UpdatedTexelsShowOnlyInLaterQuads) {
    std::vector<std::uint8_t> red(4 * 4 * 4);
    for (std::size_t i = 0; i < red.size(); i += 4) red[i] = red[i + 3] = 255;
    const TextureId texture = sink->CreateTexture(4, 4, red.data(), false);
    sink->SetBlend(BlendSolid);
    sink->Clear(0, 0, 0);
    Quad(texture, 0, 0, 40, 40);
    // A 2 x 2 green block whose right column lies outside the texture: only the inside lands.
    const std::uint8_t green[16] = {0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255};
    sink->UpdateTexture(texture, 3, 2, 2, 2, green);
    Quad(texture, 100, 0, 40, 40);
    EXPECT_TRUE(Near(Pixel(35, 25), {255, 0, 0}));
    EXPECT_TRUE(Near(Pixel(135, 25), {0, 255, 0}));
    EXPECT_TRUE(Near(Pixel(125, 25), {255, 0, 0}));
    EXPECT_TRUE(Near(Pixel(135, 15), {255, 0, 0}));
}

TEST_P(SinkTest, TexturesOfOtherSinksOrDestroyedDrawNothing) {
    const TextureId texture = sink->CreateTexture(1, 1, nullptr, false);
    ASSERT_NE(texture, 0u);
    sink->Clear(30, 30, 30);
    sink->SetBlend(BlendAlpha);
    Quad(texture, 0, 0, 100, 100);  // made without pixels: transparent
    EXPECT_TRUE(Near(Pixel(50, 50), {30, 30, 30}));
    sink->DestroyTexture(texture);
    sink->SetBlend(BlendSolid);
    Quad(texture, 0, 0, 100, 100);
    Quad(texture + 1000, 0, 0, 100, 100);
    EXPECT_TRUE(Near(Pixel(50, 50), {30, 30, 30}));
    sink->DestroyTexture(texture);  // twice: ignored
    EXPECT_EQ(sink->CreateTexture(0, 5, nullptr, false), 0u);
}

// ---- Batching order --------------------------------------------------------------------------------

TEST_P(SinkTest, KeepsDrawingOrderAcrossTextureChanges) {
    const std::uint8_t red[4] = {255, 0, 0, 255}, green[4] = {0, 255, 0, 255};
    const TextureId a = sink->CreateTexture(1, 1, red, false);
    const TextureId b = sink->CreateTexture(1, 1, green, false);
    sink->SetBlend(BlendSolid);
    sink->Clear(0, 0, 0);
    Quad(a, 0, 0, 100, 100);
    Quad(b, 50, 0, 100, 100);
    Quad(a, 100, 0, 100, 100);
    Quad(0, 150, 0, 100, 100, {0, 0, 255});
    EXPECT_TRUE(Near(Pixel(25, 50), {255, 0, 0}));
    EXPECT_TRUE(Near(Pixel(75, 50), {0, 255, 0}));
    EXPECT_TRUE(Near(Pixel(125, 50), {255, 0, 0}));
    EXPECT_TRUE(Near(Pixel(175, 50), {0, 0, 255}));
}

TEST_P(SinkTest, DrawsBatchesLargerThanOneDrawCall) {
    // One pixel-sized quad per pixel of the first 25 rows: more quads than one draw call takes.
    // Over five frames the vertex stream also wraps around its buffer.
    const int count = 800 * 25;
    std::vector<Vertex> quads(count * 4);
    sink->SetBlend(BlendSolid);
    for (int frame = 0; frame < 5; ++frame) {
        const auto color = [&](int i) { return Rgb{i % 251, (i / 251 + frame * 40) % 256, frame}; };
        for (int i = 0; i < count; ++i) {
            FillQuad(&quads[i * 4], static_cast<float>(i % 800), static_cast<float>(i / 800), 1, 1, color(i),
                     255);
        }
        sink->Clear(0, 0, 0);
        sink->DrawQuads(0, quads.data(), count);
        for (int i : {0, 16383, 16384, 16385, count - 1}) {
            EXPECT_TRUE(Near(Pixel(i % 800, i / 800), color(i), 0)) << "quad " << i << " frame " << frame;
        }
        EXPECT_TRUE(Near(Pixel(5, 25), {0, 0, 0}, 0));
        sink->Present(false);
    }
}

TEST_P(SinkTest, BatchesThatExactlyFillTheVertexStreamKeepDrawing) {
    // 16384 quads are one full draw call: frame after frame each batch ends exactly where the
    // stream's next part begins, which must still move on (and wrap) safely.
    const int count = 16384;
    std::vector<Vertex> quads(count * 4);
    sink->SetBlend(BlendSolid);
    for (int frame = 0; frame < 10; ++frame) {
        const Rgb color{frame * 20, 255 - frame * 20, 7};
        for (int i = 0; i < count; ++i) {
            FillQuad(&quads[i * 4], static_cast<float>(i % 800), static_cast<float>(i / 800), 1, 1, color, 255);
        }
        sink->Clear(0, 0, 0);
        sink->DrawQuads(0, quads.data(), count);
        for (int i : {0, count / 2, count - 1}) {
            EXPECT_TRUE(Near(Pixel(i % 800, i / 800), color, 0)) << "quad " << i << " frame " << frame;
        }
        sink->Present(false);
    }
}

// ---- Coordinates -----------------------------------------------------------------------------------

TEST_P(SinkTest, VirtualResolutionSpansTheWholeWindow) {
    sink->SetVirtualResolution(1280, 960);
    sink->SetViewport(0, 0, 1280, 960);  // the clip rectangle is in virtual units too
    sink->SetBlend(BlendSolid);
    sink->Clear(0, 0, 0);
    // 64 x 48 virtual units are 40 x 30 window pixels.
    Quad(0, 0, 0, 64, 48, {255, 0, 0});
    Quad(0, 1216, 0, 64, 48, {0, 255, 0});
    Quad(0, 1216, 912, 64, 48, {0, 0, 255});
    Quad(0, 0, 912, 64, 48, {255, 255, 255});
    EXPECT_TRUE(Near(Pixel(0, 0), {255, 0, 0}));
    EXPECT_TRUE(Near(Pixel(39, 29), {255, 0, 0}));
    EXPECT_TRUE(Near(Pixel(40, 15), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(15, 30), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(799, 0), {0, 255, 0}));
    EXPECT_TRUE(Near(Pixel(760, 29), {0, 255, 0}));
    EXPECT_TRUE(Near(Pixel(759, 10), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(799, 599), {0, 0, 255}));
    EXPECT_TRUE(Near(Pixel(760, 570), {0, 0, 255}));
    EXPECT_TRUE(Near(Pixel(770, 569), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(0, 599), {255, 255, 255}));
    EXPECT_TRUE(Near(Pixel(400, 300), {0, 0, 0}));
}

TEST_P(SinkTest, ViewportClipsInVirtualUnits) {
    sink->Clear(0, 0, 0);
    sink->SetVirtualResolution(1600, 1200);
    sink->SetViewport(200, 100, 400, 200);  // window pixels (100, 50) to (300, 150)
    sink->SetBlend(BlendSolid);
    Quad(0, 0, 0, 1600, 1200, {255, 255, 0});
    EXPECT_TRUE(Near(Pixel(100, 50), {255, 255, 0}));
    EXPECT_TRUE(Near(Pixel(299, 149), {255, 255, 0}));
    EXPECT_TRUE(Near(Pixel(99, 100), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(200, 49), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(300, 100), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(200, 150), {0, 0, 0}));
    // Back to the whole window.
    sink->SetViewport(0, 0, 1600, 1200);
    Quad(0, 0, 0, 1600, 1200, {0, 255, 255});
    EXPECT_TRUE(Near(Pixel(0, 0), {0, 255, 255}));
    EXPECT_TRUE(Near(Pixel(799, 599), {0, 255, 255}));
}

TEST_P(SinkTest, ViewportClipsTexturedAndRotatedQuads) {
    // 16 x 16 texels, the left half red and the right half green.
    std::vector<std::uint8_t> texels(16 * 16 * 4, 255);
    for (int i = 0; i < 16 * 16; ++i) {
        const bool left = i % 16 < 8;
        texels[i * 4] = left ? 255 : 0;
        texels[i * 4 + 1] = left ? 0 : 255;
        texels[i * 4 + 2] = 0;
    }
    const TextureId texture = sink->CreateTexture(16, 16, texels.data(), false);
    sink->Clear(0, 0, 0);
    sink->SetViewport(110, 55, 180, 90);
    sink->SetBlend(BlendSolid);
    Quad(texture, 0, 0, 400, 300);  // red left of x 200, green right of it
    EXPECT_TRUE(Near(Pixel(111, 100), {255, 0, 0}));
    EXPECT_TRUE(Near(Pixel(160, 56), {255, 0, 0}));
    EXPECT_TRUE(Near(Pixel(240, 143), {0, 255, 0}));
    EXPECT_TRUE(Near(Pixel(288, 100), {0, 255, 0}));
    EXPECT_TRUE(Near(Pixel(109, 100), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(250, 145), {0, 0, 0}));
    // A quad cut to a sliver of less than one texel still shows its texel.
    sink->Clear(0, 0, 0);
    Quad(texture, 286, 60, 100, 20);  // 6.25 pixels a texel, 4 pixels left visible
    EXPECT_TRUE(Near(Pixel(288, 70), {255, 0, 0}));
    EXPECT_TRUE(Near(Pixel(290, 70), {0, 0, 0}));
    sink->SetViewport(100, 50, 200, 100);
    // A square turned 45 degrees around the viewport's bottom-right corner.
    sink->Clear(0, 0, 0);
    Vertex q[4];
    FillQuad(q, 0, 0, 0, 0, {0, 0, 255}, 255);
    const float cx = 300, cy = 150, r = 60;
    const float corners[4][2] = {{cx, cy - r}, {cx + r, cy}, {cx, cy + r}, {cx - r, cy}};
    for (int i = 0; i < 4; ++i) {
        q[i].x = corners[i][0];
        q[i].y = corners[i][1];
    }
    sink->DrawQuads(0, q, 1);
    EXPECT_TRUE(Near(Pixel(280, 140), {0, 0, 255}));
    EXPECT_TRUE(Near(Pixel(298, 110), {0, 0, 255}));
    EXPECT_TRUE(Near(Pixel(310, 150), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(290, 160), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(245, 120), {0, 0, 0}));  // inside the viewport, outside the square
}

TEST_P(SinkTest, MirroredQuadsMirrorTheTexture) {
    // Red, green over blue, white.
    const std::uint8_t texels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    const TextureId texture = sink->CreateTexture(2, 2, texels, false);
    sink->Clear(0, 0, 0);
    sink->SetBlend(BlendMask);
    struct Case {
        float x, y, w, h;  // negative sizes give corners in mirrored order
        Rgb top_left;
    };
    const Case cases[] = {{0, 0, 100, 100, {255, 0, 0}},
                          {300, 0, -100, 100, {0, 255, 0}},
                          {400, 100, 100, -100, {0, 0, 255}},
                          {700, 100, -100, -100, {255, 255, 255}}};
    for (const Case& c : cases) {
        Vertex q[4];
        FillQuad(q, c.x, c.y, c.w, c.h, {255, 255, 255}, 255);
        sink->DrawQuads(texture, q, 1);
    }
    for (int i = 0; i < 4; ++i) {
        const int left = i * 200;
        EXPECT_TRUE(Near(Pixel(left + 25, 25), cases[i].top_left)) << "quad " << i;
        EXPECT_TRUE(Near(Pixel(left + 150, 50), {0, 0, 0})) << "quad " << i;
    }
}

TEST_P(SinkTest, ReadsRectanglesTopDownAndBlackOutsideTheWindow) {
    sink->SetBlend(BlendSolid);
    sink->Clear(0, 0, 0);
    Quad(0, 0, 0, 800, 1, {255, 0, 0});    // top row
    Quad(0, 0, 599, 800, 1, {0, 255, 0});  // bottom row
    std::vector<std::uint8_t> rgba(4 * 4 * 4, 99);
    ASSERT_TRUE(sink->ReadPixels(798, 597, 4, 4, rgba.data()));
    const auto at = [&](int x, int y) {
        const std::uint8_t* p = &rgba[(y * 4 + x) * 4];
        return Rgb{p[0], p[1], p[2]};
    };
    EXPECT_TRUE(Near(at(0, 0), {0, 0, 0}, 0));
    EXPECT_TRUE(Near(at(1, 2), {0, 255, 0}, 0));
    EXPECT_TRUE(Near(at(2, 2), {0, 0, 0}, 0));  // outside the window
    EXPECT_TRUE(Near(at(0, 3), {0, 0, 0}, 0));
    EXPECT_EQ(rgba[(3 * 4 + 3) * 4 + 3], 255);
    ASSERT_TRUE(sink->ReadPixels(0, 0, 2, 2, rgba.data()));
    EXPECT_EQ(rgba[0], 255);
    EXPECT_EQ(rgba[2 * 4 * 1], 0);
    EXPECT_FALSE(sink->ReadPixels(0, 0, 0, 5, rgba.data()));
}

}  // namespace
}  // namespace platform
