// The title screen, the story scene painter and the choice buttons.
#include <set>
#include <vector>

#include "platform/headless/HeadlessPlatform.h"
#include "sound/GaleMidi.h"
#include "tests/game/DrawFixture.h"

namespace {

class DrawTitleTest : public DrawTest {};

TEST_F(DrawTitleTest, BackgroundIsBrightenedTowardTheBottom) {
  ScopedDataFolder folder{machine};
  TGaleBitmap title;
  title.Resize(600, 400, Px(10, 20, 30));
  for (int x = 0; x < 600; ++x) {
    Put(title, x, 300, KeyColor);
    Put(title, x, 399, Px(200, 100, 0));
  }
  folder.WriteBmp("title.bmp", title);
  Game.BackgroundSurface = std::make_unique<TGaleBitmap>();
  PrepareTitleBackground();
  const TGaleBitmap& bg = *Game.BackgroundSurface;
  EXPECT_EQ(At(bg, 0, 300), Px(100, 100, 100));
  EXPECT_EQ(At(bg, 599, 300), Px(100, 100, 100));
  EXPECT_EQ(At(bg, 5, 399), Px(255, 233, 133));
  EXPECT_EQ(At(bg, 5, 2), Px(10, 20, 30));
  EXPECT_EQ(At(bg, 5, 3), Px(11, 21, 31));
  EXPECT_EQ(At(bg, 5, 398), Px(142, 152, 162));
  ASSERT_TRUE(Game.FramePainter);
  auto* painter = Game.FramePainter.target<void (*)()>();
  ASSERT_NE(painter, nullptr);
  EXPECT_EQ(*painter, &TitlePainter);
}

TEST_F(DrawTitleTest, SmallTitlePictureIsPaddedWithWhite) {
  ScopedDataFolder folder{machine};
  TGaleBitmap title;
  title.Resize(300, 200, Px(0, 0, 0));
  folder.WriteBmp("title.bmp", title);
  PrepareTitleBackground();
  const TGaleBitmap& bg = *Game.BackgroundSurface;
  ASSERT_EQ(bg.Width(), 600);
  ASSERT_EQ(bg.Height(), 400);
  EXPECT_EQ(At(bg, 299, 199), Px(66, 66, 66));
  EXPECT_EQ(At(bg, 300, 0), FillColor);
  EXPECT_EQ(At(bg, 10, 399), FillColor);
}

TEST_F(DrawTitleTest, StartTitlePlaysTheTitleMusicInALoop) {
  ScopedDataFolder folder{machine};
  TGaleBitmap title;
  title.Resize(600, 400);
  folder.WriteBmp("title.bmp", title);
  platform::HeadlessPlatform machine;
  Game.MusicPlayer = std::make_unique<TGaleMidi>(machine);
  StartTitle();
  EXPECT_EQ(machine.RecordedMusic().loaded, "dat\\flaremorning.mid");
  EXPECT_TRUE(machine.RecordedMusic().playing);
  EXPECT_TRUE(machine.RecordedMusic().looping);
  EXPECT_TRUE(Game.FramePainter);
  Game.MusicPlayer.reset();
}

TEST_F(DrawTitleTest, BorderBlackStaysBlack) {
  Frame().Fill(KeyColor);
  TitlePainter();
  for (int x = 0; x < 600; ++x) EXPECT_EQ(At(Frame(), x, 0), KeyColor);
  for (int x = 0; x < 375; ++x)
    EXPECT_EQ(At(Frame(), x, 399), KeyColor);  // the clock lightens 375..
  for (int y = 0; y < 400; ++y) EXPECT_EQ(At(Frame(), 0, y), KeyColor);
  for (int y = 0; y < 350; ++y) EXPECT_EQ(At(Frame(), 599, y), KeyColor);
  // Inside, black pixels glow in a red of their own, green and blue 0.
  std::set<int> reds;
  for (int x = 1; x < 599; ++x) {
    const TPixel p = At(Frame(), x, 100);
    EXPECT_EQ(p.b, 0);
    EXPECT_EQ(p.g, 0);
    reds.insert(p.r);
  }
  EXPECT_GT(reds.size(), 100u);
}

class DrawMainTest : public DrawTest {};

TEST_F(DrawMainTest, FlickerReddensBlackFromColumnOneWithOneLevelPerRow) {
  for (int y = 0; y < 400; ++y) {
    Put(Frame(), 0, y, KeyColor);
    Put(Frame(), 1, y, KeyColor);
    Put(Frame(), 300, y, KeyColor);
    Put(Frame(), 599, y, KeyColor);
    Put(Frame(), 2, y, Px(0, 0, 1));
    Put(Frame(), 3, y, Px(1, 0, 0));
  }
  const auto draws = Draws(31, 400, 128);
  Game.Random.Seed(31);
  MainPainter();
  for (int y = 0; y < 400; ++y) {
    const TPixel lit = Px(0, 0, static_cast<std::uint8_t>(64 + draws[y]));
    ASSERT_EQ(At(Frame(), 0, y), KeyColor) << y;
    ASSERT_EQ(At(Frame(), 1, y), lit) << y;
    ASSERT_EQ(At(Frame(), 300, y), lit) << y;
    ASSERT_EQ(At(Frame(), 599, y), lit) << y;
    ASSERT_EQ(At(Frame(), 2, y), Px(0, 0, 1)) << y;
    ASSERT_EQ(At(Frame(), 3, y), Px(1, 0, 0)) << y;
    ASSERT_EQ(At(Frame(), 4, y), FillColor) << y;
  }
}

TEST_F(DrawMainTest, FlickerFindsBlackInEveryColumnAndOnlyWholePixels) {
  // Row 10 black throughout; row 11 pairs whose zero bytes run across the
  // pixels' edge (blue 1 then red 1), neither of them black.
  for (int x = 0; x < 600; ++x) {
    Put(Frame(), x, 10, KeyColor);
    Put(Frame(), x, 11, x % 2 == 0 ? Px(0, 0, 1) : Px(1, 0, 0));
  }
  const auto draws = Draws(32, 400, 128);
  Game.Random.Seed(32);
  MainPainter();
  const TPixel lit = Px(0, 0, static_cast<std::uint8_t>(64 + draws[10]));
  ASSERT_EQ(At(Frame(), 0, 10), KeyColor);
  for (int x = 1; x < 600; ++x) {
    ASSERT_EQ(At(Frame(), x, 10), lit) << x;
    ASSERT_EQ(At(Frame(), x, 11), x % 2 == 0 ? Px(0, 0, 1) : Px(1, 0, 0)) << x;
  }
}

// Top-left corner of where a solid overlay colour landed.
std::pair<int, int> FindOverlay(const TGaleBitmap& frame, TPixel color) {
  int top = -1;
  int left = 1000;
  for (int y = 0; y < 400; ++y) {
    for (int x = 0; x < 600; ++x) {
      if (At(frame, x, y) == color) {
        if (top < 0) top = y;
        left = std::min(left, x);
      }
    }
  }
  return {left, top};
}

TEST_F(DrawMainTest, OverlaysShakeByZeroToFourWithYDrawnFirst) {
  const TPixel color = Px(5, 150, 250);
  Game.SubImages[0].Surface = SolidSurface(10, 10, color);
  Game.SubImages[0].X = 100;
  Game.SubImages[0].Y = 200;
  Game.SubImageCount = 1;
  std::set<int> dxs;
  std::set<int> dys;
  for (std::uint64_t seed = 1; seed <= 60; ++seed) {
    Frame().Fill(FillColor);
    const auto draws = Draws(seed, 2, 5);
    Game.Random.Seed(seed);
    MainPainter();
    const auto [left, top] = FindOverlay(Frame(), color);
    ASSERT_EQ(top, 200 + draws[0]) << seed;
    ASSERT_EQ(left, 100 + draws[1]) << seed;
    dxs.insert(left - 100);
    dys.insert(top - 200);
  }
  EXPECT_EQ(dxs, (std::set<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(dys, (std::set<int>{0, 1, 2, 3, 4}));
}

TEST_F(DrawMainTest, StoryLinesAreFontHeightPlusFiveApart) {
  Game.TextOriginX = 30;
  Game.TextOriginY = 20;
  Game.TextColor = 0xFF0000;  // blue
  const TPixel blue = Px(255, 0, 0);
  for (int size : {20, 40}) {
    Game.FontSize = size;
    Game.StoryLineCount = 3;
    for (int i = 0; i < 3; ++i) Game.StoryLines[i] = "HHHH";
    Frame().Fill(FillColor);
    MainPainter();
    const auto rows = RowsWith(Frame(), blue);
    ASSERT_FALSE(rows.empty());
    const int pitch = size + 5;
    bool seen[3] = {false, false, false};
    for (int y : rows) {
      const int i = (y - 20) / pitch;
      ASSERT_GE(i, 0) << y;
      ASSERT_LT(i, 3) << y;
      EXPECT_LE(y - 20 - i * pitch, size + 2) << y;
      seen[i] = true;
    }
    EXPECT_TRUE(seen[0] && seen[1] && seen[2]) << size;
  }
}

TEST_F(DrawMainTest, BlackTextIsDrawnAfterTheFlicker) {
  Game.FontSize = 20;
  Game.TextColor = 0;
  Game.StoryLineCount = 1;
  Game.StoryLines[0] = "HHHH";
  Game.TextOriginX = 50;
  Game.TextOriginY = 50;
  for (int x = 0; x < 600; ++x) Put(Frame(), x, 300, KeyColor);
  MainPainter();
  EXPECT_FALSE(RowsWith(Frame(), KeyColor).empty());
  EXPECT_NE(At(Frame(), 10, 300), KeyColor);
}

TEST_F(DrawMainTest, ClockAndSayingsOnlyWhenSwitchedOn) {
  for (const bool on : {false, true}) {
    Frame().Fill(KeyColor);
    Game.ClockRunning = on;
    Game.SayingActive = on;
    MainPainter();
    EXPECT_EQ(At(Frame(), 380, 398).b, on ? 127 : 0) << on;  // the clock's pale box
    EXPECT_EQ(At(Frame(), 5, 300).b > 0, on) << on;          // the sayings' pale band
  }
}

class DrawButtonsTest : public DrawTest {
 protected:
  void Add(int left, int top, int right, int bottom, const std::string& caption = "") {
    TMarigoldButton& b = Game.Buttons[Game.ButtonCount++];
    b.Caption = caption;
    b.CaptionSize = 20;
    b.Left = left;
    b.Top = top;
    b.Right = right;
    b.Bottom = bottom;
  }
};

TEST_F(DrawButtonsTest, FillBlendsTowardPinkOrTurnsRedWhenHovered) {
  const TPixel ground = Px(100, 50, 200);
  Frame().Fill(ground);
  Add(100, 100, 200, 150);
  Add(300, 100, 400, 150);
  Game.HoverButton = 1;
  DrawButtons();
  EXPECT_EQ(At(Frame(), 150, 125), Px(114, 89, 227));
  EXPECT_EQ(At(Frame(), 350, 125), HoverColor);
  for (int y : {99, 151}) EXPECT_EQ(At(Frame(), 150, y), ground);
  for (int x : {99, 201, 299, 401}) EXPECT_EQ(At(Frame(), x, 125), ground);
}

TEST_F(DrawButtonsTest, FrameLinesFollowTheDrawnDepths) {
  Frame().Fill(FillColor);
  Add(100, 100, 200, 150);
  const auto d = Draws(8, 16, 4);
  Game.Random.Seed(8);
  DrawButtons();
  std::set<int> topRows, bottomRows, leftCols, rightCols;
  for (int pass = 0; pass < 4; ++pass) {
    topRows.insert(100 + d[4 * pass]);
    bottomRows.insert(150 - d[4 * pass + 1]);
    leftCols.insert(100 + d[4 * pass + 2]);
    rightCols.insert(200 - d[4 * pass + 3]);
  }
  for (int k = 0; k < 4; ++k) {
    // Middle of each side: black exactly at the drawn depths.
    EXPECT_EQ(At(Frame(), 150, 100 + k) == KeyColor, topRows.count(100 + k) == 1) << k;
    EXPECT_EQ(At(Frame(), 150, 150 - k) == KeyColor, bottomRows.count(150 - k) == 1) << k;
    EXPECT_EQ(At(Frame(), 100 + k, 125) == KeyColor, leftCols.count(100 + k) == 1) << k;
    EXPECT_EQ(At(Frame(), 200 - k, 125) == KeyColor, rightCols.count(200 - k) == 1) << k;
  }
  // Each line runs the whole side.
  for (int y : topRows)
    for (int x = 100; x <= 200; ++x) ASSERT_EQ(At(Frame(), x, y), KeyColor);
  for (int x : rightCols)
    for (int y = 100; y <= 150; ++y) ASSERT_EQ(At(Frame(), x, y), KeyColor);
}

TEST_F(DrawButtonsTest, CaptionIsDrawnInsideTheButton) {
  Frame().Fill(FillColor);
  Add(100, 100, 200, 150, "AB");
  DrawButtons();
  int ink = 0;
  for (int y = 100; y < 150; ++y)
    for (int x = 104; x < 196; ++x) ink += At(Frame(), x, y) == KeyColor && y > 103 && y < 147;
  EXPECT_GT(ink, 20);
  for (int y = 104; y < 109; ++y)
    for (int x = 104; x < 196; ++x) ASSERT_NE(At(Frame(), x, y), KeyColor) << x << "," << y;
}

TEST_F(DrawButtonsTest, ButtonsReachingOutsideAreClipped) {
  const TPixel ground = Px(100, 50, 200);
  Frame().Fill(ground);
  Add(-50, -30, 700, 450, "AB");
  Add(590, 390, 640, 420, "CD");
  Game.HoverButton = 1;
  DrawButtons();
  EXPECT_EQ(At(Frame(), 300, 200), Px(114, 89, 227));
  EXPECT_EQ(At(Frame(), 0, 0), Px(114, 89, 227));
  EXPECT_EQ(At(Frame(), 599, 399), HoverColor);
  EXPECT_EQ(At(Frame(), 595, 395), HoverColor);
  EXPECT_EQ(At(Frame(), 589, 395), Px(114, 89, 227));
}

}  // namespace
