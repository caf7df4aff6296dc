#pragma once

#include "EffectInstance.h"

#include <atomic>
#include <cstddef>
#include <exception>
#include <thread>
#include <utility>
#include <vector>

// A second host thread that, every period, saves the effect's state chunk,
// restores it and reads it back at once, checking that the read-back is
// what was restored. Each restore moves one parameter by a step too small
// to see (alternately there and back), so that a read-back of the state from
// before the restore shows as a mismatch. Bytes in `volatileRanges` (the
// camera, which drags on the editor move in between) are compared apart.
class StateChurn
{
public:
  struct Counts
  {
    int restores = 0;
    int mismatches = 0;      // read-back differs outside the volatile ranges
    int volatileChanges = 0; // differs only inside them
  };

  // nudgeOffset: the byte offset of the float64 moved by each restore, a
  // parameter whose range is 0 to 100. Throws HostError when it or a range
  // lies outside the effect's state chunk.
  StateChurn(EffectInstance& effect, int periodMs, std::size_t nudgeOffset,
             std::vector<std::pair<std::size_t, std::size_t>> volatileRanges);
  ~StateChurn();

  StateChurn(const StateChurn&) = delete;
  StateChurn& operator=(const StateChurn&) = delete;

  // Stops, joins and returns the counts; rethrows what the thread threw.
  Counts stop();

private:
  void loop(int periodMs);
  void churnOnce();

  EffectInstance& mEffect;
  std::size_t mNudgeOffset;
  double mNudge = 0.0;
  std::vector<std::pair<std::size_t, std::size_t>> mVolatile;
  Counts mCounts;
  std::atomic<bool> mStop{false};
  std::exception_ptr mFailure;
  std::thread mThread;
};
