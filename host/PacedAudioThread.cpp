#include "PacedAudioThread.h"

#include <pthread.h>
#include <sched.h>

#include <chrono>
#include <cstdio>

PacedAudioThread::PacedAudioThread(double periodSeconds, int64_t blocks, bool realtime, std::function<void()> block)
  : mBlock(std::move(block))
{
  mThread = std::thread(&PacedAudioThread::loop, this, periodSeconds, blocks, realtime);
}

PacedAudioThread::~PacedAudioThread()
{
  mStop = true;
  if (mThread.joinable())
    mThread.join();
}

void PacedAudioThread::join()
{
  mStop = true;
  if (mThread.joinable())
    mThread.join();
  if (mFailure)
    std::rethrow_exception(mFailure);
}

void PacedAudioThread::loop(double periodSeconds, int64_t blocks, bool realtime)
{
  using Clock = std::chrono::steady_clock;
  try
  {
    if (realtime)
    {
      // As a host's audio thread runs; needs the privilege, else stays as it is.
      sched_param p{};
      p.sched_priority = sched_get_priority_min(SCHED_FIFO) + 10;
      mGranted = pthread_setschedparam(pthread_self(), SCHED_FIFO, &p) == 0;
      if (!mGranted)
        std::fprintf(stderr, "no real-time priority for the audio thread\n");
    }
    const auto start = Clock::now();
    for (int64_t k = 1; k <= blocks && !mStop; ++k)
    {
      mBlock();
      std::this_thread::sleep_until(
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(k * periodSeconds)));
    }
  }
  catch (...)
  {
    mFailure = std::current_exception();
  }
  mRunning = false;
}
