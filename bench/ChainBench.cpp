// The whole plug-in chain on stereo blocks of 512 at 44.1 kHz, through the
// host interface, against a bare pipeline that only windows, transforms and
// takes magnitudes every 512 samples.
#include "acf/acf.h"
#include "dsp/BufferOps.h"
#include "dsp/FftProcessObj14.h"
#include "dsp/FftTransform.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace
{
constexpr int kBlock = 512;
constexpr int kFrame = 2048;

std::vector<float> Signal(size_t n, double phase)
{
  std::vector<float> s(n);
  for (size_t i = 0; i < n; ++i)
    s[i] = static_cast<float>(0.4 * std::sin(0.021 * i + phase) + 0.2 * std::sin(0.37 * i) +
                              0.05 * std::sin(1.9 * i * i * 1e-6));
  return s;
}

void ChainBaseline(benchmark::State& state)
{
  FftProcessObj14::Init();
  const std::vector<float> src = Signal(1 << 16, 0.0);
  WDL_TypedBuf<double> window, frame, magns;
  window.Resize(kFrame);
  for (int i = 0; i < kFrame; ++i)
    window[i] = 0.5 * (1.0 - std::cos(2.0 * M_PI * i / (kFrame - 1)));
  WDL_TypedBuf<FftComplex> spectrum, scratch;
  frame.Resize(kFrame);
  size_t pos = 0;
  for (auto _ : state)
  {
    for (int i = 0; i < kFrame; ++i)
      frame[i] = src[(pos + static_cast<size_t>(i)) & (src.size() - 1)] * window[i];
    FftTransform::Forward(frame, 1, &spectrum, &scratch);
    BufferOps::KeepFirstHalf(&spectrum);
    BufferOps::Magnitudes(spectrum, &magns);
    benchmark::DoNotOptimize(magns.Get());
    pos += kBlock;
  }
  state.counters["realtime_x"] = benchmark::Counter(
    static_cast<double>(kBlock) / 44100.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void ChainCrest(benchmark::State& state)
{
  const void* f = nullptr;
  ACFGetClassFactory("effect", &f);
  const auto* factory = static_cast<const AcfEffectFactory*>(f);
  AcfEffect* effect = nullptr;
  factory->create(1, nullptr, &effect);
  factory->initialize(effect, 44100.0);

  const std::vector<float> left = Signal(1 << 16, 0.0), right = Signal(1 << 16, 1.0);
  std::vector<float> outL(kBlock), outR(kBlock);
  float* outs[2] = {outL.data(), outR.data()};
  size_t pos = 0;
  for (auto _ : state)
  {
    const float* ins[2] = {left.data() + pos, right.data() + pos};
    factory->render(effect, ins, outs, kBlock);
    benchmark::DoNotOptimize(outL.data());
    pos = (pos + kBlock) & (left.size() - 1);
  }
  state.counters["realtime_x"] = benchmark::Counter(
    static_cast<double>(kBlock) / 44100.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  factory->destroy(effect);
}
} // namespace

BENCHMARK(ChainBaseline)->Name("Chain512:baseline")->Unit(benchmark::kMicrosecond);
BENCHMARK(ChainCrest)->Name("Chain512:crest")->Unit(benchmark::kMicrosecond);
