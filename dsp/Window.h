// Analysis and synthesis windows of the short-time FFT, and their
// normalisation so that windowed frames overlap-add back to the signal.
#pragma once

#include "framework/WDL_TypedBuf.h"

enum WindowType : int
{
  kWindowRectangular = 0,
  kWindowHann = 1,
  // Hann raised to overlapping / 4, so that analysis times synthesis stays
  // overlap-add constant at higher overlaps.
  kWindowHannOverlapPower = 2,
};

class Window
{
public:
  // Symmetric Hann: 0.5 (1 - cos(2 pi i / (n - 1))), first and last value 0.
  // A single value is 1.0 (the formula has no value there).
  static void MakeHann(int n, WDL_TypedBuf<double>* window);

  // The Hann window with every value raised to power.
  static void MakeHannPow(int n, WDL_TypedBuf<double>* window, double power);

  static void MakeRectangular(int n, WDL_TypedBuf<double>* window, double value);

  // The constant the window sums to when shifted by hop = n / overlapping
  // (within 0.001 everywhere), or -1.0 when that sum is not constant or the
  // hop would be below one sample.
  static double ComputeCola(const WDL_TypedBuf<double>& window, int overlapping);

  // Divides the window by its overlap-add constant. A window without one is
  // left unnormalised: dividing by the -1.0 marker would only flip its sign.
  static void Normalise(WDL_TypedBuf<double>* window, int overlapping);

  // Both windows of a channel for the given types (WindowType codes; other
  // codes give rectangular windows and no normalisation), normalised so that
  // analysis times synthesis overlap-adds to 1 where the pair allows it.
  static void MakeWindows(int n, int overlapping, int analysisType, int synthesisType, WDL_TypedBuf<double>* analysis,
                          WDL_TypedBuf<double>* synthesis);

  static constexpr double kColaTolerance = 0.001;
  static constexpr double kNoCola = -1.0;
};
