// Offline rendering: plays a song through the sequencer on the manual clock and the null mixer
// and collects what the five tracks sound like, faster than real time. Used by the build to
// make the in-game music and by the tests that listen to the songs; the game never calls it.
#pragma once

#include <string>
#include <vector>

namespace music {

// Interleaved left/right samples at RenderRate, full scale 1.0 (not clipped).
struct RenderedAudio {
    std::vector<float> samples;
    // Milliseconds from the start of the buffer at which each step was played.
    std::vector<int> step_times;
};

inline constexpr int RenderRate = 44100;

// Installs the headless clock and mixer, loads the samples from "music/" under the current
// folder, starts the song and renders `milliseconds` of it, calling MusicTick every
// millisecond. The buffer starts at the first step. Empty when the song file is missing.
RenderedAudio RenderSong(const std::string& name, int seed, int tempo, int milliseconds);

}  // namespace music
