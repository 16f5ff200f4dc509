// Drawing helpers over the platform's drawing state, and the sprite budget.
#include "framework/draw_helpers.h"

#include <algorithm>
#include <cmath>

#include "framework/display_setup.h"
#include "framework/frame_pump.h"
#include "platform/clock.h"

namespace framework {

int SpriteCounts[SpriteCategories];
int SpriteLimits[SpriteCategories];

namespace {

constexpr int kCountedCategories = 10;

// A colour channel limited to 0..255 and truncated toward zero; NaN gives 0.
int ColorChannel(float value) {
    if (std::isnan(value)) return 0;
    return static_cast<int>(ClampFloat(value, 0.0f, 255.0f));
}

bool ValidCategory(int category) {
    return category >= 0 && category < SpriteCategories;
}

// Counts one draw in the category when its budget allows it.
bool TakeBudget(int category) {
    if (SpriteCounts[category] >= SpriteLimits[category]) return false;
    ++SpriteCounts[category];
    return true;
}

// Images are centre-handled: shifting by half the scaled size puts x, y at the top-left corner.
void DrawFromCorner(const platform::Image& image, const platform::Image& size_of, int x, int y, int frame,
                    float sx, float sy) {
    const float w = size_of ? static_cast<float>(size_of->width) : 0.0f;
    const float h = size_of ? static_cast<float>(size_of->height) : 0.0f;
    platform::DrawImage(image, static_cast<float>(x) + w * sx / 2, static_cast<float>(y) + h * sy / 2, frame);
}

}  // namespace

void BeginFrame(int clear) {
    if (clear == 1) platform::Cls();
    std::fill(SpriteCounts + 1, SpriteCounts + 1 + kCountedCategories, 0);
}

void ResetDrawState() {
    platform::SetRotation(0);
    platform::SetScale(1, 1);
    platform::SetColor(255, 255, 255);
    platform::SetAlpha(1);
    UseBlend(1);
}

void SetColorAlpha(float r, float g, float b, std::optional<float> alpha) {
    platform::SetColor(ColorChannel(r), ColorChannel(g), ColorChannel(b));
    if (alpha) platform::SetAlpha(ClampFloat(*alpha, 0.0f, 1.0f));
}

void ScaleTo(float sx, std::optional<float> sy) {
    platform::SetScale(sx, sy.value_or(sx));
}

void RotateTo(float degrees) {
    platform::SetRotation(degrees);
}

void UseBlend(int kind) {
    switch (kind) {
        case 0:
            platform::SetBlend(platform::BlendSolid);
            break;
        case 1:
            platform::SetBlend(platform::BlendAlpha);
            break;
        case 2:
            platform::SetBlend(platform::BlendShade);
            break;
        case 3:
            platform::SetBlend(platform::BlendLight);
            break;
        default:
            break;
    }
}

void DrawTextAligned(int x, int y, const std::string& text, int halign, int valign) {
    if (halign == 1) x -= platform::TextWidth(text) / 2;
    if (halign == 2) x -= platform::TextWidth(text);
    if (valign == 1) y -= platform::TextHeight() / 2;
    if (valign == 2) y -= platform::TextHeight();
    platform::DrawText(text, static_cast<float>(x), static_cast<float>(y));
}

void DrawSprite(const platform::Image& image, int x, int y, int frame, int category) {
    if (!IsDrawnFrame() || !ValidCategory(category)) return;
    float sx = 1, sy = 1;
    platform::GetScale(sx, sy);
    if (TakeBudget(category)) DrawFromCorner(image, image, x, y, frame, sx, sy);
}

void DrawGlowSprite(const platform::Image& image, int x, int y, int frame, const platform::Image& glow_image,
                    float glow_scale, float glow_alpha) {
    if (!IsDrawnFrame()) return;
    float sx = 1, sy = 1;
    platform::GetScale(sx, sy);
    const float alpha = platform::GetAlpha();
    const int blend = platform::GetBlend();
    if (TakeBudget(MainSprites)) DrawFromCorner(image, image, x, y, frame, sx, sy);
    platform::SetScale(sx * glow_scale, sy * glow_scale);
    platform::SetAlpha(alpha * glow_alpha);
    UseBlend(3);
    // The glow sits on the same point as the base, so it is placed with the base's size and scale.
    if (TakeBudget(GlowSprites)) DrawFromCorner(glow_image ? glow_image : image, image, x, y, frame, sx, sy);
    platform::SetScale(sx, sy);
    platform::SetAlpha(alpha);
    platform::SetBlend(blend);
}

bool PointerIn(int x, int y, int w, int h) {
    return x < PointerX && PointerX < x + w && y < PointerY && PointerY < y + h;
}

float ClampFloat(float value, float low, float high) {
    if (value > high) value = high;
    if (value < low) value = low;
    return value;
}

int Now() {
    return platform::MilliSecs();
}

void DrawStripedBackground() {
    ResetDrawState();
    float blue = 50;
    RotateTo(-45);
    for (int i = 0; i <= VirtualHeight; i += 10) {
        blue += 0.5f;
        SetColorAlpha(0, 0, blue);
        platform::DrawRect(-100, static_cast<float>(i * 3), static_cast<float>(VirtualWidth + 1800), 30);
    }
    ResetDrawState();
}

LineFont FontForLines(int slot, int spacing) {
    const int limit = spacing - 1;
    LineFont chosen{FontSlots[slot], 1.0f};
    const int height = platform::FontHeight(chosen.font);
    if (height <= limit) return chosen;
    int best = 0;
    const auto consider = [&](const platform::Font& font) {
        const int h = platform::FontHeight(font);
        if (h > best && h <= limit) {
            best = h;
            chosen.font = font;
        }
    };
    for (int same_face : {1, 2, 3, 4, 8, 9}) consider(FontSlots[same_face]);
    for (int step = 0; step < 9; ++step) consider(SizedFonts[step]);
    if (best == 0) chosen.scale = static_cast<float>(limit) / static_cast<float>(height);
    return chosen;
}

void ResetDrawHelpers() {
    std::fill(std::begin(SpriteCounts), std::end(SpriteCounts), 0);
    std::fill(std::begin(SpriteLimits), std::end(SpriteLimits), 0);
}

}  // namespace framework
