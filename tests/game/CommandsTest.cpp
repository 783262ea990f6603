// The script commands: backgrounds and their marker, overlays, fonts,
// buttons, heat, sounds and the clock switches.
#include "tests/game/GameFixture.h"

namespace {

using Lines = std::vector<std::string>;

class CommandsTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    WriteStory({"@start", "Start", "", "@a", "At A", "", "@b", "At B", "", "@c", "At C", ""});
    Boot();
    StartMain();
  }
  TGaleBitmap& Background() { return *Game.BackgroundSurface; }
};

// ---- #image and its marker ------------------------------------------------

TEST_F(CommandsTest, MarkerPlacesTheTextAndTakesItsNeighboursColour) {
  TGaleBitmap p;
  p.Resize(600, 400, Px(255, 255, 255));
  Put(p, 30, 60, TextMarkColor);
  Put(p, 200, 10, Px(30, 20, 10));  // the first marker's left neighbour
  Put(p, 201, 10, TextMarkColor);
  Put(p, 400, 300, TextMarkColor);  // a later marker beside other colours
  Put(p, 399, 300, Px(1, 2, 3));
  folder.WriteBmp("bg.bmp", p);
  Game.SubImageCount = 3;
  Command({"#image", "bg.bmp"});
  EXPECT_EQ(Game.TextOriginX, 201);
  EXPECT_EQ(Game.TextOriginY, 10);
  // Inverted neighbour (b 30, g 20, r 10): red 245, green 235, blue 225.
  EXPECT_EQ(Game.TextColor, 245u + 256u * 235u + 65536u * 225u);
  // Every marker shows the first one's neighbour colour.
  EXPECT_EQ(At(Background(), 201, 10), Px(30, 20, 10));
  EXPECT_EQ(At(Background(), 30, 60), Px(30, 20, 10));
  EXPECT_EQ(At(Background(), 400, 300), Px(30, 20, 10));
  EXPECT_EQ(At(Background(), 399, 300), Px(1, 2, 3));
  EXPECT_EQ(Game.SubImageCount, 0);
}

TEST_F(CommandsTest, WhiteNeighbourGivesBlackTextAndNoMarkerKeepsTheLayout) {
  TGaleBitmap p;
  p.Resize(600, 400, Px(255, 255, 255));
  Put(p, 30, 60, TextMarkColor);
  folder.WriteBmp("bg.bmp", p);
  Command({"#image", "bg.bmp"});
  EXPECT_EQ(Game.TextColor, 0u);
  EXPECT_EQ(Game.TextOriginX, 30);
  EXPECT_EQ(Game.TextOriginY, 60);
  EXPECT_EQ(At(Background(), 30, 60), Px(255, 255, 255));

  TGaleBitmap plain;
  plain.Resize(600, 400, Px(0, 0, 0));
  folder.WriteBmp("plain.bmp", plain);
  Command({"#image", "plain.bmp"});
  EXPECT_EQ(Game.TextOriginX, 30);
  EXPECT_EQ(Game.TextOriginY, 60);
  EXPECT_EQ(Game.TextColor, 0u);
  // A near-blue pixel is no marker.
  TGaleBitmap q;
  q.Resize(600, 400, Px(0, 0, 0));
  Put(q, 10, 10, Px(254, 0, 0));
  folder.WriteBmp("near.bmp", q);
  Command({"#image", "near.bmp"});
  EXPECT_EQ(Game.TextOriginX, 30);
}

TEST_F(CommandsTest, MarkerInColumnZeroTakesWhite) {
  TGaleBitmap p;
  p.Resize(600, 400, Px(0, 0, 0));
  Put(p, 0, 5, TextMarkColor);
  Put(p, 50, 50, TextMarkColor);
  folder.WriteBmp("bg.bmp", p);
  Command({"#image", "bg.bmp"});
  EXPECT_EQ(Game.TextOriginX, 0);
  EXPECT_EQ(Game.TextOriginY, 5);
  EXPECT_EQ(Game.TextColor, 0u);
  EXPECT_EQ(At(Background(), 0, 5), Px(255, 255, 255));
  EXPECT_EQ(At(Background(), 50, 50), Px(255, 255, 255));
}

TEST_F(CommandsTest, SmallBackgroundIsPaddedWithWhite) {
  TGaleBitmap p;
  p.Resize(100, 50, Px(0, 0, 0));
  Put(p, 99, 49, TextMarkColor);
  Put(p, 98, 49, Px(0, 255, 0));
  folder.WriteBmp("small.bmp", p);
  Command({"#image", "small.bmp"});
  ASSERT_EQ(Background().Width(), 600);
  ASSERT_EQ(Background().Height(), 400);
  EXPECT_EQ(At(Background(), 10, 10), Px(0, 0, 0));
  EXPECT_EQ(At(Background(), 100, 10), Px(255, 255, 255));
  EXPECT_EQ(At(Background(), 599, 399), Px(255, 255, 255));
  EXPECT_EQ(Game.TextOriginX, 99);
  EXPECT_EQ(Game.TextOriginY, 49);
  EXPECT_EQ(At(Background(), 99, 49), Px(0, 255, 0));
}

TEST_F(CommandsTest, MissingPictureOrNameIsAnError) {
  EXPECT_THROW(Command({"#image", "none.bmp"}), std::runtime_error);
  EXPECT_THROW(Command({"#image"}), std::runtime_error);
}

// ---- #imagesub and #font --------------------------------------------------

TEST_F(CommandsTest, OverlaysFillTheTableAndRefuseAnEleventh) {
  TGaleBitmap o;
  o.Resize(8, 8, Px(255, 0, 255));
  Put(o, 3, 3, Px(1, 1, 1));
  folder.WriteBmp("o.bmp", o);
  Command({"#imagesub", "o.bmp", "12", "-34"});
  EXPECT_EQ(Game.SubImageCount, 1);
  EXPECT_EQ(Game.SubImages[0].X, 12);
  EXPECT_EQ(Game.SubImages[0].Y, -34);
  ASSERT_TRUE(Game.SubImages[0].Surface->Mask);
  for (int i = 1; i < 10; ++i) Command({"#imagesub", "o.bmp", "0", "0"});
  EXPECT_EQ(Game.SubImageCount, 10);
  EXPECT_THROW(Command({"#imagesub", "o.bmp", "0", "0"}), std::runtime_error);
  EXPECT_EQ(Game.SubImageCount, 10);

  // Bad numbers raise before anything is loaded into the entry.
  Game.SubImageCount = 0;
  TGaleBitmap big;
  big.Resize(20, 20, Px(0, 0, 0));
  folder.WriteBmp("big.bmp", big);
  EXPECT_THROW(Command({"#imagesub", "big.bmp", "1", "x"}), std::runtime_error);
  EXPECT_THROW(Command({"#imagesub", "big.bmp", "y", "1"}), std::runtime_error);
  EXPECT_EQ(Game.SubImages[0].Surface->Width(), 8);
  EXPECT_THROW(Command({"#imagesub", "o.bmp", "1"}), std::runtime_error);
  EXPECT_EQ(Game.SubImageCount, 0);
  // After #image the next overlay goes into the first entry again.
  TGaleBitmap bg;
  bg.Resize(600, 400, Px(9, 9, 9));
  folder.WriteBmp("bg.bmp", bg);
  Command({"#imagesub", "o.bmp", "5", "6"});
  Command({"#image", "bg.bmp"});
  EXPECT_EQ(Game.SubImageCount, 0);
  Command({"#imagesub", "o.bmp", "7", "8"});
  EXPECT_EQ(Game.SubImages[0].X, 7);
}

TEST_F(CommandsTest, FontTakesAnIntegerOrRaises) {
  Command({"#font", "28"});
  EXPECT_EQ(Game.FontSize, 28);
  EXPECT_THROW(Command({"#font", "big"}), std::runtime_error);
  EXPECT_THROW(Command({"#font"}), std::runtime_error);
  EXPECT_EQ(Game.FontSize, 28);
}

// ---- buttons -------------------------------------------------------------

TEST_F(CommandsTest, ButtonRectangleFollowsTheCaption) {
  // Four full-width characters, 8 bytes.
  Command({"#button", Sj("灯籠を覗"), "20", "100", "300", "@a"});
  ASSERT_EQ(Game.ButtonCount, 1);
  const TMarigoldButton& b = Game.Buttons[0];
  EXPECT_EQ(b.Left, 100);
  EXPECT_EQ(b.Top, 300);
  EXPECT_EQ(b.Right, 200);
  EXPECT_EQ(b.Bottom, 340);
  EXPECT_EQ(b.CaptionSize, 20);
  EXPECT_EQ(b.Target, "@a");
  // Odd byte products truncate: 3 bytes x 15 = 45, div 2 = 22.
  Command({"#button", "abc", "15", "-10", "0", "@b", "ignored"});
  EXPECT_EQ(Game.Buttons[1].Right, 22 - 10 + 20);
  EXPECT_EQ(Game.Buttons[1].Bottom, 35);
}

TEST_F(CommandsTest, HoverBoundsAreInclusiveAndTheHighestIndexWins) {
  AddButton("a", 20, 100, 100, 200, 150, "@a");
  AddButton("b", 20, 180, 140, 300, 190, "@b");
  UpdateHover(100, 100);
  EXPECT_EQ(Game.HoverButton, 0);
  UpdateHover(200, 150);
  EXPECT_EQ(Game.HoverButton, 1);  // inside both
  UpdateHover(150, 150);
  EXPECT_EQ(Game.HoverButton, 0);
  UpdateHover(201, 100);
  EXPECT_EQ(Game.HoverButton, -1);
  UpdateHover(150, 151);
  EXPECT_EQ(Game.HoverButton, -1);
  UpdateHover(99, 120);
  EXPECT_EQ(Game.HoverButton, -1);
  PntMainMouseMove(190, 145);
  EXPECT_EQ(Game.HoverButton, 1);
  PntMainMouseDown(platform::MouseButton::Left, 190, 145);
  EXPECT_EQ(Shown(), (Lines{"At B"}));
  EXPECT_EQ(Game.ButtonCount, 0);
  EXPECT_EQ(Game.HoverButton, -1);
}

TEST_F(CommandsTest, ThroughGoesOnFromTheCursor) {
  EXPECT_EQ(Shown(), (Lines{"Start"}));
  AddButton("go", 20, 0, 100, 50, 150, "THROUGH");
  AddButton("go", 20, 0, 200, 50, 250, "through");  // not the word: a label that is not there
  ActivateButton(0);
  EXPECT_EQ(Shown(), (Lines{"At A"}));
  EXPECT_EQ(Game.ButtonCount, 0);
  AddButton("go", 20, 0, 200, 50, 250, "through");
  ActivateButton(0);
  EXPECT_EQ(Shown(), (Lines{"At B"}));
  EXPECT_THROW(ActivateButton(0), std::out_of_range);
}

TEST_F(CommandsTest, VanishedCaptionsAddNothingButStillReleaseTheMouse) {
  Command({"#vanishButton", "Gone"});
  Game.MouseHeld = true;
  Command({"#button", "Gone", "20", "0", "0", "@a"});
  EXPECT_EQ(Game.ButtonCount, 0);
  EXPECT_FALSE(Game.MouseHeld);
  Command({"#button", "gone", "20", "0", "0", "@a"});  // other letter case
  EXPECT_EQ(Game.ButtonCount, 1);
  for (int i = 1; i < 10; ++i) Command({"#vanishButton", "v" + std::to_string(i)});
  EXPECT_EQ(Game.VanishedCount, 10);
  EXPECT_THROW(Command({"#vanishButton", "eleventh"}), std::runtime_error);
  EXPECT_EQ(Game.VanishedCount, 10);
  Command({"#button", "v9", "20", "0", "0", "@a"});
  Command({"#button", "v10", "20", "0", "0", "@a"});
  EXPECT_EQ(Game.ButtonCount, 2);
  EXPECT_THROW(Command({"#vanishButton"}), std::runtime_error);
}

TEST_F(CommandsTest, BadButtonLinesRaiseAfterReleasingTheMouse) {
  Game.MouseHeld = true;
  EXPECT_THROW(Command({"#button", "x", "20", "0", "0"}), std::runtime_error);
  EXPECT_FALSE(Game.MouseHeld);
  EXPECT_THROW(Command({"#button", "x", "big", "0", "0", "@a"}), std::runtime_error);
  EXPECT_THROW(Command({"#button", "x", "20", "0", "1.5", "@a"}), std::runtime_error);
  EXPECT_THROW(Command({"#button"}), std::runtime_error);
  EXPECT_EQ(Game.ButtonCount, 0);
  for (int i = 0; i < 10; ++i) Command({"#button", "x", "20", "0", "0", "@a"});
  EXPECT_THROW(Command({"#button", "x", "20", "0", "0", "@a"}), std::runtime_error);
  EXPECT_EQ(Game.ButtonCount, 10);
  // A rectangle whose size overflows raises instead of wrapping.
  ClearButtons();
  EXPECT_THROW(Command({"#button", "xx", "20", "2147483640", "0", "@a"}), std::overflow_error);
  EXPECT_EQ(Game.ButtonCount, 0);
}

// ---- heat ----------------------------------------------------------------

TEST_F(CommandsTest, HeatCeilingCommandsCapAt999) {
  Game.HeatLimit = 998;
  Command({"#heatUp", "5"});
  EXPECT_EQ(Game.HeatLimit, 999);
  Game.HeatLimit = 400;
  Command({"#heatSpark"});
  EXPECT_EQ(Game.HeatLimit, 999);
  Game.HeatLimit = 0;
  Command({"#heatSpark"});
  EXPECT_EQ(Game.HeatLimit, 0);
  Command({"#heatUp", "-7"});
  EXPECT_EQ(Game.HeatLimit, -7);
  Command({"#heatSpark"});
  EXPECT_EQ(Game.HeatLimit, -21);
  Game.HeatLimit = 10;
  Command({"#heatUp", "2147483647"});
  EXPECT_EQ(Game.HeatLimit, 999);
}

TEST_F(CommandsTest, HeatCeilingBelowTheIntegerRangeRaises) {
  Game.HeatLimit = -1000000000;
  EXPECT_THROW(Command({"#heatSpark"}), std::runtime_error);
  EXPECT_EQ(Game.HeatLimit, -1000000000);
  Game.HeatLimit = -2147483647;
  EXPECT_THROW(Command({"#heatUp", "-2"}), std::runtime_error);
  EXPECT_EQ(Game.HeatLimit, -2147483647);
  Game.HeatLimit = 5;
  EXPECT_THROW(Command({"#heatUp", "lots"}), std::runtime_error);
  EXPECT_THROW(Command({"#heatUp"}), std::runtime_error);
  EXPECT_EQ(Game.HeatLimit, 5);
}

TEST_F(CommandsTest, HeatyJumpTakesTheFirstReachedPair) {
  Game.Heat = 25;
  Command({"#heatyJump", "10", "@a", "20", "@b"});
  EXPECT_EQ(Game.Heat, 0);
  AdvanceStory();
  EXPECT_EQ(Shown(), (Lines{"At A"}));

  Game.Heat = 30;
  Command({"#heatyJump", "100", "@a", "50", "@b"});  // nothing reached: no jump
  EXPECT_EQ(Game.Heat, 0);
  AdvanceStory();
  EXPECT_EQ(Shown(), (Lines{"At B"}));

  Game.Heat = 70;
  Command({"#heatyJump", "100", "@a", "50", "@c", "0", "@b"});
  AdvanceStory();
  EXPECT_EQ(Shown(), (Lines{"At C"}));

  Game.StoryScript->JumpToLabel("@a");
  Game.Heat = 9;
  Command({"#heatyJump"});
  EXPECT_EQ(Game.Heat, 0);
  Game.Heat = 9;
  Command({"#heatyJump", "0"});  // unpaired: ignored
  EXPECT_EQ(Game.Heat, 0);
  AdvanceStory();
  EXPECT_EQ(Shown(), (Lines{"At A"}));  // the cursor did not move
}

TEST_F(CommandsTest, HeatyJumpStopsAtABadThresholdWithoutTouchingHeat) {
  Game.Heat = 40;
  EXPECT_THROW(Command({"#heatyJump", "50", "@a", "many", "@b", "0", "@c"}), std::runtime_error);
  EXPECT_EQ(Game.Heat, 40);
  // Thresholds after the chosen pair are not read.
  Command({"#heatyJump", "10", "@a", "many", "@b"});
  EXPECT_EQ(Game.Heat, 0);
}

TEST_F(CommandsTest, GaugeClicksPlayTheirSounds) {
  machine.RecordedSound().calls.clear();
  Game.HeatLimit = 1;
  HeatClick();
  EXPECT_EQ(Game.Heat, 1);
  HeatClick();
  EXPECT_EQ(Game.Heat, 1);
  const auto calls = SoundCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0], (platform::AudioCall{"PlaySound", "dat\\ash.wav", 0}));
  EXPECT_EQ(calls[1], (platform::AudioCall{"PlaySound", "dat\\dun.wav", 0}));
}

// ---- sounds and switches -------------------------------------------------

TEST_F(CommandsTest, SoundCommandsDriveThePlayers) {
  auto& music = machine.RecordedMusic();
  auto& sound = machine.RecordedSound();
  music.calls.clear();
  sound.calls.clear();
  Command({"#midi", "a.mid", "extra"});
  EXPECT_EQ(music.loaded, "dat\\a.mid");
  EXPECT_TRUE(music.playing);
  EXPECT_TRUE(music.looping);
  Command({"#MIDI"});
  EXPECT_FALSE(music.playing);
  Command({"#wave", "b.wav"});
  EXPECT_EQ(sound.current, "dat\\b.wav");
  EXPECT_FALSE(sound.looping);
  Command({"#waveByLoop", "c.wav"});
  EXPECT_EQ(sound.current, "dat\\c.wav");
  EXPECT_TRUE(sound.looping);
  Command({"#waveByLoop"});
  EXPECT_EQ(sound.current, "");
  Command({"#wave", "d.wav"});
  Command({"#wave"});
  EXPECT_EQ(sound.current, "");
  const std::vector<platform::AudioCall> want = {{"PlaySound", "dat\\b.wav", 0},
                                                 {"PlaySound", "dat\\c.wav", 1},
                                                 {"Purge", "", 0},
                                                 {"PlaySound", "dat\\d.wav", 0},
                                                 {"Purge", "", 0}};
  EXPECT_EQ(sound.calls, want);
}

TEST_F(CommandsTest, StopTimerKeepsTheGaugeAndSayingShowsTheScroller) {
  Command({"#stopTimer"});
  EXPECT_FALSE(Game.ClockRunning);
  EXPECT_TRUE(Game.GaugeActive);
  const std::int32_t left = Game.TimeLeft;
  GameTick();
  EXPECT_EQ(Game.TimeLeft, left);
  Command({"#saying", "ignored"});
  EXPECT_TRUE(Game.SayingActive);
}

TEST_F(CommandsTest, PassagesReplaceTheStoryLines) {
  TakeStoryLines({"a", "b", "c"});
  EXPECT_EQ(Game.StoryLineCount, 3);
  TakeStoryLines({});
  EXPECT_EQ(Game.StoryLineCount, 0);
  EXPECT_THROW(TakeStoryLines(TWordList(11, "x")), std::runtime_error);
}

}  // namespace
