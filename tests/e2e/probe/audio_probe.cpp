// audio_probe: checks audio the real program recorded while it ran, for the end-to-end scripts.
//
//   audio_probe RECORDING quiet:FROM-TO
//   audio_probe RECORDING music:FROM-TO REFERENCE.wav [music:FROM-TO REFERENCE.wav ...]
//
// RECORDING is a WAV file (16-bit or 32-bit float, as OpenAL Soft's wave writer makes them) or a
// headerless stream of 16-bit stereo at 44100 Hz (SDL's disk audio driver). Times are seconds
// into the recording. A quiet window must hold no sound. A music window must be loud enough,
// made of separate notes or hits (how many keep to the sequencer's 62 ms step grid is printed),
// and sound more like the start of its own reference (the same song rendered offline) than like
// any other reference given. The reference's level does not matter: only the shape of its
// spectrum is compared. Prints the figures it measured; exits 1 when a check fails.
#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "music/support/onsets.h"

namespace {

constexpr int kRawRate = 44100;
constexpr double kStepMs = 62.0;
constexpr std::size_t kFftSize = 8192;
constexpr int kLowestNote = 36;   // C2, 65 Hz
constexpr int kHighestNote = 108; // C8, 4186 Hz

struct Audio {
    int rate = kRawRate;
    std::vector<float> mono;
};

std::uint32_t ReadLe(const std::vector<unsigned char>& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + static_cast<std::size_t>(i)];
    return v;
}

// Mixes interleaved 16-bit or float samples down to mono.
void AppendMono(const std::vector<unsigned char>& b, std::size_t from, std::size_t to, int channels,
                bool is_float, int bits, Audio& audio) {
    const std::size_t frame = static_cast<std::size_t>(channels * bits / 8);
    for (std::size_t at = from; at + frame <= to; at += frame) {
        double sum = 0;
        for (int c = 0; c < channels; ++c) {
            const std::size_t p = at + static_cast<std::size_t>(c * bits / 8);
            if (is_float) {
                const std::uint32_t raw = ReadLe(b, p, 4);
                float f;
                std::memcpy(&f, &raw, 4);
                sum += f;
            } else {
                sum += static_cast<std::int16_t>(ReadLe(b, p, 2)) / 32768.0;
            }
        }
        audio.mono.push_back(static_cast<float>(sum / channels));
    }
}

// The data chunk runs to the end of the file whatever its header says: a writer killed before
// it closed its device leaves a wrong length there.
bool ReadRecording(const char* path, Audio& audio) {
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.eof() && !in.good()) return false;
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0) {
        AppendMono(b, 0, b.size(), 2, false, 16, audio);
        return true;
    }
    int channels = 0, bits = 0;
    bool is_float = false;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::uint32_t size = ReadLe(b, at + 4, 4);
        if (std::memcmp(&b[at], "fmt ", 4) == 0 && at + 24 <= b.size()) {
            const std::uint32_t tag = ReadLe(b, at + 8, 2);
            channels = static_cast<int>(ReadLe(b, at + 10, 2));
            audio.rate = static_cast<int>(ReadLe(b, at + 12, 4));
            bits = static_cast<int>(ReadLe(b, at + 22, 2));
            // Tag 0xFFFE carries the real one at the start of its sub-format.
            const std::uint32_t real_tag = tag == 0xFFFE && at + 34 <= b.size() ? ReadLe(b, at + 32, 2) : tag;
            is_float = real_tag == 3;
        } else if (std::memcmp(&b[at], "data", 4) == 0) {
            if (channels < 1 || (bits != 16 && !(is_float && bits == 32)) || audio.rate < 8000) return false;
            AppendMono(b, at + 8, b.size(), channels, is_float, bits, audio);
            return true;
        }
        at += 8 + size + (size & 1);
    }
    return false;
}

std::vector<float> Window(const Audio& audio, double from_s, double to_s) {
    const auto clamp = [&](double s) {
        return std::min(audio.mono.size(), static_cast<std::size_t>(std::max(0.0, s) * audio.rate));
    };
    return {audio.mono.begin() + static_cast<long>(clamp(from_s)), audio.mono.begin() + static_cast<long>(clamp(to_s))};
}

double Rms(const std::vector<float>& s) {
    double sum = 0;
    for (float v : s) sum += static_cast<double>(v) * v;
    return s.empty() ? 0 : std::sqrt(sum / static_cast<double>(s.size()));
}

// Share of the onsets within `slack` ms of a 62 ms step grid, at the grid's best-fitting phase.
double OnGridShare(const std::vector<int>& onsets, double slack) {
    if (onsets.size() < 2) return 0;
    int best = 0;
    for (int phase = 0; phase < static_cast<int>(kStepMs); ++phase) {
        int on = 0;
        for (int at : onsets) {
            const double steps = (at - phase) / kStepMs;
            if (std::fabs(steps - std::round(steps)) * kStepMs <= slack) ++on;
        }
        best = std::max(best, on);
    }
    return static_cast<double>(best) / static_cast<double>(onsets.size());
}

void Fft(std::vector<std::complex<double>>& a) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const double angle = -2 * M_PI / static_cast<double>(len);
        const std::complex<double> turn(std::cos(angle), std::sin(angle));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> w(1);
            for (std::size_t k = 0; k < len / 2; ++k, w *= turn) {
                const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

// The mean power in each semitone from C2 to C8, in decibels, less its own average: the shape
// of the spectrum, whatever the volume it was played at.
std::vector<double> SpectrumShape(const std::vector<float>& s, int rate) {
    std::vector<double> power(kHighestNote - kLowestNote, 0.0);
    std::vector<std::complex<double>> frame(kFftSize);
    for (std::size_t start = 0; start + kFftSize <= s.size(); start += kFftSize / 2) {
        for (std::size_t i = 0; i < kFftSize; ++i) {
            const double hann = 0.5 - 0.5 * std::cos(2 * M_PI * static_cast<double>(i) / kFftSize);
            frame[i] = s[start + i] * hann;
        }
        Fft(frame);
        for (std::size_t bin = 1; bin < kFftSize / 2; ++bin) {
            const double hz = static_cast<double>(bin) * rate / kFftSize;
            const int note = static_cast<int>(std::lround(69 + 12 * std::log2(hz / 440.0)));
            if (note >= kLowestNote && note < kHighestNote) power[static_cast<std::size_t>(note - kLowestNote)] += std::norm(frame[bin]);
        }
    }
    double mean = 0;
    for (double& p : power) {
        p = 10 * std::log10(p + 1e-12);
        mean += p;
    }
    mean /= static_cast<double>(power.size());
    for (double& p : power) p -= mean;
    return power;
}

double ShapeDistance(const std::vector<double>& a, const std::vector<double>& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
    return std::sqrt(sum / static_cast<double>(a.size()));
}

bool ParseWindow(const std::string& arg, const char* kind, double& from, double& to) {
    const std::string prefix = std::string(kind) + ":";
    if (arg.rfind(prefix, 0) != 0) return false;
    return std::sscanf(arg.c_str() + prefix.size(), "%lf-%lf", &from, &to) == 2 && to > from;
}

struct MusicWindow {
    double from, to;
    std::string reference_path;
    std::vector<double> shape;
    std::vector<double> reference_shape;
};

int Fail(const std::string& why) {
    std::fprintf(stderr, "audio_probe: %s\n", why.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Fail("usage: audio_probe RECORDING quiet:FROM-TO | music:FROM-TO REFERENCE.wav ...");
    Audio recording;
    if (!ReadRecording(argv[1], recording)) return Fail(std::string("cannot read ") + argv[1]);
    std::printf("recording: %.2f s at %d Hz\n", static_cast<double>(recording.mono.size()) / recording.rate,
                recording.rate);
    bool passed = true;
    std::vector<MusicWindow> music;
    for (int i = 2; i < argc; ++i) {
        double from = 0, to = 0;
        if (ParseWindow(argv[i], "quiet", from, to)) {
            const double rms = Rms(Window(recording, from, to));
            const bool quiet = rms < 1e-4;
            std::printf("quiet %.2f-%.2f s: rms %.6f %s\n", from, to, rms, quiet ? "ok" : "NOT QUIET");
            passed = passed && quiet;
        } else if (ParseWindow(argv[i], "music", from, to) && i + 1 < argc) {
            music.push_back({from, to, argv[++i], {}, {}});
        } else {
            return Fail(std::string("bad argument ") + argv[i]);
        }
    }
    for (MusicWindow& w : music) {
        const std::vector<float> s = Window(recording, w.from, w.to);
        const double rms = Rms(s);
        const std::vector<int> onsets = onset_detection::OnsetsMs(s, recording.rate, 1e-8);
        const double seconds = static_cast<double>(s.size()) / recording.rate;
        // Reported, not required: each step starts on a frame of the 60 Hz loop, up to 17 ms late
        // on a quiet machine and later on a busy one, and a device thread starved of time writes
        // its buffers late. The offline rendering of the songs is where their timing is tested.
        const double on_grid = OnGridShare(onsets, 12);
        const bool is_music =
            seconds >= 0.9 * (w.to - w.from) && rms > 0.003 && static_cast<double>(onsets.size()) >= 2 * seconds;
        std::printf("music %.2f-%.2f s: rms %.4f, %zu onsets, %.0f %% within 12 ms of a 62 ms grid %s\n", w.from,
                    w.to, rms, onsets.size(), 100 * on_grid, is_music ? "ok" : "NOT MUSIC");
        passed = passed && is_music;
        Audio reference;
        if (!ReadRecording(w.reference_path.c_str(), reference)) return Fail("cannot read " + w.reference_path);
        w.shape = SpectrumShape(s, recording.rate);
        w.reference_shape = SpectrumShape(Window(reference, 0, w.to - w.from), reference.rate);
    }
    // Each window must be nearest to its own song.
    for (std::size_t i = 0; i < music.size(); ++i) {
        std::printf("music %.2f-%.2f s against", music[i].from, music[i].to);
        double own = ShapeDistance(music[i].shape, music[i].reference_shape), nearest_other = 1e9;
        for (std::size_t j = 0; j < music.size(); ++j) {
            const double d = ShapeDistance(music[i].shape, music[j].reference_shape);
            std::printf(" %s %.2f dB", music[j].reference_path.c_str(), d);
            if (j != i) nearest_other = std::min(nearest_other, d);
        }
        const bool matches = own < nearest_other;
        std::printf(" %s\n", matches ? "ok" : "NOT ITS OWN SONG");
        passed = passed && matches;
    }
    return passed ? 0 : 1;
}
