#include "dsp/Fft.h"

#include "dsp/FftLanes.h"
#include "dsp/FftPasses.h"
#include "dsp/FftTables.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

// Decimation in frequency forward, decimation in time inverse, so that the
// bit-reversed order stays inside the module. A length of 2^b (b >= 4) is
// split into an optional radix-2 pass (when b - 3 is odd), radix-4 passes,
// and an 8-point kernel that needs no twiddle table. Each radix-4 pass is
// exactly two merged radix-2 passes, so the output order is bit reversal.
//
// Between the first and the last pass the data is held W elements at a
// time in split form: the 16 W bytes of elements e .. e + W - 1 hold their W
// real parts, then their W imaginary parts. Every butterfly of a radix-4 or
// radix-2 pass pairs elements a multiple of 8 apart, so W neighbouring
// butterflies run side by side in the lanes of one vector; complex products
// then cost four multiplies and two adds, and factors of +-i cost nothing.
// The pass that reads the caller's data splits it, the pass that writes the
// result interleaves it again, and the 8-point kernel, whose butterflies
// pair neighbours, works on one interleaved complex value per 2-lane vector.
//
// The passes are written once over the vector type. W = 2 runs everywhere
// (SSE2 on x86, plain doubles elsewhere); W = 4 is the same code inlined
// into entry points compiled for AVX and is chosen at run time, so the
// build needs no processor flags. Both read the same twiddle tables.
//
// Radix-4 passes always run on blocks of L = 2^b with b odd (32 ... 32768),
// the radix-2 pass on L = 2^b with b even (16 ... 16384); each has its own
// contiguous twiddle table so that every pass reads its twiddles in order.

namespace
{
constexpr int kMaxBits = FftTables::kMaxBits;
static_assert(Fft::kMaxSize == 1 << kMaxBits, "the tables cover every supported length");

// Freed when the module is unloaded: hosts load and unload plug-ins many
// times in one process.
std::unique_ptr<FftTables> gTables;
std::once_flag gTablesOnce;
std::atomic<bool> gWideEnabled{false};
bool gWideAvailable = false;

void BuildTables()
{
  gTables = FftTables::Build();
#ifdef CREST_FFT_WIDE
  __builtin_cpu_init();
  gWideAvailable = __builtin_cpu_supports("avx");
#endif
  gWideEnabled.store(gWideAvailable);
}

int Log2(int n)
{
  int b = 0;
  while ((1 << b) < n)
    ++b;
  return b;
}

// ---- whole transforms -----------------------------------------------------

// Lengths 16 and up.
template <class V>
CREST_FFT_INLINE void ForwardPasses(FftComplex* data, int n, int bits)
{
  const FftTables& t = *gTables;
  int b = bits;
  if ((bits - 3) % 2 != 0)
  {
    Radix2Dif<V>(data, n, t.radix2[b].data());
    --b;
  }
  else
  {
    Radix4Dif<V, true>(data, n, n, t.radix4[b].data());
    b -= 2;
  }
  for (; b >= 5; b -= 2)
    Radix4Dif<V, false>(data, n, 1 << b, t.radix4[b].data());
  Kernel8Dif<V>(data, n);
}

template <class V>
CREST_FFT_INLINE void InversePasses(FftComplex* data, int n, int bits)
{
  const FftTables& t = *gTables;
  Kernel8Dit<V>(data, n);
  const bool radix2 = (bits - 3) % 2 != 0;
  const int top = radix2 ? bits - 1 : bits;
  for (int b = 5; b < top; b += 2)
    Radix4Dit<V, false>(data, n, 1 << b, t.radix4[b].data());
  if (radix2)
  {
    if (top >= 5)
      Radix4Dit<V, false>(data, n, 1 << top, t.radix4[top].data());
    Radix2Dit<V>(data, n, t.radix2[bits].data());
  }
  else
  {
    Radix4Dit<V, true>(data, n, n, t.radix4[bits].data());
  }
}

void ForwardNarrow(FftComplex* data, int n, int bits) { ForwardPasses<V2>(data, n, bits); }
void InverseNarrow(FftComplex* data, int n, int bits) { InversePasses<V2>(data, n, bits); }

#ifdef CREST_FFT_WIDE
__attribute__((target("avx"))) void ForwardWide(FftComplex* data, int n, int bits)
{
  ForwardPasses<V4>(data, n, bits);
}

__attribute__((target("avx"))) void InverseWide(FftComplex* data, int n, int bits)
{
  InversePasses<V4>(data, n, bits);
}
#endif

void Transform2(FftComplex* x)
{
  const V2 a = LoadValue(x);
  const V2 b = LoadValue(x + 1);
  StoreValue(x, a + b);
  StoreValue(x + 1, a - b);
}

// The 4-point transform, in the module's orders.
void Transform4(FftComplex* x, bool inverse)
{
  const V2 x0 = LoadValue(x);
  const V2 x1 = LoadValue(x + 1);
  const V2 x2 = LoadValue(x + 2);
  const V2 x3 = LoadValue(x + 3);
  if (!inverse)
  {
    // natural in, bit-reversed out
    const V2 s02 = x0 + x2;
    const V2 d02 = x0 - x2;
    const V2 s13 = x1 + x3;
    const V2 d13 = MulNegI(x1 - x3);
    StoreValue(x, s02 + s13);
    StoreValue(x + 1, s02 - s13);
    StoreValue(x + 2, d02 + d13);
    StoreValue(x + 3, d02 - d13);
    return;
  }
  // bit-reversed in (X0, X2, X1, X3), natural out
  const V2 s01 = x0 + x1;
  const V2 d01 = x0 - x1;
  const V2 s23 = x2 + x3;
  const V2 d23 = MulPosI(x2 - x3);
  StoreValue(x, s01 + s23);
  StoreValue(x + 1, d01 + d23);
  StoreValue(x + 2, s01 - s23);
  StoreValue(x + 3, d01 - d23);
}

void Transform8(FftComplex* x, bool inverse)
{
  V2 v0 = LoadValue(x);
  V2 v1 = LoadValue(x + 1);
  V2 v2 = LoadValue(x + 2);
  V2 v3 = LoadValue(x + 3);
  V2 v4 = LoadValue(x + 4);
  V2 v5 = LoadValue(x + 5);
  V2 v6 = LoadValue(x + 6);
  V2 v7 = LoadValue(x + 7);
  if (inverse)
    Kernel8DitValues(v0, v1, v2, v3, v4, v5, v6, v7);
  else
    Kernel8DifValues(v0, v1, v2, v3, v4, v5, v6, v7);
  StoreValue(x, v0);
  StoreValue(x + 1, v1);
  StoreValue(x + 2, v2);
  StoreValue(x + 3, v3);
  StoreValue(x + 4, v4);
  StoreValue(x + 5, v5);
  StoreValue(x + 6, v6);
  StoreValue(x + 7, v7);
}

// Lengths below 16 have a single pass, or none with twiddles.
bool TransformSmall(FftComplex* data, int bits, bool inverse)
{
  switch (bits)
  {
    case 1:
      Transform2(data);
      return true;
    case 2:
      Transform4(data, inverse);
      return true;
    case 3:
      Transform8(data, inverse);
      return true;
    default:
      return false;
  }
}
} // namespace

void Fft::Init() { std::call_once(gTablesOnce, BuildTables); }

bool Fft::IsSupportedSize(int n) { return n >= kMinSize && n <= kMaxSize && (n & (n - 1)) == 0; }

void Fft::Transform(FftComplex* data, int n, Direction direction)
{
  if (!data || !IsSupportedSize(n))
    return;
  Init();
  const int bits = Log2(n);
  const bool inverse = direction == Direction::kInverse;
  if (TransformSmall(data, bits, inverse))
    return;
#ifdef CREST_FFT_WIDE
  if (gWideEnabled.load(std::memory_order_relaxed))
  {
    if (inverse)
      InverseWide(data, n, bits);
    else
      ForwardWide(data, n, bits);
    return;
  }
#endif
  if (inverse)
    InverseNarrow(data, n, bits);
  else
    ForwardNarrow(data, n, bits);
}

void Fft::Forward(FftComplex* data, int n) { Transform(data, n, Direction::kForward); }

void Fft::Inverse(FftComplex* data, int n) { Transform(data, n, Direction::kInverse); }

bool Fft::HasWideKernels()
{
  Init();
  return gWideAvailable;
}

bool Fft::SetWideKernelsEnabled(bool enabled)
{
  Init();
  gWideEnabled.store(enabled && gWideAvailable);
  return gWideEnabled.load();
}

int Fft::Position(int k, int n)
{
  if (!IsSupportedSize(n) || k < 0 || k >= n)
    return k;
  Init();
  return gTables->reverse[static_cast<size_t>(k)] >> (kMaxBits - Log2(n));
}

namespace
{
// dst[k] = src[Position(k)]. Bit reversal is its own inverse, so the same
// copy takes either order to the other.
void CopyBitReversed(const FftComplex* src, FftComplex* dst, int n)
{
  if (!src || !dst || n <= 0)
    return;
  if (!Fft::IsSupportedSize(n))
  {
    for (int k = 0; k < n; ++k)
      dst[k] = src[k];
    return;
  }
  Fft::Init();
  const uint16_t* rev = gTables->reverse.data();
  const int shift = kMaxBits - Log2(n);
  for (int k = 0; k < n; ++k)
    dst[k] = src[rev[k] >> shift];
}
} // namespace

void Fft::ToNaturalOrder(const FftComplex* module, FftComplex* natural, int n)
{
  CopyBitReversed(module, natural, n);
}

void Fft::ToModuleOrder(const FftComplex* natural, FftComplex* module, int n) { CopyBitReversed(natural, module, n); }
