// Fonts: TrueType faces rendered by FreeType at a pixel height into one glyph atlas per font,
// for the 256 8-bit character codes (text is Latin-1). The atlas is kept in memory and uploaded
// lazily, so a font keeps drawing after the display is closed and opened again. The built-in
// default font is compiled into the executable.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/draw.h"
#include "platform/internal.h"
#include "platform/video_sink.h"

// The default face, embedded at build time from the path the build names.
asm(".pushsection .rodata\n"
    ".balign 16\n"
    ".globl vantor_default_font_begin\n"
    ".hidden vantor_default_font_begin\n"
    "vantor_default_font_begin:\n"
    ".incbin \"" VANTOR_DEFAULT_FONT
    "\"\n"
    ".globl vantor_default_font_end\n"
    ".hidden vantor_default_font_end\n"
    "vantor_default_font_end:\n"
    ".popsection\n");
extern "C" const unsigned char vantor_default_font_begin[];
extern "C" const unsigned char vantor_default_font_end[];

namespace platform {

struct FontData {
    int height = 0;  // the pixel height the face was finally set to
    int style = 0;
    detail::GlyphBox glyphs[256] = {};
    // The atlas: white texels whose alpha is the glyph coverage.
    int atlas_w = 0, atlas_h = 0;
    std::vector<std::uint8_t> atlas;
    bool filtered = true;
    unsigned sink_generation = 0;
    TextureId texture = 0;
    ~FontData();
};

namespace {

constexpr int kStyleBold = 1;
constexpr int kStyleItalic = 2;
constexpr int kStyleSmooth = 4;
constexpr int kDefaultFontHeight = 16;
constexpr int kPadding = 1;  // empty texels around every glyph, so filtering never bleeds

FT_Library Library() {
    static FT_Library library = [] {
        FT_Library made = nullptr;
        if (FT_Init_FreeType(&made) != 0) made = nullptr;
        return made;
    }();
    return library;
}

// One rendered glyph before packing: coverage 0..255, rows top first.
struct Bitmap {
    int width = 0, rows = 0;
    std::vector<std::uint8_t> coverage;
};

Bitmap CopyBitmap(const FT_Bitmap& bitmap) {
    Bitmap out;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && bitmap.pixel_mode != FT_PIXEL_MODE_MONO) return out;
    out.width = static_cast<int>(bitmap.width);
    out.rows = static_cast<int>(bitmap.rows);
    out.coverage.resize(static_cast<std::size_t>(out.width) * out.rows);
    for (int y = 0; y < out.rows; ++y) {
        const unsigned char* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
        for (int x = 0; x < out.width; ++x) {
            const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
            const std::uint8_t value = mono ? ((row[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0) : row[x];
            out.coverage[static_cast<std::size_t>(y) * out.width + x] = value;
        }
    }
    return out;
}

// The baseline below the top of the line: the face's ascent scaled so ascent plus descent fill
// the pixel height, so TextHeight spans the text.
float Baseline(FT_Face face, int height) {
    const int ascent = face->ascender, descent = -face->descender;
    if (FT_IS_SCALABLE(face) && ascent > 0 && ascent + descent > 0) {
        return std::round(static_cast<float>(height) * static_cast<float>(ascent) /
                          static_cast<float>(ascent + descent));
    }
    return static_cast<float>(face->size->metrics.ascender) / 64.0f;
}

// Loads, styles and renders one character; false when the face has nothing usable for it.
bool RenderGlyph(FT_Face face, int code, int height, int style, Bitmap& bitmap, float& left, float& top,
                 float& advance) {
    const bool smooth = (style & kStyleSmooth) != 0;
    const FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(code));
    if (FT_Load_Glyph(face, index, smooth ? FT_LOAD_DEFAULT : FT_LOAD_TARGET_MONO) != 0) return false;
    FT_GlyphSlot slot = face->glyph;
    advance = static_cast<float>(slot->advance.x) / 64.0f;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        if (style & kStyleBold) {
            const FT_Pos strength = std::max<FT_Pos>(32, height * 64 / 24);
            FT_Outline_Embolden(&slot->outline, strength);
            advance += static_cast<float>(strength) / 64.0f;
        }
        if (style & kStyleItalic) {
            FT_Matrix shear{0x10000, 0x3800, 0, 0x10000};  // about 12 degrees of slant
            FT_Outline_Transform(&slot->outline, &shear);
        }
    }
    // A damaged face can describe glyphs thousands of pixels across; rendering them would take
    // seconds and gigabytes for one font. Such a glyph keeps its advance and draws nothing.
    const long limit = 3L * height + 16;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        FT_BBox box;
        FT_Outline_Get_CBox(&slot->outline, &box);
        if ((box.xMax - box.xMin) / 64 > limit || (box.yMax - box.yMin) / 64 > limit) return true;
    }
    if (FT_Render_Glyph(slot, smooth ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) return false;
    const long width = static_cast<long>(slot->bitmap.width), rows = static_cast<long>(slot->bitmap.rows);
    if (width > limit || rows > limit) return true;
    bitmap = CopyBitmap(slot->bitmap);
    left = static_cast<float>(slot->bitmap_left);
    top = static_cast<float>(slot->bitmap_top);
    return true;
}

// Shelf packing of the glyph bitmaps into one atlas, then the glyph boxes' texture coordinates.
void PackAtlas(FontData& font, const std::vector<Bitmap>& bitmaps) {
    long long area = 0;
    int widest = 0;
    for (const Bitmap& b : bitmaps) {
        area += static_cast<long long>(b.width + kPadding * 2) * (b.rows + kPadding * 2);
        widest = std::max(widest, b.width + kPadding * 2);
    }
    int width = 64;
    while (static_cast<long long>(width) * width < area * 5 / 4 || width < widest) width *= 2;
    // First pass places the glyphs, second copies them once the height is known.
    std::vector<std::pair<int, int>> places(bitmaps.size());
    int x = 0, y = 0, shelf = 0;
    for (std::size_t i = 0; i < bitmaps.size(); ++i) {
        const int w = bitmaps[i].width + kPadding * 2, h = bitmaps[i].rows + kPadding * 2;
        if (bitmaps[i].width == 0 || bitmaps[i].rows == 0) continue;
        if (x + w > width) {
            x = 0;
            y += shelf;
            shelf = 0;
        }
        places[i] = {x + kPadding, y + kPadding};
        x += w;
        shelf = std::max(shelf, h);
    }
    font.atlas_w = width;
    font.atlas_h = std::max(y + shelf, 1);
    font.atlas.assign(static_cast<std::size_t>(font.atlas_w) * font.atlas_h * 4, 0);
    for (std::size_t i = 0; i < font.atlas.size(); i += 4)
        font.atlas[i] = font.atlas[i + 1] = font.atlas[i + 2] = 255;
    for (std::size_t i = 0; i < bitmaps.size(); ++i) {
        const Bitmap& b = bitmaps[i];
        if (b.width == 0 || b.rows == 0) continue;
        const auto [px, py] = places[i];
        for (int row = 0; row < b.rows; ++row) {
            for (int col = 0; col < b.width; ++col) {
                font.atlas[(static_cast<std::size_t>(py + row) * font.atlas_w + px + col) * 4 + 3] =
                    b.coverage[static_cast<std::size_t>(row) * b.width + col];
            }
        }
        const float aw = static_cast<float>(font.atlas_w), ah = static_cast<float>(font.atlas_h);
        font.glyphs[i].uv = {px / aw, py / ah, (px + b.width) / aw, (py + b.rows) / ah};
    }
}

// Renders all 256 codes of a face held in memory; empty when the face is unusable.
Font MakeFont(const unsigned char* bytes, std::size_t size, int height, int style) {
    FT_Library library = Library();
    if (!library || size == 0 || height < 1) return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(library, bytes, static_cast<FT_Long>(size), 0, &face) != 0) return nullptr;
    FT_Select_Charmap(face, FT_ENCODING_UNICODE);  // Latin-1 codes are the first 256 code points
    int chosen = height;
    while (chosen >= 1 && FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(chosen)) != 0) --chosen;
    if (chosen < 1) {
        FT_Done_Face(face);
        return nullptr;
    }
    auto font = std::make_shared<FontData>();
    font->height = chosen;
    font->style = style;
    font->filtered = (style & kStyleSmooth) != 0;
    const float baseline = Baseline(face, chosen);
    std::vector<Bitmap> bitmaps(256);
    bool any = false;
    for (int code = 32; code < 256; ++code) {  // control codes draw nothing and do not advance
        float left = 0, top = 0, advance = 0;
        if (!RenderGlyph(face, code, chosen, style, bitmaps[code], left, top, advance)) continue;
        detail::GlyphBox& g = font->glyphs[code];
        g.advance = advance;
        any = any || advance > 0;
        if (bitmaps[code].width == 0 || bitmaps[code].rows == 0) continue;
        g.x0 = left;
        g.y0 = baseline - top;
        g.x1 = left + static_cast<float>(bitmaps[code].width);
        g.y1 = g.y0 + static_cast<float>(bitmaps[code].rows);
    }
    FT_Done_Face(face);
    if (!any) return nullptr;
    PackAtlas(*font, bitmaps);
    return font;
}

// The whole file; false when it cannot be read (missing, a folder, a read error) or is empty.
bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    unsigned char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed && !bytes.empty();
}

}  // namespace

FontData::~FontData() {
    VideoSink* sink = detail::OpenSink();
    if (sink && texture != 0 && sink_generation == detail::SinkGeneration()) sink->DestroyTexture(texture);
    detail::NoteObjectReleased();
}

namespace detail {

const GlyphBox* FontGlyphs(const FontData& font) {
    return font.glyphs;
}

std::uint32_t PrepareFont(FontData& font) {
    VideoSink* sink = OpenSink();
    if (!sink) return 0;
    if (font.texture == 0 || font.sink_generation != SinkGeneration()) {
        font.texture = sink->CreateTexture(font.atlas_w, font.atlas_h, font.atlas.data(), font.filtered);
        font.sink_generation = SinkGeneration();
    }
    return font.texture;
}

const std::shared_ptr<FontData>& DefaultFont() {
    static const Font font =
        MakeFont(vantor_default_font_begin,
                 static_cast<std::size_t>(vantor_default_font_end - vantor_default_font_begin),
                 kDefaultFontHeight, kStyleSmooth);
    return font;
}

}  // namespace detail

Font LoadImageFont(const std::string& path, int height, int style) {
    // FreeType reads the face from this buffer only while the glyphs are rendered.
    std::vector<unsigned char> bytes;
    if (!ReadWholeFile(path, bytes)) return nullptr;
    return MakeFont(bytes.data(), bytes.size(), height, style);
}

int FontHeight(const Font& font) {
    return font ? font->height : 0;
}

}  // namespace platform
