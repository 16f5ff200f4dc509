// A small sound synthesiser for the data tree: recipes of voices (oscillator, envelope, pitch
// slide, arpeggio, vibrato, low-pass) mixed into one mono 16-bit buffer, plus a WAV writer.
// Recipes are small text files (see assets/README.md for the format); sfxgen turns each into a
// .wav at build time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sfx {

enum class Wave { kSine, kSquare, kSaw, kTriangle, kNoise };

// Attack, decay and release in seconds; sustain as a level from 0 to 1.
struct Envelope {
    double attack = 0.005;
    double decay = 0.05;
    double sustain = 0.7;
    double release = 0.1;
};

// One sounding voice: it starts at `start`, holds its gate for `length` and then releases.
struct Voice {
    Wave wave = Wave::kSine;
    double start = 0.0;          // seconds from the start of the sound
    double length = 0.2;         // gate time in seconds, before the release
    double freq = 440.0;         // Hz at the start (for noise: the rate new random values are drawn)
    double slide_to = 0.0;       // Hz reached at the end of the gate by an exponential slide; 0 = none
    std::vector<double> arp;     // semitone offsets stepped through; empty = none
    double arp_step = 0.05;      // seconds per arpeggio step
    bool arp_loop = false;       // wrap around instead of holding the last step
    double duty = 0.5;           // square wave's high fraction
    double vibrato_depth = 0.0;  // semitones
    double vibrato_rate = 6.0;   // Hz
    double lowpass = 0.0;        // cutoff in Hz at the start; 0 = no filter
    double lowpass_to = 0.0;     // cutoff at the end of the voice; 0 = constant
    double gain = 0.5;
    Envelope env;
};

// A whole sound: voices mixed, an optional echo, then scaled so that the loudest sample is `peak`.
struct Recipe {
    int rate = 44100;
    double length = 0.0;         // seconds; 0 = until the last voice and the echo have died away
    double peak = 0.89;          // normalised peak level, below 1 so nothing clips
    double echo_delay = 0.0;     // seconds; 0 = no echo
    double echo_feedback = 0.3;  // each repeat's level relative to the previous one
    double echo_mix = 0.3;       // level of the first repeat
    std::uint32_t seed = 1;      // noise generator seed, so every build writes the same file
    std::vector<Voice> voices;
};

// Parses recipe text. Throws std::runtime_error naming the line and the problem on bad input.
Recipe ParseRecipe(const std::string& text);

// Frequency in Hz of a note name such as "A4", "C#6" or "Eb3", or of a plain number in Hz.
// Throws std::runtime_error for anything else.
double ParsePitch(const std::string& word);

// Renders the recipe into 16-bit mono samples at recipe.rate.
std::vector<std::int16_t> Render(const Recipe& recipe);

// A complete RIFF/WAVE file (PCM, 16-bit, mono) holding the samples.
std::vector<std::uint8_t> EncodeWav(const std::vector<std::int16_t>& samples, int rate);

}  // namespace sfx
