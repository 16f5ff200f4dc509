// Pixel tests of the public drawing interface on every real renderer: blending, the drawing
// transform, images, text, the virtual resolution and read-back, checked on back-buffer pixels.
// Run on SDL's offscreen driver.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/draw.h"
#include "platform/support/pixels.h"

namespace platform {
namespace {

Rgb Pixel(int x, int y) {
    const Pixmap p = GrabPixmap(x, y, 1, 1);
    if (p.width != 1) return {-1, -1, -1};
    return {p.rgba[0], p.rgba[1], p.rgba[2]};
}

// Bright pixels (any channel above 128) of the w x h rectangle at x, y.
int BrightPixels(int x, int y, int w, int h) {
    const Pixmap p = GrabPixmap(x, y, w, h);
    int count = 0;
    for (std::size_t i = 0; i < p.rgba.size(); i += 4) {
        if (p.rgba[i] > 128 || p.rgba[i + 1] > 128 || p.rgba[i + 2] > 128) ++count;
    }
    return count;
}

class RenderTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SetGraphicsDriver(GetParam(), 2)) << "renderer " << GetParam() << " not offered";
        ASSERT_TRUE(Graphics(800, 600, 0, 0));
        ASSERT_EQ(GraphicsDriver(), GetParam());
    }
    void TearDown() override { EndGraphics(); }
};

std::string RendererLabel(const ::testing::TestParamInfo<int>& info) {
    const char* names[] = {"OpenGL", "Accelerated", "Software"};
    return names[info.param];
}

INSTANTIATE_TEST_SUITE_P(Renderers, RenderTest, ::testing::Values(0, 1, 2), RendererLabel);

TEST_P(RenderTest, RectanglesBlendByTheCurrentMode) {
    SetClsColor(200, 100, 40);
    Cls();
    SetColor(50, 150, 250);
    SetBlend(BlendSolid);
    SetAlpha(0.25f);  // ignored without blending
    DrawRect(0, 0, 100, 100);
    SetBlend(BlendAlpha);
    SetAlpha(0.5f);
    DrawRect(100, 0, 100, 100);
    SetBlend(BlendLight);
    DrawRect(200, 0, 100, 100);
    SetBlend(BlendShade);
    SetAlpha(1);
    DrawRect(300, 0, 100, 100);
    SetBlend(BlendMask);
    SetAlpha(0.4f);
    DrawRect(400, 0, 100, 100);
    SetAlpha(0.6f);
    DrawRect(500, 0, 100, 100);
    EXPECT_TRUE(Near(Pixel(50, 50), {50, 150, 250}));
    EXPECT_TRUE(Near(Pixel(150, 50), {125, 125, 145}, 4));
    EXPECT_TRUE(Near(Pixel(250, 50), {225, 175, 165}, 4));
    EXPECT_TRUE(Near(Pixel(350, 50), {39, 59, 39}));
    EXPECT_TRUE(Near(Pixel(450, 50), {200, 100, 40}));
    EXPECT_TRUE(Near(Pixel(550, 50), {50, 150, 250}));
    EXPECT_TRUE(Near(Pixel(650, 50), {200, 100, 40}));
}

TEST_P(RenderTest, RotationScaleAndOriginPlaceShapes) {
    Cls();
    SetBlend(BlendSolid);
    SetColor(255, 255, 0);
    // Turned a quarter clockwise about the origin: local (x, y) lands at (100 - y, 100 + x).
    SetOrigin(100, 100);
    SetRotation(90);
    DrawRect(0, 0, 50, 20);
    EXPECT_TRUE(Near(Pixel(90, 125), {255, 255, 0}));
    EXPECT_TRUE(Near(Pixel(110, 125), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(90, 95), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(90, 155), {0, 0, 0}));
    // Scaled, with the origin added to the position.
    SetRotation(0);
    SetScale(2, 3);
    SetOrigin(10, 20);
    DrawRect(300, 300, 10, 10);  // (310, 320) to (330, 350)
    EXPECT_TRUE(Near(Pixel(311, 321), {255, 255, 0}));
    EXPECT_TRUE(Near(Pixel(328, 348), {255, 255, 0}));
    EXPECT_TRUE(Near(Pixel(332, 330), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(320, 352), {0, 0, 0}));
}

TEST_P(RenderTest, GrabbedImagesDrawMaskedScaledAndTurned) {
    // A 20 x 20 picture: red top half over the black mask colour.
    Cls();
    SetBlend(BlendSolid);
    SetColor(255, 0, 0);
    DrawRect(0, 0, 20, 10);
    const Image image = CreateImage(20, 20, 1, MaskedImage);
    ASSERT_TRUE(image);
    GrabImage(image, 0, 0);
    SetClsColor(0, 0, 255);
    Cls();
    SetBlend(BlendMask);
    SetColor(255, 255, 255);
    DrawImage(image, 100, 100);
    EXPECT_TRUE(Near(Pixel(105, 105), {255, 0, 0}));
    EXPECT_TRUE(Near(Pixel(105, 115), {0, 0, 255}));  // masked away
    // Centre handle, twice the size: (280, 280) to (320, 320), red above y 300.
    MidHandleImage(image);
    SetScale(2, 2);
    DrawImage(image, 300, 300);
    EXPECT_TRUE(Near(Pixel(290, 290), {255, 0, 0}));
    EXPECT_TRUE(Near(Pixel(290, 310), {0, 0, 255}));
    EXPECT_TRUE(Near(Pixel(275, 290), {0, 0, 255}));
    // Upside down the red half is below the centre; the colour tints it.
    SetRotation(180);
    SetColor(255, 128, 255);
    DrawImage(image, 500, 300);
    EXPECT_TRUE(Near(Pixel(490, 310), {255, 0, 0}));
    EXPECT_TRUE(Near(Pixel(490, 290), {0, 0, 255}));
}

TEST_P(RenderTest, TextPaintsGlyphsWithinItsBox) {
    Cls();
    SetBlend(BlendAlpha);
    SetColor(255, 255, 255);
    const std::string text = "Vantor 123";
    const int width = TextWidth(text), height = TextHeight();
    ASSERT_GT(width, 20);
    ASSERT_GT(height, 5);
    DrawText(text, 10, 10);
    EXPECT_GT(BrightPixels(10, 10, width, height), 40);
    EXPECT_EQ(BrightPixels(10 + width + 4, 0, 200, 100), 0);
    EXPECT_EQ(BrightPixels(0, 10 + height + 4, 400, 50), 0);
}

TEST_P(RenderTest, VirtualResolutionScalesOntoTheWindow) {
    SetVirtualResolution(1600, 1200);
    SetViewport(0, 0, 1600, 1200);
    Cls();
    SetBlend(BlendSolid);
    SetColor(0, 255, 0);
    DrawRect(800, 600, 400, 300);  // window pixels (400, 300) to (600, 450)
    EXPECT_TRUE(Near(Pixel(401, 301), {0, 255, 0}));
    EXPECT_TRUE(Near(Pixel(598, 448), {0, 255, 0}));
    EXPECT_TRUE(Near(Pixel(398, 350), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(500, 452), {0, 0, 0}));
    SetColor(255, 0, 0);
    DrawRect(1580, 1180, 20, 20);  // the last 10 x 10 window pixels
    EXPECT_TRUE(Near(Pixel(799, 599), {255, 0, 0}));
    EXPECT_TRUE(Near(Pixel(789, 589), {0, 0, 0}));
}

TEST_P(RenderTest, WholeWindowStaysDrawableUnderAVirtualResolution) {
    // Nothing narrows the clip rectangle here, so the whole virtual space reaches the window.
    SetVirtualResolution(1280, 960);
    Cls();
    SetBlend(BlendSolid);
    SetColor(255, 255, 255);
    DrawRect(0, 0, 1280, 960);
    EXPECT_TRUE(Near(Pixel(0, 0), {255, 255, 255}));
    EXPECT_TRUE(Near(Pixel(799, 599), {255, 255, 255}));
}

TEST_P(RenderTest, GrabPixmapReadsOnlyInsideTheDisplay) {
    Cls();
    SetBlend(BlendSolid);
    SetColor(10, 20, 30);
    DrawRect(780, 580, 20, 20);
    const Pixmap p = GrabPixmap(790, 590, 50, 50);
    ASSERT_EQ(p.width, 10);
    ASSERT_EQ(p.height, 10);
    EXPECT_EQ(p.rgba[0], 10);
    EXPECT_EQ(p.rgba[1], 20);
    EXPECT_EQ(p.rgba[2], 30);
    EXPECT_EQ(p.rgba[3], 255);
    EXPECT_EQ(GrabPixmap(900, 0, 5, 5).width, 0);
}

// Images and fonts made on one display draw again on the next, whichever renderer it uses.
TEST_P(RenderTest, ImagesAndTextSurviveReopeningOnEveryRenderer) {
    Cls();
    SetBlend(BlendSolid);
    SetColor(0, 200, 0);
    DrawRect(0, 0, 16, 16);
    const Image image = CreateImage(16, 16, 1, 0);
    GrabImage(image, 0, 0);
    DrawText("before", 0, 100);
    for (int next : {0, 1, 2}) {
        EndGraphics();
        ASSERT_TRUE(SetGraphicsDriver(next, 2));
        ASSERT_TRUE(Graphics(640, 480, 0, 0)) << "renderer " << next;
        Cls();
        SetColor(255, 255, 255);
        DrawImage(image, 200, 200);
        EXPECT_TRUE(Near(Pixel(208, 208), {0, 200, 0})) << "renderer " << next;
        DrawText("again", 10, 10);
        EXPECT_GT(BrightPixels(10, 10, TextWidth("again"), TextHeight()), 20) << "renderer " << next;
        Flip(0);
    }
}

}  // namespace
}  // namespace platform
