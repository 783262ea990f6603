// The form, the task timer and the cooperative loop on the headless platform.
#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/GaleForm.h"
#include "engine/GaleTimer.h"
#include "platform/headless/HeadlessPlatform.h"

using platform::Event;
using platform::HeadlessPlatform;
using platform::MouseButton;

namespace {

Event Close() {
  Event e;
  e.kind = Event::Kind::Close;
  return e;
}

Event Mouse(Event::Kind kind, int x, int y, MouseButton button = MouseButton::Left) {
  Event e;
  e.kind = kind;
  e.x = x;
  e.y = y;
  e.button = button;
  return e;
}

Event KeyEvent(int key, bool up) {
  Event e;
  e.kind = Event::Kind::Key;
  e.key = key;
  e.keyUp = up;
  return e;
}

class TestForm : public TGaleForm {
 public:
  explicit TestForm(TApplication& app) : TGaleForm(app, "焔の庭", 600, 400) {}
  void MouseDown(MouseButton, int x, int) override {
    downs.push_back(x);
    if (throwOnDown) throw std::runtime_error("押せない");
  }
  void MouseMove(int x, int) override { moves.push_back(x); }
  void Key(int key, bool) override { keys.push_back(key); }
  std::vector<int> downs, moves, keys;
  bool throwOnDown = false;
};

class LoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    p.SetTime(1000);
    app.Title = "焔の庭";
    // A loop that would block for ever ends the run instead of hanging the test.
    p.onBlockForever = [this] { p.Push(Close()); };
  }
  // Runs the application until the window is closed at `closeAt`.
  void RunUntil(std::int64_t closeAt) {
    p.Schedule(closeAt, Close());
    app.Run();
  }
  // Adds a task that logs the clock reading of each run.
  void AddLogged(TGaleTimer& timer, std::vector<std::int64_t>& log, std::int32_t interval,
                 std::int64_t takes = 0) {
    timer.AddTask(
        [this, &log, takes] {
          log.push_back(p.Now());
          p.Advance(takes);
        },
        interval, "");
  }

  HeadlessPlatform p;
  TApplication app{p};
  TestForm form{app};
};

TEST_F(LoopTest, TaskRunsFirstAtAddPlus51ThenEvery51) {
  TGaleTimer timer(form);
  std::vector<std::int64_t> runs;
  AddLogged(timer, runs, 50);
  RunUntil(1200);
  EXPECT_EQ(runs, (std::vector<std::int64_t>{1051, 1102, 1153}));
  EXPECT_EQ(p.BlockedForever(), 0);
}

TEST_F(LoopTest, PeriodIsMeasuredBetweenPassReadingsWhateverTheRoutineTakes) {
  TGaleTimer timer(form);
  std::vector<std::int64_t> runs;
  AddLogged(timer, runs, 50, 30);
  RunUntil(1200);
  EXPECT_EQ(runs, (std::vector<std::int64_t>{1051, 1102, 1153}));
}

TEST_F(LoopTest, SlowRoutineRunsAgainInTheNextPassOnceWithoutMakingUp) {
  TGaleTimer timer(form);
  std::vector<std::int64_t> runs;
  AddLogged(timer, runs, 50, 120);
  RunUntil(1300);
  // Each run starts right after the previous one ended: one run per pass,
  // and the pass that sees the close (at 1411) still runs it.
  EXPECT_EQ(runs, (std::vector<std::int64_t>{1051, 1171, 1291, 1411}));
  EXPECT_EQ(Tasks[0].LastRun, 1411);
}

TEST_F(LoopTest, TasksWithoutIntervalOrRoutineNeverRunAndStopNothing) {
  TGaleTimer timer(form);
  std::vector<std::int64_t> zero, negative, real;
  AddLogged(timer, zero, 0);
  AddLogged(timer, negative, -5);
  timer.AddTask(nullptr, 50, "none");
  AddLogged(timer, real, 50);
  RunUntil(1200);
  EXPECT_TRUE(zero.empty());
  EXPECT_TRUE(negative.empty());
  EXPECT_EQ(real, (std::vector<std::int64_t>{1051, 1102, 1153}));
  EXPECT_EQ(Tasks[0].LastRun, 1000);
  EXPECT_EQ(Tasks[2].LastRun, 1000);
}

TEST_F(LoopTest, TasksDueTogetherRunInOrderAndShareOneReading) {
  TGaleTimer timer(form);
  std::vector<std::string> order;
  timer.AddTask(
      [&] {
        order.push_back("a" + std::to_string(p.Now()));
        p.Advance(7);
      },
      50, "a");
  timer.AddTask([&] { order.push_back("b" + std::to_string(p.Now())); }, 50, "b");
  RunUntil(1100);
  EXPECT_EQ(order, (std::vector<std::string>{"a1051", "b1058"}));
  EXPECT_EQ(Tasks[0].LastRun, 1051);
  EXPECT_EQ(Tasks[1].LastRun, 1051);
}

TEST_F(LoopTest, TaskAddedDuringAPassWaitsForTheNextPass) {
  TGaleTimer timer(form);
  std::vector<std::string> order;
  bool added = false;
  timer.AddTask(
      [&] {
        order.push_back("a" + std::to_string(p.Now()));
        if (!added) {
          added = true;
          p.Advance(5);  // the new task's LastRun is 1056
          timer.AddTask([&] { order.push_back("b" + std::to_string(p.Now())); }, 1, "b");
        }
      },
      50, "a");
  RunUntil(1060);
  ASSERT_EQ(Tasks.size(), 2u);
  // Not in the pass at 1051 that added it; then every pass more than 1 ms later.
  EXPECT_EQ(order, (std::vector<std::string>{"a1051", "b1058", "b1060"}));
}

TEST_F(LoopTest, LoopWaitsForTheNextDueTaskInsteadOfSpinning) {
  TGaleTimer timer(form);
  std::vector<std::int64_t> runs;
  AddLogged(timer, runs, 50);
  RunUntil(11000);
  ASSERT_EQ(runs.size(), 196u);  // ten simulated seconds at one run per 51 ms
  EXPECT_LE(p.WaitCalls(), 200);
  EXPECT_LE(p.ClockReads(), 2 * 200 + 1);
  EXPECT_EQ(p.BlockedForever(), 0);
}

TEST_F(LoopTest, LoopWithoutRunnableTaskWaitsForInputWithoutLimit) {
  TGaleTimer timer(form);
  p.Schedule(5000, Mouse(Event::Kind::MouseMove, 3, 4));
  RunUntil(9000);
  EXPECT_EQ(form.moves, std::vector<int>{3});
  EXPECT_LE(p.WaitCalls(), 4);
}

TEST_F(LoopTest, ErrorFromATaskShowsTheBoxAndStopsTheLoopForGood) {
  TGaleTimer timer(form);
  int runs = 0, other = 0;
  timer.AddTask(
      [&] {
        ++runs;
        throw std::runtime_error("壊れた");
      },
      50, "");
  timer.AddTask([&] { ++other; }, 50, "");
  p.Schedule(1500, Mouse(Event::Kind::MouseMove, 42, 0));
  RunUntil(3000);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(other, 0);
  EXPECT_EQ(Tasks[0].LastRun, 1000);
  auto boxes = p.ErrorBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "焔の庭");
  EXPECT_EQ(boxes[0].text, "壊れた.");
  EXPECT_EQ(boxes[0].time, 1051);
  // Messages are still dispatched, and closing still ends the program.
  EXPECT_EQ(form.moves, std::vector<int>{42});
  EXPECT_TRUE(app.Terminated());
}

TEST_F(LoopTest, ErrorInAMouseHandlerShowsTheBoxAndTheLoopGoesOn) {
  TGaleTimer timer(form);
  std::vector<std::int64_t> runs;
  AddLogged(timer, runs, 50);
  form.throwOnDown = true;
  p.Schedule(1075, Mouse(Event::Kind::MouseDown, 10, 10));
  RunUntil(1200);
  auto boxes = p.ErrorBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "押せない.");
  EXPECT_EQ(form.downs, std::vector<int>{10});
  EXPECT_EQ(runs, (std::vector<std::int64_t>{1051, 1102, 1153}));
}

TEST_F(LoopTest, CloseDuringAPassLetsItsDueTasksRunThenEndsTheLoop) {
  TGaleTimer timer(form);
  std::vector<std::int64_t> runs;
  AddLogged(timer, runs, 50);
  RunUntil(1051);
  EXPECT_EQ(runs, std::vector<std::int64_t>{1051});
  EXPECT_TRUE(app.Terminated());
}

TEST_F(LoopTest, DoubleClickAndCapturedMovesReachTheHandlersUnchanged) {
  TGaleTimer timer(form);
  p.Schedule(1010, Mouse(Event::Kind::MouseDown, 5, 5));
  p.Schedule(1020, Mouse(Event::Kind::MouseDown, 5, 5));
  p.Schedule(1030, Mouse(Event::Kind::MouseMove, -20, 450));
  RunUntil(1100);
  EXPECT_EQ(form.downs, (std::vector<int>{5, 5}));
  EXPECT_EQ(form.moves, std::vector<int>{-20});
}

TEST_F(LoopTest, SecondTimerBeepsAndChangesNothing) {
  TGaleTimer timer(form);
  timer.AddTask([] {}, 50, "tick");
  {
    TGaleTimer second(form);
    EXPECT_FALSE(second.Accepted());
    EXPECT_EQ(p.BeepCount(), 1);
    EXPECT_EQ(Tasks.size(), 1u);
  }
  EXPECT_TRUE(TimerCreated);
  // Only the first timer asked for the loop to start.
  Event e;
  int starts = 0;
  while (p.PollEvent(e)) starts += e.kind == Event::Kind::User && e.message == 1034;
  EXPECT_EQ(starts, 1);
}

TEST_F(LoopTest, TimerLifetimeSetsTheFlag) {
  {
    TGaleTimer timer(form);
    EXPECT_TRUE(timer.Accepted());
    EXPECT_TRUE(TimerCreated);
  }
  EXPECT_FALSE(TimerCreated);
  TGaleTimer again(form);
  EXPECT_TRUE(again.Accepted());
  EXPECT_EQ(p.BeepCount(), 0);
}

TEST_F(LoopTest, StartMessageWithoutRoutineIsIgnoredAndKeyFilterSwallowsAltAndF10) {
  p.PostUserMessage(1034);
  for (int key : {18, 121, 65, 13}) {
    p.Push(KeyEvent(key, false));
    p.Push(KeyEvent(key, true));
  }
  app.ProcessMessages();
  EXPECT_EQ(form.keys, (std::vector<int>{65, 65, 13, 13}));
  EXPECT_TRUE(p.ErrorBoxes().empty());
  EXPECT_FALSE(app.Terminated());
}

TEST_F(LoopTest, RunShowsTheWindowBeforeTheFirstTask) {
  TGaleTimer timer(form);
  EXPECT_FALSE(p.WindowShown());
  bool shownAtRun = false;
  timer.AddTask([&] { shownAtRun = p.WindowShown(); }, 50, "");
  RunUntil(1100);
  EXPECT_TRUE(shownAtRun);
}

TEST(ShowException, FullStopFollowsTheLastByte) {
  HeadlessPlatform p;
  TApplication app(p);
  app.Title = "T";
  app.ShowException(std::runtime_error("終わり。"));
  app.ShowException(std::runtime_error("done."));
  app.ShowException(std::runtime_error("stop!"));
  app.ShowException(std::runtime_error("x"));
  app.ShowException(std::runtime_error(""));
  auto boxes = p.ErrorBoxes();
  ASSERT_EQ(boxes.size(), 5u);
  EXPECT_EQ(boxes[0].text, "終わり。.");
  EXPECT_EQ(boxes[1].text, "done.");
  EXPECT_EQ(boxes[2].text, "stop!");
  EXPECT_EQ(boxes[3].text, "x.");
  EXPECT_EQ(boxes[4].text, "");
  EXPECT_EQ(boxes[0].title, "T");
}

TEST(FormWindow, CentredLeftThenTopWithTruncationTowardZero) {
  HeadlessPlatform p;
  p.SetScreenSize(1024, 768);
  p.SetBorders(3, 26, 4, 3);  // outer 607 x 429
  TApplication app(p);
  TestForm form(app);
  EXPECT_EQ(p.Caption(), "焔の庭");
  EXPECT_EQ(p.ClientWidth(), 600);
  EXPECT_EQ(p.ClientHeight(), 400);
  EXPECT_EQ(p.Left(), 208);
  EXPECT_EQ(p.Top(), 169);
  EXPECT_FALSE(p.WindowShown());
  EXPECT_EQ(app.MainForm, &form);

  HeadlessPlatform narrow;
  narrow.SetScreenSize(593, 395);
  TApplication app2(narrow);
  TestForm form2(app2);
  EXPECT_EQ(narrow.Left(), -3);
  EXPECT_EQ(narrow.Top(), -2);
  EXPECT_EQ(TGaleForm::CentreOffset(0, 7), -3);
}

TEST(FormWindow, UnsizedFormHasAnEmptyClientArea) {
  HeadlessPlatform p;
  TApplication app(p);
  TGaleForm form(app);
  EXPECT_TRUE(p.WindowCreated());
  EXPECT_EQ(p.ClientWidth(), 0);
  TPanel panel;
  form.FitPanel(panel, true);
  EXPECT_EQ(panel.Width, 0);
  EXPECT_TRUE(panel.Visible);
}

}  // namespace

// The loop driven a pass a frame by a host (the browser), on a machine whose
// error box stays open over the passes that follow instead of blocking.
class HostBoxPlatform : public HeadlessPlatform {
 public:
  bool ErrorBoxOpen() const override { return boxOpen; }
  bool boxOpen = false;
};

class HostLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    p.SetTime(1000);
    app.Title = "焔の庭";
    app.HostDrivesLoop = true;
  }
  // Frames every 16 ms from now until `until`, as the browser calls them;
  // false once a frame says the application ends.
  bool FramesUntil(std::int64_t until) {
    for (; p.Now() < until; p.Advance(16)) {
      if (!RunHostFrame()) return false;
    }
    return true;
  }

  HostBoxPlatform p;
  TApplication app{p};
  TestForm form{app};
};

TEST_F(HostLoopTest, FramesShowTheFormStartTheLoopAndRunTasksWhenDue) {
  TGaleTimer timer(form);
  std::vector<std::int64_t> runs;
  timer.AddTask([&] { runs.push_back(p.Now()); }, 50, "");
  p.Schedule(1100, Mouse(Event::Kind::MouseMove, 7, 0));
  EXPECT_TRUE(FramesUntil(1200));
  EXPECT_TRUE(p.WindowShown());
  // The first frame past each due time, measured from the frame that ran it.
  EXPECT_EQ(runs, (std::vector<std::int64_t>{1064, 1128, 1192}));
  EXPECT_EQ(form.moves, std::vector<int>{7});
  EXPECT_EQ(p.BlockedForever(), 0);
  p.Push(Close());
  EXPECT_FALSE(RunHostFrame());
  EXPECT_TRUE(app.Terminated());
}

TEST_F(HostLoopTest, OpenBoxHoldsInputAndTasksUntilDismissed) {
  TGaleTimer timer(form);
  std::vector<std::int64_t> runs;
  timer.AddTask([&] { runs.push_back(p.Now()); }, 50, "");
  EXPECT_TRUE(FramesUntil(1070));
  p.boxOpen = true;
  p.Push(Mouse(Event::Kind::MouseMove, 9, 0));
  EXPECT_TRUE(FramesUntil(1300));
  EXPECT_EQ(runs, std::vector<std::int64_t>{1064});
  EXPECT_TRUE(form.moves.empty());
  p.boxOpen = false;
  EXPECT_TRUE(FramesUntil(1320));
  // At once after the box, as after a desktop box: the move, then the task.
  EXPECT_EQ(form.moves, std::vector<int>{9});
  EXPECT_EQ(runs, (std::vector<std::int64_t>{1064, 1304}));
}

TEST_F(HostLoopTest, ErrorFromATaskShowsTheBoxAndEndsTheTasksAsTheOwnLoopDoes) {
  TGaleTimer timer(form);
  int runs = 0;
  timer.AddTask(
      [&] {
        ++runs;
        throw std::runtime_error("壊れた");
      },
      50, "");
  p.Schedule(1500, Mouse(Event::Kind::MouseMove, 42, 0));
  EXPECT_TRUE(FramesUntil(3000));
  EXPECT_EQ(runs, 1);
  auto boxes = p.ErrorBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "壊れた.");
  EXPECT_EQ(form.moves, std::vector<int>{42});
}
