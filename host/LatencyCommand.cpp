#include "LatencyCommand.h"

#include "BlockReader.h"
#include "CameraDrag.h"
#include "ChannelBlocks.h"
#include "EditorWindow.h"
#include "HostError.h"
#include "PacedAudioThread.h"
#include "RenderMeter.h"
#include "ShowCommand.h"
#include "StateChurn.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <optional>
#include <thread>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

constexpr int kChurnMs = 100;
// The graph's share of the editor's height, from its top (408 of 555 rows at
// every size); the drags stay in its middle.
constexpr double kGraphHeightShare = 408.0 / 555.0;

double threadCpuSeconds()
{
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec * 1e-9;
}

double processCpuSeconds()
{
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

double msSince(Clock::time_point t0, Clock::time_point t1)
{
  return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

// Watches Angle0 across the drags: each drag should turn it.
struct CameraCheck
{
  std::string id;
  double atPress = 0.0;
  double lowest = 1.0, highest = 0.0;
  int turned = 0;

  void start(EffectInstance& effect)
  {
    atPress = effect.normalizedValue(id);
    lowest = highest = atPress;
  }
  void afterDrag(EffectInstance& effect)
  {
    const double v = effect.normalizedValue(id);
    turned += v != atPress ? 1 : 0;
    lowest = std::min(lowest, v);
    highest = std::max(highest, v);
    atPress = v;
  }
};

double angle0Degrees(double normalized) { return -90.0 + 180.0 * normalized; }
} // namespace

int LatencyCommand::run(const LatencyOptions& options)
{
  if (options.block < 1 || options.block > ACF_MAX_BLOCK_FRAMES)
    throw HostError("--block must be 1 to 1024", 2);
  if (options.noEditor && options.drag)
    throw HostError("--drag needs the editor (leave out --no-editor)", 2);
  std::unique_ptr<EditorWindow> window;
  if (!options.noEditor)
  {
    window = EditorWindow::connect();
    if (!window)
      throw HostError(ShowCommand::noDisplayMessage(), 2);
  }

  HostSession session(options.session);
  EffectInstance& effect = session.effect();
  std::unique_ptr<CameraDrag> drag;
  CameraCheck camera;
  if (window)
  {
    int width = 0, height = 0;
    effect.editorSize(width, height);
    window->create(width, height, true, "QX Crest");
    effect.openEditor(window->handle());
    if (options.drag)
    {
      const unsigned long editor = CameraDrag::firstChild(window->handle());
      if (editor != 0)
        drag = CameraDrag::connect(editor, 0, 0, width, static_cast<int>(height * kGraphHeightShare));
      if (!drag)
        throw HostError("--drag found no editor window to send events to");
      camera.id = session.idOf("Angle0");
      camera.start(effect);
    }
  }

  AudioSource& source = session.source();
  const double rate = source.sampleRate();
  const auto blocks = static_cast<int64_t>(options.seconds * rate / options.block);
  RenderMeter meter(static_cast<std::size_t>(blocks) + 1, 1000.0 * options.block / rate);
  const int channels = effect.channels();
  ChannelBlocks buffers(channels, options.block);
  BlockReader reader(source, channels, options.block, true);

  std::optional<StateChurn> churn;
  if (options.stateChurn)
  {
    std::vector<std::pair<std::size_t, std::size_t>> cameraBytes;
    for (const char* name : {"Angle0", "Angle1", "CamFov"})
      cameraBytes.emplace_back(HostSession::stateOffset(session.indexOf(name)), sizeof(double));
    churn.emplace(effect, kChurnMs, HostSession::stateOffset(session.indexOf("Speed")), std::move(cameraBytes));
  }

  std::vector<double> idles;
  idles.reserve(static_cast<std::size_t>(options.seconds * 1000.0 / options.idleMs + 2));
  const double cpu0 = threadCpuSeconds(), proc0 = processCpuSeconds();
  const auto wall0 = Clock::now();
  bool marked = false;
  PacedAudioThread audio(options.block / rate, blocks, options.realtime, [&] {
    if (!marked)
      EffectInstance::markAudioThread();
    marked = true;
    const int n = reader.read(buffers.fill(), options.block);
    meter.measure([&] { effect.render(buffers.inputs(), buffers.outputs(), n); });
  });

  auto nextIdle = Clock::now();
  while (audio.running())
  {
    bool released = false;
    if (window)
    {
      window->processEvents(0);
      if (drag)
        released = drag->step();
      const auto t0 = Clock::now();
      effect.idleEditor();
      window->flush();
      idles.push_back(msSince(t0, Clock::now()));
      if (released)
        camera.afterDrag(effect);
    }
    nextIdle += std::chrono::milliseconds(options.idleMs);
    if (nextIdle < Clock::now())
      nextIdle = Clock::now() + std::chrono::milliseconds(options.idleMs);
    std::this_thread::sleep_until(nextIdle);
  }
  audio.join();
  const StateChurn::Counts churned = churn ? churn->stop() : StateChurn::Counts{};
  const double wall = msSince(wall0, Clock::now()) / 1000.0;
  const double uiCpu = threadCpuSeconds() - cpu0, procCpu = processCpuSeconds() - proc0;
  effect.closeEditor();

  const RenderMeter::Summary s = meter.summary();
  std::printf("%s, editor %s%s%s, audio thread %s\n", session.inputLabel().c_str(), window ? "open" : "closed",
              options.stateChurn ? ", state churn" : "", drag ? ", camera drags" : "",
              audio.realtimeGranted() ? "SCHED_FIFO" : "not real-time");
  RenderMeter::print(stdout, "render", s, options.block, rate);
  std::printf("host notifications from the audio thread: %d\n", effect.audioThreadCallbacks());
  if (churn)
    std::printf("state restores: %d, read-back differed: %d (camera only: %d)\n", churned.restores,
                churned.mismatches, churned.volatileChanges);
  if (drag)
    std::printf("camera drags: %d, turned the camera: %d (Angle0 between %.1f and %.1f degrees)\n", drag->drags(),
                camera.turned, angle0Degrees(camera.lowest), angle0Degrees(camera.highest));
  if (window)
  {
    std::sort(idles.begin(), idles.end());
    std::printf("idle calls: %zu, ms p50 %.2f  max %.2f\n", idles.size(),
                idles.empty() ? 0.0 : idles[idles.size() / 2], idles.empty() ? 0.0 : idles.back());
  }
  std::printf("cpu: editor thread %.1f %%  process %.1f %% of one core\n", 100.0 * uiCpu / wall,
              100.0 * procCpu / wall);
  return s.slept == 0 && churned.mismatches == 0 ? 0 : 1;
}
