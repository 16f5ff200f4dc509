// WAV and Ogg Vorbis decoding into 16-bit PCM. The WAV reader is our own small RIFF walker: every
// size field comes from the file, so each one is checked against the bytes actually present
// before it is used.
#include "platform/sound_decode.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/internal.h"

namespace platform {

SoundData::~SoundData() {
    detail::NoteObjectReleased();
}

namespace detail {
namespace {

// Far beyond any sample the game uses; keeps frame counts well inside an int.
constexpr std::size_t kMaxSamples = std::size_t{1} << 28;

constexpr int kFormatPcm = 1;
constexpr int kFormatFloat = 3;
constexpr int kFormatExtensible = 0xFFFE;

std::uint32_t ReadU32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t ReadU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

struct WavFormat {
    int tag = 0;
    int channels = 0;
    int rate = 0;
    int bits = 0;
    int block_align = 0;
};

// Reads the "fmt " chunk; false when it describes something we do not decode.
bool ParseFormat(const std::uint8_t* p, std::size_t size, WavFormat& format) {
    if (size < 16) return false;
    format.tag = ReadU16(p);
    format.channels = ReadU16(p + 2);
    const std::uint32_t rate = ReadU32(p + 4);
    format.block_align = ReadU16(p + 12);
    format.bits = ReadU16(p + 14);
    if (format.tag == kFormatExtensible) {
        // WAVE_FORMAT_EXTENSIBLE carries the real format in the first two bytes of its GUID.
        if (size < 40) return false;
        format.tag = ReadU16(p + 24);
    }
    if (format.channels < 1 || format.channels > 2) return false;
    if (rate < 1 || rate > 768000) return false;
    format.rate = static_cast<int>(rate);
    if (format.tag == kFormatPcm) {
        if (format.bits != 8 && format.bits != 16 && format.bits != 24 && format.bits != 32) return false;
    } else if (format.tag == kFormatFloat) {
        if (format.bits != 32) return false;
    } else {
        return false;
    }
    return format.block_align == format.channels * format.bits / 8;
}

std::int16_t ToInt16(const std::uint8_t* p, const WavFormat& format) {
    if (format.tag == kFormatFloat) {
        float value;
        const std::uint32_t bits = ReadU32(p);
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value)) return 0;
        return static_cast<std::int16_t>(std::lround(std::clamp(value, -1.0f, 1.0f) * 32767.0f));
    }
    switch (format.bits) {
        case 8:
            return static_cast<std::int16_t>((p[0] - 128) * 256);  // 8-bit WAV is unsigned
        case 16:
            return static_cast<std::int16_t>(ReadU16(p));
        case 24:
            return static_cast<std::int16_t>(ReadU16(p + 1));  // keep the top 16 bits
        default:
            return static_cast<std::int16_t>(ReadU16(p + 2));
    }
}

Sound MakeSound(const std::uint8_t* data, std::size_t bytes, const WavFormat& format) {
    const std::size_t frames = std::min(bytes / format.block_align, kMaxSamples / format.channels);
    if (frames == 0) return nullptr;
    auto sound = std::make_shared<SoundData>();
    sound->rate = format.rate;
    sound->channels = format.channels;
    sound->samples.resize(frames * format.channels);
    const int sample_bytes = format.bits / 8;
    for (std::size_t i = 0; i < sound->samples.size(); ++i) {
        sound->samples[i] = ToInt16(data + i * sample_bytes, format);
    }
    return sound;
}

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return {};
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool HasPrefix(const std::vector<std::uint8_t>& bytes, std::size_t at, const char* text) {
    const std::size_t length = std::strlen(text);
    return bytes.size() >= at + length && std::memcmp(bytes.data() + at, text, length) == 0;
}

// Appends what ov_read returns until the end of the stream or a hard error. Holes (lost pages)
// are skipped; a chained stream that changes its channel count ends the sample there.
void ReadVorbis(OggVorbis_File& file, SoundData& sound) {
    const int big_endian = std::endian::native == std::endian::big ? 1 : 0;
    char buffer[16384];
    int section = 0;
    for (;;) {
        const long got = ov_read(&file, buffer, sizeof buffer, big_endian, 2, 1, &section);
        if (got == 0) break;
        if (got == OV_HOLE) continue;
        if (got < 0) break;
        const vorbis_info* info = ov_info(&file, section);
        if (!info || info->channels != sound.channels) break;
        const std::size_t count = static_cast<std::size_t>(got) / 2;
        if (sound.samples.size() + count > kMaxSamples) break;
        const std::size_t old = sound.samples.size();
        sound.samples.resize(old + count);
        std::memcpy(sound.samples.data() + old, buffer, count * 2);
    }
    // A partial frame at the end (only possible from a damaged stream) is dropped.
    sound.samples.resize(sound.samples.size() - sound.samples.size() % sound.channels);
}

}  // namespace

Sound DecodeWav(const std::vector<std::uint8_t>& bytes) {
    if (!HasPrefix(bytes, 0, "RIFF") || !HasPrefix(bytes, 8, "WAVE")) return nullptr;
    // The RIFF size may be wrong in files written by streaming tools, so chunks are walked up to
    // the real end of the bytes instead.
    WavFormat format;
    bool have_format = false;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::uint8_t* header = bytes.data() + at;
        const std::size_t size = ReadU32(header + 4);
        const std::size_t body = at + 8;
        const std::size_t present = std::min(size, bytes.size() - body);
        if (std::memcmp(header, "fmt ", 4) == 0) {
            if (present < size || !ParseFormat(bytes.data() + body, size, format)) return nullptr;
            have_format = true;
        } else if (std::memcmp(header, "data", 4) == 0) {
            // A data chunk cut short keeps the whole frames that are present.
            if (!have_format) return nullptr;
            return MakeSound(bytes.data() + body, present, format);
        }
        if (present < size) break;
        at = body + size + (size & 1);  // chunks are padded to even sizes
    }
    return nullptr;
}

Sound DecodeOggFile(const std::string& path) {
    // Opened as a stream that cannot seek: the sample is read straight through anyway, and the
    // seeking open walks to the end of the file first, so damage near the end made it reject the
    // whole file (and leak a serial-number list inside libvorbisfile 1.3.7 on the way).
    std::FILE* source = std::fopen(path.c_str(), "rb");
    if (!source) return nullptr;
    OggVorbis_File file;
    if (ov_open_callbacks(source, &file, nullptr, 0, OV_CALLBACKS_STREAMONLY) != 0) {
        std::fclose(source);  // a failed open leaves the file to its caller
        return nullptr;
    }
    const vorbis_info* info = ov_info(&file, -1);
    Sound sound;
    if (info && (info->channels == 1 || info->channels == 2) && info->rate > 0 && info->rate <= 768000) {
        sound = std::make_shared<SoundData>();
        sound->rate = static_cast<int>(info->rate);
        sound->channels = info->channels;
        ReadVorbis(file, *sound);
        if (sound->Frames() == 0) sound.reset();
    }
    ov_clear(&file);
    return sound;
}

Sound DecodeSoundFile(const std::string& path, int flags) {
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (!probe) return nullptr;
    std::vector<std::uint8_t> head(12);
    head.resize(std::fread(head.data(), 1, head.size(), probe));
    std::fclose(probe);

    Sound sound;
    if (HasPrefix(head, 0, "RIFF")) {
        sound = DecodeWav(ReadAll(path));
    } else if (HasPrefix(head, 0, "OggS")) {
        sound = DecodeOggFile(path);
    }
    if (sound) sound->loop = (flags & LoopSound) != 0;
    return sound;
}

}  // namespace detail
}  // namespace platform
