#include "framework/IParam.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{
void CopyName(char* dst, const char* src) { std::snprintf(dst, 32, "%s", src ? src : ""); }
} // namespace

void IParam::InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label, const char* group)
{
  if (mType == kTypeNone)
    mType = kTypeInt;
  InitDouble(name, defaultVal, minVal, maxVal, 1.0, label, group, 1.0);
}

void IParam::InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                        const char* label, const char* group, double shape)
{
  if (mType == kTypeNone)
    mType = kTypeDouble;
  CopyName(mName, name);
  CopyName(mLabel, label);
  CopyName(mGroup, group);
  mDefault = defaultVal;
  Set(defaultVal);
  mMin = minVal;
  mMax = std::max(maxVal, minVal + step);
  mStep = step;
  if (shape != 0.0)
    mShape = shape;

  // Display decimals: how often step is multiplied by 10 until it is whole.
  mDecimals = 0;
  for (double s = step; mDecimals < 6 && std::fabs(s - std::round(s)) > 1e-9 * std::max(1.0, std::fabs(s)); s *= 10.0)
    ++mDecimals;
}

double IParam::FromNormalized(double normalized) const
{
  double v = mMin + (mMax - mMin) * std::pow(normalized, mShape);
  if (mType != kTypeDouble)
    v = std::floor(v / mStep + 0.5) * mStep;
  return std::min(v, mMax);
}

double IParam::ToNormalized(double value) const
{
  const double v = std::clamp(value, mMin, mMax);
  return std::pow((v - mMin) / (mMax - mMin), 1.0 / mShape);
}

void IParam::SetNormalized(double normalized)
{
  if (!std::isfinite(normalized))
    return;
  Set(FromNormalized(std::clamp(normalized, 0.0, 1.0)));
}

void IParam::GetDisplayForHost(double value, char* text, int size) const
{
  if (!text || size <= 0)
    return;
  // Integers show the whole number they are used as, not the nearest one.
  if (mType != kTypeDouble)
    value = std::trunc(value);
  if (mNegateDisplay)
    value = -value;
  std::snprintf(text, static_cast<size_t>(size), "%.*f", mDecimals, value);
}
