// Packing story texts into the game's line files and back.
#include "app/StoryText.h"

#include <gtest/gtest.h>

#include <string>

#include "script/MyCrypt.h"

namespace {

TEST(PackText, ScramblesEachLineAndKeepsBreaks) {
  // "ソ" is CP932 83 5C.
  const std::string packed = storytext::PackText("a\tソ\r\nb\n");
  const std::string expected = ScrambleLine("a\t\x83\x5C") + "\r\n" + ScrambleLine("b") + "\n";
  EXPECT_EQ(packed, expected);
  EXPECT_EQ(storytext::UnpackText(packed), "a\tソ\r\nb\n");
}

TEST(PackText, RoundTripsJapaneseText) {
  const std::string text = "「焔の庭」表示　ソース\n// コメント\n@start\n";
  EXPECT_EQ(storytext::UnpackText(storytext::PackText(text)), text);
}

TEST(PackText, NamesLineAndColumnInCharacters) {
  struct Case {
    const char* text;
    int line, column;
    const char* named;  // part of the message
  };
  const Case cases[] = {
      {"first\nあいé\n", 2, 3, "U+00E9"},
      {"ok\n\xFF", 2, 1, "not UTF-8"},
  };
  for (const Case& c : cases) {
    try {
      storytext::PackText(c.text);
      ADD_FAILURE() << c.text;
    } catch (const storytext::PackError& e) {
      EXPECT_EQ(e.line(), c.line) << c.text;
      EXPECT_EQ(e.column(), c.column) << c.text;
      EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos) << e.what();
    }
  }
}

TEST(LineToCp932, LeavesOutWhatCp932CannotHoldAndNamesTheFirst) {
  struct Case {
    const char* utf8;
    const char* cp932;
    const char* firstBad;
  };
  const Case cases[] = {
      {"ソa",
       "\x83\x5C"
       "a",
       ""},
      {"caf\xC3\xA9 \xE2\x82\xAC!", "caf !", "\xC3\xA9"},
      {"x\xE3\x81y\xFF", "xy", "\xE3"},  // a cut character: byte by byte
  };
  for (const Case& c : cases) {
    const storytext::Cp932Line line = storytext::LineToCp932(c.utf8);
    EXPECT_EQ(line.text, c.cp932) << c.utf8;
    EXPECT_EQ(line.firstBad, c.firstBad) << c.utf8;
  }
}

}  // namespace
