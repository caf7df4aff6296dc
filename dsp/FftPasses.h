// The passes of the FFT module's transforms, written once over the lane
// vectors of FftLanes.h (see Fft.cpp for how they make up a transform).
// Only Fft.cpp includes it.
#pragma once

#include "dsp/FftLanes.h"
#include "dsp/FftTables.h"
#include "framework/FftComplex.h"

#include <cstddef>

namespace
{
constexpr int kGroup = FftTables::kGroup;
constexpr double kSqrtHalf = 0.70710678118654752440;

template <class V>
CREST_FFT_INLINE C<V> TwiddleAt(const double* table, ptrdiff_t perGroup, ptrdiff_t j, ptrdiff_t which)
{
  const double* g = table + perGroup * (j / kGroup) + (j % kGroup) + which * 2 * kGroup;
  return {Load<V>(g), Load<V>(g + kGroup)};
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
  const ptrdiff_t q = len / 4;
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
  const V2 b1 = Scale(t1 + MulNegI(t1), kSqrtHalf); // * e^(-i pi/4)
  const V2 b2 = MulNegI(v2 - v6);
  const V2 t3 = v3 - v7;
  const V2 b3 = Scale(MulNegI(t3) - t3, kSqrtHalf); // * e^(-3i pi/4)

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
  const V2 f1 = Scale(t1 + MulPosI(t1), kSqrtHalf); // * e^(i pi/4)
  const V2 f3 = Scale(MulPosI(t3) - t3, kSqrtHalf); // * e^(3i pi/4)

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
  const ptrdiff_t q = len / 4;
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
      StoreC<V, kInterleavedOut>(p + q, SubNegI(d0b, dcd)); // + i (c - d)
      StoreC<V, kInterleavedOut>(p + 2 * q, Sub(s0b, scd));
      StoreC<V, kInterleavedOut>(p + 3 * q, AddNegI(d0b, dcd)); // - i (c - d)
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
} // namespace
