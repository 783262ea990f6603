#include "script/GaleScript.h"

#include <stdexcept>

#include "script/GaleUtility.h"
#include "script/MyCrypt.h"

namespace {

// The text before the first "//" (found character-aware), blanks untouched.
std::string CutComment(const std::string& line) {
  const std::size_t hit = FindText(line, "//");
  return hit == std::string::npos ? line : line.substr(0, hit);
}

void StoreEntry(TScriptUnit& page, std::string entry, const std::string& path) {
  if (page.Count >= TScriptUnit::kCapacity) {
    throw std::runtime_error("スクリプト " + QuoteForMessage(path) +
                             " が長すぎます: 1 ページに入るのは " +
                             std::to_string(TScriptUnit::kCapacity) + " 項目 (ファイルの " +
                             std::to_string(TScriptUnit::kCapacity - 1) + " 行) までです");
  }
  page.Lines.push_back(std::move(entry));
  ++page.Count;
}

}  // namespace

TWordList NormaliseWords(const std::string& text) {
  // One pass: full-width spaces and tabs become spaces and every run of
  // spaces folds to one (what repeated replacement of two spaces by one ends
  // with). A space byte never stands second in a two-byte character, so the
  // folded text splits at its space bytes.
  std::string folded;
  folded.reserve(text.size());
  const std::size_t n = text.size();
  auto blank = [&folded] {
    if (folded.empty() || folded.back() != ' ') folded += ' ';
  };
  for (std::size_t i = 0; i < n;) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == ' ' || c == '\t') {
      blank();
      ++i;
    } else if (CharLength(text, i) == 2) {
      if (c == 0x81 && text[i + 1] == '\x40') {
        blank();
      } else {
        folded.append(text, i, 2);
      }
      i += 2;
    } else {
      // A run of single-byte characters other than blanks, copied at once.
      std::size_t end = i + 1;
      while (end < n && text[end] != ' ' && text[end] != '\t' &&
             !IsLeadByte(static_cast<unsigned char>(text[end]))) {
        ++end;
      }
      folded.append(text, i, end - i);
      i = end;
    }
  }
  std::size_t first = 0;
  std::size_t last = folded.size();
  while (first < last && static_cast<unsigned char>(folded[first]) <= 0x20) ++first;
  while (last > first && static_cast<unsigned char>(folded[last - 1]) <= 0x20) --last;
  TWordList words;
  for (std::size_t start = first;;) {
    std::size_t end = folded.find(' ', start);
    if (end == std::string::npos || end > last) end = last;
    words.emplace_back(folded, start, end - start);
    if (end == last) break;
    start = end + 1;
  }
  return words;
}

bool IsLabel(const std::string& text, int position) {
  if (position < 1 || static_cast<std::size_t>(position) > text.size()) return false;
  const auto target = static_cast<std::size_t>(position - 1);
  std::size_t i = 0;
  while (i < target) i += CharLength(text, i);
  // i passed the target: the byte is the second half of a two-byte character.
  return i == target && text[i] == '@' && CharLength(text, i) == 1;
}

std::string StoredEntry(const std::string& line) {
  std::string cut = CutComment(line);
  // Only a line whose first word starts with "@" can be a label: find that
  // character past the leading blanks before normalising anything.
  std::size_t i = 0;
  while (i < cut.size()) {
    const std::size_t len = CharLength(cut, i);
    const bool blank = len == 2 ? cut[i] == '\x81' && cut[i + 1] == '\x40'
                                : static_cast<unsigned char>(cut[i]) <= 0x20;
    if (!blank) break;
    i += len;
  }
  if (i == cut.size() || cut[i] != '@' || CharLength(cut, i) != 1) return cut;
  TWordList words = NormaliseWords(cut);
  if (IsLabel(words.front(), 1)) return std::move(words.front());
  return cut;
}

TEntryKind ClassifyEntry(const std::string& entry, TWordList& words) {
  if (entry.empty()) {
    words.assign(1, std::string());
    return TEntryKind::Empty;
  }
  if (IsLabel(entry, 1)) {
    words.assign(1, entry);
    return TEntryKind::Label;
  }
  words = NormaliseWords(entry);
  if (SameTextIgnoringCase(words.front(), kEndWord)) return TEntryKind::End;
  if (SameTextIgnoringCase(words.front(), kGotoWord)) return TEntryKind::Goto;
  return TEntryKind::Other;
}

bool LoadSayings(TScriptHost& host, const std::string& path, std::vector<std::string>& list,
                 bool scrambled) {
  try {
    std::string bytes;
    if (!host.ReadFile(path, bytes)) return false;
    for (std::string& line : ReadLines(bytes)) {
      list.push_back(scrambled ? ScrambleLine(line) : std::move(line));
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

TGaleScript::TGaleScript(TScriptHost& host, const std::string& path, bool scrambled) : host_(host) {
  LoadFile(path, scrambled);
}

bool TGaleScript::LoadFile(const std::string& path, bool scrambled) {
  std::string bytes;
  // Read before the page is added: a file that exists but cannot be read
  // raises here and leaves no half-made page behind.
  if (!host_.ReadFile(path, bytes)) {
    host_.Beep();
    return false;
  }
  Pages.push_back(std::make_unique<TScriptUnit>());
  TScriptUnit& page = *Pages.back();
  page.File = path;
  std::string last;
  for (const std::string& raw : ReadLines(bytes)) {
    last = StoredEntry(scrambled ? ScrambleLine(raw) : raw);
    StoreEntry(page, last, path);
  }
  // The last line once more: the interpreter ends when its cursor reaches it.
  StoreEntry(page, std::move(last), path);
  return true;
}

void TGaleScript::SetBatchLimit(std::int32_t n) {
  BatchLimit = n;
}

void TGaleScript::SetBatchHandler(std::function<void(const TWordList&)> handler) {
  BatchMode = 1;
  BatchHandler = std::move(handler);
}

void TGaleScript::RegisterCommand(const std::string& name,
                                  std::function<void(const TWordList&)> handler) {
  TCommandIndex command;
  command.Name = name;
  command.TakesArguments = 1;
  command.ArgsHandler = std::move(handler);
  Commands.push_back(std::move(command));
}

void TGaleScript::DeliverNext() {
  if (BatchMode != 0) {
    TWordList lines;
    GatherBatch(lines);
    // A copy: the handler may install another one while it runs.
    if (auto handler = BatchHandler) handler(lines);
  } else {
    const std::string line = TakeSingleLine();
    if (auto handler = LineHandler) handler(line);
  }
}

void TGaleScript::JumpToLabel(const std::string& label) {
  TScriptUnit* page = CurrentPage();
  if (page == nullptr || !IsLabel(label, 1)) return;
  for (std::int32_t i = page->Cursor + 1; i < page->Count; ++i) {
    if (page->Lines.at(static_cast<std::size_t>(i)) == label) {
      page->Cursor = i;
      CurrentLabel = label;
      return;
    }
  }
  for (std::int32_t i = 0; i < page->Cursor && i < page->Count; ++i) {
    if (page->Lines.at(static_cast<std::size_t>(i)) == label) {
      page->Cursor = i;
      CurrentLabel = label;
      return;
    }
  }
}

void TGaleScript::Finish() {
  host_.Terminate();
  Ended = 1;
}

TScriptUnit* TGaleScript::CurrentPage() const {
  return Pages.empty() ? nullptr : Pages.back().get();
}

std::string TGaleScript::NextEntry() {
  TScriptUnit* page = CurrentPage();
  if (page == nullptr) return std::string();
  if (page->Cursor < 0 || page->Cursor >= page->Count) {
    throw std::out_of_range("スクリプトの位置 " + std::to_string(page->Cursor) + " は範囲外です (" +
                            std::to_string(page->Count) + " 項目)");
  }
  std::string entry = page->Lines.at(static_cast<std::size_t>(page->Cursor));
  ++page->Cursor;
  return entry;
}

bool TGaleScript::IsAtEnd() const {
  const TScriptUnit* page = CurrentPage();
  return page == nullptr || page->Cursor >= page->Count - 1;
}

bool TGaleScript::MatchCommand(const std::string& text, const std::string& name,
                               TWordList& words) const {
  words = NormaliseWords(text);
  return SameTextIgnoringCase(words.front(), name);
}

bool TGaleScript::RunCommand(const TWordList& words) {
  for (std::size_t i = 0; i < Commands.size(); ++i) {
    if (!SameTextIgnoringCase(words.front(), Commands[i].Name)) continue;
    // Copies: a handler may register further commands, which can move the
    // list it was called from.
    if (Commands[i].TakesArguments == 1) {
      if (auto handler = Commands[i].ArgsHandler) handler(words);
    } else {
      if (auto handler = Commands[i].Handler) handler();
    }
    return true;
  }
  return false;
}

std::string TGaleScript::TakeTextLine() {
  // A script without a page (its file was missing) has nothing to take.
  if (Ended != 0 || CurrentPage() == nullptr) return std::string();
  if (BlockBreak != 0) {
    if (BatchMode == 0 && BlockEndHandler) BlockEndHandler();
    LineCount = 0;
    BlockBreak = 0;
  }
  if (LineCount >= BatchLimit) {
    BlockBreak = 1;
    return std::string();
  }
  // Jumps taken in this call without reaching a line. More of them than the
  // page has entries means the story loops through commands and labels only
  // and would never show anything again.
  std::int32_t jumps = 0;
  auto countJump = [&](std::int32_t expected) {
    const TScriptUnit* now = CurrentPage();
    if (now == nullptr || now->Cursor == expected) return;
    if (++jumps > now->Count) {
      throw std::runtime_error("スクリプトが文を出さずに同じ所を回り続けています (" +
                               std::to_string(jumps) + " 回の移動)");
    }
  };
  for (;;) {
    std::string entry = NextEntry();
    const std::int32_t following = CurrentPage()->Cursor;
    if (IsAtEnd()) {
      Finish();
      return std::string();
    }
    // One normalisation serves every command comparison of this entry.
    TWordList words;
    const TEntryKind kind = ClassifyEntry(entry, words);
    if (kind == TEntryKind::Empty || kind == TEntryKind::Label) {
      if (kind == TEntryKind::Label) CurrentLabel = entry;
      if (LineCount == 0) continue;
      BlockBreak = 1;
      return std::string();
    }
    if (kind == TEntryKind::End) {
      Finish();
      return std::string();
    }
    // The entry's line: the cursor has just moved past it.
    const std::string file = CurrentPage()->File;
    try {
      if (kind == TEntryKind::Goto) {
        if (words.size() < 2) {
          throw std::runtime_error(std::string(kGotoWord) +
                                   " の後にラベルがありません: " + QuoteForMessage(entry));
        }
        JumpToLabel(words[1]);
        countJump(following);
        continue;
      }
      if (RunCommand(words)) {
        countJump(following);
        continue;
      }
    } catch (const TScriptError&) {
      throw;  // placed already, by a delivery inside the command
    } catch (const std::exception& error) {
      throw TScriptError(error.what(), file, following);
    }
    ++LineCount;
    if (LineCount == 1) {
      BatchFirstIndex = following - 1;
      BatchLabel = CurrentLabel;
    }
    return entry;
  }
}

void TGaleScript::GatherBatch(TWordList& lines) {
  lines.clear();
  while (Ended == 0 && CurrentPage() != nullptr) {
    std::string line = TakeTextLine();
    if (BlockBreak != 0) break;
    lines.push_back(std::move(line));
  }
}

std::string TGaleScript::TakeSingleLine() {
  // With no room for a line a block could never start: hand over nothing
  // instead of breaking blocks for ever.
  if (BatchLimit < 1) return std::string();
  std::string line;
  do {
    if (Ended != 0 || CurrentPage() == nullptr) return std::string();
    line = TakeTextLine();
  } while (BlockBreak != 0);
  return line;
}
