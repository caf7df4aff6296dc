#include "plugin/SecureRestarter.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(SecureRestarter, FadesTheFirstHalfOfTheFirstBlockOnly)
{
  SecureRestarter fade;
  std::vector<WDL_TypedBuf<double>> bufs(2);
  for (auto& b : bufs)
  {
    b.Resize(9);
    for (int i = 0; i < 9; ++i)
      b[i] = 1.0;
  }
  fade.Process(bufs, 2);
  EXPECT_FALSE(fade.IsArmed());
  for (const auto& b : bufs)
  {
    for (int i = 0; i < 4; ++i)
      EXPECT_NEAR(b[i], 0.5 * (1.0 - std::cos(2.0 * M_PI * i / 8.0)), 1e-15) << i;
    for (int i = 4; i < 9; ++i)
      EXPECT_DOUBLE_EQ(b[i], 1.0) << i;
  }
  // Disarmed: the next block passes untouched.
  fade.Process(bufs, 2);
  EXPECT_DOUBLE_EQ(bufs[0][1], 0.5 * (1.0 - std::cos(2.0 * M_PI / 8.0)));
}

TEST(SecureRestarter, EmptyListKeepsItArmedAndOtherLengthsAreLeftAlone)
{
  SecureRestarter fade;
  std::vector<WDL_TypedBuf<double>> bufs(2);
  fade.Process(bufs, 0);
  EXPECT_TRUE(fade.IsArmed());

  bufs[0].Resize(4);
  bufs[1].Resize(6);
  for (int i = 0; i < 6; ++i)
    bufs[1][i] = 2.0;
  for (int i = 0; i < 4; ++i)
    bufs[0][i] = 1.0;
  fade.Process(bufs, 2);
  EXPECT_DOUBLE_EQ(bufs[0][0], 0.0);
  for (int i = 0; i < 6; ++i)
    EXPECT_DOUBLE_EQ(bufs[1][i], 2.0);

  fade.Rearm();
  EXPECT_TRUE(fade.IsArmed());
}
