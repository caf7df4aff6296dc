// Real frames to natural-order spectra and back, around the FFT module.
// Scaling follows the frame loop's convention: with zero padding by a factor
// os, bins are the frame's DFT divided by the unpadded length, and the
// inverse gives the padded frame back.
#pragma once

#include "framework/FftComplex.h"
#include "framework/WDL_TypedBuf.h"

class FftTransform
{
public:
  // spectrum = DFT(frame) * os / M, M = frame length, natural order. A silent
  // frame (every |x| <= 1e-16) gives M zero bins without transforming.
  // scratch is the caller's, so that no call allocates once it is sized; it
  // must not be the spectrum.
  static void Forward(const WDL_TypedBuf<double>& frame, int oversampling, WDL_TypedBuf<FftComplex>* spectrum,
                      WDL_TypedBuf<FftComplex>* scratch);

  // result = Re(inverse DFT(spectrum)) / os, M = spectrum length values.
  static void Inverse(const WDL_TypedBuf<FftComplex>& spectrum, int oversampling, WDL_TypedBuf<double>* result,
                      WDL_TypedBuf<FftComplex>* scratch);
};
