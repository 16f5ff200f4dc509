// Picture loading on arbitrary bytes (PNG, JPEG and BMP by their signatures, anything else as
// TGA): no crash, no leak, and a picture that loads has the size its pixels fill; the same
// picture cut into animation cells gives all of them.
#include <cstdint>

#include "fuzz_support.h"
#include "platform/draw.h"
#include "platform/headless/headless.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    platform::headless::UseHeadlessBackends();
    fuzz::EnterScratchFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The loader picks TGA only by the file name; the other formats are found by their bytes.
    fuzz::WriteInput("picture.tga", data, size);
    const platform::Image image = platform::LoadImage("picture.tga", platform::MaskedImage);
    if (!image) return 0;
    const int width = image->width, height = image->height;
    fuzz::Require(width > 0 && height > 0 && image->frame_count == 1, "a loaded picture has a size");
    fuzz::Require(image->pixels.size() == static_cast<std::size_t>(width) * height * 4,
                  "pixels fill the picture");
    // Cells of a third of each side, all that fit: the same pixels cut into frames.
    const int cell_w = width / 3 > 0 ? width / 3 : 1, cell_h = height / 3 > 0 ? height / 3 : 1;
    const int cells = (width / cell_w) * (height / cell_h);
    const platform::Image frames = platform::LoadAnimImage("picture.tga", cell_w, cell_h, 0, cells, -1);
    fuzz::Require(frames != nullptr && frames->frame_count == cells, "the cells of a loaded picture load");
    fuzz::Require(frames->pixels.size() == static_cast<std::size_t>(cell_w) * cell_h * 4 * cells,
                  "pixels fill every cell");
    return 0;
}
