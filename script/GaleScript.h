// The story interpreter: pages of script entries loaded from a line file,
// handed out as batches of text lines while command lines run their
// registered handlers.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// An ordered list of words; element 0 first. A command handler receives the
// words of its line with element 0 the command word as written.
using TWordList = std::vector<std::string>;

// What the script needs from the application that runs it.
class TScriptHost {
 public:
  virtual ~TScriptHost() = default;
  // The system's default beep (a missing script file).
  virtual void Beep() = 0;
  // The application's terminate request (the script has ended).
  virtual void Terminate() = 0;
  // Reads a whole file named as the game names files. Returns false when no
  // such file exists; throws when it exists but cannot be read.
  virtual bool ReadFile(const std::string& path, std::string& bytes) = 0;
};

// One page of script entries, entry i being line i + 1 of its file.
struct TScriptUnit {
  static constexpr std::int32_t kCapacity = 10000;
  std::vector<std::string> Lines;  // grows up to kCapacity; never beyond
  std::int32_t Count = 0;
  std::int32_t Cursor = 0;
  std::string File;  // the file it was loaded from, named as the game names files
};

// An error raised while a story line ran (a command, a jump): the message of
// the original error, and the place of the line.
class TScriptError : public std::runtime_error {
 public:
  TScriptError(const std::string& message, std::string file, std::int32_t line)
      : std::runtime_error(message), File(std::move(file)), Line(line) {}
  std::string File;       // named as the game names files ("dat\\story.dat")
  std::int32_t Line = 0;  // 1-based line of the file
};

struct TCommandIndex {
  std::string Name;
  std::uint8_t TakesArguments = 1;
  std::function<void()> Handler;
  std::function<void(const TWordList&)> ArgsHandler;
};

// Whitespace normalisation (full-width spaces and tabs to spaces, runs of
// spaces folded, both ends trimmed), then a split at single spaces.
TWordList NormaliseWords(const std::string& text);

// True when the character at the 1-based position is a single-byte "@".
bool IsLabel(const std::string& text, int position);

// The two words the interpreter runs itself, before any registered command.
inline constexpr const char* kEndWord = "#end";    // ends the script
inline constexpr const char* kGotoWord = "#goto";  // jumps to the label after it

// How the interpreter takes a stored entry.
enum class TEntryKind {
  Empty,  // ends a passage that has lines, else passed over
  Label,  // a jump target; ends a passage like an empty entry
  End,    // "#end": the script ends
  Goto,   // "#goto": a jump
  Other,  // a registered command when its first word names one, else a story line
};

// What a script line is stored as: a label line becomes its label word alone,
// every other line keeps its text before the first "//" as written.
std::string StoredEntry(const std::string& line);

// How the interpreter takes a stored entry. `words` gets the entry's words as
// a command handler would receive them (a label's word alone; one empty word
// for an empty entry).
TEntryKind ClassifyEntry(const std::string& entry, TWordList& words);

// Appends every line of the file to the list; false when reading failed
// (missing or unreadable). Never throws for a file it cannot read.
bool LoadSayings(TScriptHost& host, const std::string& path, std::vector<std::string>& list,
                 bool scrambled);

class TGaleScript {
 public:
  TGaleScript(TScriptHost& host, const std::string& path, bool scrambled);

  // Appends a page filled from the file; false (after a beep) when no such
  // file exists. A file too long for one page raises std::runtime_error
  // naming the file; the entries stored so far stay.
  bool LoadFile(const std::string& path, bool scrambled);
  void SetBatchLimit(std::int32_t n);
  void SetBatchHandler(std::function<void(const TWordList&)> handler);
  void RegisterCommand(const std::string& name, std::function<void(const TWordList&)> handler);
  // Hands the next batch (batch mode) or text line (single-line mode) to the
  // installed handler, running the commands met on the way. Errors raised by
  // command handlers, by a "#goto" without a word or by a story that loops
  // without text reach the caller as TScriptError naming the line; errors of
  // the batch or line handler pass through as they are.
  void DeliverNext();
  void JumpToLabel(const std::string& label);
  void Finish();

  // Fields, public as the engine's other parts read them.
  std::vector<std::unique_ptr<TScriptUnit>> Pages;
  std::int32_t BatchLimit = 0;
  std::uint8_t BatchMode = 0;
  std::function<void(const std::string&)> LineHandler;
  std::function<void()> BlockEndHandler;
  std::function<void(const TWordList&)> BatchHandler;
  std::vector<TCommandIndex> Commands;
  std::int32_t LineCount = 0;
  std::uint8_t Ended = 0;
  std::uint8_t BlockBreak = 0;

  // Where the story stands, for authors: the label last jumped to or read
  // past, and of the last batch handed out, the page index of its first line
  // (-1 before any) and the label it was reached from.
  std::string CurrentLabel;
  std::int32_t BatchFirstIndex = -1;
  std::string BatchLabel;

  // The interpreter's inner steps, public for tests and tools.
  std::string NextEntry();
  bool IsAtEnd() const;
  bool MatchCommand(const std::string& text, const std::string& name, TWordList& words) const;
  std::string TakeTextLine();
  void GatherBatch(TWordList& lines);
  std::string TakeSingleLine();

 private:
  // The page every operation works on: the last one loaded, or none when no
  // file could be loaded (the script then behaves as one that has ended).
  TScriptUnit* CurrentPage() const;
  // Runs the first registered command whose name matches words[0]; false
  // when none matches.
  bool RunCommand(const TWordList& words);

  TScriptHost& host_;
};
