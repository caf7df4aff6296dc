// A typed buffer written out in place, for tests: Buf({1.0, 2.0, 3.0}).
#pragma once

#include "framework/WDL_TypedBuf.h"

#include <initializer_list>

inline WDL_TypedBuf<double> Buf(std::initializer_list<double> values)
{
  WDL_TypedBuf<double> buf;
  for (double v : values)
    buf.Add(v);
  return buf;
}
