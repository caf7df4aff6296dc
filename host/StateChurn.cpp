#include "StateChurn.h"

#include "HostError.h"

#include <chrono>
#include <cstring>
#include <string>

StateChurn::StateChurn(EffectInstance& effect, int periodMs, std::size_t nudgeOffset,
                       std::vector<std::pair<std::size_t, std::size_t>> volatileRanges)
  : mEffect(effect), mNudgeOffset(nudgeOffset), mVolatile(std::move(volatileRanges))
{
  // A nudge or range outside the chunk would leave the churn testing nothing.
  const std::size_t size = mEffect.saveChunk().size();
  bool fits = mNudgeOffset + sizeof(double) <= size;
  for (const auto& [offset, length] : mVolatile)
    fits = fits && offset + length <= size;
  if (!fits)
    throw HostError("the state chunk (" + std::to_string(size) + " bytes) has no room for the parameters to churn");
  mThread = std::thread(&StateChurn::loop, this, periodMs);
}

StateChurn::~StateChurn()
{
  mStop = true;
  if (mThread.joinable())
    mThread.join();
}

StateChurn::Counts StateChurn::stop()
{
  mStop = true;
  if (mThread.joinable())
    mThread.join();
  if (mFailure)
    std::rethrow_exception(mFailure);
  return mCounts;
}

void StateChurn::loop(int periodMs)
{
  try
  {
    auto next = std::chrono::steady_clock::now();
    while (!mStop)
    {
      next += std::chrono::milliseconds(periodMs);
      std::this_thread::sleep_until(next);
      if (!mStop)
        churnOnce();
    }
  }
  catch (...)
  {
    mFailure = std::current_exception();
  }
}

void StateChurn::churnOnce()
{
  std::vector<uint8_t> state = mEffect.saveChunk();
  if (mNudgeOffset + sizeof(double) > state.size())
    throw HostError("the state chunk shrank to " + std::to_string(state.size()) + " bytes while churning");
  // 1e-6 of a percent or a degree, towards the middle of a 0..100 range:
  // far below any step the editor draws, and never clamped.
  double v = 0.0;
  std::memcpy(&v, state.data() + mNudgeOffset, sizeof v);
  if (mCounts.restores % 2 == 0)
    mNudge = v < 50.0 ? 1e-6 : -1e-6;
  v += mCounts.restores % 2 == 0 ? mNudge : -mNudge;
  std::memcpy(state.data() + mNudgeOffset, &v, sizeof v);
  mEffect.restoreChunk(state);
  const std::vector<uint8_t> back = mEffect.saveChunk();
  ++mCounts.restores;
  if (back == state)
    return;
  if (back.size() != state.size())
  {
    ++mCounts.mismatches;
    return;
  }
  std::vector<uint8_t> a = state, b = back;
  for (const auto& [offset, length] : mVolatile)
    if (offset + length <= a.size())
    {
      std::memset(a.data() + offset, 0, length);
      std::memset(b.data() + offset, 0, length);
    }
  if (a == b)
    ++mCounts.volatileChanges;
  else
    ++mCounts.mismatches;
}
