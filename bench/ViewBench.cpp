// The 3-D view's two costs: turning one spectrum into a history line on the
// audio thread (against a plain copy of the 1024 magnitudes), and one graph
// frame per display mode at the densest setting (Density and Scale 100 %) (against an empty frame of
// the same graph, read back in both so that GL has finished the frame).
#include "graph/GraphControl10.h"
#include "view3d/CrestRender.h"
#include "view3d/LinesRender.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "bench/BenchSupport.h"

namespace
{
constexpr int kNumMagns = 1024;
constexpr double kRate = 44100.0;
// The graph area of the editor at its smallest size.
constexpr int kGraphW = 800, kGraphH = 410;

void AddMagnsBaseline(benchmark::State& state)
{
  const WDL_TypedBuf<double> magns = TestMagns();
  WDL_TypedBuf<double> copy;
  for (auto _ : state)
  {
    copy.CopyFrom(magns);
    benchmark::DoNotOptimize(copy.Get());
    benchmark::ClobberMemory();
  }
}

void AddMagnsSubject(benchmark::State& state)
{
  CrestRender view(nullptr, nullptr, kRate);
  const WDL_TypedBuf<double> magns = TestMagns();
  view.GetLines()->SetSpeed(1.0); // every spectrum enters the history
  for (auto _ : state)
  {
    view.AddMagns(magns);
    benchmark::ClobberMemory();
  }
}

void AddMagnsSubjectMirror(benchmark::State& state)
{
  CrestRender view(nullptr, nullptr, kRate);
  for (char c : {'q', 'u', 'e', 'n', 'z'})
    view.OnKeyDown(0, 0, c - CrestRender::kKeyToLowercase, nullptr);
  const WDL_TypedBuf<double> magns = TestMagns();
  for (auto _ : state)
  {
    view.AddMagns(magns);
    benchmark::ClobberMemory();
  }
}

// The software projection of one frame, without the renderer: against
// copying as many points.
void ProjectBaseline(benchmark::State& state)
{
  std::vector<Point3D> src(size_t{64} * 256), dst(size_t{64} * 256);
  for (auto _ : state)
  {
    std::copy(src.begin(), src.end(), dst.begin());
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
}

void ProjectSubject(benchmark::State& state, int mode)
{
  LinesRender lines;
  lines.SetMode(mode);
  lines.SetDensity(1.0);
  lines.SetCameraAngles(0.0, 15.0);
  for (auto _ : state)
  {
    lines.ProjectLines(kGraphW, kGraphH);
    benchmark::DoNotOptimize(lines.GetProjectedLine(0));
    benchmark::ClobberMemory();
  }
}

// A graph at the editor's settings with a history of varied spectra.
struct FrameSetup
{
  std::unique_ptr<GraphControl10> graph;
  std::unique_ptr<CrestRender> view;
  std::vector<uint8_t> pixels;

  explicit FrameSetup(bool withView)
    : graph(std::make_unique<GraphControl10>(nullptr, nullptr, IRECT(0, 0, kGraphW, kGraphH), 7, 0, 512, "")),
      pixels(static_cast<size_t>(kGraphW) * kGraphH * 4)
  {
    graph->SetBackgroundColor(0, 0, 0, 255);
    const int separator[4] = {24, 24, 24, 255};
    graph->SetSeparatorLine(separator, 2.0);
    if (!withView)
      return;
    view = std::make_unique<CrestRender>(nullptr, graph.get(), kRate);
    FillHistory(*view);
    view->GetLines()->SetSpeed(1.0); // every spectrum enters the history
  }
  ~FrameSetup()
  {
    graph.reset(); // holds pointers into the view
    view.reset();
  }

  // One rendered frame, finished and read back; each differs from the last
  // (a frame repeating the last one would not be drawn): the landscape
  // moves on by a line, the empty graph's clear colour alternates between
  // two blacks.
  bool Frame()
  {
    ++frame;
    if (view)
    {
      // The same spectra as before, without a buffer made in the timed loop;
      // from the fixed base rather than compounded, which would fade to zero.
      for (int i = 0; i < kNumMagns; i++)
        magns[i] = base[i] * (1.0 + 0.1 * std::sin(frame + i * 0.1));
      view->AddMagns(magns);
    }
    else
      graph->SetBackgroundColor(0, 0, frame & 1, 255);
    return graph->ReadScreenRGBA(pixels.data());
  }
  int frame = 0;
  const WDL_TypedBuf<double> base = TestMagns();
  WDL_TypedBuf<double> magns = TestMagns();
};

void FrameBaseline(benchmark::State& state)
{
  FrameSetup setup(false);
  if (!setup.Frame())
  {
    state.SkipWithError("no GL context");
    return;
  }
  for (auto _ : state)
    setup.Frame();
}

void FrameSubject(benchmark::State& state, int mode)
{
  FrameSetup setup(true);
  setup.view->SetMode(mode);
  setup.view->SetDensity(1.0);
  setup.view->SetScale(1.0);
  if (!setup.Frame())
  {
    state.SkipWithError("no GL context");
    return;
  }
  for (auto _ : state)
    setup.Frame();
}
} // namespace

BENCHMARK(AddMagnsBaseline)->Name("AddMagns:baseline");
BENCHMARK(AddMagnsSubject)->Name("AddMagns:subject");
BENCHMARK(AddMagnsSubjectMirror)->Name("AddMagns:subject_mirror");

BENCHMARK(ProjectBaseline)->Name("ProjectLines:baseline");
BENCHMARK_CAPTURE(ProjectSubject, freq, 0)->Name("ProjectLines:subject_freq_64x256");
BENCHMARK_CAPTURE(ProjectSubject, time, 1)->Name("ProjectLines:subject_time_64x64");
BENCHMARK_CAPTURE(ProjectSubject, points, 2)->Name("ProjectLines:subject_points_64x64");

BENCHMARK(FrameBaseline)->Name("Frame800x410:baseline")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FrameSubject, freq, 0)->Name("Frame800x410:subject_freq_d64")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FrameSubject, time, 1)->Name("Frame800x410:subject_time_d64")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FrameSubject, points, 2)->Name("Frame800x410:subject_points_d64")->Unit(benchmark::kMillisecond);
