// Author mode on the headless machine: the passage lines it reports, the
// caption, and F5 packing a changed story before reloading it.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "app/Author.h"
#include "tests/game/GameFixture.h"

namespace {

namespace fs = std::filesystem;

class AuthorTest : public GameTest {
 protected:
  // The game folder: the one that holds dat/.
  std::string GameFolder() const {
    return folder.Path("story.dat").parent_path().parent_path().string();
  }

  // Writes a text beside dat/.
  void WriteText(const std::string& name, const std::string& utf8) {
    const fs::path path = fs::path(GameFolder()) / name;
    std::ofstream(path, std::ios::binary) << utf8;
    // Newer than anything packed before, whatever the file system's clock grain.
    fs::last_write_time(path, fs::file_time_type::clock::now() + std::chrono::seconds(2));
  }

  // The lines logged since the last call.
  std::string Logged() {
    std::string text = log.str();
    log.str("");
    return text;
  }

  std::ostringstream log;
};

TEST_F(AuthorTest, PassagesNameTheirLineAndF5PacksAndReloads) {
  WriteStory({"@start", "#stopTimer", "first", "", "@next", "second", "", "#end"});
  Boot();
  TAuthorMode mode(log, GameFolder());
  mode.Attach(*app, *form);
  StartMain();
  EXPECT_EQ(Logged(), "marigold: dat/story.dat:3: passage\n");
  AdvanceStory();
  EXPECT_EQ(Logged(), "marigold: dat/story.dat:6: passage\n");
  EXPECT_EQ(machine.Caption(), std::string(kApplicationTitle) + " \xE2\x80\x94 @next");

  // An edited story.txt is packed and the story goes back to "@next".
  WriteText("story.txt", "@start\n#stopTimer\nfirst\n\n@next\n// added\nsecond, edited\n\n#end\n");
  form->HandleEvent(platform::Event{platform::Event::Kind::Key, {}, 0, 0, kReloadKey, false, 0});
  EXPECT_EQ(Logged(),
            "marigold: packed story.txt into dat/story.dat\n"
            "marigold: reloaded; back to @next\n"
            "marigold: dat/story.dat:7: passage\n");
  EXPECT_EQ(Shown(), std::vector<std::string>{"second, edited"});

  // Unchanged files are not packed again.
  EXPECT_TRUE(mode.Reload());
  EXPECT_EQ(Logged(), "marigold: reloaded; back to @next\nmarigold: dat/story.dat:7: passage\n");
}

TEST_F(AuthorTest, TextThatCannotBePackedReloadsNothing) {
  WriteStory({"@start", "#stopTimer", "first", "", "#end"});
  Boot();
  TAuthorMode mode(log, GameFolder());
  mode.Attach(*app, *form);
  StartMain();
  Logged();
  const TGaleScript* before = Game.StoryScript.get();
  // U+00E9 has no CP932 form; line 3, column 4.
  WriteText("story.txt", "@start\n#stopTimer\nabc\xC3\xA9\n\n#end\n");
  EXPECT_FALSE(mode.Reload());
  EXPECT_NE(Logged().find("marigold: story.txt:3:4: "), std::string::npos);
  EXPECT_EQ(Game.StoryScript.get(), before);
  EXPECT_EQ(Shown(), std::vector<std::string>{"first"});
}

}  // namespace
