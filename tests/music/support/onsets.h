// Where notes and hits start in rendered or recorded audio. Shared by the music tests and by
// audio_probe, which checks the real program's recorded output.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace onset_detection {

// Milliseconds at which the energy of the mono signal's first difference (which favours the
// bright start of a hit or note over the low notes still ringing beneath it) jumps above four
// times everything of the previous 24 ms and above `floor`. The look-back spans a whole period
// of the lowest bass notes, whose energy per millisecond swings with their phase. One onset per
// hit: the next is looked for 20 ms later.
inline std::vector<int> OnsetsMs(const std::vector<float>& mono, int rate, double floor) {
    std::vector<double> energy;
    for (std::size_t ms = 0;; ++ms) {
        const std::size_t from = ms * static_cast<std::size_t>(rate) / 1000;
        const std::size_t to = (ms + 1) * static_cast<std::size_t>(rate) / 1000;
        if (to > mono.size()) break;
        double sum = 0;
        for (std::size_t i = std::max<std::size_t>(from, 1); i < to; ++i) {
            const double d = static_cast<double>(mono[i]) - mono[i - 1];
            sum += d * d;
        }
        energy.push_back(sum);
    }
    std::vector<int> found;
    constexpr std::size_t kLookBack = 24;
    for (std::size_t j = kLookBack; j < energy.size(); ++j) {
        const double before = *std::max_element(energy.begin() + static_cast<long>(j - kLookBack),
                                                energy.begin() + static_cast<long>(j));
        if (energy[j] > floor && energy[j] > 4 * before + floor) {
            found.push_back(static_cast<int>(j));
            j += 20;
        }
    }
    return found;
}

}  // namespace onset_detection
