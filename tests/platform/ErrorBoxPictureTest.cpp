// The error box's picture: the message wrapped to the box without losing or
// splitting a character, laid out clear of the icon and the button, and
// drawn with visible ink.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/Encoding.h"
#include "platform/sdl/ErrorBoxPicture.h"

namespace {

using platform::kBoxFont;

std::string Cp932(const std::string& utf8) {
  std::string out;
  std::size_t bad = 0;
  EXPECT_TRUE(platform::Utf8ToCp932(utf8, out, bad)) << utf8;
  return out;
}

std::string Joined(const std::vector<std::string>& lines, const std::string& glue) {
  std::string all;
  for (std::size_t i = 0; i < lines.size(); ++i) all += (i ? glue : "") + lines[i];
  return all;
}

TEST(ErrorBoxPicture, WrapsWithinTheWidthKeepingEveryCharacter) {
  platform::TextRaster raster;
  struct Case {
    std::string text;  // UTF-8
    int width;
    std::string glue;  // what joins the lines back into the text
    std::size_t minLines;
  };
  const std::vector<Case> cases = {
      {"short", 400, "", 1},
      {"two\nlines", 400, "\n", 2},
      {"windows\r\nbreak", 400, "\n", 2},
      {"ファイルは開けません。スクリプトが文を出さずに同じ所を回り続けています。", 150, "", 3},
      {"alpha beta gamma delta epsilon zeta eta theta iota kappa", 90, " ", 4},
      {"abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz", 60, "", 4},
  };
  for (const Case& c : cases) {
    const std::string text = Cp932(c.text);
    const std::vector<std::string> lines = platform::WrapText(raster, text, kBoxFont, c.width);
    EXPECT_GE(lines.size(), c.minLines) << c.text;
    for (const std::string& line : lines) {
      EXPECT_LE(raster.Width(line, kBoxFont), c.width) << c.text << ": " << line;
      // No double-byte character is cut in two.
      EXPECT_EQ(platform::Cp932ToUtf8(line).find("\xEF\xBF\xBD"), std::string::npos) << line;
    }
    std::string expected = text;
    if (expected.find("\r\n") != std::string::npos) expected.erase(expected.find('\r'), 1);
    EXPECT_EQ(Joined(lines, c.glue), expected) << c.text;
  }
  // Words of letters move to the next line whole.
  const std::vector<std::string> words = {"alpha", "beta", "gamma", "delta", "epsilon"};
  for (const std::string& line : platform::WrapText(raster, Joined(words, " "), kBoxFont, 90)) {
    std::size_t start = 0;
    for (std::size_t end; start <= line.size(); start = end + 1) {
      end = std::min(line.find(' ', start), line.size());
      const std::string word = line.substr(start, end - start);
      EXPECT_NE(std::find(words.begin(), words.end(), word), words.end()) << line;
    }
  }
}

TEST(ErrorBoxPicture, LayoutKeepsTextIconAndButtonApart) {
  platform::TextRaster raster;
  for (const std::string& text :
       {std::string("x"),
        std::string("例外 std::runtime_errorがモジュール marigold の 00000000 "
                    "で発生しました。\nファイル dat\\font.bmp は開けません."),
        std::string(600, 'w')}) {
    const platform::BoxLayout box = platform::LayOutErrorBox(raster, text);
    EXPECT_LE(box.text.right, box.width) << text;
    EXPECT_LE(box.text.bottom, box.button.top) << text;
    EXPECT_LE(box.icon.right, box.text.left) << text;
    EXPECT_LE(box.button.right, box.width);
    EXPECT_LE(box.button.bottom, box.height);
    EXPECT_LE(box.width, box.textLeft + platform::kBoxTextWidth + 24 + 1) << text;
  }
  // A character the game's encoding lacks still shows, as "?".
  const platform::BoxLayout odd = platform::LayOutErrorBox(raster, "a\xF0\x9F\x99\x82z");
  ASSERT_EQ(odd.lines.size(), 1u);
  EXPECT_EQ(odd.lines[0], "a?z");
}

TEST(ErrorBoxPicture, InkInTheTextAreaAndAPressedButton) {
  platform::TextRaster raster;
  const platform::BoxLayout box = platform::LayOutErrorBox(raster, "ファイルは開けません.");
  const std::vector<std::uint8_t> up = platform::DrawErrorBox(raster, box, false);
  const std::vector<std::uint8_t> down = platform::DrawErrorBox(raster, box, true);
  ASSERT_EQ(up.size(), static_cast<std::size_t>(box.width) * box.height * 3);
  auto dark = [&](const std::vector<std::uint8_t>& p, const platform::BoxRect& r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) {
        const std::uint8_t* px = &p[(static_cast<std::size_t>(y) * box.width + x) * 3];
        n += (px[0] + px[1] + px[2] < 200) ? 1 : 0;
      }
    }
    return n;
  };
  EXPECT_GT(dark(up, box.text), 40);
  EXPECT_GT(dark(up, box.button), 10);  // "OK"
  // Pressing changes the button, nothing else.
  int changedOutside = 0, changedInside = 0;
  for (int y = 0; y < box.height; ++y) {
    for (int x = 0; x < box.width; ++x) {
      const std::size_t i = (static_cast<std::size_t>(y) * box.width + x) * 3;
      const bool differs = up[i] != down[i] || up[i + 1] != down[i + 1] || up[i + 2] != down[i + 2];
      (box.button.Contains(x, y) ? changedInside : changedOutside) += differs ? 1 : 0;
    }
  }
  EXPECT_GT(changedInside, 100);
  EXPECT_EQ(changedOutside, 0);
}

}  // namespace
