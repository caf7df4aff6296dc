#include "dsp/Window.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
constexpr double kPi = 3.14159265358979323846;

WDL_TypedBuf<double> Hann(int n)
{
  WDL_TypedBuf<double> w;
  Window::MakeHann(n, &w);
  return w;
}

// Largest deviation from 1 of the product a*s overlap-added with the hop.
double OverlapAddDeviation(const WDL_TypedBuf<double>& a, const WDL_TypedBuf<double>& s, int overlapping)
{
  const int n = a.GetSize();
  const int hop = n / overlapping;
  double worst = 0.0;
  for (int i = 0; i < n; ++i)
  {
    double sum = 0.0;
    for (int shift = 0; shift < n; shift += hop)
    {
      const int j = (i + shift) % n;
      sum += a[j] * s[j];
    }
    worst = std::max(worst, std::fabs(sum - 1.0));
  }
  return worst;
}

struct Pair
{
  WDL_TypedBuf<double> analysis;
  WDL_TypedBuf<double> synthesis;
};

Pair Make(int n, int overlapping, int analysisType, int synthesisType)
{
  Pair p;
  Window::MakeWindows(n, overlapping, analysisType, synthesisType, &p.analysis, &p.synthesis);
  return p;
}
} // namespace

TEST(Window, HannOfFiveValues)
{
  const WDL_TypedBuf<double> w = Hann(5);
  ASSERT_EQ(w.GetSize(), 5);
  EXPECT_NEAR(w[0], 0.0, 1e-15);
  EXPECT_NEAR(w[1], 0.5, 1e-15);
  EXPECT_NEAR(w[2], 1.0, 1e-15);
  EXPECT_NEAR(w[3], 0.5, 1e-15);
  EXPECT_NEAR(w[4], 0.0, 1e-15);
}

TEST(Window, HannIsSymmetricWithZeroEnds)
{
  const WDL_TypedBuf<double> w = Hann(2048);
  EXPECT_NEAR(w[0], 0.0, 1e-15);
  EXPECT_NEAR(w[2047], 0.0, 1e-15);
  for (int i = 0; i < 1024; ++i)
    ASSERT_NEAR(w[i], w[2047 - i], 1e-12) << i;
  EXPECT_NEAR(w[1023], 0.5 * (1.0 - std::cos(2.0 * kPi * 1023 / 2047)), 1e-15);

  // A single value has no Hann shape; it must at least be a number.
  const WDL_TypedBuf<double> one = Hann(1);
  ASSERT_EQ(one.GetSize(), 1);
  EXPECT_TRUE(std::isfinite(one[0]));
  EXPECT_EQ(Hann(0).GetSize(), 0);
}

TEST(Window, HannPowAndRectangular)
{
  WDL_TypedBuf<double> w;
  Window::MakeHannPow(5, &w, 2.0);
  EXPECT_NEAR(w[1], 0.25, 1e-15);
  EXPECT_NEAR(w[2], 1.0, 1e-15);
  Window::MakeHannPow(5, &w, 0.5);
  EXPECT_NEAR(w[1], std::sqrt(0.5), 1e-15);

  Window::MakeRectangular(7, &w, 0.3);
  ASSERT_EQ(w.GetSize(), 7);
  for (double v : w)
    EXPECT_EQ(v, 0.3);
}

TEST(Window, ColaConstants)
{
  WDL_TypedBuf<double> squared;
  Window::MakeHannPow(2048, &squared, 2.0);
  EXPECT_NEAR(Window::ComputeCola(squared, 4), 1.49927, 1e-5);
  EXPECT_NEAR(Window::ComputeCola(Hann(2048), 4), 1.99902, 1e-5);
  EXPECT_NEAR(Window::ComputeCola(Hann(2048), 2), 0.99951, 1e-5);

  WDL_TypedBuf<double> rect;
  Window::MakeRectangular(2048, &rect, 1.0);
  EXPECT_DOUBLE_EQ(Window::ComputeCola(rect, 4), 4.0);
  EXPECT_DOUBLE_EQ(Window::ComputeCola(rect, 1), 1.0);
}

TEST(Window, ColaIsMinusOneWithoutConstantSum)
{
  WDL_TypedBuf<double> squared;
  Window::MakeHannPow(2048, &squared, 2.0);
  EXPECT_EQ(Window::ComputeCola(Hann(2048), 1), -1.0);
  EXPECT_EQ(Window::ComputeCola(squared, 2), -1.0);
  // A hop below one sample, and an empty window.
  EXPECT_EQ(Window::ComputeCola(Hann(4), 8), -1.0);
  EXPECT_EQ(Window::ComputeCola(Hann(4), 0), -1.0);
  EXPECT_EQ(Window::ComputeCola(WDL_TypedBuf<double>(), 4), -1.0);
}

TEST(Window, NormaliseDividesByColaAndKeepsWindowsWithoutOne)
{
  WDL_TypedBuf<double> w = Hann(2048);
  Window::Normalise(&w, 4);
  EXPECT_NEAR(Window::ComputeCola(w, 4), 1.0, 1e-12);

  // No constant sum: the window is left as it was (not sign-flipped).
  WDL_TypedBuf<double> h = Hann(2048);
  Window::Normalise(&h, 1);
  EXPECT_DOUBLE_EQ(h[1024], Hann(2048)[1024]);
  EXPECT_GT(h[1024], 0.0);
}

TEST(Window, MakeWindowsHannHannOverlap4)
{
  const Pair p = Make(2048, 4, kWindowHann, kWindowHann);
  const WDL_TypedBuf<double> hann = Hann(2048);
  for (int i = 0; i < 2048; i += 7)
  {
    ASSERT_DOUBLE_EQ(p.analysis[i], hann[i]);
    ASSERT_NEAR(p.synthesis[i], hann[i] / 1.49927, 1e-5);
  }
  EXPECT_LT(OverlapAddDeviation(p.analysis, p.synthesis, 4), 3e-5);
}

TEST(Window, MakeWindowsRectangularPair)
{
  const Pair p = Make(2048, 4, kWindowRectangular, kWindowRectangular);
  for (int i = 0; i < 2048; ++i)
  {
    ASSERT_EQ(p.analysis[i], 1.0);
    ASSERT_DOUBLE_EQ(p.synthesis[i], 0.25);
  }
}

TEST(Window, MakeWindowsOverlapPowerTypes)
{
  // Overlapping 2: power 0.5 for both, synthesis over the plain Hann sum.
  const Pair two = Make(2048, 2, kWindowHannOverlapPower, kWindowHannOverlapPower);
  const WDL_TypedBuf<double> hann = Hann(2048);
  for (int i = 0; i < 2048; i += 5)
  {
    ASSERT_NEAR(two.analysis[i], std::sqrt(hann[i]), 1e-12);
    ASSERT_NEAR(two.synthesis[i], std::sqrt(hann[i]) / 0.99951, 1e-5);
  }
  // The symmetric Hann sums to a constant only to within about 5e-4 here.
  EXPECT_LT(OverlapAddDeviation(two.analysis, two.synthesis, 2), 1e-3);

  // Overlapping 8: both Hann squared, their product (Hann^4) sums to 1.
  const Pair eight = Make(2048, 8, kWindowHannOverlapPower, kWindowHannOverlapPower);
  WDL_TypedBuf<double> fourth;
  Window::MakeHannPow(2048, &fourth, 4.0);
  EXPECT_NEAR(Window::ComputeCola(fourth, 8), 2.18643, 1e-5);
  for (int i = 0; i < 2048; i += 5)
  {
    ASSERT_NEAR(eight.analysis[i], hann[i] * hann[i], 1e-12);
    ASSERT_NEAR(eight.synthesis[i], hann[i] * hann[i] / 2.18643, 1e-5);
  }
  EXPECT_LT(OverlapAddDeviation(eight.analysis, eight.synthesis, 8), 1e-6);

  // Type 2 with overlapping 1 is the plain Hann.
  const Pair one = Make(64, 1, kWindowHannOverlapPower, kWindowRectangular);
  EXPECT_NEAR(one.analysis[16], Hann(64)[16], 1e-15);
}

TEST(Window, MakeWindowsSingleHannIsNormalised)
{
  const Pair in = Make(2048, 4, kWindowHann, kWindowRectangular);
  EXPECT_NEAR(in.analysis[1023], Hann(2048)[1023] / 1.99902, 1e-5);
  EXPECT_EQ(in.synthesis[0], 1.0);
  EXPECT_LT(OverlapAddDeviation(in.analysis, in.synthesis, 4), 2e-4);

  const Pair out = Make(2048, 4, kWindowRectangular, kWindowHann);
  EXPECT_EQ(out.analysis[0], 1.0);
  EXPECT_NEAR(out.synthesis[1023], Hann(2048)[1023] / 1.99902, 1e-5);
}

TEST(Window, MakeWindowsLeavesOtherCombinationsUnnormalised)
{
  // Hann alone with overlapping 1 has no constant sum: left as Hann.
  const Pair single = Make(256, 1, kWindowHann, kWindowRectangular);
  EXPECT_DOUBLE_EQ(single.analysis[128], Hann(256)[128]);

  // Hann pair with overlapping 1: no normalisation at all.
  const Pair pair = Make(256, 1, kWindowHann, kWindowHann);
  EXPECT_DOUBLE_EQ(pair.synthesis[100], Hann(256)[100]);

  // Unknown codes give rectangular windows of 1.0, not normalised.
  const Pair unknown = Make(256, 4, 5, kWindowRectangular);
  EXPECT_EQ(unknown.analysis[10], 1.0);
  EXPECT_EQ(unknown.synthesis[10], 1.0);
  const Pair unknownOut = Make(256, 4, kWindowHann, 7);
  EXPECT_DOUBLE_EQ(unknownOut.analysis[100], Hann(256)[100]);
  EXPECT_EQ(unknownOut.synthesis[100], 1.0);
}
