// Errors of story lines in a running game, seen through the replay tool: the
// box keeps its text, and the record names the line of the story that
// raised it, whichever way the error came about.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/StoryText.h"
#include "tests/proof/ProofSupport.h"

namespace {

const std::filesystem::path kDemo = std::filesystem::path(MARIGOLD_BINARY_DIR) / "demo";

struct Case {
  std::string name;
  std::string story;  // UTF-8; the game starts it with the first click
  std::string box;    // the error_box record expected, without its tick
};

TEST(StoryErrors, NameTheirLineThroughTheReplay) {
  const std::vector<Case> cases = {
      {"bad number", "// a story\n@start\n#heatUp abc\ntext\n\n#end\n// end\n",
       R"("error_box":{"title":"焔の庭","text":"'abc' は整数ではありません.","where":"dat/story.dat:3"})"},
      {"goto without label", "@start\none\n\n#goto\ntwo\n\n#end\n// end\n",
       R"("where":"dat/story.dat:4")"},
      {"missing picture after a jump",
       "@start\n#goto @later\nnever\n\n@later\n\n#image none.bmp\ntext\n\n#end\n// end\n",
       R"("where":"dat/story.dat:7")"},
      {"endless jumps", "@start\nfirst\n\n@a\n#goto @b\n@b\n#goto @a\n// end\n",
       R"("where":"dat/story.dat:)"},
  };
  for (const Case& c : cases) {
    testsupport::ScratchFolder work;
    const auto data = work.path() / "data";
    std::filesystem::create_directories(data);
    std::filesystem::copy(kDemo / "dat", data / "dat");
    proof::WriteAll(data / "dat" / "story.dat", storytext::PackText(c.story));
    proof::WriteAll(work.path() / "input",
                    "2 down 200 200\n2 up 200 200\n4 down 200 200\n4 up 200 200\n");
    const auto out = work.path() / "out.txt";
    const int status = proof::Run(std::string(MARIGOLD_REPLAY_TOOL) + " --data '" + data.string() +
                                  "' --ticks 6 --input '" + (work.path() / "input").string() +
                                  "' >'" + out.string() + "' 2>&1");
    const std::string output = proof::ReadAll(out);
    EXPECT_EQ(status, 0) << c.name << "\n" << output;
    EXPECT_NE(output.find(c.box), std::string::npos) << c.name << "\n" << output;
  }
  // An error outside any story line names no place: a start-up error.
  testsupport::ScratchFolder work;
  std::filesystem::create_directories(work.path() / "data");
  std::filesystem::copy(kDemo / "dat", work.path() / "data" / "dat");
  std::filesystem::remove(work.path() / "data" / "dat" / "font.bmp");
  const auto out = work.path() / "out.txt";
  EXPECT_EQ(proof::Run(std::string(MARIGOLD_REPLAY_TOOL) + " --data '" +
                       (work.path() / "data").string() + "' --ticks 2 >'" + out.string() + "'"),
            1);
  const std::string output = proof::ReadAll(out);
  EXPECT_NE(output.find("\"error_box\""), std::string::npos) << output;
  EXPECT_EQ(output.find("\"where\""), std::string::npos) << output;
}

}  // namespace
