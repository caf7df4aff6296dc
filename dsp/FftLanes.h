// The vector types and the complex arithmetic that the FFT kernels in
// Fft.cpp and FftPasses.h are written in: one interleaved value per 2-lane
// vector, and W values at a time in split form (see Fft.cpp). Only those
// two include it.
#pragma once

#include "framework/FftComplex.h"

#if !defined(CREST_FFT_SCALAR) && defined(__SSE2__) && defined(__has_builtin)
#if __has_builtin(__builtin_shufflevector)
#define CREST_FFT_VECTORS 1
#if !defined(CREST_FFT_NO_WIDE) && (defined(__x86_64__) || defined(__i386__))
#define CREST_FFT_WIDE 1
#endif
#endif
#endif

#ifdef CREST_FFT_WIDE
// Four-lane values are only returned from functions that are inlined into
// the AVX entry points (and never passed by value), so the ABI difference
// the compilers warn about never applies.
#if defined(__clang__)
#pragma clang diagnostic ignored "-Wpsabi"
#else
#pragma GCC diagnostic ignored "-Wpsabi"
#endif
#endif

#define CREST_FFT_INLINE inline __attribute__((always_inline))

namespace
{
// ---- lane vectors -----------------------------------------------------------

#ifdef CREST_FFT_VECTORS
typedef double V2 __attribute__((vector_size(16)));
typedef double V2u __attribute__((vector_size(16), aligned(8), may_alias));
typedef long long I2 __attribute__((vector_size(16)));

CREST_FFT_INLINE V2 Ld(const double* p, V2*) { return *reinterpret_cast<const V2u*>(p); }
CREST_FFT_INLINE void St(double* p, V2 v) { *reinterpret_cast<V2u*>(p) = v; }
CREST_FFT_INLINE V2 Splat(double v, V2*) { return V2{v, v}; }
CREST_FFT_INLINE V2 Lo(V2 a, V2 b) { return __builtin_shufflevector(a, b, 0, 2); }
CREST_FFT_INLINE V2 Hi(V2 a, V2 b) { return __builtin_shufflevector(a, b, 1, 3); }
CREST_FFT_INLINE V2 Swap(V2 a) { return __builtin_shufflevector(a, a, 1, 0); }
CREST_FFT_INLINE V2 NegateLane0(V2 a)
{
  return reinterpret_cast<V2>(reinterpret_cast<I2>(a) ^ I2{static_cast<long long>(0x8000000000000000ULL), 0});
}
CREST_FFT_INLINE V2 NegateLane1(V2 a)
{
  return reinterpret_cast<V2>(reinterpret_cast<I2>(a) ^ I2{0, static_cast<long long>(0x8000000000000000ULL)});
}
#else
struct V2
{
  double v0;
  double v1;
};

CREST_FFT_INLINE V2 operator+(V2 a, V2 b) { return {a.v0 + b.v0, a.v1 + b.v1}; }
CREST_FFT_INLINE V2 operator-(V2 a, V2 b) { return {a.v0 - b.v0, a.v1 - b.v1}; }
CREST_FFT_INLINE V2 operator*(V2 a, V2 b) { return {a.v0 * b.v0, a.v1 * b.v1}; }
CREST_FFT_INLINE V2 Ld(const double* p, V2*) { return {p[0], p[1]}; }
CREST_FFT_INLINE void St(double* p, V2 v)
{
  p[0] = v.v0;
  p[1] = v.v1;
}
CREST_FFT_INLINE V2 Splat(double v, V2*) { return {v, v}; }
CREST_FFT_INLINE V2 Lo(V2 a, V2 b) { return {a.v0, b.v0}; }
CREST_FFT_INLINE V2 Hi(V2 a, V2 b) { return {a.v1, b.v1}; }
CREST_FFT_INLINE V2 Swap(V2 a) { return {a.v1, a.v0}; }
CREST_FFT_INLINE V2 NegateLane0(V2 a) { return {-a.v0, a.v1}; }
CREST_FFT_INLINE V2 NegateLane1(V2 a) { return {a.v0, -a.v1}; }
#endif

#ifdef CREST_FFT_WIDE
typedef double V4 __attribute__((vector_size(32)));
typedef double V4u __attribute__((vector_size(32), aligned(8), may_alias));

CREST_FFT_INLINE V4 Ld(const double* p, V4*) { return *reinterpret_cast<const V4u*>(p); }
CREST_FFT_INLINE void St(double* p, const V4& v) { *reinterpret_cast<V4u*>(p) = v; }
// Interleave within each 128-bit half, as the unpack instructions do.
CREST_FFT_INLINE V4 Lo(const V4& a, const V4& b) { return __builtin_shufflevector(a, b, 0, 4, 2, 6); }
CREST_FFT_INLINE V4 Hi(const V4& a, const V4& b) { return __builtin_shufflevector(a, b, 1, 5, 3, 7); }
CREST_FFT_INLINE V4 LowHalves(const V4& a, const V4& b) { return __builtin_shufflevector(a, b, 0, 1, 4, 5); }
CREST_FFT_INLINE V4 HighHalves(const V4& a, const V4& b) { return __builtin_shufflevector(a, b, 2, 3, 6, 7); }
CREST_FFT_INLINE V2 LowHalf(const V4& a) { return __builtin_shufflevector(a, a, 0, 1); }
CREST_FFT_INLINE V2 HighHalf(const V4& a) { return __builtin_shufflevector(a, a, 2, 3); }
CREST_FFT_INLINE V4 Concat(V2 a, V2 b) { return __builtin_shufflevector(a, b, 0, 1, 2, 3); }
#endif

template <class V>
constexpr int kLanes = static_cast<int>(sizeof(V) / sizeof(double));

template <class V>
CREST_FFT_INLINE V Load(const double* p)
{
  return Ld(p, static_cast<V*>(nullptr));
}

// ---- one interleaved complex value per V2: [re, im] -------------------------

CREST_FFT_INLINE V2 LoadValue(const FftComplex* p) { return Load<V2>(&p->re); }
CREST_FFT_INLINE void StoreValue(FftComplex* p, V2 v) { St(&p->re, v); }
CREST_FFT_INLINE V2 MulNegI(V2 a) { return NegateLane1(Swap(a)); } // [im, -re]
CREST_FFT_INLINE V2 MulPosI(V2 a) { return NegateLane0(Swap(a)); } // [-im, re]
CREST_FFT_INLINE V2 Scale(V2 a, double s) { return a * Splat(s, static_cast<V2*>(nullptr)); }

// ---- W complex values in split form ------------------------------------------

template <class V>
struct C
{
  V re;
  V im;
};

template <class V>
CREST_FFT_INLINE C<V> Add(const C<V>& a, const C<V>& b)
{
  return {a.re + b.re, a.im + b.im};
}

template <class V>
CREST_FFT_INLINE C<V> Sub(const C<V>& a, const C<V>& b)
{
  return {a.re - b.re, a.im - b.im};
}

// a + (-i) b and a - (-i) b
template <class V>
CREST_FFT_INLINE C<V> AddNegI(const C<V>& a, const C<V>& b)
{
  return {a.re + b.im, a.im - b.re};
}

template <class V>
CREST_FFT_INLINE C<V> SubNegI(const C<V>& a, const C<V>& b)
{
  return {a.re - b.im, a.im + b.re};
}

template <class V>
CREST_FFT_INLINE C<V> Mul(const C<V>& a, const C<V>& w)
{
  return {a.re * w.re - a.im * w.im, a.re * w.im + a.im * w.re};
}

template <class V>
CREST_FFT_INLINE C<V> MulConj(const C<V>& a, const C<V>& w)
{
  return {a.re * w.re + a.im * w.im, a.im * w.re - a.re * w.im};
}

// (-i a) w
template <class V>
CREST_FFT_INLINE C<V> MulNegIMul(const C<V>& a, const C<V>& w)
{
  return {a.im * w.re + a.re * w.im, a.im * w.im - a.re * w.re};
}

// i (a conj(w))
template <class V>
CREST_FFT_INLINE C<V> MulPosIMulConj(const C<V>& a, const C<V>& w)
{
  return {a.re * w.im - a.im * w.re, a.re * w.re + a.im * w.im};
}

template <class V>
CREST_FFT_INLINE C<V> LoadSplit(const FftComplex* p)
{
  const double* d = &p->re;
  return {Load<V>(d), Load<V>(d + kLanes<V>)};
}

template <class V>
CREST_FFT_INLINE void StoreSplit(FftComplex* p, const C<V>& c)
{
  double* d = &p->re;
  St(d, c.re);
  St(d + kLanes<V>, c.im);
}

// a and b hold W/2 interleaved values each, in element order.
CREST_FFT_INLINE C<V2> Split(V2 a, V2 b) { return {Lo(a, b), Hi(a, b)}; }

CREST_FFT_INLINE void Join(const C<V2>& c, V2& a, V2& b)
{
  a = Lo(c.re, c.im);
  b = Hi(c.re, c.im);
}

#ifdef CREST_FFT_WIDE
CREST_FFT_INLINE C<V4> Split(const V4& a, const V4& b)
{
  const V4 t0 = LowHalves(a, b);  // r0 i0 r2 i2
  const V4 t1 = HighHalves(a, b); // r1 i1 r3 i3
  return {Lo(t0, t1), Hi(t0, t1)};
}

CREST_FFT_INLINE void Join(const C<V4>& c, V4& a, V4& b)
{
  const V4 t0 = Lo(c.re, c.im); // r0 i0 r2 i2
  const V4 t1 = Hi(c.re, c.im); // r1 i1 r3 i3
  a = LowHalves(t0, t1);
  b = HighHalves(t0, t1);
}
#endif

template <class V>
CREST_FFT_INLINE C<V> LoadInterleaved(const FftComplex* p)
{
  const double* d = &p->re;
  return Split(Load<V>(d), Load<V>(d + kLanes<V>));
}

template <class V>
CREST_FFT_INLINE void StoreInterleaved(FftComplex* p, const C<V>& c)
{
  V a;
  V b;
  Join(c, a, b);
  double* d = &p->re;
  St(d, a);
  St(d + kLanes<V>, b);
}

template <class V, bool kInterleaved>
CREST_FFT_INLINE C<V> LoadC(const FftComplex* p)
{
  return kInterleaved ? LoadInterleaved<V>(p) : LoadSplit<V>(p);
}

template <class V, bool kInterleaved>
CREST_FFT_INLINE void StoreC(FftComplex* p, const C<V>& c)
{
  if (kInterleaved)
    StoreInterleaved(p, c);
  else
    StoreSplit(p, c);
}
} // namespace
