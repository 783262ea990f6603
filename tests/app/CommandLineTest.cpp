// Bad command lines given to every program: each is refused with the status
// and the message its convention promises, and none ends by a signal.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Case {
  std::string arguments;  // shell words; {DIR} {FILE} {MISSING} {DEMO} {STORY} {INPUT} {TMP}
  int status;
  std::string fragment;     // must appear in what the program printed
  std::string absent = "";  // must not appear (the whole help after a usage error)
};

struct Outcome {
  int status = -1;  // -1: ended by a signal
  std::string output;
};

Outcome Start(const std::string& command) {
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return {};
  Outcome run;
  std::array<char, 4096> buffer;
  std::size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
    run.output.append(buffer.data(), n);
  }
  const int status = pclose(pipe);
  // The shell reports a child ended by a signal as 128 + the signal.
  if (WIFEXITED(status) && WEXITSTATUS(status) < 128) run.status = WEXITSTATUS(status);
  return run;
}

class BadCommandLines : public ::testing::Test {
 protected:
  void SetUp() override {
    tmp_ = fs::temp_directory_path() /
           ("marigold-cli-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(tmp_ / "dir");
    std::ofstream(tmp_ / "file") << "plain\n";
    std::ofstream(tmp_ / "story.txt") << "@start\nOne line\n\n#end\n// end\n";
    std::ofstream(tmp_ / "input") << "1 down 10 10\n2 jump 3 4\n";
  }
  void TearDown() override { fs::remove_all(tmp_); }

  std::string Expand(std::string text) const {
    const std::vector<std::pair<std::string, std::string>> names = {
        {"{DIR}", (tmp_ / "dir").string()},
        {"{FILE}", (tmp_ / "file").string()},
        {"{MISSING}", (tmp_ / "missing").string()},
        {"{STORY}", (tmp_ / "story.txt").string()},
        {"{INPUT}", (tmp_ / "input").string()},
        {"{TMP}", tmp_.string()},
        {"{DEMO}", (fs::path(MARIGOLD_BINARY_DIR) / "demo").string()},
        {"{VERSION}", MARIGOLD_VERSION},
    };
    for (const auto& [name, value] : names) {
      for (std::size_t at; (at = text.find(name)) != std::string::npos;) {
        text.replace(at, name.size(), value);
      }
    }
    return text;
  }

  void Check(const std::string& tool, const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      const Outcome run = Start(tool + " " + Expand(c.arguments));
      const std::string fragment = Expand(c.fragment);
      EXPECT_EQ(run.status, c.status) << tool << " " << c.arguments << "\n" << run.output;
      EXPECT_NE(run.output.find(fragment), std::string::npos)
          << tool << " " << c.arguments << ": no '" << fragment << "' in\n"
          << run.output;
      if (!c.absent.empty()) {
        EXPECT_EQ(run.output.find(c.absent), std::string::npos)
            << tool << " " << c.arguments << ": '" << c.absent << "' in\n"
            << run.output;
      }
    }
  }

  fs::path tmp_;
};

TEST_F(BadCommandLines, AuthorsTool) {
  Check(MARIGOLD_DAT_TOOL,
        {
            {"", 2, "usage: marigold-dat COMMAND"},
            {"frobnicate", 2, "marigold-dat: unknown command 'frobnicate'"},
            {"--frob pack a b", 2, "unknown option '--frob'"},
            {"--version", 0, "marigold-dat {VERSION}"},
            {"--help", 0, "marigold-dat lint PATH"},
            {"pack onlyone", 2, "usage: marigold-dat pack IN OUT", "unpack"},
            {"pack a b c", 2, "unexpected argument 'c'"},
            {"pack --frob a b", 2, "unknown option '--frob'\nusage: marigold-dat pack"},
            {"pack {MISSING} {TMP}/out", 1, "marigold-dat: {MISSING}: No such file or directory"},
            {"pack {DIR} {TMP}/out", 1, "marigold-dat: {DIR}: Is a directory"},
            {"pack {STORY} {DIR}", 1, "marigold-dat: {DIR}: Is a directory"},
            {"pack {STORY} {MISSING}/out", 1, "{MISSING}/out: No such file or directory"},
            {"unpack {DIR} -", 1, "{DIR}: Is a directory"},
            {"unpack --help", 0, "usage: marigold-dat unpack IN OUT"},
            {"trace", 2, "missing arguments\nusage: marigold-dat trace FILE", "unpack"},
            {"trace {STORY} --plain --max many", 2, "bad value 'many' for --max"},
            {"trace {STORY} --plain --label", 2, "option '--label' needs a value"},
            {"trace {STORY} --plain --label @nosuch", 1, "{STORY}: no label '@nosuch'"},
            {"trace {MISSING}", 1, "{MISSING}: No such file or directory"},
            {"trace {DIR}", 1, "{DIR}: Is a directory"},
            {"trace --help", 0, "usage: marigold-dat trace"},
            {"lint {DIR}", 1, "{DIR}: Is a directory"},
            {"lint {MISSING} --plain", 1, "{MISSING}: No such file or directory"},
            {"lint a b", 2, "unexpected argument 'b'\nusage: marigold-dat lint"},
            {"lint --bogus {STORY}", 2, "unknown option '--bogus'"},
            {"lint --help", 0, "usage: marigold-dat lint PATH"},
            {"lint --version", 0, "marigold-dat {VERSION}"},
        });
}

TEST_F(BadCommandLines, Replay) {
  Check(MARIGOLD_REPLAY_TOOL,
        {
            {"", 2, "missing --data DIR"},
            {"--frob", 2, "unknown option '--frob'\nusage: marigold-replay", "Output (standard"},
            {"--data", 2, "option '--data' needs a value"},
            {"--data {DEMO} --seed x", 2, "bad value 'x' for --seed"},
            {"--data {DEMO} --ticks 99999999999", 2, "bad value '99999999999' for --ticks"},
            {"--data {DEMO} stray", 2, "unexpected argument 'stray'"},
            {"--data {DEMO} --at 1", 2, "--at needs --frames"},
            {"--data {MISSING}", 1, "marigold-replay: {MISSING}: No such file or directory"},
            {"--data {FILE}", 1, "{FILE}: Not a directory"},
            {"--data {DEMO} --input {DIR}", 1, "{DIR}: Is a directory"},
            {"--data {DEMO} --input {MISSING}", 1, "{MISSING}: No such file or directory"},
            {"--data {DEMO} --input {INPUT}", 1, "{INPUT}:2: unknown event 'jump'"},
            {"--data {DEMO} --frames {FILE}/frames --at 1", 1, "{FILE}/frames: Not a directory"},
            {"--data {DEMO} --ticks 3 --frames {TMP}/frames --at 2,900", 0,
             "warning: no frame written for tick 900"},
            {"--help", 0, "Output (standard output"},
            {"--version", 0, "marigold-replay {VERSION}"},
        });
  EXPECT_TRUE(fs::exists(tmp_ / "frames" / "frame-2.png"));
}

TEST_F(BadCommandLines, DemoMaker) {
  Check(MARIGOLD_MKDATA_TOOL,
        {
            {"", 2, "missing arguments\nusage: marigold-mkdata OUTDIR"},
            {"a b c", 2, "unexpected argument 'c'"},
            {"--frob", 2, "unknown option '--frob'"},
            {"{TMP}/out {MISSING}", 1, "marigold-mkdata: {MISSING}: No such file or directory"},
            {"{TMP}/out {FILE}", 1, "{FILE}: Not a directory"},
            {"{FILE}/out", 1, "Not a directory"},
            {"--help", 0, "usage: marigold-mkdata OUTDIR [DEMODIR]"},
            {"--version", 0, "marigold-mkdata {VERSION}"},
        });
}

TEST_F(BadCommandLines, Game) {
  // None of these may open a window: there is no display to open it on.
  const std::string game = std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER ") +
                           "SDL_AUDIODRIVER=dummy timeout 20 " + MARIGOLD_GAME;
  Check(game, {
                  {"--frob", 2,
                   "marigold: unknown option '--frob'\nusage: marigold [--author] [--scale N] "
                   "[--fullscreen] [GAMEDIR]"},
                  {"--scale 0", 2, "bad value '0' for --scale (a whole scale from 1 to 16)"},
                  {"--scale=17", 2, "bad value '17' for --scale"},
                  {"--scale x2", 2, "bad value 'x2' for --scale"},
                  {"--scale", 2, "option '--scale' needs a value"},
                  {"a b", 2, "unexpected argument 'b'"},
                  {"{MISSING}", 1, "marigold: {MISSING}: No such file or directory"},
                  {"{FILE}", 1, "marigold: {FILE}: Not a directory"},
                  {"--help", 0, "--scale N     show the 600x400 picture N times as large"},
                  {"--version", 0, "marigold {VERSION}"},
                  {"{DEMO}", 1,
                   "marigold: cannot open a window: no display (DISPLAY and WAYLAND_DISPLAY are "
                   "unset)"},
              });
}

}  // namespace
