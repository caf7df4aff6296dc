// Our FFT module against FFTW on the analysis frame length: one forward and
// one inverse 2048-point complex transform, in place. Each unnormalised pair
// scales the data by 2048 = 2^11, so every 32 pairs the data is brought back
// by an exact power of two; both sides pay the same for it.
#include "dsp/Fft.h"
#include "dsp/FftTransform.h"
#include "framework/FftComplex.h"
#include "framework/WDL_TypedBuf.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace
{
constexpr int kSize = 2048;
constexpr int kPairsPerRescale = 32;
const double kRescale = std::ldexp(1.0, -11 * kPairsPerRescale);

void FillRandom(double* values, int count)
{
  std::mt19937 rng(1234);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  for (int i = 0; i < count; ++i)
    values[i] = dist(rng);
}

void Fft2048Baseline(benchmark::State& state)
{
  fftw_complex* data = fftw_alloc_complex(kSize);
  fftw_plan forward = fftw_plan_dft_1d(kSize, data, data, FFTW_FORWARD, FFTW_MEASURE);
  fftw_plan backward = fftw_plan_dft_1d(kSize, data, data, FFTW_BACKWARD, FFTW_MEASURE);
  // Planning with FFTW_MEASURE overwrites the array, so fill it afterwards.
  FillRandom(&data[0][0], 2 * kSize);
  int pairs = 0;
  for (auto _ : state)
  {
    fftw_execute(forward);
    fftw_execute(backward);
    if (++pairs == kPairsPerRescale)
    {
      pairs = 0;
      for (int i = 0; i < kSize; ++i)
      {
        data[i][0] *= kRescale;
        data[i][1] *= kRescale;
      }
    }
    benchmark::DoNotOptimize(data);
    benchmark::ClobberMemory();
  }
  fftw_destroy_plan(forward);
  fftw_destroy_plan(backward);
  fftw_free(data);
}
BENCHMARK(Fft2048Baseline)->Name("Fft2048:baseline");

void RunOursPair(benchmark::State& state)
{
  std::vector<FftComplex> data(kSize);
  FillRandom(&data[0].re, 2 * kSize);
  int pairs = 0;
  for (auto _ : state)
  {
    Fft::Forward(data.data(), kSize);
    Fft::Inverse(data.data(), kSize);
    if (++pairs == kPairsPerRescale)
    {
      pairs = 0;
      for (FftComplex& c : data)
      {
        c.re *= kRescale;
        c.im *= kRescale;
      }
    }
    benchmark::DoNotOptimize(data.data());
    benchmark::ClobberMemory();
  }
}

void Fft2048Ours(benchmark::State& state)
{
  Fft::Init();
  RunOursPair(state);
}
BENCHMARK(Fft2048Ours)->Name("Fft2048:ours");

// The 2-lane kernels alone, as on a processor without AVX.
void Fft2048OursNarrow(benchmark::State& state)
{
  Fft::Init();
  const bool wide = Fft::HasWideKernels();
  Fft::SetWideKernelsEnabled(false);
  RunOursPair(state);
  Fft::SetWideKernelsEnabled(wide);
}
BENCHMARK(Fft2048OursNarrow)->Name("Fft2048:ours_narrow");

// The wrappers the frame loop uses: scaling, the FFT, and the reordering.
void TransformForward2048(benchmark::State& state)
{
  Fft::Init();
  WDL_TypedBuf<double> frame(kSize);
  FillRandom(frame.Get(), kSize);
  WDL_TypedBuf<FftComplex> spectrum;
  WDL_TypedBuf<FftComplex> scratch;
  for (auto _ : state)
  {
    FftTransform::Forward(frame, 1, &spectrum, &scratch);
    benchmark::DoNotOptimize(spectrum.Get());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(TransformForward2048)->Name("FftTransform:forward2048");

void TransformInverse2048(benchmark::State& state)
{
  Fft::Init();
  WDL_TypedBuf<double> frame(kSize);
  FillRandom(frame.Get(), kSize);
  WDL_TypedBuf<FftComplex> spectrum;
  WDL_TypedBuf<FftComplex> scratch;
  FftTransform::Forward(frame, 1, &spectrum, &scratch);
  WDL_TypedBuf<double> resynth;
  for (auto _ : state)
  {
    FftTransform::Inverse(spectrum, 1, &resynth, &scratch);
    benchmark::DoNotOptimize(resynth.Get());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(TransformInverse2048)->Name("FftTransform:inverse2048");
} // namespace
