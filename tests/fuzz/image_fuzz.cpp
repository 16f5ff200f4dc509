// Picture loading on arbitrary bytes (PNG, JPEG and BMP by their signatures, anything else as
// TGA): no crash, no leak, and a picture that loads has the size its pixels fill; the same
// picture cut into animation cells gives all of them.
#include <algorithm>
#include <bit>
#include <cstdint>

#include "fuzz_support.h"
#include "platform/draw.h"
#include "platform/headless/headless.h"

namespace {

// The picture libraries are not instrumented, so the fuzzer cannot see which of their paths an
// input took. These counters give it a coarse view instead: the format by its first bytes,
// whether the picture loaded, and the order of magnitude of its width and height.
__attribute__((used, section("__libfuzzer_extra_counters"))) std::uint8_t outcome_counters[4 * 2 * 16 * 16];

int FormatOf(const std::uint8_t* data, std::size_t size) {
    if (size >= 2 && data[0] == 0x89 && data[1] == 'P') return 0;
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8) return 1;
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') return 2;
    return 3;
}

void CountOutcome(int format, bool loaded, int width, int height) {
    const auto magnitude = [](int side) {
        return std::min(static_cast<int>(std::bit_width(static_cast<unsigned>(side))), 15);
    };
    const int index = ((format * 2 + (loaded ? 1 : 0)) * 16 + magnitude(width)) * 16 + magnitude(height);
    ++outcome_counters[index];
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    platform::headless::UseHeadlessBackends();
    fuzz::EnterScratchFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The loader picks TGA only by the file name; the other formats are found by their bytes.
    fuzz::WriteInput("picture.tga", data, size);
    const platform::Image image = platform::LoadImage("picture.tga", platform::MaskedImage);
    CountOutcome(FormatOf(data, size), image != nullptr, image ? image->width : 0, image ? image->height : 0);
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
