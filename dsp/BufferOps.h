// Value-wise helpers on sample and spectrum buffers, shared by the frame
// loop, the transforms and the spectrum capture. Resizing, appending,
// inserting zeros and consuming from the front are WDL_TypedBuf's own
// operations. None of these allocate unless a buffer has to grow.
#pragma once

#include "framework/FftComplex.h"
#include "framework/WDL_TypedBuf.h"

class BufferOps
{
public:
  // Sum of |x| over the length; 0 for an empty buffer.
  static double MeanAbs(const WDL_TypedBuf<double>& buf);

  // True when the buffer is empty or every |x| <= 1e-16 (NaN is not silent).
  static bool IsSilent(const WDL_TypedBuf<double>& buf);

  static void Multiply(WDL_TypedBuf<double>* buf, double value);
  static void Divide(WDL_TypedBuf<double>* buf, double value);

  // buf[i] *= by[i] over the shorter of the two lengths.
  static void MultiplyValues(WDL_TypedBuf<double>* buf, const WDL_TypedBuf<double>& by);

  // dst[offset + i] += src[i] for the first count values of src; does nothing
  // unless src holds count values and dst offset + count.
  static void AddAt(WDL_TypedBuf<double>* dst, const WDL_TypedBuf<double>& src, int offset, int count);

  // magns[k] = |spectrum[k]|, same length as the spectrum.
  static void Magnitudes(const WDL_TypedBuf<FftComplex>& spectrum, WDL_TypedBuf<double>* magns);
  // The magnitudes of the first n values of spectrum.
  static void Magnitudes(const FftComplex* spectrum, int n, WDL_TypedBuf<double>* magns);

  // Keeps bins 0 .. n/2 - 1 (the Nyquist bin goes with the negative half).
  static void KeepFirstHalf(WDL_TypedBuf<FftComplex>* spectrum);

  static constexpr double kSilenceThreshold = 1e-16;
};
