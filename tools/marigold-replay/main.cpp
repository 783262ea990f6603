// marigold-replay: runs the real game (application, main form, loop) on the
// headless machine with a virtual clock, feeds it scripted mouse input and
// prints what it delivered, played and showed, one JSON object a line.
#include <unistd.h>  // access

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/UnitForm.h"
#include "game/UnitCommon.h"
#include "platform/Console.h"
#include "platform/Encoding.h"
#include "platform/Files.h"
#include "platform/TextRaster.h"
#include "platform/headless/HeadlessPlatform.h"
#include "tools/imagewrite/ImageWrite.h"
#include "tools/story/Json.h"

namespace {

// GameTick is due once more than 50 ms have passed, so on the virtual clock
// tick k runs at start + 51 k.
constexpr std::int64_t kTickMs = 51;

// The command line.
cli::Command ReplayCommand() {
  return {"marigold-replay",
          "usage: marigold-replay --data DIR [--seed N] [--ticks N] [--input FILE]\n"
          "                       [--frames OUTDIR --at T1,T2,...] [--report-memory]\n",
          "\n"
          "Runs the game headless from the folder DIR (which holds dat/) on a virtual\n"
          "clock: the game tick runs exactly once every 51 simulated ms.\n"
          "\n"
          "  --data DIR     working folder holding dat (required)\n"
          "  --seed N       seed of the game's random generator (default 1)\n"
          "  --ticks N      number of game ticks to run (default 100); the run ends\n"
          "                 earlier when the game terminates\n"
          "  --input FILE   scripted input, one event a line:\n"
          "                   TICK down X Y | TICK up X Y | TICK move X Y | TICK close\n"
          "                 (left button; '#' starts a comment). Ticks count from 1:\n"
          "                 tick 1 is the first game tick. An event for tick T is\n"
          "                 dispatched in the loop pass in which tick T runs, before\n"
          "                 the tick; tick 0 means the first pass, before any tick.\n"
          "  --frames DIR   write the composed frame after each tick listed by --at\n"
          "                 as DIR/frame-TICK.png\n"
          "  --at T1,T2,... the ticks whose frames to write; a warning names those the\n"
          "                 run never reached\n"
          "  --report-memory  print the resident memory at the start and the end of\n"
          "                 the run to standard error: {\"tick\":T,\"rss_kb\":N}\n"
          "  --help         this text\n"
          "  --version      the version\n"
          "\n"
          "Output (standard output, UTF-8), one object a line, in order, each with\n"
          "the tick it happened in (0: start-up):\n"
          "  {\"tick\":T,\"passage\":[\"line\",...]}          a passage handed to the story\n"
          "  {\"tick\":T,\"music\":\"play\",\"file\":F,\"loop\":0|1}  also \"stop\", \"device\", "
          "\"free\"\n"
          "  {\"tick\":T,\"sound\":\"play\",\"file\":F,\"loop\":0|1}  also \"stop\"\n"
          "  {\"tick\":T,\"beep\":true}\n"
          "  {\"tick\":T,\"error_box\":{\"title\":S,\"text\":S}}   with \"where\":\"FILE:LINE\"\n"
          "                                          for an error of a story line\n"
          "  {\"tick\":T,\"end\":\"script\"|\"close\"|\"ticks\"|\"startup-error\"}\n"
          "\n"
          "Exit status: 0 at the end of the run, 1 on a start-up error or a file that\n"
          "cannot be used, 2 on bad usage.\n",
          {"--report-memory"},
          {"--data", "--seed", "--ticks", "--input", "--frames", "--at"},
          0,
          0};
}

using storyjson::Cp932;

std::string Json(const std::string& utf8) {
  return storyjson::String(utf8);
}

// Resident memory of this process in KiB (VmRSS), -1 when unknown.
long long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atoll(line.c_str() + 6);
  }
  return -1;
}

struct Scheduled {
  std::int64_t tick;
  platform::Event event;
};

// A mistake in the input file, named by its line.
[[noreturn]] void BadInput(const std::string& where, const std::string& why) {
  throw cli::PathError(where, why);
}

std::int64_t Tick(const std::string& word, const std::string& where) {
  if (word.empty() || word.size() > 12 ||
      word.find_first_not_of("0123456789") != std::string::npos) {
    BadInput(where, "bad tick '" + word + "'");
  }
  return std::stoll(word);
}

std::vector<Scheduled> ReadInput(const std::string& path) {
  std::istringstream in(cli::ReadFile(platform::NativePath(path)));
  std::vector<Scheduled> events;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::string tick, kind;
    if (!(words >> tick)) continue;
    const std::string where = path + ":" + std::to_string(number);
    if (!(words >> kind)) BadInput(where, "missing event");
    Scheduled s{Tick(tick, where), {}};
    using Kind = platform::Event::Kind;
    if (kind == "close") {
      s.event.kind = Kind::Close;
    } else if (kind == "down" || kind == "up" || kind == "move") {
      long long x = 0, y = 0;
      if (!(words >> x >> y)) BadInput(where, "'" + kind + "' needs X Y");
      s.event.kind = kind == "down" ? Kind::MouseDown
                     : kind == "up" ? Kind::MouseUp
                                    : Kind::MouseMove;
      s.event.button = platform::MouseButton::Left;
      s.event.x = static_cast<int>(x);
      s.event.y = static_cast<int>(y);
    } else {
      BadInput(where, "unknown event '" + kind + "'");
    }
    std::string rest;
    if (words >> rest) BadInput(where, "unexpected '" + rest + "'");
    events.push_back(s);
  }
  return events;
}

// Makes the frames folder if needed and checks that it takes files.
void PrepareFrames(const std::string& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) throw cli::PathError(folder, ec.message());
  cli::RequireFolder(platform::NativePath(folder));
#ifndef _WIN32
  // Windows rights are not the C library's to tell: a frame that cannot be
  // written is reported when it is written.
  if (access(folder.c_str(), W_OK) != 0) throw cli::PathError(folder, cli::Reason(errno));
#endif
}

int Replay(const cli::Parsed& parsed) {
  const cli::Command command = ReplayCommand();
  const std::optional<std::string> dataOption = parsed.Value("--data");
  if (!dataOption) throw cli::UsageError("missing --data DIR", command.usage);
  const std::string data = *dataOption;
  const std::string input = parsed.Value("--input").value_or("");
  std::string frames = parsed.Value("--frames").value_or("");
  const std::uint32_t seed = static_cast<std::uint32_t>(
      cli::Count(command, "--seed", parsed.Value("--seed").value_or("1"), 0xFFFFFFFFLL));
  const std::int64_t ticks =
      cli::Count(command, "--ticks", parsed.Value("--ticks").value_or("100"), 10000000);
  const bool reportMemory = parsed.Has("--report-memory");
  std::set<std::int64_t> at;
  if (auto list = parsed.Value("--at")) {
    std::stringstream items(*list);
    std::string item;
    while (std::getline(items, item, ',')) at.insert(cli::Count(command, "--at", item));
    if (at.empty()) throw cli::UsageError("bad value '' for --at", command.usage);
  }
  if (!at.empty() && frames.empty()) throw cli::UsageError("--at needs --frames", command.usage);
  if (at.empty() && !frames.empty()) throw cli::UsageError("--frames needs --at", command.usage);

  cli::RequireFolder(platform::NativePath(data));
  std::vector<Scheduled> events;
  if (!input.empty()) events = ReadInput(input);
  if (!frames.empty()) {
    frames = platform::Utf8Path(std::filesystem::absolute(platform::NativePath(frames)));
    PrepareFrames(frames);
  }

  platform::HeadlessPlatform machine;
  machine.SetDataFolder(data);
  const std::int64_t start = machine.Now();
  auto tickNow = [&] { return (machine.Now() - start) / kTickMs; };

  std::string musicFile;
  std::set<std::int64_t> written;
  std::string writeError;
  machine.KeepRecords(false);  // streamed as they happen; a long run stays flat
  machine.onRecord = [&](const platform::HeadlessPlatform::Record& r) {
    using Kind = platform::HeadlessPlatform::Record::Kind;
    const std::string head = "{\"tick\":" + std::to_string(tickNow()) + ",";
    switch (r.kind) {
      case Kind::Present: {
        const std::int64_t t = tickNow();
        if (!at.count(t)) return;
        const std::string path = frames + "/frame-" + std::to_string(t) + ".png";
        try {
          imagewrite::WritePng(path, machine.LastFrame().data(), machine.LastFrameWidth(),
                               machine.LastFrameHeight(), machine.LastFrameWidth() * 3);
          written.insert(t);
        } catch (const std::exception& e) {
          // Not the game's error: reported once the run is over.
          if (writeError.empty()) writeError = e.what();
        }
        return;
      }
      case Kind::Beep:
        std::cout << head << "\"beep\":true}\n";
        return;
      case Kind::ErrorBox:
        std::cout << head << "\"error_box\":{\"title\":" << Json(r.title)
                  << ",\"text\":" << Json(r.text);
        if (!r.where.empty()) std::cout << ",\"where\":" << Json(r.where);
        std::cout << "}}\n";
        return;
      case Kind::Music:
        if (r.call.what == "LoadFile") {
          musicFile = r.call.file;
        } else if (r.call.what == "Play") {
          std::cout << head << "\"music\":\"play\",\"file\":" << Cp932(musicFile)
                    << ",\"loop\":" << (r.call.a == 7 ? 1 : 0) << "}\n";
        } else if (r.call.what == "Stop") {
          std::cout << head << "\"music\":\"stop\"}\n";
        } else if (r.call.what == "SetDevice") {
          std::cout << head << "\"music\":\"device\",\"device\":" << r.call.a << "}\n";
        } else if (r.call.what == "Free") {
          std::cout << head << "\"music\":\"free\"}\n";
        }
        return;
      case Kind::Sound:
        if (r.call.what == "PlaySound") {
          std::cout << head << "\"sound\":\"play\",\"file\":" << Cp932(r.call.file)
                    << ",\"loop\":" << r.call.a << "}\n";
        } else {
          std::cout << head << "\"sound\":\"stop\"}\n";
        }
        return;
    }
  };

  for (const Scheduled& s : events) {
    if (s.tick > ticks) continue;
    machine.Schedule(start + s.tick * kTickMs, s.event);
  }
  // After the input of the last tick, the quit: that pass still runs its
  // tick, then the loop and the application end.
  platform::Event quit;
  quit.kind = platform::Event::Kind::Quit;
  machine.Schedule(start + ticks * kTickMs, quit);

  auto memory = [&] {
    if (reportMemory) {
      std::cerr << "{\"tick\":" << tickNow() << ",\"rss_kb\":" << ResidentKb() << "}\n";
    }
  };
  TRunHooks hooks;
  hooks.Started = [&] {
    memory();
    if (!Game.StoryScript) return;
    auto deliver = Game.StoryScript->BatchHandler;
    Game.StoryScript->BatchHandler = [&, deliver](const TWordList& lines) {
      std::cout << "{\"tick\":" << tickNow() << ",\"passage\":[";
      for (std::size_t i = 0; i < lines.size(); ++i) {
        std::cout << (i ? "," : "") << Cp932(lines[i]);
      }
      std::cout << "]}\n";
      if (deliver) deliver(lines);
    };
  };
  hooks.Finished = [&] {
    std::string reason = "ticks";
    if (Game.StoryScript && Game.StoryScript->Ended) {
      reason = "script";
    } else {
      for (const Scheduled& s : events) {
        if (s.event.kind == platform::Event::Kind::Close && s.tick <= tickNow()) reason = "close";
      }
    }
    std::cout << "{\"tick\":" << tickNow() << ",\"end\":\"" << reason << "\"}\n";
    memory();
    // The shutdown's own calls are not part of the run.
    machine.onRecord = nullptr;
  };
  hooks.Failed = [&] {
    machine.onRecord = nullptr;
    std::cout << "{\"tick\":" << tickNow() << ",\"end\":\"startup-error\"}\n";
  };
  const int status = RunMarigold(machine, seed, hooks);
  std::cout.flush();
  if (!writeError.empty()) throw std::runtime_error(writeError);
  std::string missed;
  for (const std::int64_t t : at) {
    if (!written.count(t)) missed += (missed.empty() ? "" : ",") + std::to_string(t);
  }
  if (!missed.empty()) {
    std::cerr << "marigold-replay: warning: no frame written for tick " << missed
              << ": the run ended at tick " << tickNow() << "\n";
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  // The same font file on every system, so frames can be compared.
  platform::UseShippedFont();
  return cli::Main(ReplayCommand(), argc, argv, Replay);
}
