// The smoother behind the graph's auto-adjust factor.
#include "framework/ParamSmoother.h"

#include <gtest/gtest.h>

TEST(ParamSmootherTest, GlidesTenPercentPerUpdateAfterTheFirstTarget)
{
  ParamSmoother smoother(10, 1.0, 0.9);
  smoother.SetTargetValue(1.0);
  smoother.Update();
  EXPECT_DOUBLE_EQ(smoother.GetCurrentValue(), 1.0);
  smoother.SetTargetValue(2.0);
  EXPECT_DOUBLE_EQ(smoother.GetCurrentValue(), 1.0) << "no jump after the first update";
  smoother.Update();
  EXPECT_NEAR(smoother.GetCurrentValue(), 1.1, 1e-12);
  smoother.Update();
  EXPECT_NEAR(smoother.GetCurrentValue(), 1.19, 1e-12);
  smoother.Update();
  EXPECT_NEAR(smoother.GetCurrentValue(), 1.271, 1e-12);
}

TEST(ParamSmootherTest, DefaultSmootherTakesItsFirstTargetAtOnce)
{
  ParamSmoother smoother;
  smoother.SetTargetValue(5.0);
  EXPECT_DOUBLE_EQ(smoother.GetCurrentValue(), 5.0);
  smoother.Update();
  EXPECT_DOUBLE_EQ(smoother.GetCurrentValue(), 5.0);
  smoother.SetTargetValue(6.0);
  smoother.Update();
  EXPECT_NEAR(smoother.GetCurrentValue(), 5.1, 1e-12);
}

TEST(ParamSmootherTest, SnapsOntoTheTargetOnceTheStepIsBelowThePrecision)
{
  ParamSmoother smoother(10, 3.0, 0.9);
  smoother.Update();
  smoother.Update();
  EXPECT_EQ(smoother.GetCurrentValue(), 3.0) << "target equal to the value: it stays";
  smoother.SetTargetValue(4.0);
  EXPECT_EQ(smoother.GetCurrentValue(), 3.0);
  smoother.Update();
  EXPECT_NEAR(smoother.GetCurrentValue(), 3.1, 1e-12);

  ParamSmoother coarse(2, 0.0, 0.9);
  coarse.Update();
  coarse.SetTargetValue(0.05);
  coarse.Update();
  EXPECT_DOUBLE_EQ(coarse.GetCurrentValue(), 0.05) << "a 0.005 step is below 10^-2: snap";
  int steps = 0;
  ParamSmoother fine(10, 0.0, 0.9);
  fine.Update();
  fine.SetTargetValue(1.0);
  while (fine.GetCurrentValue() != 1.0 && steps < 1000)
  {
    fine.Update();
    ++steps;
  }
  EXPECT_GT(steps, 100);
  EXPECT_LT(steps, 1000);
}
