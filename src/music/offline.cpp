// The offline renderer: the same sequencer the game runs, driven by a manual clock one
// millisecond at a time, its channels mixed into memory by the null mixer.
#include "music/offline.h"

#include <algorithm>

#include "music/patterns.h"
#include "music/playback.h"
#include "platform/clock.h"
#include "platform/headless/manual_clock.h"
#include "platform/headless/null_mixer.h"

namespace music {

namespace {

// Output frame at which millisecond `ms` begins; whole frames per millisecond are 44.1, so the
// count alternates between 44 and 45 without drifting.
long long FrameAt(long long ms) {
    return ms * RenderRate / 1000;
}

}  // namespace

RenderedAudio RenderSong(const std::string& name, int seed, int tempo, int milliseconds) {
    platform::headless::UseManualClock(0);
    platform::headless::UseNullAudio();
    ResetMusic();
    LoadMusicSamples();
    RenderedAudio out;
    PlaySong(name, seed, tempo);
    if (!MusicPlaying) return out;
    // Start just before the first step so the buffer opens on it.
    platform::headless::AdvanceClock(NextStepTime - platform::MilliSecs());
    const int origin = platform::MilliSecs();
    out.samples.reserve(static_cast<std::size_t>(FrameAt(milliseconds) + 2) * 2);
    for (int ms = 0; ms < milliseconds; ++ms) {
        platform::headless::AdvanceClock(1);
        const int before = StepIndex + BuildCount * PhraseSteps;
        MusicTick();
        if (StepIndex + BuildCount * PhraseSteps != before)
            out.step_times.push_back(platform::MilliSecs() - origin - 1);
        // Mixing does not move the voices, so two milliseconds are mixed and only the frames
        // that belong to this one are kept.
        const std::vector<float> mix = platform::headless::MixFor(2);
        const long long frames = FrameAt(ms + 1) - FrameAt(ms);
        const std::size_t values = static_cast<std::size_t>(std::min<long long>(frames * 2, mix.size()));
        out.samples.insert(out.samples.end(), mix.begin(), mix.begin() + static_cast<long>(values));
    }
    return out;
}

}  // namespace music
