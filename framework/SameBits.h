// Whether two samples are the same bit pattern, not merely equal values:
// pass-through detection must tell -0 from +0 and match NaNs bit for bit.
#pragma once

#include <cstdint>
#include <cstring>

inline bool SameBits(float a, float b)
{
  std::uint32_t x, y;
  std::memcpy(&x, &a, sizeof x);
  std::memcpy(&y, &b, sizeof y);
  return x == y;
}

inline bool SameBits(double a, double b)
{
  std::uint64_t x, y;
  std::memcpy(&x, &a, sizeof x);
  std::memcpy(&y, &b, sizeof y);
  return x == y;
}
