// "marigold-dat lint", the story checker (Lint.h).
//
// This file, section by section:
//   1. Words and numbers   the game's sizes, how messages quote the story
//   2. Data files          the game's own lookup of a file the story names
//   3. Pictures            what a picture tells: its marker, its see-through fringe
//   4. The checker         class Checker, one story against its data folder:
//        4a. Running and reporting   the checks in turn, labels, their messages
//        4b. Lines and commands      each line, its command's arguments, limits
//        4c. Files named             pictures, music and sounds the story names
//        4d. Passages                along the story walk: buttons, corners,
//                                    fringes, line widths
//        4e. The game's own labels   the start, the clock, the sayings, duplicates
//   5. Reading a story     the file's bytes to CP932 lines, scrambled or UTF-8
//   6. Running the check   data folder, base files, the summary, RunLint

#include "tools/marigold-dat/Lint.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "app/CommandLine.h"
#include "app/StoryText.h"
#include "game/BaseFiles.h"
#include "game/Frame.h"
#include "game/StoryCommands.h"
#include "gfx/GaleBmp.h"
#include "platform/Encoding.h"
#include "platform/Files.h"
#include "platform/ImageFile.h"
#include "platform/TextRaster.h"
#include "script/GaleScript.h"
#include "script/GaleUtility.h"
#include "script/MyCrypt.h"
#include "tools/story/StoryWalk.h"

namespace lint {
namespace {

namespace fs = std::filesystem;

// -------------------------------------------------------------------------------------------------
// 1. Words and numbers: the game's sizes, how messages quote the story
// -------------------------------------------------------------------------------------------------

// The game's fixed sizes and limits, as the game itself reads them.
using story::kDefaultFontSize;
using story::kMaxStoryLines;
// A page holds this many entries: the lines plus one repeat of the last.
constexpr int kMaxScriptLines = TScriptUnit::kCapacity - 1;
// The painter shifts text right and down by up to this many pixels.
constexpr int kTextJitter = kTextShake - 1;

using storywalk::Entry;
using storywalk::Kind;
using storywalk::Runs;

// What a limit's places are called in messages, and over what they count.
const char* LimitNoun(story::Limit limit) {
  switch (limit) {
    case story::Limit::Buttons:
      return "buttons in one passage";
    case story::Limit::SubImages:
      return "overlays since the last #image";
    case story::Limit::Vanished:
      return "vanished captions in the script";
    case story::Limit::None:
    case story::Limit::Count:
      break;
  }
  return "";
}

std::string Show(const std::string& cp932) {
  return "\"" + platform::Cp932ToUtf8(cp932) + "\"";
}

bool IsInteger(const std::string& word) {
  try {
    StrToInt(word);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool EndsWith(const std::string& text, const std::string& tail, bool ignoreCase) {
  if (text.size() < tail.size()) return false;
  const std::string end = text.substr(text.size() - tail.size());
  return ignoreCase ? SameTextIgnoringCase(end, tail) : end == tail;
}

// -------------------------------------------------------------------------------------------------
// 2. Data files: the game's own lookup of a file the story names
// -------------------------------------------------------------------------------------------------

// Where a file named in the script is found below the data folder, looked
// up by the game's own lookup.
struct Lookup {
  bool found = false;
  bool regular = false;  // a plain file, not a folder
  platform::FoundBy rule = platform::FoundBy::kExact;
  fs::path path;         // the file found
  std::string spelling;  // its name below the data folder, as stored on disk (UTF-8)
};

Lookup FindDataFile(const fs::path& folder, const std::string& cp932Name) {
  Lookup result;
  const std::optional<platform::GameFile> found =
      platform::FindGameFile(folder.string(), cp932Name);
  if (!found) return result;
  result.found = true;
  result.regular = found->regular;
  result.rule = found->rule;
  result.path = found->path;
  const bool raw = found->rule == platform::FoundBy::kRawCp932 ||
                   found->rule == platform::FoundBy::kRawCp932Folded;
  result.spelling = raw ? platform::Cp932ToUtf8(found->spelling) : found->spelling;
  return result;
}

// -------------------------------------------------------------------------------------------------
// 3. Pictures: what a picture tells, its marker pixel and see-through fringe
// -------------------------------------------------------------------------------------------------

// What a picture tells about the story text: the column of its marker.
struct PictureInfo {
  bool loaded = false;
  std::string error;                          // UTF-8 message when loading failed
  std::optional<std::pair<int, int>> marker;  // column and row of the first pure blue pixel
  TPixel key{};                               // its top-left pixel: an overlay's see-through colour
  int fringe = 0;                             // pixels near the key colour but not it
  std::pair<int, int> firstFringe{0, 0};      // the first of them, row by row
};

// How many levels a channel may lie off an overlay's see-through colour
// before a pixel no longer reads as an antialiased edge left against it.
constexpr int kFringeLevels = 4;

bool NearButNotKey(const TPixel& p, const TPixel& key) {
  if (SameColor(p, key)) return false;
  auto off = [](std::uint8_t a, std::uint8_t b) { return std::abs(int{a} - int{b}); };
  return off(p.b, key.b) <= kFringeLevels && off(p.g, key.g) <= kFringeLevels &&
         off(p.r, key.r) <= kFringeLevels;
}

PictureInfo ReadPicture(const fs::path& path, bool asJpeg) {
  PictureInfo info;
  platform::Picture picture;
  try {
    std::string bytes;
    if (!platform::ReadNativeFile(path.string(), bytes)) {
      info.error = "cannot be read";
      return info;
    }
    picture = asJpeg ? platform::DecodeJpeg(bytes) : platform::DecodeBitmap(bytes);
  } catch (const std::exception& e) {
    info.error = e.what();
    return info;
  }
  info.loaded = true;
  if (picture.width > 0 && picture.height > 0) {
    const auto* pixels = reinterpret_cast<const TPixel*>(picture.bgr.data());
    info.key = pixels[0];
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) {
        if (!NearButNotKey(pixels[static_cast<std::size_t>(y) * picture.width + x], info.key)) {
          continue;
        }
        if (info.fringe++ == 0) info.firstFringe = {x, y};
      }
    }
  }
  const int rows = std::min(picture.height, kFrameHeight);
  const int columns = std::min(picture.width, kFrameWidth);
  for (int y = 0; y < rows && !info.marker; ++y) {
    const auto* row = reinterpret_cast<const TPixel*>(
        picture.bgr.data() + static_cast<std::size_t>(y) * picture.width * 3);
    for (int x = 0; x < columns; ++x) {
      if (SameColor(row[x], TextMarkColor)) {
        info.marker = {x, y};
        break;
      }
    }
  }
  return info;
}

// -------------------------------------------------------------------------------------------------
// 4. The checker: one story's lines against its data folder
// -------------------------------------------------------------------------------------------------

// The checks of one story, run in turn by Run.
class Checker {
 public:
  Checker(const std::vector<std::string>& lines, fs::path folder, const Options& options)
      : folder_(std::move(folder)), options_(options) {
    entries_ = storywalk::MakeEntries(lines);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      if (entries_[i].kind == Kind::kLabel) labels_[entries_[i].text].push_back(LineOf(i));
    }
  }

  std::vector<Diagnostic> Run() {
    const int n = static_cast<int>(entries_.size());
    if (n >= kMaxScriptLines + 1) {
      Report(kMaxScriptLines + 1, Severity::kError,
             "the script has " + std::to_string(n) + " lines; the game holds at most " +
                 std::to_string(kMaxScriptLines) +
                 " (10000 entries: the lines and a repeat of the last one) and fails to load it");
    }
    CheckLastLine();
    // The file's last line is never interpreted, so only the lines before it
    // are checked as commands and text.
    for (int i = 0; i + 1 < n; ++i) CheckEntry(i);
    CheckPassages();
    CheckGameLabels();
    CheckDuplicateLabels();
    std::stable_sort(diagnostics_.begin(), diagnostics_.end(),
                     [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
    return std::move(diagnostics_);
  }

 private:
  // -----------------------------------------------------------------------------------------------
  // 4a. Running and reporting: the checks in turn, labels and their messages
  // -----------------------------------------------------------------------------------------------

  static int LineOf(std::size_t index) { return static_cast<int>(index) + 1; }

  void Report(int line, Severity severity, std::string message) {
    diagnostics_.push_back({line, severity, std::move(message)});
  }

  bool HasLabel(const std::string& label) const { return labels_.count(label) != 0; }

  // A label that differs from `label` only in letter case, if any.
  std::optional<std::string> CaseTwin(const std::string& label) const {
    for (const auto& [name, where] : labels_) {
      if (SameTextIgnoringCase(name, label)) return name;
    }
    return std::nullopt;
  }

  // "no label ..." with the reason it matters, and a hint for a label that
  // differs only in letter case.
  std::string MissingLabelMessage(const std::string& label, const std::string& why = "") const {
    std::string message = "no label " + Show(label) + " in the script" + why;
    if (auto twin = CaseTwin(label)) {
      message += "; did you mean " + Show(*twin) + "? Labels are compared with exact letter case";
    }
    return message;
  }

  // -----------------------------------------------------------------------------------------------
  // 4b. Lines and commands: each line, its command's arguments, the limits
  // -----------------------------------------------------------------------------------------------

  // Commands and text of one interpreted line, in file order.
  void CheckEntry(int index) {
    const Entry& entry = entries_[index];
    const int line = LineOf(index);
    const TWordList& words = entry.words;
    if (entry.kind == Kind::kText) {
      const std::string& first = words.front();
      if (first.empty()) {
        Report(line, Severity::kWarning,
               "this line holds only blanks: the game takes it as a story line, not as the "
               "empty line that ends a passage");
        return;
      }
      if (first[0] == '#') {
        Report(line, Severity::kWarning,
               Show(first) + " is no command: the game shows this line as story text");
      }
      CheckGlyphs(line, entry.text);
      return;
    }
    if (entry.kind == Kind::kGoto) {
      const std::string command = platform::Cp932ToUtf8(words.front());
      if (words.size() < 2) {
        Report(line, Severity::kError, command + " without a label: the game stops with an error");
      } else {
        CheckJumpTarget(line, words[1], command + " target");
      }
      return;
    }
    if (entry.kind == Kind::kCommand) CheckCommand(line, *entry.command, words);
  }

  // A story command's arguments as its row describes them, the places it
  // takes, and what the game does with it beyond that.
  void CheckCommand(int line, const story::Command& c, const TWordList& words) {
    const std::string command = platform::Cp932ToUtf8(words.front());
    if (c.clears != story::Limit::None) used_[static_cast<std::size_t>(c.clears)] = 0;
    if (c.limit != story::Limit::None && !PerPassage(c.limit)) TakePlace(line, c, command);
    const std::size_t given = words.size() - 1;
    if (c.whole && given < c.required) {
      std::string names;
      for (std::size_t i = 0; i < c.Count(); ++i) {
        names += (i == 0 ? "" : ", ") + std::string(c.params[i].name);
      }
      Report(line, Severity::kError,
             command + " needs " + std::to_string(c.required) + " words (" + names + "); it has " +
                 std::to_string(given) + ": the game stops with an error");
      return;
    }
    storywalk::ForEachArgument(c, words, [&](const story::Param& param, std::size_t index) {
      CheckArgument(line, c, command, param, words, index);
    });
    if (c.pairs && given % 2 == 1) {
      Report(line, Severity::kWarning,
             command + ": the last word " + Show(words.back()) +
                 " has no partner and is ignored (words go in pairs: " +
                 std::string(c.params[0].name) + ", " + std::string(c.params[1].name) + ")");
    }
    switch (c.id) {
      case story::Id::HeatyJump:
        CheckThresholdOrder(line, words);
        break;
      case story::Id::Saying:
        if (!firstSaying_) firstSaying_ = line;
        break;
      default:
        break;
    }
    if (c.stopsClock) clockStopped_ = true;
  }

  void CheckArgument(int line, const story::Command& c, const std::string& command,
                     const story::Param& param, const TWordList& words, std::size_t index) {
    const std::string name(param.name);
    const bool missing = index >= words.size();
    switch (param.kind) {
      case story::Arg::Number:
        CheckNumber(line, words, index, name);
        break;
      case story::Arg::Target:
        if (!missing && words[index] == story::kThroughTarget) break;
        if (!missing && SameTextIgnoringCase(words[index], std::string(story::kThroughTarget))) {
          Report(line, Severity::kError,
                 command + " " + name + " " + Show(words[index]) + " is not \"" +
                     std::string(story::kThroughTarget) +
                     "\" (exact capitals) nor a label: a click on it jumps nowhere");
          break;
        }
        [[fallthrough]];
      case story::Arg::Label:
        if (missing) {
          Report(line, Severity::kError,
                 command + " without a " + name + ": the game stops with an error");
        } else {
          CheckJumpTarget(line, words[index], command + " " + name);
        }
        break;
      case story::Arg::File:
        if (!missing) {
          CheckFile(line, words[index], c.picture);
        } else if (c.picture) {
          Report(line, Severity::kError, command + " without a " + name + ": loading fails");
        }
        break;
      case story::Arg::Caption:
        if (missing) {
          Report(line, Severity::kError,
                 command + " without a " + name + ": the game stops with an error");
        } else if (c.limit == story::Limit::Buttons) {
          // Only a button shows its caption.
          CheckGlyphs(line, words[index]);
        }
        break;
    }
  }

  // A jump target as "#goto", "#button" and "#heatyJump" name it.
  void CheckJumpTarget(int line, const std::string& target, const std::string& what) {
    if (!IsLabel(target, 1)) {
      Report(line, Severity::kError,
             what + " " + Show(target) + " is not a label (labels begin with \"@\"): the jump " +
                 "does nothing");
      return;
    }
    if (!HasLabel(target))
      Report(line, Severity::kError, what + ": " + MissingLabelMessage(target));
  }

  void CheckNumber(int line, const TWordList& words, std::size_t index, const std::string& what) {
    const std::string command = platform::Cp932ToUtf8(words.front());
    if (words.size() <= index) {
      Report(line, Severity::kError, command + ": missing " + what + " (an integer)");
    } else if (!IsInteger(words[index])) {
      Report(line, Severity::kError,
             command + ": " + what + " " + Show(words[index]) + " is not an integer");
    }
  }

  void CheckLastLine() {
    if (entries_.empty()) return;
    const Entry& last = entries_.back();
    if (last.kind == Kind::kEmpty || last.kind == Kind::kLabel) return;
    if (last.kind == Kind::kText && last.words.front().empty()) return;  // blanks only
    if (last.kind == Kind::kEnd) return;
    Report(LineOf(entries_.size() - 1), Severity::kWarning,
           std::string("the game never runs the file's last line; this ") +
               (last.kind == Kind::kText ? "text" : "command") +
               " is lost (end the file with an empty or comment line)");
  }

  // Characters of a text that the story font has no glyph for (blanks and
  // control characters aside), each named once.
  void CheckGlyphs(int line, const std::string& text) {
    if (!options_.hasGlyph) return;
    std::string missing;
    std::set<char32_t> seen;
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
      const std::string piece = text.substr(i, CharLength(text, i));
      const std::u32string chars = platform::Cp932ToUtf32(piece);
      if (chars.size() != 1) continue;  // bytes that do not decode are reported elsewhere
      const char32_t c = chars[0];
      if (c <= 0x20 || c == 0x3000 || !seen.insert(c).second || options_.hasGlyph(c)) continue;
      missing += (missing.empty() ? "\"" : ", \"") + platform::Cp932ToUtf8(piece) + "\"";
    }
    if (!missing.empty()) {
      Report(line, Severity::kWarning, "the font cannot draw " + missing + "; it stays blank");
    }
  }

  // Limits counted per passage rather than over the whole script.
  static bool PerPassage(story::Limit limit) { return limit == story::Limit::Buttons; }

  // One more place of the command's limit; reported once, when it overflows.
  void TakePlace(int line, const story::Command& c, const std::string& command) {
    const std::int32_t capacity = story::Capacity(c.limit);
    if (++used_[static_cast<std::size_t>(c.limit)] == capacity + 1) {
      Report(line, Severity::kError,
             command + ": more than " + std::to_string(capacity) + " " + LimitNoun(c.limit) +
                 "; the game holds " + std::to_string(capacity));
    }
  }

  // #heatyJump takes the first pair whose threshold the heat reaches, so
  // thresholds must fall from left to right.
  void CheckThresholdOrder(int line, const TWordList& words) {
    const std::string command = platform::Cp932ToUtf8(words.front());
    std::optional<std::int32_t> lowest;  // lowest threshold so far
    for (std::size_t at = 1; at + 1 < words.size(); at += 2) {
      if (!IsInteger(words[at])) continue;
      const std::int32_t value = StrToInt(words[at]);
      if (lowest && value >= *lowest) {
        Report(line, Severity::kWarning,
               command + ": threshold " + std::to_string(value) + " is not below the earlier " +
                   std::to_string(*lowest) + ", so the earlier pair always wins and " +
                   Show(words[at + 1]) + " is never chosen (list thresholds from high to low)");
      }
      if (!lowest || value < *lowest) lowest = value;
    }
  }

  // -----------------------------------------------------------------------------------------------
  // 4c. Files named: pictures, music and sounds in the data folder
  // -----------------------------------------------------------------------------------------------

  void CheckFile(int line, const std::string& name, bool picture) {
    const std::string shown = Show("dat\\" + name);
    const Lookup lookup = FindDataFile(folder_, name);
    const bool jpegName = EndsWith(name, ".jpg", false) || EndsWith(name, ".jpeg", false);
    if (picture && !jpegName && (EndsWith(name, ".jpg", true) || EndsWith(name, ".jpeg", true))) {
      Report(line, Severity::kError,
             shown + ": only names ending in \".jpg\" or \".jpeg\" in small letters are read " +
                 "as JPEG; this one is read as a bitmap and fails");
    }
    // A file the game cannot read: a picture stops it, a sound plays nothing.
    auto unusable = [&](const char* what, const char* forPicture) {
      Report(line, Severity::kError,
             shown + what + (picture ? forPicture : " (the game plays nothing)"));
    };
    if (!lookup.found) {
      unusable(" does not exist in the data folder",
               " (a missing picture stops the game with an error)");
      return;
    }
    if (!lookup.regular) {
      unusable(" is a folder, not a file", " (the game cannot open it and stops with an error)");
      return;
    }
    if (lookup.rule == platform::FoundBy::kFoldedCase) {
      Report(line, Severity::kWarning,
             shown + " exists only as \"" + lookup.spelling +
                 "\": the game finds it because it looks names up without regard to letter " +
                 "case, but write the exact spelling");
    } else if (lookup.rule != platform::FoundBy::kExact) {
      Report(line, Severity::kWarning,
             shown + " exists only under its Shift-JIS bytes (\"" + lookup.spelling +
                 "\" as CP932): the archive it came from stored the name unconverted; the " +
                 "game finds it, but rename the file to its UTF-8 spelling");
    }
    if (!picture ||
        (!jpegName && (EndsWith(name, ".jpg", true) || EndsWith(name, ".jpeg", true)))) {
      return;
    }
    auto cached = pictures_.find(lookup.path);
    if (cached == pictures_.end()) {
      cached = pictures_.emplace(lookup.path, ReadPicture(lookup.path, jpegName)).first;
    }
    const PictureInfo& info = cached->second;
    if (!info.error.empty()) {
      Report(line, Severity::kError, shown + " cannot be loaded: " + info.error);
    }
  }

  // What was read of a picture the story names, or nullptr when it was not
  // found or not read.
  const PictureInfo* Picture(const std::string& name) const {
    const Lookup lookup = FindDataFile(folder_, name);
    if (!lookup.found) return nullptr;
    auto cached = pictures_.find(lookup.path);
    return cached == pictures_.end() ? nullptr : &cached->second;
  }

  // -----------------------------------------------------------------------------------------------
  // 4d. Passages, along the story walk: buttons, corners, fringes, line widths
  // -----------------------------------------------------------------------------------------------

  // The passages in file order (jumps aside), along the story walk: buttons
  // gathered for one passage, and the width of each story line at its
  // passage's font size.
  class PassageChecker : public storywalk::PassageVisitor {
   public:
    explicit PassageChecker(Checker& checker) : c_(checker) {}

    void PassageEnds(const std::vector<int>& lines) override {
      c_.MeasureLines(lines, fontSize_);
      for (std::size_t l = 0; l < c_.used_.size(); ++l) {
        if (PerPassage(static_cast<story::Limit>(l))) c_.used_[l] = 0;
      }
      fontSize_ = kDefaultFontSize;
    }

    void End(const storywalk::Step& step) override {
      if (step.passage.empty()) return;
      c_.Report(LineOf(step.index), Severity::kWarning,
                "#end ends the game on the click that would show the passage above (from "
                "line " +
                    std::to_string(LineOf(step.passage.front())) +
                    "), so its text is never seen: put an empty line before #end");
    }

    void Command(const storywalk::Step& step) override {
      const Entry& entry = step.entry;
      const int i = step.index;
      if (Runs(entry, story::Id::HeatyJump) && !step.passage.empty()) {
        c_.Report(LineOf(i), Severity::kWarning,
                  "#heatyJump after text of its own passage (from line " +
                      std::to_string(LineOf(step.passage.front())) +
                      "): the jump is decided as that passage appears, before the player "
                      "could heat up while reading it; put an empty line before #heatyJump so "
                      "that it runs on the click that leaves the passage");
      }
      if (Runs(entry, story::Id::Button)) c_.CheckButtonCorners(i);
      if (Runs(entry, story::Id::ImageSub)) c_.CheckFringe(i);
      if (PerPassage(entry.command->limit)) {
        c_.TakePlace(LineOf(i), *entry.command, platform::Cp932ToUtf8(entry.words.front()));
      }
      if (Runs(entry, story::Id::Font)) {
        if (entry.words.size() >= 2 && IsInteger(entry.words[1])) {
          fontSize_ = StrToInt(entry.words[1]);
        }
      } else if (Runs(entry, story::Id::Image) && entry.words.size() >= 2) {
        PlaceText(i, entry.words[1]);
      }
    }

   private:
    // An #image moves the story text to its marker pixel.
    void PlaceText(int index, const std::string& picture) {
      const PictureInfo* info = c_.Picture(picture);
      if (info != nullptr && info->marker) {
        c_.textOrigin_ = *info->marker;
        originSet_ = true;
      } else if (info != nullptr && info->loaded && !originSet_) {
        c_.Report(LineOf(index), Severity::kWarning,
                  Show("dat\\" + picture) +
                      " has no marker pixel (pure blue, 0,0,255) and no earlier picture "
                      "placed the text: the story text starts at 0,0");
      }
    }

    Checker& c_;
    int fontSize_ = kDefaultFontSize;  // the passage's font size so far
    bool originSet_ = false;           // a picture with a marker came before
  };

  void CheckPassages() {
    textOrigin_ = {0, 0};
    PassageChecker checker(*this);
    storywalk::WalkPassages(entries_, checker);
  }

  // The corners the game keeps for itself: a box reaching into them is
  // reported on `line`.
  void CheckCorners(int line, const std::string& what, long top, long right, long bottom) {
    if (right >= kGaugeLeft && top < kGaugeBottom) {
      Report(line, Severity::kWarning,
             what + " reaches into the heat gauge's corner (x >= " + std::to_string(kGaugeLeft) +
                 ", y < " + std::to_string(kGaugeBottom) + "): clicks there go to the gauge");
    }
    if (right >= kClockLeft && bottom >= kClockTop) {
      Report(line, Severity::kWarning,
             what + " reaches into the clock's corner (x >= " + std::to_string(kClockLeft) +
                 ", y >= " + std::to_string(kClockTop) + "): the clock is drawn over it");
    }
  }

  void CheckButtonCorners(int index) {
    const TWordList& words = entries_[index].words;
    const story::Command& button = story::Of(story::Id::Button);
    if (words.size() <= button.required) return;
    for (std::size_t i = 2; i <= 4; ++i) {
      if (!IsInteger(words[i])) return;  // reported by the argument check
    }
    try {
      const ButtonBox box =
          LayOutButton(static_cast<std::int32_t>(words[1].size()), StrToInt(words[2]),
                       StrToInt(words[3]), StrToInt(words[4]));
      CheckCorners(LineOf(index),
                   "the button " + Show(words[1]) + " (" + std::to_string(box.left) + "," +
                       std::to_string(box.top) + " to " + std::to_string(box.right) + "," +
                       std::to_string(box.bottom) + ")",
                   box.top, box.right, box.bottom);
    } catch (const std::exception&) {
      // A box past the 32-bit range stops the game; the number checks say so.
    }
  }

  void CheckFringe(int index) {
    const TWordList& words = entries_[index].words;
    if (words.size() < 2) return;
    const PictureInfo* info = Picture(words[1]);
    if (info == nullptr || info->fringe == 0) return;
    const auto [x, y] = info->firstFringe;
    Report(LineOf(index), Severity::kWarning,
           Show("dat\\" + words[1]) + ": " + std::to_string(info->fringe) + " pixels come within " +
               std::to_string(kFringeLevels) + " levels of its see-through colour (" +
               std::to_string(info->key.r) + "," + std::to_string(info->key.g) + "," +
               std::to_string(info->key.b) +
               ", its top-left pixel) without equalling it, the first at " + std::to_string(x) +
               "," + std::to_string(y) +
               ": they show as a fringe (an antialiased or compressed edge); paint the "
               "see-through parts in exactly that colour");
  }

  void MeasureLines(const std::vector<int>& indices, int fontSize) {
    if (fontFailed_ || indices.empty() || fontSize <= 0 || fontSize > 2000) return;
    if (!font_) {
      font_ = std::make_unique<TGaleBitmap>();
      font_->UseText(text_);
    }
    font_->SetFont(fontSize, fsBold, 0);
    const auto [x, y] = textOrigin_;
    for (std::size_t k = 0; k < indices.size(); ++k) {
      const int i = indices[k];
      int width = 0;
      try {
        width = font_->TextWidth(entries_[i].text);
      } catch (const std::exception& e) {
        // A machine without a usable face: say so once and check the rest.
        Report(LineOf(i), Severity::kInfo, std::string("line widths are not checked: ") + e.what());
        fontFailed_ = true;
        return;
      }
      if (x + width + kTextJitter > kFrameWidth) {
        Report(LineOf(i), Severity::kWarning,
               "the line is " + std::to_string(width) + " pixels wide at font size " +
                   std::to_string(fontSize) + " from x " + std::to_string(x) +
                   ": it runs past the right edge of the " + std::to_string(kFrameWidth) +
                   "-pixel picture");
      }
      // Lines stand a gap apart from the marker's row down.
      const long top = y + static_cast<long>(k) * (fontSize + kLineGap);
      const long bottom = top + fontSize + kTextJitter;
      CheckCorners(LineOf(i), "the line", top, x + width + kTextJitter, bottom);
      if (bottom > kFrameHeight) {
        Report(LineOf(i), Severity::kWarning,
               "line " + std::to_string(k + 1) + " of its passage reaches down to y " +
                   std::to_string(bottom) + " at font size " + std::to_string(fontSize) +
                   " from y " + std::to_string(y) + ": it runs past the bottom of the " +
                   std::to_string(kFrameHeight) + "-pixel picture");
      }
    }
  }

  // -----------------------------------------------------------------------------------------------
  // 4e. The game's own labels: the start, the clock, the sayings, duplicates
  // -----------------------------------------------------------------------------------------------

  // Where the interpreter's label search from `cursor` lands.
  int JumpFrom(int cursor, const std::string& label) const {
    return storywalk::JumpFrom(entries_, cursor, label);
  }

  // Follows the interpreter through one batch delivered with the cursor at
  // `start`. True when some way through it (a #heatyJump may go several)
  // completes the batch without running #stopTimer or #finalize; a way that
  // ends the script does not count.
  bool BatchMayKeepClock(int start) const {
    const int n = static_cast<int>(entries_.size());
    std::set<std::pair<int, int>> seen;
    std::vector<std::pair<int, int>> ways{{start, 0}};
    while (!ways.empty()) {
      auto [cursor, lineCount] = ways.back();
      ways.pop_back();
      while (true) {
        if (!seen.insert({cursor, lineCount}).second) break;
        if (lineCount >= kMaxStoryLines) return true;
        if (cursor < 0 || cursor >= n) break;  // the script ends
        const Entry& entry = entries_[cursor++];
        if (cursor >= n) break;  // the last line ends the script unread
        if (entry.kind == Kind::kEmpty || entry.kind == Kind::kLabel) {
          if (lineCount > 0) return true;
          continue;
        }
        if (entry.kind == Kind::kText) {
          ++lineCount;
          continue;
        }
        if (entry.kind == Kind::kEnd || (entry.command && entry.command->stopsClock)) break;
        if (entry.kind == Kind::kGoto && entry.words.size() < 2)
          break;  // an error, reported elsewhere
        for (const storywalk::Way& way : storywalk::WaysOf(entry)) {
          if (way.by == storywalk::Way::By::kGoto) {
            cursor = JumpFrom(cursor, way.target);
          } else if (way.by == storywalk::Way::By::kBranch) {
            // Each branch a way on; not taking any reads on here.
            const int target = JumpFrom(cursor, way.target);
            if (target != cursor) ways.push_back({target, lineCount});
          }
        }
      }
    }
    return false;
  }

  void CheckGameLabels() {
    static const std::string kStart(story::kStartLabel);
    static const std::string kGameOver(story::kGameOverLabel);
    static const std::string kSayEnd(story::kSayEndLabel);
    if (!HasLabel(kStart)) {
      Report(1, Severity::kError,
             MissingLabelMessage(kStart, ": the first click on the title jumps there"));
    }
    if (firstSaying_ && !HasLabel(kSayEnd)) {
      Report(*firstSaying_, Severity::kError,
             std::string(story::Of(story::Id::Saying).word) + " is used but " +
                 MissingLabelMessage(kSayEnd, ": the game jumps there when the sayings end"));
    }
    // The countdown starts with the game; a first passage that stops it (or
    // ends the script) means time never runs out. The game jumps to the start label
    // with the cursor on the first line, which it never compares; without
    // the label the first passage starts at the top.
    const int startIndex = std::min(JumpFrom(0, kStart), static_cast<int>(entries_.size()));
    const int startLine = std::max(1, std::min(startIndex + 1, static_cast<int>(entries_.size())));
    if (!BatchMayKeepClock(startIndex)) return;
    auto gameOver = labels_.find(kGameOver);
    if (gameOver == labels_.end()) {
      Report(startLine, clockStopped_ ? Severity::kWarning : Severity::kError,
             MissingLabelMessage(
                 kGameOver,
                 std::string(clockStopped_
                                 ? ": if the three minutes run out before #stopTimer or #finalize"
                                 : ": nothing stops the countdown, and when it runs out") +
                     ", the game jumps nowhere and advances the story on every tick"));
      return;
    }
    for (const int line : gameOver->second) {
      if (BatchMayKeepClock(line - 1)) {
        Report(line, Severity::kError,
               "the passage after \"" + kGameOver +
                   "\" neither runs #stopTimer nor #finalize: the game replays it on every tick");
      }
    }
  }

  void CheckDuplicateLabels() {
    for (const auto& [label, where] : labels_) {
      if (where.size() > 1) {
        Report(where[1], Severity::kInfo,
               "label " + Show(label) + " also stands on line " + std::to_string(where[0]) +
                   "; a jump takes the first one after the current line, else the first " +
                   "from the top");
      }
    }
  }

  std::vector<Entry> entries_;
  std::map<std::string, std::vector<int>> labels_;  // label -> 1-based lines
  fs::path folder_;
  const Options& options_;
  std::vector<Diagnostic> diagnostics_;
  std::map<fs::path, PictureInfo> pictures_;
  platform::TextRaster text_;
  std::unique_ptr<TGaleBitmap> font_;
  bool fontFailed_ = false;
  std::pair<int, int> textOrigin_{0, 0};  // where the story text starts
  // Places taken of each limit since it was last emptied.
  std::array<std::int32_t, static_cast<std::size_t>(story::Limit::Count)> used_{};
  bool clockStopped_ = false;
  std::optional<int> firstSaying_;
};

}  // namespace

// -------------------------------------------------------------------------------------------------
// 5. Reading a story: the file's bytes to CP932 lines, scrambled or UTF-8
// -------------------------------------------------------------------------------------------------

namespace {

std::string ReadBytes(const fs::path& path) {
  return cli::ReadFile(path);
}

}  // namespace

std::vector<std::string> ReadStoryLines(const fs::path& path, bool plain,
                                        std::vector<Diagnostic>& diagnostics) {
  std::vector<std::string> lines = ReadLines(ReadBytes(path));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int line = static_cast<int>(i) + 1;
    if (!plain) {
      lines[i] = ScrambleLine(lines[i]);
      const std::string& text = lines[i];
      for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos)) {
        const std::string piece = text.substr(pos, CharLength(text, pos));
        if (platform::Cp932ToUtf8(piece).find("\xEF\xBF\xBD") != std::string::npos) {
          diagnostics.push_back({line, Severity::kError,
                                 "bytes that are not CP932 at byte " + std::to_string(pos + 1) +
                                     ": " + QuoteForMessage(piece)});
          break;
        }
      }
      continue;
    }
    // The author's text, read the one way author mode packs it.
    storytext::Cp932Line converted = storytext::LineToCp932(lines[i]);
    if (!converted.firstBad.empty()) {
      const std::string& piece = converted.firstBad;
      const bool wellFormed = piece.size() > 1 || static_cast<unsigned char>(piece[0]) < 0x80;
      diagnostics.push_back({line, Severity::kError,
                             wellFormed ? "\"" + piece + "\" has no CP932 form"
                                        : "bytes that are not UTF-8: " + QuoteForMessage(piece)});
    }
    lines[i] = std::move(converted.text);
  }
  return lines;
}

// -------------------------------------------------------------------------------------------------
// 6. Running the check: data folder, base files, the summary, RunLint
// -------------------------------------------------------------------------------------------------

namespace {

const char* SeverityWord(Severity severity) {
  switch (severity) {
    case Severity::kError:
      return "error";
    case Severity::kWarning:
      return "warning";
    case Severity::kInfo:
      return "info";
  }
  return "error";
}

// The data folder of a story: --data's dat/ (or the folder itself when it
// holds none), else the story's own folder, or for a plain draft the dat/
// beside it when there is one.
fs::path DataFolderOf(const fs::path& story, bool plain,
                      const std::optional<fs::path>& gameFolder) {
  std::error_code ec;
  if (gameFolder) {
    return fs::is_directory(*gameFolder / "dat", ec) ? *gameFolder / "dat" : *gameFolder;
  }
  fs::path folder = story.parent_path();
  if (folder.empty()) folder = ".";
  if (plain && fs::is_directory(folder / "dat", ec)) return folder / "dat";
  return folder;
}

// Lines, labels and pictures of a story, for the summary.
void CountStory(const std::vector<std::string>& lines, Result& result) {
  std::set<std::string> labels;
  std::set<std::string> pictures;
  for (const Entry& entry : storywalk::MakeEntries(lines)) {
    if (entry.kind == Kind::kLabel) labels.insert(entry.words.front());
    if (entry.kind == Kind::kCommand && entry.command->picture && entry.words.size() >= 2) {
      pictures.insert(entry.words[1]);
    }
  }
  result.lines = static_cast<int>(lines.size());
  result.labels = static_cast<int>(labels.size());
  result.pictures = static_cast<int>(pictures.size());
}

std::string Counted(int n, const std::string& one) {
  return std::to_string(n) + " " + one + (n == 1 ? "" : "s");
}

}  // namespace

std::vector<Diagnostic> CheckStory(const std::vector<std::string>& lines, const fs::path& datFolder,
                                   const Options& options) {
  return Checker(lines, datFolder, options).Run();
}

Options MachineOptions() {
  Options options;
  auto text = std::make_shared<platform::TextRaster>();
  options.hasGlyph = [text](char32_t c) {
    try {
      return text->HasGlyph(c);
    } catch (const std::exception&) {
      return true;  // no face to ask; the width check says so
    }
  };
  return options;
}

namespace {

// A story that reads as plain text was most likely given without --plain.
void AddPlainHint(const fs::path& path, std::vector<Diagnostic>& diagnostics) {
  for (const std::string& line : ReadLines(ReadBytes(path))) {
    if (NormaliseWords(line).front() == story::kStartLabel) {
      diagnostics.push_back(
          {1, Severity::kInfo,
           "the file holds \"" + std::string(story::kStartLabel) +
               "\" unscrambled: it looks like plain text; check it with --plain"});
      return;
    }
  }
}

}  // namespace

std::vector<Diagnostic> LintFile(const fs::path& path, bool plain, const Options& options) {
  std::vector<Diagnostic> diagnostics;
  const std::vector<std::string> lines = ReadStoryLines(path, plain, diagnostics);
  fs::path folder = path.parent_path();
  if (folder.empty()) folder = ".";
  std::vector<Diagnostic> found = CheckStory(lines, folder, options);
  diagnostics.insert(diagnostics.end(), found.begin(), found.end());
  if (!plain) AddPlainHint(path, diagnostics);
  std::stable_sort(diagnostics.begin(), diagnostics.end(),
                   [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
  return diagnostics;
}

std::vector<Diagnostic> CheckBaseFiles(const fs::path& dataFolder, bool draft,
                                       const std::string& storyName) {
  std::vector<Diagnostic> missing;
  for (const basefiles::BaseFile& base : basefiles::kBaseFiles) {
    const std::string name(base.name);
    // A draft is packed later; a packed story is the file being checked.
    if (base.packedText && (draft || name == storyName)) continue;
    const Lookup found = FindDataFile(dataFolder, name);
    if (found.found && found.regular) continue;
    missing.push_back({1, Severity::kError,
                       "the base file " + name + " is missing from " + dataFolder.string() + ": " +
                           std::string(base.purpose) +
                           " (\"marigold-dat new\" makes a game with every base file)"});
  }
  return missing;
}

Result LintStory(const fs::path& path, bool plain, const std::optional<fs::path>& gameFolder,
                 const Options& options) {
  Result result;
  result.dataFolder = DataFolderOf(path, plain, gameFolder);
  std::vector<Diagnostic> problems;
  const std::vector<std::string> lines = ReadStoryLines(path, plain, problems);
  CountStory(lines, result);
  result.diagnostics = CheckBaseFiles(result.dataFolder, plain, path.filename().string());
  result.diagnostics.insert(result.diagnostics.end(), problems.begin(), problems.end());
  std::vector<Diagnostic> found = CheckStory(lines, result.dataFolder, options);
  result.diagnostics.insert(result.diagnostics.end(), found.begin(), found.end());
  if (!plain) AddPlainHint(path, result.diagnostics);
  std::stable_sort(result.diagnostics.begin(), result.diagnostics.end(),
                   [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
  return result;
}

std::string Summary(const std::string& file, const Result& result) {
  int errors = 0;
  int warnings = 0;
  for (const Diagnostic& d : result.diagnostics) {
    errors += d.severity == Severity::kError ? 1 : 0;
    warnings += d.severity == Severity::kWarning ? 1 : 0;
  }
  return file + ": " + Counted(errors, "error") + ", " + Counted(warnings, "warning") + "; " +
         Counted(result.lines, "line") + ", " + Counted(result.labels, "label") + ", " +
         Counted(result.pictures, "picture") + "; data folder " + result.dataFolder.string();
}

std::string FormatDiagnostic(const std::string& file, const Diagnostic& diagnostic) {
  return file + ":" + std::to_string(diagnostic.line) + ": " + SeverityWord(diagnostic.severity) +
         ": " + diagnostic.message;
}

int RunLint(const std::string& path, bool plain, const std::optional<fs::path>& gameFolder,
            std::ostream& out) {
  if (gameFolder) cli::RequireFolder(*gameFolder);
  const Result result = LintStory(path, plain, gameFolder, MachineOptions());
  bool failed = false;
  for (const Diagnostic& diagnostic : result.diagnostics) {
    out << FormatDiagnostic(path, diagnostic) << "\n";
    failed = failed || diagnostic.severity == Severity::kError;
  }
  out << Summary(path, result) << "\n";
  return failed ? 1 : 0;
}

}  // namespace lint
