// The WAV reader on arbitrary bytes: no crash, no read past the bytes, and a sample that decodes
// is mono or stereo at a usable rate with whole frames.
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "platform/sound_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so reading one byte past the input is caught.
    const std::vector<std::uint8_t> bytes(data, data + size);
    const platform::Sound sound = platform::detail::DecodeWav(bytes);
    if (!sound) return 0;
    fuzz::Require(sound->channels == 1 || sound->channels == 2, "mono or stereo");
    fuzz::Require(sound->rate > 0, "a rate");
    fuzz::Require(sound->Frames() > 0 && sound->samples.size() % sound->channels == 0, "whole frames");
    // Each 16-bit value comes from at least one byte of the file.
    fuzz::Require(sound->samples.size() <= size, "no more values than bytes");
    return 0;
}
