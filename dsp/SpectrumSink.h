// Where the spectrum capture hands each analysed frame's magnitudes: on the
// audio thread, so whatever receives them must not wait.
#pragma once

#include "framework/WDL_TypedBuf.h"

class SpectrumSink
{
public:
  virtual ~SpectrumSink() = default;
  virtual void AddMagns(const WDL_TypedBuf<double>& magns) = 0;
};
