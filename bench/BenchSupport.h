// What several benchmarks share: whether an X display opens, and the test
// spectra their landscapes are made of. Include it last: Xlib's macros
// (None, Bool) would spoil other headers.
#pragma once

#include "view3d/CrestRender.h"
#include "view3d/LinesRender.h"

#include <X11/Xlib.h>

#include <cmath>

inline bool HaveDisplay()
{
  Display* d = XOpenDisplay(nullptr);
  if (!d)
    return false;
  XCloseDisplay(d);
  return true;
}

// 1024 magnitudes falling with frequency, rippled.
inline WDL_TypedBuf<double> TestMagns()
{
  WDL_TypedBuf<double> magns(1024);
  for (int i = 0; i < 1024; i++)
    magns[i] = 0.25 * std::exp(-0.01 * i) * (1.0 + 0.5 * std::sin(i * 0.37));
  return magns;
}

// A history of `count` varied spectra entered as the analysis enters them.
inline void FillHistory(CrestRender& view, int count = LinesRender::kMaxNumLines)
{
  WDL_TypedBuf<double> magns = TestMagns();
  for (int k = 0; k < count; k++)
  {
    for (int i = 0; i < 1024; i++)
      magns[i] *= 1.0 + 0.02 * std::sin(k + i * 0.1);
    view.AddMagns(magns);
  }
}
