#include "tools/story/StoryWalk.h"

#include <algorithm>

namespace storywalk {

Entry MakeEntry(const std::string& line) {
  Entry entry;
  entry.text = StoredEntry(line);
  const TEntryKind kind = ClassifyEntry(entry.text, entry.words);
  if (kind == TEntryKind::Other) {
    entry.command = story::Find(entry.words.front());
    entry.kind = entry.command ? Kind::kCommand : Kind::kText;
  } else {
    entry.kind = kind == TEntryKind::Empty   ? Kind::kEmpty
                 : kind == TEntryKind::Label ? Kind::kLabel
                 : kind == TEntryKind::End   ? Kind::kEnd
                                             : Kind::kGoto;
  }
  return entry;
}

std::vector<Entry> MakeEntries(const std::vector<std::string>& lines) {
  std::vector<Entry> entries;
  entries.reserve(lines.size());
  for (const std::string& line : lines) entries.push_back(MakeEntry(line));
  return entries;
}

bool Runs(const Entry& entry, story::Id id) {
  return entry.kind == Kind::kCommand && entry.command->id == id;
}

std::vector<Way> WaysOf(const story::Command& command, const TWordList& words) {
  std::vector<Way> ways;
  // The caption a target belongs to: the command's caption argument.
  std::string caption;
  ForEachArgument(command, words, [&](const story::Param& param, std::size_t index) {
    if (index >= words.size()) return;
    const std::string& word = words[index];
    switch (param.kind) {
      case story::Arg::Caption:
        caption = word;
        break;
      case story::Arg::Target:
        ways.push_back(
            {word == story::kThroughTarget ? Way::By::kThrough : Way::By::kButton, word, caption});
        break;
      case story::Arg::Label:
        if (command.jumps) {
          ways.push_back({Way::By::kBranch, word, command.pairs ? words[index - 1] : ""});
        }
        break;
      default:
        break;
    }
  });
  // The sayings a passage starts jump to their label once typed out.
  if (command.id == story::Id::Saying) {
    ways.push_back({Way::By::kGame, std::string(story::kSayEndLabel), ""});
  }
  return ways;
}

std::vector<Way> WaysOf(const Entry& entry) {
  if (entry.kind == Kind::kGoto) {
    if (entry.words.size() < 2) return {};
    return {{Way::By::kGoto, entry.words[1], ""}};
  }
  if (entry.kind != Kind::kCommand) return {};
  return WaysOf(*entry.command, entry.words);
}

int JumpFrom(const std::vector<Entry>& entries, int cursor, const std::string& label) {
  if (!IsLabel(label, 1)) return cursor;
  const int count = static_cast<int>(entries.size()) + 1;
  auto at = [&](int i) -> const std::string& {
    return entries[std::min<std::size_t>(i, entries.size() - 1)].text;
  };
  for (int i = cursor + 1; i < count; ++i) {
    if (at(i) == label) return i;
  }
  for (int i = 0; i < cursor; ++i) {
    if (at(i) == label) return i;
  }
  return cursor;
}

void WalkPassages(const std::vector<Entry>& entries, PassageVisitor& visitor) {
  std::vector<int> passage;
  auto end = [&] {
    visitor.PassageEnds(passage);
    passage.clear();
  };
  // The file's last line is never run.
  const int runnable = static_cast<int>(entries.size()) - 1;
  for (int i = 0; i < runnable; ++i) {
    const Entry& entry = entries[i];
    const Step step{i, entry, passage};
    switch (entry.kind) {
      case Kind::kEmpty:
        if (!passage.empty()) end();
        break;
      case Kind::kLabel:
        if (!passage.empty()) end();
        visitor.Label(step);
        break;
      case Kind::kText:
        passage.push_back(i);
        visitor.Text(step);
        if (static_cast<int>(passage.size()) == story::kMaxStoryLines) end();
        break;
      case Kind::kGoto:
        visitor.Goto(step);
        end();
        break;
      case Kind::kEnd:
        visitor.End(step);
        end();
        break;
      case Kind::kCommand:
        visitor.Command(step);
        break;
    }
  }
  end();
}

}  // namespace storywalk
