#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/GaleScript.h"
#include "testing/FakeHost.h"

namespace {

using Lines = std::vector<std::string>;

// A batch-mode story over an in-memory file, with the batches and the
// commands it runs recorded.
struct Story {
  explicit Story(const std::string& text, std::int32_t limit = 10) {
    host.files["story"] = text;
    script = std::make_unique<TGaleScript>(host, "story", false);
    script->SetBatchLimit(limit);
    script->SetBatchHandler([this](const TWordList& lines) { batches.push_back(lines); });
  }
  void Record(const std::string& name) {
    script->RegisterCommand(name, [this](const TWordList& words) { commands.push_back(words); });
  }
  Lines Deliver() {
    script->DeliverNext();
    return batches.back();
  }
  std::int32_t Cursor() const { return script->Pages.back()->Cursor; }

  FakeHost host;
  std::unique_ptr<TGaleScript> script;
  std::vector<Lines> batches;
  std::vector<TWordList> commands;
};

std::string Numbered(int from, int to) {
  std::string text;
  for (int i = from; i <= to; ++i) text += "t" + std::to_string(i) + "\n";
  return text;
}

Lines NumberedLines(int from, int to) {
  Lines lines;
  for (int i = from; i <= to; ++i) lines.push_back("t" + std::to_string(i));
  return lines;
}

TEST(Interpreter, TheEightLineExample) {
  Story story("@start\n#midi theme.mid\nFirst line\nSecond line\n\nThird line\n#end\n\n");
  story.Record("#midi");
  EXPECT_EQ(story.script->Pages.back()->Count, 9);
  story.script->JumpToLabel("@start");
  EXPECT_EQ(story.Cursor(), 0);
  EXPECT_EQ(story.Deliver(), (Lines{"First line", "Second line"}));
  EXPECT_EQ(story.commands, (std::vector<TWordList>{{"#midi", "theme.mid"}}));
  EXPECT_EQ(story.Cursor(), 5);
  EXPECT_EQ(story.host.terminates, 0);
  EXPECT_EQ(story.Deliver(), (Lines{"Third line", ""}));
  EXPECT_EQ(story.script->Ended, 1);
  EXPECT_EQ(story.host.terminates, 1);
  EXPECT_EQ(story.Cursor(), 7);
  EXPECT_EQ(story.Deliver(), Lines{});
  EXPECT_EQ(story.host.terminates, 1);
}

TEST(Interpreter, BatchLimitSplitsARunOfLines) {
  Story story(Numbered(1, 25) + "@next\nafter\nend\n");
  EXPECT_EQ(story.Deliver(), NumberedLines(1, 10));
  EXPECT_EQ(story.Deliver(), NumberedLines(11, 20));
  EXPECT_EQ(story.Deliver(), NumberedLines(21, 25));
  EXPECT_EQ(story.Deliver(), (Lines{"after", ""}));  // "end" is the last line: never shown
  EXPECT_EQ(story.script->Ended, 1);
}

TEST(Interpreter, BlanksAndLabelsAfterABatchArePassedOver) {
  Story story("a\nb\n\n\n@x\n//c\n@y\nc\n\nd\nend\n", 2);
  EXPECT_EQ(story.Deliver(), (Lines{"a", "b"}));
  EXPECT_EQ(story.Deliver(), (Lines{"c"}));
  EXPECT_EQ(story.Deliver(), (Lines{"d", ""}));
}

TEST(Interpreter, CommandsRunDuringGatheringAndDoNotCount) {
  Story story("a\n  #wave x.wav // sound\nb\n\t#WAVE y.wav\n\x81\x40#Wave z\nc\nd\nend\n", 3);
  std::vector<std::size_t> batchesSeen;
  story.script->RegisterCommand("#wave", [&](const TWordList& words) {
    story.commands.push_back(words);
    batchesSeen.push_back(story.batches.size());
  });
  EXPECT_EQ(story.Deliver(), (Lines{"a", "b", "c"}));
  EXPECT_EQ(story.commands,
            (std::vector<TWordList>{{"#wave", "x.wav"}, {"#WAVE", "y.wav"}, {"#Wave", "z"}}));
  EXPECT_EQ(batchesSeen, (std::vector<std::size_t>{0, 0, 0}));
}

TEST(Interpreter, UnknownHashWordsAreText) {
  Story story("#nothing here\n  indented\tand tabbed // cut\nend\n");
  EXPECT_EQ(story.Deliver(), (Lines{"#nothing here", "  indented\tand tabbed ", ""}));
}

TEST(Interpreter, FirstRegisteredCommandWins) {
  Story story("#x 1\nend\n");
  int second = 0;
  story.Record("#x");
  story.script->RegisterCommand("#X", [&](const TWordList&) { ++second; });
  story.Deliver();
  EXPECT_EQ(story.commands.size(), 1u);
  EXPECT_EQ(second, 0);
}

TEST(Interpreter, EndInAnyCase) {
  for (const char* end : {"#end", "#END", "#eNd trailing words", "\t#End // c"}) {
    Story story(std::string("a\n") + end + "\nb\nc\n");
    EXPECT_EQ(story.Deliver(), (Lines{"a", ""})) << end;
    EXPECT_EQ(story.host.terminates, 1) << end;
  }
}

TEST(Interpreter, GotoFollowsLabels) {
  Story story("a\n#goto @far\nskipped\n@far\nb\n#goto nolabel\nc\n#goto @missing\nd\nend\n");
  EXPECT_EQ(story.Deliver(), (Lines{"a"}));  // the jump lands on the label: the batch ends
  EXPECT_EQ(story.Deliver(), (Lines{"b", "c", "d", ""}));
}

TEST(Interpreter, GotoAtTheStartOfABatchContinuesAfterTheLabel) {
  Story story("@top\nx\n\n#goto @top\nend\n");
  story.script->JumpToLabel("@top");  // the cursor already stands there
  EXPECT_EQ(story.Deliver(), (Lines{"x"}));
  EXPECT_EQ(story.Deliver(), (Lines{"x"}));  // wrapped back to the top
  EXPECT_EQ(story.Deliver(), (Lines{"x"}));
}

TEST(Interpreter, GotoWithoutAWordRaisesShowingTheLine) {
  Story story("a\n  #goto   // nowhere\nb\nend\n");
  try {
    story.script->DeliverNext();
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("#goto"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(story.batches.empty());
}

TEST(Interpreter, JumpPicksTheFirstOccurrenceAfterTheCursorElseFromTheTop) {
  Story story("@L\none\n@L\ntwo\n@l\nthree\nend\n");
  story.script->Pages.back()->Cursor = 1;
  story.script->JumpToLabel("@L");
  EXPECT_EQ(story.Cursor(), 2);
  story.script->JumpToLabel("@L");  // entry 2 itself is never compared: wraps to 0
  EXPECT_EQ(story.Cursor(), 0);
  story.script->JumpToLabel("@l");  // letter case is significant
  EXPECT_EQ(story.Cursor(), 4);
  story.script->JumpToLabel("@nowhere");
  EXPECT_EQ(story.Cursor(), 4);
  story.script->JumpToLabel("L");  // not a label at all
  EXPECT_EQ(story.Cursor(), 4);
  EXPECT_EQ(story.Deliver(), (Lines{"three", ""}));
}

TEST(Interpreter, HandlerMayJumpMidBatch) {
  Story story("a\n#choose\nb\n@target\nc\nend\n");
  story.script->RegisterCommand("#choose",
                                [&](const TWordList&) { story.script->JumpToLabel("@target"); });
  EXPECT_EQ(story.Deliver(), (Lines{"a"}));
  EXPECT_EQ(story.Deliver(), (Lines{"c", ""}));
}

TEST(Interpreter, TheLastLineIsNeverInterpreted) {
  Story story("text\n#midi last.mid\n");
  story.Record("#midi");
  EXPECT_EQ(story.Deliver(), (Lines{"text", ""}));
  EXPECT_TRUE(story.commands.empty());

  Story one("only line\n");
  EXPECT_EQ(one.Deliver(), (Lines{""}));
  EXPECT_EQ(one.host.terminates, 1);
  EXPECT_EQ(one.Deliver(), Lines{});

  Story empty("");
  EXPECT_EQ(empty.Deliver(), (Lines{""}));
  EXPECT_EQ(empty.script->Ended, 1);
}

TEST(Interpreter, JumpToTheRepeatedLastLabelEndsTheScript) {
  Story story("a\n\n@tail\n");
  story.script->JumpToLabel("@tail");
  EXPECT_EQ(story.Cursor(), 2);
  story.script->JumpToLabel("@tail");  // the repeat at entry 3
  EXPECT_EQ(story.Cursor(), 3);
  EXPECT_EQ(story.Deliver(), (Lines{""}));
  EXPECT_EQ(story.script->Ended, 1);
}

TEST(Interpreter, ErrorMidBatchCarriesTheCountOver) {
  Story story("a\nb\n#fail\nc\nd\ne\nend\n", 4);
  int calls = 0;
  story.script->RegisterCommand("#fail", [&](const TWordList&) {
    ++calls;
    throw std::runtime_error("boom");
  });
  EXPECT_THROW(story.script->DeliverNext(), std::runtime_error);
  EXPECT_TRUE(story.batches.empty());
  EXPECT_EQ(story.script->LineCount, 2);
  EXPECT_EQ(story.script->BlockBreak, 0);
  EXPECT_EQ(story.Cursor(), 3);
  // Two lines already counted: the next batch holds at most 4 - 2.
  EXPECT_EQ(story.Deliver(), (Lines{"c", "d"}));
  EXPECT_EQ(story.Deliver(), (Lines{"e", ""}));
  EXPECT_EQ(calls, 1);
}

TEST(Interpreter, LimitZeroHandsOverEmptyBatchesWithoutMoving) {
  Story story("a\nb\n", 0);
  EXPECT_EQ(story.Deliver(), Lines{});
  EXPECT_EQ(story.Deliver(), Lines{});
  EXPECT_EQ(story.Cursor(), 0);
  EXPECT_EQ(story.script->Ended, 0);
}

TEST(Interpreter, MissingFileBehavesAsEnded) {
  FakeHost host;
  TGaleScript script(host, "absent", false);
  EXPECT_EQ(host.beeps, 1);
  script.SetBatchLimit(10);
  int deliveries = 0;
  script.SetBatchHandler([&](const TWordList& lines) {
    ++deliveries;
    EXPECT_TRUE(lines.empty());
  });
  script.JumpToLabel("@start");
  script.DeliverNext();
  script.DeliverNext();
  EXPECT_EQ(deliveries, 2);
  EXPECT_TRUE(script.IsAtEnd());
  EXPECT_EQ(script.NextEntry(), "");

  TGaleScript single(host, "absent", false);
  single.SetBatchLimit(10);
  Lines got;
  single.LineHandler = [&](const std::string& line) { got.push_back(line); };
  single.DeliverNext();
  EXPECT_EQ(got, (Lines{""}));
}

TEST(Interpreter, CursorOutsideThePageRaises) {
  Story story("a\nb\n");
  story.script->Pages.back()->Cursor = 3;
  EXPECT_THROW(story.script->NextEntry(), std::out_of_range);
  story.script->Pages.back()->Cursor = -1;
  EXPECT_THROW(story.script->NextEntry(), std::out_of_range);
}

// Single-line mode: one text line per delivery, the block end reported
// before the first line of the next block.
struct SingleStory {
  SingleStory(const std::string& text, std::int32_t limit) {
    host.files["story"] = text;
    script = std::make_unique<TGaleScript>(host, "story", false);
    script->SetBatchLimit(limit);
    script->LineHandler = [this](const std::string& line) { events.push_back(line); };
    script->BlockEndHandler = [this] { events.push_back("<end of block>"); };
  }
  FakeHost host;
  std::unique_ptr<TGaleScript> script;
  Lines events;
};

TEST(SingleLineMode, OneLinePerDeliveryWithBlockEnds) {
  SingleStory story("a\nb\nc\n\n@x\nd\n#cmd\ne\nend\n", 2);
  story.script->RegisterCommand("#cmd", [&](const TWordList&) { story.events.push_back("cmd"); });
  for (int i = 0; i < 7; ++i) story.script->DeliverNext();
  EXPECT_EQ(story.events, (Lines{"a", "b", "<end of block>", "c", "<end of block>", "d", "cmd", "e",
                                 "<end of block>", "", ""}));
  EXPECT_EQ(story.host.terminates, 1);
}

TEST(SingleLineMode, LimitZeroTakesNothingAndDoesNotHang) {
  SingleStory story("a\nb\n", 0);
  story.script->DeliverNext();
  story.script->DeliverNext();
  EXPECT_EQ(story.events, (Lines{"", ""}));
  EXPECT_EQ(story.script->Pages.back()->Cursor, 0);
}

}  // namespace
