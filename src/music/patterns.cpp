// PickPattern and BuildPhrase on the platform's seeded generator. Every choice reseeds from the
// song seed and the counters, so a song file, seed and sample set always give the same music.
#include "music/patterns.h"

#include <cstdint>

#include "music/song.h"
#include "platform/random.h"

namespace music {

int SongSeed = 0;
int PhraseIndex = -1, BuildCount = -1;
std::string ChordText;
std::string TrackText[TrackCount];
float StepTable[TrackCount][PhraseSteps];
int Muted[MuteFlags], NextMuted[MuteFlags], Fill[MuteFlags];
int Variant[3], VariantCount[3];

namespace {

// Seed arithmetic wraps at 32 bits like the generator's own integers.
int WrapSeed(std::int64_t value) {
    return static_cast<int>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

int Seed(int extra) {
    return WrapSeed(static_cast<std::int64_t>(static_cast<std::uint32_t>(SongSeed) * 1024u) + PhraseIndex +
                    BuildCount + extra);
}

void RenewArrangement() {
    Variant[BassInstrument] = platform::Rand(1, VariantCount[BassInstrument]);
    Variant[LeadInstrument] = platform::Rand(1, VariantCount[LeadInstrument]);
    Variant[AccompanyInstrument] = platform::Rand(1, VariantCount[AccompanyInstrument]);
    PhraseIndex = 1;
    ChordText = PickPattern(ChordSection, 13);
    for (int k = 0; k < MuteFlags; ++k) {
        Muted[k] = NextMuted[k];
        NextMuted[k] = platform::Rand(0, 1);
        Fill[k] = platform::Rand(1, 2);
    }
    // Some drums and at least one of bass and melody always play.
    if (Muted[Drum1Track] == 1 && Muted[Drum2Track] == 1) Muted[platform::Rand(0, 1)] = 0;
    if (Muted[BassTrack] == 1 && Muted[MelodyTrack] == 1) Muted[platform::Rand(2, 3)] = 0;
    TrackText[Drum1Track] = PickPattern(DrumSection, 3);
    TrackText[Drum2Track] = PickPattern(DrumSection, 7);
    TrackText[BassTrack] = PickPattern(BassSection, 13);
    TrackText[MelodyTrack] = PickPattern(MelodySection, 19);
    TrackText[AccompanyTrack] = PickPattern(AccompanySection, 29);
}

void FillStepTables() {
    for (int t = 0; t < TrackCount; ++t) {
        const std::string& text = TrackText[t];
        const std::int64_t length = static_cast<std::int64_t>(text.size());
        for (int k = 0; k < PhraseSteps; ++k) {
            // An empty pattern leaves its track silent instead of dividing by zero.
            if (length == 0) {
                StepTable[t][k] = 0;
                continue;
            }
            if (t == Drum1Track || t == Drum2Track) {
                // Drum patterns restart with every phrase.
                const char c = text[static_cast<std::size_t>(k % length)];
                StepTable[t][k] = (c >= '0' && c <= '9') ? static_cast<float>(c - '0') : 0.0f;
            } else {
                // Melodic patterns run on across the phrases of a progression.
                const std::int64_t at =
                    (k + (static_cast<std::int64_t>(PhraseIndex) - 1) * PhraseSteps) % length;
                const char c = text[static_cast<std::size_t>(at < 0 ? at + length : at)];
                StepTable[t][k] = c == ' ' ? 0.0f : NoteRate(c);
            }
        }
    }
}

}  // namespace

std::string StretchText(const std::string& text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) {
        out += c;
        out += ' ';
    }
    return out;
}

std::string PickPattern(int section, int salt) {
    platform::SeedRnd(Seed(salt));
    const std::int64_t discards = static_cast<std::int64_t>(salt) + static_cast<std::int64_t>(BuildCount) * 4;
    for (std::int64_t n = 0; n < discards; ++n) platform::Rand(0, 1000);
    const int count = PatternCount[section];
    const int index = platform::Rand(1, count);
    // A section without patterns (index 0, or 1 holding an old song's text) plays nothing.
    std::string text = (index >= 1 && index <= count) ? SongPatterns[section][index] : std::string();
    if (section == ChordSection) return text;
    const int r = platform::Rand(0, 2);
    const int mode = StretchMode[section];
    if ((mode > 0 && r > 0) || mode < 0) text = StretchText(text);
    if ((mode == StretchRandomPlus && r == 2) || mode == StretchDouble) text = StretchText(text);
    return text;
}

void BuildPhrase() {
    platform::SeedRnd(Seed(0));
    BuildCount += 1;
    PhraseIndex += 1;
    const int phrases = static_cast<int>(ChordText.size() / 4);
    if (PhraseIndex > phrases || ChordText.empty()) RenewArrangement();
    FillStepTables();
}

void ResetSequencer() {
    SongSeed = 0;
    PhraseIndex = -1;
    BuildCount = -1;
    ChordText.clear();
    for (std::string& text : TrackText) text.clear();
    for (auto& row : StepTable) {
        for (float& v : row) v = 0;
    }
    for (int k = 0; k < MuteFlags; ++k) Muted[k] = NextMuted[k] = 0, Fill[k] = 1;
    for (int i = 0; i < 3; ++i) Variant[i] = VariantCount[i] = 0;
}

}  // namespace music
