// Song files on arbitrary bytes: the parser and the phrase builder that turns the parsed
// pattern texts into step tables must never crash, and every table entry must be a drum sample
// number or a note rate.
#include <cstdint>
#include <filesystem>

#include "fuzz_support.h"
#include "music/patterns.h"
#include "music/song.h"
#include "platform/headless/headless.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    platform::headless::UseHeadlessBackends();
    fuzz::EnterScratchFolder();
    std::filesystem::create_directory("music");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::WriteInput("music/fuzz.ini", data, size);
    music::ResetSongTables();
    fuzz::Require(music::ParseSong("fuzz"), "an existing song file parses");
    for (int s = 0; s < music::SectionCount; ++s) {
        fuzz::Require(music::PatternCount[s] >= 0 && music::PatternCount[s] <= music::MaxPatterns,
                      "pattern count within the table");
        const int mode = music::StretchMode[s];
        fuzz::Require(mode >= music::StretchDouble && mode <= music::StretchRandomPlus, "stretch mode known");
    }

    music::ResetSequencer();
    // Any seed, from the input, and enough phrases to renew the arrangement at least once.
    std::uint32_t seed = 0;
    for (std::size_t i = 0; i < size && i < 4; ++i) seed = seed << 8 | data[i];
    music::SongSeed = static_cast<int>(seed);
    for (int v = 0; v < 3; ++v) music::VariantCount[v] = 1 + static_cast<int>(seed >> (v * 2) & 3);
    for (int phrase = 0; phrase < 6; ++phrase) {
        music::BuildPhrase();
        for (int t = 0; t < music::TrackCount; ++t) {
            for (float step : music::StepTable[t]) {
                const bool drum = t == music::Drum1Track || t == music::Drum2Track;
                fuzz::Require(drum ? step >= 0 && step <= 9 && step == static_cast<int>(step)
                                   : step == 0 || (step > 0.5f && step < 3.0f),
                              "a step is a drum number or a note rate");
            }
        }
    }
    return 0;
}
