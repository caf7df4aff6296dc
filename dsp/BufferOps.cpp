#include "dsp/BufferOps.h"

#include <cmath>

double BufferOps::MeanAbs(const WDL_TypedBuf<double>& buf)
{
  const int n = buf.GetSize();
  if (n == 0)
    return 0.0;
  const double* x = buf.Get();
  double sum = 0.0;
  for (int i = 0; i < n; ++i)
    sum += std::fabs(x[i]);
  return sum / n;
}

bool BufferOps::IsSilent(const WDL_TypedBuf<double>& buf)
{
  const int n = buf.GetSize();
  const double* x = buf.Get();
  for (int i = 0; i < n; ++i)
  {
    // Written so that NaN counts as sound.
    if (!(std::fabs(x[i]) <= kSilenceThreshold))
      return false;
  }
  return true;
}

void BufferOps::Multiply(WDL_TypedBuf<double>* buf, double value)
{
  for (double& x : *buf)
    x *= value;
}

void BufferOps::Divide(WDL_TypedBuf<double>* buf, double value)
{
  for (double& x : *buf)
    x /= value;
}

void BufferOps::MultiplyValues(WDL_TypedBuf<double>* buf, const WDL_TypedBuf<double>& by)
{
  const int n = std::min(buf->GetSize(), by.GetSize());
  double* x = buf->Get();
  const double* w = by.Get();
  for (int i = 0; i < n; ++i)
    x[i] *= w[i];
}

void BufferOps::AddAt(WDL_TypedBuf<double>* dst, const WDL_TypedBuf<double>& src, int offset, int count)
{
  if (offset < 0 || count <= 0 || src.GetSize() < count || dst->GetSize() < offset + count)
    return;
  double* d = dst->Get() + offset;
  const double* s = src.Get();
  for (int i = 0; i < count; ++i)
    d[i] += s[i];
}

void BufferOps::Magnitudes(const WDL_TypedBuf<FftComplex>& spectrum, WDL_TypedBuf<double>* magns)
{
  Magnitudes(spectrum.Get(), spectrum.GetSize(), magns);
}

void BufferOps::Magnitudes(const FftComplex* c, int n, WDL_TypedBuf<double>* magns)
{
  magns->Resize(n);
  double* m = magns->Get();
  for (int k = 0; k < n; ++k)
    m[k] = std::sqrt(c[k].re * c[k].re + c[k].im * c[k].im);
}

void BufferOps::KeepFirstHalf(WDL_TypedBuf<FftComplex>* spectrum) { spectrum->Resize(spectrum->GetSize() / 2); }
