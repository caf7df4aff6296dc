#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <vector>

// Measures the calls an audio thread makes into a plug-in (ACF render, LV2
// run): each call's duration, and whether the thread slept inside it, i.e.
// its voluntary context switches grew (it waited for a lock or for I/O).
// Sleeps are the measure; durations on a shared machine also hold the time
// the hypervisor took the CPU away. measure() runs on the audio thread and
// neither allocates nor locks; the summary is read once that thread stopped.
class RenderMeter
{
public:
  struct Summary
  {
    std::size_t calls = 0;
    std::size_t slept = 0;                              // calls in which the thread slept
    long switches = 0;                                  // voluntary context switches in all calls
    double longestSleepMs = 0.0;                        // the longest of the calls that slept
    double p50 = 0.0, p99 = 0.0, p999 = 0.0, max = 0.0; // ms
    std::size_t late = 0;                               // calls longer than their block lasts
  };

  // budgetMs: how long one block lasts.
  RenderMeter(std::size_t capacity, double budgetMs);

  template <class Call>
  void measure(Call&& call)
  {
    const long before = voluntarySwitches();
    const auto t0 = std::chrono::steady_clock::now();
    call();
    const auto t1 = std::chrono::steady_clock::now();
    const long after = voluntarySwitches();
    record(std::chrono::duration<double, std::milli>(t1 - t0).count(), after - before);
  }

  Summary summary() const;
  // The human-readable lines, then one "summary:" line of key=value pairs
  // that scripts/measure-audio-thread.sh reads.
  static void print(std::FILE* out, const char* call, const Summary& s, int blockFrames, double sampleRate);

  // Of the calling thread.
  static long voluntarySwitches();

private:
  void record(double ms, long switches);

  std::vector<double> mDurations;
  std::size_t mCalls = 0;
  std::size_t mSlept = 0;
  long mSwitches = 0;
  double mLongestSleep = 0.0;
  double mBudgetMs;
};
