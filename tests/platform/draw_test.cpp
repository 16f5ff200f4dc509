// The drawing core on the recording display: where quads land, what images and fonts load as,
// the display's pointer scaling and frame pacing, read-back and PNG writing.
#include "platform/draw.h"

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <new>
#include <numbers>
#include <set>
#include <string>

#include "platform/clock.h"
#include "platform/headless/manual_clock.h"
#include "platform/headless/recorder.h"
#include "platform/headless/script_input.h"
#include "platform/input.h"
#include "platform/internal.h"
#include "platform/system.h"

// Counts heap allocations while a test asks for it, to prove draw calls allocate nothing. The
// replacement pairs malloc with free, which GCC cannot see through once it inlines them.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
std::atomic<bool> counting_allocations{false};
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    if (counting_allocations.load(std::memory_order_relaxed)) allocations.fetch_add(1);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
// Every unaligned form is replaced, so no allocation reaches the library's own new and comes back
// to this free.
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (counting_allocations.load(std::memory_order_relaxed)) allocations.fetch_add(1);
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

namespace {

using namespace platform;
namespace fs = std::filesystem;
using headless::RecordedQuad;
using headless::RecordedQuads;
using Rgba = std::array<std::uint8_t, 4>;

constexpr const char* kBoldFont = "/usr/share/fonts/truetype/jetbrains-mono/JetBrainsMono-Bold.ttf";
constexpr const char* kRegularFont = "/usr/share/fonts/truetype/jetbrains-mono/JetBrainsMono-Regular.ttf";

class Video : public ::testing::Test {
  protected:
    void SetUp() override {
        headless::UseManualClock(0);
        headless::UseScriptInput();
        headless::UseRecorder();
        AutoMidHandle(false);
        ASSERT_TRUE(Graphics(800, 600, 0, 60));
        headless::ClearRecording();
        dir_ = fs::temp_directory_path() /
               ("vantor_draw_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }

    void TearDown() override {
        EndGraphics();
        AutoMidHandle(false);
        headless::UseRealClock();
        fs::remove_all(dir_);
    }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    // Writes a picture whose pixels come from colour(x, y) and returns its path.
    std::string WritePicture(const std::string& name, int w, int h,
                             const std::function<Rgba(int, int)>& colour) {
        Pixmap pixmap;
        pixmap.width = w;
        pixmap.height = h;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const Rgba c = colour(x, y);
                pixmap.rgba.insert(pixmap.rgba.end(), c.begin(), c.end());
            }
        }
        EXPECT_TRUE(SavePixmapPNG(pixmap, Path(name), 6));
        return Path(name);
    }

    void WriteBytes(const std::string& name, const std::string& bytes) {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }

    fs::path dir_;
};

void ExpectCorner(const Vertex& v, float x, float y) {
    EXPECT_NEAR(v.x, x, 1e-3) << "corner x";
    EXPECT_NEAR(v.y, y, 1e-3) << "corner y";
}

// The texel of a recorded quad's texture at texture coordinates u, v.
Rgba TexelAt(const RecordedQuad& quad, float u, float v) {
    const headless::RecordedTexture* t = headless::RecordedTextureInfo(quad.texture);
    if (!t) return {0, 0, 0, 0};
    const int x = std::clamp(static_cast<int>(u * t->width), 0, t->width - 1);
    const int y = std::clamp(static_cast<int>(v * t->height), 0, t->height - 1);
    const std::uint8_t* p = t->rgba.data() + (static_cast<std::size_t>(y) * t->width + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

Rgba PixelAt(const Pixmap& pixmap, int x, int y) {
    const std::uint8_t* p = pixmap.rgba.data() + (static_cast<std::size_t>(y) * pixmap.width + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

// ---- Where quads land ----------------------------------------------------------------------------

TEST_F(Video, ImageCornersApplyHandleScaleRotationAndOriginButNotTheGlobalHandle) {
    Image image = CreateImage(10, 20, 1, 0);
    SetImageHandle(image, 2, 3);
    SetHandle(7, 7);  // shapes and text only
    SetOrigin(100, 50);
    SetRotation(90);
    SetScale(2, 0.5f);
    SetColor(10, 20, 300);
    SetAlpha(0.5f);
    DrawImage(image, 40, 60);
    ASSERT_EQ(RecordedQuads().size(), 1u);
    const RecordedQuad& q = RecordedQuads()[0];
    // At 90 degrees: x' = -py * 0.5 + 140, y' = px * 2 + 110.
    ExpectCorner(q.corners[0], 141.5f, 106);
    ExpectCorner(q.corners[1], 141.5f, 126);
    ExpectCorner(q.corners[2], 131.5f, 126);
    ExpectCorner(q.corners[3], 131.5f, 106);
    EXPECT_NE(q.texture, 0u);
    EXPECT_EQ(q.corners[0].u, 0);
    EXPECT_EQ(q.corners[2].u, 1);
    EXPECT_EQ(q.corners[2].v, 1);
    EXPECT_EQ((Rgba{q.corners[1].r, q.corners[1].g, q.corners[1].b, q.corners[1].a}),
              (Rgba{10, 20, 255, 128}));

    // 30 degrees with a non-uniform scale, against the matrix written out here.
    SetRotation(30);
    SetScale(1.5f, 3);
    DrawImage(image, -5, 7);
    const double c = std::cos(std::numbers::pi / 6), s = std::sin(std::numbers::pi / 6);
    const double px[4] = {-2, 8, 8, -2}, py[4] = {-3, -3, 17, 17};
    for (int i = 0; i < 4; ++i) {
        const double x = px[i] * c * 1.5 + py[i] * -s * 3 - 5 + 100;
        const double y = px[i] * s * 1.5 + py[i] * c * 3 + 7 + 50;
        ExpectCorner(RecordedQuads()[1].corners[i], static_cast<float>(x), static_cast<float>(y));
    }
}

TEST_F(Video, DrawImageRectStretchesTheFrameAndItsHandle) {
    Image image = CreateImage(10, 10, 1, 0);
    MidHandleImage(image);
    DrawImageRect(image, 0, 0, 20, 40);
    ASSERT_EQ(RecordedQuads().size(), 1u);
    ExpectCorner(RecordedQuads()[0].corners[0], -10, -20);
    ExpectCorner(RecordedQuads()[0].corners[2], 10, 20);
}

TEST_F(Video, ShapesSubtractTheGlobalHandle) {
    SetHandle(5, 5);
    SetOrigin(1, 2);
    SetRotation(90);
    DrawRect(10, 10, 4, 2);  // local box (-5, -5)-(-1, -3); x' = -py + 11, y' = px + 12
    ASSERT_EQ(RecordedQuads().size(), 1u);
    EXPECT_EQ(RecordedQuads()[0].texture, 0u);
    ExpectCorner(RecordedQuads()[0].corners[0], 16, 7);
    ExpectCorner(RecordedQuads()[0].corners[1], 16, 11);
    ExpectCorner(RecordedQuads()[0].corners[2], 14, 11);
    ExpectCorner(RecordedQuads()[0].corners[3], 14, 7);

    SetRotation(0);
    SetOrigin(0, 0);
    SetHandle(1, 1);
    Plot(3, 4);
    ExpectCorner(RecordedQuads()[1].corners[0], 2, 3);
    ExpectCorner(RecordedQuads()[1].corners[2], 3, 4);

    // The oval fills its box moved by the handle.
    headless::ClearRecording();
    SetHandle(10, 20);
    DrawOval(100, 100, 40, 20);
    float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f;
    for (const RecordedQuad& q : RecordedQuads()) {
        for (const Vertex& v : q.corners) {
            x0 = std::min(x0, v.x), x1 = std::max(x1, v.x), y0 = std::min(y0, v.y), y1 = std::max(y1, v.y);
        }
    }
    EXPECT_NEAR(x0, 90, 0.01);
    EXPECT_NEAR(x1, 130, 0.01);
    EXPECT_NEAR(y0, 80, 0.01);
    EXPECT_NEAR(y1, 100, 0.01);
}

TEST_F(Video, LinesCoverTheirPixelsAndTheLastOneOnlyWhenAsked) {
    SetLineWidth(2);
    DrawLine(10, 20, 20, 20, true);
    DrawLine(10, 20, 20, 20, false);
    ASSERT_EQ(RecordedQuads().size(), 2u);
    // Centred on the pixel row 20.5, two wide, from the left edge of pixel 10.
    ExpectCorner(RecordedQuads()[0].corners[0], 10, 21.5f);
    ExpectCorner(RecordedQuads()[0].corners[2], 21, 19.5f);
    ExpectCorner(RecordedQuads()[1].corners[2], 20, 19.5f);
}

TEST_F(Video, TextUsesTheGlobalHandleAndOneBatchPerString) {
    DrawText("AB C", 10, 20);
    ASSERT_EQ(RecordedQuads().size(), 3u);  // the space advances but draws nothing
    const std::vector<RecordedQuad> plain = RecordedQuads();
    EXPECT_NE(plain[0].texture, 0u);
    EXPECT_EQ(plain[1].texture, plain[0].texture);
    EXPECT_EQ(plain[2].texture, plain[0].texture);
    EXPECT_LT(plain[0].corners[0].x, plain[1].corners[0].x);
    EXPECT_GE(plain[2].corners[0].x - plain[1].corners[0].x, 2 * TextWidth("A") - 2);
    headless::ClearRecording();
    SetHandle(3, 4);
    DrawText("AB C", 10, 20);
    ASSERT_EQ(RecordedQuads().size(), 3u);
    for (int i = 0; i < 3; ++i)
        ExpectCorner(RecordedQuads()[i].corners[2], plain[i].corners[2].x - 3, plain[i].corners[2].y - 4);
}

TEST_F(Video, DrawingStateResetsWhenADisplayOpens) {
    SetColor(1, 2, 3);
    SetAlpha(1.5f);
    SetBlend(BlendLight);
    SetRotation(45);
    SetScale(2, 3);
    EXPECT_FLOAT_EQ(GetAlpha(), 1.5f);
    float sx, sy;
    GetScale(sx, sy);
    EXPECT_EQ(sx, 2);
    EXPECT_EQ(sy, 3);
    ASSERT_TRUE(Graphics(640, 480, 0, 60));
    int r, g, b;
    GetColor(r, g, b);
    EXPECT_EQ(r + g + b, 765);
    EXPECT_EQ(GetBlend(), BlendMask);
    EXPECT_EQ(GetRotation(), 0);
    EXPECT_EQ(GetAlpha(), 1);
    ASSERT_FALSE(headless::RecordedViewports().empty());
    const headless::RecordedViewport& v = headless::RecordedViewports().back();
    EXPECT_EQ(v.width * 1000 + v.height, 640 * 1000 + 480);
    EXPECT_EQ(VirtualResolutionWidth(), 640);
    // A reset keeps the virtual resolution and clips to the whole of it.
    SetVirtualResolution(1280, 960);
    SetViewport(10, 10, 20, 20);
    ResetDrawingState();
    EXPECT_EQ(VirtualResolutionWidth(), 1280);
    const headless::RecordedViewport& whole = headless::RecordedViewports().back();
    EXPECT_EQ(whole.width * 10000 + whole.height, 1280 * 10000 + 960);
}

TEST_F(Video, SetBlendWithTheCurrentModeReachesNoSink) {
    SetBlend(BlendMask);
    EXPECT_EQ(headless::BlendChangeCount(), 0);
    SetBlend(BlendAlpha);
    SetBlend(BlendAlpha);
    SetBlend(9);  // not a mode
    EXPECT_EQ(headless::BlendChangeCount(), 1);
    EXPECT_EQ(GetBlend(), BlendAlpha);
    DrawRect(0, 0, 1, 1);
    EXPECT_EQ(RecordedQuads().back().blend, BlendAlpha);
}

// ---- Images ----------------------------------------------------------------------------------------

TEST_F(Video, AutoMidHandleAppliesToLoadedAndCreatedImages) {
    const std::string path = WritePicture("six.png", 6, 4, [](int, int) { return Rgba{9, 9, 9, 255}; });
    AutoMidHandle(true);
    Image loaded = LoadImage(path);
    Image created = CreateImage(8, 10);
    Image anim = LoadAnimImage(path, 3, 2, 0, 4);
    ASSERT_TRUE(loaded && created && anim);
    EXPECT_EQ(loaded->handle_x, 3);
    EXPECT_EQ(loaded->handle_y, 2);
    EXPECT_EQ(created->handle_x, 4);
    EXPECT_EQ(created->handle_y, 5);
    EXPECT_EQ(anim->handle_x, 1.5f);
    EXPECT_EQ(created->flags, MaskedImage | FilteredImage | DynamicImage);
    AutoMidHandle(false);
    Image plain = LoadImage(path);
    EXPECT_EQ(plain->handle_x, 0);
    EXPECT_EQ(plain->handle_y, 0);
    MidHandleImage(plain);
    EXPECT_EQ(plain->handle_x, 3);
    EXPECT_EQ(plain->handle_y, 2);
}

TEST_F(Video, AnimImageCutsCellsIntoFramesOfOneTexture) {
    // 3 x 2 cells of 4 x 4; cell k has its own colour.
    const auto cell_colour = [](int k) {
        return Rgba{static_cast<std::uint8_t>(40 * k + 10), static_cast<std::uint8_t>(250 - 40 * k), 7, 255};
    };
    const std::string path =
        WritePicture("cells.png", 12, 8, [&](int x, int y) { return cell_colour(x / 4 + 3 * (y / 4)); });
    Image image = LoadAnimImage(path, 4, 4, 1, 4, FilteredImage);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 4);
    EXPECT_EQ(image->height, 4);
    EXPECT_EQ(image->frame_count, 4);
    for (int frame = 0; frame < 4; ++frame) {
        const std::uint8_t* p = image->pixels.data() + frame * 64;
        EXPECT_EQ((Rgba{p[0], p[1], p[2], p[3]}), cell_colour(frame + 1)) << "frame " << frame;
        DrawImage(image, 0, 0, frame);
    }
    DrawImage(image, 0, 0, 4);  // no such frame: nothing
    ASSERT_EQ(RecordedQuads().size(), 4u);
    for (int frame = 0; frame < 4; ++frame) {
        const RecordedQuad& q = RecordedQuads()[frame];
        EXPECT_EQ(q.texture, RecordedQuads()[0].texture);
        const float du = (q.corners[2].u - q.corners[0].u) / 8, dv = (q.corners[2].v - q.corners[0].v) / 8;
        // Inside the frame's rectangle, near each edge, only the frame's own cell shows.
        EXPECT_EQ(TexelAt(q, q.corners[0].u + du, q.corners[0].v + dv), cell_colour(frame + 1));
        EXPECT_EQ(TexelAt(q, q.corners[2].u - du, q.corners[2].v - dv), cell_colour(frame + 1));
    }
    EXPECT_FALSE(LoadAnimImage(path, 4, 4, 3, 4));  // cells 3..6 of 6
    EXPECT_TRUE(LoadAnimImage(path, 4, 4, 2, 4));
    EXPECT_FALSE(LoadAnimImage(path, 0, 4, 0, 1));
}

TEST_F(Video, ImagesLoadFromBmpJpegAndTga) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 5, 3, 32, SDL_PIXELFORMAT_RGBA32);
    ASSERT_NE(surface, nullptr);
    SDL_FillRect(surface, nullptr, SDL_MapRGBA(surface->format, 200, 40, 40, 255));
    ASSERT_EQ(SDL_SaveBMP(surface, Path("red.bmp").c_str()), 0);
    ASSERT_EQ(IMG_SaveJPG(surface, Path("red.jpg").c_str(), 95), 0);
    SDL_FreeSurface(surface);
    // An uncompressed 32-bit TGA, 2 x 1, bottom-up rows of BGRA.
    std::string tga(18, '\0');
    tga[2] = 2, tga[12] = 2, tga[14] = 1, tga[16] = 32, tga[17] = 8;
    tga += std::string("\x10\x20\x30\xff\x40\x50\x60\xff", 8);
    WriteBytes("two.tga", tga);
    for (const char* name : {"red.bmp", "red.jpg"}) {
        Image image = LoadImage(Path(name), 0);
        ASSERT_TRUE(image) << name;
        EXPECT_EQ(image->width * 10 + image->height, 53) << name;
        EXPECT_NEAR(image->pixels[0], 200, 6) << name;
        EXPECT_NEAR(image->pixels[1], 40, 6) << name;
    }
    Image tga_image = LoadImage(Path("two.tga"), 0);
    ASSERT_TRUE(tga_image);
    EXPECT_EQ(tga_image->width, 2);
    EXPECT_EQ((Rgba{tga_image->pixels[4], tga_image->pixels[5], tga_image->pixels[6], tga_image->pixels[7]}),
              (Rgba{0x60, 0x50, 0x40, 0xff}));
}

TEST_F(Video, MaskedImagesMakeMaskColouredPixelsTransparent) {
    const std::string path = WritePicture("mask.png", 2, 1, [](int x, int) {
        return x == 0 ? Rgba{0, 0, 0, 255} : Rgba{1, 0, 0, 255};
    });
    Image masked = LoadImage(path);  // default flags: masked and filtered
    Image solid = LoadImage(path, FilteredImage);
    ASSERT_TRUE(masked && solid);
    EXPECT_EQ(masked->flags, MaskedImage | FilteredImage);
    EXPECT_EQ(masked->pixels[3], 0);
    EXPECT_EQ(masked->pixels[7], 255);
    EXPECT_EQ(solid->pixels[3], 255);
}

TEST_F(Video, ImagesFreeTheirTextureAndUploadAgainForANewDisplay) {
    Image image = CreateImage(4, 4, 2, 0);
    const int before = headless::LiveTextureCount();
    DrawImage(image, 0, 0);
    DrawImage(image, 0, 0, 1);
    EXPECT_EQ(headless::LiveTextureCount(), before + 1);
    const TextureId first = RecordedQuads()[0].texture;
    EndGraphics();
    EXPECT_EQ(headless::RecordedTextureInfo(first), nullptr);  // went with its display
    ASSERT_TRUE(Graphics(640, 480, 0, 0));
    DrawImage(image, 0, 0);
    const TextureId second = RecordedQuads().back().texture;
    EXPECT_NE(second, first);
    ASSERT_NE(headless::RecordedTextureInfo(second), nullptr);
    Reclaim();
    const int live = headless::LiveTextureCount();
    image.reset();
    EXPECT_EQ(headless::LiveTextureCount(), live - 1);
    EXPECT_EQ(headless::RecordedTextureInfo(second), nullptr);
    EXPECT_GE(Reclaim(), 1);
}

TEST_F(Video, BadFilesGiveEmptyHandlesThatDrawNothing) {
    const std::string good = WritePicture("good.png", 16, 16, [](int x, int y) {
        return Rgba{static_cast<std::uint8_t>(x * 16), static_cast<std::uint8_t>(y * 16), 0, 255};
    });
    std::string bytes;
    {
        std::ifstream in(good, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    WriteBytes("truncated.png", bytes.substr(0, bytes.size() / 2));
    std::string noise;
    for (int i = 0; i < 4096; ++i) noise.push_back(static_cast<char>((i * 7919 + 13) % 251));
    WriteBytes("noise.png", noise);
    WriteBytes("noise.ttf", noise);
    WriteBytes("empty.ttf", "");
    WriteBytes("truncated.ttf", [] {
        std::ifstream in(kRegularFont, std::ios::binary);
        std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return all.substr(0, 2000);
    }());

    EXPECT_FALSE(LoadImage(Path("missing.png")));
    EXPECT_FALSE(LoadImage(Path("truncated.png")));
    EXPECT_FALSE(LoadImage(Path("noise.png")));
    EXPECT_FALSE(LoadAnimImage(Path("missing.png"), 4, 4, 0, 1));
    EXPECT_FALSE(LoadImage(dir_.string()));
    EXPECT_FALSE(CreateImage(0, 4));
    for (const char* font : {"missing.ttf", "noise.ttf", "empty.ttf", "truncated.ttf"}) {
        EXPECT_FALSE(LoadImageFont(Path(font), 16, 4)) << font;
    }
    EXPECT_FALSE(LoadImageFont(dir_.string(), 16, 4));
    EXPECT_FALSE(LoadImageFont(kRegularFont, 0, 4));

    DrawImage(nullptr, 0, 0);
    DrawImageRect(nullptr, 0, 0, 5, 5);
    GrabImage(nullptr, 0, 0);
    SetImageHandle(nullptr, 1, 1);
    MidHandleImage(nullptr);
    EXPECT_TRUE(RecordedQuads().empty());
    SetImageFont(LoadImageFont(Path("empty.ttf"), 24, 4));  // falls back to the built-in font
    EXPECT_EQ(TextHeight(), 16);
    DrawText("ok", 0, 0);
    EXPECT_EQ(RecordedQuads().size(), 2u);
    EXPECT_EQ(FontHeight(nullptr), 0);
}

// ---- Fonts -----------------------------------------------------------------------------------------

TEST_F(Video, TextMetricsFollowTheCurrentFont) {
    EXPECT_EQ(TextHeight(), 16);
    EXPECT_EQ(FontHeight(GetImageFont()), 16);
    const int m = TextWidth("M");
    EXPECT_GT(m, 5);
    EXPECT_EQ(TextWidth("MMMMMMMMMM"), 10 * m);  // a monospaced face: the advances add up
    EXPECT_EQ(TextWidth(""), 0);
    EXPECT_EQ(TextWidth("\x01\x02"), 0);  // control codes neither draw nor advance
    EXPECT_GT(TextWidth("\xe9\xfc"), 0);  // Latin-1 letters have glyphs

    Font big = LoadImageFont(kRegularFont, 32, 4);
    ASSERT_TRUE(big);
    SetImageFont(big);
    EXPECT_EQ(TextHeight(), 32);
    EXPECT_EQ(GetImageFont(), big);
    const int regular = TextWidth("MMMM");
    EXPECT_NEAR(regular, 8 * m, 6);
    SetImageFont(LoadImageFont(kRegularFont, 32, 4 | 1));  // bold glyphs are wider
    EXPECT_GT(TextWidth("MMMM"), regular);
    SetImageFont(nullptr);
    EXPECT_EQ(TextHeight(), 16);
}

// The distinct alpha values inside the glyph quads of a drawn string.
std::set<int> GlyphAlphas(const std::string& text) {
    headless::ClearRecording();
    DrawText(text, 0, 0);
    std::set<int> alphas;
    for (const RecordedQuad& q : RecordedQuads()) {
        for (int i = 0; i <= 8; ++i) {
            for (int j = 0; j <= 8; ++j) {
                const float u = q.corners[0].u + (q.corners[2].u - q.corners[0].u) * (i + 0.5f) / 9.5f;
                const float v = q.corners[0].v + (q.corners[2].v - q.corners[0].v) * (j + 0.5f) / 9.5f;
                alphas.insert(TexelAt(q, u, v)[3]);
            }
        }
    }
    return alphas;
}

TEST_F(Video, SmoothFontsAreAntiAliasedAndOthersAreNot) {
    SetImageFont(LoadImageFont(kBoldFont, 20, 0));
    const std::set<int> mono = GlyphAlphas("Ox@");
    EXPECT_EQ(mono, (std::set<int>{0, 255}));
    SetImageFont(LoadImageFont(kBoldFont, 20, 4));
    const std::set<int> smooth = GlyphAlphas("Ox@");
    EXPECT_GT(smooth.size(), 4u);
    EXPECT_TRUE(smooth.count(255) || *smooth.rbegin() > 200);
    // Glyph quads stay inside the line's height, give or take the descent.
    for (const RecordedQuad& q : RecordedQuads()) {
        EXPECT_GE(q.corners[0].y, -1);
        EXPECT_LE(q.corners[2].y, 20 + 6);
    }
}

// The summed alpha of a quad's texels, sampled on a 10 x 10 grid.
int Coverage(const RecordedQuad& q) {
    int sum = 0;
    for (int i = 0; i < 10; ++i) {
        for (int j = 0; j < 10; ++j) {
            const float u = q.corners[0].u + (q.corners[2].u - q.corners[0].u) * (i + 0.5f) / 10;
            const float v = q.corners[0].v + (q.corners[2].v - q.corners[0].v) * (j + 0.5f) / 10;
            sum += TexelAt(q, u, v)[3];
        }
    }
    return sum;
}

TEST_F(Video, FontsKeepDrawingAfterTheDisplayIsReopened) {
    Font font = LoadImageFont(kRegularFont, 24, 4);
    SetImageFont(font);
    DrawText("Bye", 0, 0);
    ASSERT_EQ(RecordedQuads().size(), 3u);
    const TextureId before = RecordedQuads()[0].texture;
    const int coverage_before = Coverage(RecordedQuads()[0]);
    EXPECT_GT(coverage_before, 0);
    EndGraphics();
    ASSERT_TRUE(Graphics(640, 480, 0, 60));
    headless::ClearRecording();
    SetImageFont(font);
    DrawText("Bye", 0, 0);
    ASSERT_EQ(RecordedQuads().size(), 3u);
    const RecordedQuad& q = RecordedQuads()[0];
    EXPECT_NE(q.texture, before);
    ASSERT_NE(headless::RecordedTextureInfo(q.texture), nullptr);
    EXPECT_EQ(Coverage(q), coverage_before);
    SetImageFont(nullptr);
    DrawText("x", 0, 0);
    ASSERT_NE(headless::RecordedTextureInfo(RecordedQuads().back().texture), nullptr);
}

// ---- Display ---------------------------------------------------------------------------------------

TEST_F(Video, VirtualResolutionScalesThePointer) {
    ASSERT_TRUE(Graphics(1280, 960, 0, 60));
    SetVirtualResolution(640, 480);
    EXPECT_FLOAT_EQ(detail::MouseScaleX(), 0.5f);
    EXPECT_FLOAT_EQ(detail::MouseScaleY(), 0.5f);
    EXPECT_EQ(headless::RecordedVirtualWidth(), 640);
    ASSERT_FALSE(headless::RecordedViewports().empty());
    const headless::RecordedViewport clip = headless::RecordedViewports().back();
    EXPECT_EQ(clip.width * 10000 + clip.height, 640 * 10000 + 480);  // the whole virtual area
    headless::MovePointer(1000, 600);
    EXPECT_EQ(MouseX(), 500);
    EXPECT_EQ(MouseY(), 300);
    headless::ClearRecording();
    MoveMouse(320, 240);
    ASSERT_EQ(headless::RecordedMouseWarps().size(), 1u);
    EXPECT_EQ(headless::RecordedMouseWarps()[0], std::make_pair(640, 480));
    EXPECT_EQ(MouseX(), 320);
    EXPECT_EQ(MouseY(), 240);
    ASSERT_TRUE(Graphics(640, 480, 0, 60));
    SetVirtualResolution(1280, 720);
    EXPECT_FLOAT_EQ(detail::MouseScaleX(), 2);
    EXPECT_FLOAT_EQ(detail::MouseScaleY(), 1.5f);
    EndGraphics();
    EXPECT_EQ(detail::MouseScaleX(), 1);
}

TEST_F(Video, ModesAndFullscreenOpening) {
    EXPECT_EQ(CountGraphicsModes(), 24);
    int w = 0, h = 0, d = 0, hz = 0;
    EXPECT_TRUE(GetGraphicsMode(0, w, h, d, hz));
    EXPECT_EQ(w * 10000 + h, 640 * 10000 + 480);
    EXPECT_FALSE(GetGraphicsMode(24, w, h, d, hz));
    EXPECT_TRUE(GraphicsModeExists(1366, 0, 0, 0));
    EXPECT_TRUE(GraphicsModeExists(0, 1080, 24, 60));
    EXPECT_FALSE(GraphicsModeExists(1366, 0, 8, 0));
    EXPECT_TRUE(SetGraphicsDriver(RendererSoftware));
    EXPECT_EQ(GraphicsDriver(), RendererSoftware);
    EXPECT_FALSE(SetGraphicsDriver(7));
    EXPECT_EQ(GraphicsDriver(), RendererSoftware);

    ASSERT_TRUE(Graphics(1024, 768, 32, 60));
    EXPECT_EQ(headless::LastDisplayRequest().depth, 32);
    ASSERT_FALSE(headless::RecordedMouseWarps().empty());
    EXPECT_EQ(headless::RecordedMouseWarps().back(), std::make_pair(512, 384));
    EXPECT_EQ(MouseX(), 512);
    const int now = MilliSecs();
    Flip(-1);  // fullscreen: the vertical blank paces, not the clock
    EXPECT_EQ(MilliSecs(), now);
    EXPECT_EQ(headless::VsyncPresentCount(), 1);
    EXPECT_FALSE(Graphics(1000, 700, 32, 60));
    EXPECT_FALSE(GraphicsOpen());
    EXPECT_EQ(GraphicsWidth(), 0);
}

TEST_F(Video, WindowedFlipPacesSixtyFramesASecondWithoutCatchingUp) {
    int previous = MilliSecs();
    for (int frame = 0; frame < 600; ++frame) {
        Flip(-1);
        const int step = MilliSecs() - previous;
        ASSERT_TRUE(step == 16 || step == 17) << "frame " << frame << " took " << step;
        previous = MilliSecs();
    }
    EXPECT_EQ(MilliSecs(), 10000);
    EXPECT_EQ(headless::PresentCount(), 600);
    EXPECT_EQ(headless::VsyncPresentCount(), 0);

    headless::AdvanceClock(500);  // a stall
    previous = MilliSecs();
    Flip(-1);
    EXPECT_EQ(MilliSecs(), previous);  // late: presented at once
    for (int frame = 0; frame < 30; ++frame) {
        previous = MilliSecs();
        Flip(-1);
        EXPECT_GE(MilliSecs() - previous, 16) << "burst after a stall at frame " << frame;
    }
    // Time spent drawing counts toward the frame.
    previous = MilliSecs();
    headless::AdvanceClock(10);
    Flip(-1);
    EXPECT_LE(MilliSecs() - previous, 17);

    const int now = MilliSecs();
    Flip(0);
    Flip(1);
    EXPECT_EQ(MilliSecs(), now);
    EXPECT_EQ(headless::VsyncPresentCount(), 1);
    ASSERT_TRUE(Graphics(800, 600, 0, 0));
    Flip(-1);
    EXPECT_EQ(MilliSecs(), now);
}

TEST_F(Video, FlipPumpsEventsFirst) {
    const int frames = headless::FrameNumber();
    Flip(0);
    EXPECT_EQ(headless::FrameNumber(), frames + 1);
}

// ---- Read-back -------------------------------------------------------------------------------------

TEST_F(Video, GrabPixmapReadsTheFrameInDisplayPixels) {
    SetVirtualResolution(400, 300);  // one virtual unit is two pixels
    SetClsColor(10, 20, 30);
    Cls();
    SetColor(200, 100, 50);
    DrawRect(10, 10, 5, 5);
    const Pixmap pixmap = GrabPixmap(18, 18, 4, 4);
    ASSERT_EQ(pixmap.width, 4);
    EXPECT_EQ(PixelAt(pixmap, 0, 0), (Rgba{10, 20, 30, 255}));
    EXPECT_EQ(PixelAt(pixmap, 2, 2), (Rgba{200, 100, 50, 255}));
    const Pixmap edge = GrabPixmap(790, 590, 20, 20);
    EXPECT_EQ(edge.width, 10);
    EXPECT_EQ(edge.height, 10);
    EXPECT_EQ(GrabPixmap(900, 0, 5, 5).width, 0);
}

TEST_F(Video, BlendModesOnTheRecordersPixels) {
    SetClsColor(100, 100, 100);
    Cls();
    Image image = CreateImage(1, 1, 1, 0);
    image->pixels = {255, 255, 255, 100};  // alpha below one half
    DrawImage(image, 0, 0);                // BlendMask rejects it
    SetBlend(BlendAlpha);
    SetColor(200, 0, 0);
    SetAlpha(0.5f);
    DrawRect(1, 0, 1, 1);
    SetBlend(BlendLight);
    DrawRect(2, 0, 1, 1);
    SetBlend(BlendShade);
    SetAlpha(1);
    SetColor(128, 255, 0);
    DrawRect(3, 0, 1, 1);
    const Pixmap p = GrabPixmap(0, 0, 4, 1);
    ASSERT_EQ(p.width, 4);
    EXPECT_EQ(PixelAt(p, 0, 0), (Rgba{100, 100, 100, 255}));
    EXPECT_EQ(PixelAt(p, 1, 0), (Rgba{150, 50, 50, 255}));
    EXPECT_EQ(PixelAt(p, 2, 0), (Rgba{200, 100, 100, 255}));
    EXPECT_EQ(PixelAt(p, 3, 0), (Rgba{50, 100, 0, 255}));
}

TEST_F(Video, QuadsKeepTheirTexelsWhenTheImageGoesBeforeTheRead) {
    Image red = CreateImage(2, 2, 1, 0);
    for (std::size_t i = 0; i < red->pixels.size(); i += 4) red->pixels[i] = red->pixels[i + 3] = 255;
    DrawImage(red, 0, 0);
    red.reset();  // its texture is destroyed before the frame is read
    EXPECT_EQ(PixelAt(GrabPixmap(0, 0, 1, 1), 0, 0), (Rgba{255, 0, 0, 255}));
}

TEST_F(Video, GrabImageCopiesTheBackBufferAndAppliesTheMask) {
    Image image = CreateImage(4, 4, 1);  // masked
    DrawImage(image, 100, 100);          // uploaded before the grab
    Cls();
    SetColor(255, 255, 255);
    DrawRect(0, 0, 2, 4);
    GrabImage(image, 0, 0);
    EXPECT_EQ(image->pixels[3], 255);        // white, kept
    EXPECT_EQ(image->pixels[3 * 4 + 3], 0);  // black, masked
    // The texture already on the display was patched.
    headless::ClearRecording();
    DrawImage(image, 100, 100);
    const RecordedQuad& q = RecordedQuads()[0];
    EXPECT_EQ(TexelAt(q, 0.1f, 0.1f), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(TexelAt(q, 0.9f, 0.1f)[3], 0);
}

TEST_F(Video, SavePixmapPngRoundTripsAndHonoursTheLevel) {
    Pixmap pixmap;
    pixmap.width = 37;
    pixmap.height = 23;
    for (int i = 0; i < 37 * 23; ++i) {
        const int x = i % 37, y = i / 37;
        for (const int value : {x * 6, y * 11, (x * y) % 256, 255 - x})
            pixmap.rgba.push_back(static_cast<std::uint8_t>(value));
    }
    ASSERT_TRUE(SavePixmapPNG(pixmap, Path("shot.png"), 9));
    SDL_Surface* loaded = IMG_Load(Path("shot.png").c_str());
    ASSERT_NE(loaded, nullptr);
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(loaded);
    ASSERT_NE(rgba, nullptr);
    ASSERT_EQ(rgba->w, 37);
    ASSERT_EQ(rgba->h, 23);
    for (int y = 0; y < 23; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(rgba->pixels) + y * rgba->pitch;
        ASSERT_TRUE(std::equal(row, row + 37 * 4, pixmap.rgba.begin() + y * 37 * 4)) << "row " << y;
    }
    SDL_FreeSurface(rgba);

    // Level 0 stores, level 9 compresses.
    ASSERT_TRUE(SavePixmapPNG(pixmap, Path("stored.png"), 0));
    EXPECT_GT(fs::file_size(Path("stored.png")), fs::file_size(Path("shot.png")) + 500);

    // Failures report false and leave nothing behind.
    EXPECT_FALSE(SavePixmapPNG(pixmap, Path("no/such/folder/x.png"), 9));
    EXPECT_FALSE(SavePixmapPNG(Pixmap{}, Path("empty.png"), 9));
    Pixmap short_data = pixmap;
    short_data.rgba.resize(10);
    EXPECT_FALSE(SavePixmapPNG(short_data, Path("short.png"), 9));
    EXPECT_FALSE(SavePixmapPNG(pixmap, Path("level.png"), 10));
    EXPECT_FALSE(fs::exists(Path("empty.png")));
    EXPECT_FALSE(fs::exists(Path("short.png")));
    EXPECT_FALSE(fs::exists(Path("level.png")));
    for (const auto& entry : fs::directory_iterator(dir_)) EXPECT_NE(entry.path().extension(), ".part");
}

// ---- Cost ------------------------------------------------------------------------------------------

TEST_F(Video, DrawCallsDoNotAllocate) {
    Image image = CreateImage(32, 32, 4);
    const auto draw_frame = [&] {
        for (int i = 0; i < 2000; ++i) {
            SetRotation(static_cast<float>(i));
            SetScale(1.5f, 0.5f);
            SetAlpha(0.5f);
            DrawImage(image, static_cast<float>(i % 800), 10, i % 4);
        }
        DrawText("Score 0012345", 10, 10);
        DrawOval(10, 10, 100, 50);
        DrawRect(0, 0, 10, 10);
        DrawLine(0, 0, 100, 100);
    };
    draw_frame();  // textures uploaded, scratch space grown, recorder storage sized
    Flip(0);
    headless::ClearRecording();
    allocations = 0;
    counting_allocations = true;
    draw_frame();
    counting_allocations = false;
    EXPECT_EQ(allocations.load(), 0);
    EXPECT_GT(RecordedQuads().size(), 2000u + 12u + 2u);
}

}  // namespace
