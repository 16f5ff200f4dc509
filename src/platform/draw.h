// Display, global drawing state, images, fonts and back-buffer read-back.
//
// All drawing is immediate-mode through one global drawing state. Draw calls are turned into
// textured quads in virtual coordinates and handed to the open video sink (OpenGL batcher,
// SDL_Renderer or the headless recorder), which batches them until a texture, blend or viewport
// change, a present or a read-back.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Blend modes, the values passed to SetBlend.
enum BlendMode : int {
    BlendMask = 1,   // no blending; a pixel is written only where its alpha is at least 0.5
    BlendSolid = 2,  // no blending, no alpha test
    BlendAlpha = 3,  // src * src_alpha + dst * (1 - src_alpha)
    BlendLight = 4,  // src * src_alpha + dst (additive)
    BlendShade = 5,  // src * dst (multiplicative)
};

// Image flag bits. -1 passed as flags means MaskedImage | FilteredImage.
enum ImageFlag : int {
    MaskedImage = 1,     // pixels equal to the mask colour become transparent when loaded
    FilteredImage = 2,   // bilinear sampling; without it nearest-pixel sampling
    MipmappedImage = 4,  // mipmaps (treated as filtered)
    DynamicImage = 8,    // contents may be replaced after creation (GrabImage)
};

// Renderer settings accepted by SetGraphicsDriver.
enum Renderer : int {
    RendererOpenGL = 0,       // the OpenGL 3.3 batcher
    RendererAccelerated = 1,  // SDL_Renderer, accelerated
    RendererSoftware = 2,     // SDL_Renderer, software
};

struct ImageData;
struct FontData;
// An image handle; empty when loading failed. Drawing an empty handle draws nothing.
using Image = std::shared_ptr<ImageData>;
// A font handle; empty when loading failed. An empty font selects the built-in default.
using Font = std::shared_ptr<FontData>;

// An ordered set of equally sized frames. Other code reads the public fields directly.
struct ImageData {
    int width = 0;   // width of one frame in pixels
    int height = 0;  // height of one frame in pixels
    int flags = 0;
    int frame_count = 0;
    float handle_x = 0, handle_y = 0;  // drawing origin in image pixels
    int mask_r = 0, mask_g = 0, mask_b = 0;
    // Pixels of every frame (RGBA8, rows top first, frames one after another), kept so the image
    // can be re-uploaded when a new display opens.
    std::vector<std::uint8_t> pixels;
    // Back-end texture: the sink generation it was made for and its id there (0 for none).
    unsigned sink_generation = 0;
    std::uint32_t texture = 0;
    ~ImageData();
};

// A copy of back-buffer pixels, RGBA8, rows top first. Empty (width 0) when grabbing failed.
struct Pixmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

struct DisplayMode {
    int width = 0, height = 0, depth = 0, hertz = 0;
};

// ---- Display -------------------------------------------------------------------------------------

// Selects the renderer used by the next Graphics call. Returns false (and keeps the previous
// choice) when the renderer cannot be offered on this machine.
bool SetGraphicsDriver(int renderer, int flags = 2);
// The renderer the next Graphics call will use.
int GraphicsDriver();
// Whether the renderer can open a display here (checked once and remembered).
bool GraphicsDriverExists(int renderer);
// Fullscreen modes of the selected renderer, in the platform's order.
int CountGraphicsModes();
// Mode number index (0-based); false when index is out of range.
bool GetGraphicsMode(int index, int& width, int& height, int& depth, int& hertz);
// Whether a fullscreen mode matches; 0 in an argument matches any value.
bool GraphicsModeExists(int width, int height, int depth, int hertz);
// Opens the display: depth 0 opens a window of that client size, otherwise fullscreen at that
// depth. hertz 0 disables the pacing of Flip(-1). Returns false when the mode cannot be set.
bool Graphics(int width, int height, int depth, int hertz, int flags = 0);
// Closes the display; images made for it are re-uploaded on their next draw, fonts rebuild
// their glyph atlas on their next draw.
void EndGraphics();
// Whether a display is open.
bool GraphicsOpen();
// Size of the open display in pixels (0 when none).
int GraphicsWidth();
int GraphicsHeight();
// The renderer's own description (GL_RENDERER for OpenGL, the SDL_Renderer driver name...).
std::string GraphicsRendererName();
// From now on drawing coordinates span w x h whatever the window size; MouseX/MouseY report
// the pointer in the same units.
void SetVirtualResolution(float w, float h);
float VirtualResolutionWidth();
float VirtualResolutionHeight();
// Presents the back buffer. 1 waits for the vertical blank, 0 does not, -1 paces as the display
// was opened to do (a window with non-zero hertz paces itself on the clock).
void Flip(int sync);
// Hands what was drawn so far to the renderer, so it can render while the program sleeps before
// the next Flip. Drawing may go on afterwards.
void SubmitDrawing();
// Clears the viewport to the cls colour.
void Cls();
void SetClsColor(int r, int g, int b);
void HideMouse();
void ShowMouse();
// Moves the pointer; x, y in virtual units.
void MoveMouse(int x, int y);

// ---- Drawing state -------------------------------------------------------------------------------

void SetColor(int r, int g, int b);
void GetColor(int& r, int& g, int& b);
void SetAlpha(float alpha);
float GetAlpha();
// Setting the mode that is already current does nothing.
void SetBlend(int mode);
int GetBlend();
void SetRotation(float degrees);
float GetRotation();
void SetScale(float sx, float sy);
void GetScale(float& sx, float& sy);
void SetOrigin(float x, float y);
// Clip rectangle in virtual units.
void SetViewport(int x, int y, int w, int h);
void SetLineWidth(float width);
// Global handle subtracted from rectangles, lines, ovals and text.
void SetHandle(float x, float y);
// An empty font selects the built-in default font.
void SetImageFont(const Font& font);
Font GetImageFont();
// Restores every field of the drawing state to its initial value (used when a display opens).
void ResetDrawingState();

// ---- Drawing -------------------------------------------------------------------------------------

void DrawImage(const Image& image, float x, float y, int frame = 0);
// Draws the frame stretched to w x h (before scale and rotation).
void DrawImageRect(const Image& image, float x, float y, float w, float h, int frame = 0);
void DrawRect(float x, float y, float w, float h);
void DrawLine(float x, float y, float x2, float y2, bool draw_last_pixel = true);
void DrawOval(float x, float y, float w, float h);
void Plot(float x, float y);
void DrawText(const std::string& text, float x, float y);
// Sum of the glyph advances of the current font, rounded.
int TextWidth(const std::string& text);
// Height of the current font.
int TextHeight();

// ---- Images and fonts ----------------------------------------------------------------------------

// PNG, JPEG, BMP or TGA. Empty handle when the file is missing or unreadable.
Image LoadImage(const std::string& path, int flags = -1);
// Cuts the picture into cells of cell_w x cell_h, left to right, top to bottom, starting at cell
// first and taking count cells.
Image LoadAnimImage(const std::string& path, int cell_w, int cell_h, int first, int count, int flags = -1);
// A blank (transparent) image; always dynamic.
Image CreateImage(int width, int height, int frames = 1, int flags = -1);
// Copies width x height back-buffer pixels starting at display pixel x, y into a frame.
void GrabImage(const Image& image, int x, int y, int frame = 0);
void SetImageHandle(const Image& image, float hx, float hy);
void MidHandleImage(const Image& image);
// While on, images loaded or created get the centre of a frame as handle.
void AutoMidHandle(bool on);
// Style bits: 1 bold, 2 italic, 4 smooth (anti-aliased). When the face cannot be set to the
// height, each smaller height down to 1 is tried. Empty handle on failure.
Font LoadImageFont(const std::string& path, int height, int style = 4);
// The pixel height a font was finally rendered at (0 for an empty handle).
int FontHeight(const Font& font);

// A copy of back-buffer pixels in display pixels.
Pixmap GrabPixmap(int x, int y, int w, int h);
// Writes the picture as PNG at zlib level 0..9; false when it could not be written.
bool SavePixmapPNG(const Pixmap& pixmap, const std::string& path, int level);

}  // namespace platform
