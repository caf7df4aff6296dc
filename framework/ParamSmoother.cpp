#include "framework/ParamSmoother.h"

#include <cmath>

ParamSmoother::ParamSmoother(int precision, double initialValue, double coefficient)
  : mHasPrevious(true), mCoefficient(coefficient), mCurrent(initialValue), mTarget(initialValue),
    mPrecision(precision)
{
}

void ParamSmoother::SetTargetValue(double value)
{
  mTarget = value;
  if (mFirstTarget)
    mCurrent = value;
}

void ParamSmoother::Update()
{
  const double previous = mCurrent;
  const double next = mHasPrevious ? (1.0 - mCoefficient) * mTarget + mCoefficient * previous : mTarget;
  mCurrent = next;
  mHasPrevious = true;
  if (std::fabs(next - previous) < std::pow(10.0, -mPrecision))
    mCurrent = mTarget;
  mFirstTarget = false;
}
