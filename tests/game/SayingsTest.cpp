// The sayings scroller: typing, row breaks and scrolling (a step a tick), and
// the band and rows it draws.
#include <string>
#include <vector>

#include "tests/game/DrawFixture.h"

namespace {

const std::string kA = "\x82\xA0";     // あ
const std::string kStop = "\x81\x42";  // 。
std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST(DrawCanBreakBefore, HangingMarksOnly) {
  for (const char* mark : {"\x81\x42", "\x81\x41", "\x81\x44", "\x81\x48", "\x81\x49", "\x81\x40",
                           "\x81\xE2", "\x81\x76"}) {
    EXPECT_FALSE(CanBreakBefore(mark)) << mark;
  }
  EXPECT_TRUE(CanBreakBefore(""));
  EXPECT_TRUE(CanBreakBefore(kA));
  EXPECT_TRUE(CanBreakBefore("\x81"));      // half a mark
  EXPECT_TRUE(CanBreakBefore("\x81\x43"));  // "，" is not among them
  EXPECT_TRUE(CanBreakBefore("AB"));
}

class DrawSayingsTest : public DrawTest {
 protected:
  void Start(std::vector<std::string> sayings) {
    Game.SayingList = std::move(sayings);
    ResetSayings();
  }
  // Types until SayingsDone; the number of steps (ticks) it took.
  int FramesUntilDone(int limit = 1000) {
    for (int n = 1; n <= limit; ++n) {
      TypeSayingStep();
      if (Game.SayingsDone) return n;
    }
    return -1;
  }
};

TEST_F(DrawSayingsTest, TypingTakesOneFramePerPieceAndOneToMoveOn) {
  Start({"ABCD"});
  TypeSayingStep();
  EXPECT_EQ(Game.SayingRows[0], "AB");
  TypeSayingStep();
  EXPECT_EQ(Game.SayingRows[0], "ABCD");
  // The last character is typed; the saying ends on the following frame.
  EXPECT_FALSE(Game.SayingsDone);
  TypeSayingStep();
  EXPECT_TRUE(Game.SayingsDone);
  EXPECT_EQ(Game.SayingIndex, 1);
  EXPECT_EQ(Game.SayingRows[0], "ABCD");

  Start({"ABCDE"});
  EXPECT_EQ(FramesUntilDone(), 4);
  EXPECT_EQ(Game.SayingRows[0], "ABCDE");

  Start({""});
  EXPECT_EQ(FramesUntilDone(), 1);
}

TEST_F(DrawSayingsTest, AfterTheEndNothingMoreIsTyped) {
  Start({"AB"});
  EXPECT_EQ(FramesUntilDone(), 2);
  Game.SayingsDone = false;
  for (int i = 0; i < 5; ++i) TypeSayingStep();
  EXPECT_FALSE(Game.SayingsDone);
  EXPECT_EQ(Game.SayingRows[0], "AB");
  EXPECT_EQ(Game.SayingRow, 0);
}

TEST_F(DrawSayingsTest, EachSayingStartsOnAFreshRow) {
  Start({"AB", "CDEF", "G"});
  EXPECT_EQ(FramesUntilDone(), 2 + 3 + 2);
  EXPECT_EQ(Game.SayingRows[0], "AB");
  EXPECT_EQ(Game.SayingRows[1], "CDEF");
  EXPECT_EQ(Game.SayingRows[2], "G");
  EXPECT_EQ(Game.SayingRow, 2);
}

TEST_F(DrawSayingsTest, FullRowBreaksBeforeAnOrdinaryCharacter) {
  Start({Repeat(kA, 27)});
  for (int i = 0; i < 25; ++i) TypeSayingStep();
  EXPECT_EQ(Game.SayingRows[0].size(), 50u);
  EXPECT_EQ(Game.SayingRow, 1);
  TypeSayingStep();
  EXPECT_EQ(Game.SayingRows[0].size(), 50u);
  EXPECT_EQ(Game.SayingRows[1], kA);
}

TEST_F(DrawSayingsTest, HangingMarkIsPulledOntoTheFullRow) {
  Start({Repeat(kA, 25) + kStop + kA + kA});
  for (int i = 0; i < 25; ++i) TypeSayingStep();
  EXPECT_EQ(Game.SayingRows[0].size(), 50u);
  EXPECT_EQ(Game.SayingRow, 0);
  TypeSayingStep();
  EXPECT_EQ(Game.SayingRows[0], Repeat(kA, 25) + kStop);
  EXPECT_EQ(Game.SayingRow, 1);
  TypeSayingStep();
  EXPECT_EQ(Game.SayingRows[1], kA);
}

TEST_F(DrawSayingsTest, SayingEndingAtFiftyBytesLeavesAnEmptyRow) {
  Start({Repeat(kA, 25), "XY"});
  for (int i = 0; i < 25; ++i) TypeSayingStep();
  EXPECT_EQ(Game.SayingRow, 1);
  TypeSayingStep();  // the empty end piece, then the break for the next saying
  EXPECT_EQ(Game.SayingRow, 2);
  EXPECT_EQ(Game.SayingRows[1], "");
  TypeSayingStep();
  EXPECT_EQ(Game.SayingRows[2], "XY");
}

TEST_F(DrawSayingsTest, FifthRowScrollsOverEightFrames) {
  Start({"A1", "B2", "C3", "D4", "E5"});
  for (int i = 0; i < 8; ++i) TypeSayingStep();
  // The fourth saying has ended: rows moved up, the bottom one emptied.
  EXPECT_EQ(Game.SayingRows[0], "B2");
  EXPECT_EQ(Game.SayingRows[1], "C3");
  EXPECT_EQ(Game.SayingRows[2], "D4");
  EXPECT_EQ(Game.SayingRows[3], "");
  EXPECT_EQ(Game.SayingScroll, 24);
  EXPECT_EQ(Game.SayingRow, 2);
  for (int k = 1; k <= 8; ++k) {
    TypeSayingStep();
    EXPECT_EQ(Game.SayingScroll, 24 - 3 * k) << k;
    EXPECT_EQ(Game.SayingRow, k < 8 ? 2 : 3) << k;
    EXPECT_EQ(Game.SayingRows[3], "") << k;
    EXPECT_EQ(Game.SayingCharPos, 0) << k;
  }
  TypeSayingStep();
  EXPECT_EQ(Game.SayingRows[3], "E5");
}

TEST_F(DrawSayingsTest, BandLightensItsMiddleAndFlickersAtTheEdges) {
  Start({});
  Frame().Fill(KeyColor);
  const auto draws = Draws(99, 20, 2);
  Game.Random.Seed(99);
  DrawSayings();
  const TPixel light = Px(191, 191, 191);
  for (int x : {0, 300, 599}) {
    EXPECT_EQ(At(Frame(), x, 229), KeyColor);
    EXPECT_EQ(At(Frame(), x, 345), KeyColor);
    EXPECT_EQ(At(Frame(), x, 240), light);
    EXPECT_EQ(At(Frame(), x, 334), light);
    for (int k = 0; k < 10; ++k) {
      EXPECT_EQ(At(Frame(), x, 230 + k), draws[k] == 1 ? light : KeyColor) << 230 + k;
      EXPECT_EQ(At(Frame(), x, 335 + k), draws[10 + k] == 1 ? light : KeyColor) << 335 + k;
    }
  }
}

// Rows of the frame that hold black pixels between columns 40 and 599.
std::vector<int> InkRows(const TGaleBitmap& frame) {
  return RowsWith(frame, KeyColor, 40);
}

TEST_F(DrawSayingsTest, RowsAreDrawnUpToTheCurrentOneWithTheScrollOffset) {
  Start({"AAAA", "BBBB", "CCCC"});
  for (int i = 0; i < 6; ++i) TypeSayingStep();  // two sayings typed, the third row current
  ASSERT_EQ(Game.SayingRow, 2);
  Game.SayingRows[2] = "CCCC";
  Game.SayingRows[3] = "DDDD";  // below the current row: never drawn
  Frame().Fill(FillColor);
  Game.SayingScroll = 6;
  DrawSayings();
  const auto rows = InkRows(Frame());
  ASSERT_FALSE(rows.empty());
  EXPECT_GE(rows.front(), 246);
  // Rows 0..2 at 240 + 25 j + 6; row 3 would start at 321.
  bool seen[3] = {false, false, false};
  for (int y : rows) {
    for (int j = 0; j < 3; ++j) seen[j] |= y >= 246 + 25 * j && y < 271 + 25 * j;
    EXPECT_LT(y, 321) << "row 3 must not be drawn";
  }
  EXPECT_TRUE(seen[0]);
  EXPECT_TRUE(seen[1]);
  EXPECT_TRUE(seen[2]);
}

TEST_F(DrawSayingsTest, DoubleTextDrawsTwoBytePiecesTwiceAtPitchTwenty) {
  // Reference: each piece drawn once at y and once at y + 1, 20 pixels apart.
  TGaleBitmap expected;
  expected.UseText(machine.Text());
  expected.Resize(600, 400);
  expected.SetFont(20, fsBold, 0);
  expected.DrawText(50, 100, "AB");
  expected.DrawText(50, 101, "AB");
  expected.DrawText(70, 100, "CD");
  expected.DrawText(70, 101, "CD");
  Frame().SetFont(20, fsBold, 0);
  DrawDoubleText(50, 100, "ABCDE");  // the odd last byte is not drawn
  for (int y = 0; y < 400; ++y) {
    for (int x = 0; x < 600; ++x) ASSERT_EQ(At(Frame(), x, y), At(expected, x, y)) << x << "," << y;
  }
  bool inked = false;
  for (int y = 95; y < 130; ++y)
    inked |= At(Frame(), 75, y) == KeyColor || At(Frame(), 55, y) == KeyColor;
  EXPECT_TRUE(inked);
}

}  // namespace
