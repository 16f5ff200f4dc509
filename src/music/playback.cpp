// Instrument samples, starting a song and the step clock: one step per call, five monophonic
// tracks on channel slots 0 to 4, melodic notes transposed by the current chord.
#include "music/playback.h"

#include <string>

#include "framework/hooks.h"
#include "framework/program.h"
#include "framework/settings.h"
#include "music/patterns.h"
#include "music/song.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/random.h"

namespace music {

platform::Sound DrumKit1[SampleSlots], DrumKit2[SampleSlots];
platform::Sound BassSamples[SampleSlots], LeadSamples[SampleSlots], AccompanySamples[SampleSlots];

bool MusicPlaying = false;
int StepIndex = -1;
int NextStepTime = 0, StepInterval = 0;
float PanWidth = 0.3f;

namespace {

// Loads "music/<stem><n>.wav" into slot n when the file exists and raises the variant count.
void LoadVariant(platform::Sound* slots, const char* stem, int n, int instrument) {
    const std::string path = "music/" + std::string(stem) + std::to_string(n) + ".wav";
    if (platform::FileType(path) != 1) return;
    slots[n] = platform::LoadSound(path, 0);
    VariantCount[instrument] = n;
}

// Where the step sits in the progression: the chord's rate and the lead-in phase (0 none, 1 the
// first 8 of the last 16 steps, 2 the last 8 steps).
struct ChordPosition {
    float chord_rate = 0;
    int phase = 0;
};

ChordPosition PositionInProgression() {
    const int length = static_cast<int>(ChordText.size());
    const int slot = StepIndex / 16 + (PhraseIndex - 1) * 4;
    const int half_slot = StepIndex / 8 + (PhraseIndex - 1) * 8;
    ChordPosition at;
    at.chord_rate = (slot >= 0 && slot < length) ? NoteRate(ChordText[static_cast<std::size_t>(slot)]) : 0.0f;
    if (half_slot >= 2 * length - 1) {
        at.phase = 2;
    } else if (slot >= length - 1) {
        at.phase = 1;
    }
    return at;
}

bool TrackSilent(int track, int phase) {
    if (Muted[track] != 1) return false;
    // A muted track that plays in the next progression leads in over its last 8 or 16 steps.
    if (NextMuted[track] == 0) {
        if (phase == 2) return false;
        if (phase == 1 && Fill[track] == 1) return false;
    }
    return true;
}

const platform::Sound* TrackSample(int track, int drum) {
    const int bass = Variant[BassInstrument], lead = Variant[LeadInstrument];
    const int accompany = Variant[AccompanyInstrument];
    auto in_range = [](int n) { return n >= 1 && n < SampleSlots; };
    switch (track) {
        case Drum1Track:
            return &DrumKit1[drum];
        case Drum2Track:
            return &DrumKit2[drum];
        case BassTrack:
            return in_range(bass) ? &BassSamples[bass] : nullptr;
        case MelodyTrack:
            return in_range(lead) ? &LeadSamples[lead] : nullptr;
        default:
            return in_range(accompany) ? &AccompanySamples[accompany] : nullptr;
    }
}

void StartSound(int track, float value, float chord_rate) {
    const bool drum = track == Drum1Track || track == Drum2Track;
    const int hit = static_cast<int>(value);
    if (drum ? (hit < 1 || hit > 8) : value == 0.0f) return;
    platform::Channel& slot = framework::Channels[track];
    // Each track is monophonic: a new note cuts the one still sounding.
    if (slot && platform::ChannelPlaying(slot)) {
        platform::StopChannel(slot);
        slot = 0;
    }
    slot = platform::AllocChannel();
    const platform::Sound* sample = TrackSample(track, hit);
    // An empty sample slot (missing file) plays nothing: CueSound then gives no channel.
    const platform::Channel channel = sample ? platform::CueSound(*sample, slot) : 0;
    if (!channel) return;
    slot = channel;
    static const float kPanSign[TrackCount] = {1.0f, -1.0f, -1.0f, 0.0f, 1.0f};
    if (track != MelodyTrack) platform::SetPan(channel, kPanSign[track] * PanWidth);
    if (!drum) platform::SetRate(channel, value * chord_rate);
    const float divisor = track == AccompanyTrack ? 200.0f : 100.0f;
    const float volume =
        static_cast<float>(framework::Settings[11]) * framework::Settings[13] / 100.0f / divisor;
    framework::ChannelVolumes[track] = volume;
    platform::SetVolume(channel, volume);
    platform::SetPaused(channel, false);
}

}  // namespace

void LoadMusicSamples() {
    for (int n = 1; n <= 8; ++n) {
        // Drum samples are loaded blind: a missing file leaves an empty slot that plays nothing.
        DrumKit1[n] = platform::LoadSound("music/d1-" + std::to_string(n) + ".wav", 0);
        DrumKit2[n] = platform::LoadSound("music/d2-" + std::to_string(n) + ".wav", 0);
        LoadVariant(BassSamples, "bass", n, BassInstrument);
        LoadVariant(LeadSamples, "lead", n, LeadInstrument);
        LoadVariant(AccompanySamples, "accompany", n, AccompanyInstrument);
    }
}

void PlaySong(const std::string& name, int seed, int tempo) {
    if (!ParseSong(name)) return;
    platform::SeedRnd(static_cast<int>(static_cast<unsigned>(seed) * 1024u));
    if (seed == -1) {
        seed = platform::MilliSecs();
        platform::SeedRnd(static_cast<int>(static_cast<unsigned>(seed) * 1024u));
    }
    SongSeed = seed;
    PanWidth = 0.3f;
    ChordText.clear();
    BuildCount = PhraseIndex = StepIndex = -1;
    StepInterval = tempo / 2;
    for (int k = 0; k < MuteFlags; ++k) NextMuted[k] = platform::Rand(0, 1);
    BuildPhrase();
    NextStepTime = platform::MilliSecs() + 250;
    MusicPlaying = true;
}

void MusicTick() {
    if (!MusicPlaying || !(platform::MilliSecs() > NextStepTime)) return;
    // One interval per step: after a stall the following calls catch up one step each.
    NextStepTime += StepInterval;
    StepIndex += 1;
    if (StepIndex >= PhraseSteps) {
        StepIndex = 0;
        BuildPhrase();
    }
    const ChordPosition at = PositionInProgression();
    for (int t = 0; t < TrackCount; ++t) {
        if (TrackSilent(t, at.phase)) continue;
        StartSound(t, StepTable[t][StepIndex], at.chord_rate);
    }
}

void InstallMusic() {
    framework::Screens.play_song = [](const std::string& name, int seed, int step) {
        PlaySong(name, seed, step);
    };
    framework::Screens.music_tick = MusicTick;
}

void ResetMusic() {
    for (int n = 0; n < SampleSlots; ++n) {
        DrumKit1[n] = DrumKit2[n] = BassSamples[n] = LeadSamples[n] = AccompanySamples[n] = nullptr;
    }
    MusicPlaying = false;
    StepIndex = -1;
    NextStepTime = StepInterval = 0;
    PanWidth = 0.3f;
    ResetSequencer();
}

}  // namespace music
