#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "script/MyCrypt.h"
#include "tools/marigold-dat/DatFile.h"

namespace {

const std::string kExample =
    "@start\n#midi theme.mid\nFirst line\nSecond line\n\nThird line\n#end\n\n";

TEST(PackText, ScramblesEachLineAndKeepsBreaks) {
  // "ソ" is CP932 83 5C.
  const std::string packed = mgdat::PackText("a\tソ\r\nb\n");
  const std::string expected = ScrambleLine("a\t\x83\x5C") + "\r\n" + ScrambleLine("b") + "\n";
  EXPECT_EQ(packed, expected);
  EXPECT_EQ(mgdat::UnpackText(packed), "a\tソ\r\nb\n");
}

TEST(PackText, RoundTripsJapaneseText) {
  const std::string text = "「焔の庭」表示　ソース\n// コメント\n@start\n";
  EXPECT_EQ(mgdat::UnpackText(mgdat::PackText(text)), text);
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
      mgdat::PackText(c.text);
      ADD_FAILURE() << c.text;
    } catch (const mgdat::PackError& e) {
      EXPECT_EQ(e.line(), c.line) << c.text;
      EXPECT_EQ(e.column(), c.column) << c.text;
      EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos) << e.what();
    }
  }
}

TEST(JsonString, EscapesQuotesBackslashesAndControls) {
  EXPECT_EQ(mgdat::JsonString("a\"b\\c\td\x01"), "\"a\\\"b\\\\c\\td\\u0001\"");
  EXPECT_EQ(mgdat::JsonString("焔"), "\"焔\"");
}

mgdat::FileReader Serve(const std::string& name, const std::string& bytes) {
  return [name, bytes](const std::string& path, std::string& out) {
    if (path != name) return false;
    out = bytes;
    return true;
  };
}

TEST(Trace, ExampleGivesTwoDeliveries) {
  std::ostringstream out;
  const auto result = mgdat::Trace("s", {}, out, Serve("s", mgdat::PackText(kExample)));
  EXPECT_TRUE(result.loaded);
  EXPECT_TRUE(result.ended);
  EXPECT_EQ(out.str(),
            "{\"delivery\":1,\"commands\":[[\"#midi\",\"theme.mid\"]],\"batch\":[\"First line\","
            "\"Second line\"],\"ended\":false}\n"
            "{\"delivery\":2,\"commands\":[],\"batch\":[\"Third line\",\"\"],\"ended\":true}\n");
}

TEST(Trace, ErrorsAreReportedAndTracingGoesOn) {
  mgdat::TraceOptions options;
  options.plain = true;
  options.label = "@b";
  options.maxDeliveries = 3;
  std::ostringstream out;
  const auto result =
      mgdat::Trace("s", options, out,
                   Serve("s", "@a\nnot shown\n@b\n#goto\n#HEATUP 5\ntext\n\n#goto @b\nend\n"));
  EXPECT_FALSE(result.ended);
  EXPECT_EQ(result.deliveries, 3);
  std::istringstream lines(out.str());
  std::string first, second, third, rest;
  std::getline(lines, first);
  std::getline(lines, second);
  std::getline(lines, third);
  EXPECT_FALSE(std::getline(lines, rest));
  EXPECT_EQ(first.rfind("{\"delivery\":1,\"error\":\"", 0), 0u) << first;
  EXPECT_EQ(second,
            "{\"delivery\":2,\"commands\":[[\"#HEATUP\",\"5\"]],\"batch\":[\"text\"],"
            "\"ended\":false}");
  EXPECT_EQ(third.rfind("{\"delivery\":3,\"error\"", 0), 0u) << third;
}

TEST(Trace, MissingFileIsNotLoaded) {
  std::ostringstream out;
  const auto result = mgdat::Trace("absent", {}, out, Serve("s", ""));
  EXPECT_FALSE(result.loaded);
  EXPECT_EQ(result.beeps, 1);
  EXPECT_TRUE(out.str().empty());
}

}  // namespace
