// The machine as the game sees it: one window with a paint box, its message
// queue, a millisecond clock, the wall clock, the system beep, a modal error
// box, the application's terminate request, the data files, the text
// rasteriser and the two audio outputs.
//
// Two implementations exist: the SDL2 one (a real window, real audio) and the
// headless one (a virtual clock, scripted input and a record of everything
// shown and heard), used by the tests and the tools.
//
// All texts crossing this interface are UTF-8 unless they name a data file;
// data file names are CP932 bytes as the story script writes them
// ("dat\\name"), converted here at the edge.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

class TextRaster;

enum class MouseButton { Left, Right, Middle };

struct Event {
  enum class Kind {
    MouseDown,  // button, x, y
    MouseMove,  // x, y
    MouseUp,    // button, x, y
    Key,        // key (Windows virtual-key code), keyUp
    Close,      // the user asked to close the window
    User,       // a private message posted with PostUserMessage
    Quit,       // the terminate request posted with PostQuit
  };
  Kind kind = Kind::MouseMove;
  MouseButton button = MouseButton::Left;
  int x = 0;  // paint-box pixels; outside 0..599 x 0..399 while captured or beside the picture
  int y = 0;
  int key = 0;
  bool keyUp = false;
  int message = 0;  // User: the message number
};

// Stands in for the outside MIDI library: select a device once, load a piece,
// play it once (option 6) or repeatedly (option 7), stop, release. Every call
// returns at once; failures are silent.
class MusicOut {
 public:
  virtual ~MusicOut() = default;
  virtual void SetDevice(int device, int flags) = 0;
  virtual void LoadFile(const std::string& path, int flags) = 0;
  virtual void Play(int options, int a, int b) = 0;
  virtual void Stop() = 0;
  virtual void Free() = 0;
};

// Stands in for the system's sound service: one sound at a time; every start
// replaces the sound that plays; a missing or unplayable file is silence.
class SoundOut {
 public:
  virtual ~SoundOut() = default;
  virtual void Play(const std::string& path, bool loop) = 0;
  virtual void Purge() = 0;
};

// The message Platform::ReadFile throws for a data file that exists but
// cannot be opened or read, naming it as the game names it: "ファイル %s は開けません".
std::string CannotOpenMessage(const std::string& gameName);

class Platform {
 public:
  virtual ~Platform() = default;

  // Milliseconds since some fixed moment, held as a non-negative 32-bit value
  // (0..2147483647); after 2147483647 the reading starts again at 0, so the
  // difference of two readings taken modulo 2^31 is the time between them.
  virtual std::int32_t Milliseconds() = 0;

  // The wall clock: milliseconds since the last midnight, UTC (0..86399999).
  // Only the random seed reads it.
  virtual std::uint32_t MillisecondsSinceMidnightUtc() = 0;

  // Reads the whole data file the game names (CP932, "dat\\name"), found by
  // the one game-file lookup (platform/Files.h). Returns false when there is
  // no such file; throws std::runtime_error("ファイル %s は開けません") when
  // something of that name exists but cannot be read, a folder included.
  virtual bool ReadFile(const std::string& gameName, std::string& bytes) = 0;

  // The text rasteriser the game's pictures draw text with.
  virtual TextRaster& Text() = 0;

  // The one window, created hidden with the given client size.
  virtual void CreateWindow(const std::string& caption, int clientWidth, int clientHeight) = 0;
  virtual bool WindowCreated() const = 0;
  // Changes the window's caption (UTF-8); before the window exists, nothing.
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void OuterSize(int& width, int& height) = 0;   // border and caption included
  virtual void ScreenSize(int& width, int& height) = 0;  // the primary display
  virtual void MoveWindow(int left, int top) = 0;        // outer top-left corner
  virtual void ShowWindow() = 0;
  virtual bool WindowShown() const = 0;

  // Copies a picture of 24-bit pixels (blue, green, red) into the client area
  // at (0, 0), clipped to it. Rows are top to bottom, `stride` bytes apart.
  // The window keeps showing the last picture until the next one.
  virtual void Present(const std::uint8_t* pixels, int width, int height, int stride) = 0;

  // The message queue, used from the one user-interface thread only.
  // PollEvent takes the next pending event, if any, in this order: private
  // messages posted with PostUserMessage (oldest first), then input from the
  // window (mouse, keys, close), then — once both are empty — the quit request
  // posted with PostQuit, delivered once however often it was posted.
  // WaitEvent returns when an event is pending or after timeoutMs; 0 returns
  // at once, a negative timeout waits without limit. It may return early with
  // nothing pending (the caller polls and decides again).
  virtual void PostUserMessage(int message) = 0;
  virtual void PostQuit() = 0;
  virtual bool PollEvent(Event& event) = 0;
  virtual void WaitEvent(int timeoutMs) = 0;

  virtual void Beep() = 0;
  // A modal box with the error icon and an OK button; returns when dismissed
  // (but see ErrorBoxOpen).
  // `where` names the place of a story error ("dat/story.dat:12"), or is empty.
  virtual void ErrorBox(const std::string& title, const std::string& text,
                        const std::string& where) = 0;
  // True while a box ErrorBox showed is still open. A machine whose ErrorBox
  // returns only once the box is dismissed never has one open; the browser's,
  // whose loop is one pass a frame, returns at once and keeps the box over
  // the passes that follow, which take no input and run no task meanwhile.
  virtual bool ErrorBoxOpen() const { return false; }

  virtual MusicOut& Music() = 0;
  virtual SoundOut& Sound() = 0;
};

}  // namespace platform
