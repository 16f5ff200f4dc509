// Song files: the five sections of pattern texts, their stretch options, and the note notation
// shared by the melodic parts. One song is loaded at a time into the tables below.
#pragma once

#include <string>

namespace music {

// Sections in file order: 0 drums, 1 chords, 2 bass, 3 melody, 4 accompaniment.
inline constexpr int SectionCount = 5;
inline constexpr int DrumSection = 0, ChordSection = 1, BassSection = 2, MelodySection = 3,
                     AccompanySection = 4;
// Pattern texts are stored and counted at indices 1 to MaxPatterns.
inline constexpr int MaxPatterns = 998;

// Stretch modes of a section.
inline constexpr int StretchOnce = -1, StretchNever = 0, StretchRandom = 1, StretchRandomPlus = 2,
                     StretchDouble = -2;

// Pattern texts per section at indices 1 to 998; texts stay from one song to the next, only
// PatternCount decides which are used.
extern std::string SongPatterns[SectionCount][MaxPatterns + 1];
// Number of pattern lines of each section in the current song.
extern int PatternCount[SectionCount];
// Stretch mode of each section (StretchOnce when the section has no STRETCH line).
extern int StretchMode[SectionCount];

// Playback-rate factor of a note character (lower-cased first): "q" is 1.0, each key of the
// two-row keyboard layout a semitone; 0 for "z", the space and anything not in the table.
float NoteRate(char character);

// Reads "music/<name>.ini" into the song tables. Returns false and changes nothing when the
// file does not exist; otherwise counts and modes are reset before the file is read.
bool ParseSong(const std::string& name);
// Clears every text, count and mode (tests).
void ResetSongTables();

}  // namespace music
