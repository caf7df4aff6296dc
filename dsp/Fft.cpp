#include "dsp/Fft.h"

#include "dsp/FftLanes.h"

#include <atomic>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <vector>

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
constexpr int kMaxBits = 15;
constexpr double kSqrtHalf = 0.70710678118654752440;
constexpr double kPi = 3.14159265358979323846;

// ---- tables -------------------------------------------------------------------

// Twiddles are stored for groups of four consecutive j, real parts then
// imaginary parts, so that the 4-lane kernels load a group and the 2-lane
// kernels either half of it.
constexpr int kGroup = 4;

struct Tables
{
  // radix4[b]: per group, W^j, W^2j, W^3j (re[4], im[4] each) for
  // W = e^(-2 pi i / 2^b), j < 2^b / 4
  std::vector<double> radix4[kMaxBits + 1];
  // radix2[b]: per group, W^j for j < 2^b / 4 (the second quarter of the
  // pass is -i times the first)
  std::vector<double> radix2[kMaxBits + 1];
  // bit reversal over kMaxBits bits; shorter lengths shift it down
  std::vector<uint16_t> reverse;
};

Tables* gTables = nullptr;
std::once_flag gTablesOnce;
std::atomic<bool> gWideEnabled{false};
bool gWideAvailable = false;

template <class V>
CREST_FFT_INLINE C<V> TwiddleAt(const double* table, int perGroup, int j, int which)
{
  const double* g = table + perGroup * (j / kGroup) + (j % kGroup) + 2 * kGroup * which;
  return {Load<V>(g), Load<V>(g + kGroup)};
}

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
  case 0: x = c; y = s; break;
  case 1: x = sq; y = cq; break;
  case 2: x = -s; y = c; break;
  case 3: x = -cq; y = sq; break;
  case 4: x = -c; y = -s; break;
  case 5: x = -sq; y = -cq; break;
  case 6: x = s; y = -c; break;
  default: x = cq; y = -sq; break;
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

void BuildTables()
{
  Tables* t = new Tables;
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
  t->reverse.resize(Fft::kMaxSize);
  for (int k = 0; k < Fft::kMaxSize; ++k)
  {
    int r = 0;
    for (int bit = 0; bit < kMaxBits; ++bit)
      r |= ((k >> bit) & 1) << (kMaxBits - 1 - bit);
    t->reverse[static_cast<size_t>(k)] = static_cast<uint16_t>(r);
  }
  gTables = t;
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

// ---- forward, decimation in frequency -------------------------------------

// Only ever the first pass, so it always reads interleaved data.
template <class V>
CREST_FFT_INLINE void Radix2Dif(FftComplex* x, int n, const double* w)
{
  const int half = n / 2;
  const int quarter = n / 4;
  for (int j = 0; j < quarter; j += kLanes<V>)
  {
    FftComplex* p = x + j;
    const C<V> tw = TwiddleAt<V>(w, 2 * kGroup, j, 0);
    const C<V> a0 = LoadInterleaved<V>(p);
    const C<V> b0 = LoadInterleaved<V>(p + half);
    const C<V> a1 = LoadInterleaved<V>(p + quarter);
    const C<V> b1 = LoadInterleaved<V>(p + quarter + half);
    StoreSplit(p, Add(a0, b0));
    StoreSplit(p + half, Mul(Sub(a0, b0), tw));
    StoreSplit(p + quarter, Add(a1, b1));
    StoreSplit(p + quarter + half, MulNegIMul(Sub(a1, b1), tw));
  }
}

template <class V, bool kInterleavedIn>
CREST_FFT_INLINE void Radix4Dif(FftComplex* x, int n, int len, const double* w)
{
  const int q = len / 4;
  for (int block = 0; block < n; block += len)
  {
    for (int j = 0; j < q; j += kLanes<V>)
    {
      FftComplex* p = x + block + j;
      const C<V> x0 = LoadC<V, kInterleavedIn>(p);
      const C<V> x1 = LoadC<V, kInterleavedIn>(p + q);
      const C<V> x2 = LoadC<V, kInterleavedIn>(p + 2 * q);
      const C<V> x3 = LoadC<V, kInterleavedIn>(p + 3 * q);
      const C<V> s02 = Add(x0, x2);
      const C<V> d02 = Sub(x0, x2);
      const C<V> s13 = Add(x1, x3);
      const C<V> d13 = Sub(x1, x3);
      StoreSplit(p, Add(s02, s13));
      StoreSplit(p + q, Mul(Sub(s02, s13), TwiddleAt<V>(w, 6 * kGroup, j, 1)));
      StoreSplit(p + 2 * q, Mul(AddNegI(d02, d13), TwiddleAt<V>(w, 6 * kGroup, j, 0)));
      StoreSplit(p + 3 * q, Mul(SubNegI(d02, d13), TwiddleAt<V>(w, 6 * kGroup, j, 2)));
    }
  }
}

// Eight interleaved values x0..x7 in, the 8-point DIF result out in
// bit-reversed order, all in place.
CREST_FFT_INLINE void Kernel8DifValues(V2& v0, V2& v1, V2& v2, V2& v3, V2& v4, V2& v5, V2& v6, V2& v7)
{
  const V2 a0 = v0 + v4;
  const V2 a1 = v1 + v5;
  const V2 a2 = v2 + v6;
  const V2 a3 = v3 + v7;
  const V2 b0 = v0 - v4;
  const V2 t1 = v1 - v5;
  const V2 b1 = Scale(t1 + MulNegI(t1), kSqrtHalf);  // * e^(-i pi/4)
  const V2 b2 = MulNegI(v2 - v6);
  const V2 t3 = v3 - v7;
  const V2 b3 = Scale(MulNegI(t3) - t3, kSqrtHalf);  // * e^(-3i pi/4)

  const V2 c0 = a0 + a2;
  const V2 c2 = a0 - a2;
  const V2 c1 = a1 + a3;
  const V2 c3 = MulNegI(a1 - a3);
  const V2 d0 = b0 + b2;
  const V2 d2 = b0 - b2;
  const V2 d1 = b1 + b3;
  const V2 d3 = MulNegI(b1 - b3);

  v0 = c0 + c1;
  v1 = c0 - c1;
  v2 = c2 + c3;
  v3 = c2 - c3;
  v4 = d0 + d1;
  v5 = d0 - d1;
  v6 = d2 + d3;
  v7 = d2 - d3;
}

// The 8-point DIT of values in bit-reversed order, natural order out.
CREST_FFT_INLINE void Kernel8DitValues(V2& v0, V2& v1, V2& v2, V2& v3, V2& v4, V2& v5, V2& v6, V2& v7)
{
  const V2 c0 = v0 + v1;
  const V2 c1 = v0 - v1;
  const V2 c2 = v2 + v3;
  const V2 c3 = MulPosI(v2 - v3);
  const V2 d0 = v4 + v5;
  const V2 d1 = v4 - v5;
  const V2 d2 = v6 + v7;
  const V2 d3 = MulPosI(v6 - v7);

  const V2 e0 = c0 + c2;
  const V2 e2 = c0 - c2;
  const V2 e1 = c1 + c3;
  const V2 e3 = c1 - c3;
  const V2 f0 = d0 + d2;
  const V2 f2 = MulPosI(d0 - d2);
  const V2 t1 = d1 + d3;
  const V2 t3 = d1 - d3;
  const V2 f1 = Scale(t1 + MulPosI(t1), kSqrtHalf);  // * e^(i pi/4)
  const V2 f3 = Scale(MulPosI(t3) - t3, kSqrtHalf);  // * e^(3i pi/4)

  v0 = e0 + f0;
  v4 = e0 - f0;
  v1 = e1 + f1;
  v5 = e1 - f1;
  v2 = e2 + f2;
  v6 = e2 - f2;
  v3 = e3 + f3;
  v7 = e3 - f3;
}

// The four interleaved values of split group g (elements e .. e + 3 for
// W = 4, two groups of two for W = 2), and back.
CREST_FFT_INLINE void GroupToValues(const FftComplex* p, V2*, V2& v0, V2& v1, V2& v2, V2& v3)
{
  Join(LoadSplit<V2>(p), v0, v1);
  Join(LoadSplit<V2>(p + 2), v2, v3);
}

CREST_FFT_INLINE void ValuesToGroup(FftComplex* p, V2*, V2 v0, V2 v1, V2 v2, V2 v3)
{
  StoreSplit(p, Split(v0, v1));
  StoreSplit(p + 2, Split(v2, v3));
}

#ifdef CREST_FFT_WIDE
CREST_FFT_INLINE void GroupToValues(const FftComplex* p, V4*, V2& v0, V2& v1, V2& v2, V2& v3)
{
  V4 a;
  V4 b;
  Join(LoadSplit<V4>(p), a, b);
  v0 = LowHalf(a);
  v1 = HighHalf(a);
  v2 = LowHalf(b);
  v3 = HighHalf(b);
}

CREST_FFT_INLINE void ValuesToGroup(FftComplex* p, V4*, V2 v0, V2 v1, V2 v2, V2 v3)
{
  StoreSplit(p, Split(Concat(v0, v1), Concat(v2, v3)));
}
#endif

// Last pass: split in, interleaved out.
template <class V>
CREST_FFT_INLINE void Kernel8Dif(FftComplex* x, int n)
{
  for (int block = 0; block < n; block += 8)
  {
    FftComplex* p = x + block;
    V2 v0, v1, v2, v3, v4, v5, v6, v7;
    GroupToValues(p, static_cast<V*>(nullptr), v0, v1, v2, v3);
    GroupToValues(p + 4, static_cast<V*>(nullptr), v4, v5, v6, v7);
    Kernel8DifValues(v0, v1, v2, v3, v4, v5, v6, v7);
    StoreValue(p, v0);
    StoreValue(p + 1, v1);
    StoreValue(p + 2, v2);
    StoreValue(p + 3, v3);
    StoreValue(p + 4, v4);
    StoreValue(p + 5, v5);
    StoreValue(p + 6, v6);
    StoreValue(p + 7, v7);
  }
}

// ---- inverse, decimation in time ------------------------------------------

// First pass: interleaved in, split out.
template <class V>
CREST_FFT_INLINE void Kernel8Dit(FftComplex* x, int n)
{
  for (int block = 0; block < n; block += 8)
  {
    FftComplex* p = x + block;
    V2 v0 = LoadValue(p);
    V2 v1 = LoadValue(p + 1);
    V2 v2 = LoadValue(p + 2);
    V2 v3 = LoadValue(p + 3);
    V2 v4 = LoadValue(p + 4);
    V2 v5 = LoadValue(p + 5);
    V2 v6 = LoadValue(p + 6);
    V2 v7 = LoadValue(p + 7);
    Kernel8DitValues(v0, v1, v2, v3, v4, v5, v6, v7);
    ValuesToGroup(p, static_cast<V*>(nullptr), v0, v1, v2, v3);
    ValuesToGroup(p + 4, static_cast<V*>(nullptr), v4, v5, v6, v7);
  }
}

template <class V, bool kInterleavedOut>
CREST_FFT_INLINE void Radix4Dit(FftComplex* x, int n, int len, const double* w)
{
  const int q = len / 4;
  for (int block = 0; block < n; block += len)
  {
    for (int j = 0; j < q; j += kLanes<V>)
    {
      FftComplex* p = x + block + j;
      const C<V> x0 = LoadSplit<V>(p);
      const C<V> b = MulConj(LoadSplit<V>(p + q), TwiddleAt<V>(w, 6 * kGroup, j, 1));
      const C<V> c = MulConj(LoadSplit<V>(p + 2 * q), TwiddleAt<V>(w, 6 * kGroup, j, 0));
      const C<V> d = MulConj(LoadSplit<V>(p + 3 * q), TwiddleAt<V>(w, 6 * kGroup, j, 2));
      const C<V> s0b = Add(x0, b);
      const C<V> d0b = Sub(x0, b);
      const C<V> scd = Add(c, d);
      const C<V> dcd = Sub(c, d);
      StoreC<V, kInterleavedOut>(p, Add(s0b, scd));
      StoreC<V, kInterleavedOut>(p + q, SubNegI(d0b, dcd));  // + i (c - d)
      StoreC<V, kInterleavedOut>(p + 2 * q, Sub(s0b, scd));
      StoreC<V, kInterleavedOut>(p + 3 * q, AddNegI(d0b, dcd));  // - i (c - d)
    }
  }
}

// Only ever the last pass, so it always writes interleaved data.
template <class V>
CREST_FFT_INLINE void Radix2Dit(FftComplex* x, int n, const double* w)
{
  const int half = n / 2;
  const int quarter = n / 4;
  for (int j = 0; j < quarter; j += kLanes<V>)
  {
    FftComplex* p = x + j;
    const C<V> tw = TwiddleAt<V>(w, 2 * kGroup, j, 0);
    const C<V> a0 = LoadSplit<V>(p);
    const C<V> b0 = MulConj(LoadSplit<V>(p + half), tw);
    const C<V> a1 = LoadSplit<V>(p + quarter);
    const C<V> b1 = MulPosIMulConj(LoadSplit<V>(p + quarter + half), tw);
    StoreInterleaved(p, Add(a0, b0));
    StoreInterleaved(p + half, Sub(a0, b0));
    StoreInterleaved(p + quarter, Add(a1, b1));
    StoreInterleaved(p + quarter + half, Sub(a1, b1));
  }
}

// ---- whole transforms -----------------------------------------------------

// Lengths 16 and up.
template <class V>
CREST_FFT_INLINE void ForwardPasses(FftComplex* data, int n, int bits)
{
  const Tables& t = *gTables;
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
  const Tables& t = *gTables;
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
  case 1: Transform2(data); return true;
  case 2: Transform4(data, inverse); return true;
  case 3: Transform8(data, inverse); return true;
  default: return false;
  }
}
} // namespace

void Fft::Init()
{
  std::call_once(gTablesOnce, BuildTables);
}

bool Fft::IsSupportedSize(int n)
{
  return n >= kMinSize && n <= kMaxSize && (n & (n - 1)) == 0;
}

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

void Fft::ToModuleOrder(const FftComplex* natural, FftComplex* module, int n)
{
  CopyBitReversed(natural, module, n);
}
