// The drawing helpers on the recording display: aligned text, colour and blend helpers, the
// sprite budget, slow-system frames, the glow pass, the pointer test and the striped background.
#include "framework/draw_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "framework/display_setup.h"
#include "framework/frame_pump.h"
#include "framework/settings.h"
#include "platform/draw.h"
#include "platform/headless/recorder.h"

namespace {

namespace hl = platform::headless;
using namespace framework;

struct Box {
    float left, top, right, bottom;
};

Box Bounds(const hl::RecordedQuad& quad) {
    Box box{quad.corners[0].x, quad.corners[0].y, quad.corners[0].x, quad.corners[0].y};
    for (const platform::Vertex& v : quad.corners) {
        box.left = std::min(box.left, v.x);
        box.top = std::min(box.top, v.y);
        box.right = std::max(box.right, v.x);
        box.bottom = std::max(box.bottom, v.y);
    }
    return box;
}

class DrawHelpers : public ::testing::Test {
  protected:
    void SetUp() override {
        hl::UseRecorder();
        ASSERT_TRUE(platform::Graphics(800, 600, 0, 0));
        platform::ResetDrawingState();
        ResetSettings();
        ResetDrawHelpers();
        ResetFramePump();
        SpriteLimits[1] = SpriteLimits[2] = SpriteLimits[3] = 50000;
        image = platform::CreateImage(32, 16);
        platform::MidHandleImage(image);
        hl::ClearRecording();
    }
    void TearDown() override {
        platform::EndGraphics();
        ResetSettings();
        ResetFramePump();
        ResetDrawHelpers();
    }
    static std::size_t QuadCount() { return hl::RecordedQuads().size(); }
    platform::Image image;
};

TEST_F(DrawHelpers, AlignedTextShiftsByTheUnscaledFontSize) {
    // Find texts of odd and even width so the truncating halving shows.
    for (const std::string text : {"Vantor", "Wide text!", "i", "Mm", "Press Start"}) {
        const int w = platform::TextWidth(text), h = platform::TextHeight();
        ASSERT_GT(w, 0);
        for (int halign = 0; halign <= 3; ++halign) {
            for (int valign = 0; valign <= 2; ++valign) {
                hl::ClearRecording();
                platform::DrawText(text, 0, 0);
                const Box plain = Bounds(hl::RecordedQuads().front());
                hl::ClearRecording();
                DrawTextAligned(200, 100, text, halign, valign);
                const Box aligned = Bounds(hl::RecordedQuads().front());
                const int dx = halign == 1 ? w / 2 : halign == 2 ? w : 0;
                const int dy = valign == 1 ? h / 2 : valign == 2 ? h : 0;
                EXPECT_FLOAT_EQ(aligned.left - plain.left, 200.0f - dx) << text << " " << halign;
                EXPECT_FLOAT_EQ(aligned.top - plain.top, 100.0f - dy) << text << " " << valign;
            }
        }
    }
    // At scale 2 the shift is still half the unscaled width.
    const std::string text = "Vantor";
    const int w = platform::TextWidth(text);
    ScaleTo(2);
    hl::ClearRecording();
    platform::DrawText(text, static_cast<float>(300 - w / 2), 50);
    const Box direct = Bounds(hl::RecordedQuads().front());
    hl::ClearRecording();
    DrawTextAligned(300, 50, text, 1, 0);
    const Box aligned = Bounds(hl::RecordedQuads().front());
    EXPECT_FLOAT_EQ(aligned.left, direct.left);
}

TEST_F(DrawHelpers, ColourIsClampedAndTruncatedAlphaOnlyWhenGiven) {
    platform::SetAlpha(0.25f);
    SetColorAlpha(300, -4, 50.5f);
    int r, g, b;
    platform::GetColor(r, g, b);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, 0);
    EXPECT_EQ(b, 50);
    EXPECT_FLOAT_EQ(platform::GetAlpha(), 0.25f);
    SetColorAlpha(10.9f, 20, 30, 1.5f);
    platform::GetColor(r, g, b);
    EXPECT_EQ(r, 10);
    EXPECT_FLOAT_EQ(platform::GetAlpha(), 1.0f);
    SetColorAlpha(0, 0, 0, -0.5f);
    EXPECT_FLOAT_EQ(platform::GetAlpha(), 0.0f);
    SetColorAlpha(0, 0, 0, 0.6f);
    EXPECT_FLOAT_EQ(platform::GetAlpha(), 0.6f);
    SetColorAlpha(std::nanf(""), 1, 2);
    platform::GetColor(r, g, b);
    EXPECT_EQ(r, 0);
}

TEST_F(DrawHelpers, ScaleRotationBlendAndReset) {
    float sx, sy;
    ScaleTo(1.5f);
    platform::GetScale(sx, sy);
    EXPECT_FLOAT_EQ(sx, 1.5f);
    EXPECT_FLOAT_EQ(sy, 1.5f);
    ScaleTo(2, 3);
    platform::GetScale(sx, sy);
    EXPECT_FLOAT_EQ(sy, 3.0f);
    RotateTo(30);
    EXPECT_FLOAT_EQ(platform::GetRotation(), 30.0f);

    const int modes[4] = {platform::BlendSolid, platform::BlendAlpha, platform::BlendShade,
                          platform::BlendLight};
    for (int kind = 0; kind < 4; ++kind) {
        UseBlend(kind);
        EXPECT_EQ(platform::GetBlend(), modes[kind]);
    }
    UseBlend(7);
    EXPECT_EQ(platform::GetBlend(), platform::BlendLight);
    UseBlend(-1);
    EXPECT_EQ(platform::GetBlend(), platform::BlendLight);

    platform::SetColor(1, 2, 3);
    platform::SetAlpha(0.1f);
    ResetDrawState();
    platform::GetScale(sx, sy);
    int r, g, b;
    platform::GetColor(r, g, b);
    EXPECT_EQ(sx, 1.0f);
    EXPECT_EQ(sy, 1.0f);
    EXPECT_EQ(platform::GetRotation(), 0.0f);
    EXPECT_EQ(r + g + b, 3 * 255);
    EXPECT_EQ(platform::GetAlpha(), 1.0f);
    EXPECT_EQ(platform::GetBlend(), platform::BlendAlpha);
}

TEST_F(DrawHelpers, SpritePlacedByItsTopLeftCornerAtTheCurrentScale) {
    DrawSprite(image, 100, 50, 0, MainSprites);
    ASSERT_EQ(QuadCount(), 1u);
    Box box = Bounds(hl::RecordedQuads()[0]);
    EXPECT_FLOAT_EQ(box.left, 100);
    EXPECT_FLOAT_EQ(box.top, 50);
    EXPECT_FLOAT_EQ(box.right, 132);
    EXPECT_FLOAT_EQ(box.bottom, 66);
    ScaleTo(2, 3);
    DrawSprite(image, 100, 50, 0, ParticleSprites);
    box = Bounds(hl::RecordedQuads()[1]);
    EXPECT_FLOAT_EQ(box.left, 100);
    EXPECT_FLOAT_EQ(box.top, 50);
    EXPECT_FLOAT_EQ(box.right, 164);
    EXPECT_FLOAT_EQ(box.bottom, 98);
    EXPECT_EQ(SpriteCounts[1], 1);
    EXPECT_EQ(SpriteCounts[3], 1);
}

TEST_F(DrawHelpers, BudgetSkipsOverTheLimitUntilTheNextFrame) {
    SpriteLimits[1] = 1000;
    for (int i = 0; i < 1001; ++i) DrawSprite(image, i % 700, 10, 0, MainSprites);
    EXPECT_EQ(QuadCount(), 1000u);
    EXPECT_EQ(SpriteCounts[1], 1000);
    // Other categories have their own budgets.
    DrawSprite(image, 0, 0, 0, ParticleSprites);
    EXPECT_EQ(QuadCount(), 1001u);
    BeginFrame(1);
    EXPECT_EQ(hl::RecordedClears().size(), 1u);
    EXPECT_EQ(SpriteCounts[1], 0);
    EXPECT_EQ(SpriteCounts[3], 0);
    DrawSprite(image, 0, 0, 0, MainSprites);
    EXPECT_EQ(QuadCount(), 1002u);
    // BeginFrame(0) resets the counts without clearing; entries above 10 are not frame counts.
    SpriteCounts[11] = 7;
    BeginFrame(0);
    EXPECT_EQ(hl::RecordedClears().size(), 1u);
    EXPECT_EQ(SpriteCounts[1], 0);
    EXPECT_EQ(SpriteCounts[11], 7);
    // A category outside the table draws nothing instead of writing past it.
    DrawSprite(image, 0, 0, 0, SpriteCategories);
    DrawSprite(image, 0, 0, 0, -1);
    EXPECT_EQ(QuadCount(), 1002u);
}

TEST_F(DrawHelpers, SlowSystemModeDrawsSpritesOnEveryOtherFrameOnly) {
    Settings[7] = 1;
    const platform::Image glow = platform::CreateImage(8, 8);
    int drawn_frames = 0;
    for (int frame = 0; frame < 6; ++frame) {
        FrameParity = frame % 2;
        BeginFrame(1);
        const std::size_t before = QuadCount();
        DrawSprite(image, 0, 0, 0, MainSprites);
        DrawGlowSprite(image, 0, 0, 0, glow, 1.1f, 0.5f);
        const std::size_t sprites = QuadCount() - before;
        EXPECT_EQ(sprites, FrameParity == 0 ? 3u : 0u) << frame;
        EXPECT_EQ(SpriteCounts[1], FrameParity == 0 ? 2 : 0);
        drawn_frames += sprites > 0 ? 1 : 0;
        // Direct drawing ignores the mode.
        platform::DrawRect(0, 0, 5, 5);
        DrawTextAligned(0, 0, "x", 0, 0);
        EXPECT_GE(QuadCount() - before - sprites, 2u);
    }
    EXPECT_EQ(drawn_frames, 3);
    Settings[7] = 0;
    FrameParity = 1;
    const std::size_t before = QuadCount();
    DrawSprite(image, 0, 0, 0, MainSprites);
    EXPECT_EQ(QuadCount(), before + 1);
}

TEST_F(DrawHelpers, GlowDrawsTheGlowImageAdditivelyAndRestoresTheState) {
    const platform::Image glow = platform::CreateImage(64, 64);
    platform::MidHandleImage(glow);
    ScaleTo(2);
    platform::SetAlpha(0.8f);
    UseBlend(1);
    DrawGlowSprite(image, 100, 50, 0, glow, 1.5f, 0.5f);
    ASSERT_EQ(QuadCount(), 2u);
    const hl::RecordedQuad& base = hl::RecordedQuads()[0];
    const hl::RecordedQuad& light = hl::RecordedQuads()[1];
    EXPECT_EQ(base.texture, image->texture);
    EXPECT_EQ(light.texture, glow->texture);
    EXPECT_NE(image->texture, glow->texture);
    EXPECT_EQ(base.blend, platform::BlendAlpha);
    EXPECT_EQ(light.blend, platform::BlendLight);
    EXPECT_EQ(base.corners[0].a, 204);
    EXPECT_NEAR(light.corners[0].a, 102, 1);
    // Both centred on the base image's centre; the glow at 1.5 times the base scale.
    const Box b = Bounds(base), g = Bounds(light);
    EXPECT_FLOAT_EQ(b.left, 100);
    EXPECT_FLOAT_EQ((b.left + b.right) / 2, (g.left + g.right) / 2);
    EXPECT_FLOAT_EQ((b.top + b.bottom) / 2, (g.top + g.bottom) / 2);
    EXPECT_FLOAT_EQ(g.right - g.left, 64 * 3.0f);
    EXPECT_EQ(SpriteCounts[1], 1);
    EXPECT_EQ(SpriteCounts[2], 1);
    float sx, sy;
    platform::GetScale(sx, sy);
    EXPECT_FLOAT_EQ(sx, 2.0f);
    EXPECT_FLOAT_EQ(sy, 2.0f);
    EXPECT_FLOAT_EQ(platform::GetAlpha(), 0.8f);
    EXPECT_EQ(platform::GetBlend(), platform::BlendAlpha);
}

TEST_F(DrawHelpers, GlowWithoutGlowImageUsesTheBaseAndHasItsOwnBudget) {
    SpriteLimits[2] = 1;
    DrawGlowSprite(image, 0, 0, 0, nullptr, 1.1f, 1.0f);
    ASSERT_EQ(QuadCount(), 2u);
    EXPECT_EQ(hl::RecordedQuads()[1].texture, image->texture);
    // Out of glow budget the base is still drawn.
    DrawGlowSprite(image, 0, 0, 0, nullptr, 1.1f, 1.0f);
    ASSERT_EQ(QuadCount(), 3u);
    EXPECT_EQ(hl::RecordedQuads()[2].blend, hl::RecordedQuads()[0].blend);
    EXPECT_NE(hl::RecordedQuads()[2].blend, platform::BlendLight);
    EXPECT_EQ(SpriteCounts[1], 2);
    EXPECT_EQ(SpriteCounts[2], 1);
    // Slow-system off-frames leave even the state untouched.
    Settings[7] = 1;
    FrameParity = 1;
    UseBlend(2);
    DrawGlowSprite(image, 0, 0, 0, nullptr, 1.1f, 1.0f);
    EXPECT_EQ(QuadCount(), 3u);
    EXPECT_EQ(platform::GetBlend(), platform::BlendShade);
}

TEST_F(DrawHelpers, PointerInExcludesTheEdges) {
    const struct {
        int x, y;
        bool inside;
    } cases[] = {{0, 5, false},  {10, 5, false}, {5, 5, true}, {5, 0, false},
                 {5, 10, false}, {1, 1, true},   {9, 9, true}, {-5, 5, false}};
    for (const auto& c : cases) {
        PointerX = c.x;
        PointerY = c.y;
        EXPECT_EQ(PointerIn(0, 0, 10, 10), c.inside) << c.x << "," << c.y;
    }
}

TEST_F(DrawHelpers, ClampLimitsHighThenLow) {
    EXPECT_EQ(ClampFloat(5, 0, 10), 5.0f);
    EXPECT_EQ(ClampFloat(-1, 0, 10), 0.0f);
    EXPECT_EQ(ClampFloat(11, 0, 10), 10.0f);
    // With the limits crossed the lower one wins, because it is applied last.
    EXPECT_EQ(ClampFloat(5, 10, 0), 10.0f);
}

TEST_F(DrawHelpers, StripedBackgroundDrawsDeepeningRotatedBands) {
    VirtualWidth = 1280;
    VirtualHeight = 960;
    platform::SetAlpha(0.5f);
    DrawStripedBackground();
    const auto& quads = hl::RecordedQuads();
    ASSERT_EQ(quads.size(), 97u);
    EXPECT_EQ(quads.front().corners[0].b, 50);
    EXPECT_EQ(quads[1].corners[0].b, 51);
    EXPECT_EQ(quads[2].corners[0].b, 51);
    EXPECT_EQ(quads.back().corners[0].b, 98);
    EXPECT_EQ(quads.front().corners[0].r, 0);
    // Each band runs up and to the right: its far end lies higher than its start.
    const platform::Vertex* c = quads[10].corners;
    const float xs[4] = {c[0].x, c[1].x, c[2].x, c[3].x};
    const int right = static_cast<int>(std::max_element(xs, xs + 4) - xs);
    const int left = static_cast<int>(std::min_element(xs, xs + 4) - xs);
    EXPECT_LT(c[right].y, c[left].y);
    float sx, sy;
    platform::GetScale(sx, sy);
    EXPECT_EQ(platform::GetRotation(), 0.0f);
    EXPECT_EQ(platform::GetAlpha(), 1.0f);
    VirtualWidth = VirtualHeight = 0;
}

}  // namespace
