// Writing pictures as PNG files with libpng. The file is written under a temporary name and
// renamed into place only when complete, so a failed write never leaves a file that looks whole.
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/draw.h"

namespace platform {
namespace {

// Writes the rows through libpng; false on any libpng error. Kept free of C++ objects with
// destructors because libpng reports errors with longjmp.
bool WriteRows(std::FILE* file, const Pixmap& pixmap, png_bytep* rows, int level) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_compression_level(png, level);
    png_set_IHDR(png, info, static_cast<png_uint_32>(pixmap.width), static_cast<png_uint_32>(pixmap.height),
                 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool SavePixmapPNG(const Pixmap& pixmap, const std::string& path, int level) {
    const std::size_t expected =
        static_cast<std::size_t>(pixmap.width) * static_cast<std::size_t>(pixmap.height) * 4;
    if (pixmap.width <= 0 || pixmap.height <= 0 || pixmap.rgba.size() != expected || path.empty())
        return false;
    if (level < 0 || level > 9) return false;
    std::vector<png_bytep> rows(static_cast<std::size_t>(pixmap.height));
    for (int y = 0; y < pixmap.height; ++y) {
        // libpng only reads the rows; its interface is not const-correct.
        rows[static_cast<std::size_t>(y)] =
            const_cast<png_bytep>(pixmap.rgba.data() + static_cast<std::size_t>(y) * pixmap.width * 4);
    }
    const std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) return false;
    bool ok = WriteRows(file, pixmap, rows.data(), level);
    ok = (std::fflush(file) == 0) && ok;
    ok = (std::fclose(file) == 0) && ok;
    if (ok && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
    std::remove(temporary.c_str());
    return false;
}

}  // namespace platform
