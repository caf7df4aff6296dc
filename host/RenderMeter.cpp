#include "RenderMeter.h"

#include <sys/resource.h>

#include <algorithm>

namespace
{
double percentile(const std::vector<double>& sorted, double p)
{
  if (sorted.empty())
    return 0.0;
  const auto i = std::min(sorted.size() - 1, static_cast<std::size_t>(p * static_cast<double>(sorted.size())));
  return sorted[i];
}
} // namespace

RenderMeter::RenderMeter(std::size_t capacity, double budgetMs) : mBudgetMs(budgetMs)
{
  mDurations.reserve(capacity);
}

long RenderMeter::voluntarySwitches()
{
  rusage u{};
  getrusage(RUSAGE_THREAD, &u);
  return u.ru_nvcsw;
}

void RenderMeter::record(double ms, long switches)
{
  ++mCalls;
  // Past the capacity only the durations stop: the counts go on.
  if (mDurations.size() < mDurations.capacity())
    mDurations.push_back(ms);
  if (switches > 0)
  {
    ++mSlept;
    mSwitches += switches;
    mLongestSleep = std::max(mLongestSleep, ms);
  }
}

RenderMeter::Summary RenderMeter::summary() const
{
  std::vector<double> sorted = mDurations;
  std::sort(sorted.begin(), sorted.end());
  Summary s;
  s.calls = mCalls;
  s.slept = mSlept;
  s.switches = mSwitches;
  s.longestSleepMs = mLongestSleep;
  s.p50 = percentile(sorted, 0.5);
  s.p99 = percentile(sorted, 0.99);
  s.p999 = percentile(sorted, 0.999);
  s.max = sorted.empty() ? 0.0 : sorted.back();
  s.late = static_cast<std::size_t>(sorted.end() - std::upper_bound(sorted.begin(), sorted.end(), mBudgetMs));
  return s;
}

void RenderMeter::print(std::FILE* out, const char* call, const Summary& s, int blockFrames, double sampleRate)
{
  std::fprintf(out, "%s calls: %zu of %d frames (budget %.2f ms)\n", call, s.calls, blockFrames,
               1000.0 * blockFrames / sampleRate);
  std::fprintf(out, "%s ms: p50 %.4f  p99 %.4f  p99.9 %.4f  max %.4f\n", call, s.p50, s.p99, s.p999, s.max);
  std::fprintf(out, "late blocks: %zu\n", s.late);
  if (s.slept > 0)
    std::fprintf(out, "%s calls that slept: %zu (%ld voluntary context switches), the longest %.3f ms\n", call,
                 s.slept, s.switches, s.longestSleepMs);
  else
    std::fprintf(out, "%s calls that slept: 0\n", call);
  std::fprintf(out, "summary: calls=%zu slept=%zu longest_sleep_ms=%.3f p50=%.4f p99=%.4f p999=%.4f max=%.4f\n",
               s.calls, s.slept, s.longestSleepMs, s.p50, s.p99, s.p999, s.max);
}
