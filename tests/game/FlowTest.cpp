// The tick, the countdown, click routing, the held click and the flow from
// the title to the story.
#include "tests/game/GameFixture.h"

namespace {

using Lines = std::vector<std::string>;

class FlowTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    WriteStory({"@start", "First line", "Second line", "", "Third line", "", "Fourth line", "",
                "@gameover", "Game over", "#stopTimer", "", "@sayend", "Sayings ended", "", "@pick",
                "Picked", ""});
    Boot();
  }
  // Ticks without painting the story scene (the painter is not under test).
  void QuietTicks(int n) {
    Game.FramePainter = [] {};
    for (int i = 0; i < n; ++i) GameTick();
  }
  void Press(int x, int y) {
    PntMainMouseDown(platform::MouseButton::Left, x, y);
    PntMainMouseUp(platform::MouseButton::Left);
  }
};

TEST_F(FlowTest, FirstPressStartsTheStoryWithinThePress) {
  EXPECT_EQ(Game.Mode, "TITLE");
  EXPECT_FALSE(Game.ClockRunning);
  PntMainMouseDown(platform::MouseButton::Left, 10, 10);
  EXPECT_EQ(Game.Mode, "MAIN");
  EXPECT_TRUE(Game.ClockRunning);
  EXPECT_TRUE(Game.GaugeActive);
  EXPECT_EQ(Shown(), (Lines{"First line", "Second line"}));
  auto* painter = Game.FramePainter.target<void (*)()>();
  ASSERT_NE(painter, nullptr);
  EXPECT_EQ(*painter, &MainPainter);
  EXPECT_TRUE(Game.MouseHeld);
  EXPECT_EQ(Game.HoldX, 10);
  // Right and middle presses change nothing.
  PntMainMouseDown(platform::MouseButton::Right, 10, 10);
  PntMainMouseDown(platform::MouseButton::Middle, 10, 10);
  EXPECT_EQ(Shown(), (Lines{"First line", "Second line"}));
  PntMainMouseUp(platform::MouseButton::Right);
  EXPECT_TRUE(Game.MouseHeld);
  PntMainMouseUp(platform::MouseButton::Left);
  EXPECT_FALSE(Game.MouseHeld);
}

TEST_F(FlowTest, CountdownRunsOutOnTheTickAfterReachingZero) {
  StartMain();
  QuietTicks(19);
  EXPECT_EQ(Game.TimeLeft, 180000 - 19 * 50);
  EXPECT_EQ(Game.HeatLimit, 0);
  QuietTicks(1);
  EXPECT_EQ(Game.TimeLeft, 179000);
  EXPECT_EQ(Game.HeatLimit, 1);
  QuietTicks(980);  // 1000 ticks: 130000 left
  EXPECT_EQ(Game.TimeLeft, 130000);
  EXPECT_EQ(Game.HeatLimit, 50);
  QuietTicks(2599);
  EXPECT_EQ(Game.TimeLeft, 50);
  EXPECT_EQ(Game.HeatLimit, 50);
  QuietTicks(1);  // tick 3600
  EXPECT_EQ(Game.TimeLeft, 0);
  EXPECT_EQ(Shown(), (Lines{"First line", "Second line"}));

  // The time-out, and the ceiling rising on every tick at zero.
  Game.HeatLimit = 5;
  AddButton("x", 20, 0, 0, 10, 10, "@pick");
  Game.MouseHeld = true;
  QuietTicks(1);
  EXPECT_EQ(Shown(), (Lines{"Game over"}));
  EXPECT_EQ(Game.ButtonCount, 0);
  EXPECT_FALSE(Game.MouseHeld);
  EXPECT_FALSE(Game.ClockRunning);  // #stopTimer in the game-over passage
  EXPECT_EQ(Game.HeatLimit, 6);
  EXPECT_EQ(Game.TimeLeft, 0);
  QuietTicks(1);
  EXPECT_EQ(Game.HeatLimit, 6);  // the clock is stopped now
}

TEST_F(FlowTest, TimeOutRepeatsUntilAPassageStopsTheClock) {
  StartMain();
  Game.TimeLeft = 0;
  Game.HeatLimit = 47;
  QuietTicks(1);
  EXPECT_EQ(Shown(), (Lines{"Game over"}));
  EXPECT_EQ(Game.HeatLimit, 48);
  EXPECT_FALSE(Game.ClockRunning);
  // Running again at zero, every tick jumps again and raises the ceiling.
  Game.ClockRunning = true;
  AdvanceStory();
  EXPECT_NE(Shown(), (Lines{"Game over"}));
  QuietTicks(1);
  EXPECT_EQ(Shown(), (Lines{"Game over"}));
  EXPECT_EQ(Game.HeatLimit, 49);
  QuietTicks(2);
  EXPECT_EQ(Game.HeatLimit, 49);
}

TEST_F(FlowTest, GaugeCornerGoesToTheHeatAndNothingElse) {
  StartMain();
  Game.HeatLimit = 5;
  Press(350, 49);
  EXPECT_EQ(Game.Heat, 1);
  EXPECT_EQ(Shown(), (Lines{"First line", "Second line"}));
  Press(599, 0);
  EXPECT_EQ(Game.Heat, 2);
  Press(349, 49);  // beside the corner: advances
  EXPECT_EQ(Shown(), (Lines{"Third line"}));
  Press(350, 50);  // below it: advances
  EXPECT_EQ(Shown(), (Lines{"Fourth line"}));
  EXPECT_EQ(Game.Heat, 2);

  // A button under the corner is never reached through it.
  AddButton("x", 20, 300, 0, 599, 100, "@pick");
  Press(400, 10);
  EXPECT_EQ(Game.ButtonCount, 1);
  EXPECT_EQ(Game.Heat, 3);
  Press(400, 60);
  EXPECT_EQ(Shown(), (Lines{"Picked"}));
  EXPECT_EQ(Game.ButtonCount, 0);

  // After #finalize the corner advances the story.
  Game.StoryScript->JumpToLabel("@start");
  Command({"#finalize"});
  EXPECT_FALSE(Game.GaugeActive);
  EXPECT_FALSE(Game.ClockRunning);
  Press(400, 10);
  EXPECT_EQ(Shown(), (Lines{"First line", "Second line"}));
  EXPECT_EQ(Game.Heat, 3);
}

TEST_F(FlowTest, ButtonsWaitForAHitAndModeGuardsClicks) {
  StartMain();
  AddButton("x", 20, 100, 100, 150, 140, "@pick");
  Press(10, 10);  // misses: the story waits
  EXPECT_EQ(Shown(), (Lines{"First line", "Second line"}));
  EXPECT_EQ(Game.ButtonCount, 1);
  Game.Mode = "OTHER";
  Press(120, 120);
  EXPECT_EQ(Game.ButtonCount, 1);
  Game.Mode = "main";  // compared exactly
  Press(120, 120);
  EXPECT_EQ(Game.ButtonCount, 1);
  Game.Mode = "MAIN";
  Press(150, 140);
  EXPECT_EQ(Shown(), (Lines{"Picked"}));
}

TEST_F(FlowTest, HeldClickRepeatsFromTheEleventhTickAtThePressPosition) {
  // The press on the title starts the game; the hold then repeats in MAIN.
  PntMainMouseDown(platform::MouseButton::Left, 10, 10);
  EXPECT_EQ(Shown(), (Lines{"First line", "Second line"}));
  PntMainMouseMove(500, 300);  // moving does not move the repeat
  QuietTicks(10);
  EXPECT_EQ(Game.HoldTicks, 10);
  EXPECT_EQ(Shown(), (Lines{"First line", "Second line"}));
  QuietTicks(1);
  EXPECT_EQ(Shown(), (Lines{"Third line"}));
  QuietTicks(1);
  EXPECT_EQ(Shown(), (Lines{"Fourth line"}));
  PntMainMouseUp(platform::MouseButton::Left);
  QuietTicks(3);
  EXPECT_EQ(Shown(), (Lines{"Fourth line"}));

  // Held on the gauge: the heat climbs once a tick from the eleventh.
  Game.HeatLimit = 100;
  PntMainMouseDown(platform::MouseButton::Left, 400, 10);
  EXPECT_EQ(Game.Heat, 1);
  QuietTicks(15);
  EXPECT_EQ(Game.Heat, 6);
}

TEST_F(FlowTest, AdvanceResetsFontSizeAndHidesTheSayings) {
  StartMain();
  Command({"#font", "40"});
  Command({"#saying"});
  EXPECT_EQ(Game.FontSize, 40);
  EXPECT_TRUE(Game.SayingActive);
  AdvanceStory();
  EXPECT_EQ(Game.FontSize, 20);
  EXPECT_FALSE(Game.SayingActive);
}

TEST_F(FlowTest, FinishedSayingsJumpToSayendInTheSameTick) {
  StartMain();
  Game.SayingList = {Sj("あ")};
  Game.SayingIndex = 0;
  Game.SayingCharPos = 1;  // the piece is typed: the next step moves on
  Game.SayingActive = true;
  Game.MouseHeld = true;
  AddButton("x", 20, 0, 100, 10, 110, "@pick");
  GameTick();
  EXPECT_FALSE(Game.SayingsDone);
  EXPECT_EQ(Shown(), (Lines{"Sayings ended"}));
  EXPECT_EQ(Game.ButtonCount, 0);
  EXPECT_FALSE(Game.MouseHeld);
  EXPECT_FALSE(Game.SayingActive);
}

TEST_F(FlowTest, EveryTickPresentsOneFrame) {
  const int before = machine.PresentCount();
  GameTick();
  GameTick();
  EXPECT_EQ(machine.PresentCount(), before + 2);
  EXPECT_EQ(machine.LastFrameWidth(), 600);
  EXPECT_EQ(machine.LastFrameHeight(), 400);
}

// What the update moves, gathered to compare (the frame's pixels and the
// random generator, which drawing uses, are left out).
std::string UpdateState() {
  std::string state = Game.Mode + "|" + std::to_string(Game.TimeLeft) + "|" +
                      std::to_string(Game.Heat) + "/" + std::to_string(Game.HeatLimit) + "|" +
                      std::to_string(Game.ButtonCount) + ":" + std::to_string(Game.HoverButton) +
                      "|" + std::to_string(Game.SubImageCount) + "|" +
                      std::to_string(Game.StoryLineCount);
  for (const std::string& row : Game.SayingRows) state += "|" + row;
  for (const int n : {Game.SayingRow, Game.SayingScroll, Game.SayingIndex, Game.SayingCharPos,
                      int{Game.SayingsDone}, int{Game.SayingActive}, int{Game.MouseHeld}})
    state += "," + std::to_string(n);
  return state;
}

TEST_F(FlowTest, DrawingMovesNothingAndTheSayingsTypeOnTicksAlone) {
  StartMain();
  Game.SayingList = {Sj("あいうえおかきくけこ"), Sj("さしすせそ")};
  ResetSayings();
  Command({"#saying"});
  AddButton("x", 20, 0, 100, 10, 110, "@pick");
  UpdateHover(5, 105);
  GameTick();
  GameTick();
  const std::string ticked = UpdateState();
  ComposeFrame();
  ComposeFrame();
  EXPECT_EQ(UpdateState(), ticked);

  // With no frame to draw into, the ticks still type a piece each.
  Game.FrameSurface.reset();
  GameTick();
  GameTick();
  EXPECT_EQ(platform::Cp932ToUtf8(Game.SayingRows[0]), "あいうえ");
  EXPECT_EQ(Game.TimeLeft, 180000 - 4 * 50);
}

}  // namespace
