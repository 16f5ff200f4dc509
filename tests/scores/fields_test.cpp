// The field splitter and the text-to-number conversion.
#include "scores/fields.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

using scores::SplitField;
using scores::TextToInt;
using scores::TextToLong;

TEST(SplitField, NumbersFieldsFromOne) {
    EXPECT_EQ(SplitField("a|bc|d", "|", 1), "a");
    EXPECT_EQ(SplitField("a|bc|d", "|", 2), "bc");
    EXPECT_EQ(SplitField("a|bc|d", "|", 3), "d");
    EXPECT_EQ(SplitField("a|bc|d", "|", 4), "-+-");
}

TEST(SplitField, EmptyFieldsAtEitherEndAndBetweenSeparators) {
    EXPECT_EQ(SplitField("|x||y|", "|", 1), "");
    EXPECT_EQ(SplitField("|x||y|", "|", 2), "x");
    EXPECT_EQ(SplitField("|x||y|", "|", 3), "");
    EXPECT_EQ(SplitField("|x||y|", "|", 4), "y");
    EXPECT_EQ(SplitField("|x||y|", "|", 5), "");
    EXPECT_EQ(SplitField("|x||y|", "|", 6), "-+-");
}

TEST(SplitField, TextWithoutSeparatorIsBothFirstAndSecondField) {
    EXPECT_EQ(SplitField("  ESS \r", "=", 1), "ESS");
    EXPECT_EQ(SplitField("  ESS \r", "=", 2), "ESS");
    EXPECT_EQ(SplitField("  ESS \r", "=", 3), "-+-");
    EXPECT_EQ(SplitField("", "=", 1), "");
    EXPECT_EQ(SplitField("", "=", 2), "");
}

TEST(SplitField, TrimsOnlyTheWholeTextNotEachField) {
    EXPECT_EQ(SplitField("\t Width = 800 \t", "=", 1), "Width ");
    EXPECT_EQ(SplitField("\t Width = 800 \t", "=", 2), " 800");
    // A score line "5|" has an empty name and no third field.
    EXPECT_EQ(SplitField("5|", "|", 1), "5");
    EXPECT_EQ(SplitField("5|", "|", 2), "");
    EXPECT_EQ(SplitField("5|", "|", 3), "-+-");
}

TEST(SplitField, IndexBelowOneIsMissing) {
    EXPECT_EQ(SplitField("a,b", ",", 0), "-+-");
    EXPECT_EQ(SplitField("a,b", ",", -1), "-+-");
    EXPECT_EQ(SplitField("ab", ",", 0), "-+-");
}

TEST(SplitField, LongerSeparatorsAndBytesAboveCode127) {
    EXPECT_EQ(SplitField("a::b::c", "::", 2), "b");
    EXPECT_EQ(SplitField("a::b::c", "::", 3), "c");
    // Bytes of codes 128 and up are characters, not blanks.
    const std::string high = "\xe9x\xff";
    EXPECT_EQ(SplitField(high, "|", 1), high);
}

TEST(TrimField, DropsCodesBelow33FromBothEnds) {
    EXPECT_EQ(scores::TrimField(std::string("\x01 a b\x1f ", 6)), "a b");
    EXPECT_EQ(scores::TrimField(" \t\r\n"), "");
}

TEST(TextToInt, DecimalWithBlanksAndSign) {
    EXPECT_EQ(TextToInt("123"), 123);
    EXPECT_EQ(TextToInt("  \t-1024"), -1024);
    EXPECT_EQ(TextToInt("+77"), 77);
    EXPECT_EQ(TextToInt("42abc7"), 42);
    EXPECT_EQ(TextToInt("12.9"), 12);
}

TEST(TextToInt, NoDigitsGiveZero) {
    EXPECT_EQ(TextToInt(""), 0);
    EXPECT_EQ(TextToInt("abc"), 0);
    EXPECT_EQ(TextToInt("-"), 0);
    EXPECT_EQ(TextToInt("- 5"), 0);
    EXPECT_EQ(TextToInt("-+-"), 0);
    EXPECT_EQ(TextToInt("$"), 0);
    EXPECT_EQ(TextToInt("%2"), 0);
}

TEST(TextToInt, BinaryAndHexadecimal) {
    EXPECT_EQ(TextToInt("%1011"), 11);
    EXPECT_EQ(TextToInt("%1012"), 5);
    EXPECT_EQ(TextToInt("$ff"), 255);
    EXPECT_EQ(TextToInt("$FfG"), 255);
    EXPECT_EQ(TextToInt("-$10"), -16);
    // The prefix comes after the sign, never before it.
    EXPECT_EQ(TextToInt("$-10"), 0);
    // Without "$" hexadecimal letters stop a decimal number.
    EXPECT_EQ(TextToInt("1f"), 1);
}

TEST(TextToInt, WrapsAt32BitsWhileLongKeeps64) {
    EXPECT_EQ(TextToInt("2147483647"), 2147483647);
    EXPECT_EQ(TextToInt("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(TextToInt("4294967297"), 1);
    EXPECT_EQ(TextToInt("$FFFFFFFF"), -1);
    EXPECT_EQ(TextToLong("64635883200"), INT64_C(64635883200));
    EXPECT_EQ(TextToLong(" -9000000000x"), INT64_C(-9000000000));
    EXPECT_EQ(TextToLong("$7FFFFFFFFFFFFFFF"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(TextToLong("-+-"), 0);
}

TEST(TextToAbsInt, TakesTheMagnitude) {
    EXPECT_EQ(scores::TextToAbsInt("-1024"), 1024);
    EXPECT_EQ(scores::TextToAbsInt("250"), 250);
    EXPECT_EQ(scores::TextToAbsInt("x"), 0);
    EXPECT_EQ(scores::TextToAbsInt("-2147483648"), std::numeric_limits<std::int32_t>::max());
}

}  // namespace
