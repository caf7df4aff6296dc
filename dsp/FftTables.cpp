#include "dsp/FftTables.h"

#include <cmath>

namespace
{
constexpr int kGroup = FftTables::kGroup;
constexpr double kPi = 3.14159265358979323846;

// e^(-2 pi i m / len), reduced to the first octant so that large arguments
// lose no accuracy.
void Exp(long m, long len, double* re, double* im)
{
  m %= len;
  if (m < 0)
    m += len;
  const long eighth = len / 8;
  if (len % 8 != 0 || eighth == 0)
  {
    const double a = -2.0 * kPi * static_cast<double>(m) / static_cast<double>(len);
    *re = std::cos(a);
    *im = std::sin(a);
    return;
  }
  const long oct = m / eighth;
  const long rest = m % eighth;
  // counter-clockwise angle oct * pi/4 + t
  const double t = 2.0 * kPi * static_cast<double>(rest) / static_cast<double>(len);
  const double c = std::cos(t);
  const double s = std::sin(t);
  const double cq = std::cos(kPi / 4.0 - t);
  const double sq = std::sin(kPi / 4.0 - t);
  double x = 0.0;
  double y = 0.0;
  switch (oct)
  {
    case 0:
      x = c;
      y = s;
      break;
    case 1:
      x = sq;
      y = cq;
      break;
    case 2:
      x = -s;
      y = c;
      break;
    case 3:
      x = -cq;
      y = sq;
      break;
    case 4:
      x = -c;
      y = -s;
      break;
    case 5:
      x = -sq;
      y = -cq;
      break;
    case 6:
      x = s;
      y = -c;
      break;
    default:
      x = cq;
      y = -sq;
      break;
  }
  *re = x;
  *im = -y;
}

// Appends the twiddles W^(j * step) of one group.
void AppendGroup(std::vector<double>& table, long j0, long step, long len)
{
  double re[kGroup];
  double im[kGroup];
  for (int l = 0; l < kGroup; ++l)
    Exp((j0 + l) * step, len, &re[l], &im[l]);
  table.insert(table.end(), re, re + kGroup);
  table.insert(table.end(), im, im + kGroup);
}
} // namespace

std::unique_ptr<FftTables> FftTables::Build()
{
  auto t = std::make_unique<FftTables>();
  for (int b = 5; b <= kMaxBits; b += 2)
  {
    const long len = 1L << b;
    std::vector<double>& table = t->radix4[b];
    table.reserve(static_cast<size_t>(len / 4 * 6));
    for (long j = 0; j < len / 4; j += kGroup)
      for (long step = 1; step <= 3; ++step)
        AppendGroup(table, j, step, len);
  }
  for (int b = 4; b < kMaxBits; b += 2)
  {
    const long len = 1L << b;
    std::vector<double>& table = t->radix2[b];
    table.reserve(static_cast<size_t>(len / 4 * 2));
    for (long j = 0; j < len / 4; j += kGroup)
      AppendGroup(table, j, 1, len);
  }
  const int size = 1 << kMaxBits;
  t->reverse.resize(size);
  for (int k = 0; k < size; ++k)
  {
    int r = 0;
    for (int bit = 0; bit < kMaxBits; ++bit)
      r |= ((k >> bit) & 1) << (kMaxBits - 1 - bit);
    t->reverse[static_cast<size_t>(k)] = static_cast<uint16_t>(r);
  }
  return t;
}
