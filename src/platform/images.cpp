// Images: loading pictures (PNG, JPEG, BMP, TGA through SDL2_image), cutting animation cells,
// the mask colour, handles, blank dynamic images and grabbing the back buffer into a frame.
// All frames of an image live in one texture, uploaded lazily for the open display.
#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/draw.h"
#include "platform/internal.h"
#include "platform/video_sink.h"

namespace platform {
namespace {

bool auto_mid_handle = false;

// Frames sit in a grid inside the texture. With more than one frame each cell has a one-pixel
// border copied from its edge, so bilinear sampling never picks up a neighbouring frame.
constexpr int kMaxTextureSide = 4096;

struct Layout {
    int columns = 1;
    int border = 0;
    int cell_w = 0, cell_h = 0;  // frame plus borders
    int texture_w = 0, texture_h = 0;
};

Layout LayoutOf(const ImageData& image) {
    Layout layout;
    layout.border = image.frame_count > 1 ? 1 : 0;
    layout.cell_w = image.width + 2 * layout.border;
    layout.cell_h = image.height + 2 * layout.border;
    layout.columns =
        std::clamp(kMaxTextureSide / std::max(layout.cell_w, 1), 1, std::max(image.frame_count, 1));
    const int rows = (image.frame_count + layout.columns - 1) / layout.columns;
    layout.texture_w = layout.columns * layout.cell_w;
    layout.texture_h = rows * layout.cell_h;
    return layout;
}

std::size_t FrameBytes(const ImageData& image) {
    return static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 4;
}

// One cell (the frame and its border) as a block of cell_w x cell_h pixels.
void CopyCell(const ImageData& image, const Layout& layout, int frame, std::uint8_t* out, int out_stride) {
    const std::uint8_t* source = image.pixels.data() + FrameBytes(image) * static_cast<std::size_t>(frame);
    for (int y = 0; y < layout.cell_h; ++y) {
        const int sy = std::clamp(y - layout.border, 0, image.height - 1);
        std::uint8_t* row = out + static_cast<std::size_t>(y) * static_cast<std::size_t>(out_stride);
        for (int x = 0; x < layout.cell_w; ++x) {
            const int sx = std::clamp(x - layout.border, 0, image.width - 1);
            std::memcpy(row + x * 4, source + (static_cast<std::size_t>(sy) * image.width + sx) * 4, 4);
        }
    }
}

void CellOrigin(const Layout& layout, int frame, int& x, int& y) {
    x = (frame % layout.columns) * layout.cell_w;
    y = (frame / layout.columns) * layout.cell_h;
}

void Upload(ImageData& image, VideoSink& sink) {
    // The pixels are public; a caller that left them short gets transparent frames, not a crash.
    image.pixels.resize(FrameBytes(image) * static_cast<std::size_t>(image.frame_count), 0);
    const Layout layout = LayoutOf(image);
    std::vector<std::uint8_t> texels(static_cast<std::size_t>(layout.texture_w) * layout.texture_h * 4);
    for (int frame = 0; frame < image.frame_count; ++frame) {
        int x, y;
        CellOrigin(layout, frame, x, y);
        CopyCell(image, layout, frame,
                 texels.data() + (static_cast<std::size_t>(y) * layout.texture_w + x) * 4,
                 layout.texture_w * 4);
    }
    const bool filtered = (image.flags & (FilteredImage | MipmappedImage)) != 0;
    image.texture = sink.CreateTexture(layout.texture_w, layout.texture_h, texels.data(), filtered);
    image.sink_generation = detail::SinkGeneration();
}

void ApplyMask(const ImageData& image, std::uint8_t* rgba, std::size_t pixel_count) {
    if (!(image.flags & MaskedImage)) return;
    for (std::size_t i = 0; i < pixel_count; ++i) {
        std::uint8_t* p = rgba + i * 4;
        if (p[0] == image.mask_r && p[1] == image.mask_g && p[2] == image.mask_b) p[3] = 0;
    }
}

int ResolveFlags(int flags) {
    return flags == -1 ? (MaskedImage | FilteredImage) : flags;
}

Image MakeImage(int width, int height, int frames, int flags) {
    auto image = std::make_shared<ImageData>();
    image->width = width;
    image->height = height;
    image->frame_count = frames;
    image->flags = flags;
    if (auto_mid_handle) {
        image->handle_x = static_cast<float>(width) * 0.5f;
        image->handle_y = static_cast<float>(height) * 0.5f;
    }
    image->pixels.assign(FrameBytes(*image) * static_cast<std::size_t>(frames), 0);
    return image;
}

// A whole picture as RGBA8 pixels, rows top first.
struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
};

// The largest picture accepted: no side beyond 16384 pixels and no more pixels than the largest
// texture holds. A damaged header can claim 65535 x 65535 pixels in a few bytes, and the decoders
// allocate all of it (16 GB) before they find the pixels missing.
constexpr long long kMaxPictureSide = 16384;
constexpr long long kMaxPicturePixels = static_cast<long long>(kMaxTextureSide) * kMaxTextureSide;

long long Little16(const std::uint8_t* p) {
    return p[0] | p[1] << 8;
}
long long Big16(const std::uint8_t* p) {
    return p[0] << 8 | p[1];
}
long long Little32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16) |
                                     static_cast<std::uint32_t>(p[3]) << 24);
}
long long Big32(const std::uint8_t* p) {
    return static_cast<long long>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// The width and height of the first frame header of a JPEG file; false when there is none.
bool JpegSize(const std::vector<std::uint8_t>& b, long long& w, long long& h) {
    std::size_t at = 2;
    while (at + 4 <= b.size() && b[at] == 0xFF) {
        const int marker = b[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9)) {  // markers without a length
            at += 2;
            continue;
        }
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && at + 9 <= b.size()) {
            h = Big16(&b[at + 5]);
            w = Big16(&b[at + 7]);
            return true;
        }
        at += 2 + static_cast<std::size_t>(Big16(&b[at + 2]));
    }
    return false;
}

// The size the file's header declares, for the formats whose decoders trust it (PNG, BMP, JPEG,
// and TGA, which is only tried for files named so); false when it cannot tell.
bool DeclaredSize(const std::vector<std::uint8_t>& b, bool tga_name, long long& w, long long& h) {
    static const std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (b.size() >= 24 && std::memcmp(b.data(), kPng, 8) == 0) {
        w = Big32(&b[16]), h = Big32(&b[20]);
        return true;
    }
    if (b.size() >= 26 && b[0] == 'B' && b[1] == 'M') {
        if (Little32(&b[14]) == 12) {  // the old OS/2 header: 16-bit sizes
            w = Little16(&b[18]), h = Little16(&b[20]);
        } else {
            w = std::llabs(Little32(&b[18])), h = std::llabs(Little32(&b[22]));  // negative: top-down
        }
        return true;
    }
    if (b.size() >= 4 && b[0] == 0xFF && b[1] == 0xD8) return JpegSize(b, w, h);
    if (tga_name && b.size() >= 18) {
        w = Little16(&b[12]), h = Little16(&b[14]);
        return true;
    }
    return false;
}

bool EndsWithTga(const std::string& path) {
    if (path.size() < 4) return false;
    std::string ending = path.substr(path.size() - 4);
    for (char& c : ending) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ending == ".tga";
}

// The whole file; false when it cannot be read (missing, a folder, a read error).
bool ReadBytes(const std::string& path, std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    std::uint8_t chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed;
}

bool ReadPicture(const std::string& path, Picture& picture) {
    std::vector<std::uint8_t> bytes;
    if (!ReadBytes(path, bytes) || bytes.empty() || bytes.size() > 0x7fffffffu) return false;
    const bool tga_name = EndsWithTga(path);
    long long w = 0, h = 0;
    if (DeclaredSize(bytes, tga_name, w, h) &&
        (w > kMaxPictureSide || h > kMaxPictureSide || w * h > kMaxPicturePixels))
        return false;
    // Decoded from memory; the file's name still picks TGA, which has no signature of its own.
    const std::size_t dot = path.find_last_of("./");
    const std::string type = dot != std::string::npos && path[dot] == '.' ? path.substr(dot + 1) : "";
    SDL_Surface* loaded = IMG_LoadTyped_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())),
                                           1, type.empty() ? nullptr : type.c_str());
    if (!loaded) return false;
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(loaded);
    if (!converted) return false;
    // A damaged header can describe a picture with no pixels; there is nothing to copy then.
    if (converted->w <= 0 || converted->h <= 0) {
        SDL_FreeSurface(converted);
        return false;
    }
    picture.width = converted->w;
    picture.height = converted->h;
    picture.rgba.resize(static_cast<std::size_t>(picture.width) * picture.height * 4);
    SDL_LockSurface(converted);
    for (int y = 0; y < picture.height; ++y) {
        std::memcpy(picture.rgba.data() + static_cast<std::size_t>(y) * picture.width * 4,
                    static_cast<const std::uint8_t*>(converted->pixels) +
                        static_cast<std::size_t>(y) * converted->pitch,
                    static_cast<std::size_t>(picture.width) * 4);
    }
    SDL_UnlockSurface(converted);
    SDL_FreeSurface(converted);
    return true;
}

}  // namespace

ImageData::~ImageData() {
    VideoSink* sink = detail::OpenSink();
    if (sink && texture != 0 && sink_generation == detail::SinkGeneration()) sink->DestroyTexture(texture);
    detail::NoteObjectReleased();
}

namespace detail {

std::uint32_t PrepareImage(ImageData& image, int frame, TexRect& uv) {
    VideoSink* sink = OpenSink();
    if (!sink) return 0;
    if (image.texture == 0 || image.sink_generation != SinkGeneration()) Upload(image, *sink);
    if (image.frame_count == 1) {  // the common case: the texture is the frame
        uv = {0, 0, 1, 1};
        return image.texture;
    }
    const Layout layout = LayoutOf(image);
    int x, y;
    CellOrigin(layout, frame, x, y);
    const float tw = static_cast<float>(layout.texture_w), th = static_cast<float>(layout.texture_h);
    uv.u0 = static_cast<float>(x + layout.border) / tw;
    uv.v0 = static_cast<float>(y + layout.border) / th;
    uv.u1 = static_cast<float>(x + layout.border + image.width) / tw;
    uv.v1 = static_cast<float>(y + layout.border + image.height) / th;
    return image.texture;
}

}  // namespace detail

Image LoadAnimImage(const std::string& path, int cell_w, int cell_h, int first, int count, int flags) {
    if (cell_w <= 0 || cell_h <= 0 || first < 0 || count <= 0) return nullptr;
    Picture picture;
    if (!ReadPicture(path, picture)) return nullptr;
    const int per_row = picture.width / cell_w;
    const int rows = picture.height / cell_h;
    if (static_cast<long long>(first) + count > static_cast<long long>(per_row) * rows) return nullptr;
    Image image = MakeImage(cell_w, cell_h, count, ResolveFlags(flags));
    for (int frame = 0; frame < count; ++frame) {
        const int cell = first + frame;
        const int left = (cell % per_row) * cell_w, top = (cell / per_row) * cell_h;
        std::uint8_t* out = image->pixels.data() + FrameBytes(*image) * static_cast<std::size_t>(frame);
        for (int y = 0; y < cell_h; ++y) {
            std::memcpy(out + static_cast<std::size_t>(y) * cell_w * 4,
                        picture.rgba.data() + (static_cast<std::size_t>(top + y) * picture.width + left) * 4,
                        static_cast<std::size_t>(cell_w) * 4);
        }
    }
    ApplyMask(*image, image->pixels.data(), image->pixels.size() / 4);
    return image;
}

Image LoadImage(const std::string& path, int flags) {
    Picture picture;
    if (!ReadPicture(path, picture)) return nullptr;
    Image image = MakeImage(picture.width, picture.height, 1, ResolveFlags(flags));
    image->pixels = std::move(picture.rgba);
    ApplyMask(*image, image->pixels.data(), image->pixels.size() / 4);
    return image;
}

Image CreateImage(int width, int height, int frames, int flags) {
    if (width <= 0 || height <= 0 || frames <= 0) return nullptr;
    return MakeImage(width, height, frames, ResolveFlags(flags) | DynamicImage);
}

void GrabImage(const Image& image, int x, int y, int frame) {
    VideoSink* sink = detail::OpenSink();
    if (!image || !sink || frame < 0 || frame >= image->frame_count) return;
    ImageData& data = *image;
    std::vector<std::uint8_t> grabbed(FrameBytes(data));
    if (!sink->ReadPixels(x, y, data.width, data.height, grabbed.data())) return;
    ApplyMask(data, grabbed.data(), grabbed.size() / 4);
    data.pixels.resize(FrameBytes(data) * static_cast<std::size_t>(data.frame_count), 0);
    std::memcpy(data.pixels.data() + FrameBytes(data) * static_cast<std::size_t>(frame), grabbed.data(),
                grabbed.size());
    // A texture of this display is patched in place; otherwise the next draw uploads everything.
    if (data.texture == 0 || data.sink_generation != detail::SinkGeneration()) return;
    const Layout layout = LayoutOf(data);
    std::vector<std::uint8_t> cell(static_cast<std::size_t>(layout.cell_w) * layout.cell_h * 4);
    CopyCell(data, layout, frame, cell.data(), layout.cell_w * 4);
    int cx, cy;
    CellOrigin(layout, frame, cx, cy);
    sink->UpdateTexture(data.texture, cx, cy, layout.cell_w, layout.cell_h, cell.data());
}

void SetImageHandle(const Image& image, float hx, float hy) {
    if (!image) return;
    image->handle_x = hx;
    image->handle_y = hy;
}

void MidHandleImage(const Image& image) {
    if (!image) return;
    SetImageHandle(image, static_cast<float>(image->width) * 0.5f, static_cast<float>(image->height) * 0.5f);
}

void AutoMidHandle(bool on) {
    auto_mid_handle = on;
}

}  // namespace platform
