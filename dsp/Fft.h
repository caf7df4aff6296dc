// The FFT module: in-place complex transforms of power-of-two lengths from
// 2 to 32768, double precision, both directions unnormalised.
//
// The forward transform leaves its bins in bit-reversed order and the inverse
// takes its input in that same order and returns natural order, so neither
// needs a permutation pass; callers that need natural order go through
// Position(), ToNaturalOrder() or ToModuleOrder(). Any other length leaves the
// data unchanged (and the order is then the identity).
#pragma once

#include "framework/FftComplex.h"

class Fft
{
public:
  static constexpr int kMinSize = 2;
  static constexpr int kMaxSize = 32768;

  // Builds the twiddle and permutation tables, once per process and
  // thread-safe; later calls return at once. The transforms call it too, so
  // a missing Init costs a table build on first use rather than a crash.
  static void Init();

  static bool IsSupportedSize(int n);

  enum class Direction
  {
    kForward,
    kInverse
  };
  // In place; nothing for a null buffer or an unsupported size. Forward:
  // X[k] = sum x[j] e^(-2 pi i jk / n), X[k] ending up at Position(k, n).
  // Inverse: x[j] = sum X[k] e^(+2 pi i jk / n) with X[k] read from
  // Position(k, n), the result in natural order.
  static void Transform(FftComplex* data, int n, Direction direction);

  static void Forward(FftComplex* data, int n);

  static void Inverse(FftComplex* data, int n);

  // Where the forward transform stores natural bin k.
  static int Position(int k, int n);

  // The 4-lane AVX kernels run where the processor has AVX (decided by
  // Init), the 2-lane ones everywhere else. Both give the same results to
  // rounding; the switch exists so that tests and benchmarks reach both.
  static bool HasWideKernels();
  // Returns whether the wide kernels are now in use (never where missing).
  // Not for use while another thread is transforming.
  static bool SetWideKernelsEnabled(bool enabled);

  // natural[k] = module[Position(k, n)]; the buffers must not overlap.
  static void ToNaturalOrder(const FftComplex* module, FftComplex* natural, int n);

  // module[Position(k, n)] = natural[k]; the buffers must not overlap.
  static void ToModuleOrder(const FftComplex* natural, FftComplex* module, int n);
};
