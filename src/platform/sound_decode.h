// Decoded sound samples and the decoders that make them from WAV and Ogg Vorbis files. Nothing
// outside src/platform includes this.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio.h"

namespace platform {

namespace detail {

// A driver's own copy of a sample (an OpenAL buffer), made on first play and released with the
// sample. Each driver checks that a copy it finds is its own before using it.
class DeviceBuffer {
  public:
    virtual ~DeviceBuffer() = default;
};

}  // namespace detail

// Signed 16-bit PCM at the file's own rate; stereo samples are interleaved left, right.
struct SoundData {
    int rate = 0;                                         // frames per second
    int channels = 0;                                     // 1 mono or 2 stereo
    bool loop = false;                                    // load flag LoopSound
    std::vector<std::int16_t> samples;                    // Frames() x channels values
    std::unique_ptr<detail::DeviceBuffer> device_buffer;  // set by the driver that last played it

    SoundData() = default;
    SoundData(const SoundData&) = delete;
    SoundData& operator=(const SoundData&) = delete;
    // Counts the release for Reclaim().
    ~SoundData();

    // Number of sample frames (one value per channel each).
    int Frames() const { return channels > 0 ? static_cast<int>(samples.size() / channels) : 0; }
};

namespace detail {

// Decodes a RIFF WAVE image (integer PCM of 8, 16, 24 or 32 bits, or 32-bit float; mono or
// stereo). nullptr when the header is malformed or no whole frame is present.
Sound DecodeWav(const std::vector<std::uint8_t>& bytes);
// Decodes an Ogg Vorbis file (mono or stereo). nullptr when it is not a readable Vorbis stream.
Sound DecodeOggFile(const std::string& path);
// Sniffs the file's first bytes and decodes it as WAV or Ogg Vorbis; nullptr when missing,
// unreadable or of another format. Load flag LoopSound sets the loop flag.
Sound DecodeSoundFile(const std::string& path, int flags);

}  // namespace detail

}  // namespace platform
