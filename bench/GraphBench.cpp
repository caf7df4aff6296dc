// Frames of the graph control, off-screen at the editor's graph size:
// the empty editor graph (clear, separator, read-back) as the baseline, and
// frames full of polylines or quads like the 3-D view's heaviest modes. The
// mutex benchmark measures how long an audio thread waits for the plug-in
// mutex while frames render at the editor's 25 per second.
#include "graph/NanoVGExt.h"
#include "tests/support/EditorGraphRig.h"
#include "tests/support/LambdaDrawer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>

namespace
{
// The graph picture of the smallest editor size.
constexpr int kWidth = 800;
constexpr int kHeight = 410;

// numLines polylines of numPoints points, a wave across the width.
void DrawPolylines(NVGcontext* vg, int width, int height, int numLines, int numPoints, float lineWidth)
{
  nvgStrokeWidth(vg, lineWidth);
  for (int l = 0; l < numLines; l++)
  {
    nvgBeginPath(vg);
    const float base = height * (0.1f + 0.8f * l / numLines);
    for (int p = 0; p < numPoints; p++)
    {
      const float x = width * static_cast<float>(p) / (numPoints - 1);
      const float y = base + 20.0f * std::sin(0.05f * p + 0.3f * l);
      if (p == 0)
        nvgMoveTo(vg, x, y);
      else
        nvgLineTo(vg, x, y);
    }
    nvgStroke(vg);
  }
}

void DrawQuads(NVGcontext* vg, int width, int height, int side, double size, int whiteImage)
{
  const double h = size * 0.5;
  for (int j = 0; j < side; j++)
    for (int i = 0; i < side; i++)
    {
      const double x = width * (i + 0.5) / side, y = height * (j + 0.5) / side;
      const double corners[8] = {x - h, y - h, x + h, y - h, x + h, y + h, x - h, y + h};
      nvgQuad(vg, corners, whiteImage);
    }
}

// The 3-D view's passes: a wide light-blue pass under a narrow white one.
LambdaDrawer::Fn LinesFrame(int numLines, int numPoints)
{
  return [=](NVGcontext* vg, int w, int h) {
    nvgStrokeColor(vg, nvgRGBA(255, 128, 128, 255));
    DrawPolylines(vg, w, h, numLines, numPoints, 3.0f);
    nvgStrokeColor(vg, nvgRGBA(255, 255, 255, 255));
    DrawPolylines(vg, w, h, numLines, numPoints, 1.0f);
  };
}

LambdaDrawer::Fn PointsFrame(int side)
{
  auto white = std::make_shared<int>(-1);
  return [=](NVGcontext* vg, int w, int h) {
    if (*white < 0)
    {
      const unsigned char pixel[4] = {255, 255, 255, 255};
      *white = nvgCreateImageRGBA(vg, 1, 1, NVG_IMAGE_NEAREST, pixel);
    }
    nvgFillColor(vg, nvgRGBA(255, 128, 128, 255));
    DrawQuads(vg, w, h, side, 3.0, *white);
    nvgFillColor(vg, nvgRGBA(255, 255, 255, 255));
    DrawQuads(vg, w, h, side, 2.0, *white);
  };
}

void RunFrames(benchmark::State& state, LambdaDrawer::Fn draw)
{
  EditorGraphRig rig(kWidth, kHeight);
  if (!rig.HasGL())
  {
    state.SkipWithError("no OpenGL context");
    return;
  }
  const bool drawn = draw != nullptr;
  LambdaDrawer drawer(std::move(draw));
  if (drawn)
    rig.Graph().AddCustomDrawer(&drawer);
  // A clear colour alternating between two blacks: every frame is new (a
  // frame repeating the last one would not be drawn).
  int frame = 0;
  for (auto _ : state)
  {
    rig.Graph().SetBackgroundColor(0, 0, ++frame & 1, 255);
    benchmark::DoNotOptimize(rig.Graph().GetGLBitmap());
  }
}

void BM_EmptyFrame(benchmark::State& state) { RunFrames(state, nullptr); }
BENCHMARK(BM_EmptyFrame)->Name("GraphFrame:baseline")->Unit(benchmark::kMillisecond);

void BM_Polylines(benchmark::State& state) { RunFrames(state, LinesFrame(64, 256)); }
BENCHMARK(BM_Polylines)->Name("GraphFrame:polylines_2x64x256")->Unit(benchmark::kMillisecond);

void BM_Quads(benchmark::State& state) { RunFrames(state, PointsFrame(64)); }
BENCHMARK(BM_Quads)->Name("GraphFrame:quads_2x64x64")->Unit(benchmark::kMillisecond);

// The audio thread takes the mutex for every 512-sample block at 44.1 kHz
// (every 11.6 ms) and holds it briefly; the editor renders a heavy frame
// every 40 ms. Reported: the longest and the mean wait of a block.
void BM_AudioWaitWhileRendering(benchmark::State& state)
{
  EditorGraphRig rig(kWidth, kHeight);
  if (!rig.HasGL())
  {
    state.SkipWithError("no OpenGL context");
    return;
  }
  LambdaDrawer drawer(LinesFrame(64, 256));
  rig.Graph().AddCustomDrawer(&drawer);
  WDL_Mutex& mutex = rig.Plug().GetMutex();

  using Clock = std::chrono::steady_clock;
  std::atomic<bool> running{true};
  double maxWaitMs = 0.0, sumWaitMs = 0.0;
  long blocks = 0;
  std::thread audio([&] {
    const auto period = std::chrono::microseconds(11610);
    auto next = Clock::now();
    while (running.load())
    {
      next += period;
      std::this_thread::sleep_until(next);
      const auto before = Clock::now();
      mutex.Enter();
      const double waitMs = std::chrono::duration<double, std::milli>(Clock::now() - before).count();
      // A block's analysis: a fraction of a millisecond.
      const auto busyUntil = Clock::now() + std::chrono::microseconds(200);
      while (Clock::now() < busyUntil)
      {
      }
      mutex.Leave();
      maxWaitMs = std::max(maxWaitMs, waitMs);
      sumWaitMs += waitMs;
      ++blocks;
    }
  });

  auto nextFrame = Clock::now();
  int frame = 0;
  for (auto _ : state)
  {
    nextFrame += std::chrono::milliseconds(40);
    rig.Graph().SetBackgroundColor(0, 0, ++frame & 1, 255); // a new frame each time
    benchmark::DoNotOptimize(rig.Graph().GetGLBitmap());
    std::this_thread::sleep_until(nextFrame);
  }
  running.store(false);
  audio.join();
  state.counters["audio_wait_max_ms"] = maxWaitMs;
  state.counters["audio_wait_mean_ms"] = blocks > 0 ? sumWaitMs / blocks : 0.0;
  state.counters["blocks"] = static_cast<double>(blocks);
}
BENCHMARK(BM_AudioWaitWhileRendering)
  ->Name("GraphMutexWait/frames_25_per_s")
  ->Unit(benchmark::kMillisecond)
  ->Iterations(75);
} // namespace
