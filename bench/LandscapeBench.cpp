// The 3-D view's densest frame per mode, off-screen at the editor's graph
// size, drawn three ways on one GL context: through the original sequence
// on plain NanoVG with stencil strokes (as the graph first drew it), the
// same without stencil strokes, and through the drawer on the graph's own
// renderer (what the editor draws now). The empty frame (clear, begin, end,
// read-back) of the same context is the baseline.
#define NANOVG_GL2 1
#include <GL/glew.h>
#include "nanovg.h"
#include "nanovg_gl.h"

#include "graph/GraphRendererFlags.h"
#include "tests/support/OffscreenCanvas.h"
#include "tests/support/OriginalLandscape.h"
#include "view3d/CrestRender.h"
#include "view3d/LinesRender.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "bench/BenchSupport.h"

namespace
{
constexpr int kW = 800, kH = 410;

enum class Path
{
  Original,
  OriginalNoStencil,
  Graph
};

void Frame(OffscreenCanvas& canvas, NVGcontext* vg, const std::function<void()>& draw)
{
  canvas.Bitmap()->clear(0xff000000);
  nvgBeginFrame(vg, static_cast<float>(kW), static_cast<float>(kH), 1.0f);
  draw();
  nvgEndFrame(vg);
  canvas.Bitmap()->ReadBack();
}

void LandscapeBaseline(benchmark::State& state)
{
  OffscreenCanvas canvas(kW, kH, kGraphRendererFlags);
  if (!canvas.IsValid())
  {
    state.SkipWithError("no GL context");
    return;
  }
  for (auto _ : state)
    Frame(canvas, canvas.Vg(), [] {});
}

void LandscapeSubject(benchmark::State& state, Path path, int mode)
{
  OffscreenCanvas canvas(kW, kH, kGraphRendererFlags);
  if (!canvas.IsValid())
  {
    state.SkipWithError("no GL context");
    return;
  }
  NVGcontext* plain = nullptr;
  if (path != Path::Graph)
    plain = nvgCreateGL2(NVG_ANTIALIAS | (path == Path::Original ? NVG_STENCIL_STROKES : 0));
  const unsigned char white[4] = {255, 255, 255, 255};
  const int plainWhite = plain ? nvgCreateImageRGBA(plain, 1, 1, NVG_IMAGE_NEAREST, white) : -1;

  CrestRender view(nullptr, nullptr, 44100.0);
  view.SetMode(mode);
  view.SetDensity(1.0);
  view.SetScale(1.0);
  FillHistory(view);
  LinesRender& lines = *view.GetLines();
  for (auto _ : state)
  {
    if (plain)
      Frame(canvas, plain, [&] { OriginalLandscape::Draw(plain, lines, kW, kH, plainWhite); });
    else
      Frame(canvas, canvas.Vg(), [&] { lines.PreDraw(canvas.Vg(), kW, kH); });
  }
  if (plain)
    nvgDeleteGL2(plain);
}
} // namespace

BENCHMARK(LandscapeBaseline)->Name("Landscape800x410:baseline")->Unit(benchmark::kMillisecond);
// Every mode through every path, named "Landscape800x410:subject_<mode>_<path>".
[[maybe_unused]] const bool gSubjectsRegistered = [] {
  const char* const modes[] = {"freq", "time", "points"};
  const std::pair<Path, const char*> paths[] = {
    {Path::Original, "original"}, {Path::OriginalNoStencil, "nostencil"}, {Path::Graph, "graph"}};
  for (int mode = 0; mode < 3; ++mode)
    for (const auto& path : paths)
    {
      const std::string name = std::string("Landscape800x410:subject_") + modes[mode] + "_" + path.second;
      benchmark::RegisterBenchmark(name.c_str(), LandscapeSubject, path.first, mode)->Unit(benchmark::kMillisecond);
    }
  return true;
}();
