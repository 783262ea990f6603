// Inputs the fuzz targets found, kept so the faults stay mended.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "game/UnitCommon.h"
#include "script/GaleScript.h"
#include "tests/proof/ProofSupport.h"

namespace {

using Host = proof::MemoryHost;

class StoryLoops : public ::testing::Test {
 protected:
  void SetUp() override { ResetGameState(); }
  void TearDown() override { ResetGameState(); }

  // The story as plain text, run with the game's #heatyJump and a command
  // that does nothing; returns the first batch. Later deliveries (up to
  // eight, or the end of the story) must not fail either.
  TWordList First(const std::string& story, int heat = 0) {
    host.files["dat\\story.dat"] = story;
    Game.StoryScript = std::make_unique<TGaleScript>(host, "dat\\story.dat", false);
    Game.StoryScript->RegisterCommand("#heatyJump", CmdHeatyJump);
    Game.StoryScript->RegisterCommand("#image", [](const TWordList&) {});
    std::vector<TWordList> batches;
    Game.StoryScript->SetBatchHandler([&](const TWordList& lines) { batches.push_back(lines); });
    Game.StoryScript->SetBatchLimit(4);
    Game.Heat = heat;
    for (int i = 0; i < 8 && !Game.StoryScript->Ended; ++i) Game.StoryScript->DeliverNext();
    return batches.empty() ? TWordList{} : batches.front();
  }

  Host host;
};

// A label, a command and a jump back to the label: the interpreter went
// round for ever inside one delivery and the game froze. It now stops with
// an error.
TEST_F(StoryLoops, GotoLoopWithoutTextRaisesInsteadOfHanging) {
  EXPECT_THROW(First("@pond\n#image garden_dusk.bmp\n#goto @pond\n\n// end\n"), std::runtime_error);
  // The fuzzed file that found it: a label followed straight by its #goto.
  EXPECT_THROW(First("#7goto @po\n\n@crossroads\n\n#goto @crossroads\n\n@pond\n#imaeragain\n"
                     "#goto /story.txt)@crossroads\n\n@pond\n// end\n"),
               std::runtime_error);
}

TEST_F(StoryLoops, CommandJumpLoopRaisesInsteadOfHanging) {
  // #heatyJump 0 always matches: it jumps back to its own label each time.
  EXPECT_THROW(First("@a\n#heatyJump 0 @a\ntext\n// end\n"), std::runtime_error);
}

TEST_F(StoryLoops, LoopsThatEndStillRun) {
  // Passes through the loop change the state: the second one goes on.
  EXPECT_EQ(First("@a\n#heatyJump 5 @a\nafter\n\n// end\n", 10), (TWordList{"after"}));
  // Jumping back over text is a normal loop.
  EXPECT_EQ(First("@a\nline\n#goto @a\n// end\n"), (TWordList{"line"}));
  // A long chain of forward jumps, each to the next label, is fine.
  std::string chain;
  for (int i = 0; i < 500; ++i)
    chain += "#goto @l" + std::to_string(i) + "\n@l" + std::to_string(i) + "\n";
  EXPECT_EQ(First(chain + "end of chain\n\n// end\n"), (TWordList{"end of chain"}));
}

}  // namespace
