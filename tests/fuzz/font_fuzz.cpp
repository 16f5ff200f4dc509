// Font loading on arbitrary bytes: no crash, no leak, and a face that loads was rendered at a
// height between 1 and the one asked for.
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
    if (size < 1) return 0;
    // The first byte picks the height (1 to 48) and the style bits; the rest is the font file.
    const int height = 1 + data[0] % 48;
    const int style = data[0] >> 5 & 7;
    fuzz::WriteInput("face.ttf", data + 1, size - 1);
    const platform::Font font = platform::LoadImageFont("face.ttf", height, style);
    if (font)
        fuzz::Require(platform::FontHeight(font) >= 1 && platform::FontHeight(font) <= height,
                      "height in range");
    return 0;
}
