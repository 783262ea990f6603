#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/StoryText.h"
#include "tools/marigold-dat/DatFile.h"
#include "tools/story/Json.h"

namespace {

const std::string kExample =
    "@start\n#midi theme.mid\nFirst line\nSecond line\n\nThird line\n#end\n\n";

TEST(JsonString, EscapesQuotesBackslashesAndControls) {
  EXPECT_EQ(storyjson::String("a\"b\\c\td\x01"), "\"a\\\"b\\\\c\\td\\u0001\"");
  EXPECT_EQ(storyjson::String("焔"), "\"焔\"");
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
  const auto result = mgdat::Trace("s", {}, out, Serve("s", storytext::PackText(kExample)));
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
