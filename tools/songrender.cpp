// songrender: plays a song file through the game's own sequencer offline and writes the result
// as Ogg Vorbis (or WAV when the output ends in ".wav"). The build uses it to make the in-game
// music from a song in assets/music with the instrument samples of the data tree.
//
//   songrender <game folder> <song name> <seed> <phrases> <output file>
//
// The game folder holds "music/<song name>.ini" and the samples; the output is <phrases>
// phrases long plus a short tail in which the last notes die away.
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "framework/settings.h"
#include "music/offline.h"
#include "platform/files.h"

namespace {

constexpr int kTempo = 125;
constexpr int kTailMs = 600;
constexpr float kPeak = 0.89f;  // about -1 dBFS, room for the encoder's overshoot

// Scales the mix so its loudest sample is kPeak and fades the tail to silence.
void Master(std::vector<float>& samples, std::size_t tail_frames) {
    float peak = 0;
    for (float v : samples) peak = std::max(peak, std::fabs(v));
    const float gain = peak > 0 ? kPeak / peak : 1.0f;
    const std::size_t frames = samples.size() / 2;
    for (std::size_t i = 0; i < frames; ++i) {
        float fade = 1.0f;
        if (tail_frames > 0 && i + tail_frames >= frames) {
            fade = static_cast<float>(frames - i) / static_cast<float>(tail_frames);
        }
        samples[2 * i] *= gain * fade;
        samples[2 * i + 1] *= gain * fade;
    }
}

bool WriteWav(const std::string& path, const std::vector<float>& samples) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const std::uint32_t data_bytes = static_cast<std::uint32_t>(samples.size() * 2);
    auto put32 = [&](std::uint32_t v) { std::fwrite(&v, 4, 1, file); };
    auto put16 = [&](std::uint16_t v) { std::fwrite(&v, 2, 1, file); };
    std::fwrite("RIFF", 1, 4, file);
    put32(36 + data_bytes);
    std::fwrite("WAVEfmt ", 1, 8, file);
    put32(16), put16(1), put16(2), put32(music::RenderRate), put32(music::RenderRate * 4), put16(4),
        put16(16);
    std::fwrite("data", 1, 4, file);
    put32(data_bytes);
    for (float v : samples)
        put16(static_cast<std::uint16_t>(
            static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f))));
    return std::fclose(file) == 0;
}

void WritePages(ogg_stream_state& stream, FILE* file, bool flush) {
    ogg_page page;
    while (flush ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page)) {
        std::fwrite(page.header, 1, static_cast<std::size_t>(page.header_len), file);
        std::fwrite(page.body, 1, static_cast<std::size_t>(page.body_len), file);
    }
}

// Encodes stereo samples as Ogg Vorbis at quality 0.5 (about 160 kbit/s).
bool WriteOgg(const std::string& path, const std::vector<float>& samples) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 2, music::RenderRate, 0.5f) != 0) return std::fclose(file), false;
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "ENCODER", "songrender");
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 42);  // fixed serial number: every build writes the same file
    ogg_packet header, header_comment, header_code;
    vorbis_analysis_headerout(&dsp, &comment, &header, &header_comment, &header_code);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &header_comment);
    ogg_stream_packetin(&stream, &header_code);
    WritePages(stream, file, true);
    const std::size_t frames = samples.size() / 2;
    constexpr std::size_t kChunk = 4096;
    for (std::size_t at = 0; at <= frames; at += kChunk) {
        const std::size_t count = std::min(kChunk, frames - std::min(frames, at));
        if (count > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
            for (std::size_t i = 0; i < count; ++i) {
                buffer[0][i] = samples[2 * (at + i)];
                buffer[1][i] = samples[2 * (at + i) + 1];
            }
        }
        // A write of zero frames marks the end of the stream.
        vorbis_analysis_wrote(&dsp, static_cast<int>(count));
        ogg_packet packet;
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                WritePages(stream, file, false);
            }
        }
        if (count == 0) break;
    }
    WritePages(stream, file, true);
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return std::fclose(file) == 0;
}

bool EndsWith(const std::string& text, const std::string& ending) {
    return text.size() >= ending.size() &&
           text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: songrender <game folder> <song name> <seed> <phrases> <output file>\n");
        return 2;
    }
    const std::string folder = argv[1], song = argv[2], output = argv[5];
    const int seed = std::atoi(argv[3]), phrases = std::atoi(argv[4]);
    if (!platform::ChangeDir(folder)) {
        std::fprintf(stderr, "songrender: cannot enter %s\n", folder.c_str());
        return 1;
    }
    // Full master and music volume: the mix is normalised afterwards anyway.
    framework::ResetSettings();
    framework::Settings[11] = 100;
    framework::Settings[13] = 100;
    const std::clock_t started = std::clock();
    const int phrase_ms = 64 * (kTempo / 2);
    music::RenderedAudio audio = music::RenderSong(song, seed, kTempo, phrases * phrase_ms + kTailMs);
    if (audio.samples.empty()) {
        std::fprintf(stderr, "songrender: music/%s.ini not found in %s\n", song.c_str(), folder.c_str());
        return 1;
    }
    Master(audio.samples, static_cast<std::size_t>(kTailMs) * music::RenderRate / 1000);
    const bool written =
        EndsWith(output, ".wav") ? WriteWav(output, audio.samples) : WriteOgg(output, audio.samples);
    if (!written) {
        std::fprintf(stderr, "songrender: cannot write %s\n", output.c_str());
        return 1;
    }
    std::printf("songrender: %s, %d phrases, %.1f s of audio in %.2f s\n", output.c_str(), phrases,
                static_cast<double>(audio.samples.size() / 2) / music::RenderRate,
                static_cast<double>(std::clock() - started) / CLOCKS_PER_SEC);
    return 0;
}
