// The song parser and the note-rate table.
#include "music/song.h"

#include <cctype>

#include "platform/files.h"
#include "scores/fields.h"

namespace music {

std::string SongPatterns[SectionCount][MaxPatterns + 1];
int PatternCount[SectionCount];
int StretchMode[SectionCount] = {StretchOnce, StretchOnce, StretchOnce, StretchOnce, StretchOnce};

namespace {

struct NoteEntry {
    char key;
    float rate;
};

// Two keyboard rows, one semitone per key, "q" the reference pitch. The four-decimal values are
// used exactly as they stand, not recomputed, so every build plays the same pitches.
constexpr NoteEntry kNotes[] = {
    {'s', 0.5295f}, {'x', 0.5610f}, {'d', 0.5945f}, {'c', 0.6300f}, {'v', 0.6675f}, {'g', 0.7070f},
    {'b', 0.7490f}, {'h', 0.7935f}, {'n', 0.8410f}, {'j', 0.8910f}, {'m', 0.9440f}, {'q', 1.0000f},
    {'2', 1.0590f}, {'w', 1.1220f}, {'3', 1.1890f}, {'e', 1.2600f}, {'r', 1.3350f}, {'5', 1.4140f},
    {'t', 1.4980f}, {'6', 1.5870f}, {'y', 1.6820f}, {'7', 1.7820f}, {'u', 1.8880f}, {'i', 2.0000f},
    {'9', 2.1180f}, {'o', 2.2440f}, {'0', 2.3780f}, {'p', 2.5200f}, {'[', 2.6700f}, {'=', 2.8280f},
    {']', 2.9960f},
};

const char* const kHeaders[SectionCount] = {"[DRUMS", "[CHORDS", "[BASS", "[MELODY", "[ACCOMPANY"};

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool EndsWith(const std::string& text, const std::string& ending) {
    return text.size() >= ending.size() &&
           text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

// The section a header line names, or the current one when it names none.
int HeaderSection(const std::string& line, int current) {
    std::string name;
    for (char c : Upper(line)) {
        if (c != ']') name += c;
    }
    for (int s = 0; s < SectionCount; ++s) {
        if (name == kHeaders[s]) return s;
    }
    return current;
}

void ApplyStretchLine(const std::string& upper, int section) {
    // Tested in this order; "RANDOM+" does not end in "RANDOM", so the two cannot be confused.
    if (EndsWith(upper, "FALSE")) {
        StretchMode[section] = StretchNever;
    } else if (EndsWith(upper, "RANDOM")) {
        StretchMode[section] = StretchRandom;
    } else if (EndsWith(upper, "RANDOM+")) {
        StretchMode[section] = StretchRandomPlus;
    } else if (EndsWith(upper, "DOUBLE")) {
        StretchMode[section] = StretchDouble;
    }
}

void AddPattern(const std::string& line, int section) {
    std::string text;
    for (char c : line) {
        if (c != '"') text += c;
    }
    // Counting stops where storing stops, so a pick can never reach an index without a text.
    if (PatternCount[section] >= MaxPatterns) return;
    PatternCount[section] += 1;
    SongPatterns[section][PatternCount[section]] = text;
}

void ClassifyLine(const std::string& raw, int& section) {
    const std::string line = scores::TrimField(raw);
    if (line.empty()) return;
    if (line[0] == '[') {
        section = HeaderSection(line, section);
        return;
    }
    const std::string upper = Upper(line);
    if (upper.rfind("STRETCH", 0) == 0 && section >= 0) {
        ApplyStretchLine(upper, section);
    } else if (line[0] == '"' && section >= 0) {
        AddPattern(line, section);
    }
}

}  // namespace

float NoteRate(char character) {
    const char key = static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
    for (const NoteEntry& note : kNotes) {
        if (note.key == key) return note.rate;
    }
    return 0.0f;
}

bool ParseSong(const std::string& name) {
    const std::string path = "music/" + name + ".ini";
    // The tables are reset only once the file is known to exist, so asking for a missing song
    // leaves the playing one with its patterns intact.
    if (platform::FileType(path) != 1) return false;
    platform::Stream stream = platform::ReadFile(path);
    if (!stream) return false;
    for (int s = 0; s < SectionCount; ++s) {
        PatternCount[s] = 0;
        StretchMode[s] = StretchOnce;
    }
    int section = -1;
    while (!platform::Eof(stream)) ClassifyLine(platform::ReadLine(stream), section);
    platform::CloseStream(stream);
    return true;
}

void ResetSongTables() {
    for (int s = 0; s < SectionCount; ++s) {
        for (std::string& text : SongPatterns[s]) text.clear();
        PatternCount[s] = 0;
        StretchMode[s] = StretchOnce;
    }
}

}  // namespace music
