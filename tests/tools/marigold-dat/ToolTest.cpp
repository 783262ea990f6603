// Runs the built marigold-dat the way an author does.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int status;
  std::string out;
};

ToolRun RunTool(const std::string& arguments) {
  const std::string command =
      std::string("'") + MARIGOLD_DAT_TOOL + "' " + arguments + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return {-1, ""};
  std::string out;
  std::array<char, 4096> buffer;
  std::size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

using testsupport::ReadAll;

class ToolTest : public ::testing::Test {
 protected:
  fs::path Write(const std::string& name, const std::string& bytes) {
    dir_.Write(name, bytes);
    return dir_ / name;
  }
  testsupport::ScratchFolder dir_;
};

TEST_F(ToolTest, PackThenTraceTheExample) {
  const fs::path in = Write(
      "story.txt", "@start\n#midi theme.mid\nFirst line\nSecond line\n\nThird line\n#end\n\n");
  const fs::path dat = dir_ / "story.dat";
  ASSERT_EQ(RunTool("pack '" + in.string() + "' '" + dat.string() + "'").status, 0);
  const ToolRun trace = RunTool("trace '" + dat.string() + "'");
  EXPECT_EQ(trace.status, 0);
  EXPECT_EQ(trace.out,
            "{\"delivery\":1,\"commands\":[[\"#midi\",\"theme.mid\"]],\"batch\":[\"First line\","
            "\"Second line\"],\"ended\":false}\n"
            "{\"delivery\":2,\"commands\":[],\"batch\":[\"Third line\",\"\"],\"ended\":true}\n");

  const fs::path back = dir_ / "back.txt";
  ASSERT_EQ(RunTool("unpack '" + dat.string() + "' '" + back.string() + "'").status, 0);
  EXPECT_EQ(ReadAll(back), ReadAll(in));
}

TEST_F(ToolTest, UnencodableTextWritesNothing) {
  const fs::path in = Write("bad.txt", "fine\ncafé\n");
  const fs::path out = Write("old.dat", "previous");
  EXPECT_EQ(RunTool("pack '" + in.string() + "' '" + out.string() + "'").status, 1);
  EXPECT_EQ(ReadAll(out), "previous");
  EXPECT_EQ(RunTool("pack '" + in.string() + "' '" + (dir_ / "new.dat").string() + "'").status, 1);
  EXPECT_FALSE(fs::exists(dir_ / "new.dat"));
}

TEST_F(ToolTest, ExitStatuses) {
  EXPECT_EQ(RunTool("trace '" + (dir_ / "missing.dat").string() + "'").status, 1);
  EXPECT_EQ(RunTool("").status, 2);
  EXPECT_EQ(RunTool("trace").status, 2);
  EXPECT_EQ(RunTool("trace x --max many").status, 2);
  EXPECT_EQ(RunTool("pack onlyone").status, 2);
  EXPECT_EQ(RunTool("frobnicate").status, 2);
  for (const char* help : {"--help", "pack --help", "unpack --help", "trace --help"}) {
    const ToolRun run = RunTool(help);
    EXPECT_EQ(run.status, 0) << help;
    EXPECT_NE(run.out.find("usage"), std::string::npos) << help;
  }
}

TEST_F(ToolTest, StandardStreamsAndMaxDeliveries) {
  const fs::path in = Write("s.txt", "a\n\nb\n\nc\n\nd\n");
  const ToolRun packed = RunTool("pack - - < '" + in.string() + "'");
  ASSERT_EQ(packed.status, 0);
  const fs::path dat = Write("s.dat", packed.out);
  const ToolRun trace = RunTool("trace '" + dat.string() + "' --max 2");
  EXPECT_EQ(trace.status, 0);
  EXPECT_EQ(trace.out,
            "{\"delivery\":1,\"commands\":[],\"batch\":[\"a\"],\"ended\":false}\n"
            "{\"delivery\":2,\"commands\":[],\"batch\":[\"b\"],\"ended\":false}\n");
  const ToolRun plain = RunTool("trace --plain '" + in.string() + "' --max 1");
  EXPECT_EQ(plain.out, "{\"delivery\":1,\"commands\":[],\"batch\":[\"a\"],\"ended\":false}\n");
  // A label the story lacks is refused before anything is traced.
  const ToolRun unknown = RunTool("trace --plain '" + in.string() + "' --label @none --max 1");
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.out, "");
}

}  // namespace
