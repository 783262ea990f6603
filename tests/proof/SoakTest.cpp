// Long play of the real game on the demo data under the headless replay
// tool, with random input from a fixed seed: clicks, holds and moves
// anywhere in (and a little outside) the window.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <regex>
#include <sstream>
#include <string>

#include "app/StoryText.h"
#include "tests/proof/ProofSupport.h"

namespace {

const std::filesystem::path kDemo = std::filesystem::path(MARIGOLD_BINARY_DIR) / "demo";

// Input for `ticks` game ticks: each tick has a chance of a move, a click
// or the start of a hold released up to two seconds later.
std::string RandomInput(std::uint32_t seed, std::int64_t ticks) {
  std::mt19937 rng(seed);
  auto below = [&](std::uint32_t n) { return static_cast<std::int64_t>(rng() % n); };
  std::ostringstream out;
  std::int64_t releaseAt = -1;
  for (std::int64_t t = 1; t <= ticks; ++t) {
    const std::int64_t x = below(640) - 20;
    const std::int64_t y = below(440) - 20;
    if (t == releaseAt) {
      out << t << " up " << x << " " << y << "\n";
      releaseAt = -1;
      continue;
    }
    const std::int64_t roll = below(100);
    if (releaseAt >= 0) {
      if (roll < 30) out << t << " move " << x << " " << y << "\n";
    } else if (roll < 10) {
      out << t << " down " << x << " " << y << "\n" << t << " up " << x << " " << y << "\n";
    } else if (roll < 14) {
      out << t << " down " << x << " " << y << "\n";
      releaseAt = t + 1 + below(40);
    } else if (roll < 40) {
      out << t << " move " << x << " " << y << "\n";
    }
  }
  return out.str();
}

// The demo story made endless: every ending returns to the start, so the
// game keeps playing (the running-out clock ends in @gameover, which stops
// the clock and starts again).
std::string EndlessStory() {
  std::string text = proof::ReadAll(std::filesystem::path(MARIGOLD_SOURCE_DIR) / "demo/story.txt");
  text = std::regex_replace(text, std::regex("^#end\\b", std::regex::multiline), "#goto @start");
  return storytext::PackText(text);
}

struct RunResult {
  int status = 0;
  std::string out;
  std::string err;
};

RunResult Replay(const std::filesystem::path& data, std::uint32_t seed, std::int64_t ticks,
                 const testsupport::ScratchFolder& work) {
  const auto input = work.path() / "input.txt";
  proof::WriteAll(input, RandomInput(seed, ticks));
  RunResult r;
  const auto out = work.path() / "out.txt";
  const auto err = work.path() / "err.txt";
  r.status = proof::Run(std::string(MARIGOLD_REPLAY_TOOL) + " --data '" + data.string() +
                        "' --seed " + std::to_string(seed) + " --ticks " + std::to_string(ticks) +
                        " --input '" + input.string() + "' --report-memory >'" + out.string() +
                        "' 2>'" + err.string() + "'");
  r.out = proof::ReadAll(out);
  r.err = proof::ReadAll(err);
  return r;
}

std::int64_t Ticks() {
  const char* env = std::getenv("MARIGOLD_SOAK_TICKS");
  return env ? std::atoll(env) : 3000;
}

TEST(Soak, DemoPlaysToItsEndWithoutErrors) {
  testsupport::ScratchFolder work;
  for (std::uint32_t seed : {1u, 7u, 42u}) {
    const RunResult r = Replay(kDemo, seed, 3000, work);
    EXPECT_EQ(r.status, 0) << "seed " << seed << "\n" << r.err;
    EXPECT_EQ(r.out.find("\"error_box\""), std::string::npos) << "seed " << seed << "\n" << r.out;
    EXPECT_NE(r.out.find("\"end\":"), std::string::npos) << "seed " << seed;
  }
}

TEST(Soak, EndlessStoryRunsAllTicksWithoutErrors) {
  testsupport::ScratchFolder work;
  const auto data = work.path() / "data";
  std::filesystem::create_directories(data);
  std::filesystem::copy(kDemo / "dat", data / "dat");
  proof::WriteAll(data / "dat" / "story.dat", EndlessStory());

  const std::int64_t ticks = Ticks();
  const RunResult r = Replay(data, 3, ticks, work);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.find("\"error_box\""), std::string::npos) << r.out.substr(0, 4000);
  // The run lasted all its ticks and went through the story many times.
  EXPECT_NE(r.out.find("{\"tick\":" + std::to_string(ticks) + ",\"end\":\"ticks\"}"),
            std::string::npos)
      << r.out.substr(r.out.size() > 2000 ? r.out.size() - 2000 : 0);
  std::size_t starts = 0;
  for (std::size_t at = 0; (at = r.out.find("夕暮れ、あなたは", at)) != std::string::npos; ++at)
    ++starts;
  EXPECT_GE(starts, 2u);
  // Memory figures at the start and the end.
  const std::regex memory("\\{\"tick\":(\\d+),\"rss_kb\":(\\d+)\\}");
  const auto lines = std::distance(std::sregex_iterator(r.err.begin(), r.err.end(), memory),
                                   std::sregex_iterator());
  EXPECT_EQ(lines, 2) << r.err;
  std::cout << r.err;
}

}  // namespace
