#include "tools/marigold-dat/DatFile.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "game/StoryCommands.h"
#include "platform/Encoding.h"
#include "script/GaleScript.h"
#include "script/MyCrypt.h"

namespace mgdat {
namespace {

// Scrambles each line between LF bytes; the breaks stay as they are.
std::string ScrambleLines(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    out += ScrambleLine(std::string(text.substr(start, end - start)));
    if (end == text.size()) break;
    out += '\n';
    start = end + 1;
  }
  return out;
}

// The code point of the UTF-8 sequence at `pos`, or -1 when it is not UTF-8.
long DecodeAt(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  int extra = 0;
  long cp = 0;
  if (lead < 0x80) return lead;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    cp = lead & 0x07;
  } else {
    return -1;
  }
  if (pos + extra >= text.size()) return -1;
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(text[pos + k]);
    if ((b & 0xC0) != 0x80) return -1;
    cp = (cp << 6) | (b & 0x3F);
  }
  return cp;
}

class TraceHost : public TScriptHost {
 public:
  explicit TraceHost(const FileReader& reader) : reader_(reader) {}
  void Beep() override { ++beeps; }
  void Terminate() override { terminated = true; }
  bool ReadFile(const std::string& path, std::string& bytes) override {
    return reader_(path, bytes);
  }
  int beeps = 0;
  bool terminated = false;

 private:
  const FileReader& reader_;
};

std::string JsonWords(const TWordList& words) {
  std::string out = "[";
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i != 0) out += ',';
    out += JsonString(platform::Cp932ToUtf8(words[i]));
  }
  return out + "]";
}

}  // namespace

std::string PackText(std::string_view utf8) {
  std::string cp932;
  std::size_t bad = 0;
  if (!platform::Utf8ToCp932(utf8, cp932, bad)) {
    int line = 1;
    int column = 1;
    for (std::size_t i = 0; i < bad && i < utf8.size(); ++i) {
      const auto b = static_cast<unsigned char>(utf8[i]);
      if (b == '\n') {
        ++line;
        column = 1;
      } else if ((b & 0xC0) != 0x80) {
        ++column;
      }
    }
    std::string what;
    const long cp = bad < utf8.size() ? DecodeAt(utf8, bad) : -1;
    if (cp < 0) {
      what = "bytes that are not UTF-8";
    } else {
      char code[24];
      std::snprintf(code, sizeof code, "U+%04lX", cp);
      what = std::string(code) + " '" +
             std::string(utf8.substr(bad, cp < 0x80      ? 1
                                          : cp < 0x800   ? 2
                                          : cp < 0x10000 ? 3
                                                         : 4)) +
             "' cannot be written in CP932";
      if (cp == 0xFEFF) what += " (save the file as UTF-8 without a byte order mark)";
    }
    throw PackError(
        "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + what, line,
        column);
  }
  return ScrambleLines(cp932);
}

std::string UnpackText(std::string_view scrambled) {
  return platform::Cp932ToUtf8(ScrambleLines(scrambled));
}

std::string JsonString(std::string_view utf8) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (const char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (b < 0x20) {
          out += "\\u00";
          out += kHex[b >> 4];
          out += kHex[b & 0x0F];
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

TraceResult Trace(const std::string& gameName, const TraceOptions& options, std::ostream& out,
                  const FileReader& reader) {
  TraceResult result;
  TraceHost host(reader);
  TGaleScript script(host, gameName, !options.plain);
  result.beeps = host.beeps;
  if (script.Pages.empty()) return result;
  result.loaded = true;

  std::vector<TWordList> commands;
  TWordList batch;
  script.SetBatchLimit(story::kMaxStoryLines);
  script.SetBatchHandler([&](const TWordList& lines) { batch = lines; });
  for (const story::Command& command : story::kCommands) {
    script.RegisterCommand(std::string(command.word),
                           [&](const TWordList& words) { commands.push_back(words); });
  }
  // A label asked for that the story does not hold would silently start at
  // the top.
  const TScriptUnit& page = *script.Pages.back();
  if (options.labelMustExist && std::find(page.Lines.begin(), page.Lines.begin() + page.Count,
                                          options.label) == page.Lines.begin() + page.Count) {
    throw std::runtime_error("no label '" + platform::Cp932ToUtf8(options.label) +
                             "' in the story");
  }
  script.JumpToLabel(options.label);

  for (std::int64_t n = 1; n <= options.maxDeliveries; ++n) {
    commands.clear();
    batch.clear();
    result.deliveries = n;
    try {
      script.DeliverNext();
    } catch (const std::exception& e) {
      out << "{\"delivery\":" << n << ",\"error\":" << JsonString(e.what()) << "}\n";
      if (script.Ended != 0) break;
      continue;
    }
    out << "{\"delivery\":" << n << ",\"commands\":[";
    for (std::size_t i = 0; i < commands.size(); ++i) {
      if (i != 0) out << ',';
      out << JsonWords(commands[i]);
    }
    out << "],\"batch\":" << JsonWords(batch)
        << ",\"ended\":" << (script.Ended != 0 ? "true" : "false") << "}\n";
    if (script.Ended != 0) break;
  }
  result.ended = script.Ended != 0;
  result.beeps = host.beeps;
  return result;
}

}  // namespace mgdat
