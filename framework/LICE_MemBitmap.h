// A picture held in ordinary memory: the editor's pictures, scaled copies
// and scratch surfaces. Pixels are LICE pixels, row 0 on top, rows packed.
#pragma once

#include "framework/LICE_IBitmap.h"

#include <vector>

class LICE_MemBitmap : public LICE_IBitmap
{
public:
  LICE_MemBitmap(int w = 0, int h = 0);

  LICE_pixel* getBits() override { return mBits.empty() ? nullptr : mBits.data(); }
  int getWidth() override { return mWidth; }
  int getHeight() override { return mHeight; }
  int getRowSpan() override { return mWidth; }
  // Contents after a change of size are undefined; a negative size is refused.
  bool resize(int w, int h) override;

private:
  std::vector<LICE_pixel> mBits;
  int mWidth = 0, mHeight = 0;
};
