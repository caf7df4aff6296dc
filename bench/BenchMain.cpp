// Benchmark driver. Benchmarks named "Group:baseline" and "Group:subject"
// are paired: after the run each subject is reported as a ratio of the
// baseline measured in the same run (the median of the repetitions when
// there are several; --benchmark_enable_random_interleaving spreads the
// machine's load changes over all of them). Counters named "stage_..._ms" (the
// parts of a subject's time) are printed as ratios of the baseline too.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <utility>
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
      // With repetitions, the median stands for the benchmark.
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if ((run.run_type != Run::RT_Iteration && !median) || run.error_occurred)
        continue;
      const std::string name = median ? run.run_name.str() : run.benchmark_name();
      if (!median && mHaveMedian.count(name) != 0)
        continue;
      if (median)
      {
        mHaveMedian.insert(name);
        mStages.erase(name);
      }
      mTimes[name] = run.GetAdjustedRealTime();
      mUnits[name] = benchmark::GetTimeUnitString(run.time_unit);
      const double ms = run.GetAdjustedRealTime() * 1e3 / benchmark::GetTimeUnitMultiplier(run.time_unit);
      for (const auto& [counter, value] : run.counters)
        if (counter.rfind("stage_", 0) == 0)
          mStages[name].emplace_back(counter, value.value);
      if (mStages.count(name) != 0)
        mStageTotalsMs[name] = ms;
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
    PrintStages();
  }

private:
  // One line per run with stages: each stage and the whole, / the baseline's whole.
  void PrintStages() const
  {
    bool header = false;
    for (const auto& [name, stages] : mStages)
    {
      const std::string group = name.substr(0, name.find(':'));
      auto base = mStageTotalsMs.find(group + ":baseline");
      if (base == mStageTotalsMs.end() || base->second <= 0.0)
        continue;
      if (!header)
        std::printf("\nStages as ratios to the baseline's whole time:\n");
      header = true;
      std::printf("  %-40s", name.c_str());
      for (const auto& [stage, ms] : stages)
        std::printf(" %s %6.2f", stage.c_str(), ms / base->second);
      std::printf(" | whole %6.2f (%.3f ms)\n", mStageTotalsMs.at(name) / base->second, mStageTotalsMs.at(name));
    }
  }

  std::map<std::string, std::vector<std::pair<std::string, double>>> mStages;
  std::map<std::string, double> mStageTotalsMs;
  std::set<std::string> mHaveMedian;
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
