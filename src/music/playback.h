// Music playback: the band's instrument samples, starting a song and the step clock that plays it
// one step per frame-pump call on channel slots 0 to 4 of framework::Channels.
#pragma once

#include <string>

#include "platform/audio.h"

namespace music {

// Sample slots 1 to 8 of each instrument; slot 0 stays empty.
inline constexpr int SampleSlots = 9;
// Drum kits 1 and 2 (loaded whether or not the files exist) and the melodic instruments.
extern platform::Sound DrumKit1[SampleSlots], DrumKit2[SampleSlots];
extern platform::Sound BassSamples[SampleSlots], LeadSamples[SampleSlots], AccompanySamples[SampleSlots];

// Set once a song has started; nothing clears it.
extern bool MusicPlaying;
// Current step of the phrase, 0 to 63; -1 before the first step.
extern int StepIndex;
// The clock value after which the next step plays, and the step length in milliseconds.
extern int NextStepTime, StepInterval;
// How far left and right the panned tracks sit.
extern float PanWidth;

// Loads "music/d1-n.wav", "music/d2-n.wav" and the bass, lead and accompaniment samples that
// exist (n = 1 to 8) and sets their variant counts. Called once by the game's asset loading.
void LoadMusicSamples();
// Parses "music/<name>.ini" and, when the file exists, starts it with the seed (-1: from the
// clock) and tempo (a step lasts tempo / 2 ms); the first step plays 250 ms later. A missing
// file leaves the current song playing.
void PlaySong(const std::string& name, int seed, int tempo);
// Plays at most one step when the clock has passed NextStepTime. Called every frame.
void MusicTick();
// Connects PlaySong and MusicTick to the framework's screen hooks.
void InstallMusic();
// Clears the playback state and the sample slots (tests; the program never needs it).
void ResetMusic();

}  // namespace music
