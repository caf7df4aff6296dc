// A picture of n frames w x fh for control tests, frame k (0-based) filled
// with opaque grey 10 * (k + 1), so that a pixel tells which frame shows.
#pragma once

#include "framework/IBitmap.h"
#include "framework/LICE_Blit.h"
#include "framework/LICE_MemBitmap.h"

struct Strip
{
  Strip(int w, int fh, int n) : bitmap(w, fh * n), picture(&bitmap, w, fh * n, n)
  {
    for (int k = 0; k < n; ++k)
      for (int i = 0; i < w * fh; ++i)
        bitmap.getBits()[k * w * fh + i] = LICE_RGBA(10 * (k + 1), 10 * (k + 1), 10 * (k + 1), 255);
  }
  LICE_MemBitmap bitmap;
  IBitmap picture;
};
