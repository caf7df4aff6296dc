// The editor's drawing cost: one full redraw of the plug-in's editor at each
// of its sizes against a plain clear of a picture of the same size, and the
// redraw tick of an open editor that receives only silence, which must
// neither redraw nor render a GL frame.
#include "framework/IControl.h"
#include "framework/IGraphics.h"
#include "framework/LICE_Blit.h"
#include "framework/LICE_MemBitmap.h"
#include "graph/GraphControl10.h"
#include "plugin/Crest.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/BenchSupport.h"

namespace
{
struct EditorSize
{
  int w, h, param;
};
constexpr EditorSize kSizes[3] = {
  {800, 555, Crest::kSmallGUI}, {920, 640, Crest::kMediumGUI}, {1040, 722, Crest::kBigGUI}};

std::unique_ptr<Crest> MakeCrest(int sizeParam)
{
  IGraphics::SetDefaultResourceDir(CREST_SOURCE_DIR);
  auto crest = std::make_unique<Crest>();
  crest->SetParameterFromGUI(sizeParam, 1.0);
  return crest;
}

void BitmapClear(benchmark::State& state, EditorSize size)
{
  LICE_MemBitmap bitmap(size.w, size.h);
  for (auto _ : state)
  {
    LICE_Clear(&bitmap, LICE_RGBA(20, 21, 25, 255));
    benchmark::DoNotOptimize(bitmap.getBits());
    benchmark::ClobberMemory();
  }
}

// Background, every control and the graph's last GL picture composed; the
// graph itself renders no new frame (nothing marked it).
void FullRedraw(benchmark::State& state, EditorSize size)
{
  // Without a display there is no GL picture to compose: no figure at all.
  if (!HaveDisplay())
  {
    state.SkipWithError("no X display");
    return;
  }
  auto crest = MakeCrest(size.param);
  IGraphics* g = crest->GetGUI();
  g->OnIdle();
  const int framesBefore = crest->GetGraph() ? crest->GetGraph()->GetNumRenderedFrames() : 0;
  for (auto _ : state)
  {
    g->DrawRegion(IRECT(0, 0, size.w, size.h));
    benchmark::DoNotOptimize(g->GetDrawBitmap()->getBits());
  }
  state.counters["gl_frames"] = (crest->GetGraph() ? crest->GetGraph()->GetNumRenderedFrames() : 0) - framesBefore;
}

// An open editor ticking 25 times a second while the host sends silence:
// counts redraw passes and GL frames per tick (both should be 0).
void IdleTick(benchmark::State& state)
{
  if (!HaveDisplay())
  {
    state.SkipWithError("no X display");
    return;
  }
  auto crest = MakeCrest(Crest::kSmallGUI);
  IGraphics* g = crest->GetGUI();
  g->OpenWindow(0);
  // The plug-in is stereo: two channels in and two out.
  std::vector<double> in[2] = {std::vector<double>(512, 0.0), std::vector<double>(512, 0.0)};
  std::vector<double> out[2] = {std::vector<double>(512, 0.0), std::vector<double>(512, 0.0)};
  double* silence[2] = {in[0].data(), in[1].data()};
  double* outs[2] = {out[0].data(), out[1].data()};
  for (int i = 0; i < 10; ++i)
    g->OnIdle(); // settle: first picture, first GL frame
  const int redrawsBefore = g->GetNumRedraws();
  const int framesBefore = crest->GetGraph() ? crest->GetGraph()->GetNumRenderedFrames() : 0;
  int64_t ticks = 0;
  for (auto _ : state)
  {
    crest->ProcessBlock(silence, outs, 512);
    g->OnIdle();
    ++ticks;
  }
  state.counters["redraws_per_tick"] = benchmark::Counter(static_cast<double>(g->GetNumRedraws() - redrawsBefore) /
                                                          static_cast<double>(ticks));
  state.counters["gl_frames_per_tick"] = benchmark::Counter(
    static_cast<double>((crest->GetGraph() ? crest->GetGraph()->GetNumRenderedFrames() : 0) - framesBefore) /
    static_cast<double>(ticks));
  g->CloseWindow();
}

const bool kRegistered = [] {
  for (const EditorSize& size : kSizes)
  {
    const std::string group = "EditorRedraw" + std::to_string(size.w) + "x" + std::to_string(size.h);
    benchmark::RegisterBenchmark((group + ":baseline").c_str(), BitmapClear, size)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((group + ":full").c_str(), FullRedraw, size)->Unit(benchmark::kMicrosecond);
  }
  benchmark::RegisterBenchmark("EditorIdleTick", IdleTick)->Unit(benchmark::kMicrosecond);
  return true;
}();
} // namespace
