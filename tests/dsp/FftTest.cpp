#include "dsp/Fft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <thread>
#include <vector>

namespace
{
std::vector<FftComplex> RandomData(int n, unsigned seed)
{
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  std::vector<FftComplex> data(static_cast<size_t>(n));
  for (FftComplex& c : data)
  {
    c.re = dist(rng);
    c.im = dist(rng);
  }
  return data;
}

// O(n^2) reference in long double, with the exponent reduced exactly.
std::vector<FftComplex> NaiveDft(const std::vector<FftComplex>& x, int sign)
{
  const long n = static_cast<long>(x.size());
  const long double pi = 3.141592653589793238462643383279502884L;
  std::vector<long double> cosTable(static_cast<size_t>(n));
  std::vector<long double> sinTable(static_cast<size_t>(n));
  for (long m = 0; m < n; ++m)
  {
    const long double a = sign * 2.0L * pi * static_cast<long double>(m) / n;
    cosTable[static_cast<size_t>(m)] = std::cos(a);
    sinTable[static_cast<size_t>(m)] = std::sin(a);
  }
  std::vector<FftComplex> out(x.size());
  for (long k = 0; k < n; ++k)
  {
    long double re = 0.0L;
    long double im = 0.0L;
    for (long j = 0; j < n; ++j)
    {
      const size_t m = static_cast<size_t>((k * j) % n);
      re += x[static_cast<size_t>(j)].re * cosTable[m] - x[static_cast<size_t>(j)].im * sinTable[m];
      im += x[static_cast<size_t>(j)].re * sinTable[m] + x[static_cast<size_t>(j)].im * cosTable[m];
    }
    out[static_cast<size_t>(k)] = {static_cast<double>(re), static_cast<double>(im)};
  }
  return out;
}

double MaxError(const std::vector<FftComplex>& a, const std::vector<FftComplex>& b)
{
  double err = 0.0;
  for (size_t i = 0; i < a.size(); ++i)
    err = std::max({err, std::fabs(a[i].re - b[i].re), std::fabs(a[i].im - b[i].im)});
  return err;
}

std::vector<FftComplex> ToNatural(const std::vector<FftComplex>& module)
{
  std::vector<FftComplex> natural(module.size());
  Fft::ToNaturalOrder(module.data(), natural.data(), static_cast<int>(module.size()));
  return natural;
}

std::vector<FftComplex> ToModule(const std::vector<FftComplex>& natural)
{
  std::vector<FftComplex> module(natural.size());
  Fft::ToModuleOrder(natural.data(), module.data(), static_cast<int>(natural.size()));
  return module;
}

// Runs each test once with the 4-lane kernels (where the processor has
// them) and once with the 2-lane ones.
class FftKernels : public ::testing::TestWithParam<bool>
{
protected:
  void SetUp() override
  {
    Fft::Init();
    if (GetParam() && !Fft::HasWideKernels())
      GTEST_SKIP() << "no AVX on this processor";
    ASSERT_EQ(Fft::SetWideKernelsEnabled(GetParam()), GetParam());
  }
  void TearDown() override { Fft::SetWideKernelsEnabled(true); }
};

const int kSizes[] = {2, 4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096};

// Rounding grows with log n and with the size of the values (about sqrt n).
double Tolerance(int n) { return 1e-13 * std::sqrt(static_cast<double>(n)) * std::log2(2.0 * n); }
} // namespace

TEST_P(FftKernels, ForwardMatchesNaiveDftThroughPositions)
{
  for (int n : kSizes)
  {
    const std::vector<FftComplex> x = RandomData(n, static_cast<unsigned>(n));
    std::vector<FftComplex> y = x;
    Fft::Forward(y.data(), n);
    std::vector<FftComplex> natural(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k)
      natural[static_cast<size_t>(k)] = y[static_cast<size_t>(Fft::Position(k, n))];
    EXPECT_LT(MaxError(natural, NaiveDft(x, -1)), Tolerance(n)) << "n = " << n;
  }
}

TEST_P(FftKernels, InverseOfModuleOrderMatchesNaiveInverseDft)
{
  for (int n : kSizes)
  {
    const std::vector<FftComplex> spectrum = RandomData(n, 1000u + static_cast<unsigned>(n));
    std::vector<FftComplex> y = ToModule(spectrum);
    Fft::Inverse(y.data(), n);
    EXPECT_LT(MaxError(y, NaiveDft(spectrum, +1)), Tolerance(n)) << "n = " << n;
  }
}

TEST_P(FftKernels, ForwardThenInverseScalesByLength)
{
  for (int n = Fft::kMinSize; n <= Fft::kMaxSize; n *= 2)
  {
    const std::vector<FftComplex> x = RandomData(n, 7u);
    std::vector<FftComplex> y = x;
    Fft::Forward(y.data(), n);
    Fft::Inverse(y.data(), n);
    for (FftComplex& c : y)
    {
      c.re /= n;
      c.im /= n;
    }
    EXPECT_LT(MaxError(y, x), 1e-14) << "n = " << n;
  }
}

TEST_P(FftKernels, LargeSizesMatchNaiveDftOnSomeBins)
{
  // The whole naive DFT would be too slow; a spread of bins checks the
  // twiddles of the largest passes.
  for (int n : {8192, 16384, 32768})
  {
    const std::vector<FftComplex> x = RandomData(n, 99u);
    std::vector<FftComplex> y = x;
    Fft::Forward(y.data(), n);
    const long double pi = 3.141592653589793238462643383279502884L;
    for (int k : {0, 1, 3, n / 8 + 5, n / 4 - 1, n / 2, n / 2 + 1, n - 1})
    {
      long double re = 0.0L;
      long double im = 0.0L;
      for (long j = 0; j < n; ++j)
      {
        const long double a = -2.0L * pi * static_cast<long double>((static_cast<long>(k) * j) % n) / n;
        re += x[static_cast<size_t>(j)].re * std::cos(a) - x[static_cast<size_t>(j)].im * std::sin(a);
        im += x[static_cast<size_t>(j)].re * std::sin(a) + x[static_cast<size_t>(j)].im * std::cos(a);
      }
      const FftComplex got = y[static_cast<size_t>(Fft::Position(k, n))];
      EXPECT_NEAR(got.re, static_cast<double>(re), Tolerance(n)) << "n = " << n << " k = " << k;
      EXPECT_NEAR(got.im, static_cast<double>(im), Tolerance(n)) << "n = " << n << " k = " << k;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(WideAndNarrow, FftKernels, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Wide" : "Narrow"; });

TEST(Fft, WideAndNarrowKernelsAgree)
{
  Fft::Init();
  if (!Fft::HasWideKernels())
    GTEST_SKIP() << "no AVX on this processor";
  for (int n : {16, 32, 64, 2048, 32768})
  {
    const std::vector<FftComplex> x = RandomData(n, 5u);
    std::vector<FftComplex> wide = x;
    std::vector<FftComplex> narrow = x;
    Fft::SetWideKernelsEnabled(true);
    Fft::Forward(wide.data(), n);
    Fft::SetWideKernelsEnabled(false);
    Fft::Forward(narrow.data(), n);
    EXPECT_LT(MaxError(wide, narrow), 1e-12) << "n = " << n;
    Fft::SetWideKernelsEnabled(true);
    Fft::Inverse(wide.data(), n);
    Fft::SetWideKernelsEnabled(false);
    Fft::Inverse(narrow.data(), n);
    EXPECT_LT(MaxError(wide, narrow), 1e-10) << "n = " << n;
  }
  Fft::SetWideKernelsEnabled(true);
}

TEST(Fft, ImpulseAndConstantGiveFlatAndSingleBin)
{
  Fft::Init();
  const int n = 2048;
  std::vector<FftComplex> impulse(n);
  impulse[0] = {1.0, 0.0};
  Fft::Forward(impulse.data(), n);
  for (const FftComplex& c : impulse)
  {
    EXPECT_DOUBLE_EQ(c.re, 1.0);
    EXPECT_DOUBLE_EQ(c.im, 0.0);
  }

  std::vector<FftComplex> constant(n, FftComplex{1.0, 0.0});
  Fft::Forward(constant.data(), n);
  const std::vector<FftComplex> natural = ToNatural(constant);
  EXPECT_DOUBLE_EQ(natural[0].re, n);
  for (int k = 1; k < n; ++k)
    EXPECT_NEAR(std::hypot(natural[static_cast<size_t>(k)].re, natural[static_cast<size_t>(k)].im), 0.0, 1e-12);
}

TEST(Fft, UnsupportedLengthsLeaveDataUnchanged)
{
  Fft::Init();
  for (int n : {0, 1, 3, 6, 12, 1000, 2047, 65536})
  {
    const std::vector<FftComplex> x = RandomData(std::max(n, 1), 3u);
    std::vector<FftComplex> y = x;
    Fft::Forward(y.data(), n);
    EXPECT_EQ(MaxError(x, y), 0.0) << "n = " << n;
    Fft::Inverse(y.data(), n);
    EXPECT_EQ(MaxError(x, y), 0.0) << "n = " << n;
    EXPECT_FALSE(Fft::IsSupportedSize(n));
    EXPECT_EQ(Fft::Position(n > 1 ? 1 : 0, n), n > 1 ? 1 : 0);
  }
  Fft::Forward(nullptr, 16);
  Fft::Inverse(nullptr, 16);
}

TEST(Fft, PositionsAreABitReversalPermutation)
{
  Fft::Init();
  for (int n = Fft::kMinSize; n <= Fft::kMaxSize; n *= 2)
  {
    std::set<int> seen;
    for (int k = 0; k < n; ++k)
    {
      const int p = Fft::Position(k, n);
      ASSERT_GE(p, 0);
      ASSERT_LT(p, n);
      seen.insert(p);
      EXPECT_EQ(Fft::Position(p, n), k) << "bit reversal is its own inverse";
    }
    EXPECT_EQ(static_cast<int>(seen.size()), n);
  }
  EXPECT_EQ(Fft::Position(1, 8), 4);
  EXPECT_EQ(Fft::Position(3, 8), 6);
  EXPECT_EQ(Fft::Position(1, 2048), 1024);
}

TEST(Fft, NaturalAndModuleOrderAreInverse)
{
  Fft::Init();
  const std::vector<FftComplex> x = RandomData(512, 11u);
  EXPECT_EQ(MaxError(ToNatural(ToModule(x)), x), 0.0);
  const std::vector<FftComplex> module = ToModule(x);
  for (int k = 0; k < 512; ++k)
    EXPECT_EQ(module[static_cast<size_t>(Fft::Position(k, 512))].re, x[static_cast<size_t>(k)].re);
}

TEST(Fft, NonFiniteInputStaysContainedAndDoesNotCrash)
{
  Fft::Init();
  std::vector<FftComplex> x(64, FftComplex{0.5, 0.0});
  x[10] = {std::nan(""), 0.0};
  x[20] = {INFINITY, 0.0};
  Fft::Forward(x.data(), 64);
  Fft::Inverse(x.data(), 64);
  EXPECT_EQ(x.size(), 64u);
  EXPECT_TRUE(std::isnan(x[0].re));
}

TEST(Fft, InitIsIdempotentAndSafeFromSeveralThreads)
{
  const std::vector<FftComplex> x = RandomData(1024, 21u);
  std::vector<FftComplex> reference = x;
  Fft::Init();
  Fft::Forward(reference.data(), 1024);

  std::vector<std::vector<FftComplex>> results(4, x);
  std::vector<std::thread> threads;
  for (auto& r : results)
    threads.emplace_back([&r] {
      Fft::Init();
      Fft::Init();
      Fft::Forward(r.data(), 1024);
    });
  for (std::thread& t : threads)
    t.join();
  for (const auto& r : results)
    EXPECT_EQ(MaxError(r, reference), 0.0);
}
