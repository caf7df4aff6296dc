#include "dsp/BufferOps.h"

#include "tests/support/TypedBufOf.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(BufferOps, MeanAbsAveragesMagnitudes)
{
  EXPECT_DOUBLE_EQ(BufferOps::MeanAbs(Buf({1.0, -3.0, 0.0, 4.0})), 2.0);
  EXPECT_EQ(BufferOps::MeanAbs(WDL_TypedBuf<double>()), 0.0);
}

TEST(BufferOps, SilenceIsWithinOneE16Inclusive)
{
  EXPECT_TRUE(BufferOps::IsSilent(WDL_TypedBuf<double>()));
  EXPECT_TRUE(BufferOps::IsSilent(Buf({0.0, 1e-16, -1e-16, 1e-17})));
  EXPECT_FALSE(BufferOps::IsSilent(Buf({0.0, 0.0, 1.1e-16})));
  EXPECT_FALSE(BufferOps::IsSilent(Buf({0.0, -2e-16})));
  EXPECT_FALSE(BufferOps::IsSilent(Buf({0.0, std::nan("")})));
  EXPECT_FALSE(BufferOps::IsSilent(Buf({INFINITY})));
}

TEST(BufferOps, MultiplyDivideAndValueByValue)
{
  WDL_TypedBuf<double> buf = Buf({1.0, -2.0, 4.0});
  BufferOps::Multiply(&buf, 3.0);
  EXPECT_DOUBLE_EQ(buf[1], -6.0);
  BufferOps::Divide(&buf, 2.0);
  EXPECT_DOUBLE_EQ(buf[2], 6.0);

  // The window covers only the first two values; the rest stays.
  BufferOps::MultiplyValues(&buf, Buf({2.0, 0.5}));
  EXPECT_DOUBLE_EQ(buf[0], 3.0);
  EXPECT_DOUBLE_EQ(buf[1], -1.5);
  EXPECT_DOUBLE_EQ(buf[2], 6.0);
  EXPECT_EQ(buf.GetSize(), 3);
}

TEST(BufferOps, AddAtAddsInsideBoundsOnly)
{
  WDL_TypedBuf<double> sum(6);
  BufferOps::AddAt(&sum, Buf({1.0, 2.0, 3.0}), 2, 3);
  EXPECT_EQ(sum[1], 0.0);
  EXPECT_EQ(sum[2], 1.0);
  EXPECT_EQ(sum[4], 3.0);
  EXPECT_EQ(sum[5], 0.0);

  // Would run past the end, or the source is too short: nothing changes.
  BufferOps::AddAt(&sum, Buf({1.0, 2.0, 3.0}), 4, 3);
  BufferOps::AddAt(&sum, Buf({1.0}), 0, 2);
  BufferOps::AddAt(&sum, Buf({1.0}), -1, 1);
  EXPECT_EQ(sum[0], 0.0);
  EXPECT_EQ(sum[4], 3.0);
  EXPECT_EQ(sum[5], 0.0);
}

TEST(BufferOps, MagnitudesAndFirstHalf)
{
  WDL_TypedBuf<FftComplex> spectrum(2048);
  for (int k = 0; k < 2048; ++k)
    spectrum[k] = {static_cast<double>(k), 0.0};
  spectrum[1] = {3.0, -4.0};
  BufferOps::KeepFirstHalf(&spectrum);
  ASSERT_EQ(spectrum.GetSize(), 1024);
  EXPECT_EQ(spectrum[1023].re, 1023.0);

  WDL_TypedBuf<double> magns;
  BufferOps::Magnitudes(spectrum, &magns);
  ASSERT_EQ(magns.GetSize(), 1024);
  EXPECT_DOUBLE_EQ(magns[1], 5.0);
  EXPECT_DOUBLE_EQ(magns[1023], 1023.0);

  WDL_TypedBuf<FftComplex> odd(5);
  BufferOps::KeepFirstHalf(&odd);
  EXPECT_EQ(odd.GetSize(), 2);
}
