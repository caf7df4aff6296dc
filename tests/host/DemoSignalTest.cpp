// The host's built-in demo signal: the same frames however it is read.
#include "dsp/BufferOps.h"
#include "dsp/FftProcessObj14.h"
#include "dsp/FftTransform.h"
#include "host/DemoSignal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace
{
std::vector<float> readAll(DemoSignal& demo, int64_t block)
{
  std::vector<float> all;
  std::vector<float> buf(static_cast<std::size_t>(block) * 2);
  for (;;)
  {
    const int64_t n = demo.read(buf.data(), block);
    if (n == 0)
      break;
    EXPECT_LE(n, block);
    all.insert(all.end(), buf.begin(), buf.begin() + n * 2);
  }
  return all;
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b)
{
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}
} // namespace

TEST(DemoSignal, SameFramesForEveryBlockSizeInstanceAndRewind)
{
  DemoSignal a;
  EXPECT_EQ(a.channels(), 2);
  EXPECT_EQ(a.sampleRate(), 44100.0);
  const std::vector<float> reference = readAll(a, 512);
  ASSERT_EQ(reference.size(), static_cast<std::size_t>(a.frames()) * 2);
  EXPECT_EQ(a.read(nullptr, 0), 0);

  for (int64_t block : {1, 7, 1024, 100000})
  {
    SCOPED_TRACE(block);
    DemoSignal b;
    EXPECT_TRUE(sameBits(readAll(b, block), reference));
  }
  ASSERT_TRUE(a.rewind());
  EXPECT_TRUE(sameBits(readAll(a, 333), reference));

  for (int64_t i : {int64_t(0), int64_t(12345), a.frames() - 1})
  {
    float l = 0.0f;
    float r = 0.0f;
    DemoSignal::frameAt(i, l, r);
    EXPECT_EQ(l, reference[2 * i]);
    EXPECT_EQ(r, reference[2 * i + 1]);
  }
}

TEST(DemoSignal, SoundsLikeMusic)
{
  DemoSignal demo;
  const std::vector<float> s = readAll(demo, 4096);
  const double seconds = demo.frames() / demo.sampleRate();
  EXPECT_GE(seconds, 2.0);
  EXPECT_LE(seconds, 20.0);

  // Loudness per 10 ms: drum hits make it swing, and it never goes silent.
  const int64_t window = 441;
  double quietest = 1e9;
  double loudest = 0.0;
  double sideEnergy = 0.0;
  for (int64_t w = 0; (w + 1) * window <= demo.frames(); ++w)
  {
    double e = 0.0;
    for (int64_t i = w * window; i < (w + 1) * window; ++i)
    {
      const double l = s[2 * i];
      const double r = s[2 * i + 1];
      ASSERT_TRUE(std::isfinite(l) && std::isfinite(r));
      ASSERT_LE(std::fabs(l), 1.0);
      ASSERT_LE(std::fabs(r), 1.0);
      e += l * l + r * r;
      sideEnergy += (l - r) * (l - r);
    }
    const double rms = std::sqrt(e / (2 * window));
    quietest = std::min(quietest, rms);
    loudest = std::max(loudest, rms);
  }
  EXPECT_GT(quietest, 1e-3);
  // The lead sustains under the drums, so the swing is moderate.
  EXPECT_GT(loudest / quietest, 2.5);
  EXPECT_GT(sideEnergy, 1.0) << "left and right should differ";

  // Energy both low (the kick, the bass) and high (the hats, the sweep's end):
  // a one-pole split at about 1 kHz.
  double low = 0.0;
  double high = 0.0;
  double lp = 0.0;
  const double a = std::exp(-2.0 * 3.14159265358979 * 1000.0 / demo.sampleRate());
  for (int64_t i = 0; i < demo.frames(); ++i)
  {
    const double x = s[2 * i];
    lp = (1.0 - a) * x + a * lp;
    low += lp * lp;
    high += (x - lp) * (x - lp);
  }
  EXPECT_GT(low, 0.1 * (low + high));
  EXPECT_GT(high, 0.01 * (low + high));
}

TEST(DemoSignal, StandsTallInTheLandscape)
{
  // The analysis's magnitudes (Hann frames of 2048 of the mid mix, |DFT| / 2048)
  // draw the heights; a full-scale sine stands 0.25 high, the most any
  // signal inside -1..1 reaches is 0.5.
  FftProcessObj14::Init();
  DemoSignal demo;
  const std::vector<float> s = readAll(demo, 4096);
  constexpr int kFrame = 2048;
  WDL_TypedBuf<double> frame(kFrame);
  WDL_TypedBuf<FftComplex> spectrum;
  WDL_TypedBuf<FftComplex> scratch;
  WDL_TypedBuf<double> magns;
  std::vector<double> peaks;
  for (int64_t start = 0; start + kFrame <= demo.frames(); start += 512)
  {
    for (int i = 0; i < kFrame; ++i)
    {
      const double w = 0.5 * (1.0 - std::cos(2.0 * 3.14159265358979 * i / (kFrame - 1)));
      frame[i] = w * 0.5 * (s[2 * (start + i)] + s[2 * (start + i) + 1]);
    }
    FftTransform::Forward(frame, 1, &spectrum, &scratch);
    BufferOps::Magnitudes(spectrum.Get(), kFrame / 2, &magns);
    peaks.push_back(*std::max_element(magns.begin(), magns.end()));
  }
  std::sort(peaks.begin(), peaks.end());
  // Most frames hold a ridge of more than a quarter of a full-scale sine's,
  // the tallest more than half of one.
  EXPECT_GT(peaks[peaks.size() / 2], 0.075);
  EXPECT_GT(peaks.back(), 0.13);
}
