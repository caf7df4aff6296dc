#include "dsp/FifoDecimator.h"

#include <algorithm>
#include <cmath>

FifoDecimator::FifoDecimator(bool isSamples) : mIsSamples(isSamples) {}

FifoDecimator::~FifoDecimator() = default;

void FifoDecimator::SetParams(int64_t maxSize, double decimFactor)
{
  mMaxSize = maxSize;
  mDecimFactor = decimFactor;
}

void FifoDecimator::Reset() { mValues.Zero(); }

void FifoDecimator::AddValues(const WDL_TypedBuf<double>& values)
{
  // Nothing can be kept: the history ends up empty whatever the block.
  if (mMaxSize <= 0)
  {
    mValues.Clear();
    return;
  }

  const double* src = values.Get();
  int count = values.GetSize();
  if (count > 0 && !(mDecimFactor >= 1.0))
  {
    count = Thin(src, count);
    src = mThinned.Get();
  }

  if (count >= mMaxSize)
  {
    // The block alone fills the history.
    const int keep = static_cast<int>(mMaxSize);
    mValues.CopyFrom(src + (count - keep), keep);
    return;
  }
  const int64_t excess = static_cast<int64_t>(mValues.GetSize()) + count - mMaxSize;
  if (excess > 0)
    mValues.ConsumeFront(static_cast<int>(excess));
  mValues.Append(src, count);
}

void FifoDecimator::GetValues(WDL_TypedBuf<double>* out) const { out->CopyFrom(mValues); }

int FifoDecimator::Thin(const double* in, int n)
{
  const double ratio = mDecimFactor;
  // A ratio of 0 or less (or NaN) keeps nothing.
  const int slots = ratio > 0.0 ? static_cast<int>(std::trunc(static_cast<double>(n) * ratio)) : 0;
  mThinned.Resize(slots);
  if (slots <= 0)
    return 0;
  mThinned.Zero();
  if (mIsSamples)
    ThinSamples(in, n, ratio, mThinned.Get(), slots);
  else
    ThinValues(in, n, ratio, mThinned.Get(), slots);
  return slots;
}

void FifoDecimator::ThinValues(const double* in, int n, double ratio, double* out, int slots) const
{
  double kept = 0.0;
  double acc = 0.0;
  int written = 0;
  for (int i = 0; i < n && written < slots; ++i)
  {
    const double x = in[i];
    const double candidate = std::fabs(x) > std::fabs(kept) ? x : kept;
    acc += ratio;
    if (acc >= 1.0)
    {
      out[written++] = candidate;
      acc -= 1.0;
      kept = 0.0;
    }
    else
    {
      kept = candidate;
    }
  }
}

void FifoDecimator::ThinSamples(const double* in, int n, double ratio, double* out, int slots) const
{
  double lo = in[0];
  double hi = in[0];
  double prev = in[0];
  double acc = 0.0;
  double last = 0.0;
  bool crossed = true;
  int written = 0;
  for (int i = 0; i < n && written < slots; ++i)
  {
    const double x = in[i];
    const double newLo = std::min(x, lo);
    const double newHi = std::max(x, hi);
    if ((x > 0.0 && prev < 0.0) || (x < 0.0 && prev > 0.0))
      crossed = true;
    acc += ratio;
    if (acc < 1.0)
    {
      lo = newLo;
      hi = newHi;
    }
    else
    {
      // After a crossing the opposite extreme to the last one written,
      // otherwise the same one; the extreme written restarts at x.
      const bool takeLow = crossed == (last >= 0.0);
      const double value = takeLow ? newLo : newHi;
      if (takeLow)
      {
        lo = x;
        hi = newHi;
      }
      else
      {
        lo = newLo;
        hi = x;
      }
      out[written++] = value;
      last = value;
      acc -= 1.0;
      crossed = false;
    }
    prev = x;
  }
}
