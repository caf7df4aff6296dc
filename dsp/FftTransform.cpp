#include "dsp/FftTransform.h"

#include "dsp/BufferOps.h"
#include "dsp/Fft.h"

#include <algorithm>

void FftTransform::Forward(const WDL_TypedBuf<double>& frame, int oversampling, WDL_TypedBuf<FftComplex>* spectrum,
                           WDL_TypedBuf<FftComplex>* scratch)
{
  const int m = frame.GetSize();
  spectrum->Resize(m);
  if (BufferOps::IsSilent(frame))
  {
    spectrum->Zero();
    return;
  }
  // A factor below 1 would only come from a bad setting; treat it as none.
  const double scale = static_cast<double>(std::max(oversampling, 1)) / m;
  scratch->Resize(m);
  const double* x = frame.Get();
  FftComplex* s = scratch->Get();
  for (int i = 0; i < m; ++i)
    s[i] = {x[i] * scale, 0.0};
  Fft::Forward(s, m);
  Fft::ToNaturalOrder(s, spectrum->Get(), m);
}

void FftTransform::Inverse(const WDL_TypedBuf<FftComplex>& spectrum, int oversampling, WDL_TypedBuf<double>* result,
                           WDL_TypedBuf<FftComplex>* scratch)
{
  const int m = spectrum.GetSize();
  scratch->Resize(m);
  result->Resize(m);
  if (m == 0)
    return;
  FftComplex* s = scratch->Get();
  Fft::ToModuleOrder(spectrum.Get(), s, m);
  Fft::Inverse(s, m);
  const double scale = 1.0 / std::max(oversampling, 1);
  double* y = result->Get();
  for (int i = 0; i < m; ++i)
    y[i] = s[i].re * scale;
}
