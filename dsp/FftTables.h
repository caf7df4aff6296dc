// The FFT module's twiddle and bit-reversal tables (see Fft.cpp for the
// passes that read them), built once for every supported length.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

struct FftTables
{
  static constexpr int kMaxBits = 15;
  // Twiddles are stored for groups of four consecutive j, real parts then
  // imaginary parts, so that the 4-lane kernels load a group and the 2-lane
  // kernels either half of it.
  static constexpr int kGroup = 4;

  // radix4[b]: per group, W^j, W^2j, W^3j (re[4], im[4] each) for
  // W = e^(-2 pi i / 2^b), j < 2^b / 4
  std::vector<double> radix4[kMaxBits + 1];
  // radix2[b]: per group, W^j for j < 2^b / 4 (the second quarter of the
  // pass is -i times the first)
  std::vector<double> radix2[kMaxBits + 1];
  // bit reversal over kMaxBits bits; shorter lengths shift it down
  std::vector<uint16_t> reverse;

  // The tables of every length up to 2^kMaxBits.
  static std::unique_ptr<FftTables> Build();
};
