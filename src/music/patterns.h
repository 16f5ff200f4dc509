// Pattern generation: the seeded arrangement of a song (instrument variants, chord progression,
// mutes, lead-in fills, one pattern per track) and the 64-step tables of each phrase.
#pragma once

#include <string>

namespace music {

// Tracks in playing order: two drum tracks, bass, melody (lead instrument), accompaniment.
inline constexpr int TrackCount = 5;
inline constexpr int Drum1Track = 0, Drum2Track = 1, BassTrack = 2, MelodyTrack = 3, AccompanyTrack = 4;
inline constexpr int PhraseSteps = 64;
// Mute and fill flags are drawn for this many tracks, of which the first five are used.
inline constexpr int MuteFlags = 20;
// Indices of Variant and VariantCount.
inline constexpr int BassInstrument = 0, LeadInstrument = 1, AccompanyInstrument = 2;

extern int SongSeed;
// 1-based phrase within the chord progression, and builds so far minus one; -1 before a song.
extern int PhraseIndex, BuildCount;
// The chord progression, four characters per phrase.
extern std::string ChordText;
// The pattern each track plays in the current progression.
extern std::string TrackText[TrackCount];
// Per track and step: the drum sample number, or the note rate of the melodic tracks; 0 = none.
extern float StepTable[TrackCount][PhraseSteps];
// 1 = silent in this progression; the next progression's flags; lead-in earliness (1 or 2).
extern int Muted[MuteFlags], NextMuted[MuteFlags], Fill[MuteFlags];
// Chosen sample number and highest sample number of bass, lead and accompaniment.
extern int Variant[3], VariantCount[3];

// A pattern of the section, chosen on a generator seeded from the song seed, the two counters
// and the salt, and stretched as the section's mode and one more draw decide. Empty when the
// section holds no pattern.
std::string PickPattern(int section, int salt);
// Fills StepTable for the next phrase, renewing the arrangement first when the chord
// progression is used up (or there is none).
void BuildPhrase();
// Doubles a text's length by putting a space after each character (half speed).
std::string StretchText(const std::string& text);
// Puts the sequencer state back to its start-up values (variant counts included).
void ResetSequencer();

}  // namespace music
