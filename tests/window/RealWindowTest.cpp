// Plays the real program in a real X window (Xvfb), as a person would: looks
// at the title, clicks into the story, hovers a choice button, watches the CPU
// use of the running game and closes it.
//
// MARIGOLD_WINDOW_GAME, when set, is the command that runs the game instead
// of this build's program, split at spaces: the Windows build under Wine
// ("/usr/lib/wine/wine64 /path/marigold.exe"). That game is closed with
// Alt+F4, as a Windows player closes it.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kScreenW = 1024;
constexpr int kScreenH = 768;

bool OnPath(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// A child process started with fork/exec; killed when it goes out of scope.
class Child {
 public:
  Child() = default;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() { Kill(); }

  // Starts argv with extra environment entries. When
  // `reportFd` is set, the child's descriptor 3 is the write end of a pipe
  // whose read end is returned through it.
  void Start(const std::vector<std::string>& argv, const std::vector<std::string>& env,
             int* reportFd = nullptr, const std::string& errorFile = "") {
    int fds[2] = {-1, -1};
    if (reportFd != nullptr && pipe(fds) != 0) FAIL() << "pipe failed";
    pid_ = fork();
    if (pid_ == 0) {
      if (reportFd != nullptr) {
        close(fds[0]);
        if (fds[1] != 3) {
          dup2(fds[1], 3);
          close(fds[1]);
        }
      }
      for (const auto& e : env) putenv(const_cast<char*>(e.c_str()));
      int null = open("/dev/null", O_WRONLY);
      if (null >= 0) dup2(null, 1);
      if (!errorFile.empty()) {
        int err = open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err >= 0) dup2(err, 2);
      }
      std::vector<char*> args;
      for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      execvp(args[0], args.data());
      _exit(127);
    }
    if (reportFd != nullptr) {
      close(fds[1]);
      *reportFd = fds[0];
    }
  }

  pid_t Pid() const { return pid_; }

  // Waits up to `limit` for the child to end; its exit status, or -1.
  int Wait(std::chrono::milliseconds limit) {
    auto until = std::chrono::steady_clock::now() + limit;
    while (pid_ > 0 && std::chrono::steady_clock::now() < until) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(20ms);
    }
    return -1;
  }

  void Kill() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
  }

 private:
  pid_t pid_ = -1;
};

struct Rgb {
  int r = 0, g = 0, b = 0;
};

// A screenshot of the root window, read from xwd's output (ZPixmap, 32 bits).
class Shot {
 public:
  bool Grab(const std::string& display, const std::string& file) {
    std::string command = "xwd -root -silent -display " + display + " > " + file;
    if (std::system(command.c_str()) != 0) return false;
    std::ifstream in(file, std::ios::binary);
    std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    auto field = [&](int i) -> std::uint32_t {
      const unsigned char* p = data.data() + 4 * i;
      return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
             p[3];
    };
    if (data.size() < 100) return false;
    std::uint32_t headerSize = field(0), format = field(2), bitsPerPixel = field(11);
    width_ = int(field(4));
    height_ = int(field(5));
    byteOrder_ = field(7);
    stride_ = field(12);
    std::uint32_t colours = field(19);
    offset_ = headerSize + 12 * colours;
    bytesPerPixel_ = bitsPerPixel / 8;
    if (format != 2 || (bitsPerPixel != 24 && bitsPerPixel != 32)) return false;
    if (data.size() < offset_ + std::size_t(stride_) * height_) return false;
    data_ = std::move(data);
    return true;
  }

  Rgb At(int x, int y) const {
    const unsigned char* p =
        data_.data() + offset_ + std::size_t(y) * stride_ + std::size_t(bytesPerPixel_) * x;
    std::uint32_t v = 0;
    for (int i = 0; i < bytesPerPixel_; ++i) {
      int shift = byteOrder_ == 0 ? 8 * i : 8 * (bytesPerPixel_ - 1 - i);
      v |= std::uint32_t(p[i]) << shift;
    }
    return {int(v >> 16 & 255), int(v >> 8 & 255), int(v & 255)};
  }

  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  std::vector<unsigned char> data_;
  int width_ = 0, height_ = 0;
  std::uint32_t byteOrder_ = 0, stride_ = 0;
  int bytesPerPixel_ = 4;
  std::size_t offset_ = 0;
};

class RealWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OnPath("Xvfb") || !OnPath("xdotool") || !OnPath("xwd")) {
      GTEST_SKIP() << "Xvfb, xdotool or xwd missing (scripts/setup installs them)";
    }
    command_ = {(fs::path(MARIGOLD_BINARY_DIR) / "app" / "marigold").string()};
    if (const char* other = std::getenv("MARIGOLD_WINDOW_GAME"); other != nullptr && *other) {
      command_.clear();
      std::istringstream words(other);
      for (std::string word; words >> word;) command_.push_back(word);
      underWine_ = true;
    }
    demo_ = fs::path(MARIGOLD_BINARY_DIR) / "demo";
    ASSERT_TRUE(fs::exists(command_.back())) << command_.back();
    ASSERT_TRUE(fs::exists(demo_ / "dat" / "story.dat")) << "demo data not generated";
    shotFile_ =
        (fs::temp_directory_path() / ("marigold-shot-" + std::to_string(getpid()))).string();

    StartDisplay(kScreenW, kScreenH);
  }

  // A new X screen of the given size, in place of any before.
  void StartDisplay(int width, int height) {
    xvfb_.Kill();
    int fd = -1;
    xvfb_.Start(
        {"Xvfb", "-displayfd", "3", "-screen", "0",
         std::to_string(width) + "x" + std::to_string(height) + "x24", "-br", "-nolisten", "tcp"},
        {}, &fd);
    std::string number;
    char c;
    while (read(fd, &c, 1) == 1 && c != '\n') number += c;
    close(fd);
    ASSERT_FALSE(number.empty()) << "Xvfb did not start";
    display_ = ":" + number;
    // The number is told before every client is taken: wait until one is.
    for (int attempt = 0; attempt < 50; ++attempt) {
      if (!Output("DISPLAY=" + display_ + " xdotool getdisplaygeometry 2>/dev/null").empty()) break;
      std::this_thread::sleep_for(100ms);
    }
  }

  void TearDown() override {
    std::error_code ec;
    fs::remove(shotFile_, ec);
  }

  void StartGame(const std::vector<std::string>& options = {}) {
    std::vector<std::string> argv = command_;
    argv.insert(argv.end(), options.begin(), options.end());
    argv.push_back(demo_.string());
    game.Start(argv, {"DISPLAY=" + display_, "SDL_AUDIODRIVER=dummy"});
  }

  void Xdo(const std::string& args) {
    std::string command = "DISPLAY=" + display_ + " xdotool " + args;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }

  // Closes the game as its window's close box does: SDL turns the terminate
  // signal into the same quit; under Wine the window gets Alt+F4.
  void CloseGame() {
    if (underWine_) {
      Xdo("mousemove " + At(300, 200) + " key alt+F4");
    } else {
      kill(game.Pid(), SIGTERM);
    }
  }

  // What a command prints on standard output.
  static std::string Output(const std::string& command) {
    std::string text;
    if (FILE* out = popen(command.c_str(), "r")) {
      char buffer[256];
      while (std::fgets(buffer, sizeof buffer, out)) text += buffer;
      pclose(out);
    }
    return text;
  }

  // The game's shown window on the screen: its client area's position and size.
  struct Geometry {
    int x = -1, y = -1, width = 0, height = 0;
  };
  Geometry WindowGeometry() {
    const std::string text = Output("DISPLAY=" + display_ +
                                    " xdotool search --onlyvisible --classname '^marigold$'"
                                    " getwindowgeometry %@ 2>/dev/null");
    Geometry g;
    const std::size_t position = text.find("Position: "), size = text.find("Geometry: ");
    if (position == std::string::npos || size == std::string::npos) return g;
    std::sscanf(text.c_str() + position, "Position: %d,%d", &g.x, &g.y);
    std::sscanf(text.c_str() + size, "Geometry: %dx%d", &g.width, &g.height);
    return g;
  }

  // Waits up to thirty seconds (a loaded machine, a sanitizer build) for
  // the window to take `width` x `height` and, where asked, to lie at
  // (x, y): a window manager may place it after sizing it.
  Geometry AwaitSize(int width, int height, int x = -1, int y = -1) {
    Geometry g;
    for (int attempt = 0; attempt < 300; ++attempt) {
      g = WindowGeometry();
      if (g.width == width && g.height == height && (x < 0 || g.x == x) && (y < 0 || g.y == y)) {
        break;
      }
      std::this_thread::sleep_for(100ms);
    }
    return g;
  }

  // Screen coordinates of picture coordinates: the middle of the pixel's block.
  std::string At(int x, int y) const {
    return std::to_string(left_ + x * scale_ + scale_ / 2) + " " +
           std::to_string(top_ + y * scale_ + scale_ / 2);
  }

  Shot Grab() {
    Shot shot;
    EXPECT_TRUE(shot.Grab(display_, shotFile_)) << "xwd failed";
    return shot;
  }

  // Waits until the 600x400 picture shows at scale_, and finds where it lies.
  bool FindPicture() {
    for (int attempt = 0; attempt < 150; ++attempt) {
      std::this_thread::sleep_for(100ms);
      Shot shot;
      if (!shot.Grab(display_, shotFile_)) continue;
      int minX = shot.Width(), minY = shot.Height(), maxX = -1, maxY = -1;
      for (int y = 0; y < shot.Height(); y += 2) {
        for (int x = 0; x < shot.Width(); x += 2) {
          Rgb p = shot.At(x, y);
          if (p.r + p.g + p.b > 60) {
            minX = std::min(minX, x);
            minY = std::min(minY, y);
            maxX = std::max(maxX, x);
            maxY = std::max(maxY, y);
          }
        }
      }
      if (maxX - minX >= 590 * scale_ && maxY - minY >= 390 * scale_) {
        // The scan steps by two: an edge at an odd pixel is one further out.
        const auto litColumn = [&](int x) {
          for (int y = minY; y <= maxY; ++y) {
            const Rgb p = shot.At(x, y);
            if (p.r + p.g + p.b > 60) return true;
          }
          return false;
        };
        const auto litRow = [&](int y) {
          for (int x = minX; x <= maxX; ++x) {
            const Rgb p = shot.At(x, y);
            if (p.r + p.g + p.b > 60) return true;
          }
          return false;
        };
        if (minX > 0 && litColumn(minX - 1)) --minX;
        if (minY > 0 && litRow(minY - 1)) --minY;
        left_ = minX;
        top_ = minY;
        return true;
      }
    }
    return false;
  }

  // Counts pixels of the picture rectangle for which `test` holds.
  template <typename Test>
  int Count(const Shot& shot, int x0, int y0, int x1, int y1, Test test) const {
    int n = 0;
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) n += test(Pixel(shot, x, y)) ? 1 : 0;
    return n;
  }

  // The screen pixel at the middle of picture pixel (x, y)'s block.
  Rgb Pixel(const Shot& shot, int x, int y) const {
    return shot.At(left_ + x * scale_ + scale_ / 2, top_ + y * scale_ + scale_ / 2);
  }

  double CpuSeconds() const {
    std::ifstream in("/proc/" + std::to_string(game.Pid()) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string skip;
    for (int i = 3; i < 14; ++i) fields >> skip;
    long user = 0, system = 0;
    fields >> user >> system;
    return double(user + system) / double(sysconf(_SC_CLK_TCK));
  }

  // The first click starts the story: the heat gauge appears in the corner,
  // every column either whitened or reddened.
  void ClickIntoStory() {
    Xdo("mousemove " + At(200, 250) + " click 1");
    std::this_thread::sleep_for(400ms);
    Shot story = Grab();
    int light = 0, red = 0;
    for (int x = 350; x < 600; ++x) {
      Rgb p = Pixel(story, x, 1);
      light += (p.r > 120 && p.g > 120 && p.b > 120) ? 1 : 0;
      red += (p.r > 150 && p.g < 140 && p.r - p.g > 60) ? 1 : 0;
    }
    EXPECT_GT(light, 120) << "no whitened gauge streaks";
    EXPECT_GT(red, 0) << "no reddened gauge streaks";
    EXPECT_EQ(Count(story, 150, 30, 340, 130, Reddish), 0) << "still the title heading";
  }

  // Two more clicks reach the first choice; the mouse rests on its first
  // button.
  Shot HoverFirstChoice() {
    Xdo("mousemove " + At(200, 250) + " click 1");
    std::this_thread::sleep_for(300ms);
    Xdo("mousemove " + At(200, 250) + " click 1");
    std::this_thread::sleep_for(300ms);
    Xdo("mousemove " + At(90, 320));
    std::this_thread::sleep_for(300ms);
    return Grab();
  }

  static bool Reddish(Rgb p) { return p.r > 90 && p.g < 60 && p.b < 60; }
  static bool PureRed(Rgb p) { return p.r == 255 && p.g == 0 && p.b == 0; }

  Child xvfb_;
  Child game;
  std::vector<std::string> command_;  // the game and its arguments
  bool underWine_ = false;
  fs::path demo_;
  std::string display_, shotFile_;
  int left_ = 0, top_ = 0;
  int scale_ = 1;  // screen pixels per picture pixel
};

TEST_F(RealWindow, TitleStoryButtonsAndClose) {
  StartGame();
  ASSERT_TRUE(FindPicture()) << "the window never showed its picture";
  // Centred on the screen (no window manager, so no borders). Windows
  // centres the whole window, its title bar included, which Wine leaves
  // undrawn here: the picture lies half a title bar lower.
  EXPECT_EQ(left_, (kScreenW - 600) / 2);
  if (underWine_) {
    EXPECT_GE(top_, (kScreenH - 400) / 2);
    EXPECT_LE(top_, (kScreenH - 400) / 2 + 20);
  } else {
    EXPECT_EQ(top_, (kScreenH - 400) / 2);
  }

  // The title: the black heading glows in speckled reds, the clock sits in
  // the lightened bottom-right corner.
  // (The window shows white until its first frame arrives.)
  int glowing = 0;
  for (int attempt = 0; attempt < 50 && glowing <= 300; ++attempt) {
    std::this_thread::sleep_for(100ms);
    glowing = Count(Grab(), 150, 30, 450, 130, Reddish);
  }
  EXPECT_GT(glowing, 300) << "no glowing heading";

  ClickIntoStory();
  // The button under the mouse is filled solid red, the others are not.
  Shot hovered = HoverFirstChoice();
  EXPECT_GT(Count(hovered, 36, 306, 144, 334, PureRed), 1000) << "hovered button not red";
  EXPECT_EQ(Count(hovered, 206, 306, 300, 334, PureRed), 0) << "an unhovered button is red";

  Xdo("mousemove " + At(500, 200));
  std::this_thread::sleep_for(300ms);
  Shot away = Grab();
  EXPECT_EQ(Count(away, 36, 306, 144, 334, PureRed), 0) << "button stays red without the mouse";

  // The running game must not waste the machine: CPU over 20 seconds.
  double before = CpuSeconds();
  auto start = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(20s);
  double used = CpuSeconds() - before;
  double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("running game CPU use: %.1f %% of one core over %.1f s (goal <= 3 %%)\n",
              100.0 * used / wall, wall);

  // Closing the window (SDL turns the terminate signal into the same quit
  // as the window's close box) ends the program with status 0.
  CloseGame();
  EXPECT_EQ(game.Wait(10s), 0);
}

// The window opens at the largest whole scale that takes at most 85 % of the
// screen, centred (no window manager, so no borders).
TEST_F(RealWindow, OpensAtTheLargestScaleThatFitsTheScreenCentred) {
  if (underWine_) GTEST_SKIP() << "the Linux build's windows";
  struct Case {
    int width, height, scale;
  };
  for (const Case& c :
       {Case{1024, 768, 1}, Case{1920, 1080, 2}, Case{2560, 1440, 3}, Case{3840, 2160, 4}}) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    game.Kill();
    StartDisplay(c.width, c.height);
    StartGame();
    const Geometry g = AwaitSize(600 * c.scale, 400 * c.scale, (c.width - 600 * c.scale) / 2,
                                 (c.height - 400 * c.scale) / 2);
    EXPECT_EQ(g.width, 600 * c.scale);
    EXPECT_EQ(g.height, 400 * c.scale);
    EXPECT_EQ(g.x, (c.width - g.width) / 2);
    EXPECT_EQ(g.y, (c.height - g.height) / 2);
  }
}

// Heat as the gauge shows it: its black writing is painted red by the heat
// (0..255), so the reddest writing pixel (green and blue 0, red below the
// streaks' tint) is the heat.
int ShownHeat(const std::function<Rgb(int, int)>& pixel) {
  int heat = 0;
  for (int y = 0; y < 50; ++y) {
    for (int x = 350; x < 600; ++x) {
      const Rgb p = pixel(x, y);
      if (p.g == 0 && p.b == 0 && p.r < 127) heat = std::max(heat, p.r);
    }
  }
  return heat;
}

// At scale 3 every click lands on the picture pixel it is aimed at: the
// title click starts the story, a hovered button turns red in 3 x 3 blocks,
// and a held press in the gauge's corner keeps raising the heat.
TEST_F(RealWindow, AtScaleThreeClicksHoverAndTheGaugeLandWhereAimed) {
  StartDisplay(2048, 1536);
  scale_ = 3;
  StartGame({"--scale", "3"});
  ASSERT_TRUE(FindPicture()) << "the window never showed its picture";
  EXPECT_EQ(left_, (2048 - 1800) / 2);
  std::this_thread::sleep_for(1s);
  ClickIntoStory();
  const Shot hovered = HoverFirstChoice();
  EXPECT_GT(Count(hovered, 36, 306, 144, 334, PureRed), 1000) << "hovered button not red";
  EXPECT_EQ(Count(hovered, 206, 306, 300, 334, PureRed), 0) << "an unhovered button is red";
  // Sharp pixels: every screen pixel of the button's area repeats its
  // block's middle pixel.
  int blurred = 0;
  for (int y = top_ + 300 * 3; y < top_ + 340 * 3; ++y) {
    for (int x = left_ + 30 * 3; x < left_ + 150 * 3; ++x) {
      const Rgb p = hovered.At(x, y);
      const Rgb m = Pixel(hovered, (x - left_) / 3, (y - top_) / 3);
      blurred += (p.r != m.r || p.g != m.g || p.b != m.b) ? 1 : 0;
    }
  }
  EXPECT_EQ(blurred, 0) << "screen pixels unlike their block (picture at " << left_ << "," << top_
                        << ")";

  const auto heat = [this](const Shot& shot) {
    return ShownHeat([&](int x, int y) { return Pixel(shot, x, y); });
  };
  const int before = heat(Grab());
  Xdo("mousemove " + At(560, 40) + " mousedown 1");
  std::this_thread::sleep_for(1500ms);
  Xdo("mouseup 1");
  std::this_thread::sleep_for(300ms);
  EXPECT_GE(heat(Grab()), before + 2) << "the held press did not keep raising the heat";
}

// F11 under a window manager: the window takes the whole screen, the picture
// at the largest whole scale centred on black; F11 again brings the window
// back.
TEST_F(RealWindow, F11FillsTheScreenOnBlackAndComesBack) {
  if (underWine_) GTEST_SKIP() << "the Linux build's keys";
  if (!OnPath("openbox")) GTEST_SKIP() << "openbox missing (scripts/setup installs it)";
  Child manager;
  manager.Start({"openbox"}, {"DISPLAY=" + display_});
  std::this_thread::sleep_for(500ms);
  StartGame();
  ASSERT_EQ(AwaitSize(600, 400).width, 600);
  Xdo("search --onlyvisible --classname '^marigold$' windowactivate --sync key F11");
  const Geometry full = AwaitSize(kScreenW, kScreenH);
  EXPECT_EQ(full.width, kScreenW);
  EXPECT_EQ(full.height, kScreenH);
  std::this_thread::sleep_for(500ms);
  const Shot shot = Grab();
  left_ = (kScreenW - 600) / 2;
  top_ = (kScreenH - 400) / 2;
  int lit = 0, outside = 0;
  for (int y = 0; y < kScreenH; ++y) {
    for (int x = 0; x < kScreenW; ++x) {
      const Rgb p = shot.At(x, y);
      const bool picture = x >= left_ && x < left_ + 600 && y >= top_ && y < top_ + 400;
      if (picture) lit += (p.r + p.g + p.b > 60) ? 1 : 0;
      if (!picture) outside += (p.r + p.g + p.b > 0) ? 1 : 0;
    }
  }
  EXPECT_GT(lit, 600 * 400 * 9 / 10) << "no picture in the middle";
  EXPECT_EQ(outside, 0) << "margins not black";
  Xdo("key F11");
  EXPECT_EQ(AwaitSize(600, 400).width, 600) << "F11 did not bring the window back";
}

// On a screen smaller than the picture, fullscreen shows the picture's
// middle over the whole screen (nothing drawn beside the window's memory),
// and the game plays on.
TEST_F(RealWindow, FullscreenOnAScreenSmallerThanThePictureCoversItAndPlaysOn) {
  if (underWine_) GTEST_SKIP() << "the Linux build's windows";
  if (!OnPath("openbox")) GTEST_SKIP() << "openbox missing (scripts/setup installs it)";
  StartDisplay(500, 300);
  Child manager;
  manager.Start({"openbox"}, {"DISPLAY=" + display_});
  std::this_thread::sleep_for(500ms);
  StartGame({"--fullscreen"});
  ASSERT_EQ(AwaitSize(500, 300).width, 500);
  int lit = 0;
  for (int attempt = 0; attempt < 100 && lit < 500 * 300 * 9 / 10; ++attempt) {
    std::this_thread::sleep_for(100ms);
    const Shot shot = Grab();
    lit = 0;
    for (int y = 0; y < 300; ++y) {
      for (int x = 0; x < 500; ++x) {
        const Rgb p = shot.At(x, y);
        lit += (p.r + p.g + p.b > 60) ? 1 : 0;
      }
    }
  }
  EXPECT_GT(lit, 500 * 300 * 9 / 10) << "the picture does not cover the screen";
  left_ = -50;
  top_ = -50;
  Xdo("mousemove " + At(300, 200) + " click 1");
  std::this_thread::sleep_for(1s);
  EXPECT_EQ(game.Wait(0ms), -1) << "the game ended";
}

// The 1-based line of `text` in a UTF-8 file, or 0.
int LineOf(const fs::path& file, const std::string& text) {
  std::ifstream in(file);
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (line == text) return number;
  }
  return 0;
}

std::string Slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Author mode on a fresh starter game: each passage names its story line on
// the error stream; after the story is edited, F5 shows the edited passage
// from its new line.
TEST_F(RealWindow, AuthorModeNamesPassageLinesAndReloadsOnF5) {
  const fs::path dir = fs::temp_directory_path() / ("marigold-author-" + std::to_string(getpid()));
  fs::remove_all(dir);
  ASSERT_EQ(
      std::system(("'" + std::string(MARIGOLD_DAT_TOOL) + "' new '" + dir.string() + "' >/dev/null")
                      .c_str()),
      0);
  const fs::path story = dir / "story.txt";
  const std::string choiceText = "小道がふたつに分かれている。";
  const int first = LineOf(story, "ここは、あなたの物語の入り口です。");
  const int choice = LineOf(story, choiceText);
  ASSERT_GT(first, 0);
  ASSERT_GT(choice, first);
  const fs::path errors = dir / "stderr.txt";
  std::vector<std::string> argv = command_;
  argv.insert(argv.end(), {"--author", dir.string()});
  game.Start(argv, {"DISPLAY=" + display_, "SDL_AUDIODRIVER=dummy"}, nullptr, errors.string());
  ASSERT_TRUE(FindPicture()) << "the window never showed its picture";

  // Waits until the error stream holds `text`.
  auto told = [&](const std::string& text) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      if (Slurp(errors).find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(100ms);
    }
    return false;
  };
  auto passage = [](int line) {
    return "marigold: dat/story.dat:" + std::to_string(line) + ": passage\n";
  };
  Xdo("mousemove " + At(300, 200) + " click 1");
  EXPECT_TRUE(told(passage(first))) << Slurp(errors);
  Xdo("mousemove " + At(300, 200) + " click 1");
  ASSERT_TRUE(told(passage(choice))) << Slurp(errors);
  // The first line of the new words runs on to the right of where the old
  // one ended, over plain sky: dark text pixels appear there.
  auto inkRightOfOldLine = [&](const Shot& shot) {
    return Count(shot, 320, 58, 400, 84, [](Rgb p) { return p.r + p.g + p.b < 450; });
  };
  std::this_thread::sleep_for(300ms);
  EXPECT_LT(inkRightOfOldLine(Grab()), 10);

  // The choice passage gets a comment line above it and new words.
  std::string text = Slurp(story);
  text.replace(text.find(choiceText), choiceText.size(),
               "// 書き足した注釈\n道は、いつのまにか三つに分かれていた。");
  std::ofstream(story, std::ios::binary | std::ios::trunc) << text;
  fs::last_write_time(story, fs::file_time_type::clock::now() + std::chrono::seconds(2));
  Xdo("key F5");
  EXPECT_TRUE(told("marigold: packed story.txt into dat/story.dat\n")) << Slurp(errors);
  EXPECT_TRUE(told(passage(choice + 1))) << Slurp(errors);
  std::this_thread::sleep_for(300ms);
  EXPECT_GT(inkRightOfOldLine(Grab()), 60) << "the edited passage is not on the screen";

  CloseGame();
  EXPECT_EQ(game.Wait(10s), 0) << Slurp(errors);
  fs::remove_all(dir);
}

// A start-up error (the clock's digits are missing) shows its box with the
// game's own text, on the error stream at once too; Return closes it and the
// program ends with status 1.
TEST_F(RealWindow, StartupErrorBoxShowsTextAndReturnClosesIt) {
  const fs::path data = fs::path(shotFile_ + "-data");
  fs::create_directories(data);
  fs::copy(demo_ / "dat", data / "dat");
  fs::remove(data / "dat" / "font.bmp");
  const std::string errors = shotFile_ + "-stderr";
  std::string quoted;
  for (const std::string& word : command_) quoted += "'" + word + "' ";
  game.Start({"sh", "-c", "exec " + quoted + "'" + data.string() + "' 2>'" + errors + "'"},
             {"DISPLAY=" + display_, "SDL_AUDIODRIVER=dummy", "LC_ALL=C.UTF-8"});

  // The box is the only thing on the black screen.
  int left = 0, top = 0, right = -1, bottom = -1;
  Shot shot;
  for (int attempt = 0; attempt < 100 && right < 0; ++attempt) {
    std::this_thread::sleep_for(100ms);
    if (!shot.Grab(display_, shotFile_)) continue;
    left = shot.Width(), top = shot.Height();
    for (int y = 0; y < shot.Height(); y += 2) {
      for (int x = 0; x < shot.Width(); x += 2) {
        const Rgb p = shot.At(x, y);
        if (p.r + p.g + p.b > 600) {
          left = std::min(left, x), top = std::min(top, y);
          right = std::max(right, x), bottom = std::max(bottom, y);
        }
      }
    }
  }
  ASSERT_GT(right - left, 200) << "no error box";
  ASSERT_GT(bottom - top, 80) << "no error box";
  // The message: dark ink on the white right of the icon, above the button strip.
  int ink = 0;
  for (int y = top + 10; y < bottom - 50; ++y) {
    for (int x = left + 70; x < right - 10; ++x) {
      const Rgb p = shot.At(x, y);
      ink += (p.r + p.g + p.b < 150) ? 1 : 0;
    }
  }
  EXPECT_GT(ink, 500) << "no text in the box";
  // On the error stream while the box is still open.
  std::ifstream in(errors);
  const std::string said((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(said.find("marigold: アプリケーション エラー: "), std::string::npos) << said;
  EXPECT_NE(said.find("dat\\font.bmp"), std::string::npos) << said;
  EXPECT_EQ(game.Wait(300ms), -1) << "ended without the box being closed";

  Xdo("key Return");
  EXPECT_EQ(game.Wait(10s), 1);
  std::error_code ec;
  fs::remove_all(data, ec);
  fs::remove(errors, ec);
}

}  // namespace
