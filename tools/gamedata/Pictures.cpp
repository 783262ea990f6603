#include "tools/gamedata/Pictures.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "game/BaseFiles.h"
#include "tools/gamedata/Rng.h"

namespace mkdata {

Picture::Picture(int w, int h) : width(w), height(h), bgr(static_cast<std::size_t>(w) * h * 3, 0) {}

namespace {

struct Rgb {
  double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

std::uint8_t Byte(double v) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

void Put(Picture& p, int x, int y, Rgb c) {
  if (x < 0 || y < 0 || x >= p.width || y >= p.height) return;
  std::uint8_t* px = p.At(x, y);
  px[0] = Byte(c.b);
  px[1] = Byte(c.g);
  px[2] = Byte(c.r);
}

Rgb Get(const Picture& p, int x, int y) {
  const std::uint8_t* px = p.At(x, y);
  return {double(px[2]), double(px[1]), double(px[0])};
}

void Blend(Picture& p, int x, int y, Rgb c, double a) {
  if (x < 0 || y < 0 || x >= p.width || y >= p.height || a <= 0.0) return;
  Put(p, x, y, Mix(Get(p, x, y), c, std::min(a, 1.0)));
}

void AddLight(Picture& p, int x, int y, Rgb c, double a) {
  if (x < 0 || y < 0 || x >= p.width || y >= p.height || a <= 0.0) return;
  Rgb o = Get(p, x, y);
  Put(p, x, y, {o.r + c.r * a, o.g + c.g * a, o.b + c.b * a});
}

double Hash(int x, int y, std::uint32_t seed) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u +
                    static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return (h & 0xFFFFFF) / double(0x1000000);
}

double Noise(double x, double y, std::uint32_t seed) {
  const int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
  double fx = x - xi, fy = y - yi;
  fx = fx * fx * (3 - 2 * fx);
  fy = fy * fy * (3 - 2 * fy);
  const double a = Hash(xi, yi, seed), b = Hash(xi + 1, yi, seed);
  const double c = Hash(xi, yi + 1, seed), d = Hash(xi + 1, yi + 1, seed);
  return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

double Fbm(double x, double y, std::uint32_t seed, int octaves = 4) {
  double sum = 0, amp = 0.5, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * Noise(x, y, seed + static_cast<std::uint32_t>(i) * 101u);
    norm += amp;
    amp *= 0.5;
    x *= 2.03;
    y *= 2.03;
  }
  return sum / norm;
}

struct Stop {
  int y;
  Rgb c;
};

void Sky(Picture& p, const std::vector<Stop>& stops, std::uint32_t seed, double cloud) {
  for (int y = 0; y < p.height; ++y) {
    Rgb c = stops.back().c;
    for (std::size_t i = 0; i + 1 < stops.size(); ++i) {
      if (y >= stops[i].y && y < stops[i + 1].y) {
        c = Mix(stops[i].c, stops[i + 1].c, double(y - stops[i].y) / (stops[i + 1].y - stops[i].y));
        break;
      }
    }
    if (y < stops.front().y) c = stops.front().c;
    for (int x = 0; x < p.width; ++x) {
      const double n = Fbm(x / 140.0, y / 30.0, seed) - 0.5;
      Put(p, x, y, {c.r + n * cloud, c.g + n * cloud, c.b + n * cloud * 0.8});
    }
  }
}

// Fills everything below a noisy skyline.
void Ridge(Picture& p, int base, double amplitude, double scale, Rgb c, std::uint32_t seed) {
  for (int x = 0; x < p.width; ++x) {
    const int top = base - static_cast<int>(amplitude * Fbm(x / scale, 0.5, seed));
    for (int y = std::max(top, 0); y < p.height; ++y) Put(p, x, y, c);
  }
}

// A rounded tree: a trunk and a canopy of noisy blobs.
void Tree(Picture& p, int cx, int ground, int size, Rgb c, std::uint32_t seed) {
  for (int y = ground - size; y < ground; ++y) {
    for (int x = cx - size / 14 - 1; x <= cx + size / 14 + 1; ++x) Put(p, x, y, c);
  }
  Rng rng(seed);
  for (int blob = 0; blob < 7; ++blob) {
    const int bx = cx + static_cast<int>(rng.Signed() * size * 0.45);
    const int by = ground - size + static_cast<int>(rng.Signed() * size * 0.25);
    const int r = static_cast<int>(size * (0.22 + 0.12 * rng.Uniform()));
    for (int y = by - r - 4; y <= by + r + 4; ++y) {
      for (int x = bx - r - 4; x <= bx + r + 4; ++x) {
        const double d = std::hypot(x - bx, (y - by) * 1.3) / r;
        if (d < 0.85 + 0.3 * Noise(x / 5.0, y / 5.0, seed)) Put(p, x, y, c);
      }
    }
  }
}

void Glow(Picture& p, int cx, int cy, int radius, Rgb c, double strength) {
  for (int y = cy - radius; y <= cy + radius; ++y) {
    for (int x = cx - radius; x <= cx + radius; ++x) {
      const double d = std::hypot(x - cx, y - cy) / radius;
      if (d < 1.0) AddLight(p, x, y, c, strength * (1 - d) * (1 - d));
    }
  }
}

// A flame standing on (cx, base): white-yellow core, orange body, red rim.
// With `keyOutside` the pixels outside stay untouched (for overlays).
void Flame(Picture& p, int cx, int base, int width, int height, std::uint32_t seed) {
  for (int y = base - height; y <= base; ++y) {
    const double v = double(base - y) / height;  // 0 bottom, 1 tip
    const double half =
        0.5 * width * std::pow(std::sin(std::numbers::pi * std::pow(1 - v, 0.8) * 0.5 + 0.0), 0.9) *
        (v < 0.15 ? std::sqrt(v / 0.15) : 1.0);
    const double sway = std::sin(v * 5.0 + seed) * width * 0.12 * v;
    for (int x = cx - width; x <= cx + width; ++x) {
      const double u = std::fabs(x - cx - sway) / std::max(half, 0.5);
      const double edge = 0.85 + 0.3 * Noise(x / 4.0, y / 6.0, seed);
      if (u >= edge) continue;
      const double t = 1 - u / edge;  // 1 at the heart
      Rgb c;
      if (t > 0.6 && v < 0.6)
        c = Mix({255, 200, 70}, {255, 250, 215}, (t - 0.6) / 0.4);
      else if (t > 0.25)
        c = Mix({235, 90, 20}, {255, 200, 70}, (t - 0.25) / 0.35);
      else
        c = Mix({170, 30, 10}, {235, 90, 20}, t / 0.25);
      Put(p, x, y, c);
    }
  }
}

void Embers(Picture& p, Rng& rng, int count, int x0, int x1, int y0, int y1) {
  for (int i = 0; i < count; ++i) {
    const int x = x0 + rng.Below(x1 - x0), y = y0 + rng.Below(y1 - y0);
    const Rgb c{255, 150.0 + 80 * rng.Uniform(), 60};
    Put(p, x, y, c);
    if (rng.Below(3) == 0) Put(p, x + 1, y, c);
  }
}

void Stars(Picture& p, Rng& rng, int count, int y1) {
  for (int i = 0; i < count; ++i) {
    const int x = rng.Below(p.width), y = rng.Below(y1);
    const double v = 110 + 100 * rng.Uniform();
    Put(p, x, y, {v, v, v * 0.9 + 20});
  }
}

// Places the text marker: the neighbour is set to the colour given, the
// marker itself to pure blue.
TextMarker Mark(Picture& p, int x, int y, Rgb neighbour) {
  Put(p, x - 1, y, neighbour);
  Put(p, x, y, {0, 0, 255});
  return {x, y, Byte(neighbour.r), Byte(neighbour.g), Byte(neighbour.b)};
}

// A background must hold exactly its one marker: pure blue anywhere else
// would move the text, so any stray one is nudged off.
void ClearBlue(Picture& p) {
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      std::uint8_t* px = p.At(x, y);
      if (px[0] == 255 && px[1] == 0 && px[2] == 0) px[0] = 254;
    }
}

Picture Title() {
  Picture p(600, 400);
  Sky(p,
      {{0, {224, 210, 234}},
       {150, {242, 216, 216}},
       {240, {252, 210, 172}},
       {290, {255, 178, 118}}},
      11, 26);
  Glow(p, 300, 300, 240, {255, 170, 90}, 0.35);
  Ridge(p, 282, 26, 90, {176, 128, 148}, 12);
  Ridge(p, 312, 30, 60, {72, 40, 56}, 13);
  Ridge(p, 345, 12, 40, {44, 24, 32}, 14);
  Tree(p, 45, 330, 190, {40, 22, 32}, 15);
  Tree(p, 560, 335, 170, {40, 22, 32}, 16);
  Rng rng(17);
  const int braziers[] = {130, 235, 365, 470};
  for (int i = 0; i < 4; ++i) {
    const int x = braziers[i];
    Glow(p, x, 330, 70, {255, 140, 50}, 0.6);
    for (int y = 335; y < 360; ++y)
      for (int dx = -8 + (y - 335) / 4; dx <= 8 - (y - 335) / 4; ++dx)
        Put(p, x + dx, y, {30, 16, 20});
    Flame(p, x, 336, 22, 44 + 8 * (i % 2), 20u + i);
  }
  Embers(p, rng, 120, 100, 500, 240, 330);
  return p;
}

Picture GardenDusk() {
  Picture p(600, 400);
  Sky(p, {{0, {246, 240, 236}}, {200, {250, 236, 220}}, {310, {252, 222, 196}}}, 21, 14);
  Ridge(p, 305, 30, 120, {222, 206, 200}, 22);  // far trees in the haze
  Ridge(p, 338, 20, 50, {64, 74, 52}, 23);      // hedge
  Ridge(p, 372, 6, 30, {96, 84, 70}, 24);       // gravel
  Rng rng(25);
  for (int i = 0; i < 6; ++i) {  // stepping stones
    const int cx = 60 + i * 55, cy = 380 + (i % 2) * 8;
    for (int y = cy - 6; y <= cy + 6; ++y)
      for (int x = cx - 16; x <= cx + 16; ++x)
        if (std::hypot((x - cx) / 16.0, (y - cy) / 6.0) < 1) Put(p, x, y, {150, 146, 140});
  }
  for (int x : {90, 210, 330}) {
    Glow(p, x, 325, 50, {255, 150, 60}, 0.5);
    Flame(p, x, 330, 14, 28, static_cast<std::uint32_t>(x));
  }
  Embers(p, rng, 30, 60, 360, 290, 320);
  return p;
}

Picture NightGarden() {
  Picture p(600, 400);
  Sky(p, {{0, {6, 6, 22}}, {240, {20, 14, 40}}, {300, {48, 20, 30}}}, 31, 10);
  Rng rng(32);
  Stars(p, rng, 60, 230);
  Ridge(p, 318, 34, 70, {0, 0, 0}, 33);  // hedges: pure black, they smoulder in the game
  Tree(p, 70, 330, 230, {0, 0, 0}, 34);
  Tree(p, 545, 330, 200, {0, 0, 0}, 35);
  for (int x : {180, 300, 420}) {
    Glow(p, x, 300, 60, {255, 110, 40}, 0.55);
    Flame(p, x, 305, 12, 26, static_cast<std::uint32_t>(x));
  }
  return p;
}

Picture Altar() {
  Picture p(600, 400);
  Sky(p, {{0, {26, 6, 6}}, {200, {60, 12, 8}}, {330, {150, 40, 12}}}, 41, 16);
  Glow(p, 300, 360, 260, {255, 120, 30}, 0.55);
  // The altar: a black stone table with steps.
  for (int y = 300; y < 400; ++y) {
    const int half = y < 320 ? 110 : (y < 345 ? 130 : 160 + (y - 345));
    for (int x = 300 - half; x <= 300 + half; ++x) Put(p, x, y, {0, 0, 0});
  }
  Flame(p, 300, 302, 70, 150, 42);
  Flame(p, 215, 300, 22, 55, 43);
  Flame(p, 385, 300, 22, 55, 44);
  Rng rng(45);
  Embers(p, rng, 160, 150, 450, 80, 290);
  return p;
}

Picture Dawn() {
  Picture p(600, 400);
  Sky(p, {{0, {255, 246, 226}}, {220, {255, 232, 196}}, {300, {255, 206, 150}}}, 51, 12);
  Glow(p, 300, 305, 200, {255, 230, 160}, 0.5);
  Ridge(p, 310, 22, 100, {200, 150, 120}, 52);
  Ridge(p, 345, 16, 45, {120, 82, 60}, 53);
  Tree(p, 40, 350, 150, {110, 70, 55}, 54);
  return p;
}

// The pond, saved as JPEG: it carries no marker (an exact blue pixel does not
// survive lossy compression), so its text keeps the layout of the background
// loaded before it.
Picture Pond() {
  Picture p(600, 400);
  Sky(p, {{0, {238, 238, 240}}, {220, {222, 226, 232}}}, 61, 12);
  Ridge(p, 232, 14, 60, {150, 146, 156}, 62);
  for (int y = 238; y < 400; ++y) {
    for (int x = 0; x < 600; ++x) {
      const double ripple = Fbm(x / 90.0, y / 3.0, 63) - 0.5;
      Put(p, x, y, Mix({176, 188, 200}, {110, 124, 140}, (y - 238) / 162.0 + ripple * 0.3));
    }
  }
  for (int fx : {120, 290, 460}) {
    Flame(p, fx, 228, 10, 20, static_cast<std::uint32_t>(fx));
    for (int y = 240; y < 330; ++y) {  // the reflection, broken by ripples
      const double a = 0.7 * (1 - (y - 240) / 90.0);
      const int w = 6 + static_cast<int>(8 * Noise(fx / 7.0, y / 2.0, 64));
      for (int x = fx - w; x <= fx + w; ++x)
        Blend(p, x, y, {255, 150, 60}, a * (1 - std::fabs(x - fx) / (w + 1.0)));
    }
  }
  Rng rng(65);
  for (int i = 0; i < 9; ++i) {  // lily pads
    const int cx = 40 + rng.Below(520), cy = 300 + rng.Below(90), r = 10 + rng.Below(10);
    for (int y = cy - r; y <= cy + r; ++y)
      for (int x = cx - 2 * r; x <= cx + 2 * r; ++x)
        if (std::hypot((x - cx) / 2.0, y - cy) < r && !(x > cx && std::abs(y - cy) < 2))
          Put(p, x, y, {62, 104, 64});
  }
  return p;
}

Rgb Key() {
  return {kKeyR, kKeyG, kKeyB};
}

bool IsKey(const Picture& p, int x, int y) {
  const std::uint8_t* px = p.At(x, y);
  return px[2] == kKeyR && px[1] == kKeyG && px[0] == kKeyB;
}

// Black one-pixel outline around everything that is not key colour.
void Outline(Picture& p) {
  std::vector<std::pair<int, int>> edge;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      if (IsKey(p, x, y)) continue;
      bool border = x == 0 || y == 0 || x == p.width - 1 || y == p.height - 1;
      if (!border)
        border =
            IsKey(p, x - 1, y) || IsKey(p, x + 1, y) || IsKey(p, x, y - 1) || IsKey(p, x, y + 1);
      if (border) edge.emplace_back(x, y);
    }
  for (auto [x, y] : edge) Put(p, x, y, {0, 0, 0});
}

void FillKey(Picture& p) {
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) Put(p, x, y, Key());
}

void Block(Picture& p, int cx, int y0, int y1, int halfTop, int halfBottom, Rgb c,
           std::uint32_t seed) {
  for (int y = y0; y < y1; ++y) {
    const int half = halfTop + (halfBottom - halfTop) * (y - y0) / std::max(1, y1 - y0 - 1);
    for (int x = cx - half; x <= cx + half; ++x) {
      const double n = Fbm(x / 6.0, y / 6.0, seed) - 0.5;
      Put(p, x, y, {c.r + 40 * n, c.g + 40 * n, c.b + 40 * n});
    }
  }
}

Picture Lantern() {
  Picture p(100, 150);
  FillKey(p);
  const Rgb stone{128, 124, 116};
  Block(p, 50, 136, 149, 30, 35, stone, 71);  // base
  Block(p, 50, 96, 136, 10, 12, stone, 72);   // pillar
  Block(p, 50, 86, 96, 28, 28, stone, 73);    // platform
  Block(p, 50, 52, 86, 21, 21, stone, 74);    // fire box
  for (int y = 58; y < 80; ++y)
    for (int x = 38; x <= 62; ++x)
      Put(p, x, y, Mix({255, 150, 50}, {255, 226, 140}, 1 - std::fabs(x - 50) / 13.0));
  Flame(p, 50, 78, 6, 16, 75);
  Block(p, 50, 32, 52, 16, 46, {96, 92, 88}, 76);  // roof
  for (int y = 16; y < 32; ++y)                    // the jewel on top
    for (int x = 40; x < 60; ++x)
      if (std::hypot(x - 49.5, (y - 24) * 1.1) < 8) Put(p, x, y, {110, 106, 100});
  Outline(p);
  return p;
}

Picture FlameOverlay() {
  Picture p(80, 120);
  FillKey(p);
  Flame(p, 40, 117, 34, 110, 81);
  return p;
}

Picture Figure() {
  Picture p(70, 160);
  FillKey(p);
  const Rgb ink{0, 0, 0};
  for (int y = 6; y < 40; ++y)  // head and bun
    for (int x = 20; x < 50; ++x)
      if (std::hypot(x - 35, y - 24) < 11 || std::hypot(x - 35, y - 10) < 6) Put(p, x, y, ink);
  for (int y = 34; y < 159; ++y) {  // kimono, widening to the hem
    const int half = 12 + (y - 34) * 13 / 125;
    for (int x = 35 - half; x <= 35 + half; ++x) Put(p, x, y, ink);
  }
  for (int y = 42; y < 100; ++y)  // sleeves
    for (int x = 2; x < 68; ++x)
      if (std::hypot((x - 35) / 33.0, (y - 68) / 30.0) < 1 && y > 44) Put(p, x, y, ink);
  for (int y = 72; y < 79; ++y)  // the sash, a deep ember red
    for (int x = 23; x < 48; ++x) Put(p, x, y, {150, 24, 12});
  return p;
}

Picture SandClock() {
  Picture p(50, 50);
  FillKey(p);
  const Rgb wood{122, 72, 34}, glass{214, 228, 240}, sand{228, 166, 62};
  for (int y = 7; y < 43; ++y) {
    const double d = std::fabs(y - 24.5) / 17.5;
    const int half = 2 + static_cast<int>(13 * std::pow(d, 0.7));
    for (int x = 25 - half; x < 25 + half; ++x) {
      const bool edge = x == 25 - half || x == 24 + half;
      const bool topSand = y >= 16 && y < 24;
      const bool bottomSand = y >= 42 - std::max(0, 9 - std::abs(x - 24) / 2) && y > 32;
      const bool stream = (x == 24 || x == 25) && y >= 24 && y < 36;
      Put(p, x, y, edge ? Rgb{60, 60, 72} : (topSand || bottomSand || stream) ? sand : glass);
    }
  }
  for (int y = 2; y < 7; ++y)
    for (int x = 5; x < 45; ++x) Put(p, x, y, wood);
  for (int y = 43; y < 48; ++y)
    for (int x = 5; x < 45; ++x) Put(p, x, y, wood);
  for (int y = 7; y < 43; ++y)
    for (int x : {7, 8, 41, 42}) Put(p, x, y, wood);
  Outline(p);
  return p;
}

// A background as a file: stray marker blue cleared, then the text marker put
// at (30, 60) beside a neighbour of the colour given (it sets the text's colour).
PictureFile Background(const char* name, Picture picture, Rgb neighbour) {
  ClearBlue(picture);
  const TextMarker marker = Mark(picture, 30, 60, neighbour);
  return {name, PictureFormat::Bmp, std::move(picture), marker, false};
}

}  // namespace

std::vector<PictureFile> PaintPictures(const std::set<std::string>& only) {
  std::vector<PictureFile> out;
  // Each picture is painted only when it is wanted: painting is the slow part.
  auto wanted = [&](std::string_view name) {
    return only.empty() || only.count(std::string(name)) != 0;
  };
  using basefiles::kSandClock;
  using basefiles::kTitlePicture;
  if (wanted(kTitlePicture)) {
    out.push_back({std::string(kTitlePicture), PictureFormat::Bmp, Title(), {}, false});
  }
  if (wanted("garden_dusk.bmp"))
    out.push_back(Background("garden_dusk.bmp", GardenDusk(), {255, 255, 255}));
  if (wanted("night_garden.bmp"))
    out.push_back(Background("night_garden.bmp", NightGarden(), {0, 0, 0}));
  if (wanted("altar.bmp")) out.push_back(Background("altar.bmp", Altar(), {26, 6, 6}));
  if (wanted("dawn.bmp")) out.push_back(Background("dawn.bmp", Dawn(), {255, 250, 235}));
  if (wanted("pond.jpg")) out.push_back({"pond.jpg", PictureFormat::Jpeg, Pond(), {}, false});
  if (wanted("lantern.bmp")) {
    out.push_back({"lantern.bmp", PictureFormat::Bmp, Lantern(), {}, true});
  }
  if (wanted("flame.bmp"))
    out.push_back({"flame.bmp", PictureFormat::Bmp, FlameOverlay(), {}, true});
  if (wanted("figure.bmp")) out.push_back({"figure.bmp", PictureFormat::Bmp, Figure(), {}, true});
  if (wanted(kSandClock)) {
    out.push_back({std::string(kSandClock), PictureFormat::Bmp, SandClock(), {}, true});
  }
  return out;
}

// The program's icon: one flame in a brazier against a night turning to
// ember red, painted in units of a 256-pixel square so that every size shows
// the same picture.
Picture PaintIcon(int size) {
  Picture p(size, size);
  const double s = size / 256.0;
  auto at = [s](double v) { return static_cast<int>(std::lround(v * s)); };
  Sky(p, {{0, {26, 10, 34}}, {at(120), {84, 20, 36}}, {at(256), {178, 62, 28}}}, 91, 12);
  Glow(p, at(128), at(170), at(125), {255, 140, 50}, 0.75);
  Ridge(p, at(222), 10 * s, 50 * s, {36, 16, 22}, 92);
  for (int y = at(196); y < at(226); ++y) {  // the brazier's bowl
    const int half = at(46) - (y - at(196));
    for (int x = at(128) - half; x <= at(128) + half; ++x) Put(p, x, y, {30, 14, 18});
  }
  Flame(p, at(128), at(200), at(100), at(170), 93);
  Rng rng(94);
  Embers(p, rng, std::max(4, at(36)), at(40), at(216), at(20), at(150));
  return p;
}

}  // namespace mkdata
