#include "dsp/Window.h"

#include <cmath>

namespace
{
constexpr double kPi = 3.14159265358979323846;

// The overlap-add constant of a window given value by value, so that a
// product of windows needs no buffer of its own (this also runs on the audio
// thread when a window type changes).
template <class ValueAt>
double ColaOf(int n, int overlapping, ValueAt valueAt)
{
  if (n <= 0 || overlapping <= 0)
    return Window::kNoCola;
  const int hop = static_cast<int>(static_cast<double>(n) / overlapping);
  if (hop < 1)
    return Window::kNoCola;

  auto sumAt = [&](int i) {
    double sum = 0.0;
    for (int s = 0; s < n; s += hop)
      sum += valueAt((i + s) % n);
    return sum;
  };

  double mean = 0.0;
  for (int i = 0; i < n; ++i)
    mean += sumAt(i);
  mean /= n;

  for (int i = 0; i < n; ++i)
  {
    // Written so that NaN counts as "not constant".
    if (!(std::fabs(sumAt(i) - mean) <= Window::kColaTolerance))
      return Window::kNoCola;
  }
  return mean;
}

void DivideByCola(WDL_TypedBuf<double>* window, double cola)
{
  // No constant (or a zero one): keep the window as it is.
  if (cola == Window::kNoCola || cola == 0.0)
    return;
  for (double& v : *window)
    v /= cola;
}
} // namespace

void Window::MakeHann(int n, WDL_TypedBuf<double>* window)
{
  window->Resize(n);
  if (n == 1)
  {
    (*window)[0] = 1.0;
    return;
  }
  for (int i = 0; i < n; ++i)
    (*window)[i] = 0.5 * (1.0 - std::cos(2.0 * kPi * i / (n - 1)));
}

void Window::MakeHannPow(int n, WDL_TypedBuf<double>* window, double power)
{
  MakeHann(n, window);
  if (power == 1.0)
    return;
  for (double& v : *window)
    v = std::pow(v, power);
}

void Window::MakeRectangular(int n, WDL_TypedBuf<double>* window, double value)
{
  window->Resize(n);
  for (double& v : *window)
    v = value;
}

double Window::ComputeCola(const WDL_TypedBuf<double>& window, int overlapping)
{
  const double* w = window.Get();
  return ColaOf(window.GetSize(), overlapping, [w](int i) { return w[i]; });
}

void Window::Normalise(WDL_TypedBuf<double>* window, int overlapping)
{
  DivideByCola(window, ComputeCola(*window, overlapping));
}

void Window::MakeWindows(int n, int overlapping, int analysisType, int synthesisType, WDL_TypedBuf<double>* analysis,
                         WDL_TypedBuf<double>* synthesis)
{
  double power = 1.0;
  if (analysisType == kWindowHannOverlapPower || synthesisType == kWindowHannOverlapPower)
  {
    if (analysisType == kWindowHannOverlapPower)
      analysisType = kWindowHann;
    if (synthesisType == kWindowHannOverlapPower)
      synthesisType = kWindowHann;
    if (overlapping >= 2)
      power = overlapping * 0.25;
  }

  if (analysisType == kWindowHann)
    MakeHannPow(n, analysis, power);
  else
    MakeRectangular(n, analysis, 1.0);

  if (synthesisType == kWindowHann)
    MakeHannPow(n, synthesis, power);
  else
    MakeRectangular(n, synthesis, 1.0);

  const bool hannIn = analysisType == kWindowHann;
  const bool hannOut = synthesisType == kWindowHann;
  const bool rectIn = analysisType == kWindowRectangular;
  const bool rectOut = synthesisType == kWindowRectangular;

  if (hannIn && rectOut)
  {
    Normalise(analysis, overlapping);
  }
  else if (rectIn && (rectOut || hannOut))
  {
    Normalise(synthesis, overlapping);
  }
  else if (hannIn && hannOut && overlapping >= 2)
  {
    // The pair's product is Hann^(2p); both windows are still Hann^p here.
    const double* a = analysis->Get();
    DivideByCola(synthesis, ColaOf(n, overlapping, [a](int i) { return a[i] * a[i]; }));
  }
}
