// Shared set-up for the game-logic tests: a headless machine, an application,
// a scratch dat folder with the pictures the bootstrap needs and a story
// written by the test, and the main form made on top of them.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/UnitForm.h"
#include "engine/GaleForm.h"
#include "game/UnitCommon.h"
#include "platform/Encoding.h"
#include "platform/headless/HeadlessPlatform.h"
#include "script/GaleUtility.h"
#include "script/MyCrypt.h"
#include "tests/game/DrawFixture.h"

// CP932 bytes of a UTF-8 text (test texts are always convertible).
inline std::string Sj(const std::string& utf8) {
  std::string out;
  std::size_t bad = 0;
  EXPECT_TRUE(platform::Utf8ToCp932(utf8, out, bad)) << utf8;
  return out;
}

class GameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGameState();
    TGaleBitmap plain;
    plain.Resize(600, 400, Px(200, 200, 200));
    folder.WriteBmp("title.bmp", plain);
    TGaleBitmap strip;
    strip.Resize(300, 40, Px(255, 0, 255));
    folder.WriteBmp("font.bmp", strip);
    TGaleBitmap clock;
    clock.Resize(50, 50, Px(255, 0, 255));
    folder.WriteBmp("sandclock.bmp", clock);
  }

  void TearDown() override {
    form.reset();
    app.reset();
    ResetGameState();
  }

  // Writes dat\<name> from UTF-8 lines, as CP932 scrambled line by line.
  void WriteLines(const std::string& name, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += ScrambleLine(Sj(line)) + "\r\n";
    folder.Write(name, bytes);
  }

  // A story file; a comment line is added at the end, as the last line of a
  // story file is never run.
  void WriteStory(std::vector<std::string> lines) {
    lines.push_back("// end");
    WriteLines("story.dat", lines);
  }

  // The application and its main form. Tests that run the whole program
  // through RunMarigold do not boot: that makes an application of its own.
  void Boot() {
    app = std::make_unique<TApplication>(machine);
    app->Title = kApplicationTitle;
    form = std::make_unique<TFormMain>(*app, 7u);
  }

  // The passage on screen as UTF-8 lines.
  std::vector<std::string> Shown() const {
    std::vector<std::string> v;
    for (int i = 0; i < Game.StoryLineCount; ++i)
      v.push_back(platform::Cp932ToUtf8(Game.StoryLines[i]));
    return v;
  }

  // Runs a command line through the story's own command table.
  void Command(const std::vector<std::string>& words) {
    for (const auto& c : Game.StoryScript->Commands) {
      if (SameTextIgnoringCase(c.Name, words.at(0))) {
        c.ArgsHandler(words);
        return;
      }
    }
    FAIL() << "no command " << words.at(0);
  }

  std::vector<platform::AudioCall> SoundCalls() { return machine.RecordedSound().calls; }

  platform::HeadlessPlatform machine;
  std::unique_ptr<TApplication> app;
  ScopedDataFolder folder{machine};
  std::unique_ptr<TFormMain> form;
};
