// The graph's way to the screen, stage by stage, in the plug-in's own editor
// with its window open: building the drawing commands (the drawers' copies
// included), GL executing them (to glFinish), reading the picture back,
// putting it into the editor's drawing surface, and showing that surface on
// the window (X). Every iteration is one redraw tick with a new graph frame;
// the landscape moves on by one history line before each. The baseline is
// the same tick of an editor whose graph draws nothing (clear, separator,
// read-back). Each stage is
// reported as a counter in ms per frame; BenchMain prints the counters named
// stage_* as ratios to the baseline's whole tick.
#include "framework/IControl.h"
#include "framework/IGraphics.h"
#include "graph/GraphControl10.h"
#include "plugin/Crest.h"
#include "tests/support/FakePlug.h"
#include "view3d/CrestRender.h"
#include "view3d/LinesRender.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "bench/BenchSupport.h"

namespace
{
double ProcessCpuMs()
{
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// Redraw ticks, each with a new graph frame, on an open editor window.
// change() makes the next frame differ from the last and asks for it.
void RunTicks(benchmark::State& state, IGraphics* g, GraphControl10* graph, const std::function<void()>& change)
{
  g->SetGLFramePacing(false);
  for (int i = 0; i < 5; ++i)
    g->OnIdle(); // settle: first picture, shaders compiled
  if (!graph || !graph->HasRenderer())
  {
    state.SkipWithError("no OpenGL context");
    return;
  }
  const GraphControl10::StageTimes graph0 = graph->GetStageTimes();
  const IGraphics::StageTimes editor0 = g->GetStageTimes();
  const int frames0 = graph->GetNumRenderedFrames();
  const double cpu0 = ProcessCpuMs();
  for (auto _ : state)
  {
    change();
    g->OnIdle();
  }
  const GraphControl10::StageTimes& graph1 = graph->GetStageTimes();
  const IGraphics::StageTimes& editor1 = g->GetStageTimes();
  const double n = static_cast<double>(state.iterations());
  state.counters["stage_1_build_ms"] = (graph1.buildMs - graph0.buildMs) / n;
  state.counters["stage_2_gl_ms"] = (graph1.glMs - graph0.glMs) / n;
  state.counters["stage_3_readback_ms"] = (graph1.readBackMs - graph0.readBackMs) / n;
  state.counters["stage_4_blit_ms"] = (editor1.blitMs - editor0.blitMs) / n;
  state.counters["stage_5_x_ms"] = (editor1.showMs - editor0.showMs) / n;
  // All threads, GL's raster threads included: what a host sees as our share.
  state.counters["process_cpu_ms"] = (ProcessCpuMs() - cpu0) / n;
  state.counters["frames_per_tick"] = (graph->GetNumRenderedFrames() - frames0) / n;
}

// The empty frame: an editor of the plug-in's size holding only a graph
// set up as the plug-in's (same place, size, colours), with no drawer.
void EmptyFrame(benchmark::State& state, bool sharedMemory)
{
  if (!HaveDisplay())
  {
    state.SkipWithError("no X display");
    return;
  }
  FakePlug plug;
  IGraphics g(&plug, Crest::kEditorWidth, Crest::kEditorHeight);
  auto* graph = new GraphControl10(&plug, &g, IRECT(0, 0, 800, 408), -1, 0, 512, "");
  graph->SetBackgroundColor(0, 0, 0, 255);
  const int separator[4] = {24, 24, 24, 255};
  graph->SetSeparatorLine(separator, 2.0);
  g.AttachControl(graph);
  g.SetSharedMemoryImages(sharedMemory);
  if (!g.OpenWindow(0))
  {
    state.SkipWithError("no editor window");
    return;
  }
  // A clear colour that alternates between two blacks: every frame is new.
  int frame = 0;
  RunTicks(state, &g, graph, [&] { graph->SetBackgroundColor(0, 0, ++frame & 1, 255); });
  g.CloseWindow();
}

// The plug-in's editor with a full history in the mode.
void Landscape(benchmark::State& state, int mode, bool densest, bool sharedMemory)
{
  if (!HaveDisplay())
  {
    state.SkipWithError("no X display");
    return;
  }
  IGraphics::SetDefaultResourceDir(CREST_SOURCE_DIR);
  auto crest = std::make_unique<Crest>();
  IGraphics* g = crest->GetGUI();
  if (g)
    g->SetSharedMemoryImages(sharedMemory);
  if (!g || !g->OpenWindow(0))
  {
    state.SkipWithError("no editor window");
    return;
  }
  crest->SetParameterFromGUI(Crest::kMode, mode / 2.0);
  if (densest)
  {
    crest->SetParameterFromGUI(Crest::kDensity, 1.0);
    crest->SetParameterFromGUI(Crest::kScale, 1.0);
  }
  CrestRender& view = *crest->GetView();
  FillHistory(view, LinesRender::kMaxNumLines * 9); // enough to fill it at any speed
  // Every spectrum enters the history: each tick's landscape moves on by
  // one line, as with music at full speed (speed does not change drawing).
  view.GetLines()->SetSpeed(1.0);
  WDL_TypedBuf<double> magns = TestMagns();
  int line = 0;
  RunTicks(state, g, crest->GetGraph(), [&] {
    for (int i = 0; i < 1024; i++)
      magns[i] *= 1.0 + 0.02 * std::sin(++line + i * 0.1);
    view.AddMagns(magns);
  });
  g->CloseWindow();
}

// "FramePipeline" as the editor shows its surface; "FramePipelinePutImage"
// with XPutImage instead of shared memory, as before the surface was shared
// (and as to a remote X server).
const bool kRegistered = [] {
  const char* const modes[] = {"freq", "time", "points"};
  for (const bool shared : {true, false})
  {
    const std::string group = shared ? "FramePipeline:" : "FramePipelinePutImage:";
    benchmark::RegisterBenchmark((group + "baseline").c_str(), EmptyFrame, shared)->Unit(benchmark::kMillisecond);
    for (int densest = 0; densest < 2; ++densest)
      for (int mode = 0; mode < 3; ++mode)
      {
        const std::string name = group + (densest ? "densest_" : "default_") + std::to_string(mode) + "_" +
                                 modes[mode];
        benchmark::RegisterBenchmark(name.c_str(), Landscape, mode, densest != 0, shared)
          ->Unit(benchmark::kMillisecond);
      }
  }
  return true;
}();
} // namespace
