// Benchmark driver. Benchmarks named "Group:baseline" and "Group:subject"
// are paired: after the run each subject is reported as a ratio of the
// baseline measured in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace
{
class RatioReporter : public benchmark::ConsoleReporter
{
public:
  void ReportRuns(const std::vector<Run>& runs) override
  {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
    {
      if (run.run_type != Run::RT_Iteration || run.error_occurred)
        continue;
      mTimes[run.benchmark_name()] = run.GetAdjustedRealTime();
      mUnits[run.benchmark_name()] = benchmark::GetTimeUnitString(run.time_unit);
    }
  }

  void Finalize() override
  {
    ConsoleReporter::Finalize();
    std::printf("\nRatios against the baseline of the same run:\n");
    for (const auto& [name, time] : mTimes)
    {
      const size_t colon = name.find(':');
      if (colon == std::string::npos || name.compare(colon + 1, 8, "baseline") == 0)
        continue;
      const std::string group = name.substr(0, colon);
      auto base = mTimes.find(group + ":baseline");
      if (base == mTimes.end() || base->second <= 0.0)
        continue;
      std::printf("  %-40s %8.3f x baseline  (%.3f %s vs %.3f %s)\n", name.c_str(), time / base->second, time,
                  mUnits[name].c_str(), base->second, mUnits[base->first].c_str());
    }
  }

private:
  std::map<std::string, double> mTimes;
  std::map<std::string, std::string> mUnits;
};
} // namespace

int main(int argc, char** argv)
{
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
