// A value that glides instead of jumping: each Update moves it a fixed share
// of the way to its target (a one-pole low-pass) and snaps onto the target
// once a step falls below 10^-precision. One step per call: the caller's call
// rate sets the glide time.
#pragma once

class ParamSmoother
{
public:
  ParamSmoother() = default;
  ParamSmoother(int precision, double initialValue, double coefficient);
  virtual ~ParamSmoother() = default;

  void SetTargetValue(double value);
  double GetCurrentValue() const { return mCurrent; }
  double GetTargetValue() const { return mTarget; }
  void Update();

private:
  bool mHasPrevious = false;
  double mCoefficient = 0.9;
  double mCurrent = 0.0;
  double mTarget = 0.0;
  int mPrecision = 10;
  bool mFirstTarget = true;
};
