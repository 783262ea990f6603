// first_frame X0 Y X1 TIMEOUT_MS: watches the X screen ($DISPLAY) for the
// game's first frame. Every 2 ms it reads pixel row Y, columns X0..X1, of
// the root window and counts the pixels glowing red (red above 90, green
// and blue below 60), as the title's heading does; once more than 20 do, it
// prints the wall clock in milliseconds since the epoch and exits 0. Exits 1
// when TIMEOUT_MS pass first, 2 on bad arguments or no display. One open
// connection and one small image a look, so it can watch closely without
// taking much from the game starting beside it. Used by scripts/cpu.
#include <X11/Xlib.h>
#include <X11/Xutil.h>  // XGetPixel

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

long long NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

// Pixels of the row that glow red.
int RedPixels(Display* display, Window root, int x0, int y, int width) {
  XImage* image = XGetImage(display, root, x0, y, width, 1, AllPlanes, ZPixmap);
  if (image == nullptr) return 0;
  int count = 0;
  for (int x = 0; x < width; ++x) {
    const unsigned long pixel = XGetPixel(image, x, 0);
    const unsigned long red = (pixel & image->red_mask) >> __builtin_ctzl(image->red_mask);
    const unsigned long green = (pixel & image->green_mask) >> __builtin_ctzl(image->green_mask);
    const unsigned long blue = (pixel & image->blue_mask) >> __builtin_ctzl(image->blue_mask);
    if (red > 90 && green < 60 && blue < 60) ++count;
  }
  XDestroyImage(image);
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: first_frame X0 Y X1 TIMEOUT_MS\n");
    return 2;
  }
  const int x0 = std::atoi(argv[1]);
  const int y = std::atoi(argv[2]);
  const int x1 = std::atoi(argv[3]);
  const long long timeout = std::atoll(argv[4]);
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr || x1 < x0) {
    std::fprintf(stderr, "first_frame: no display or an empty row\n");
    return 2;
  }
  const Window root = DefaultRootWindow(display);
  const long long end = NowMs() + timeout;
  while (NowMs() < end) {
    if (RedPixels(display, root, x0, y, x1 - x0 + 1) > 20) {
      std::printf("%lld\n", NowMs());
      XCloseDisplay(display);
      return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  XCloseDisplay(display);
  return 1;
}
