#include "click_sound.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zelluo::artwork {

namespace {

constexpr double kRate = 44100.0;

// SplitMix64: tiny, well mixed and the same on every platform.
class NoiseSource {
 public:
  explicit NoiseSource(uint64_t seed) : state_(seed) {}
  // Uniform in [-1, 1).
  double Next() {
    state_ += 0x9E3779B97F4A7C15ULL;
    uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * (2.0 / 9007199254740992.0) - 1.0;
  }

 private:
  uint64_t state_;
};

// Level over time: a soft brush from 4 ms, the hit rising to its top at
// 45-50 ms, then a fast fall (below a tenth by 100 ms) and a faint tail.
double Envelope(double t) {
  const double pi = std::numbers::pi;
  double level = 0.0;
  if (t >= 0.004 && t < 0.030) {
    level = 0.10 * std::sin(0.5 * pi * (t - 0.004) / 0.026);
  } else if (t >= 0.030 && t < 0.045) {
    const double u = (t - 0.030) / 0.015;
    level = 0.10 + 0.90 * 0.5 * (1.0 - std::cos(pi * u));
  } else if (t >= 0.045 && t < 0.050) {
    level = 1.0;
  } else if (t >= 0.050) {
    level = std::exp(-(t - 0.050) / 0.011);
  }
  return level;
}

double Tail(double t) { return t < 0.050 ? 0.0 : 0.004 * std::exp(-(t - 0.050) / 0.25); }

// Bright noise: a first-order high-pass lifts the upper frequencies.
class BrightNoise {
 public:
  explicit BrightNoise(uint64_t seed) : source_(seed) {}
  double Next() {
    const double x = 0.5 * (source_.Next() + source_.Next());
    const double y = x - 0.65 * previous_;
    previous_ = x;
    return y;
  }

 private:
  NoiseSource source_;
  double previous_ = 0.0;
};

// A decaying resonance struck at the top of the hit, for the "tick" in the click.
double Ring(double t, double frequency, double phase) {
  if (t < 0.044) return 0.0;
  const double age = t - 0.044;
  return std::sin(2 * std::numbers::pi * frequency * age + phase) * std::exp(-age / 0.009);
}

void PutUint16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutUint32(std::vector<uint8_t>& out, uint32_t value) {
  PutUint16(out, value & 0xffff);
  PutUint16(out, value >> 16);
}

void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

// Scales a channel so that its largest magnitude becomes fraction of full
// scale: 32767 upwards, 32768 downwards.
std::vector<int16_t> Quantise(const std::vector<double>& samples, double fraction) {
  const auto extreme = std::max_element(samples.begin(), samples.end(), [](double a, double b) {
    return std::fabs(a) < std::fabs(b);
  });
  const double fullScale = *extreme < 0 ? 32768.0 : 32767.0;
  const double scale = fraction * fullScale / std::fabs(*extreme);
  std::vector<int16_t> out;
  out.reserve(samples.size());
  for (double s : samples) {
    out.push_back(static_cast<int16_t>(std::clamp(std::lround(s * scale), -32768L, 32767L)));
  }
  return out;
}

}  // namespace

std::vector<uint8_t> BuildClickWave() {
  BrightNoise common(0x5A454C4C554F01ULL);
  BrightNoise left(0x5A454C4C554F02ULL);
  BrightNoise right(0x5A454C4C554F03ULL);
  std::vector<double> leftSamples(kClickFrames);
  std::vector<double> rightSamples(kClickFrames);
  for (int i = 0; i < kClickFrames; ++i) {
    const double t = i / kRate;
    const double shared = common.Next();
    const double own[2] = {left.Next(), right.Next()};
    const double envelope = Envelope(t);
    const double tail = Tail(t);
    leftSamples[i] = envelope * (0.55 * shared + 0.45 * own[0] + 0.35 * Ring(t, 3150, 0.0) +
                                 0.20 * Ring(t, 5230, 1.1)) +
                     tail * own[0];
    rightSamples[i] = envelope * (0.55 * shared + 0.45 * own[1] + 0.30 * Ring(t, 3150, 0.6) +
                                  0.25 * Ring(t, 5230, 2.3)) +
                      tail * own[1];
  }
  // The right channel reaches full scale, the left about 78 % of it.
  const std::vector<int16_t> leftPcm = Quantise(leftSamples, 0.78);
  const std::vector<int16_t> rightPcm = Quantise(rightSamples, 1.0);

  const uint32_t dataBytes = kClickFrames * 4;
  std::vector<uint8_t> out;
  out.reserve(44 + dataBytes);
  PutTag(out, "RIFF");
  PutUint32(out, 4 + 8 + 16 + 8 + dataBytes);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutUint32(out, 16);
  PutUint16(out, 1);       // PCM
  PutUint16(out, 2);       // channels
  PutUint32(out, 44100);   // frames per second
  PutUint32(out, 176400);  // bytes per second
  PutUint16(out, 4);       // block align
  PutUint16(out, 16);      // bits per sample
  PutTag(out, "data");
  PutUint32(out, dataBytes);
  for (int i = 0; i < kClickFrames; ++i) {
    PutUint16(out, static_cast<uint16_t>(leftPcm[i]));
    PutUint16(out, static_cast<uint16_t>(rightPcm[i]));
  }
  return out;
}

}  // namespace zelluo::artwork
