#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "script/GaleUtility.h"
#include "script/MyCrypt.h"

namespace {

using Lines = std::vector<std::string>;

// Real two-byte characters whose second byte looks like ASCII.
const std::string kSo = "\x83\x5C";      // ソ, second byte "\"
const std::string kHyo = "\x95\x5C";     // 表, second byte "\"
const std::string kSmallA = "\x83\x40";  // ァ, second byte "@"

TEST(ScrambleLine, IsItsOwnInverseAndKeepsControlBytes) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string once = ScrambleLine(all);
  EXPECT_EQ(ScrambleLine(once), all);
  EXPECT_NE(once, all);
  for (int b = 0; b < 256; ++b) {
    const auto in = static_cast<unsigned char>(all[b]);
    const auto out = static_cast<unsigned char>(once[b]);
    if (in < 0x20) {
      EXPECT_EQ(out, in) << b;
    } else {
      EXPECT_GE(out, 0x20) << b;
      EXPECT_EQ(out, in ^ kScrambleMask) << b;
    }
  }
  const std::string tabbed = "a\tb";
  EXPECT_EQ(ScrambleLine(tabbed)[1], '\t');
}

TEST(FindText, NeverMatchesFromASecondByte) {
  // "\" inside ソ and 表 is not a backslash.
  EXPECT_EQ(FindText(kSo + kHyo, "\\"), std::string::npos);
  EXPECT_EQ(FindText(kSo + "\\", "\\"), 2u);
  // "@" as the second byte of ァ.
  EXPECT_EQ(FindText(kSmallA, "@"), std::string::npos);
  EXPECT_EQ(FindText("x" + kSmallA + "@", "@"), 3u);
  // A two-byte pattern that straddles two characters does not match:
  // ソ followed by 表 holds the bytes 5C 95 in its middle.
  EXPECT_EQ(FindText(kSo + kHyo, "\x5C\x95"), std::string::npos);
  EXPECT_EQ(FindText("ab" + kSo + kSo, kSo), 2u);
  EXPECT_EQ(FindText("ab" + kSo + kSo, kSo, 3 + 1), 4u);
  // A lone lead byte in the pattern must not swallow half of a character.
  EXPECT_EQ(FindText(kSo, "\x83"), std::string::npos);
}

TEST(FindText, LeadByteWithoutValidSecondByteStandsAlone) {
  // 0x83 before "/" is no character: the comment mark behind it is found.
  EXPECT_EQ(FindText("a\x83//x", "//"), 2u);
  // A lead byte at the very end is a character of its own.
  EXPECT_EQ(FindText("a\x83", "\x83"), 1u);
}

TEST(ReplaceText, CharacterAwareAndWithoutOverlap) {
  EXPECT_EQ(ReplaceText("aaaa", "aa", "a"), "aa");
  EXPECT_EQ(ReplaceText(kSmallA + "@", "@", "#"), kSmallA + "#");
  EXPECT_EQ(ReplaceText("abc", "", "x"), "abc");
}

TEST(SplitBy, PiecesBetweenSeparators) {
  Lines parts;
  SplitBy("a b", " ", parts);
  EXPECT_EQ(parts, (Lines{"a", "b"}));
  SplitBy("a  b", " ", parts);
  EXPECT_EQ(parts, (Lines{"a", "", "b"}));
  SplitBy("a ", " ", parts);
  EXPECT_EQ(parts, (Lines{"a", ""}));
  SplitBy(" a", " ", parts);
  EXPECT_EQ(parts, (Lines{"", "a"}));
  SplitBy("", " ", parts);
  EXPECT_EQ(parts, (Lines{""}));
  SplitBy("x//y//z", "//", parts);
  EXPECT_EQ(parts, (Lines{"x", "y", "z"}));
}

TEST(SplitBy, EmptySeparatorLeavesTheListAlone) {
  Lines parts{"kept", "as", "is"};
  SplitBy("a b", "", parts);
  EXPECT_EQ(parts, (Lines{"kept", "as", "is"}));
}

TEST(SplitBy, SecondBytesNeverSplit) {
  Lines parts;
  SplitBy(kSo + "\\" + kHyo, "\\", parts);
  EXPECT_EQ(parts, (Lines{kSo, kHyo}));
  SplitBy("a" + kSmallA + "b", "@", parts);
  EXPECT_EQ(parts, (Lines{"a" + kSmallA + "b"}));
}

TEST(SameTextIgnoringCase, FoldsOnlySingleByteLetters) {
  EXPECT_TRUE(SameTextIgnoringCase("#MiDi", "#midi"));
  EXPECT_FALSE(SameTextIgnoringCase("#midi", "#midis"));
  // ア is 83 41 ("A" as second byte), ヂ is 83 61 ("a"): different characters.
  EXPECT_FALSE(SameTextIgnoringCase("\x83\x41", "\x83\x61"));
  EXPECT_TRUE(SameTextIgnoringCase("\x83\x41", "\x83\x41"));
}

TEST(ReadLines, BreaksAndEndOfFile) {
  EXPECT_EQ(ReadLines("a\nb\nc\n"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(ReadLines("a\r\nb\r\nc\r\n"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(ReadLines("a\nb\r\nc"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(ReadLines(""), Lines{});
  EXPECT_EQ(ReadLines("\n"), (Lines{""}));
  EXPECT_EQ(ReadLines("\n\n"), (Lines{"", ""}));
  EXPECT_EQ(ReadLines("a\n\nb"), (Lines{"a", "", "b"}));
}

TEST(ReadLines, LoneCrIsDroppedAndDoesNotBreak) {
  EXPECT_EQ(ReadLines("a\rb\n"), (Lines{"ab"}));
  EXPECT_EQ(ReadLines("a\r\r\nb"), (Lines{"a", "b"}));
  EXPECT_EQ(ReadLines("a\r"), (Lines{"a"}));
}

TEST(ReadLines, EndOfFileMarkStopsReading) {
  EXPECT_EQ(ReadLines("a\nbc\x1A"
                      "de\nf\n"),
            (Lines{"a", "bc"}));
  EXPECT_EQ(ReadLines("a\n\x1A"
                      "b\n"),
            (Lines{"a"}));
  EXPECT_EQ(ReadLines("\x1A"
                      "abc"),
            Lines{});
}

TEST(ReadLines, KeepsLongLinesAndOtherControlBytes) {
  const std::string longLine(200000, 'x');
  EXPECT_EQ(ReadLines(longLine + "\n" + "\t\x01" + "y"), (Lines{longLine, "\t\x01y"}));
}

TEST(StrToInt, AcceptsDecimalWithSign) {
  EXPECT_EQ(StrToInt("0"), 0);
  EXPECT_EQ(StrToInt("42"), 42);
  EXPECT_EQ(StrToInt("+7"), 7);
  EXPECT_EQ(StrToInt("-15"), -15);
  EXPECT_EQ(StrToInt("007"), 7);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(StrToInt("-0000000000002147483648"), std::numeric_limits<std::int32_t>::min());
}

TEST(StrToInt, RejectsEverythingElse) {
  for (const char* bad : {"", "+", "-", "abc", "12a", "1 2", " 1", "1 ", "0x10", "1.5", "--1",
                          "\xEF\xBC\x91" /* full-width 1 */}) {
    EXPECT_THROW(StrToInt(bad), std::runtime_error) << bad;
  }
  for (const char* big : {"2147483648", "-2147483649", "99999999999999999999999"}) {
    EXPECT_THROW(StrToInt(big), std::runtime_error) << big;
  }
}

TEST(StrToInt, MessageNamesTheWordInValidUtf8) {
  try {
    StrToInt("abc");
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "'abc' は整数ではありません");
  }
  try {
    StrToInt(kSo);
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "'\\x83\\x5C' は整数ではありません");
  }
}

TEST(CheckedArithmetic, ExactOrRaises) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  EXPECT_EQ(CheckedAdd(kMax - 1, 1), kMax);
  EXPECT_EQ(CheckedAdd(kMin, kMax), -1);
  EXPECT_EQ(CheckedAdd(kMin + 1, -1), kMin);
  EXPECT_THROW(CheckedAdd(kMax, 1), std::overflow_error);
  EXPECT_THROW(CheckedAdd(kMin, -1), std::overflow_error);
  EXPECT_EQ(CheckedMul(46340, 46340), 2147395600);
  EXPECT_EQ(CheckedMul(-1, kMax), -kMax);
  EXPECT_EQ(CheckedMul(kMin, 1), kMin);
  EXPECT_THROW(CheckedMul(46341, 46341), std::overflow_error);
  EXPECT_THROW(CheckedMul(kMin, -1), std::overflow_error);
  EXPECT_THROW(CheckedMul(65536, -32769), std::runtime_error);
}

}  // namespace
