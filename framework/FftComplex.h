// One complex FFT value: real part, then imaginary part.
#pragma once

struct FftComplex
{
  double re = 0.0;
  double im = 0.0;
};
