// "marigold-dat new": the starter game lints clean, plays headless from the
// title to an ending with no error box, and never overwrites a game.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Ran {
  int status = -1;
  std::string out;
};

Ran RunCommand(const std::string& command) {
  Ran ran;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return ran;
  std::array<char, 4096> buffer;
  for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) {
    ran.out.append(buffer.data(), n);
  }
  const int status = pclose(pipe);
  ran.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return ran;
}

std::string Quoted(const fs::path& path) {
  return "'" + path.string() + "'";
}

class StarterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("marigold-starter-" + std::to_string(getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_);
    game_ = root_ / "mygame";
  }
  void TearDown() override { fs::remove_all(root_); }

  Ran Tool(const std::string& arguments) {
    return RunCommand(Quoted(MARIGOLD_DAT_TOOL) + " " + arguments);
  }

  fs::path root_;
  fs::path game_;
};

TEST_F(StarterTest, NewGameLintsCleanAndPlaysToAnEnding) {
  ASSERT_EQ(Tool("new " + Quoted(game_)).status, 0);
  for (const char* name : {"story.txt", "saying.txt", "dat/story.dat", "dat/saying.dat",
                           "dat/font.bmp", "dat/sandclock.bmp", "dat/title.bmp",
                           "dat/flaremorning.mid", "dat/ash.wav", "dat/dun.wav"}) {
    EXPECT_TRUE(fs::is_regular_file(game_ / name)) << name;
  }
  // Both the packed story and its source, checked against the data folder.
  for (const std::string& what :
       {Quoted(game_ / "dat/story.dat"),
        "--plain " + Quoted(game_ / "story.txt") + " --data " + Quoted(game_)}) {
    const Ran lint = Tool("lint " + what);
    EXPECT_EQ(lint.status, 0) << lint.out;
    // A clean run says so in one summary line and nothing else.
    EXPECT_EQ(std::count(lint.out.begin(), lint.out.end(), '\n'), 1) << lint.out;
    EXPECT_NE(lint.out.find(": 0 errors, 0 warnings; "), std::string::npos) << lint.out;
  }

  // Clicks where the first button stands: they read on, take the first
  // choice and go on to an ending.
  const fs::path clicks = root_ / "clicks.txt";
  {
    std::ofstream input(clicks);
    for (int tick = 5; tick < 400; tick += 10) {
      input << tick << " down 60 310\n" << tick + 1 << " up 60 310\n";
    }
  }
  const Ran play = RunCommand(Quoted(MARIGOLD_REPLAY_TOOL) + " --data " + Quoted(game_) +
                              " --ticks 2000 --input " + Quoted(clicks));
  EXPECT_EQ(play.status, 0) << play.out;
  EXPECT_NE(play.out.find("\"end\":\"script\""), std::string::npos) << play.out;
  EXPECT_EQ(play.out.find("error_box"), std::string::npos) << play.out;
  EXPECT_EQ(play.out.find("\"beep\""), std::string::npos) << play.out;
  EXPECT_NE(play.out.find("結末"), std::string::npos) << play.out;
}

// The author's UTF-8 text with --plain reads as its packed story does.
TEST_F(StarterTest, PlainTextTracesAndGraphsAsThePackedStory) {
  ASSERT_EQ(Tool("new " + Quoted(game_)).status, 0);
  const std::string text = Quoted(game_ / "story.txt");
  const std::string packed = Quoted(game_ / "dat/story.dat");
  struct Case {
    std::string command;  // the subcommand and its options before the story
    std::string after;    // options after it
    const char* shown;    // starter text it shows
  };
  for (const Case& c : {Case{"trace", " --choose 1,1", "ここは、あなたの物語の入り口です。"},
                        Case{"graph", "", "灯籠の方へ"}}) {
    const Ran plain = Tool(c.command + " --plain " + text + c.after);
    EXPECT_EQ(plain.status, 0) << plain.out;
    EXPECT_NE(plain.out.find(c.shown), std::string::npos) << plain.out;
    EXPECT_EQ(plain.out, Tool(c.command + " " + packed + c.after).out) << c.command;
  }
}

TEST_F(StarterTest, NeverOverwritesAGame) {
  ASSERT_EQ(Tool("new " + Quoted(game_)).status, 0);
  std::ofstream(game_ / "story.txt", std::ios::trunc) << "mine\n";
  EXPECT_EQ(Tool("new " + Quoted(game_)).status, 1);
  std::ifstream kept(game_ / "story.txt");
  std::string line;
  std::getline(kept, line);
  EXPECT_EQ(line, "mine");

  // A folder with only a story text gets no data folder either.
  const fs::path draft = root_ / "draft";
  fs::create_directories(draft);
  std::ofstream(draft / "story.txt") << "@start\n";
  EXPECT_EQ(Tool("new " + Quoted(draft)).status, 1);
  EXPECT_FALSE(fs::exists(draft / "dat"));
  EXPECT_EQ(Tool("new").status, 2);
}

}  // namespace
