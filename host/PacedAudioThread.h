#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <thread>

// An audio thread as a host runs one: it calls `block` once per period,
// paced by the clock (block k is due k periods after the start), optionally
// at SCHED_FIFO priority. `block` runs on that thread and must not allocate.
class PacedAudioThread
{
public:
  PacedAudioThread(double periodSeconds, int64_t blocks, bool realtime, std::function<void()> block);
  ~PacedAudioThread();

  PacedAudioThread(const PacedAudioThread&) = delete;
  PacedAudioThread& operator=(const PacedAudioThread&) = delete;

  // False once every block ran, or a block threw.
  bool running() const { return mRunning; }
  // Stops after the block in progress and joins; rethrows what a block threw.
  void join();
  // Whether SCHED_FIFO was asked for and granted (valid after the first block).
  bool realtimeGranted() const { return mGranted; }

private:
  void loop(double periodSeconds, int64_t blocks, bool realtime);

  std::function<void()> mBlock;
  std::atomic<bool> mRunning{true};
  std::atomic<bool> mStop{false};
  std::atomic<bool> mGranted{false};
  std::exception_ptr mFailure;
  std::thread mThread;
};
