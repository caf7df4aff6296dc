// A 32-bit picture in memory. A pixel is A << 24 | R << 16 | G << 8 | B,
// so on little-endian machines its bytes lie blue, green, red, alpha; row 0
// is the top row.
#pragma once

#include <cstdint>

typedef uint32_t LICE_pixel;

class LICE_IBitmap
{
public:
  virtual ~LICE_IBitmap() = default;
  virtual LICE_pixel* getBits() = 0;
  virtual int getWidth() = 0;
  virtual int getHeight() = 0;
  // Pixels from one row to the next.
  virtual int getRowSpan() = 0;
  virtual bool resize(int w, int h) = 0;
};
