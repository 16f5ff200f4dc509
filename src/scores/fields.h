// Reading separator-delimited text: the one field splitter and the text-to-number conversion
// that every reader of the program's text files (setup file, score file, song files, menus) uses.
#pragma once

#include <cstdint>
#include <string>

namespace scores {

// What SplitField returns for a field that does not exist; it reads as the number 0.
inline constexpr const char* MissingField = "-+-";

// The text without its leading and trailing characters of code below 33 (blanks and controls).
std::string TrimField(const std::string& text);

// Field index (from 1) of the trimmed text split at separator. Empty fields are empty texts.
// Text without any separator gives the whole trimmed text for index 1 and 2; any other index
// that names no field (including 0 and below) gives MissingField.
std::string SplitField(const std::string& text, const std::string& separator, int index);

// The integer at the start of text: leading blanks skipped, optional "+" or "-", then decimal
// digits, or binary digits after "%", or hexadecimal digits (either case) after "$"; stops at the
// first character that is no digit of the base; no digits give 0. Overflow wraps at 32 bits.
std::int32_t TextToInt(const std::string& text);
// The same conversion in 64 bits (scores and timestamps).
std::int64_t TextToLong(const std::string& text);
// TextToInt of the text made non-negative, as the setup and score readers store their values.
// The most negative value, which has no positive counterpart, gives the largest value.
std::int32_t TextToAbsInt(const std::string& text);

}  // namespace scores
