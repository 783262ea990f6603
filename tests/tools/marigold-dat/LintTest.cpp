// The story checker: one faulty story per trap, checked for the exact kind
// and line of each report, a clean story with none, and the bundled demo.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/CommandLine.h"
#include "script/MyCrypt.h"
#include "tools/marigold-dat/Lint.h"

namespace fs = std::filesystem;
using lint::Diagnostic;
using lint::Severity;

namespace {

// "line:kind" for each report, in the checker's order.
std::vector<std::string> Kinds(const std::vector<Diagnostic>& diagnostics) {
  std::vector<std::string> kinds;
  for (const Diagnostic& d : diagnostics) {
    kinds.push_back(std::to_string(d.line) + ":" +
                    (d.severity == Severity::kError     ? "error"
                     : d.severity == Severity::kWarning ? "warning"
                                                        : "info"));
  }
  return kinds;
}

std::string Dump(const std::vector<Diagnostic>& diagnostics) {
  std::string text;
  for (const Diagnostic& d : diagnostics) text += lint::FormatDiagnostic("story", d) + "\n";
  return text;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

void Put16(std::string& out, std::uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}
void Put32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A white 24-bit bitmap file, with one pure blue marker pixel when markerX >= 0.
std::string WhiteBitmap(int width, int height, int markerX, int markerY) {
  const int stride = (width * 3 + 3) / 4 * 4;
  std::string file = "BM";
  Put32(file, 54 + stride * height);
  Put32(file, 0);
  Put32(file, 54);
  Put32(file, 40);
  Put32(file, width);
  Put32(file, height);
  Put16(file, 1);
  Put16(file, 24);
  Put32(file, 0);
  Put32(file, stride * height);
  Put32(file, 2835);
  Put32(file, 2835);
  Put32(file, 0);
  Put32(file, 0);
  for (int row = height - 1; row >= 0; --row) {  // bottom-up
    std::string line(stride, '\0');
    for (int x = 0; x < width; ++x) {
      const bool marker = x == markerX && row == markerY;
      line[3 * x] = static_cast<char>(255);
      line[3 * x + 1] = static_cast<char>(marker ? 0 : 255);
      line[3 * x + 2] = static_cast<char>(marker ? 0 : 255);
    }
    file += line;
  }
  return file;
}

class LintStories : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = fs::temp_directory_path() / ("marigold-lint-" + std::to_string(getpid()));
    fs::create_directories(folder_);
    for (const auto& entry : fs::directory_iterator(fs::path(MARIGOLD_SOURCE_DIR) /
                                                    "tests/tools/marigold-dat/stories")) {
      fs::copy_file(entry.path(), folder_ / entry.path().filename(),
                    fs::copy_options::overwrite_existing);
    }
    WriteFile(folder_ / "bg.bmp", WhiteBitmap(600, 400, 40, 300));
    WriteFile(folder_ / "right.bmp", WhiteBitmap(600, 400, 300, 50));
    WriteFile(folder_ / "over.bmp", WhiteBitmap(20, 20, -1, -1));
    WriteFile(folder_ / "photo.JPG", WhiteBitmap(20, 20, -1, -1));
    WriteFile(folder_ / "broken.bmp", "BM not a picture");
    WriteFile(folder_ / "theme.mid", "MThd");
    WriteFile(folder_ / "hit.wav", "RIFF");
  }
  static void TearDownTestSuite() { fs::remove_all(folder_); }

  static std::vector<Diagnostic> Lint(const std::string& story, lint::Options options = {}) {
    return lint::LintFile(folder_ / story, true, options);
  }

  static std::vector<Diagnostic> Check(const std::vector<std::string>& lines) {
    return lint::CheckStory(lines, folder_);
  }

  static fs::path folder_;
};

fs::path LintStories::folder_;

using Expected = std::vector<std::string>;

TEST_F(LintStories, CleanStoryHasNoReports) {
  const auto found = Lint("clean.txt");
  EXPECT_TRUE(found.empty()) << Dump(found);
}

TEST_F(LintStories, JumpTargetsThatDoNotExist) {
  const auto found = Lint("targets.txt");
  EXPECT_EQ(Kinds(found),
            (Expected{"2:error", "3:error", "4:error", "5:error", "6:error", "7:error", "8:error"}))
      << Dump(found);
  // A label that differs only in letter case is named as the likely one.
  EXPECT_NE(found[1].message.find("did you mean \"@ending\""), std::string::npos);
  EXPECT_EQ(found[0].message.find("did you mean"), std::string::npos);
}

TEST_F(LintStories, GameLabels) {
  auto found = Lint("no_start.txt");
  EXPECT_EQ(Kinds(found), (Expected{"1:error"})) << Dump(found);
  EXPECT_NE(found[0].message.find("\"@Start\""), std::string::npos);

  found = Lint("no_gameover.txt");
  EXPECT_EQ(Kinds(found), (Expected{"1:error"})) << Dump(found);
  // A #stopTimer somewhere later may come too late: a warning only.
  found = Lint("no_gameover_stopped.txt");
  EXPECT_EQ(Kinds(found), (Expected{"1:warning"})) << Dump(found);
  // A first passage that stops the clock needs no "@gameover".
  EXPECT_TRUE(Check({"@start", "#finalize", "text", "// end"}).empty());
  // With "@start" on the first line and again later, the game starts at the
  // later one: the first line is where the cursor stands, never compared.
  EXPECT_EQ(Kinds(Check({"@start", "#finalize", "a", "", "@start", "b", "", "// end"})),
            (Expected{"5:warning", "5:info"}));

  found = Lint("no_sayend.txt");
  EXPECT_EQ(Kinds(found), (Expected{"4:error"})) << Dump(found);
}

TEST_F(LintStories, PassageAfterGameOverMustStopTheClock) {
  const auto found = Lint("gameover_loop.txt");
  EXPECT_EQ(Kinds(found), (Expected{"4:error"})) << Dump(found);
  // Followed through "#goto" up to the end of the first batch.
  EXPECT_TRUE(Check({"@start", "a", "", "@gameover", "#goto @out", "x", "", "@out", "late",
                     "#stopTimer", "", "// end"})
                  .empty());
  EXPECT_EQ(Kinds(Check({"@start", "a", "", "@gameover", "late", "#goto @out", "", "@out",
                         "#stopTimer", "// end"})),
            (Expected{"4:error"}));
  // Every way a #heatyJump can take must stop it.
  EXPECT_EQ(Kinds(Check({"@start", "a", "", "@gameover", "#heatyJump 10 @hot", "#finalize", "",
                         "@hot", "hot", "", "// end"})),
            (Expected{"4:error"}));
  // Each "@gameover" is checked: the jump takes the first one after the cursor.
  EXPECT_EQ(Kinds(Check({"@start", "a", "", "@gameover", "#finalize", "", "@gameover", "late", "",
                         "// end"})),
            (Expected{"7:error", "7:info"}));
  // When the first passage stops the clock, time never runs out.
  EXPECT_TRUE(Check({"@start", "#stopTimer", "a", "", "@gameover", "late", "", "// end"}).empty());
  // Ten lines complete a batch before a command after them runs.
  std::vector<std::string> lines{"@start", "a", "", "@gameover"};
  for (int i = 0; i < 10; ++i) lines.push_back("line");
  lines.push_back("#stopTimer");
  lines.push_back("// end");
  EXPECT_EQ(Kinds(Check(lines)), (Expected{"4:error"}));
  lines.erase(lines.begin() + 4);
  EXPECT_TRUE(Check(lines).empty());
}

TEST_F(LintStories, LastLineIsNeverRun) {
  auto found = Lint("last_line.txt");
  EXPECT_EQ(Kinds(found), (Expected{"4:warning"})) << Dump(found);
  EXPECT_EQ(Kinds(Check({"@start", "#stopTimer", "a", "#heatSpark"})), (Expected{"4:warning"}));
  EXPECT_TRUE(Check({"@start", "#stopTimer", "a", "  // comment"}).empty());
  EXPECT_TRUE(Check({"@start", "#stopTimer", "a", ""}).empty());
  // A command on the last line is not checked as a command: it never runs.
  EXPECT_EQ(Kinds(Check({"@start", "#stopTimer", "a", "#goto @nowhere"})), (Expected{"4:warning"}));
}

TEST_F(LintStories, TableLimits) {
  auto found = Lint("buttons.txt");
  EXPECT_EQ(Kinds(found), (Expected{"14:error"})) << Dump(found);
  // An empty line after text ends the passage and its buttons; one before
  // any text of the batch is passed over and does not.
  const std::string button = "#button b 20 0 0 THROUGH";
  std::vector<std::string> split{"@start", "#stopTimer", "a"};
  split.insert(split.end(), 6, button);
  split.push_back("");
  split.insert(split.end(), 6, button);
  split.insert(split.end(), {"b", "// end"});
  EXPECT_TRUE(Check(split).empty()) << Dump(Check(split));
  std::vector<std::string> merged{"@start", "#stopTimer"};
  merged.insert(merged.end(), 6, button);
  merged.push_back("");
  merged.insert(merged.end(), 6, button);
  merged.insert(merged.end(), {"b", "// end"});
  EXPECT_EQ(Kinds(Check(merged)), (Expected{"14:error"})) << Dump(Check(merged));

  found = Lint("imagesub.txt");
  EXPECT_EQ(Kinds(found), (Expected{"14:error"})) << Dump(found);
  found = Lint("vanish.txt");
  EXPECT_EQ(Kinds(found), (Expected{"13:error"})) << Dump(found);
}

TEST_F(LintStories, ScriptLengthLimit) {
  std::vector<std::string> lines{"@start", "#stopTimer"};
  lines.resize(9999, "text");
  lines.back() = "// end";
  EXPECT_TRUE(Check(lines).empty());
  lines.back() = "text";
  lines.push_back("// end");
  EXPECT_EQ(Kinds(Check(lines)), (Expected{"10000:error"}));
}

TEST_F(LintStories, NumberArguments) {
  const auto found = Lint("numbers.txt");
  EXPECT_EQ(Kinds(found),
            (Expected{"3:error", "4:error", "5:error", "6:error", "7:error", "8:error", "9:error",
                      "10:error", "11:error", "12:warning", "13:warning"}))
      << Dump(found);
  // Equal thresholds shadow as well; descending ones are fine.
  EXPECT_EQ(Kinds(Check({"@start", "#stopTimer", "#heatyJump 5 @start 5 @start", "a", "// e"})),
            (Expected{"3:warning"}));
  EXPECT_TRUE(
      Check({"@start", "#stopTimer", "#heatyJump 9 @start -1 @start", "a", "// e"}).empty());
}

TEST_F(LintStories, DataFiles) {
  const auto found = Lint("files.txt");
  EXPECT_EQ(Kinds(found),
            (Expected{"3:error", "4:warning", "5:error", "6:error", "7:warning", "8:error"}))
      << Dump(found);
  // The warning names the spelling on disk.
  EXPECT_NE(found[1].message.find("\"bg.bmp\""), std::string::npos);
  // Names are looked up below the data folder only, separators doubled or not.
  EXPECT_TRUE(Check({"@start", "#stopTimer", "#image \\bg.bmp", "a", "// e"}).empty());
  const std::string outside = (fs::path(MARIGOLD_SOURCE_DIR) / "CMakeLists.txt").string();
  EXPECT_EQ(Kinds(Check({"@start", "#stopTimer", "#wave " + outside, "a", "// e"})),
            (Expected{"3:error"}));
  // "#midi" and friends without a file only stop their player.
  EXPECT_TRUE(
      Check({"@start", "#stopTimer", "#midi", "#wave", "#waveByLoop", "a", "// e"}).empty());
  EXPECT_EQ(Kinds(Check({"@start", "#stopTimer", "#image", "a", "// e"})), (Expected{"3:error"}));
}

TEST_F(LintStories, LinesTheGameShowsAsText) {
  const auto found = Lint("unknown.txt");
  EXPECT_EQ(Kinds(found), (Expected{"3:warning"})) << Dump(found);
  // Blanks before a comment leave a text line, not a passage break.
  EXPECT_EQ(Kinds(Check({"@start", "#stopTimer", "a", " \t // looks empty", "b", "// end"})),
            (Expected{"4:warning"}));
}

TEST_F(LintStories, Encoding) {
  auto found = Lint("encoding.txt");
  EXPECT_EQ(Kinds(found), (Expected{"3:error"})) << Dump(found);

  WriteFile(folder_ / "bad_utf8.txt", "@start\n#stopTimer\nok\nbad \xFF\xFE here\n// end\n");
  found = Lint("bad_utf8.txt");
  EXPECT_EQ(Kinds(found), (Expected{"4:error"})) << Dump(found);

  // A scrambled story with a byte that is no CP932 character.
  std::string dat;
  for (const char* line : {"@start", "#stopTimer", "\x82\xa0 ok", "bad \xFF", "// end"}) {
    dat += ScrambleLine(line) + "\r\n";
  }
  WriteFile(folder_ / "bad.dat", dat);
  found = lint::LintFile(folder_ / "bad.dat", false);
  EXPECT_EQ(Kinds(found), (Expected{"4:error"})) << Dump(found);
}

TEST_F(LintStories, LinesWiderThanThePicture) {
  const auto found = Lint("width.txt");
  // Line 4 at the default size from x 0; line 6 at the size a later #font
  // of its passage sets; line 10 from the marker of right.bmp at x 300.
  EXPECT_EQ(Kinds(found), (Expected{"4:warning", "6:warning", "10:warning"})) << Dump(found);
  // Ten lines of 30 pixels from the marker row 300 of bg.bmp: the third
  // line reaches y 300 + 2 * 35 + 32 = 402.
  std::vector<std::string> tall{"@start", "#stopTimer", "#image bg.bmp", "#font 30"};
  tall.insert(tall.end(), 10, "x");
  tall.push_back("// end");
  EXPECT_EQ(Kinds(Check(tall)), (Expected{"7:warning", "8:warning", "9:warning", "10:warning",
                                          "11:warning", "12:warning", "13:warning", "14:warning"}))
      << Dump(Check(tall));
}

TEST_F(LintStories, CharactersTheFontCannotDraw) {
  lint::Options options;
  options.hasGlyph = [](char32_t c) { return c != U'灯'; };
  const auto found = Lint("clean.txt", options);
  EXPECT_EQ(Kinds(found), (Expected{"8:warning", "13:warning", "25:warning"})) << Dump(found);
  EXPECT_NE(found[0].message.find("\"灯\""), std::string::npos);

  // The story font itself has every character of the clean story, and no
  // glyph for the first user-defined character of CP932 (F040, U+E000).
  const lint::Options machine = lint::MachineOptions();
  EXPECT_TRUE(Lint("clean.txt", machine).empty());
  EXPECT_EQ(
      Kinds(lint::CheckStory({"@start", "#stopTimer", "a \xF0\x40 b", "// e"}, folder_, machine)),
      (Expected{"3:warning"}));
}

TEST_F(LintStories, CommandLine) {
  std::ostringstream out;
  const std::string story = (folder_ / "targets.txt").string();
  EXPECT_EQ(lint::RunLint(story, true, out), 1);
  std::istringstream lines(out.str());
  std::string first;
  std::getline(lines, first);
  EXPECT_EQ(first, story + ":2: error: #goto target: no label \"@nowhere\" in the script");

  out.str("");
  EXPECT_EQ(lint::RunLint((folder_ / "no_gameover_stopped.txt").string(), true, out), 0);
  EXPECT_NE(out.str().find(":1: warning: "), std::string::npos);
  out.str("");
  EXPECT_EQ(lint::RunLint((folder_ / "clean.txt").string(), true, out), 0);
  EXPECT_EQ(out.str(), "");

  // Plain text checked as a scrambled story gets a hint.
  out.str("");
  EXPECT_EQ(lint::RunLint((folder_ / "clean.txt").string(), false, out), 1);
  EXPECT_NE(out.str().find(":1: info: the file holds \"@start\" unscrambled"), std::string::npos)
      << out.str();

  // A story that cannot be read names itself and why.
  const std::string missing = (folder_ / "missing.txt").string();
  try {
    lint::RunLint(missing, true, out);
    ADD_FAILURE() << "a missing story was linted";
  } catch (const cli::PathError& error) {
    EXPECT_EQ(error.path(), missing);
    EXPECT_STREQ(error.what(), "No such file or directory");
  }
}

// The bundled demo, as packed into the generated data folder, is clean.
TEST(LintDemo, DemoStoryIsClean) {
  const fs::path dat = fs::path(MARIGOLD_BINARY_DIR) / "demo/dat";
  ASSERT_TRUE(fs::exists(dat / "story.dat")) << "build the demo_data target first";
  auto found = lint::LintFile(dat / "story.dat", false, lint::MachineOptions());
  EXPECT_TRUE(found.empty()) << Dump(found);
  // The source text against the same data folder gives the same result.
  std::vector<Diagnostic> problems;
  const auto lines =
      lint::ReadStoryLines(fs::path(MARIGOLD_SOURCE_DIR) / "demo/story.txt", true, problems);
  EXPECT_TRUE(problems.empty()) << Dump(problems);
  found = lint::CheckStory(lines, dat, lint::MachineOptions());
  EXPECT_TRUE(found.empty()) << Dump(found);
}

}  // namespace
