// Where the story stands for authors (the line and label of each passage),
// and reloading a changed story in the middle of a game.
#include <string>
#include <vector>

#include "tests/game/GameFixture.h"

namespace {

class ReloadTest : public GameTest {
 protected:
  // Line (1-based) and label of the passage on screen.
  std::pair<int, std::string> Where() const {
    const TGaleScript& script = *Game.StoryScript;
    return {script.BatchFirstIndex + 1, script.BatchLabel};
  }
};

const std::vector<std::string> kStory{
    "@start",        // 1
    "#heatUp 5",     // 2
    "one",           // 3
    "",              // 4
    "@second",       // 5
    "two a",         // 6
    "",              // 7
    "// a comment",  // 8
    "two b",         // 9
    "#goto @third",  // 10
    "",              // 11
    "@third",        // 12
    "#finalize",     // 13
    "three",         // 14
    "",              // 15
    "#end",          // 16
};

TEST_F(ReloadTest, EachPassageKnowsItsFirstLineAndLabel) {
  WriteStory(kStory);
  Boot();
  int told = 0;
  Game.PassageShown = [&] { ++told; };
  StartMain();
  // Reading on past a label, and jumping to one, both set it.
  const std::vector<std::pair<int, std::string>> expected{
      {3, "@start"}, {6, "@second"}, {9, "@second"}, {14, "@third"}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (i > 0) AdvanceStory();
    EXPECT_EQ(Where(), expected[i]) << "passage " << i + 1;
    EXPECT_EQ(told, static_cast<int>(i) + 1);
  }
  // The click after the last passage ends the script: no passage, no report.
  AdvanceStory();
  EXPECT_EQ(told, static_cast<int>(expected.size()));
}

TEST_F(ReloadTest, ReloadGoesBackToTheLabelKeepingHeatAndClock) {
  WriteStory(kStory);
  Boot();
  StartMain();
  AdvanceStory();
  AdvanceStory();
  ASSERT_EQ(Shown(), std::vector<std::string>{"two b"});
  Game.Heat = 7;
  Game.HeatLimit = 31;
  Game.TimeLeft = 123450;

  std::vector<std::string> edited = kStory;
  edited[5] = "two a, rewritten";
  edited.insert(edited.begin() + 5, "#heatUp 1");
  WriteStory(edited);
  EXPECT_EQ(ReloadStory("@second"), "@second");
  EXPECT_EQ(Shown(), std::vector<std::string>{"two a, rewritten"});
  EXPECT_EQ(Where(), (std::pair<int, std::string>{7, "@second"}));
  // The passage's own commands ran again on the kept values.
  EXPECT_EQ(Game.Heat, 7);
  EXPECT_EQ(Game.HeatLimit, 32);
  EXPECT_EQ(Game.TimeLeft, 123450);
  EXPECT_TRUE(Game.ClockRunning);

  // A label the story no longer holds: back to the start.
  WriteStory({"@start", "#stopTimer", "only", ""});
  EXPECT_EQ(ReloadStory("@second"), "@start");
  EXPECT_EQ(Shown(), std::vector<std::string>{"only"});
  EXPECT_FALSE(Game.ClockRunning);
}

TEST_F(ReloadTest, ReloadClearsTheChoiceAndKeepsTheOldStoryWhenTheFileIsGone) {
  WriteStory({"@start", "pick", "#button yes 20 10 10 @start", "", "@next", "n", ""});
  Boot();
  StartMain();
  ASSERT_EQ(Game.ButtonCount, 1);
  TGaleScript* before = Game.StoryScript.get();
  std::filesystem::remove(folder.Path("story.dat"));
  EXPECT_THROW(ReloadStory("@start"), std::runtime_error);
  EXPECT_EQ(Game.StoryScript.get(), before);
  EXPECT_EQ(Game.ButtonCount, 1);

  WriteStory({"@start", "changed", ""});
  EXPECT_EQ(ReloadStory("@start"), "@start");
  EXPECT_EQ(Game.ButtonCount, 0);
  EXPECT_EQ(Shown(), std::vector<std::string>{"changed"});
}

TEST_F(ReloadTest, OverlaysFromBeforeThePassageStayThePassagesOwnComeOnce) {
  WriteStory({"@start", "#imagesub sandclock.bmp 10 10", "one", "", "@second",
              "#imagesub sandclock.bmp 20 20", "two", ""});
  Boot();
  StartMain();
  AdvanceStory();
  ASSERT_EQ(Game.SubImageCount, 2);
  for (int reload = 0; reload < 12; ++reload) {
    EXPECT_EQ(ReloadStory("@second"), "@second");
    EXPECT_EQ(Game.SubImageCount, 2) << "reload " << reload;
  }
  EXPECT_EQ(Game.SubImages[1].X, 20);
}

TEST_F(ReloadTest, OnTheTitleReloadStaysThere) {
  WriteStory({"@start", "a", ""});
  Boot();
  WriteStory({"@start", "b", ""});
  EXPECT_EQ(ReloadStory("@start"), "");
  EXPECT_EQ(Game.Mode, "TITLE");
  StartMain();
  EXPECT_EQ(Shown(), std::vector<std::string>{"b"});
}

}  // namespace
