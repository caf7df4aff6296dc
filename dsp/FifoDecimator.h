// A bounded history of the newest values of a stream, thinned by a keep
// ratio as blocks arrive: audio keeps its peaks with their signs and its
// zero crossings, other values keep the largest magnitude of each stretch.
#pragma once

#include "framework/WDL_TypedBuf.h"

#include <cstdint>

class FifoDecimator
{
public:
  explicit FifoDecimator(bool isSamples);
  virtual ~FifoDecimator();

  // maxSize: values kept (0 or less keeps none); decimFactor: fraction of
  // incoming values kept, 1.0 or more keeps all. The history is trimmed at
  // the next AddValues.
  void SetParams(int64_t maxSize, double decimFactor);

  // Zeroes the history, keeping its length.
  void Reset();

  // Thins the block on its own (no state carries over between blocks),
  // appends it and drops the oldest values beyond maxSize. Allocates only
  // while the history and the block are still growing to their largest.
  void AddValues(const WDL_TypedBuf<double>& values);

  void GetValues(WDL_TypedBuf<double>* out) const;

  int64_t GetMaxSize() const { return mMaxSize; }
  double GetDecimFactor() const { return mDecimFactor; }

private:
  // Thins n > 0 values with a ratio below 1 into mThinned; returns the count.
  int Thin(const double* in, int n);
  void ThinValues(const double* in, int n, double ratio, double* out, int slots) const;
  void ThinSamples(const double* in, int n, double ratio, double* out, int slots) const;

  int64_t mMaxSize = 0;
  double mDecimFactor = 1.0;
  bool mIsSamples;
  WDL_TypedBuf<double> mValues;
  WDL_TypedBuf<double> mThinned;
};
