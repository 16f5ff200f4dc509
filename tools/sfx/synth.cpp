// Recipe parser, voice renderer, mixer and WAV writer of the sound synthesiser.
#include "synth.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <stdexcept>

namespace sfx {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Longest sound a recipe may ask for; keeps a typing mistake from filling the disk.
constexpr double kMaxSeconds = 60.0;
// Fade at the very end, so a sound cut off by an explicit length does not click.
constexpr double kEndFadeSeconds = 0.005;

// ---- parsing --------------------------------------------------------------------------------

// The words of one recipe line, with the line number for error messages.
struct Line {
    int number = 0;
    std::vector<std::string> words;
};

[[noreturn]] void Fail(const Line& line, const std::string& message) {
    throw std::runtime_error("line " + std::to_string(line.number) + ": " + message);
}

std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines;
    std::istringstream in(text);
    std::string raw;
    int number = 0;
    while (std::getline(in, raw)) {
        ++number;
        // Everything after '#' is a comment.
        raw = raw.substr(0, raw.find('#'));
        std::istringstream words(raw);
        Line line{number, {}};
        for (std::string w; words >> w;) line.words.push_back(w);
        if (!line.words.empty()) lines.push_back(line);
    }
    return lines;
}

double ToNumber(const Line& line, const std::string& word) {
    char* end = nullptr;
    const double value = std::strtod(word.c_str(), &end);
    if (word.empty() || *end != '\0' || !std::isfinite(value)) Fail(line, "'" + word + "' is not a number");
    return value;
}

// The number in word index i of the line, which must lie within [lo, hi].
double NumberArg(const Line& line, std::size_t i, double lo, double hi) {
    if (i >= line.words.size()) Fail(line, "'" + line.words[0] + "' needs more values");
    const double value = ToNumber(line, line.words[i]);
    if (value < lo || value > hi) {
        std::ostringstream msg;
        msg << "'" << line.words[0] << "' value " << value << " is outside " << lo << " to " << hi;
        Fail(line, msg.str());
    }
    return value;
}

void ExpectCount(const Line& line, std::size_t count) {
    if (line.words.size() != count + 1) {
        Fail(line, "'" + line.words[0] + "' takes " + std::to_string(count) + " value(s)");
    }
}

Wave ParseWave(const Line& line) {
    ExpectCount(line, 1);
    static const std::map<std::string, Wave> kWaves = {{"sine", Wave::kSine},
                                                       {"square", Wave::kSquare},
                                                       {"saw", Wave::kSaw},
                                                       {"triangle", Wave::kTriangle},
                                                       {"noise", Wave::kNoise}};
    const auto it = kWaves.find(line.words[1]);
    if (it == kWaves.end()) Fail(line, "unknown wave '" + line.words[1] + "'");
    return it->second;
}

double PitchArg(const Line& line, std::size_t i) {
    try {
        return ParsePitch(line.words.at(i));
    } catch (const std::exception& e) {
        Fail(line, e.what());
    }
}

// Applies one line inside a voice block to the voice.
void ApplyVoiceLine(const Line& line, Voice& v) {
    const std::string& key = line.words[0];
    if (key == "wave") {
        v.wave = ParseWave(line);
    } else if (key == "start") {
        ExpectCount(line, 1);
        v.start = NumberArg(line, 1, 0, kMaxSeconds);
    } else if (key == "length") {
        ExpectCount(line, 1);
        v.length = NumberArg(line, 1, 0.001, kMaxSeconds);
    } else if (key == "pitch") {
        ExpectCount(line, 1);
        v.freq = PitchArg(line, 1);
    } else if (key == "slide_to") {
        ExpectCount(line, 1);
        v.slide_to = PitchArg(line, 1);
    } else if (key == "arp") {
        if (line.words.size() < 2) Fail(line, "'arp' needs at least one semitone offset");
        v.arp.clear();
        for (std::size_t i = 1; i < line.words.size(); ++i) v.arp.push_back(NumberArg(line, i, -48, 48));
    } else if (key == "arp_step") {
        ExpectCount(line, 1);
        v.arp_step = NumberArg(line, 1, 0.001, kMaxSeconds);
    } else if (key == "arp_loop") {
        ExpectCount(line, 0);
        v.arp_loop = true;
    } else if (key == "duty") {
        ExpectCount(line, 1);
        v.duty = NumberArg(line, 1, 0.01, 0.99);
    } else if (key == "vibrato") {
        ExpectCount(line, 2);
        v.vibrato_depth = NumberArg(line, 1, 0, 24);
        v.vibrato_rate = NumberArg(line, 2, 0, 100);
    } else if (key == "lowpass") {
        if (line.words.size() != 2 && line.words.size() != 3) Fail(line, "'lowpass' takes 1 or 2 values");
        v.lowpass = NumberArg(line, 1, 20, 40000);
        v.lowpass_to = line.words.size() == 3 ? NumberArg(line, 2, 20, 40000) : 0.0;
    } else if (key == "gain") {
        ExpectCount(line, 1);
        v.gain = NumberArg(line, 1, 0, 4);
    } else if (key == "adsr") {
        ExpectCount(line, 4);
        v.env = {NumberArg(line, 1, 0, kMaxSeconds), NumberArg(line, 2, 0, kMaxSeconds),
                 NumberArg(line, 3, 0, 1), NumberArg(line, 4, 0, kMaxSeconds)};
    } else {
        Fail(line, "unknown voice setting '" + key + "'");
    }
}

// Applies one line outside voice blocks to the recipe.
void ApplyRecipeLine(const Line& line, Recipe& r) {
    const std::string& key = line.words[0];
    if (key == "rate") {
        ExpectCount(line, 1);
        r.rate = static_cast<int>(NumberArg(line, 1, 8000, 192000));
    } else if (key == "length") {
        ExpectCount(line, 1);
        r.length = NumberArg(line, 1, 0.001, kMaxSeconds);
    } else if (key == "peak") {
        ExpectCount(line, 1);
        r.peak = NumberArg(line, 1, 0.01, 0.99);
    } else if (key == "echo") {
        ExpectCount(line, 3);
        r.echo_delay = NumberArg(line, 1, 0.001, 2);
        r.echo_feedback = NumberArg(line, 2, 0, 0.95);
        r.echo_mix = NumberArg(line, 3, 0, 1);
    } else if (key == "seed") {
        ExpectCount(line, 1);
        r.seed = static_cast<std::uint32_t>(NumberArg(line, 1, 1, 4294967295.0));
    } else {
        Fail(line, "unknown setting '" + key + "'");
    }
}

// Checks what only makes sense once the whole recipe is known.
void Validate(const Recipe& r) {
    if (r.voices.empty()) throw std::runtime_error("the recipe has no voice");
    const double nyquist = r.rate / 2.0;
    for (std::size_t i = 0; i < r.voices.size(); ++i) {
        const Voice& v = r.voices[i];
        const bool pitched = v.wave != Wave::kNoise;
        if (pitched && (v.freq >= nyquist || v.slide_to >= nyquist)) {
            throw std::runtime_error("voice " + std::to_string(i + 1) + ": pitch above half the sample rate");
        }
    }
}

// ---- rendering --------------------------------------------------------------------------------

// Small deterministic generator for the noise wave (xorshift32).
struct Noise {
    std::uint32_t state;
    double Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 2147483648.0 - 1.0;
    }
};

// Smooths the discontinuity of a naive square or saw at phase wraps (polyBLEP), which keeps
// high notes from aliasing into harsh inharmonic whistles.
double PolyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

double Oscillator(Wave wave, double phase, double dt, double duty) {
    switch (wave) {
        case Wave::kSine:
            return std::sin(2.0 * kPi * phase);
        case Wave::kSquare: {
            double s = phase < duty ? 1.0 : -1.0;
            s += PolyBlep(phase, dt);
            s -= PolyBlep(std::fmod(phase + 1.0 - duty, 1.0), dt);
            return s - (2.0 * duty - 1.0);  // a narrow pulse carries DC; centre it on zero
        }
        case Wave::kSaw:
            return 2.0 * phase - 1.0 - PolyBlep(phase, dt);
        case Wave::kTriangle:
            return phase < 0.5 ? 4.0 * phase - 1.0 : 3.0 - 4.0 * phase;
        case Wave::kNoise:
            break;
    }
    return 0.0;
}

double EnvelopeAt(const Envelope& e, double gate, double t) {
    auto held = [&e](double u) {
        if (u < e.attack) return u / e.attack;
        u -= e.attack;
        if (u < e.decay) return 1.0 - (1.0 - e.sustain) * (u / e.decay);
        return e.sustain;
    };
    if (t < gate) return held(t);
    if (e.release <= 0.0) return 0.0;
    const double level = held(gate);
    const double r = (t - gate) / e.release;
    return r >= 1.0 ? 0.0 : level * (1.0 - r) * (1.0 - r);  // quadratic tail sounds natural
}

// Frequency of the voice t seconds after its start.
double FrequencyAt(const Voice& v, double t) {
    double f = v.freq;
    if (v.slide_to > 0.0) f *= std::pow(v.slide_to / v.freq, std::min(t / v.length, 1.0));
    double semis = 0.0;
    if (!v.arp.empty()) {
        auto step = static_cast<std::size_t>(t / v.arp_step);
        step = v.arp_loop ? step % v.arp.size() : std::min(step, v.arp.size() - 1);
        semis += v.arp[step];
    }
    if (v.vibrato_depth > 0.0) semis += v.vibrato_depth * std::sin(2.0 * kPi * v.vibrato_rate * t);
    return f * std::pow(2.0, semis / 12.0);
}

double VoiceSeconds(const Voice& v) {
    return v.start + v.length + v.env.release;
}

// Adds one voice into the mix buffer.
void RenderVoice(const Voice& v, int rate, Noise& noise, std::vector<double>& mix) {
    const auto first = static_cast<std::size_t>(v.start * rate);
    const auto count = static_cast<std::size_t>((v.length + v.env.release) * rate);
    const double total = v.length + v.env.release;
    double phase = 0.0, held = noise.Next(), lp1 = 0.0, lp2 = 0.0;
    for (std::size_t i = 0; i < count && first + i < mix.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double dt = std::min(FrequencyAt(v, t) / rate, 0.5);
        double s = v.wave == Wave::kNoise ? held : Oscillator(v.wave, phase, dt, v.duty);
        phase += dt;
        if (phase >= 1.0) {
            phase -= 1.0;
            held = noise.Next();  // noise draws a new value once per period: pitched noise
        }
        if (v.lowpass > 0.0) {
            const double to = v.lowpass_to > 0.0 ? v.lowpass_to : v.lowpass;
            const double cutoff = v.lowpass * std::pow(to / v.lowpass, t / total);
            const double a = 1.0 - std::exp(-2.0 * kPi * std::min(cutoff, 0.45 * rate) / rate);
            // Two one-pole stages: 12 dB per octave, soft enough to keep the character.
            lp1 += a * (s - lp1);
            lp2 += a * (lp1 - lp2);
            s = lp2;
        }
        mix[first + i] += v.gain * EnvelopeAt(v.env, v.length, t) * s;
    }
}

// Feedback delay: the first repeat at echo_mix, each later one echo_feedback times the last.
void ApplyEcho(const Recipe& r, std::vector<double>& mix) {
    const auto delay = static_cast<std::size_t>(r.echo_delay * r.rate);
    if (delay == 0 || r.echo_mix <= 0.0) return;
    std::vector<double> line(mix.size(), 0.0);
    for (std::size_t i = 0; i < mix.size(); ++i) {
        const double back = i >= delay ? line[i - delay] : 0.0;
        line[i] = mix[i] + r.echo_feedback * back;
        mix[i] += r.echo_mix * back;
    }
}

// Removes any remaining DC offset (one-pole high-pass near 10 Hz), so sounds sit on zero and
// do not thump when they start or stop.
void BlockDc(int rate, std::vector<double>& mix) {
    const double r = std::exp(-2.0 * kPi * 10.0 / rate);
    double prev_in = 0.0, prev_out = 0.0;
    for (double& s : mix) {
        const double out = s - prev_in + r * prev_out;
        prev_in = s;
        prev_out = out;
        s = out;
    }
}

double AutoLength(const Recipe& r) {
    double end = 0.0;
    for (const Voice& v : r.voices) end = std::max(end, VoiceSeconds(v));
    if (r.echo_delay > 0.0 && r.echo_mix > 0.0) {
        // Repeats until they fall 60 dB below the first one.
        const double repeats =
            r.echo_feedback > 0.0 ? std::ceil(std::log(0.001) / std::log(r.echo_feedback)) : 0;
        end += r.echo_delay * (1.0 + repeats);
    }
    return std::min(end + 0.01, kMaxSeconds);
}

}  // namespace

double ParsePitch(const std::string& word) {
    if (word.empty()) throw std::runtime_error("empty pitch");
    static const std::map<char, int> kSteps = {{'C', -9}, {'D', -7}, {'E', -5}, {'F', -4},
                                               {'G', -2}, {'A', 0},  {'B', 2}};
    const auto letter = kSteps.find(word[0]);
    if (letter == kSteps.end()) {
        char* end = nullptr;
        const double hz = std::strtod(word.c_str(), &end);
        if (*end != '\0' || !(hz > 0.0) || hz > 100000.0)
            throw std::runtime_error("bad pitch '" + word + "'");
        return hz;
    }
    std::size_t i = 1;
    int semis = letter->second;
    if (i < word.size() && (word[i] == '#' || word[i] == 'b')) semis += word[i++] == '#' ? 1 : -1;
    const std::string octave = word.substr(i);
    if (octave.size() != 1 || octave[0] < '0' || octave[0] > '9') {
        throw std::runtime_error("bad note '" + word + "' (expected e.g. A4, C#6, Eb3)");
    }
    semis += (octave[0] - '4') * 12;
    return 440.0 * std::pow(2.0, semis / 12.0);
}

Recipe ParseRecipe(const std::string& text) {
    Recipe r;
    Voice* voice = nullptr;
    for (const Line& line : SplitLines(text)) {
        const std::string& key = line.words[0];
        if (key == "voice") {
            if (voice) Fail(line, "'voice' inside a voice block (missing 'end')");
            if (line.words.size() > 2 || (line.words.size() == 2 && line.words[1] != "same")) {
                Fail(line, "'voice' takes nothing or 'same'");
            }
            const bool same = line.words.size() == 2;
            if (same && r.voices.empty()) Fail(line, "'voice same' needs an earlier voice");
            r.voices.push_back(same ? r.voices.back() : Voice{});
            voice = &r.voices.back();
        } else if (key == "end") {
            if (!voice) Fail(line, "'end' without 'voice'");
            ExpectCount(line, 0);
            voice = nullptr;
        } else if (voice) {
            ApplyVoiceLine(line, *voice);
        } else {
            ApplyRecipeLine(line, r);
        }
    }
    if (voice) throw std::runtime_error("the last voice block has no 'end'");
    Validate(r);
    return r;
}

std::vector<std::int16_t> Render(const Recipe& recipe) {
    const double seconds = recipe.length > 0.0 ? recipe.length : AutoLength(recipe);
    std::vector<double> mix(static_cast<std::size_t>(seconds * recipe.rate), 0.0);
    Noise noise{recipe.seed ? recipe.seed : 1u};
    for (const Voice& v : recipe.voices) RenderVoice(v, recipe.rate, noise, mix);
    ApplyEcho(recipe, mix);
    BlockDc(recipe.rate, mix);

    const auto fade = std::min(mix.size(), static_cast<std::size_t>(kEndFadeSeconds * recipe.rate));
    for (std::size_t i = 0; i < fade; ++i) mix[mix.size() - 1 - i] *= static_cast<double>(i) / fade;

    double loudest = 0.0;
    for (double s : mix) loudest = std::max(loudest, std::abs(s));
    const double scale = loudest > 0.0 ? recipe.peak / loudest : 0.0;
    std::vector<std::int16_t> out(mix.size());
    for (std::size_t i = 0; i < mix.size(); ++i) {
        out[i] = static_cast<std::int16_t>(std::lround(std::clamp(mix[i] * scale, -1.0, 1.0) * 32767.0));
    }
    return out;
}

std::vector<std::uint8_t> EncodeWav(const std::vector<std::int16_t>& samples, int rate) {
    const auto data_bytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::vector<std::uint8_t> out(44 + data_bytes);
    std::size_t at = 0;
    auto put = [&out, &at](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out[at++] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    auto tag = [&out, &at](const char* t) {
        for (int i = 0; i < 4; ++i) out[at++] = static_cast<std::uint8_t>(t[i]);
    };
    tag("RIFF");
    put(36 + data_bytes, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);                                    // size of the format chunk
    put(1, 2);                                     // PCM
    put(1, 2);                                     // mono
    put(static_cast<std::uint32_t>(rate), 4);      // samples per second
    put(static_cast<std::uint32_t>(rate) * 2, 4);  // bytes per second
    put(2, 2);                                     // bytes per sample frame
    put(16, 2);                                    // bits per sample
    tag("data");
    put(data_bytes, 4);
    for (std::int16_t s : samples) put(static_cast<std::uint16_t>(s), 2);
    return out;
}

}  // namespace sfx
