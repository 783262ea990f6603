#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Encoding.h"
#include "platform/Files.h"
#include "tests/support/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;

using testsupport::FromUtf8;

#ifdef _WIN32
constexpr bool kByteNames = false;  // UTF-16 names, letters compared folded
#else
constexpr bool kByteNames = true;  // names are bytes, compared as they are
#endif

TEST(Encoding, WindowsCp932CharactersDecodeToTheirCodePoints) {
  struct Case {
    const char* bytes;
    char32_t code;
  } cases[] = {
      {"\x87\x40", U'\u2460'},                       // ① NEC special row
      {"\x87\x54", U'\u2160'},                       // Ⅰ
      {"\x87\x82", U'\u2116'},                       // №
      {"\x81\x60", U'\uFF5E'},                       // ～ (fullwidth tilde, not the wave dash)
      {"\x81\x61", U'\u2225'},                       // ∥
      {"\x81\x7C", U'\uFF0D'},                       // －
      {"\x81\xCA", U'\uFFE2'},                       // ￢
      {"\x81\x91", U'\uFFE0'},                       // ￠
      {"\xED\x40", U'\u7E8A'},                       // 纊 NEC-selected IBM extension
      {"\xFA\x40", U'\u2170'},                       // ⅰ IBM extension
      {"\xFA\x5C", U'\u7E8A'},                       // IBM extension with 0x5C as second byte
      {"\x83\x5C", U'\u30BD'},                       // ソ
      {"\x5C", U'\\'},                               // backslash, not the yen sign
      {"\x7E", U'~'},          {"\xB1", U'\uFF71'},  // half-width ｱ
  };
  for (const Case& c : cases) {
    std::u32string s = platform::Cp932ToUtf32(c.bytes);
    ASSERT_EQ(s.size(), 1u) << c.bytes;
    EXPECT_EQ(static_cast<std::uint32_t>(s[0]), static_cast<std::uint32_t>(c.code))
        << std::hex << static_cast<std::uint32_t>(static_cast<unsigned char>(c.bytes[0]));
  }
}

TEST(Encoding, BadBytesSkippedOrReplacedAndRoundTrip) {
  EXPECT_EQ(platform::Cp932ToUtf32("A\xFF"
                                   "B\x81"),
            U"AB");
  EXPECT_EQ(platform::Cp932ToUtf8("A\xFF"
                                  "B"),
            "A\xEF\xBF\xBD"
            "B");
  EXPECT_EQ(platform::Cp932ToUtf8("\x89\x8B\x82\xCC\x92\xEB"), "焔の庭");
  std::string out;
  std::size_t bad = 99;
  ASSERT_TRUE(platform::Utf8ToCp932("①～ソ\\", out, bad));
  EXPECT_EQ(out, "\x87\x40\x81\x60\x83\x5C\x5C");
  EXPECT_FALSE(platform::Utf8ToCp932("ab\xF0\x9F\x98\x80", out, bad));  // an emoji
  EXPECT_EQ(bad, 2u);
  EXPECT_FALSE(platform::Utf8ToCp932("x\xC3", out, bad));
  EXPECT_EQ(bad, 1u);
}

// The cases where the system conversions of Linux (iconv) and Windows (code
// page 932) would part ways unless handled: both builds give these results.
TEST(Encoding, EdgeCasesAgreeOnEverySystem) {
  struct Decode {
    const char* bytes;
    std::u32string code;  // what Cp932ToUtf32 gives
    const char* utf8;     // what Cp932ToUtf8 gives
  } decodes[] = {
      {"\x80", U"", "\xEF\xBF\xBD"},  // no character, though Windows has one
      {"a\x80z", U"az",
       "a\xEF\xBF\xBD"
       "z"},
      {"\xA0\xFD\xFE", U"", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"\x81\x7F", U"\x7F", "\xEF\xBF\xBD\x7F"},  // a bad second byte: only the first goes
      {"\x85\x40", U"\x40", "\xEF\xBF\xBD\x40"},  // an empty row of the table
      {"\xF0\x40", U"\uE000", "\xEE\x80\x80"},    // the user-defined area
      {"\x83\x5C\x80\x83\x5C", U"\u30BD\u30BD", "ソ\xEF\xBF\xBDソ"},
  };
  for (const Decode& d : decodes) {
    EXPECT_EQ(platform::Cp932ToUtf32(d.bytes), d.code) << d.utf8;
    EXPECT_EQ(platform::Cp932ToUtf8(d.bytes), d.utf8);
  }
  struct Encode {
    const char* utf8;
    bool ok;
    const char* cp932;  // when ok
    std::size_t badAt;  // when not
  } encodes[] = {
      {"\xC2\x80", false, "", 0},  // U+0080: Windows would write byte 0x80
      {"a¥b", true,
       "a\x5C"
       "b",
       0},  // look-alikes iconv writes as their twins
      {"〜", true, "\x81\x60", 0},
      {"—‖−¢£¬‾", true, "\x81\x5C\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA\x7E", 0},
      {"x\xF3\xA0\x80\x81y", true, "xy", 0},           // a language tag is written as nothing
      {"é", false, "", 0},                             // no best-fit "e"
      {"ab\xED\xA0\x80", false, "", 2},                // an encoded surrogate
      {"a\xC0\xAF", false, "", 1},                     // an overlong '/'
      {"\xE3\x81\x82\xF4\x90\x80\x80", false, "", 3},  // beyond U+10FFFF
  };
  for (const Encode& e : encodes) {
    std::string out;
    std::size_t bad = 99;
    ASSERT_EQ(platform::Utf8ToCp932(e.utf8, out, bad), e.ok) << e.utf8;
    if (e.ok) {
      EXPECT_EQ(out, e.cp932) << e.utf8;
    } else {
      EXPECT_EQ(bad, e.badAt) << e.utf8;
    }
  }
}

// The one lookup, table-driven: each case makes its files in a fresh data
// folder (names given as the bytes on disk; a trailing '/' makes a folder)
// and looks one game name up.
TEST(GameFileLookup, RulesInOrderFirstMatchWins) {
  using platform::FoundBy;
  struct Case {
    const char* what;
    std::vector<std::string> disk;
    std::string name;  // CP932, as the story writes it
    std::optional<std::string> spelling;
    FoundBy rule;
    bool regular;
    // Needs names that are bytes compared as they are: Windows folds
    // letters itself and holds no CP932 bytes as a name.
    bool byteNames = false;
  } cases[] = {
      {"exact", {"dat/story.dat"}, "dat\\story.dat", "dat/story.dat", FoundBy::kExact, true},
      {"exact before folded",
       {"dat/x.bmp", "dat/X.bmp"},
       "dat\\X.bmp",
       "dat/X.bmp",
       FoundBy::kExact,
       true,
       true},
      // 表 is 0x95 0x5C: its second byte is no separator.
      {"ASCII case, second byte 5C",
       {"Dat/ソ表/Story.DAT"},
       "dat\\\x83\x5C\x95\x5C\\story.dat",
       "Dat/ソ表/Story.DAT",
       FoundBy::kFoldedCase,
       true,
       true},
      {"full-width case",
       {"dat/ｅｍｂｅｒ.bmp"},
       "dat\\\x82\x64\x82\x6C\x82\x61\x82\x64\x82\x71.bmp",
       "dat/ｅｍｂｅｒ.bmp",
       FoundBy::kFoldedCase,
       true,
       true},
      {"several folded matches: byte order",
       {"dat/a.BMP", "dat/A.bmp"},
       "dat\\A.BMP",
       "dat/A.bmp",
       FoundBy::kFoldedCase,
       true,
       true},
      {"raw CP932 name",
       {"dat/\x92\xEB\x82\xCC\x8A\x47.bmp"},
       "dat\\\x92\xEB\x82\xCC\x8A\x47.bmp",
       "dat/\x92\xEB\x82\xCC\x8A\x47.bmp",
       FoundBy::kRawCp932,
       true,
       true},
      {"raw CP932 name in another case",
       {"DAT/\x82\x64\x82\x6C.BMP"},
       "dat\\\x82\x85\x82\x8D.bmp",
       "DAT/\x82\x64\x82\x6C.BMP",
       FoundBy::kRawCp932Folded,
       true,
       true},
      {"converted name before raw",
       {"dat/庭.bmp", "dat/\x92\xEB.bmp"},
       "dat\\\x92\xEB.bmp",
       "dat/庭.bmp",
       FoundBy::kExact,
       true,
       true},
      {"a folder is found but is no file",
       {"dat/story.dat/"},
       "dat\\story.dat",
       "dat/story.dat",
       FoundBy::kExact,
       false},
      {"missing", {"dat/other.dat"}, "dat\\none.dat", std::nullopt, FoundBy::kExact, false},
  };
  for (const Case& c : cases) {
    if (c.byteNames && !kByteNames) continue;
    testsupport::ScratchFolder root;
    for (const std::string& file : c.disk) {
      if (file.back() == '/') {
        fs::create_directories(root / FromUtf8(file));
      } else {
        root.Write(FromUtf8(file), "bytes of " + file);
      }
    }
    const auto found = platform::FindGameFile(platform::Utf8Path(root.path()), c.name);
    ASSERT_EQ(found.has_value(), c.spelling.has_value()) << c.what;
    if (!found) continue;
    EXPECT_EQ(found->spelling, *c.spelling) << c.what;
    EXPECT_TRUE(fs::equivalent(platform::NativePath(found->path), root / FromUtf8(*c.spelling)))
        << c.what;
    EXPECT_EQ(found->rule, c.rule) << c.what;
    EXPECT_EQ(found->regular, c.regular) << c.what;
  }
}

TEST(GameFileLookup, ReadingGivesBytesFalseOrTheCannotOpenMessage) {
  testsupport::ScratchFolder root;
  root.Write("Dat/Story.DAT", "abc");
  fs::create_directories(root / "Dat/pic.bmp");
  std::string bytes;
  ASSERT_TRUE(platform::ReadGameFile(root.path().string(), "dat\\story.dat", bytes));
  EXPECT_EQ(bytes, "abc");
  EXPECT_FALSE(platform::ReadGameFile(root.path().string(), "dat\\none.dat", bytes));
  try {
    platform::ReadGameFile(root.path().string(), "Dat\\pic.bmp", bytes);
    ADD_FAILURE() << "a folder was read";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "ファイル Dat\\pic.bmp は開けません");
  }
}

// A game folder and a story file with Japanese names: found under their
// UTF-16 names on Windows, their UTF-8 bytes on Linux, and read.
TEST(GameFileLookup, JapaneseFolderAndFileNamesOpen) {
  testsupport::ScratchFolder root;
  const fs::path game = root / FromUtf8("焔の庭");
  root.Write(FromUtf8("焔の庭/dat/物語.dat"), "story bytes");
  const std::string folder = platform::Utf8Path(game);
  EXPECT_EQ(folder.substr(folder.size() - 9), "焔の庭");

  std::string bytes;
  // "dat\物語.dat" as the story names it, in CP932.
  ASSERT_TRUE(platform::ReadGameFile(folder, "dat\\\x95\xA8\x8C\xEA.dat", bytes));
  EXPECT_EQ(bytes, "story bytes");
  const auto found = platform::FindGameFile(folder, "dat\\\x95\xA8\x8C\xEA.dat");
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->rule, platform::FoundBy::kExact);
  EXPECT_EQ(found->spelling, "dat/物語.dat");
  bytes.clear();
  ASSERT_TRUE(platform::ReadNativeFile(found->path, bytes));
  EXPECT_EQ(bytes, "story bytes");
  EXPECT_TRUE(fs::is_regular_file(platform::NativePath(folder + "/dat/物語.dat")));
}

}  // namespace
