#include "tools/gamedata/Sounds.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "game/BaseFiles.h"
#include "tools/gamedata/Rng.h"

namespace mkdata {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

using Signal = std::vector<double>;

std::size_t SamplesFor(double seconds) {
  return static_cast<std::size_t>(std::lround(seconds * kSampleRate));
}

// Scales the signal so its largest magnitude is `peak` (0..1) and rounds it
// to 16-bit samples.
std::vector<std::int16_t> ToPcm(const Signal& s, double peak) {
  double top = 0.0;
  for (double v : s) top = std::max(top, std::fabs(v));
  const double gain = top > 0.0 ? peak * 32767.0 / top : 0.0;
  std::vector<std::int16_t> out(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double v = std::clamp(std::round(s[i] * gain), -32767.0, 32767.0);
    out[i] = static_cast<std::int16_t>(v);
  }
  return out;
}

// Short linear fades at both ends so a one-shot starts and stops at silence.
void FadeEnds(Signal& s, double inSeconds, double outSeconds) {
  const std::size_t in = std::min(s.size(), SamplesFor(inSeconds));
  const std::size_t out = std::min(s.size(), SamplesFor(outSeconds));
  for (std::size_t i = 0; i < in; ++i) s[i] *= static_cast<double>(i) / static_cast<double>(in);
  for (std::size_t i = 0; i < out; ++i) {
    s[s.size() - 1 - i] *= static_cast<double>(i) / static_cast<double>(out);
  }
}

// A soft spark: a few tiny pops over a brief sizzle.
Signal Ash() {
  Rng rng(0xA5u);
  Signal s(SamplesFor(0.150), 0.0);
  double previous = 0.0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double noise = rng.Signed();
    s[i] += (noise - previous) * 0.22 * std::exp(-t / 0.035);  // high, fizzing
    previous = noise;
  }
  const double pops[] = {0.000, 0.006, 0.015, 0.027, 0.046, 0.071, 0.102};
  double strength = 1.0;
  for (double at : pops) {
    const std::size_t start = SamplesFor(at + rng.Uniform() * 0.003);
    const double ping = 2500.0 + rng.Uniform() * 1500.0;
    for (std::size_t k = 0; start + k < s.size() && k < SamplesFor(0.006); ++k) {
      const double t = static_cast<double>(k) / kSampleRate;
      s[start + k] += strength * (rng.Signed() * std::exp(-t / 0.0007) +
                                  0.5 * std::sin(kTwoPi * ping * t) * std::exp(-t / 0.0018));
    }
    strength *= 0.72;
  }
  FadeEnds(s, 0.0005, 0.012);
  return s;
}

// A dull thud: a falling low tone with a muffled knock at its start.
Signal Dun() {
  Rng rng(0xD0u);
  Signal s(SamplesFor(0.200), 0.0);
  double phase = 0.0;
  double muffled = 0.0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double frequency = 52.0 + 68.0 * std::exp(-t / 0.03);
    phase += kTwoPi * frequency / kSampleRate;
    const double body = (1.0 - std::exp(-t / 0.002)) * std::exp(-t / 0.055);
    muffled += (rng.Signed() - muffled) * 0.08;  // a heavy low-pass
    s[i] = body * (std::sin(phase) + 0.25 * std::sin(2.0 * phase)) +
           2.5 * muffled * std::exp(-t / 0.012);
  }
  FadeEnds(s, 0.0005, 0.02);
  return s;
}

// Two seconds of a fire that repeats without a seam: every part is periodic
// over the loop (whole-cycle partials, noise filtered around the ring, pops
// whose tails wrap to the start).
Signal Fire() {
  Rng rng(0xF1u);
  const std::size_t n = SamplesFor(2.0);
  Signal s(n, 0.0);

  // Low roar: partials on multiples of 0.5 Hz from 15 to 150 Hz.
  Signal roar(n, 0.0);
  for (int k = 30; k <= 300; ++k) {
    const double frequency = k * 0.5;
    const double amplitude = 1.0 / k;
    const double phase = rng.Uniform() * kTwoPi;
    for (std::size_t i = 0; i < n; ++i) {
      roar[i] +=
          amplitude * std::sin(kTwoPi * frequency * static_cast<double>(i) / kSampleRate + phase);
    }
  }
  double roarTop = 0.0;
  for (double v : roar) roarTop = std::max(roarTop, std::fabs(v));

  // Hiss: white noise through a band-pass run twice around the ring, so the
  // filter state at the end matches the start.
  Signal white(n);
  for (double& v : white) v = rng.Signed();
  Signal hiss(n, 0.0);
  double low = 0.0;
  double lower = 0.0;
  for (int pass = 0; pass < 2; ++pass) {
    for (std::size_t i = 0; i < n; ++i) {
      low += (white[i] - low) * 0.35;
      lower += (low - lower) * 0.05;
      hiss[i] = low - lower;
    }
  }

  for (std::size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double swell = 0.75 + 0.25 * std::sin(kTwoPi * t / 2.0) * std::sin(kTwoPi * t);
    s[i] = 0.35 * roar[i] / roarTop + 0.18 * swell * hiss[i];
  }

  // Crackles.
  for (int pop = 0; pop < 34; ++pop) {
    const std::size_t at = static_cast<std::size_t>(rng.Below(static_cast<int>(n)));
    const double strength = 0.25 + 0.75 * rng.Uniform() * rng.Uniform();
    const double decay = 0.0004 + 0.0016 * rng.Uniform();
    const std::size_t length = SamplesFor(decay * 6.0);
    for (std::size_t k = 0; k < length; ++k) {
      const double t = static_cast<double>(k) / kSampleRate;
      s[(at + k) % n] += strength * rng.Signed() * std::exp(-t / decay);
    }
  }
  return s;
}

// A bronze bell struck once: inharmonic partials dying away at their own pace.
Signal Bell() {
  Rng rng(0xBEu);
  Signal s(SamplesFor(2.6), 0.0);
  struct Partial {
    double ratio, amplitude, decay;
  };
  const Partial partials[] = {{0.5, 0.55, 1.9},   {1.0, 1.0, 1.3},  {1.19, 0.45, 1.0},
                              {1.56, 0.40, 0.8},  {2.0, 0.32, 0.6}, {2.74, 0.22, 0.4},
                              {3.76, 0.14, 0.25}, {5.4, 0.09, 0.15}};
  const double base = 196.0;
  for (const Partial& p : partials) {
    const double phase = rng.Uniform() * kTwoPi;
    const double beat = 0.6 + rng.Uniform();  // slow shimmer
    for (std::size_t i = 0; i < s.size(); ++i) {
      const double t = static_cast<double>(i) / kSampleRate;
      s[i] += p.amplitude * std::exp(-t / p.decay) * (1.0 + 0.08 * std::sin(kTwoPi * beat * t)) *
              std::sin(kTwoPi * base * p.ratio * t + phase);
    }
  }
  for (std::size_t i = 0; i < SamplesFor(0.005); ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    s[i] += 0.4 * rng.Signed() * std::exp(-t / 0.001);
  }
  FadeEnds(s, 0.0003, 0.3);
  return s;
}

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

}  // namespace

std::vector<std::uint8_t> EncodeWav(const std::vector<std::int16_t>& samples, int sampleRate) {
  const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
  std::vector<std::uint8_t> out;
  out.reserve(44 + dataBytes);
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  PutLe(out, 36 + dataBytes, 4);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  PutLe(out, 16, 4);                                          // chunk size
  PutLe(out, 1, 2);                                           // PCM
  PutLe(out, 1, 2);                                           // mono
  PutLe(out, static_cast<std::uint32_t>(sampleRate), 4);      // frames per second
  PutLe(out, static_cast<std::uint32_t>(sampleRate) * 2, 4);  // bytes per second
  PutLe(out, 2, 2);                                           // block align
  PutLe(out, 16, 2);                                          // bits per sample
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  PutLe(out, dataBytes, 4);
  for (std::int16_t v : samples) PutLe(out, static_cast<std::uint16_t>(v), 2);
  return out;
}

std::vector<SoundFile> SynthesiseSounds() {
  return {
      {std::string(basefiles::kHeatTaken), EncodeWav(ToPcm(Ash(), 0.6), kSampleRate), false},
      {std::string(basefiles::kHeatRefused), EncodeWav(ToPcm(Dun(), 0.8), kSampleRate), false},
      {"fire.wav", EncodeWav(ToPcm(Fire(), 0.7), kSampleRate), true},
      {"bell.wav", EncodeWav(ToPcm(Bell(), 0.7), kSampleRate), false},
  };
}

}  // namespace mkdata
