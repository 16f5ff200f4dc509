// Drawing helpers every screen uses on top of the platform's global drawing state: aligned text,
// colour with optional alpha, scale, named blend kinds, a reset, the frame start, the pointer
// test, the striped background and the budgeted sprite draws that keep slow machines at speed.
#pragma once

#include <optional>
#include <string>

#include "platform/draw.h"

namespace framework {

// Size of the sprite tables; categories 1 to 10 are counted per frame.
inline constexpr int SpriteCategories = 20;
// Budget categories of DrawSprite.
inline constexpr int MainSprites = 1, GlowSprites = 2, ParticleSprites = 3;

// Budgeted draws made in the current frame per category; entries 1 to 10 are zeroed by BeginFrame.
extern int SpriteCounts[SpriteCategories];
// Per-frame ceiling per category, measured by the engine test.
extern int SpriteLimits[SpriteCategories];

// Clears the back buffer when clear is 1, then zeroes SpriteCounts entries 1 to 10.
void BeginFrame(int clear);
// Rotation 0, scale 1 x 1, colour white, alpha 1, blend kind 1 (alpha blending).
void ResetDrawState();
// Colour with each channel limited to 0..255 and truncated; the alpha, limited to 0..1, only when
// given (otherwise the current alpha stays).
void SetColorAlpha(float r, float g, float b, std::optional<float> alpha = std::nullopt);
// Scale sx x sy; sy equals sx when omitted.
void ScaleTo(float sx, std::optional<float> sy = std::nullopt);
// Rotation in degrees of every later draw.
void RotateTo(float degrees);
// Blend kind 0 solid, 1 alpha, 2 shade (darken), 3 light (additive); any other kind does nothing.
void UseBlend(int kind);
// Draws text with the current font and state; halign/valign 0 left/top, 1 centred, 2 right/bottom,
// measured with the font's unscaled size.
void DrawTextAligned(int x, int y, const std::string& text, int halign = 0, int valign = 0);
// Draws a frame of a centre-handled image with x, y as its top-left corner at the current scale,
// counted against the category's budget; nothing on undrawn frames or once the budget is spent.
void DrawSprite(const platform::Image& image, int x, int y, int frame, int category);
// DrawSprite in category 1 plus an additive glow (glow_image, or image itself when empty) centred
// on it at glow_scale times the size and glow_alpha times the alpha, budgeted in category 2.
// Scale, alpha and blend are as before afterwards.
void DrawGlowSprite(const platform::Image& image, int x, int y, int frame, const platform::Image& glow_image,
                    float glow_scale, float glow_alpha);
// Whether the pointer recorded by the frame pump lies strictly inside the rectangle.
bool PointerIn(int x, int y, int w, int h);
// The value limited to high from above, then to low from below.
float ClampFloat(float value, float low, float high);
// Milliseconds on the platform clock.
int Now();
// Bands of deepening blue running up and to the right across the virtual screen (title screen,
// loading splash, name entry). Leaves the drawing state reset.
void DrawStripedBackground();

// A font for lines of text at a fixed spacing, and the scale to draw it at.
struct LineFont {
    platform::Font font;
    float scale = 1.0f;
};
// The fonts grow on small displays, but text laid out in lines keeps its spacing in virtual
// pixels. Returns the font of the slot when it leaves a pixel between lines, else the tallest
// of the framework's fonts of the same face that does (rendered at its size, so thin strokes
// survive), else the slot's font with the scale that fits it.
LineFont FontForLines(int slot, int spacing);

// Zeroes SpriteCounts and SpriteLimits (start-up state).
void ResetDrawHelpers();

}  // namespace framework
