#include "framework/IParam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(IParam, ContinuousMappingFollowsShapeWithoutRounding)
{
  IParam p;
  p.InitDouble("Speed", 50.0, 0.0, 100.0, 0.1, "%", "", 2.0);
  EXPECT_EQ(p.Type(), IParam::kTypeDouble);
  EXPECT_DOUBLE_EQ(p.FromNormalized(0.5), 25.0);
  EXPECT_DOUBLE_EQ(p.FromNormalized(0.123), 100.0 * 0.123 * 0.123);
  EXPECT_NEAR(p.ToNormalized(25.0), 0.5, 1e-12);
  EXPECT_EQ(p.GetDecimals(), 1);
  EXPECT_STREQ(p.GetLabelForHost(), "%");
}

TEST(IParam, IntegerMappingRoundsToStepAndCapsOnlyAtTheTop)
{
  IParam p;
  p.InitInt("Mode", 0, 0, 2);
  EXPECT_EQ(p.Type(), IParam::kTypeInt);
  EXPECT_DOUBLE_EQ(p.FromNormalized(0.24), 0.0);
  EXPECT_DOUBLE_EQ(p.FromNormalized(0.26), 1.0);
  EXPECT_DOUBLE_EQ(p.FromNormalized(1.0), 2.0);
  EXPECT_DOUBLE_EQ(p.FromNormalized(1.3), 2.0);
  // No clamp at the lower end of the mapping itself.
  EXPECT_DOUBLE_EQ(p.FromNormalized(-0.5), -1.0);
  EXPECT_DOUBLE_EQ(p.ToNormalized(7.0), 1.0);
  EXPECT_DOUBLE_EQ(p.ToNormalized(-7.0), 0.0);
}

TEST(IParam, InitialisationWidensADegenerateRangeAndKeepsShapeOnZero)
{
  IParam p;
  p.InitDouble("x", 3.0, 3.0, 2.0, 0.5, "", "", 0.0);
  EXPECT_DOUBLE_EQ(p.GetMax(), 3.5);
  EXPECT_DOUBLE_EQ(p.GetShape(), 1.0);
  EXPECT_DOUBLE_EQ(p.Value(), 3.0);
  EXPECT_DOUBLE_EQ(p.GetDefault(), 3.0);
}

TEST(IParam, SetNormalizedClampsAndIgnoresNonFiniteValues)
{
  IParam p;
  p.InitDouble("Angle0", 0.0, -90.0, 90.0, 0.1);
  p.SetNormalized(1.7);
  EXPECT_DOUBLE_EQ(p.Value(), 90.0);
  p.SetNormalized(-3.0);
  EXPECT_DOUBLE_EQ(p.Value(), -90.0);
  p.SetNormalized(std::numeric_limits<double>::quiet_NaN());
  EXPECT_DOUBLE_EQ(p.Value(), -90.0);
  p.SetNormalized(std::numeric_limits<double>::infinity());
  EXPECT_DOUBLE_EQ(p.Value(), -90.0);
}

TEST(IParam, NamesAreCutToThirtyOneCharacters)
{
  IParam p;
  p.InitInt("a-name-that-is-much-longer-than-thirty-one", 0, 0, 1);
  EXPECT_EQ(std::string(p.GetNameForHost()).size(), 31u);
}
