#include "framework/LICE_MemBitmap.h"

#include <cstddef>

LICE_MemBitmap::LICE_MemBitmap(int w, int h) { resize(w, h); }

bool LICE_MemBitmap::resize(int w, int h)
{
  if (w < 0 || h < 0)
    return false;
  if (w == mWidth && h == mHeight)
    return true;
  mBits.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
  mWidth = w;
  mHeight = h;
  return true;
}
