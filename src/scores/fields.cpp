// The field splitter and the text-to-number conversion shared by every text reader.
#include "scores/fields.h"

#include <limits>

namespace scores {
namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) < 33;
}

// Value of c as a digit of base, or -1 when it is none.
int DigitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

// The conversion in unsigned 64-bit arithmetic, so overflow wraps instead of being undefined;
// the callers truncate to their own width.
std::uint64_t ConvertWrapping(const std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    int base = 10;
    if (pos < text.size() && text[pos] == '%') {
        base = 2;
        ++pos;
    } else if (pos < text.size() && text[pos] == '$') {
        base = 16;
        ++pos;
    }
    std::uint64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const int digit = DigitValue(text[pos], base);
        if (digit < 0) break;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    }
    return negative ? 0 - value : value;
}

}  // namespace

std::string TrimField(const std::string& text) {
    std::size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

std::string SplitField(const std::string& text, const std::string& separator, int index) {
    const std::string trimmed = TrimField(text);
    const std::size_t first_separator = separator.empty() ? std::string::npos : trimmed.find(separator);
    if (first_separator == std::string::npos) return index == 1 || index == 2 ? trimmed : MissingField;
    if (index < 1) return MissingField;
    // Walk to the start of field index; each step passes one separator.
    std::size_t start = 0;
    for (int field = 1; field < index; ++field) {
        const std::size_t next = trimmed.find(separator, start);
        if (next == std::string::npos) return MissingField;
        start = next + separator.size();
    }
    const std::size_t end = trimmed.find(separator, start);
    return trimmed.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::int32_t TextToInt(const std::string& text) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(ConvertWrapping(text)));
}

std::int64_t TextToLong(const std::string& text) {
    return static_cast<std::int64_t>(ConvertWrapping(text));
}

std::int32_t TextToAbsInt(const std::string& text) {
    const std::int32_t value = TextToInt(text);
    if (value == std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::max();
    return value < 0 ? -value : value;
}

}  // namespace scores
