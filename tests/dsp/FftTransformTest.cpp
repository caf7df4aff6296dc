#include "dsp/Fft.h"
#include "dsp/FftTransform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace
{
constexpr double kPi = 3.14159265358979323846;

WDL_TypedBuf<double> Constant(int n, double value)
{
  WDL_TypedBuf<double> buf(n);
  for (double& v : buf)
    v = value;
  return buf;
}

WDL_TypedBuf<double> RandomFrame(int n, unsigned seed)
{
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  WDL_TypedBuf<double> buf(n);
  for (double& v : buf)
    v = dist(rng);
  return buf;
}

double Magnitude(const FftComplex& c) { return std::hypot(c.re, c.im); }

class FftTransformTest : public ::testing::Test
{
protected:
  void SetUp() override { Fft::Init(); }
  WDL_TypedBuf<FftComplex> spectrum;
  WDL_TypedBuf<FftComplex> scratch;
  WDL_TypedBuf<double> result;
};
} // namespace

TEST_F(FftTransformTest, DcOfOneGivesOneAtBinZeroOnly)
{
  FftTransform::Forward(Constant(2048, 1.0), 1, &spectrum, &scratch);
  ASSERT_EQ(spectrum.GetSize(), 2048);
  EXPECT_DOUBLE_EQ(spectrum[0].re, 1.0);
  EXPECT_DOUBLE_EQ(spectrum[0].im, 0.0);
  for (int k = 1; k < 2048; ++k)
    ASSERT_NEAR(Magnitude(spectrum[k]), 0.0, 1e-15) << "bin " << k;
}

TEST_F(FftTransformTest, SilentFrameGivesZerosButQuietSoundDoesNot)
{
  // Stale values in the output must be overwritten.
  spectrum.Resize(2048);
  for (FftComplex& c : spectrum)
    c = {3.0, -2.0};
  FftTransform::Forward(Constant(2048, 1e-17), 1, &spectrum, &scratch);
  ASSERT_EQ(spectrum.GetSize(), 2048);
  for (const FftComplex& c : spectrum)
  {
    ASSERT_EQ(c.re, 0.0);
    ASSERT_EQ(c.im, 0.0);
  }

  FftTransform::Forward(Constant(2048, 1e-15), 1, &spectrum, &scratch);
  EXPECT_NEAR(spectrum[0].re, 1e-15, 1e-28);
}

TEST_F(FftTransformTest, BinsAreNaturalOrderDftOverLength)
{
  // A complex exponential at bin 5 puts 1/2 at bins 5 and n - 5 (cosine).
  const int n = 256;
  WDL_TypedBuf<double> frame(n);
  for (int i = 0; i < n; ++i)
    frame[i] = std::cos(2.0 * kPi * 5 * i / n);
  FftTransform::Forward(frame, 1, &spectrum, &scratch);
  for (int k = 0; k < n; ++k)
  {
    const double expected = (k == 5 || k == n - 5) ? 0.5 : 0.0;
    ASSERT_NEAR(spectrum[k].re, expected, 1e-14) << "bin " << k;
    ASSERT_NEAR(spectrum[k].im, 0.0, 1e-14) << "bin " << k;
  }

  // A sine has the sign of the negative exponent: -i/2 at bin 5.
  for (int i = 0; i < n; ++i)
    frame[i] = std::sin(2.0 * kPi * 5 * i / n);
  FftTransform::Forward(frame, 1, &spectrum, &scratch);
  EXPECT_NEAR(spectrum[5].im, -0.5, 1e-14);
  EXPECT_NEAR(spectrum[n - 5].im, 0.5, 1e-14);
}

TEST_F(FftTransformTest, ForwardThenInverseReturnsTheFrame)
{
  for (int n : {2, 16, 2048, 4096})
  {
    const WDL_TypedBuf<double> frame = RandomFrame(n, static_cast<unsigned>(n));
    FftTransform::Forward(frame, 1, &spectrum, &scratch);
    FftTransform::Inverse(spectrum, 1, &result, &scratch);
    ASSERT_EQ(result.GetSize(), n);
    for (int i = 0; i < n; ++i)
      ASSERT_NEAR(result[i], frame[i], 1e-15) << "n = " << n << " i = " << i;
  }
}

TEST_F(FftTransformTest, OversampledPaddedFrameIsScaledByUnpaddedLength)
{
  // 2048 samples of 1.0 padded to 4096: bin 0 is the DFT (2048) / 2048.
  WDL_TypedBuf<double> frame = Constant(2048, 1.0);
  frame.Resize(4096);
  FftTransform::Forward(frame, 2, &spectrum, &scratch);
  ASSERT_EQ(spectrum.GetSize(), 4096);
  EXPECT_NEAR(spectrum[0].re, 1.0, 1e-15);

  FftTransform::Inverse(spectrum, 2, &result, &scratch);
  ASSERT_EQ(result.GetSize(), 4096);
  for (int i = 0; i < 2048; ++i)
    ASSERT_NEAR(result[i], 1.0, 1e-14) << i;
  for (int i = 2048; i < 4096; ++i)
    ASSERT_NEAR(result[i], 0.0, 1e-14) << i;
}

TEST_F(FftTransformTest, InverseTakesOnlyRealParts)
{
  // A lone imaginary bin 0 has no real part anywhere in time.
  spectrum.Resize(64);
  spectrum.Zero();
  spectrum[0] = {0.0, 1.0};
  FftTransform::Inverse(spectrum, 1, &result, &scratch);
  for (int i = 0; i < 64; ++i)
    ASSERT_EQ(result[i], 0.0);
  spectrum[0] = {0.25, 0.0};
  FftTransform::Inverse(spectrum, 1, &result, &scratch);
  for (int i = 0; i < 64; ++i)
    ASSERT_DOUBLE_EQ(result[i], 0.25);
}

TEST_F(FftTransformTest, EmptyAndBadInputDoNotCrash)
{
  FftTransform::Forward(WDL_TypedBuf<double>(), 1, &spectrum, &scratch);
  EXPECT_EQ(spectrum.GetSize(), 0);
  FftTransform::Inverse(spectrum, 1, &result, &scratch);
  EXPECT_EQ(result.GetSize(), 0);

  WDL_TypedBuf<double> frame = Constant(128, 0.5);
  frame[3] = std::nan("");
  FftTransform::Forward(frame, 1, &spectrum, &scratch);
  ASSERT_EQ(spectrum.GetSize(), 128);
  EXPECT_TRUE(std::isnan(spectrum[0].re));

  // Not a power of two: the FFT leaves the scaled samples as they are.
  FftTransform::Forward(Constant(6, 3.0), 1, &spectrum, &scratch);
  ASSERT_EQ(spectrum.GetSize(), 6);
  EXPECT_DOUBLE_EQ(spectrum[0].re, 0.5);

  // An oversampling below 1 counts as 1.
  FftTransform::Forward(Constant(8, 1.0), 0, &spectrum, &scratch);
  EXPECT_DOUBLE_EQ(spectrum[0].re, 1.0);
}
