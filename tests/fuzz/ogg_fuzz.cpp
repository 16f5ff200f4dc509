// Ogg Vorbis loading on arbitrary bytes, through the same file sniffing the game's sound loading
// uses: no crash, no leak, and a sample that decodes is mono or stereo with whole frames.
#include <cstdint>

#include "fuzz_support.h"
#include "platform/audio.h"
#include "platform/headless/headless.h"
#include "platform/sound_decode.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    platform::headless::UseHeadlessBackends();
    fuzz::EnterScratchFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::WriteInput("sound.ogg", data, size);
    const platform::Sound sound = platform::detail::DecodeSoundFile("sound.ogg", platform::LoopSound);
    if (!sound) return 0;
    fuzz::Require(sound->channels == 1 || sound->channels == 2, "mono or stereo");
    fuzz::Require(sound->rate > 0, "a rate");
    fuzz::Require(sound->Frames() > 0 && sound->samples.size() % sound->channels == 0, "whole frames");
    fuzz::Require(sound->loop, "the loop flag is kept");
    return 0;
}
