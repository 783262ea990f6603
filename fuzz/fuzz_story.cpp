// Any bytes as the story file: loading, deliveries in batch and single-line
// mode, and jumps to the labels the file itself names.
#include <exception>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "game/BaseFiles.h"
#include "game/StoryCommands.h"

// The file as the game names it.
static const std::string kPath = "dat\\" + std::string(basefiles::kStory);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const std::uint8_t mode = in.Byte();
  const std::string file = in.Rest();
  fuzz::MemoryHost host;
  host.files[kPath] = file;

  // Label words met in the file, in order, for the jumps.
  std::vector<std::string> labels;
  std::size_t start = 0;
  while (start < file.size() && labels.size() < 16) {
    std::size_t end = file.find('\n', start);
    if (end == std::string::npos) end = file.size();
    const std::string line = file.substr(start, end - start);
    if (!line.empty() && line[0] == '@') labels.push_back(line.substr(0, 64));
    start = end + 1;
  }

  try {
    TGaleScript script(host, kPath, (mode & 1) != 0);
    std::size_t seen = 0;
    auto record = [&](const TWordList& words) { seen += words.size(); };
    script.RegisterCommand("#wait", record);
    for (const story::Command& command : story::kCommands) {
      script.RegisterCommand(std::string(command.word), record);
    }
    script.RegisterCommand("#a", record);
    script.SetBatchHandler(record);
    script.LineHandler = [&](const std::string& line) { seen += line.size(); };
    if (mode & 2) script.SetBatchLimit(1 + (mode >> 4));
    std::size_t nextLabel = 0;
    for (int i = 0; i < 64 && !script.Ended; ++i) {
      script.DeliverNext();
      if ((mode & 4) && i % 8 == 7 && nextLabel < labels.size()) {
        script.JumpToLabel(labels[nextLabel++]);
      }
    }
    script.Finish();
  } catch (const std::exception&) {
    // Script errors are expected outcomes.
  }
  return 0;
}
