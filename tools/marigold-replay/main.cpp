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

// What the command line asks of one run.
struct ReplayOptions {
  std::string data;               // the game folder, holding dat/
  std::vector<Scheduled> events;  // the scripted input
  std::string frames;             // absolute folder the frames go to; "" for none
  std::set<std::int64_t> at;      // the ticks whose frames are written
  std::uint32_t seed = 1;         // the game's random seed
  std::int64_t ticks = 100;       // game ticks to run
  bool reportMemory = false;      // resident memory at the start and the end, on stderr
};

// The command line read and checked, the input file read and the frames
// folder made; throws cli::UsageError or cli::PathError.
ReplayOptions ReadOptions(const cli::Parsed& parsed) {
  const cli::Command command = ReplayCommand();
  const std::optional<std::string> data = parsed.Value("--data");
  if (!data) throw cli::UsageError("missing --data DIR", command.usage);
  ReplayOptions options;
  options.data = *data;
  const std::string input = parsed.Value("--input").value_or("");
  options.frames = parsed.Value("--frames").value_or("");
  options.seed = static_cast<std::uint32_t>(
      cli::Count(command, "--seed", parsed.Value("--seed").value_or("1"), 0xFFFFFFFFLL));
  options.ticks = cli::Count(command, "--ticks", parsed.Value("--ticks").value_or("100"), 10000000);
  options.reportMemory = parsed.Has("--report-memory");
  if (auto list = parsed.Value("--at")) {
    std::stringstream items(*list);
    std::string item;
    while (std::getline(items, item, ',')) options.at.insert(cli::Count(command, "--at", item));
    if (options.at.empty()) throw cli::UsageError("bad value '' for --at", command.usage);
  }
  if (!options.at.empty() && options.frames.empty()) {
    throw cli::UsageError("--at needs --frames", command.usage);
  }
  if (options.at.empty() && !options.frames.empty()) {
    throw cli::UsageError("--frames needs --at", command.usage);
  }

  cli::RequireFolder(platform::NativePath(options.data));
  if (!input.empty()) options.events = ReadInput(input);
  if (!options.frames.empty()) {
    options.frames =
        platform::Utf8Path(std::filesystem::absolute(platform::NativePath(options.frames)));
    PrepareFrames(options.frames);
  }
  return options;
}

// One run of the game on the headless machine, printing what it does as it
// happens.
class ReplayRun {
 public:
  explicit ReplayRun(const ReplayOptions& options) : options_(options) {
    machine_.SetDataFolder(options.data);
    start_ = machine_.Now();
    machine_.KeepRecords(false);  // streamed as they happen; a long run stays flat
    machine_.onRecord = [this](const Record& record) { Print(record); };
  }

  // Runs the game to its end; its exit status. Throws when a frame could
  // not be written.
  int Run() {
    ScheduleInput();
    const int status = RunMarigold(machine_, options_.seed, Hooks());
    std::cout.flush();
    if (!writeError_.empty()) throw std::runtime_error(writeError_);
    WarnOfMissedFrames();
    return status;
  }

 private:
  using Record = platform::HeadlessPlatform::Record;

  // The game tick the virtual clock stands in.
  std::int64_t TickNow() { return (machine_.Now() - start_) / kTickMs; }

  // The start of every output line.
  std::string Head() { return "{\"tick\":" + std::to_string(TickNow()) + ","; }

  // The input at its ticks, and after the input of the last tick the quit:
  // that pass still runs its tick, then the loop and the application end.
  void ScheduleInput() {
    for (const Scheduled& s : options_.events) {
      if (s.tick > options_.ticks) continue;
      machine_.Schedule(start_ + s.tick * kTickMs, s.event);
    }
    platform::Event quit;
    quit.kind = platform::Event::Kind::Quit;
    machine_.Schedule(start_ + options_.ticks * kTickMs, quit);
  }

  // One thing the machine was asked to do, as its output line.
  void Print(const Record& r) {
    switch (r.kind) {
      case Record::Kind::Present:
        WriteFrame();
        return;
      case Record::Kind::Beep:
        std::cout << Head() << "\"beep\":true}\n";
        return;
      case Record::Kind::ErrorBox:
        std::cout << Head() << "\"error_box\":{\"title\":" << Json(r.title)
                  << ",\"text\":" << Json(r.text);
        if (!r.where.empty()) std::cout << ",\"where\":" << Json(r.where);
        std::cout << "}}\n";
        return;
      case Record::Kind::Music:
        PrintMusic(r.call);
        return;
      case Record::Kind::Sound:
        if (r.call.what == "PlaySound") {
          std::cout << Head() << "\"sound\":\"play\",\"file\":" << Cp932(r.call.file)
                    << ",\"loop\":" << r.call.a << "}\n";
        } else {
          std::cout << Head() << "\"sound\":\"stop\"}\n";
        }
        return;
    }
  }

  void PrintMusic(const platform::AudioCall& call) {
    if (call.what == "LoadFile") {
      musicFile_ = call.file;
    } else if (call.what == "Play") {
      std::cout << Head() << "\"music\":\"play\",\"file\":" << Cp932(musicFile_)
                << ",\"loop\":" << (call.a == 7 ? 1 : 0) << "}\n";
    } else if (call.what == "Stop") {
      std::cout << Head() << "\"music\":\"stop\"}\n";
    } else if (call.what == "SetDevice") {
      std::cout << Head() << "\"music\":\"device\",\"device\":" << call.a << "}\n";
    } else if (call.what == "Free") {
      std::cout << Head() << "\"music\":\"free\"}\n";
    }
  }

  // The frame just presented, when its tick is asked for.
  void WriteFrame() {
    const std::int64_t t = TickNow();
    if (!options_.at.count(t)) return;
    const std::string path = options_.frames + "/frame-" + std::to_string(t) + ".png";
    try {
      imagewrite::WritePng(path, machine_.LastFrame().data(), machine_.LastFrameWidth(),
                           machine_.LastFrameHeight(), machine_.LastFrameWidth() * 3);
      written_.insert(t);
    } catch (const std::exception& e) {
      // Not the game's error: reported once the run is over.
      if (writeError_.empty()) writeError_ = e.what();
    }
  }

  void ReportMemory() {
    if (options_.reportMemory) {
      std::cerr << "{\"tick\":" << TickNow() << ",\"rss_kb\":" << ResidentKb() << "}\n";
    }
  }

  // Each passage the story hands to the game, printed before the game takes it.
  void PrintPassages() {
    auto deliver = Game.StoryScript->BatchHandler;
    Game.StoryScript->BatchHandler = [this, deliver](const TWordList& lines) {
      std::cout << "{\"tick\":" << TickNow() << ",\"passage\":[";
      for (std::size_t i = 0; i < lines.size(); ++i) {
        std::cout << (i ? "," : "") << Cp932(lines[i]);
      }
      std::cout << "]}\n";
      if (deliver) deliver(lines);
    };
  }

  // Why the run ended: the script, a scripted close, or the ticks.
  std::string EndReason() {
    if (Game.StoryScript && Game.StoryScript->Ended) return "script";
    std::string reason = "ticks";
    for (const Scheduled& s : options_.events) {
      if (s.event.kind == platform::Event::Kind::Close && s.tick <= TickNow()) reason = "close";
    }
    return reason;
  }

  TRunHooks Hooks() {
    TRunHooks hooks;
    hooks.Started = [this] {
      ReportMemory();
      if (Game.StoryScript) PrintPassages();
    };
    hooks.Finished = [this] {
      std::cout << "{\"tick\":" << TickNow() << ",\"end\":\"" << EndReason() << "\"}\n";
      ReportMemory();
      // The shutdown's own calls are not part of the run.
      machine_.onRecord = nullptr;
    };
    hooks.Failed = [this] {
      machine_.onRecord = nullptr;
      std::cout << "{\"tick\":" << TickNow() << ",\"end\":\"startup-error\"}\n";
    };
    return hooks;
  }

  void WarnOfMissedFrames() {
    std::string missed;
    for (const std::int64_t t : options_.at) {
      if (!written_.count(t)) missed += (missed.empty() ? "" : ",") + std::to_string(t);
    }
    if (!missed.empty()) {
      std::cerr << "marigold-replay: warning: no frame written for tick " << missed
                << ": the run ended at tick " << TickNow() << "\n";
    }
  }

  const ReplayOptions& options_;
  platform::HeadlessPlatform machine_;
  std::int64_t start_ = 0;          // the virtual clock when the run begins
  std::string musicFile_;           // the music file loaded last (CP932)
  std::set<std::int64_t> written_;  // ticks whose frames were written
  std::string writeError_;          // the first frame that could not be written
};

int Replay(const cli::Parsed& parsed) {
  const ReplayOptions options = ReadOptions(parsed);
  return ReplayRun(options).Run();
}

}  // namespace

int main(int argc, char** argv) {
  // The same font file on every system, so frames can be compared.
  platform::UseShippedFont();
  return cli::Main(ReplayCommand(), argc, argv, Replay);
}
