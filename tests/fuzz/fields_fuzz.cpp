// The field splitter and the text-to-number conversion on arbitrary text: no crash and no
// undefined arithmetic, the fields of a split put back together give the trimmed text, and
// numbers written in decimal, binary or hexadecimal read back as themselves.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "scores/fields.h"

namespace {

std::string Binary(std::uint64_t value) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + (value & 1)));
        value >>= 1;
    } while (value != 0);
    return digits;
}

std::string Hex(std::uint64_t value) {
    static const char kDigits[] = "0123456789aBcDeF";
    std::string digits;
    do {
        digits.insert(digits.begin(), kDigits[value & 15]);
        value >>= 4;
    } while (value != 0);
    return digits;
}

// The input split as: one separator byte, then the text.
void CheckSplit(const std::string& separator, const std::string& text) {
    using scores::SplitField;
    const std::string trimmed = scores::TrimField(text);
    // A field that reads "-+-" cannot be told from a missing one.
    if (trimmed.find(scores::MissingField) != std::string::npos) return;
    fuzz::Require(SplitField(text, separator, 0) == scores::MissingField, "field 0 is missing");
    if (trimmed.find(separator) == std::string::npos) {
        fuzz::Require(SplitField(text, separator, 1) == trimmed, "no separator: field 1 is the text");
        return;
    }
    std::string joined = SplitField(text, separator, 1);
    int index = 2;
    for (; index < 4096; ++index) {
        const std::string field = SplitField(text, separator, index);
        if (field == scores::MissingField) break;
        joined += separator + field;
    }
    fuzz::Require(index < 4096, "a text has fewer fields than characters");
    fuzz::Require(joined == trimmed, "the fields rejoined give the trimmed text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // Numbers of any text: only the absence of crashes and undefined arithmetic is checked.
    const std::int32_t as_int = scores::TextToInt(text);
    const std::int64_t as_long = scores::TextToLong(text);
    fuzz::Require(static_cast<std::int32_t>(static_cast<std::uint64_t>(as_long)) == as_int,
                  "the 32-bit value is the 64-bit value wrapped");
    fuzz::Require(scores::TextToAbsInt(text) >= 0, "the absolute value is not negative");

    if (size >= 1) {
        const std::string separator(1, text[0]);
        // A separator that trimming could eat changes the field count; only printable ones.
        if (static_cast<unsigned char>(separator[0]) > 32) CheckSplit(separator, text.substr(1, 300));
    }

    if (size >= 8) {
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i) bits = bits << 8 | data[i];
        const auto value = static_cast<std::int64_t>(bits);
        fuzz::Require(scores::TextToLong(std::to_string(value)) == value, "decimal reads back");
        fuzz::Require(scores::TextToLong("%" + Binary(bits)) == value, "binary reads back");
        fuzz::Require(scores::TextToLong("  $" + Hex(bits)) == value, "hexadecimal reads back");
    }
    return 0;
}
