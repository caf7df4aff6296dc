#include "DemoSignal.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr double kPi = 3.14159265358979323846;
constexpr double kBeat = 0.5; // 120 beats per minute
constexpr double kChordLength = 1.5;

// Noise that depends only on the frame index (a 64-bit mix), in -1..1.
double hashNoise(uint64_t x)
{
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  x ^= x >> 31;
  return static_cast<double>(x >> 11) * (2.0 / 9007199254740992.0) - 1.0;
}

double midiToHz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// C major, A minor, F major, G major, each with its bass an octave below.
const int kChords[4][4] = {{48, 60, 64, 67}, {45, 57, 60, 64}, {41, 57, 60, 65}, {43, 55, 59, 62}};
}

int64_t DemoSignal::frames() const { return static_cast<int64_t>(kSeconds * kSampleRate); }

void DemoSignal::frameAt(int64_t index, float& left, float& right)
{
  const double t = static_cast<double>(index) / kSampleRate;
  double l = 0.0;
  double r = 0.0;

  // The analysis draws linear magnitudes (a full-scale sine stands a quarter
  // high), so the parts are loud and tonal: a few strong partials at a time
  // make tall ridges, where many quiet ones would make a flat field.

  // Chords: a few decaying harmonics per note, notes spread across the stereo field.
  const int chord = static_cast<int>(t / kChordLength) % 4;
  const double tc = std::fmod(t, kChordLength);
  const double chordEnv = (1.0 - std::exp(-tc * 60.0)) * std::exp(-tc * 1.2);
  for (int n = 0; n < 4; ++n)
  {
    const double f = midiToHz(kChords[chord][n]);
    double v = 0.0;
    for (int h = 1; h <= 4; ++h)
      v += std::sin(2.0 * kPi * f * h * tc) / (h * h);
    const double pan = 0.2 + 0.2 * n;
    l += 0.05 * chordEnv * v * (1.0 - pan);
    r += 0.05 * chordEnv * v * pan;
  }

  // Lead: an arpeggio of the chord an octave up, one note per half beat, a
  // band-limited square (odd harmonics) so that each note is a ladder of ridges.
  const int step = static_cast<int>(t / (kBeat / 2.0));
  const double ts = std::fmod(t, kBeat / 2.0);
  const int order[4] = {1, 2, 3, 2};
  const double fl = midiToHz(kChords[chord][order[step % 4]] + 12);
  const double leadEnv = (1.0 - std::exp(-ts * 200.0)) * std::exp(-ts * 5.0);
  double lead = 0.0;
  for (int h = 1; h <= 7; h += 2)
    lead += std::sin(2.0 * kPi * fl * h * ts) / h;
  lead *= 0.75 * leadEnv;
  // In the middle: the analysis takes the mid mix, which halves what is panned.
  l += lead;
  r += lead;

  // Bass: the chord's root, a sine with a touch of its octave.
  const double fb = midiToHz(kChords[chord][0] - 12);
  const double bass = 0.15 * (1.0 - std::exp(-tc * 40.0)) *
                      (std::sin(2.0 * kPi * fb * tc) + 0.3 * std::sin(4.0 * kPi * fb * tc));
  l += bass;
  r += bass;

  // Exponential sweep from 80 Hz to 12 kHz over the whole signal, moving left to right.
  const double f0 = 80.0;
  const double k = std::log(12000.0 / f0) / kSeconds;
  const double sweep = 0.08 * std::sin(2.0 * kPi * f0 * (std::exp(k * t) - 1.0) / k);
  const double sweepPan = std::min(1.0, t / kSeconds);
  l += sweep * (1.0 - sweepPan);
  r += sweep * sweepPan;

  // Drums: a kick with a falling pitch on beats 1 and 3, noise hats on every half beat.
  const int beat = static_cast<int>(t / kBeat);
  const double tb = std::fmod(t, kBeat);
  if (beat % 2 == 0)
  {
    const double phase = 2.0 * kPi * (45.0 * tb + (110.0 / 30.0) * (1.0 - std::exp(-30.0 * tb)));
    const double kick = 0.45 * std::exp(-tb * 9.0) * std::sin(phase);
    l += kick;
    r += kick;
  }
  const double th = std::fmod(t, kBeat / 2.0);
  const double hatEnv = std::exp(-th * (beat % 2 == 1 ? 18.0 : 40.0));
  const uint64_t i = static_cast<uint64_t>(index);
  const double hat = hashNoise(i) - hashNoise(i - 1); // first difference: bright noise
  l += 0.05 * hatEnv * hat;
  r += 0.05 * hatEnv * (hashNoise(i ^ 0x5555) - hashNoise((i - 1) ^ 0x5555));

  // The parts' peaks can add up past full scale: a soft limit keeps every
  // sample inside -1..1, bending only the loudest moments.
  left = static_cast<float>(std::tanh(l));
  right = static_cast<float>(std::tanh(r));
}

int64_t DemoSignal::read(float* interleaved, int64_t maxFrames)
{
  const int64_t n = std::max<int64_t>(0, std::min(maxFrames, frames() - mPosition));
  for (int64_t i = 0; i < n; ++i)
    frameAt(mPosition + i, interleaved[2 * i], interleaved[2 * i + 1]);
  mPosition += n;
  return n;
}

bool DemoSignal::rewind()
{
  mPosition = 0;
  return true;
}
