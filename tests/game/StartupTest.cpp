// The bootstrap, the main form, the program's start-up errors and shutdown.
#include <filesystem>
#include <vector>

#include "engine/GaleTimer.h"
#include "sound/GaleMidi.h"
#include "tests/game/GameFixture.h"

namespace {

class StartupTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    WriteStory({"@start", "Hello", ""});
    WriteLines("saying.dat", {"one", "two"});
  }
  // Runs the whole program until the loop has run `ticks` ticks.
  int RunFor(int ticks, const TRunHooks& hooks = {}) {
    platform::Event quit;
    quit.kind = platform::Event::Kind::Quit;
    machine.Schedule(machine.Now() + 51 * ticks, quit);
    return RunMarigold(machine, 3u, hooks);
  }
  // A left press at (x, y), scheduled at `time`.
  void PressAt(std::int64_t time, int x = 0, int y = 0) {
    platform::Event down;
    down.kind = platform::Event::Kind::MouseDown;
    down.x = x;
    down.y = y;
    machine.Schedule(time, down);
  }
  // Hooks that copy the story lines shown when the run finishes.
  static TRunHooks KeepLines(std::vector<std::string>& lines) {
    TRunHooks hooks;
    hooks.Finished = [&lines] {
      for (int i = 0; i < Game.StoryLineCount; ++i) lines.push_back(Game.StoryLines[i]);
    };
    return hooks;
  }
};

TEST_F(StartupTest, BootstrapMakesEverythingInOrder) {
  Boot();
  const std::vector<std::string> words = {
      "#midi",     "#wave",   "#waveByLoop", "#image",        "#font",     "#button", "#heatyJump",
      "#imagesub", "#heatUp", "#heatSpark",  "#vanishButton", "#finalize", "#saying", "#stopTimer"};
  ASSERT_EQ(Game.StoryScript->Commands.size(), words.size());
  for (std::size_t i = 0; i < words.size(); ++i) {
    EXPECT_EQ(Game.StoryScript->Commands[i].Name, words[i]);
  }
  EXPECT_EQ(Game.StoryScript->BatchLimit, 10);
  EXPECT_EQ(Game.StoryScript->BatchMode, 1);
  EXPECT_EQ(Game.SayingList, (std::vector<std::string>{"one", "two"}));
  ASSERT_EQ(Tasks.size(), 1u);
  EXPECT_EQ(Tasks[0].Interval, 50);
  EXPECT_EQ(Tasks[0].Name, "");
  // The frame is white before the first frame is composed.
  const TGaleBitmap& frame = *Game.FrameSurface;
  ASSERT_EQ(frame.Width(), 600);
  ASSERT_EQ(frame.Height(), 400);
  for (int y = 0; y < 400; y += 37) {
    for (int x = 0; x < 600; x += 41) ASSERT_EQ(At(frame, x, y), Px(255, 255, 255));
  }
  ASSERT_TRUE(Game.SandClockSurface->Mask);
  auto* painter = Game.FramePainter.target<void (*)()>();
  ASSERT_NE(painter, nullptr);
  EXPECT_EQ(*painter, &TitlePainter);
  EXPECT_EQ(machine.RecordedMusic().loaded, "dat\\flaremorning.mid");
  EXPECT_TRUE(machine.RecordedMusic().looping);
  EXPECT_EQ(machine.BeepCount(), 0);
  EXPECT_FALSE(machine.WindowShown());

  // The form: sized, centred, panel and paint box stretched.
  EXPECT_EQ(machine.ClientWidth(), 600);
  EXPECT_EQ(machine.ClientHeight(), 400);
  EXPECT_EQ(machine.Left(), (1920 - 600) / 2);
  EXPECT_EQ(machine.Top(), (1080 - 400) / 2);
  EXPECT_EQ(machine.Caption(), "焔の庭");
  EXPECT_TRUE(form->PageMain.Visible);
  EXPECT_EQ(form->PageMain.Width, 600);
  EXPECT_EQ(form->PntMain.Left, 0);
  EXPECT_EQ(form->PntMain.Width, 600);
  EXPECT_EQ(form->PntMain.Height, 400);
  EXPECT_EQ(app->MainForm, form.get());
}

TEST_F(StartupTest, SeedMakesTheRunRepeatable) {
  Boot();
  const auto a = std::vector<int>{random(1000), random(1000), random(1000)};
  form.reset();
  app.reset();
  ResetGameState();
  Boot();
  const auto b = std::vector<int>{random(1000), random(1000), random(1000)};
  EXPECT_EQ(a, b);
}

TEST_F(StartupTest, ShutdownReleasesMusicBeforeSoundAndEverythingElse) {
  Boot();
  form.reset();
  EXPECT_FALSE(Game.MusicPlayer || Game.SoundPlayer || Game.TaskTimer || Game.StoryScript);
  EXPECT_FALSE(Game.FrameSurface || Game.BackgroundSurface || Game.SandClockSurface);
  EXPECT_FALSE(TimerCreated);
  EXPECT_EQ(MidiInstanceFlag, 0);
  const auto& records = machine.Records();
  std::ptrdiff_t musicFree = -1, soundPurge = -1;
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (records[i].call.what == "Free") musicFree = static_cast<std::ptrdiff_t>(i);
    if (records[i].call.what == "Purge") soundPurge = static_cast<std::ptrdiff_t>(i);
  }
  ASSERT_GE(musicFree, 0);
  EXPECT_GT(soundPurge, musicFree);
}

TEST_F(StartupTest, MissingSandClockShowsTheStartUpErrorAndFails) {
  std::filesystem::remove(folder.Path("sandclock.bmp"));
  bool failed = false;
  TRunHooks hooks;
  hooks.Failed = [&] { failed = true; };
  hooks.Started = [] { ADD_FAILURE() << "the form was made"; };
  EXPECT_EQ(RunFor(5, hooks), 1);
  EXPECT_TRUE(failed);
  EXPECT_FALSE(machine.WindowShown());
  EXPECT_EQ(machine.PresentCount(), 0);
  const auto boxes = machine.ErrorBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "アプリケーション エラー");
  EXPECT_EQ(boxes[0].text.rfind(
                "例外 std::runtime_errorがモジュール marigold の 00000000 で発生しました。\n", 0),
            0u)
      << boxes[0].text;
  EXPECT_NE(boxes[0].text.find("sandclock.bmp"), std::string::npos);
  EXPECT_EQ(boxes[0].text.back(), '.');
  EXPECT_FALSE(Game.MusicPlayer);
  EXPECT_FALSE(TimerCreated);
}

// Data as Windows tools and archives leave it: a story that is a folder
// stops with the game's own cannot-open message.
TEST_F(StartupTest, StoryThatIsAFolderCannotBeOpened) {
  std::filesystem::remove(folder.Path("story.dat"));
  std::filesystem::create_directories(folder.Path("story.dat"));
  EXPECT_EQ(RunFor(5, TRunHooks{}), 1);
  auto boxes = machine.ErrorBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find("ファイル dat\\story.dat は開けません."), std::string::npos)
      << boxes[0].text;
}

TEST_F(StartupTest, WindowsNamesRawCp932AndFullWidthCaseAreFound) {
  TGaleBitmap green;
  green.Resize(10, 10, Px(0, 255, 0));
  std::vector<const char*> names{"ＥＭＢＥＲ.bmp"};
  folder.WriteBmp("ｅｍｂｅｒ.bmp", green);
#ifndef _WIN32
  // The CP932 bytes as the name on disk: only where names are bytes.
  folder.WriteBmp(Sj("庭.bmp"), green);
  names.push_back("庭.bmp");
#endif
  Boot();
  for (const char* name : names) {
    Game.BackgroundSurface->Resize(1, 1);
    Command({"#image", Sj(name)});
    EXPECT_EQ(At(*Game.BackgroundSurface, 5, 5), Px(0, 255, 0)) << name;
  }
}

TEST_F(StartupTest, MissingStoryBeepsOnceAndStillShowsTheTitle) {
  std::filesystem::remove(folder.Path("story.dat"));
  std::filesystem::remove(folder.Path("saying.dat"));
  bool titled = false;
  TRunHooks hooks;
  hooks.Started = [&] {
    auto* painter = Game.FramePainter.target<void (*)()>();
    titled = painter && *painter == &TitlePainter;
    EXPECT_TRUE(Game.SayingList.empty());
  };
  EXPECT_EQ(RunFor(3, hooks), 0);
  EXPECT_TRUE(titled);
  EXPECT_EQ(machine.BeepCount(), 1);
  EXPECT_TRUE(machine.WindowShown());
  EXPECT_EQ(machine.PresentCount(), 3);
  EXPECT_TRUE(machine.ErrorBoxes().empty());
}

TEST_F(StartupTest, TicksRunEvery51MillisecondsOnceTheLoopRuns) {
  std::vector<std::int64_t> times;
  machine.onRecord = [&](const platform::HeadlessPlatform::Record& r) {
    if (r.kind == platform::HeadlessPlatform::Record::Kind::Present) times.push_back(r.time);
  };
  PressAt(102, 5, 5);
  std::vector<std::string> atTick3;
  EXPECT_EQ(RunFor(3, KeepLines(atTick3)), 0);
  EXPECT_EQ(times, (std::vector<std::int64_t>{51, 102, 153}));
  EXPECT_EQ(atTick3, (std::vector<std::string>{"Hello"}));
}

TEST_F(StartupTest, ClosingTheWindowEndsTheRunAfterThatPass) {
  platform::Event close;
  close.kind = platform::Event::Kind::Close;
  machine.Schedule(102, close);
  EXPECT_EQ(RunFor(50), 0);
  EXPECT_EQ(machine.PresentCount(), 2);  // the pass of the close still ticks
}

TEST_F(StartupTest, EndOfTheScriptEndsTheRun) {
  WriteStory({"@start", "Last words", "#end", "Never"});
  PressAt(102);
  std::vector<std::string> lines;
  EXPECT_EQ(RunFor(50, KeepLines(lines)), 0);
  EXPECT_EQ(lines, (std::vector<std::string>{"Last words", ""}));
  EXPECT_EQ(machine.PresentCount(), 2);  // the pass of the press still ticks
}

TEST(StartupErrorText, FullStopOnlyWhenMissing) {
  const std::runtime_error plain("ファイル x は開けません");
  const std::runtime_error stopped("Bad file.");
  EXPECT_EQ(StartupErrorText(&plain, "marigold"),
            "例外 std::runtime_errorがモジュール marigold の 00000000 で発生しました。\n"
            "ファイル x は開けません.");
  EXPECT_EQ(StartupErrorText(&stopped, "m"),
            "例外 std::runtime_errorがモジュール m の 00000000 で発生しました。\nBad file.");
  EXPECT_EQ(StartupErrorText(nullptr, "m").rfind("例外がモジュール m ", 0), 0u);
}

}  // namespace

// Bad pictures named by #image while the game runs: each passage's picture
// fails in its own way, the error box shows the loader's message, and the
// story goes on to the next passage and to a good picture after them.
TEST_F(StartupTest, BadPicturesThroughImageEachShowTheirErrorAndPlayGoesOn) {
  struct Case {
    const char* file;
    std::string bytes;  // empty with write=false: the file is missing
    bool write;
    const char* error;
  };
  TGaleBitmap good;
  good.Resize(20, 10, Px(10, 200, 10));
  folder.WriteBmp("good.bmp", good);
  const std::string goodBytes = testsupport::ReadAll(folder.Path("good.bmp"));
  std::string zero = goodBytes.substr(0, 54);
  for (int at : {18, 22}) zero[at] = zero[at + 1] = zero[at + 2] = zero[at + 3] = 0;
  std::string huge = goodBytes.substr(0, 54);
  for (int at : {18, 22}) huge[at + 2] = '\x7F';  // 8 M pixels a side
  const std::vector<Case> cases = {
      {"missing.bmp", "", false, "は開けません"},
      {"cut.bmp", goodBytes.substr(0, 70), true, "ビットマップイメージが不正です"},
      {"empty.bmp", "", true, "ビットマップイメージが不正です"},
      {"gif.bmp", "GIF89a\x01\x00\x01\x00", true, "ビットマップイメージが不正です"},
      {"zero.bmp", zero, true, "ビットマップイメージが不正です"},
      {"huge.bmp", huge, true, "ビットマップイメージが不正です"},
      {"noise.jpg", std::string(300, '\x5A'), true, "JPEG エラー #"},
  };
  std::vector<std::string> story = {"@start"};
  for (std::size_t i = 0; i < cases.size(); ++i) {
    if (cases[i].write) folder.Write(cases[i].file, cases[i].bytes);
    story.push_back(std::string("#image ") + cases[i].file);
    story.push_back("Passage " + std::to_string(i));
    story.push_back("");
  }
  story.insert(story.end(), {"#image good.bmp", "After them", ""});
  WriteStory(story);

  // The first press leaves the title and starts the first passage. A failed
  // #image ends that delivery with its error; the next press shows the rest
  // of the passage, and the one after starts the next passage.
  platform::Event down;
  down.kind = platform::Event::Kind::MouseDown;
  platform::Event up;
  up.kind = platform::Event::Kind::MouseUp;
  for (std::size_t i = 0; i <= 2 * cases.size(); ++i) {
    machine.Schedule(102 + 204 * static_cast<std::int64_t>(i), down);
    machine.Schedule(153 + 204 * static_cast<std::int64_t>(i), up);
  }
  std::vector<std::string> last;
  int backgroundWidth = 0;
  TRunHooks hooks;
  hooks.Finished = [&] {
    for (int i = 0; i < Game.StoryLineCount; ++i) last.push_back(Game.StoryLines[i]);
    if (Game.BackgroundSurface) backgroundWidth = Game.BackgroundSurface->Width();
  };
  EXPECT_EQ(RunFor(static_cast<int>(8 * cases.size() + 12), hooks), 0);

  const auto boxes = machine.ErrorBoxes();
  ASSERT_EQ(boxes.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].file);
    EXPECT_NE(boxes[i].text.find(cases[i].error), std::string::npos) << boxes[i].text;
  }
  EXPECT_EQ(last, (std::vector<std::string>{"After them"}));
  EXPECT_EQ(backgroundWidth, 600);  // the good picture, padded to the frame
}
