#include "LatencyCommand.h"

#include "BlockReader.h"
#include "ChannelBlocks.h"
#include "EditorWindow.h"
#include "HostError.h"
#include "ShowCommand.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <exception>
#include <thread>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

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

double percentile(std::vector<double> sorted, double p)
{
  if (sorted.empty())
    return 0.0;
  const size_t i = std::min(sorted.size() - 1, static_cast<size_t>(p * static_cast<double>(sorted.size())));
  return sorted[i];
}

// Renders blocks paced by the clock and records each call's duration; the
// durations vector is sized up front so the loop does not allocate.
void audioLoop(EffectInstance& effect, AudioSource& source, int block, int64_t totalFrames, bool realtime,
               std::vector<double>& durations, std::atomic<bool>& running, std::exception_ptr& failure)
{
  try
  {
    // As a real host's audio thread runs; needs the privilege, else stays as it is.
    if (realtime)
    {
      sched_param p{};
      p.sched_priority = sched_get_priority_min(SCHED_FIFO) + 10;
      if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &p) != 0)
        std::fprintf(stderr, "crest-host: no real-time priority for the audio thread\n");
    }
    const int channels = effect.channels();
    ChannelBlocks blocks(channels, block);
    BlockReader reader(source, channels, block, true);
    const double rate = source.sampleRate();
    const auto start = Clock::now();
    int64_t frames = 0;
    while (running && frames < totalFrames)
    {
      const int n = reader.read(blocks.fill(), block);
      const auto t0 = Clock::now();
      effect.render(blocks.inputs(), blocks.outputs(), n);
      const auto t1 = Clock::now();
      if (durations.size() < durations.capacity())
        durations.push_back(msSince(t0, t1));
      frames += n;
      std::this_thread::sleep_until(
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(frames / rate)));
    }
  }
  catch (...)
  {
    failure = std::current_exception();
  }
  running = false;
}
} // namespace

int LatencyCommand::run(const LatencyOptions& options)
{
  if (options.block < 1 || options.block > ACF_MAX_BLOCK_FRAMES)
    throw HostError("--block must be 1 to 1024", 2);
  std::unique_ptr<EditorWindow> window = EditorWindow::connect();
  if (!window)
    throw HostError(ShowCommand::noDisplayMessage(), 2);

  HostSession session(options.session);
  EffectInstance& effect = session.effect();
  int width = 0, height = 0;
  effect.editorSize(width, height);
  window->create(width, height, true, "QX Crest");
  effect.openEditor(window->handle());

  const double rate = session.source().sampleRate();
  const auto totalFrames = static_cast<int64_t>(options.seconds * rate);
  std::vector<double> durations;
  durations.reserve(static_cast<size_t>(totalFrames / options.block + 2));
  std::vector<double> idles;
  idles.reserve(static_cast<size_t>(options.seconds * 1000.0 / options.idleMs + 2));

  std::atomic<bool> running{true};
  std::exception_ptr failure;
  const double cpu0 = threadCpuSeconds(), proc0 = processCpuSeconds();
  const auto wall0 = Clock::now();
  std::thread audio(audioLoop, std::ref(effect), std::ref(session.source()), options.block, totalFrames,
                    options.realtime, std::ref(durations), std::ref(running), std::ref(failure));
  auto nextIdle = Clock::now();
  while (running)
  {
    window->processEvents(0);
    const auto t0 = Clock::now();
    effect.idleEditor();
    window->flush();
    idles.push_back(msSince(t0, Clock::now()));
    nextIdle += std::chrono::milliseconds(options.idleMs);
    if (nextIdle < Clock::now())
      nextIdle = Clock::now() + std::chrono::milliseconds(options.idleMs);
    std::this_thread::sleep_until(nextIdle);
  }
  audio.join();
  const double wall = msSince(wall0, Clock::now()) / 1000.0;
  const double uiCpu = threadCpuSeconds() - cpu0, procCpu = processCpuSeconds() - proc0;
  effect.closeEditor();
  if (failure)
    std::rethrow_exception(failure);

  std::sort(durations.begin(), durations.end());
  std::sort(idles.begin(), idles.end());
  const double budget = 1000.0 * options.block / rate;
  const auto late = std::count_if(durations.begin(), durations.end(), [budget](double d) { return d > budget; });
  std::printf("render calls: %zu of %d frames (budget %.2f ms)\n", durations.size(), options.block, budget);
  std::printf("render ms: p50 %.4f  p99 %.4f  p99.9 %.4f  max %.4f\n", percentile(durations, 0.5),
              percentile(durations, 0.99), percentile(durations, 0.999), durations.empty() ? 0.0 : durations.back());
  std::printf("late blocks: %ld\n", static_cast<long>(late));
  std::printf("idle calls: %zu, ms p50 %.2f  max %.2f\n", idles.size(), percentile(idles, 0.5),
              idles.empty() ? 0.0 : idles.back());
  std::printf("cpu: editor thread %.1f %%  process %.1f %% of one core\n", 100.0 * uiCpu / wall,
              100.0 * procCpu / wall);
  return late == 0 ? 0 : 1;
}
