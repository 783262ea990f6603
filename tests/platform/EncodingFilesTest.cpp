#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/Encoding.h"
#include "platform/Files.h"

namespace {

namespace fs = std::filesystem;

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

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    dir_ = fs::temp_directory_path() / ("platform_files_" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(old_);
    fs::remove_all(dir_);
  }
  fs::path old_, dir_;
};

TEST_F(Files, SecondByte5CSurvivesAndCaseIsFolded) {
  fs::create_directories("Dat/ソ表");
  std::ofstream("Dat/ソ表/Story.DAT") << "abc";
  // 表 is 0x95 0x5C: its second byte must not become a slash.
  const std::string name = "dat\\\x83\x5C\x95\x5C\\story.dat";
  EXPECT_EQ(platform::NativePath(name), "Dat/ソ表/Story.DAT");
  EXPECT_TRUE(platform::FileExists(name));
  std::string bytes;
  ASSERT_TRUE(platform::ReadWholeFile(name, bytes));
  EXPECT_EQ(bytes, "abc");
  // Exact names are taken as they are; missing ones come back converted.
  EXPECT_EQ(platform::NativePath("Dat\\\x83\x5C\x95\x5C"), "Dat/ソ表");
  EXPECT_EQ(platform::NativePath("dat\\none.dat"), "dat/none.dat");
  EXPECT_FALSE(platform::FileExists("dat\\none.dat"));
  EXPECT_FALSE(platform::ReadWholeFile("dat\\none.dat", bytes));
  EXPECT_FALSE(platform::FileExists("dat"));  // a folder is no file
}

}  // namespace
