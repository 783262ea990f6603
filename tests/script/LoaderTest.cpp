#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/GaleScript.h"
#include "script/MyCrypt.h"
#include "testing/FakeHost.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kWideSpace = "\x81\x40";
const std::string kSmallA = "\x83\x40";  // ァ: second byte "@"

// Entries 0 .. Count-1 of the current page.
Lines Entries(const TGaleScript& script) {
  const TScriptUnit& page = *script.Pages.back();
  return Lines(page.Lines.begin(), page.Lines.begin() + page.Count);
}

TEST(NormaliseWords, FoldsBlanksAndTrims) {
  EXPECT_EQ(NormaliseWords(kWideSpace + "#image\tpic.bmp   x "), (Lines{"#image", "pic.bmp", "x"}));
  EXPECT_EQ(NormaliseWords(""), (Lines{""}));
  EXPECT_EQ(NormaliseWords(" \t" + kWideSpace + "  "), (Lines{""}));
  EXPECT_EQ(NormaliseWords("a" + kWideSpace + kWideSpace + "b"), (Lines{"a", "b"}));
  // Control bytes at the ends go, inner ones stay part of a word.
  EXPECT_EQ(NormaliseWords("\x01"
                           "a\x02"
                           "b\x03"),
            (Lines{"a\x02"
                   "b"}));
  // The full-width space is found character-aware: 81 40 inside 83 81 40 ...
  // cannot occur, but ァ (83 40) followed by "@" must not become a space.
  EXPECT_EQ(NormaliseWords(kSmallA + "@"), (Lines{kSmallA + "@"}));
}

TEST(StoredEntry, LabelsAloneAndOtherLinesUpToTheirComment) {
  const struct {
    std::string line, stored;
  } cases[] = {
      {"@a", "@a"},
      {"@a b // note", "@a"},
      {" \t" + kWideSpace + "@a  b", "@a"},  // blanks before a label go
      {"\x01@a", "@a"},                      // so do control bytes
      {"x @a", "x @a"},                      // "@" not first: a story line
      {kSmallA + "a", kSmallA + "a"},        // "@" second byte of ァ
      {kWideSpace + kSmallA, kWideSpace + kSmallA},
      {"text // note", "text "},  // other lines keep their blanks
      {"  ", "  "},
      {"// only a note", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(StoredEntry(c.line), c.stored) << c.line;
}

TEST(IsLabel, SingleByteAtOnly) {
  EXPECT_TRUE(IsLabel("@start", 1));
  EXPECT_FALSE(IsLabel("start", 1));
  EXPECT_FALSE(IsLabel("", 1));
  EXPECT_FALSE(IsLabel(kSmallA, 2));  // the "@" is the second byte of ァ
  EXPECT_TRUE(IsLabel(kSmallA + "@", 3));
  EXPECT_FALSE(IsLabel("@", 0));
  EXPECT_FALSE(IsLabel("@", 2));
}

TEST(LoadFile, CommentsAndLabels) {
  FakeHost host;
  host.files["s"] =
      "@start   // the beginning\n"
      "\t@start more words\n"
      "hello // greeting\n"
      "   // only blanks before\n"
      "// whole line\n"
      "x" +
      kSmallA +
      "//y\n"
      "@" +
      kSmallA +
      " tail\n"
      "  \t  \n"
      "last\n";
  TGaleScript script(host, "s", false);
  ASSERT_EQ(script.Pages.size(), 1u);
  EXPECT_EQ(Entries(script), (Lines{"@start", "@start", "hello ", "   ", "", "x" + kSmallA,
                                    "@" + kSmallA, "  \t  ", "last", "last"}));
  EXPECT_EQ(script.Pages.back()->Count, 10);
  EXPECT_EQ(script.Pages.back()->Cursor, 0);
  EXPECT_EQ(host.beeps, 0);
}

TEST(LoadFile, RepeatsTheLastLine) {
  FakeHost host;
  host.files["abc"] = "a\nb\nc\n";
  host.files["empty"] = "";
  TGaleScript script(host, "abc", false);
  EXPECT_EQ(Entries(script), (Lines{"a", "b", "c", "c"}));
  TGaleScript empty(host, "empty", false);
  EXPECT_EQ(Entries(empty), (Lines{""}));
}

TEST(LoadFile, LineBreakStylesReadTheSame) {
  FakeHost host;
  host.files["lf"] = "a\nb\n";
  host.files["crlf"] = "a\r\nb\r\n";
  host.files["open"] = "a\r\nb";
  for (const char* name : {"lf", "crlf", "open"}) {
    TGaleScript script(host, name, false);
    EXPECT_EQ(Entries(script), (Lines{"a", "b", "b"})) << name;
  }
}

TEST(LoadFile, UnscramblesBeforeCuttingComments) {
  FakeHost host;
  // Scrambled per line; the breaks stay as written.
  host.files["s"] = ScrambleLine("@start // c") + "\r\n" + ScrambleLine("\ttext//x") + "\r\n";
  TGaleScript script(host, "s", true);
  EXPECT_EQ(Entries(script), (Lines{"@start", "\ttext", "\ttext"}));
  // The same bytes read as plain text are left alone (no "//" to cut).
  TGaleScript plain(host, "s", false);
  EXPECT_EQ(Entries(plain)[0], ScrambleLine("@start // c"));
}

TEST(LoadFile, MissingFileBeepsAndAddsNoPage) {
  FakeHost host;
  TGaleScript script(host, "nothing", false);
  EXPECT_TRUE(script.Pages.empty());
  EXPECT_EQ(host.beeps, 1);
  host.files["s"] = "a\n";
  EXPECT_TRUE(script.LoadFile("s", false));
  EXPECT_FALSE(script.LoadFile("nothing", false));
  EXPECT_EQ(host.beeps, 2);
  EXPECT_EQ(script.Pages.size(), 1u);
}

TEST(LoadFile, UnreadableFileRaisesWithoutAPage) {
  FakeHost host;
  host.unreadable.insert("bad");
  EXPECT_THROW(TGaleScript(host, "bad", false), std::runtime_error);
  host.files["ok"] = "x\n";
  TGaleScript script(host, "ok", false);
  EXPECT_THROW(script.LoadFile("bad", false), std::runtime_error);
  EXPECT_EQ(script.Pages.size(), 1u);
  EXPECT_EQ(host.beeps, 0);
}

TEST(LoadFile, EachLoadAppendsAPageAndTheLastOneIsCurrent) {
  FakeHost host;
  host.files["one"] = "a\n";
  host.files["two"] = "b\nc\n";
  TGaleScript script(host, "one", false);
  ASSERT_TRUE(script.LoadFile("two", false));
  ASSERT_EQ(script.Pages.size(), 2u);
  EXPECT_EQ(Entries(script), (Lines{"b", "c", "c"}));
}

std::string NumberedLines(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += "line " + std::to_string(i) + "\n";
  return text;
}

TEST(LoadFile, PageLimit) {
  FakeHost host;
  host.files["9999"] = NumberedLines(9999);
  host.files["dat\\long.dat"] = NumberedLines(10000);
  TGaleScript fits(host, "9999", false);
  EXPECT_EQ(fits.Pages.back()->Count, 10000);
  EXPECT_EQ(fits.Pages.back()->Lines.back(), "line 9998");

  TGaleScript script(host, "9999", false);
  try {
    script.LoadFile("dat\\long.dat", false);
    FAIL() << "a file of 10000 lines must not fit";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("dat\\long.dat"), std::string::npos) << e.what();
  }
  // The entries stored so far stay, and nothing lies beyond the page.
  const TScriptUnit& page = *script.Pages.back();
  EXPECT_EQ(page.Count, TScriptUnit::kCapacity);
  EXPECT_EQ(page.Lines.size(), static_cast<std::size_t>(TScriptUnit::kCapacity));
  EXPECT_EQ(page.Lines.back(), "line 9999");
}

TEST(LoadSayings, KeepsLinesAsTheyAre) {
  FakeHost host;
  host.files["say"] =
      ScrambleLine("one // not a comment") + "\n\n" + ScrambleLine("  three") + "\n";
  Lines list{"earlier"};
  EXPECT_TRUE(LoadSayings(host, "say", list, true));
  EXPECT_EQ(list, (Lines{"earlier", "one // not a comment", "", "  three"}));
  EXPECT_EQ(host.beeps, 0);
}

TEST(LoadSayings, FailuresAreAbsorbed) {
  FakeHost host;
  host.unreadable.insert("bad");
  Lines list;
  EXPECT_FALSE(LoadSayings(host, "missing", list, true));
  EXPECT_FALSE(LoadSayings(host, "bad", list, true));
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(host.beeps, 0);
}

}  // namespace
